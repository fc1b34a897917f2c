// Where a reader puts the rows of a picture as they are decoded. Chosen
// once the reader knows the size it will deliver, it keeps no more than the
// caller needs:
// - the whole picture, as stored;
// - the whole picture turned upright (EXIF orientation 2..8) as the rows
//   come, without a second copy;
// - the caller's planned box reduction of the upright picture, made as the
//   rows come, holding only a band of rows (rows in order, no turning) or
//   the sums of the reduced picture's cells (any order, any orientation).
// Every way gives the same pixels as holding the whole picture, turning it
// and reducing it with ResampleBox (square cells). Rows the reader never
// delivers count as zero rows. What the target holds, and the reader's own
// working memory, is reserved from the thread's memory budget first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "image/codec_table.h"
#include "image/error_codes.h"
#include "image/pixel_block.h"
#include "processing/resample.h"

namespace vig::image {

// What the hints ask for a picture whose full size, upright, is
// uprightWidth x uprightHeight (nothing without hints or a plan).
DecodePlan PlanFor(const DecodeHints* hints, int uprightWidth, int uprightHeight);

class RowTarget {
public:
    RowTarget();
    ~RowTarget();
    RowTarget(const RowTarget&) = delete;
    RowTarget& operator=(const RowTarget&) = delete;

    // The reader will deliver rows of storedWidth x storedHeight pixels
    // stored under `orientation` (1..8; anything else counts as 1), top first
    // one after the other when inOrder (otherwise in any order, each at most
    // once). `plan` is the caller's, in upright terms; workingBytes what the
    // reader holds besides. ErrOutOfMemory when the memory cannot be had (or
    // exceeds the budget), ErrCancelled when a stop ended the wait for it.
    // Starting again (after a picture given up part way) drops the rows
    // held; what was reserved stays reserved to the file.
    ErrorCode Start(int storedWidth, int storedHeight, int orientation, bool inOrder,
                    const DecodePlan& plan, size_t workingBytes);
    // A change made to every row as it is done, before it is turned or
    // reduced (a colour conversion): row holds `width` RGB pixels. Set before
    // the first row is done (Start keeps it); none by default.
    using RowTransform = void (*)(void* context, uint8_t* row, int width);
    void SetRowTransform(RowTransform transform, void* context) {
        transform_ = transform;
        transformContext_ = context;
    }
    // Where stored row y (0 = top of the file's picture) goes: storedWidth x 3
    // bytes of RGB that the reader fills completely before RowDone(y).
    uint8_t* Row(int y);
    void RowDone(int y);
    // The picture, upright (reduced when reduced()); the target is spent.
    PixelBlock Finish(int* width, int* height);
    bool reduced() const { return reduced_; }

private:
    enum class Mode { None, Whole, Turned, Stream, Sums };
    void AddRowSums(int y, const uint8_t* row);
    void PlaceTurned();  // the rows waiting in the scratch, into the block

    Mode mode_ = Mode::None;
    bool reduced_ = false;
    RowTransform transform_ = nullptr;
    void* transformContext_ = nullptr;
    int storedWidth_ = 0;
    int storedHeight_ = 0;
    int orientation_ = 1;
    int width_ = 0;  // of the result
    int height_ = 0;
    PixelBlock block_;
    std::vector<uint8_t> scratch_;  // rows that do not go straight into the block
    int waitingFirst_ = 0;          // turned rows waiting in the scratch:
    int waiting_ = 0;               // stored rows first .. first + waiting - 1
    processing::BoxReducer reducer_;
    int streamed_ = 0;  // rows given to the reducer
    processing::BoxGeometry geometry_;
    std::vector<int> columnStart_;  // of each cell column, upright
    std::vector<int> bandTop_;      // of each cell row, upright
    std::vector<uint64_t> sums_;    // of each cell and channel
    std::vector<uint64_t> lineSums_;
};

class ImageStatus;

// How a hinted reader ends: after a failure (`code` not 0) an empty block,
// 0 x 0, *info cleared and the code in `status`; else the target's picture,
// with info->reduced, or ErrOutOfMemory when it cannot be had.
PixelBlock FinishRead(RowTarget& target, ErrorCode code, ImageStatus& status, DecodeInfo* info,
                      int* width, int* height);

}  // namespace vig::image
