// Quarter turns of RGB pixel blocks.
// Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// Writes src (width x height) turned clockwise by `turns` quarter turns
// (0..3) into dst, which must hold as many pixels. Turns 1 and 3 make the
// result height pixels wide and width pixels high.
int RotateQuarterTurns(const uint8_t* src, int width, int height, int turns, uint8_t* dst);

}  // namespace vig::processing
