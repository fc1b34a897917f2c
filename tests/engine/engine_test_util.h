// Helpers of the engine tests: folder trees, file times and small images
// written by hand (so the tests do not depend on the writers under test).
#pragma once

#include <sys/stat.h>
#include <utime.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace vig::test {

inline void MakeFolder(const std::string& path) {
    mkdir(path.c_str(), 0777);
}

inline void MakeFile(const std::string& path, const std::string& text = "x") {
    WriteFileText(path, text);
}

inline void SetModified(const std::string& path, int64_t seconds) {
    utimbuf t{};
    t.actime = static_cast<time_t>(seconds);
    t.modtime = static_cast<time_t>(seconds);
    utime(path.c_str(), &t);
}

// A 24-bit BMP of w x h pixels; pixel (x, y) gets colour(x, y) = 0x00BBGGRR.
template <typename ColourFn>
bool WriteBmp(const std::string& path, int w, int h, ColourFn colour) {
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(stride * h);
    std::vector<uint8_t> b(54 + dataSize, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    b[26] = 1;
    b[28] = 24;
    put32(34, dataSize);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = b.data() + 54 + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            const uint32_t c = colour(x, y);
            row[3 * x + 0] = static_cast<uint8_t>(c >> 16);
            row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(c);
        }
    }
    return WriteFileBytes(path, b);
}

inline bool WriteBmp(const std::string& path, int w, int h, uint32_t colour = 0x00336699) {
    return WriteBmp(path, w, h, [colour](int, int) { return colour; });
}

// Width and height from a BMP header (0 x 0 when it is not one).
inline std::pair<int, int> BmpSize(const std::string& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return {0, 0};
    auto get32 = [&](size_t at) {
        return static_cast<int32_t>(b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
                                    (static_cast<uint32_t>(b[at + 3]) << 24));
    };
    const int32_t h = get32(22);
    return {get32(18), h < 0 ? -h : h};
}

}  // namespace vig::test
