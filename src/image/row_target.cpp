#include "image/row_target.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "image/image_library.h"
#include "image/memory_budget.h"

namespace vig::image {
namespace {

bool Transposed(int orientation) {
    return orientation >= 5;
}
// The upright row (orientations 1..4) or column (5..8) a stored row lands in
// runs the other way.
bool RowReversed(int orientation) {
    return orientation == 3 || orientation == 4 || orientation == 6 || orientation == 7;
}
// Within the stored row, pixels run the other way along the upright row
// (1..4) or column (5..8).
bool PixelsReversed(int orientation) {
    return orientation == 2 || orientation == 3 || orientation == 7 || orientation == 8;
}

// Rows that are turned wait in groups, so that each row of the upright
// picture is written a run of this many pixels at a time.
constexpr int kTurnedRows = 32;

// The first cell whose span [start, start + size) holds `at`, or -1; spans
// are non-decreasing.
int FirstCellHolding(const std::vector<int>& starts, int size, int at) {
    auto it = std::upper_bound(starts.begin(), starts.end(), at);
    int i = static_cast<int>(it - starts.begin()) - 1;
    if (i < 0 || starts[static_cast<size_t>(i)] + size <= at) return -1;
    while (i > 0 && starts[static_cast<size_t>(i - 1)] + size > at) --i;
    return i;
}

}  // namespace

DecodePlan PlanFor(const DecodeHints* hints, int uprightWidth, int uprightHeight) {
    if (hints == nullptr || !hints->plan) return {};
    return hints->plan(uprightWidth, uprightHeight);
}

RowTarget::RowTarget() = default;
RowTarget::~RowTarget() = default;

ErrorCode RowTarget::Start(int storedWidth, int storedHeight, int orientation, bool inOrder,
                           const DecodePlan& plan, size_t workingBytes) {
    // Whatever an earlier start left (a picture given up part way) goes,
    // but the transform (of the picture's colours) stays.
    mode_ = Mode::None;
    reduced_ = false;
    block_.Reset();
    if (orientation < 1 || orientation > 8) orientation = 1;
    size_t wholeBytes = 0;
    size_t rowBytes = 0;
    if (!BlockSize(storedWidth, storedHeight, 3, &wholeBytes) ||
        !BlockSize(storedWidth, 1, 3, &rowBytes))
        return ErrOutOfMemory;
    storedWidth_ = storedWidth;
    storedHeight_ = storedHeight;
    orientation_ = orientation;
    const int uprightWidth = Transposed(orientation) ? storedHeight : storedWidth;
    const int uprightHeight = Transposed(orientation) ? storedWidth : storedHeight;

    // The way that holds least, and its bytes.
    Mode mode = orientation == 1 ? Mode::Whole : Mode::Turned;
    size_t bytes = wholeBytes + (mode == Mode::Turned ? rowBytes * kTurnedRows : 0);
    const bool reducing =
        plan.reduceWidth > 0 && plan.reduceHeight > 0 && plan.reduceWidth <= uprightWidth &&
        plan.reduceHeight <= uprightHeight &&
        processing::BoxGeometry::Make(uprightWidth, uprightHeight, plan.reduceWidth,
                                      plan.reduceHeight, true, &geometry_);
    if (reducing) {
        const size_t cells =
            static_cast<size_t>(plan.reduceWidth) * static_cast<size_t>(plan.reduceHeight) * 3;
        if (orientation == 1 && inOrder) {
            mode = Mode::Stream;
            // A band of rows, a spare row and the band's column totals (2
            // bytes a sample up to 257 rows, 4 beyond), beside the result.
            const size_t totals = geometry_.bh <= 257 ? 2 : 4;
            bytes = cells + rowBytes * (static_cast<size_t>(geometry_.bh) + 1 + totals);
        } else {
            const size_t sumBytes =
                cells * 9 + rowBytes +
                (static_cast<size_t>(plan.reduceWidth) + static_cast<size_t>(plan.reduceHeight)) *
                    (sizeof(int) + 24);
            if (sumBytes < bytes) {
                mode = Mode::Sums;
                bytes = sumBytes;
            }
        }
    }
    if (const int code = ReserveFileMemory(bytes + workingBytes); code != ErrNone) return code;

    try {
        switch (mode) {
            case Mode::Whole:
            case Mode::Turned:
                width_ = uprightWidth;
                height_ = uprightHeight;
                if (!block_.AllocateRgb(width_, height_)) return ErrOutOfMemory;
                if (mode == Mode::Turned) scratch_.assign(rowBytes * kTurnedRows, 0);
                waitingFirst_ = waiting_ = 0;
                break;
            case Mode::Stream:
                width_ = plan.reduceWidth;
                height_ = plan.reduceHeight;
                if (!block_.AllocateRgb(width_, height_) ||
                    reducer_.Start(storedWidth, storedHeight, width_, height_, true,
                                   block_.data()) != 0)
                    return ErrOutOfMemory;
                scratch_.assign(rowBytes, 0);  // for rows that come out of turn
                streamed_ = 0;
                break;
            case Mode::Sums: {
                width_ = plan.reduceWidth;
                height_ = plan.reduceHeight;
                const processing::BoxGeometry& g = geometry_;
                // The same single-precision corners as the box averager.
                columnStart_.resize(static_cast<size_t>(width_));
                for (int j = 0; j < width_; ++j)
                    columnStart_[static_cast<size_t>(j)] =
                        std::min(static_cast<int>(static_cast<float>(j) * g.cx), g.srcWidth - g.bw);
                bandTop_.resize(static_cast<size_t>(height_));
                for (int i = 0; i < height_; ++i)
                    bandTop_[static_cast<size_t>(i)] = std::min(
                        static_cast<int>(static_cast<float>(i) * g.cy), g.srcHeight - g.bh);
                sums_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 3, 0);
                lineSums_.assign(
                    static_cast<size_t>(Transposed(orientation) ? height_ : width_) * 3, 0);
                scratch_.assign(rowBytes, 0);
                break;
            }
            case Mode::None:
                return ErrInternal;
        }
    } catch (const std::bad_alloc&) {
        return ErrOutOfMemory;
    }
    mode_ = mode;
    reduced_ = mode == Mode::Stream || mode == Mode::Sums;
    return ErrNone;
}

uint8_t* RowTarget::Row(int y) {
    switch (mode_) {
        case Mode::Whole:
            return block_.data() + static_cast<size_t>(y) * static_cast<size_t>(storedWidth_) * 3;
        case Mode::Stream:
            // Rows skipped by the reader are zero rows.
            while (streamed_ < y && streamed_ < storedHeight_) {
                std::memset(reducer_.NextRow(), 0, static_cast<size_t>(storedWidth_) * 3);
                reducer_.RowDone();
                ++streamed_;
            }
            return y == streamed_ ? reducer_.NextRow() : scratch_.data();
        case Mode::Turned:
            // A row that does not follow the waiting ones starts a new group.
            if (waiting_ == kTurnedRows || (waiting_ > 0 && y != waitingFirst_ + waiting_))
                PlaceTurned();
            if (waiting_ == 0) waitingFirst_ = y;
            return scratch_.data() +
                   static_cast<size_t>(waiting_) * static_cast<size_t>(storedWidth_) * 3;
        default:
            return scratch_.data();
    }
}

void RowTarget::RowDone(int y) {
    if (y < 0 || y >= storedHeight_) return;
    if (transform_ != nullptr) {
        uint8_t* row = nullptr;
        switch (mode_) {
            case Mode::Whole:
                row = Row(y);
                break;
            case Mode::Stream:
                row = y == streamed_ ? reducer_.NextRow() : nullptr;
                break;
            case Mode::Turned:
                row = y == waitingFirst_ + waiting_
                          ? scratch_.data() + static_cast<size_t>(waiting_) *
                                                  static_cast<size_t>(storedWidth_) * 3
                          : nullptr;
                break;
            case Mode::Sums:
                row = scratch_.data();
                break;
            case Mode::None:
                break;
        }
        if (row != nullptr) transform_(transformContext_, row, storedWidth_);
    }
    switch (mode_) {
        case Mode::Stream:
            if (y == streamed_) {
                reducer_.RowDone();
                ++streamed_;
            }
            break;
        case Mode::Turned:
            if (y == waitingFirst_ + waiting_) ++waiting_;
            break;
        case Mode::Sums:
            AddRowSums(y, scratch_.data());
            break;
        default:
            break;
    }
}

void RowTarget::PlaceTurned() {
    const int W = storedWidth_;
    const int H = storedHeight_;
    const size_t inStride = static_cast<size_t>(W) * 3;
    const size_t outStride = static_cast<size_t>(width_) * 3;
    const bool reversed = PixelsReversed(orientation_);
    for (int k = 0; k < waiting_; ++k) {
        const int y = waitingFirst_ + k;
        const uint8_t* src = scratch_.data() + static_cast<size_t>(k) * inStride;
        const int line = RowReversed(orientation_) ? H - 1 - y : y;
        if (Transposed(orientation_)) continue;
        uint8_t* dst = block_.data() + static_cast<size_t>(line) * outStride;
        if (!reversed) {
            std::memcpy(dst, src, inStride);
        } else {
            for (int x = 0; x < W; ++x)
                std::memcpy(dst + static_cast<size_t>(W - 1 - x) * 3, src + x * 3, 3);
        }
    }
    if (Transposed(orientation_)) {
        // The waiting rows are neighbouring upright columns: each upright
        // row gets their pixels as one run (reversed when the rows run
        // right to left).
        const bool leftward = RowReversed(orientation_);
        const int firstLine = leftward ? H - 1 - (waitingFirst_ + waiting_ - 1) : waitingFirst_;
        for (int x = 0; x < W; ++x) {
            const int uy = reversed ? W - 1 - x : x;
            uint8_t* dst = block_.data() + static_cast<size_t>(uy) * outStride +
                           static_cast<size_t>(firstLine) * 3;
            for (int k = 0; k < waiting_; ++k) {
                const int row = leftward ? waiting_ - 1 - k : k;
                std::memcpy(dst + static_cast<size_t>(k) * 3,
                            scratch_.data() + static_cast<size_t>(row) * inStride +
                                static_cast<size_t>(x) * 3,
                            3);
            }
        }
    }
    waiting_ = 0;
}

void RowTarget::AddRowSums(int y, const uint8_t* row) {
    const processing::BoxGeometry& g = geometry_;
    const int W = storedWidth_;
    const int line = RowReversed(orientation_) ? storedHeight_ - 1 - y : y;
    const bool reversed = PixelsReversed(orientation_);
    const bool transposed = Transposed(orientation_);
    // Along the upright line the row forms, the spans of the cells that
    // cross it; across, the cells whose span holds the line.
    const std::vector<int>& along = transposed ? bandTop_ : columnStart_;
    const std::vector<int>& across = transposed ? columnStart_ : bandTop_;
    const int alongSize = transposed ? g.bh : g.bw;
    const int acrossSize = transposed ? g.bw : g.bh;
    const int first = FirstCellHolding(across, acrossSize, line);
    if (first < 0) return;
    // The row's sum over each cell span, in upright order.
    for (size_t k = 0; k < along.size(); ++k) {
        const int start = along[k];
        // Upright positions start..start+alongSize-1 are stored pixels
        // start.. (or mirrored), a contiguous run either way.
        const int from = reversed ? W - start - alongSize : start;
        const uint8_t* p = row + static_cast<size_t>(from) * 3;
        uint64_t r = 0, gr = 0, b = 0;
        for (int n = 0; n < alongSize; ++n, p += 3) {
            r += p[0];
            gr += p[1];
            b += p[2];
        }
        lineSums_[k * 3] = r;
        lineSums_[k * 3 + 1] = gr;
        lineSums_[k * 3 + 2] = b;
    }
    for (int c = first;
         c < static_cast<int>(across.size()) && across[static_cast<size_t>(c)] <= line; ++c) {
        if (across[static_cast<size_t>(c)] + acrossSize <= line) continue;
        for (size_t k = 0; k < along.size(); ++k) {
            const size_t i = transposed ? k : static_cast<size_t>(c);  // cell row
            const size_t j = transposed ? static_cast<size_t>(c) : k;  // cell column
            uint64_t* s = &sums_[(i * static_cast<size_t>(width_) + j) * 3];
            s[0] += lineSums_[k * 3];
            s[1] += lineSums_[k * 3 + 1];
            s[2] += lineSums_[k * 3 + 2];
        }
    }
}

PixelBlock RowTarget::Finish(int* width, int* height) {
    *width = 0;
    *height = 0;
    switch (mode_) {
        case Mode::None:
            return {};
        case Mode::Stream:
            Row(storedHeight_);  // the rows never delivered, as zero rows
            break;
        case Mode::Turned:
            PlaceTurned();
            break;
        case Mode::Sums: {
            const uint64_t cell =
                static_cast<uint64_t>(geometry_.bw) * static_cast<uint64_t>(geometry_.bh);
            uint8_t* out = block_.data();
            if (out == nullptr) {
                if (!block_.AllocateRgb(width_, height_)) return {};
                out = block_.data();
            }
            for (size_t n = 0; n < sums_.size(); ++n)
                out[n] = static_cast<uint8_t>(sums_[n] / cell);
            std::vector<uint64_t>().swap(sums_);
            break;
        }
        default:
            break;
    }
    mode_ = Mode::None;
    *width = width_;
    *height = height_;
    return std::move(block_);
}

PixelBlock FinishRead(RowTarget& target, ErrorCode code, ImageStatus& status, DecodeInfo* info,
                      int* width, int* height) {
    PixelBlock block;
    if (code == ErrNone) {
        block = target.Finish(width, height);
        info->reduced = target.reduced();
        if (block.empty()) code = ErrOutOfMemory;
    }
    if (code != ErrNone) {
        *info = DecodeInfo();
        if (width != nullptr) *width = 0;
        if (height != nullptr) *height = 0;
        status.Fail(code);
    }
    return block;
}

}  // namespace vig::image
