// Quarter turns and EXIF orientations of RGB pixel blocks.
// Status results: 0 success, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// Writes src (width x height) turned clockwise by `turns` quarter turns
// (0..3) into dst, which must hold as many pixels. Turns 1 and 3 make the
// result height pixels wide and width pixels high.
int RotateQuarterTurns(const uint8_t* src, int width, int height, int turns, uint8_t* dst);

// Writes src (width x height), stored under the EXIF orientation 1..8, into
// dst as it looks upright: 2 mirrors it left to right, 3 turns it half
// round, 4 mirrors it top to bottom, 5 transposes it, 6 turns it a quarter
// clockwise, 7 transposes it across the other diagonal, 8 turns it a
// quarter anticlockwise. Orientations 5 to 8 make the result height pixels
// wide and width pixels high. dst must hold as many pixels as src.
int ApplyOrientation(const uint8_t* src, int width, int height, int orientation, uint8_t* dst);

}  // namespace vig::processing
