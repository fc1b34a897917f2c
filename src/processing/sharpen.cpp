#include "processing/sharpen.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vig::processing {

int FilterSharpen(const uint8_t* src, uint8_t* dst, int width, int height, int level) {
    if (src == nullptr || dst == nullptr || src == dst || width <= 0 || height <= 0) return 5;
    level = std::min(level, 100);
    if (level < 1) level = 0;
    const size_t stride = static_cast<size_t>(width) * 3;
    if (level == 0) {  // k = 0 gives every pixel back unchanged
        std::memcpy(dst, src, stride * static_cast<size_t>(height));
        return 0;
    }
    const double k = level * 0.005;
    for (int y = 0; y < height; ++y) {
        // Neighbours outside the image take the pixel's own row or column.
        const uint8_t* mid = src + static_cast<size_t>(y) * stride;
        const uint8_t* up = y > 0 ? mid - stride : mid;
        const uint8_t* down = y + 1 < height ? mid + stride : mid;
        uint8_t* out = dst + static_cast<size_t>(y) * stride;
        for (int x = 0; x < width; ++x) {
            const size_t c = static_cast<size_t>(x) * 3;
            const size_t l = x > 0 ? c - 3 : c;
            const size_t r = x + 1 < width ? c + 3 : c;
            for (size_t ch = 0; ch < 3; ++ch) {
                const int s = up[l + ch] + up[c + ch] + up[r + ch] + mid[l + ch] + mid[r + ch] +
                              down[l + ch] + down[c + ch] + down[r + ch];
                const int p = mid[c + ch];
                const double v = p - k * (s - 8 * p);
                out[c + ch] = v < 0.0 ? 0 : v >= 255.0 ? 255 : static_cast<uint8_t>(v);
            }
        }
    }
    return 0;
}

}  // namespace vig::processing
