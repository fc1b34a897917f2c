#include "processing/compositing.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace vig::processing {
namespace {

struct Clip {
    int x0, x1, y0, y1;  // destination columns [x0, x1), rows [y0, y1)
    bool empty() const { return x0 >= x1 || y0 >= y1; }
};

Clip ClipRect(int dstWidth, int dstHeight, int srcWidth, int srcHeight, int x, int y) {
    const long long x1 = std::min<long long>(static_cast<long long>(x) + srcWidth, dstWidth);
    const long long y1 = std::min<long long>(static_cast<long long>(y) + srcHeight, dstHeight);
    return Clip{std::max(x, 0), static_cast<int>(x1), std::max(y, 0), static_cast<int>(y1)};
}

double ClampOpacity(double a) {
    if (!(a > 0.0)) return 0.0;  // NaN counts as 0
    return a > 1.0 ? 1.0 : a;
}

bool BadArguments(uint8_t* dst, const uint8_t* src, int dstWidth, int dstHeight, int srcWidth,
                  int srcHeight) {
    return dst == nullptr || src == nullptr || dst == src || dstWidth <= 0 || dstHeight <= 0 ||
           srcWidth <= 0 || srcHeight <= 0;
}

template <bool Keyed>
int Blend(uint8_t* dst, int dstWidth, int dstHeight, const uint8_t* src, int srcWidth,
          int srcHeight, int x, int y, double opacity, uint32_t key) {
    if (BadArguments(dst, src, dstWidth, dstHeight, srcWidth, srcHeight)) return 5;
    const Clip c = ClipRect(dstWidth, dstHeight, srcWidth, srcHeight, x, y);
    if (c.empty()) return 0;
    const double a = ClampOpacity(opacity);
    const double b = 1.0 - a;
    const uint8_t kr = key & 0xFF, kg = (key >> 8) & 0xFF, kb = (key >> 16) & 0xFF;
    const size_t dstStride = static_cast<size_t>(dstWidth) * 3;
    const size_t srcStride = static_cast<size_t>(srcWidth) * 3;
    const size_t span = static_cast<size_t>(c.x1 - c.x0);
    for (int row = c.y0; row < c.y1; ++row) {
        uint8_t* d = dst + static_cast<size_t>(row) * dstStride + static_cast<size_t>(c.x0) * 3;
        const uint8_t* s =
            src + static_cast<size_t>(row - y) * srcStride + static_cast<size_t>(c.x0 - x) * 3;
        if (!Keyed && a == 1.0) {
            std::memcpy(d, s, span * 3);
            continue;
        }
        for (size_t i = 0; i < span; ++i, d += 3, s += 3) {
            if (Keyed && s[0] == kr && s[1] == kg && s[2] == kb) continue;
            for (int k = 0; k < 3; ++k) d[k] = static_cast<uint8_t>(a * s[k] + b * d[k]);
        }
    }
    return 0;
}

}  // namespace

int BlendRect(uint8_t* dst, int dstWidth, int dstHeight, const uint8_t* src, int srcWidth,
              int srcHeight, int x, int y, double opacity) {
    return Blend<false>(dst, dstWidth, dstHeight, src, srcWidth, srcHeight, x, y, opacity, 0);
}

int BlendRectKeyed(uint8_t* dst, int dstWidth, int dstHeight, const uint8_t* src, int srcWidth,
                   int srcHeight, int x, int y, double opacity, uint32_t transparentColour) {
    return Blend<true>(dst, dstWidth, dstHeight, src, srcWidth, srcHeight, x, y, opacity,
                       transparentColour);
}

void ReplaceColour(uint8_t* pixels, int width, int height, uint32_t from, uint32_t to) {
    if (pixels == nullptr || width <= 0 || height <= 0) return;
    const uint8_t fr = from & 0xFF, fg = (from >> 8) & 0xFF, fb = (from >> 16) & 0xFF;
    const uint8_t tr = to & 0xFF, tg = (to >> 8) & 0xFF, tb = (to >> 16) & 0xFF;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < n; ++i, pixels += 3) {
        if (pixels[0] == fr && pixels[1] == fg && pixels[2] == fb) {
            pixels[0] = tr;
            pixels[1] = tg;
            pixels[2] = tb;
        }
    }
}

}  // namespace vig::processing
