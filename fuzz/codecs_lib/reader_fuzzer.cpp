// Feeds arbitrary bytes to one library reader, chosen when the target is
// built (VIG_FUZZ_FORMAT: jpeg, png or tiff): it must answer with pixels of
// the size it reports, or with an error code, and never touch memory it does
// not own. The readers take a path, so each input goes through a file: in
// /dev/shm when it exists (memory-backed), else in the temporary folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "reader_check.h"

namespace {

std::string& InputPath() {
    static std::string path;
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string& path = InputPath();
    if (path.empty()) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(dir) + "/vig-fuzz-" + std::to_string(getpid()) + VIG_FUZZ_EXTENSION;
        std::atexit([] { std::remove(InputPath().c_str()); });
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) std::abort();
    const bool written = size == 0 || std::fwrite(data, 1, size, f) == size;
    if (std::fclose(f) != 0 || !written) std::abort();

    int width = -1;
    int height = -1;
    const vig::PixelBlock block = vig::VIG_FUZZ_FORMAT::Read(path, &width, &height);
    vig::fuzz::CheckReaderAnswer(block, width, height);
    return 0;
}
