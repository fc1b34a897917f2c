// Laplacian sharpening of RGB pixels.
// Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// dst = p - k * (s - 8p) per channel, with s the sum of the eight
// neighbours (edge pixels stand in for those outside the image) and
// k = level * 0.005; level is clamped to 0..100. The result is clamped to
// 0..255 and truncated. The filter never works in place: 5 when src and dst
// are the same buffer or one is missing.
int FilterSharpen(const uint8_t* src, uint8_t* dst, int width, int height, int level);

}  // namespace vig::processing
