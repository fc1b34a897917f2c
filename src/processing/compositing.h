// Copying and blending rectangles of RGB pixels, and colour replacement.
// Colours are packed 0x00BBGGRR. Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// Blends src (srcWidth x srcHeight) onto dst with its top-left corner at
// (x, y), clipped to dst: out = trunc(a * src + (1 - a) * dst) with a the
// opacity clamped to 0..1. At exactly 1 the rows are copied.
int BlendRect(uint8_t* dst, int dstWidth, int dstHeight, const uint8_t* src, int srcWidth,
              int srcHeight, int x, int y, double opacity);

// As BlendRect, but source pixels equal to transparentColour leave the
// destination untouched; the others are blended even at opacity 1.
int BlendRectKeyed(uint8_t* dst, int dstWidth, int dstHeight, const uint8_t* src, int srcWidth,
                   int srcHeight, int x, int y, double opacity, uint32_t transparentColour);

// Every pixel exactly equal to `from` becomes `to`.
void ReplaceColour(uint8_t* pixels, int width, int height, uint32_t from, uint32_t to);

}  // namespace vig::processing
