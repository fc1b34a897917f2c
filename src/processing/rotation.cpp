#include "processing/rotation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vig::processing {

int RotateQuarterTurns(const uint8_t* src, int width, int height, int turns, uint8_t* dst) {
    if (src == nullptr || dst == nullptr || src == dst || width <= 0 || height <= 0 || turns < 0 ||
        turns > 3)
        return 5;
    const size_t W = static_cast<size_t>(width);
    const size_t H = static_cast<size_t>(height);
    if (turns == 0) {
        std::memcpy(dst, src, W * H * 3);
        return 0;
    }
    for (size_t y = 0; y < H; ++y) {
        const uint8_t* s = src + y * W * 3;
        for (size_t x = 0; x < W; ++x, s += 3) {
            size_t index;  // destination pixel
            switch (turns) {
                case 1:
                    index = x * H + (H - 1 - y);
                    break;  // row x, column H-1-y
                case 2:
                    index = (H - 1 - y) * W + (W - 1 - x);
                    break;  // row H-1-y, column W-1-x
                default:
                    index = (W - 1 - x) * H + y;
                    break;  // row W-1-x, column y
            }
            uint8_t* d = dst + index * 3;
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    return 0;
}

int ApplyOrientation(const uint8_t* src, int width, int height, int orientation, uint8_t* dst) {
    if (src == nullptr || dst == nullptr || src == dst || width <= 0 || height <= 0 ||
        orientation < 1 || orientation > 8)
        return 5;
    const std::ptrdiff_t W = width;
    const std::ptrdiff_t H = height;
    // The source pixel of output pixel (x, y) is base + x * dx + y * dy.
    struct Walk {
        std::ptrdiff_t base, dx, dy;
    };
    const Walk walks[8] = {
        {0, 1, W},                      // 1: as stored
        {W - 1, -1, W},                 // 2: (W-1-x, y)
        {(H - 1) * W + W - 1, -1, -W},  // 3: (W-1-x, H-1-y)
        {(H - 1) * W, 1, -W},           // 4: (x, H-1-y)
        {0, W, 1},                      // 5: (y, x)
        {(H - 1) * W, -W, 1},           // 6: (y, H-1-x)
        {(H - 1) * W + W - 1, -W, -1},  // 7: (W-1-y, H-1-x)
        {W - 1, W, -1},                 // 8: (W-1-y, x)
    };
    const Walk& w = walks[orientation - 1];
    const bool turned = orientation >= 5;
    const std::ptrdiff_t outW = turned ? H : W;
    const std::ptrdiff_t outH = turned ? W : H;
    if (orientation == 1) {
        std::memcpy(dst, src, static_cast<size_t>(W * H * 3));
        return 0;
    }
    // Tiles keep both the rows read and the rows written in the cache when
    // the walk crosses the source's rows.
    constexpr std::ptrdiff_t kTile = 64;
    for (std::ptrdiff_t ty = 0; ty < outH; ty += kTile) {
        const std::ptrdiff_t yEnd = std::min(ty + kTile, outH);
        for (std::ptrdiff_t tx = 0; tx < outW; tx += kTile) {
            const std::ptrdiff_t xEnd = std::min(tx + kTile, outW);
            for (std::ptrdiff_t y = ty; y < yEnd; ++y) {
                uint8_t* d = dst + (y * outW + tx) * 3;
                std::ptrdiff_t s = w.base + tx * w.dx + y * w.dy;
                for (std::ptrdiff_t x = tx; x < xEnd; ++x, d += 3, s += w.dx) {
                    const uint8_t* p = src + s * 3;
                    d[0] = p[0];
                    d[1] = p[1];
                    d[2] = p[2];
                }
            }
        }
    }
    return 0;
}

}  // namespace vig::processing
