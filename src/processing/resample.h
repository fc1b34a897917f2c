// Output size of a thumbnail and the two resamplers that produce it.
// Pixel buffers are RGB bytes, rows top first, no padding.
// Status results: 0 success, 1 out of memory, 5 bad arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

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

// The cells of a box reduction: ratios cx, cy in single precision, cells of
// bw x bh pixels (the smaller of the two truncated ratios on both sides
// with square cells).
struct BoxGeometry {
    int srcWidth = 0, srcHeight = 0, dstWidth = 0, dstHeight = 0;
    float cx = 0, cy = 0;
    int bw = 0, bh = 0;
    // False for sizes the box averager refuses (see ResampleBox).
    static bool Make(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool squareCells,
                     BoxGeometry* g);
};

// Box averaging fed one source row at a time, top row first, giving what
// ResampleBox gives for the whole image while holding only the rows of one
// band of cells: a picture can be reduced as it is decoded.
class BoxReducer {
public:
    BoxReducer();
    ~BoxReducer();
    BoxReducer(const BoxReducer&) = delete;
    BoxReducer& operator=(const BoxReducer&) = delete;

    // Status as ResampleBox: 5 for sizes it refuses, 1 without memory. dst
    // (dstWidth x dstHeight x 3 bytes) is filled as the rows come.
    int Start(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool squareCells,
              uint8_t* dst);
    // Where the next source row is to be written: srcWidth x 3 bytes.
    uint8_t* NextRow();
    // That row is written; the output rows it completes are made.
    void RowDone();

private:
    BoxGeometry g_;
    uint8_t* dst_ = nullptr;
    size_t stride_ = 0;
    int rows_ = 0;                       // source rows given
    int next_ = 0;                       // the next output row
    std::unique_ptr<uint8_t[]> ring_;    // bh source rows, row r at r % bh
    std::unique_ptr<uint16_t[]> small_;  // column totals of a band
    std::unique_ptr<uint32_t[]> large_;
};

}  // namespace vig::processing
