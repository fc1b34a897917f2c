#include "processing/resample.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

namespace vig::processing {
namespace {

// Floating point to integer conversions truncate toward zero; values that do
// not fit (NaN, negative, huge) are pinned instead of being undefined.
unsigned TruncUnsigned(double v) {
    if (!(v > 0.0)) return 0;
    if (v >= 4294967295.0) return 0xFFFFFFFFu;
    return static_cast<unsigned>(v);
}

long long TruncSigned(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9.0e18) return 9000000000000000000LL;
    if (v <= -9.0e18) return -9000000000000000000LL;
    return static_cast<long long>(v);
}

// The enlarge test shared by best fit, fixed width and fixed height. True
// when the source size is the answer (the image is smaller than the target
// and may not grow); otherwise sets the kind and lets the caller go on.
bool SmallerAndKept(bool smaller, const ResizeRequest& r, unsigned srcWidth, unsigned srcHeight,
                    unsigned* outWidth, unsigned* outHeight, int* kind) {
    if (smaller) {
        if (!r.enlarge) {
            *outWidth = srcWidth;
            *outHeight = srcHeight;
            *kind = ResampleNone;
            return true;
        }
        *kind = ResampleBilinearKind;
        return false;
    }
    *kind = r.bilinear ? ResampleBilinearKind : ResampleBoxKind;
    return false;
}

void SizeFor(const ResizeRequest& r, unsigned srcWidth, unsigned srcHeight, unsigned* outWidth,
             unsigned* outHeight, int* kind) {
    const double sw = srcWidth;
    const double sh = srcHeight;
    switch (r.method) {
        case 0:  // no resize
            *outWidth = srcWidth;
            *outHeight = srcHeight;
            *kind = ResampleNone;
            return;
        case 1: {  // best fit
            if (SmallerAndKept(srcWidth < r.width && srcHeight < r.height, r, srcWidth, srcHeight,
                               outWidth, outHeight, kind))
                return;
            const double rw = sw / r.width;
            const double rh = sh / r.height;
            if (rw > rh) {
                *outWidth = r.width;
                *outHeight = TruncUnsigned(sh / rw);
            } else if (rw < rh) {
                *outWidth = TruncUnsigned(sw / rh);
                *outHeight = r.height;
            } else {
                *outWidth = r.width;
                *outHeight = r.height;
            }
            return;
        }
        case 2:  // fixed width
            if (SmallerAndKept(srcWidth < r.width, r, srcWidth, srcHeight, outWidth, outHeight,
                               kind))
                return;
            *outWidth = r.width;
            *outHeight = TruncUnsigned(r.width / (sw / sh));
            return;
        case 3:  // fixed height
            if (SmallerAndKept(srcHeight < r.height, r, srcWidth, srcHeight, outWidth, outHeight,
                               kind))
                return;
            *outWidth = TruncUnsigned((sw / sh) * r.height);
            *outHeight = r.height;
            return;
        case 4:  // exact size: always bilinear, aspect not kept
            *outWidth = r.width;
            *outHeight = r.height;
            *kind = ResampleBilinearKind;
            return;
        case 5: {  // pixel area: `width` is the area
            const double a = sw / sh;
            if (r.width == 0 || !(a > 0.0)) {
                *outWidth = 0;
                *outHeight = 0;
                return;
            }
            const long long h = TruncSigned(std::sqrt(r.width / a) + 0.5);
            const long long w = TruncSigned(static_cast<double>(h) * a);
            *outWidth = static_cast<unsigned>(std::clamp<long long>(w, 0, 0xFFFFFFFFLL));
            *outHeight = static_cast<unsigned>(std::clamp<long long>(h, 0, 0xFFFFFFFFLL));
            const bool grows =
                h > static_cast<long long>(srcHeight) || w > static_cast<long long>(srcWidth);
            *kind = grows ? ResampleBilinearKind : ResampleBoxKind;
            return;
        }
        case 6: {  // percent: `width` is the percentage
            const double p = r.width * 0.01;
            *outWidth = TruncUnsigned(sw * p);
            *outHeight = TruncUnsigned(sh * p);
            const bool grows = *outHeight > srcHeight || *outWidth > srcWidth;
            *kind = grows ? ResampleBilinearKind : ResampleBoxKind;
            return;
        }
        default:  // unknown method: a size that nothing is resized to
            *outWidth = 100;
            *outHeight = 100;
            return;
    }
}

// Horizontal taps of one output column of the bilinear resampler.
struct ColumnTap {
    size_t x0;  // byte offsets of the two source pixels
    size_t x1;
    double w0;  // their weights
    double w1;
};

// The top source row of band i, the rows that output row i averages.
// Single-precision products; on huge images the rounding could reach past
// the last row, so bands are kept inside the source.
int BandTop(const BoxGeometry& g, int i) {
    const int y = static_cast<int>(static_cast<float>(i) * g.cy);
    return std::min(y, g.srcHeight - g.bh);
}

// One output row from the bh source rows of its band (rowAt(k) is row k of
// the band). The rows are first added up column by column (contiguous
// bytes, which the compiler vectorises); each cell then sums its bw columns
// of that total. The sums are the same integers as cell by cell, only added
// in another order.
template <typename Total, typename RowAt>
void BoxBand(const BoxGeometry& g, RowAt rowAt, Total* acc, uint8_t* out) {
    const uint64_t cell = static_cast<uint64_t>(g.bw) * static_cast<uint64_t>(g.bh);
    const size_t stride = static_cast<size_t>(g.srcWidth) * 3;
    std::fill(acc, acc + stride, Total{0});
    int r = 0;
    for (; r + 4 <= g.bh; r += 4) {  // four rows per pass over acc
        const uint8_t* r0 = rowAt(r);
        const uint8_t* r1 = rowAt(r + 1);
        const uint8_t* r2 = rowAt(r + 2);
        const uint8_t* r3 = rowAt(r + 3);
        for (size_t c = 0; c < stride; ++c)
            acc[c] = static_cast<Total>(acc[c] + (r0[c] + r1[c] + r2[c] + r3[c]));
    }
    for (; r < g.bh; ++r) {
        const uint8_t* row = rowAt(r);
        for (size_t c = 0; c < stride; ++c) acc[c] = static_cast<Total>(acc[c] + row[c]);
    }
    for (int j = 0; j < g.dstWidth; ++j) {
        int x = static_cast<int>(static_cast<float>(j) * g.cx);
        x = std::min(x, g.srcWidth - g.bw);
        const Total* p = acc + static_cast<size_t>(x) * 3;
        uint64_t sr = 0, sg = 0, sb = 0;
        for (int c = 0; c < g.bw; ++c, p += 3) {
            sr += p[0];
            sg += p[1];
            sb += p[2];
        }
        *out++ = static_cast<uint8_t>(sr / cell);
        *out++ = static_cast<uint8_t>(sg / cell);
        *out++ = static_cast<uint8_t>(sb / cell);
    }
}

// Up to 257 rows fit 16-bit column totals.
bool SmallTotals(const BoxGeometry& g) {
    return g.bh <= 257;
}

}  // namespace

void ComputeOutputSize(const ResizeRequest& request, unsigned srcWidth, unsigned srcHeight,
                       unsigned* outWidth, unsigned* outHeight, int* kind) {
    SizeFor(request, srcWidth, srcHeight, outWidth, outHeight, kind);
    // A zero-sized image cannot be made; keep at least one pixel.
    if (*outWidth == 0) *outWidth = 1;
    if (*outHeight == 0) *outHeight = 1;
}

int ResampleBilinear(const uint8_t* src, int srcWidth, int srcHeight, uint8_t* dst, int dstWidth,
                     int dstHeight) {
    if (src == nullptr || dst == nullptr || srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 ||
        dstHeight <= 0)
        return 5;
    const size_t dw = static_cast<size_t>(dstWidth);
    const double rx = static_cast<double>(srcWidth) / dstWidth;
    const double ry = static_cast<double>(srcHeight) / dstHeight;
    const double lastX = srcWidth - 1;
    const double lastY = srcHeight - 1;

    std::unique_ptr<ColumnTap[]> taps(new (std::nothrow) ColumnTap[dw]);
    // Two working rows of dstWidth entries of three doubles.
    std::unique_ptr<double[]> rows(new (std::nothrow) double[2 * dw * 3]);
    if (!taps || !rows) return 1;

    for (size_t j = 0; j < dw; ++j) {
        const double fx = static_cast<double>(j) * rx;
        const double vx = std::min(fx, lastX);
        const int x0 = static_cast<int>(vx);
        const int x1 = std::min(x0 + 1, srcWidth - 1);
        taps[j] = ColumnTap{static_cast<size_t>(x0) * 3, static_cast<size_t>(x1) * 3, (x0 + 1) - vx,
                            vx - x0};
    }

    // Each working row remembers the source row it holds (-1: none yet), so a
    // row interpolated for the previous output row is reused as it is.
    double* work[2] = {rows.get(), rows.get() + dw * 3};
    int held[2] = {-1, -1};
    const size_t srcStride = static_cast<size_t>(srcWidth) * 3;
    auto interpolate = [&](int y, int slot) {
        const uint8_t* s = src + static_cast<size_t>(y) * srcStride;
        double* out = work[slot];
        for (size_t j = 0; j < dw; ++j) {
            const ColumnTap& t = taps[j];
            for (size_t k = 0; k < 3; ++k) out[j * 3 + k] = t.w0 * s[t.x0 + k] + t.w1 * s[t.x1 + k];
        }
        held[slot] = y;
    };

    uint8_t* out = dst;
    for (int i = 0; i < dstHeight; ++i) {
        const double fy = i * ry;
        const double vy = std::min(fy, lastY);
        const int y0 = static_cast<int>(vy);
        const int y1 = std::min(y0 + 1, srcHeight - 1);
        int s0 = held[0] == y0 ? 0 : held[1] == y0 ? 1 : -1;
        if (s0 < 0) {
            s0 = held[0] == y1 ? 1 : 0;  // keep the row that y1 needs
            interpolate(y0, s0);
        }
        int s1 = s0;
        if (y1 != y0) {
            s1 = 1 - s0;
            if (held[s1] != y1) interpolate(y1, s1);
        }
        const double* h0 = work[s0];
        const double* h1 = work[s1];
        const double wy0 = (y0 + 1) - vy;
        const double wy1 = vy - y0;
        for (size_t e = 0; e < dw * 3; ++e)
            *out++ = static_cast<uint8_t>(static_cast<int>(wy0 * h0[e] + wy1 * h1[e]));
    }
    return 0;
}

bool BoxGeometry::Make(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool squareCells,
                       BoxGeometry* g) {
    if (srcWidth <= 0 || srcHeight <= 0 || dstWidth <= 0 || dstHeight <= 0 || dstWidth > srcWidth ||
        dstHeight > srcHeight)
        return false;
    g->srcWidth = srcWidth;
    g->srcHeight = srcHeight;
    g->dstWidth = dstWidth;
    g->dstHeight = dstHeight;
    g->cx = static_cast<float>(static_cast<double>(srcWidth) / dstWidth);
    g->cy = static_cast<float>(static_cast<double>(srcHeight) / dstHeight);
    g->bw = static_cast<int>(g->cx);
    g->bh = static_cast<int>(g->cy);
    if (squareCells) g->bw = g->bh = std::min(g->bw, g->bh);
    return true;
}

int ResampleBox(const uint8_t* src, uint8_t* dst, int srcWidth, int srcHeight, int dstWidth,
                int dstHeight, bool squareCells) {
    BoxGeometry g;
    if (src == nullptr || dst == nullptr ||
        !BoxGeometry::Make(srcWidth, srcHeight, dstWidth, dstHeight, squareCells, &g))
        return 5;
    const size_t stride = static_cast<size_t>(srcWidth) * 3;
    const auto bands = [&](auto* acc) {
        uint8_t* out = dst;
        for (int i = 0; i < dstHeight; ++i, out += static_cast<size_t>(dstWidth) * 3) {
            const uint8_t* top = src + static_cast<size_t>(BandTop(g, i)) * stride;
            BoxBand(
                g, [&](int k) { return top + static_cast<size_t>(k) * stride; }, acc, out);
        }
    };
    if (SmallTotals(g)) {
        std::unique_ptr<uint16_t[]> columns(new (std::nothrow) uint16_t[stride]);
        if (!columns) return 1;
        bands(columns.get());
    } else {
        std::unique_ptr<uint32_t[]> columns(new (std::nothrow) uint32_t[stride]);
        if (!columns) return 1;
        bands(columns.get());
    }
    return 0;
}

BoxReducer::BoxReducer() = default;
BoxReducer::~BoxReducer() = default;

int BoxReducer::Start(int srcWidth, int srcHeight, int dstWidth, int dstHeight, bool squareCells,
                      uint8_t* dst) {
    if (dst == nullptr ||
        !BoxGeometry::Make(srcWidth, srcHeight, dstWidth, dstHeight, squareCells, &g_))
        return 5;
    dst_ = dst;
    rows_ = 0;
    next_ = 0;
    stride_ = static_cast<size_t>(srcWidth) * 3;
    ring_.reset(new (std::nothrow) uint8_t[stride_ * static_cast<size_t>(g_.bh)]);
    if (SmallTotals(g_))
        small_.reset(new (std::nothrow) uint16_t[stride_]);
    else
        large_.reset(new (std::nothrow) uint32_t[stride_]);
    return ring_ && (small_ || large_) ? 0 : 1;
}

uint8_t* BoxReducer::NextRow() {
    return ring_.get() + static_cast<size_t>(rows_ % g_.bh) * stride_;
}

void BoxReducer::RowDone() {
    ++rows_;
    // A band is made as soon as its last row is in: its rows are then the
    // last bh rows given, all still held.
    while (next_ < g_.dstHeight && BandTop(g_, next_) + g_.bh <= rows_) {
        const int top = BandTop(g_, next_);
        const auto rowAt = [&](int k) {
            return ring_.get() + static_cast<size_t>((top + k) % g_.bh) * stride_;
        };
        uint8_t* out = dst_ + static_cast<size_t>(next_) * static_cast<size_t>(g_.dstWidth) * 3;
        if (small_)
            BoxBand(g_, rowAt, small_.get(), out);
        else
            BoxBand(g_, rowAt, large_.get(), out);
        ++next_;
    }
}

}  // namespace vig::processing
