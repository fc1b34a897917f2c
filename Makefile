# Two commands do everything on a fresh Debian 12 machine:
#   make demo   install what is missing, build, and run a batch over samples/
#   make test   install what is missing, build, and run the whole test suite
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?= -DCMAKE_BUILD_TYPE=Release

.PHONY: all setup setup-test setup-package configure build demo test package bench screenshots clean

all: build

setup:
	scripts/setup.sh

setup-test:
	scripts/setup.sh --test

setup-package:
	scripts/setup.sh --package

configure:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

build: setup configure
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	BUILD=$(BUILD) scripts/demo.sh

test: setup-test configure
	cmake --build $(BUILD) -j $(JOBS)
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# The Debian package $(BUILD)/vignettor_<version>_<arch>.deb, from the same
# build as make test.
package: setup-package configure
	cmake --build $(BUILD) --target package -j $(JOBS)

bench: setup configure
	cmake --build $(BUILD) --target benchmarks -j $(JOBS)

# Pictures of the windows in $(BUILD)/screenshots/: at 100%, 150% and 200%
# scale, and in a dark colour scheme.
screenshots: setup configure
	cmake --build $(BUILD) --target vig_screenshots -j $(JOBS)
	QT_SCALE_FACTOR=1 $(BUILD)/tests/ui/vig_screenshots $(BUILD)/screenshots/100
	QT_SCALE_FACTOR=1.5 $(BUILD)/tests/ui/vig_screenshots $(BUILD)/screenshots/150
	QT_SCALE_FACTOR=2 $(BUILD)/tests/ui/vig_screenshots $(BUILD)/screenshots/200
	QT_SCALE_FACTOR=1 $(BUILD)/tests/ui/vig_screenshots $(BUILD)/screenshots/dark --dark

clean:
	rm -rf $(BUILD)
