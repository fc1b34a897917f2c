// Output size of a thumbnail and the two resamplers that produce it.
// Pixel buffers are RGB bytes, rows top first, no padding.
// Status results: 0 success, 1 out of memory, 5 bad arguments.
#pragma once

#include <cstdint>

namespace vig::processing {

// Resampling kinds.
enum ResampleKind : int {
    ResampleNone = 0,
    ResampleBilinearKind = 1,
    ResampleBoxKind = 2,
};

// What the output size depends on. `method` is the resize method code 0..6
// (none, best fit, fixed width, fixed height, exact size, pixel area,
// percent); for pixel area `width` is the area, for percent the percentage.
struct ResizeRequest {
    int method = 1;
    unsigned width = 100;
    unsigned height = 100;
    bool enlarge = false;   // images smaller than the target may grow
    bool bilinear = false;  // reductions use the bilinear resampler
};

// The output size of a srcWidth x srcHeight image and the resampling kind.
// *kind is left alone by the paths that choose no kind, so callers start it
// at ResampleNone. A dimension that comes out as 0 is returned as 1.
void ComputeOutputSize(const ResizeRequest& request, unsigned srcWidth, unsigned srcHeight,
                       unsigned* outWidth, unsigned* outHeight, int* kind);

// Bilinear interpolation, any ratio. Sample positions are aligned at the
// top-left corner (output (i, j) reads source (j * sw / dw, i * sh / dh));
// every channel is truncated, never rounded. 1 when the two working rows
// cannot be had.
int ResampleBilinear(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth,
                     int dstHeight);

// Box averaging, reduction only. Ratios and cell corners are taken in single
// precision; each output pixel is the truncated mean of a cell of
// trunc(ratio) pixels per side starting at the cell corner (with squareCells
// both sides take the smaller one). 5 when a size is 0, when the output is
// larger than the source in either dimension or a buffer is missing; 1 when
// the working row cannot be had.
int ResampleBox(const uint8_t* src, uint8_t* dst, int srcWidth, int srcHeight, int dstWidth,
                int dstHeight, bool squareCells);

}  // namespace vig::processing
