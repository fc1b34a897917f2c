#include <gtest/gtest.h>

#include <vector>

#include "image/cpx_image.h"
#include "processing/compositing.h"
#include "processing/overlay.h"
#include "processing/rotation.h"
#include "support/solid_image.h"

namespace vig::processing {
namespace {

image::PackedColour Rgb(int r, int g, int b) {
    return static_cast<image::PackedColour>(r | (g << 8) | (b << 16));
}

using test::FillSolid;

// Each pixel gets its own colour: (x, y, 7).
void Numbered(image::CPxImage& img, int w, int h) {
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(w, h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = block.data() + (static_cast<size_t>(y) * w + x) * 3;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = 7;
        }
    img.Adopt(std::move(block), w, h);
}

struct Place {
    int x, y, w, h;
    bool operator==(const Place&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Place& p) {
    return os << "(" << p.x << "," << p.y << ") " << p.w << "x" << p.h;
}
Place At(int code, bool fit, int W, int H, int ow, int oh) {
    const OverlayPlacement p = PlaceOverlay(code, fit, W, H, ow, oh);
    return Place{p.x, p.y, p.width, p.height};
}

TEST(OverlayPlacement, ThirdPointsWithoutFit) {
    EXPECT_EQ(At(8, false, 120, 90, 300, 100), (Place{80, 60, 300, 100}));
    EXPECT_EQ(At(1, false, 120, 90, 5, 5), (Place{40, 0, 5, 5}));
    EXPECT_EQ(At(2, false, 120, 90, 5, 5), (Place{40, 60, 5, 5}));
    EXPECT_EQ(At(0, false, 120, 90, 5, 5), (Place{40, 60, 5, 5}));
    EXPECT_EQ(At(14, false, 120, 90, 5, 5), (Place{40, 60, 5, 5}));
    EXPECT_EQ(At(4, false, 121, 91, 5, 5), (Place{80, 30, 5, 5}));
    EXPECT_EQ(At(13, false, 120, 90, 5, 5), (Place{80, 0, 5, 5}));
    EXPECT_EQ(At(11, false, 120, 90, 5, 5), (Place{0, 60, 5, 5}));
}

TEST(OverlayPlacement, EveryCode) {
    // A 30 x 20 overlay fits every box of a 120 x 90 thumbnail unscaled.
    const int fit[14][2] = {{45, 70}, {45, 0},  {45, 70}, {0, 35}, {90, 35}, {0, 0}, {90, 0},
                            {0, 70},  {90, 70}, {45, 35}, {0, 0},  {0, 70},  {0, 0}, {90, 0}};
    const int thirds[14][2] = {{40, 60}, {40, 0},  {40, 60}, {0, 30}, {80, 30}, {0, 0}, {80, 0},
                               {0, 60},  {80, 60}, {40, 30}, {0, 0},  {0, 60},  {0, 0}, {80, 0}};
    for (int code = 0; code < 14; ++code) {
        EXPECT_EQ(At(code, true, 120, 90, 30, 20), (Place{fit[code][0], fit[code][1], 30, 20}))
            << code;
        EXPECT_EQ(At(code, false, 120, 90, 30, 20),
                  (Place{thirds[code][0], thirds[code][1], 30, 20}))
            << code;
    }
}

TEST(OverlayPlacement, FittedIntoABoxKeepingAspect) {
    EXPECT_EQ(At(8, true, 120, 90, 300, 100), (Place{80, 77, 40, 13}));
    EXPECT_EQ(At(9, true, 120, 90, 300, 100), (Place{40, 38, 40, 13}));
    // Strips take the full width: box 120 x 30, ry = 3.33.. > rx = 2.5.
    EXPECT_EQ(At(10, true, 120, 90, 300, 100), (Place{0, 0, 90, 30}));
    EXPECT_EQ(At(11, true, 120, 90, 300, 100), (Place{0, 60, 90, 30}));
    EXPECT_EQ(At(13, true, 120, 90, 300, 100), (Place{80, 0, 40, 13}));
    // Never enlarged: a small overlay keeps its size.
    EXPECT_EQ(At(5, true, 120, 90, 10, 10), (Place{0, 0, 10, 10}));
    EXPECT_EQ(At(3, true, 120, 90, 20, 10), (Place{0, 40, 20, 10}));
    // A sliver or a thumbnail under 3 pixels still gives a drawable size.
    EXPECT_EQ(At(5, true, 120, 90, 1000, 1), (Place{0, 0, 40, 1}));
    EXPECT_EQ(At(8, true, 2, 2, 50, 50), (Place{1, 1, 1, 1}));
}

TEST(Blend, OpacityKeyAndClipping) {
    image::CPxImage thumb, logo;
    FillSolid(thumb, 120, 90, Rgb(200, 200, 200));
    FillSolid(logo, 300, 100, Rgb(101, 101, 101));
    ASSERT_EQ(thumb.Overlay(logo, 8, true, true, 0.5, 0), image::ErrNone);
    EXPECT_EQ(thumb.GetPixel(80, 77), Rgb(150, 150, 150));
    EXPECT_EQ(thumb.GetPixel(119, 89), Rgb(150, 150, 150));
    EXPECT_EQ(thumb.GetPixel(79, 77), Rgb(200, 200, 200));
    EXPECT_EQ(thumb.GetPixel(80, 76), Rgb(200, 200, 200));

    FillSolid(thumb, 120, 90, Rgb(200, 200, 200));
    ASSERT_EQ(thumb.Overlay(logo, 8, false, true, 2.0, 0), image::ErrNone);  // opacity clamps to 1
    EXPECT_EQ(thumb.GetPixel(80, 60), Rgb(101, 101, 101));
    EXPECT_EQ(thumb.GetPixel(119, 89), Rgb(101, 101, 101));
    EXPECT_EQ(thumb.GetPixel(79, 60), Rgb(200, 200, 200));
    EXPECT_EQ(thumb.GetPixel(80, 59), Rgb(200, 200, 200));

    // Keyed black: pure black stays transparent, (0, 0, 1) is drawn.
    std::vector<uint8_t> dst(4 * 3, 90);
    const std::vector<uint8_t> src = {0, 0, 0, 0, 0, 1, 0, 0, 0, 10, 20, 30};
    ASSERT_EQ(BlendRectKeyed(dst.data(), 4, 1, src.data(), 4, 1, 0, 0, 1.0, 0), 0);
    EXPECT_EQ(dst, (std::vector<uint8_t>{90, 90, 90, 0, 0, 1, 90, 90, 90, 10, 20, 30}));
    // Opacity 0 leaves the destination as it is.
    ASSERT_EQ(BlendRectKeyed(dst.data(), 4, 1, src.data(), 4, 1, 0, 0, 0.0, 0), 0);
    EXPECT_EQ(dst[11], 30);

    // Negative corners clip on the top and left: source pixel (2, 1) lands on (0, 0).
    std::vector<uint8_t> small(2 * 2 * 3, 0), big(3 * 3 * 3);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(BlendRect(small.data(), 2, 2, big.data(), 3, 3, -2, -1, 1.0), 0);
    EXPECT_EQ(small[0], big[(1 * 3 + 2) * 3]);
    EXPECT_EQ(small[3], 0);  // (1, 0) lies beyond the source's right edge
    ASSERT_EQ(BlendRect(small.data(), 2, 2, big.data(), 3, 3, 5, 5, 1.0), 0);  // fully outside
    EXPECT_EQ(BlendRect(small.data(), 2, 2, small.data(), 2, 2, 0, 0, 1.0), 5);
    EXPECT_EQ(BlendRectKeyed(small.data(), 2, 2, nullptr, 2, 2, 0, 0, 1.0, 0), 5);

    image::CPxImage empty;
    EXPECT_EQ(thumb.Overlay(empty, 8, true, true, 1.0, 0), image::ErrParameter);
    EXPECT_EQ(empty.Overlay(logo, 8, true, true, 1.0, 0), image::ErrParameter);
}

TEST(Blend, ReplaceColourOnlyExactMatches) {
    std::vector<uint8_t> p = {0, 0, 0, 0, 0, 1, 0, 0, 0};
    ReplaceColour(p.data(), 3, 1, 0, Rgb(1, 2, 3));
    EXPECT_EQ(p, (std::vector<uint8_t>{1, 2, 3, 0, 0, 1, 1, 2, 3}));
}

TEST(Matte, CentresAndClips) {
    image::CPxImage img;
    EXPECT_EQ(img.Matte(100, 100, 0), image::ErrParameter);
    Numbered(img, 80, 60);
    ASSERT_EQ(img.Matte(100, 100, Rgb(1, 2, 3)), image::ErrNone);
    EXPECT_EQ(img.width(), 100);
    EXPECT_EQ(img.height(), 100);
    EXPECT_EQ(img.GetPixel(10, 20), Rgb(0, 0, 7));
    EXPECT_EQ(img.GetPixel(89, 79), Rgb(79, 59, 7));
    EXPECT_EQ(img.GetPixel(9, 20), Rgb(1, 2, 3));
    EXPECT_EQ(img.GetPixel(90, 80), Rgb(1, 2, 3));
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(1, 2, 3));

    // Narrower but taller than the box: cut evenly, corner (25, -75).
    Numbered(img, 50, 250);
    ASSERT_EQ(img.Matte(100, 100, 0), image::ErrNone);
    EXPECT_EQ(img.GetPixel(25, 0), Rgb(0, 75, 7));
    EXPECT_EQ(img.GetPixel(74, 99), Rgb(49, 174, 7));
    EXPECT_EQ(img.GetPixel(24, 0), 0u);
    EXPECT_EQ(img.GetPixel(75, 50), 0u);

    // An odd difference leaves the extra column on the right.
    Numbered(img, 99, 60);
    ASSERT_EQ(img.Matte(100, 100, Rgb(9, 9, 9)), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 20), Rgb(0, 0, 7));
    EXPECT_EQ(img.GetPixel(99, 50), Rgb(9, 9, 9));

    // Covering the box already: nothing happens.
    Numbered(img, 120, 100);
    ASSERT_EQ(img.Matte(100, 100, Rgb(9, 9, 9)), image::ErrNone);
    EXPECT_EQ(img.width(), 120);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(0, 0, 7));
    // A box without area cannot be made.
    Numbered(img, 10, 10);
    EXPECT_EQ(img.Matte(0, 100, 0), image::ErrParameter);
    EXPECT_EQ(img.width(), 10);
}

TEST(Rotate, QuarterTurns) {
    for (int kind = 0; kind <= 3; ++kind) {
        image::CPxImage img;
        Numbered(img, 5, 3);
        ASSERT_EQ(img.Rotate(kind), image::ErrNone);
        const bool turned = kind % 2 == 1;
        ASSERT_EQ(img.width(), turned ? 3 : 5);
        ASSERT_EQ(img.height(), turned ? 5 : 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) {
                int nx = x, ny = y;
                if (kind == 1) nx = 3 - 1 - y, ny = x;
                if (kind == 2) nx = 5 - 1 - x, ny = 3 - 1 - y;
                if (kind == 3) nx = y, ny = 5 - 1 - x;
                ASSERT_EQ(img.GetPixel(nx, ny), Rgb(x, y, 7)) << kind << ": " << x << "," << y;
            }
    }
    image::CPxImage img;
    Numbered(img, 2, 2);
    EXPECT_EQ(img.Rotate(4), image::ErrParameter);
    EXPECT_EQ(img.Rotate(-1), image::ErrParameter);
    std::vector<uint8_t> buf(12);
    EXPECT_EQ(RotateQuarterTurns(buf.data(), 2, 2, 1, buf.data()), 5);
}

TEST(Rotate, NoSideLimit) {
    image::CPxImage img;
    Numbered(img, 30000, 2);
    ASSERT_EQ(img.Rotate(1), image::ErrNone);
    EXPECT_EQ(img.width(), 2);
    EXPECT_EQ(img.height(), 30000);
    EXPECT_EQ(img.GetPixel(1, 29999), Rgb(29999 & 0xFF, 0, 7));
}

}  // namespace
}  // namespace vig::processing
