// The library codecs read from a path, so each input goes through a file:
// in /dev/shm when it exists (memory-backed), else in the temporary folder.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "image/image_library.h"
#include "image/pixel_block.h"

namespace vig::fuzz {

inline std::string& InputSlot() {
    static std::string path;
    return path;
}

// The file is removed when the fuzzer exits.
inline const std::string& InputPath(const char* extension) {
    std::string& path = InputSlot();
    if (path.empty()) {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        path = std::string(dir) + "/vig-fuzz-" + std::to_string(getpid()) + extension;
        std::atexit([] { std::remove(InputSlot().c_str()); });
    }
    return path;
}

inline bool WriteInput(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    return std::fclose(f) == 0 && ok;
}

// A reader must answer with pixels of the size it reports, or with an error
// code and no size; the whole block is read so that a short one would show.
inline void CheckResult(const PixelBlock& block, int width, int height) {
    const ErrorCode code = GetLastImageError();
    if (block.empty()) {
        if (code == ErrNone || width != 0 || height != 0) std::abort();
        return;
    }
    size_t bytes = 0;
    if (!BlockSize(width, height, 3, &bytes) || bytes != block.size()) std::abort();
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < bytes; i += 997) sum = static_cast<uint8_t>(sum + block.data()[i]);
    sum = static_cast<uint8_t>(sum + block.data()[bytes - 1]);
    (void)sum;
}

}  // namespace vig::fuzz
