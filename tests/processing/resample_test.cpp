#include "processing/resample.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "image/cpx_image.h"
#include "engine/file_steps.h"
#include "options/batch_options.h"

namespace vig::processing {
namespace {

struct Size {
    unsigned w, h;
    int kind;
    bool operator==(const Size&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Size& s) {
    return os << s.w << "x" << s.h << " kind " << s.kind;
}

Size OutputSize(int method, unsigned mw, unsigned mh, unsigned sw, unsigned sh,
                bool enlarge = false, bool bilinear = false) {
    options::BatchOptions o;
    o.MainResizeMethod = method;
    o.MainWidth = static_cast<int>(mw);
    o.MainHeight = static_cast<int>(mh);
    o.MainEnlarge = enlarge;
    o.ImageBilinear = bilinear;
    Size s{0, 0, 0};
    engine::ComputeOutputSize(o, sw, sh, &s.w, &s.h, &s.kind);
    return s;
}

std::vector<uint8_t> RandomImage(std::mt19937& rng, int w, int h) {
    std::vector<uint8_t> v(static_cast<size_t>(w) * h * 3);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

TEST(OutputSize, BestFit) {
    EXPECT_EQ(OutputSize(1, 100, 100, 640, 480), (Size{100, 75, 2}));
    EXPECT_EQ(OutputSize(1, 100, 100, 640, 480, false, true), (Size{100, 75, 1}));
    EXPECT_EQ(OutputSize(1, 100, 100, 50, 40), (Size{50, 40, 0}));
    EXPECT_EQ(OutputSize(1, 100, 100, 50, 40, true), (Size{100, 80, 1}));
    EXPECT_EQ(OutputSize(1, 100, 100, 50, 200), (Size{25, 100, 2}));
    EXPECT_EQ(OutputSize(1, 100, 100, 300, 300), (Size{100, 100, 2}));
    // Equal to the target in one side is not smaller: a (trivial) reduction.
    EXPECT_EQ(OutputSize(1, 100, 100, 100, 50), (Size{100, 50, 2}));

    // A flag is on only when it holds exactly 1.
    options::BatchOptions o;
    o.MainEnlarge = 2;
    o.ImageBilinear = 2;
    Size s{0, 0, 0};
    engine::ComputeOutputSize(o, 50, 40, &s.w, &s.h, &s.kind);
    EXPECT_EQ(s, (Size{50, 40, 0}));
    engine::ComputeOutputSize(o, 640, 480, &s.w, &s.h, &s.kind);
    EXPECT_EQ(s, (Size{100, 75, 2}));
}

TEST(OutputSize, FixedSidesExactAreaAndPercent) {
    EXPECT_EQ(OutputSize(2, 100, 0, 50, 300), (Size{50, 300, 0}));
    EXPECT_EQ(OutputSize(2, 100, 0, 400, 300), (Size{100, 75, 2}));
    EXPECT_EQ(OutputSize(2, 100, 0, 50, 300, true), (Size{100, 600, 1}));
    EXPECT_EQ(OutputSize(3, 0, 100, 400, 300), (Size{133, 100, 2}));
    EXPECT_EQ(OutputSize(3, 0, 100, 400, 50), (Size{400, 50, 0}));
    EXPECT_EQ(OutputSize(4, 100, 100, 640, 480, false, false), (Size{100, 100, 1}));
    EXPECT_EQ(OutputSize(4, 100, 100, 10, 10), (Size{100, 100, 1}));
    EXPECT_EQ(OutputSize(5, 10000, 0, 640, 480), (Size{116, 87, 2}));
    EXPECT_EQ(OutputSize(5, 10000, 0, 50, 50), (Size{100, 100, 1}));
    EXPECT_EQ(OutputSize(6, 50, 0, 641, 481), (Size{320, 240, 2}));
    EXPECT_EQ(OutputSize(6, 150, 0, 641, 481), (Size{961, 721, 1}));
    EXPECT_EQ(OutputSize(0, 10, 10, 641, 481), (Size{641, 481, 0}));
    EXPECT_EQ(OutputSize(9, 10, 10, 641, 481), (Size{100, 100, 0}));
}

TEST(OutputSize, ZeroDimensionsBecomeOnePixel) {
    // 1000 x 1 fitted into 100 x 100 would be 100 x 0.
    EXPECT_EQ(OutputSize(1, 100, 100, 1000, 1), (Size{100, 1, 2}));
    EXPECT_EQ(OutputSize(6, 0, 0, 640, 480), (Size{1, 1, 2}));
    EXPECT_EQ(OutputSize(5, 0, 0, 640, 480), (Size{1, 1, 0}));
    // A zero target is no crash either.
    EXPECT_EQ(OutputSize(1, 0, 0, 640, 480), (Size{1, 1, 2}));
}

TEST(ResampleBox, CellsSkipColumnsAndStaySquare) {
    // 300 -> 200: ratio 1.5, 1 x 1 cells at trunc(1.5 j).
    std::vector<uint8_t> src(300 * 3 * 3), dst(200 * 2 * 3);
    for (int x = 0; x < 300; ++x)
        for (int y = 0; y < 3; ++y) src[(y * 300 + x) * 3] = static_cast<uint8_t>(x);
    ASSERT_EQ(ResampleBox(src.data(), dst.data(), 300, 3, 200, 2, true), 0);
    for (int j = 0; j < 200; ++j) EXPECT_EQ(dst[j * 3], static_cast<uint8_t>(j * 3 / 2)) << j;

    // 400 x 200 -> 100 x 100: cx = 4, cy = 2, so 2 x 2 cells at (4j, 2i).
    std::vector<uint8_t> big(400 * 200 * 3);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 400; ++x)
            big[(y * 400 + x) * 3 + 1] = static_cast<uint8_t>((x % 4) * 10 + (y % 2) * 3);
    std::vector<uint8_t> out(100 * 100 * 3);
    ASSERT_EQ(ResampleBox(big.data(), out.data(), 400, 200, 100, 100, true), 0);
    // Columns 4j and 4j + 1 only: (0 + 10 + 3 + 13) / 4 = 6.
    for (size_t i = 1; i < out.size(); i += 3) ASSERT_EQ(out[i], 6);
    // Without square cells all 4 x 2 are used: (0+10+20+30)*2 + 4*3 = 132 / 8 = 16.
    ASSERT_EQ(ResampleBox(big.data(), out.data(), 400, 200, 100, 100, false), 0);
    EXPECT_EQ(out[1], 16);
}

TEST(ResampleBox, RefusesEnlargementAndMissingBuffers) {
    std::vector<uint8_t> a(12), b(12);
    EXPECT_EQ(ResampleBox(a.data(), b.data(), 2, 2, 3, 1, true), 5);
    EXPECT_EQ(ResampleBox(a.data(), b.data(), 2, 2, 0, 1, true), 5);
    EXPECT_EQ(ResampleBox(nullptr, b.data(), 2, 2, 1, 1, true), 5);
}

// The box averager written the plain way: every cell summed on its own;
// fed row by row, it gives the same.
void ExpectPlainBox(const std::vector<uint8_t>& src, int sw, int sh, int dw, int dh) {
    std::vector<uint8_t> dst(static_cast<size_t>(dw) * dh * 3);
    ASSERT_EQ(ResampleBox(src.data(), dst.data(), sw, sh, dw, dh, true), 0);
    std::vector<uint8_t> fed(dst.size());
    BoxReducer reducer;
    ASSERT_EQ(reducer.Start(sw, sh, dw, dh, true, fed.data()), 0);
    for (int y = 0; y < sh; ++y) {
        std::copy_n(src.data() + y * sw * 3, sw * 3, reducer.NextRow());
        reducer.RowDone();
    }
    ASSERT_TRUE(fed == dst) << sw << "x" << sh << "->" << dw << "x" << dh << " fed by rows";
    const float cx = static_cast<float>(sw) / static_cast<float>(dw);
    const float cy = static_cast<float>(sh) / static_cast<float>(dh);
    const int n = std::min(static_cast<int>(cx), static_cast<int>(cy));
    for (int i = 0; i < dh; ++i)
        for (int j = 0; j < dw; ++j)
            for (int k = 0; k < 3; ++k) {
                const int x = static_cast<int>(static_cast<float>(j) * cx);
                const int y = static_cast<int>(static_cast<float>(i) * cy);
                unsigned sum = 0;
                for (int yy = y; yy < y + n; ++yy)
                    for (int xx = x; xx < x + n; ++xx) sum += src[(yy * sw + xx) * 3 + k];
                ASSERT_EQ(dst[(i * dw + j) * 3 + k], sum / (n * n))
                    << sw << "x" << sh << "->" << dw << "x" << dh << " at " << j << "," << i;
            }
}

TEST(ResampleBox, MatchesAPlainReimplementationOnRandomImages) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int sw = 1 + static_cast<int>(rng() % 60), sh = 1 + static_cast<int>(rng() % 60);
        const int dw = 1 + static_cast<int>(rng() % sw), dh = 1 + static_cast<int>(rng() % sh);
        ExpectPlainBox(RandomImage(rng, sw, sh), sw, sh, dw, dh);
    }
    // Cells of more than 257 rows.
    ExpectPlainBox(RandomImage(rng, 700, 600), 700, 600, 2, 2);
    ExpectPlainBox(std::vector<uint8_t>(700 * 600 * 3, 255), 700, 600, 1, 1);
}

TEST(ResampleBilinear, TopLeftAlignedAndTruncated) {
    const uint8_t src[6] = {10, 0, 255, 21, 255, 0};
    uint8_t dst[12] = {};
    ASSERT_EQ(ResampleBilinear(src, 2, 1, dst, 4, 1), 0);
    const uint8_t expected[12] = {10, 0, 255, 15, 127, 127, 21, 255, 0, 21, 255, 0};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(dst[i], expected[i]) << i;
    EXPECT_EQ(ResampleBilinear(src, 2, 1, dst, 0, 1), 5);
}

TEST(ResampleBilinear, MatchesFourPointSamplingOnRandomImages) {
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        const int sw = 1 + static_cast<int>(rng() % 40), sh = 1 + static_cast<int>(rng() % 40);
        const int dw = 1 + static_cast<int>(rng() % 80), dh = 1 + static_cast<int>(rng() % 80);
        const auto src = RandomImage(rng, sw, sh);
        std::vector<uint8_t> dst(static_cast<size_t>(dw) * dh * 3);
        ASSERT_EQ(ResampleBilinear(src.data(), sw, sh, dst.data(), dw, dh), 0);
        const double rx = static_cast<double>(sw) / dw, ry = static_cast<double>(sh) / dh;
        auto S = [&](int x, int y, int k) { return src[(y * sw + x) * 3 + k]; };
        for (int i = 0; i < dh; ++i) {
            const double vy = std::min(i * ry, sh - 1.0);
            const int y0 = static_cast<int>(vy), y1 = std::min(y0 + 1, sh - 1);
            for (int j = 0; j < dw; ++j) {
                const double vx = std::min(j * rx, sw - 1.0);
                const int x0 = static_cast<int>(vx), x1 = std::min(x0 + 1, sw - 1);
                for (int k = 0; k < 3; ++k) {
                    const double h0 = (x0 + 1 - vx) * S(x0, y0, k) + (vx - x0) * S(x1, y0, k);
                    const double h1 = (x0 + 1 - vx) * S(x0, y1, k) + (vx - x0) * S(x1, y1, k);
                    const int v = static_cast<int>((y0 + 1 - vy) * h0 + (vy - y0) * h1);
                    ASSERT_EQ(dst[(i * dw + j) * 3 + k], v)
                        << sw << "x" << sh << "->" << dw << "x" << dh << " at " << j << "," << i;
                }
            }
        }
    }
}

TEST(CPxImageResize, KindsAndRefusals) {
    image::CPxImage img;
    EXPECT_EQ(img.Resize(10, 10, 0), image::ErrNone);
    EXPECT_EQ(img.Resize(10, 10, 1), image::ErrParameter);  // no pixels
    ASSERT_EQ(img.MakeCheckerboard(40, 30), image::ErrNone);
    EXPECT_EQ(img.Resize(50, 10, 2), image::ErrParameter);  // the box averager cannot enlarge
    EXPECT_EQ(img.Resize(0, 10, 1), image::ErrParameter);
    EXPECT_EQ(img.Resize(20, 10, 7), image::ErrParameter);
    EXPECT_EQ(img.width(), 40);
    EXPECT_EQ(img.Resize(1 << 30, 1 << 30, 1), image::ErrOutOfMemory);
    EXPECT_EQ(img.width(), 40);
    ASSERT_EQ(img.Resize(20, 15, 2), image::ErrNone);
    EXPECT_EQ(img.width(), 20);
    EXPECT_EQ(img.height(), 15);
    EXPECT_EQ(img.GetPixel(0, 0), 0xFFDCDCu);  // a tinted 2 x 2 cell
    ASSERT_EQ(img.Resize(60, 45, 1), image::ErrNone);
    EXPECT_EQ(img.width(), 60);
}

}  // namespace
}  // namespace vig::processing
