// A smooth, photo-like field with some grain for the batch benchmarks: it
// compresses and decodes much like a photograph, and is the same on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "image/cpx_image.h"

namespace vig::bench {

inline bool SyntheticPhoto(int w, int h, int seed, image::CPxImage* image) {
    image::PixelBlock block;
    if (!block.AllocateRgb(w, h)) return false;
    uint8_t* p = block.data();
    uint32_t noise = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double u = x / (w / 10.0) + seed, v = y / (h / 10.0);
            const int grain = static_cast<int>(noise & 15) - 8;
            p[0] = static_cast<uint8_t>(std::clamp(128 + 90 * std::sin(u + v) + grain, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(
                std::clamp(128 + 80 * std::sin(u * 0.7 - v * 1.3) + grain, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(
                std::clamp(128 + 70 * std::cos(v * 2 + u * 0.3) + grain, 0.0, 255.0));
        }
    }
    image->Adopt(std::move(block), w, h);
    return true;
}

}  // namespace vig::bench
