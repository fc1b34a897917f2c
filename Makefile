# Two commands do everything on a fresh Debian 12 machine:
#   make demo   install what is missing, build, and run a batch over samples/
#   make test   install what is missing, build, and run the whole test suite
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup setup-test configure build demo test bench screenshots clean

all: build

setup:
	scripts/setup.sh

setup-test:
	scripts/setup.sh --test

configure:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: setup configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	BUILD=$(BUILD) scripts/demo.sh

test: setup-test configure
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

bench: setup configure
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)

# Pictures of the windows in $(BUILD)/screenshots/.
screenshots: setup configure
	cmake --build $(BUILD) --target vig_screenshots -j $(JOBS)
	$(BUILD)/tests/ui/vig_screenshots $(BUILD)/screenshots

clean:
	rm -rf $(BUILD)
