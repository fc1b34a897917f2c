#include "processing/rotation.h"

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

}  // namespace vig::processing
