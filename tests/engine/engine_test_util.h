// Helpers of the engine and command-line tests: folder trees, file times and
// small images.
#pragma once

#include <sys/stat.h>
#include <utime.h>

#include <cstdint>
#include <string>
#include <utility>

#include "image/cpx_image.h"
#include "image/pixel_block.h"
#include "options/enums.h"
#include "support/temp_dir.h"

namespace vig::test {

inline void MakeFolder(const std::string& path) {
    mkdir(path.c_str(), 0777);
}

inline void MakeFile(const std::string& path, const std::string& text = "x") {
    WriteFileText(path, text);
}

inline void SetModified(const std::string& path, int64_t seconds) {
    const utimbuf t{static_cast<time_t>(seconds), static_cast<time_t>(seconds)};
    utime(path.c_str(), &t);
}

// A w x h image saved as a 24-bit BMP; pixel (x, y) gets colour(x, y) =
// 0x00BBGGRR.
template <typename ColourFn>
bool WriteBmp(const std::string& path, int w, int h, ColourFn colour) {
    image::PixelBlock block;
    if (!block.AllocateRgb(w, h)) return false;
    uint8_t* p = block.data();
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            const uint32_t c = colour(x, y);
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
        }
    }
    image::CPxImage image;
    image.Adopt(std::move(block), w, h);
    return image.Save(path, options::FormatBmp24) == image::ErrNone;
}

inline bool WriteBmp(const std::string& path, int w, int h) {
    return WriteBmp(path, w, h, [](int, int) { return 0x00336699u; });
}

// Width and height of an image file as the program reads it (by its
// extension); 0 x 0 when it cannot be read.
inline std::pair<int, int> ImageSize(const std::string& path) {
    image::CPxImage image;
    if (image.Load(path) != image::ErrNone) return {0, 0};
    return {image.width(), image.height()};
}

}  // namespace vig::test
