#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "image/cpx_image.h"
#include "engine/file_steps.h"
#include "options/batch_options.h"
#include "processing/sharpen.h"
#include "processing/tone_curves.h"
#include "support/temp_dir.h"

namespace vig::processing {
namespace {

TEST(ToneCurves, KnownPointsAndRowSums) {
    ASSERT_EQ(BuiltInToneCurve(0), nullptr);
    ASSERT_EQ(BuiltInToneCurve(5), nullptr);
    EXPECT_EQ(BuiltInToneCurve(4)[192], 0);
    EXPECT_EQ(BuiltInToneCurve(4)[193], 4);
    EXPECT_EQ(BuiltInToneCurve(1)[128], 164);
    EXPECT_EQ(BuiltInToneCurve(2)[128], 97);
    EXPECT_EQ(BuiltInToneCurve(3)[128], 128);
    // A second transcription of the tables, as the sums of their 16 rows.
    const int rowSums[4][16] = {
        {182, 565, 930, 1278, 1604, 1915, 2209, 2486, 2740, 2977, 3197, 3399, 3583, 3749, 3894,
         4024},
        {60, 210, 373, 551, 747, 954, 1181, 1417, 1672, 1945, 2234, 2540, 2857, 3190, 3541, 3905},
        {23, 115, 263, 464, 720, 1032, 1395, 1815, 2228, 2608, 2992, 3380, 3689, 3880, 4006, 4070},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 483, 1520, 2558, 3593},
    };
    for (int type = 1; type <= 4; ++type) {
        const uint8_t* c = BuiltInToneCurve(type);
        EXPECT_EQ(c[0], 0);
        EXPECT_EQ(c[255], 255);
        for (int i = 1; i < 256; ++i) EXPECT_LE(c[i - 1], c[i]) << type << " at " << i;
        for (int r = 0; r < 16; ++r)
            EXPECT_EQ(std::accumulate(c + 16 * r, c + 16 * r + 16, 0), rowSums[type - 1][r])
                << "curve " << type << " row " << r;
    }
}

std::vector<int> Curve(const std::string& text) {
    uint8_t lut[256];
    ParseUserCurve(text, lut);
    return std::vector<int>(lut, lut + 256);
}

TEST(UserCurve, LinesNumbersAndLimits) {
    auto c = Curve("10\n20\nletters\n");
    EXPECT_EQ(c[0], 10);
    EXPECT_EQ(c[1], 20);
    EXPECT_EQ(c[2], 0);
    for (int i = 3; i < 256; ++i) ASSERT_EQ(c[i], i);

    // Blanks and signs, low 8 bits, trailing text, CR LF, no final break.
    c = Curve("  +7x\r\n256\r\n-1\n\t300\n-2147483649\n99999999999\n5");
    EXPECT_EQ((std::vector<int>(c.begin(), c.begin() + 8)),
              (std::vector<int>{7, 0, 255, 44, 0, 255, 5, 7}));

    // 300 lines: only the first 256 count.
    std::string many;
    for (int i = 0; i < 300; ++i) many += std::to_string(255 - i % 256) + "\n";
    c = Curve(many);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(c[i], 255 - i);

    // A line longer than 79 characters is read as several lines.
    const std::string longLine = std::string(78, ' ') + "12345\n9\n";
    c = Curve(longLine);
    EXPECT_EQ(c[0], 1);   // 78 blanks and "1"
    EXPECT_EQ(c[1], 41);  // "2345\n", 2345 mod 256
    EXPECT_EQ(c[2], 9);
    EXPECT_EQ(c[3], 3);
    // Exactly 79 characters before the break: the break is a line of its own.
    c = Curve(std::string(77, ' ') + "42\n8\n");
    EXPECT_EQ(c[0], 42);
    EXPECT_EQ(c[1], 0);
    EXPECT_EQ(c[2], 8);
}

TEST(UserCurve, ToneLutReadsTheFileEveryTime) {
    test::TempDir dir;
    options::BatchOptions o;
    std::array<uint8_t, 256> user{};
    bool missing = true;
    EXPECT_EQ(engine::ToneLut(o, &user, &missing), nullptr);
    EXPECT_FALSE(missing);
    o.ImageEnhanceType = 3;
    EXPECT_EQ(engine::ToneLut(o, &user, &missing), BuiltInToneCurve(3));
    o.ImageEnhanceType = 9;
    EXPECT_EQ(engine::ToneLut(o, &user, &missing), BuiltInToneCurve(1));
    o.ImageEnhanceType = -1;
    EXPECT_EQ(engine::ToneLut(o, &user, &missing), BuiltInToneCurve(1));

    o.ImageEnhanceType = 5;
    o.ImageUserLUTPath = dir / "curve.txt";
    ASSERT_TRUE(test::WriteFileText(o.ImageUserLUTPath, "3\n2\n1\n"));
    const uint8_t* lut = engine::ToneLut(o, &user, &missing);
    EXPECT_FALSE(missing);
    EXPECT_EQ(lut[0], 3);
    EXPECT_EQ(lut[2], 1);
    EXPECT_EQ(lut[3], 3);

    ASSERT_TRUE(test::WriteFileText(o.ImageUserLUTPath, "100\n"));
    lut = engine::ToneLut(o, &user, &missing);
    EXPECT_EQ(lut[0], 100);
    EXPECT_EQ(lut[1], 1);  // the earlier file's entries are gone

    for (const std::string& path : {dir / "absent.txt", dir.path(), std::string()}) {
        o.ImageUserLUTPath = path;
        lut = engine::ToneLut(o, &user, &missing);
        EXPECT_TRUE(missing) << path;
        for (int i = 0; i < 256; ++i) ASSERT_EQ(lut[i], i);
    }
}

TEST(ApplyLut, MapsEveryChannel) {
    image::CPxImage img;
    uint8_t lut[256];
    for (int i = 0; i < 256; ++i) lut[i] = static_cast<uint8_t>(255 - i);
    EXPECT_EQ(img.ApplyLut(lut), image::ErrNone);  // nothing to do
    ASSERT_EQ(img.MakeCheckerboard(7, 7), image::ErrNone);
    EXPECT_EQ(img.ApplyLut(nullptr), image::ErrParameter);
    ASSERT_EQ(img.ApplyLut(lut), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), 0x002323u);  // (220, 220, 255) -> (35, 35, 0)
    EXPECT_EQ(img.GetPixel(6, 0), 0u);
}

std::vector<uint8_t> Sharpened(const std::vector<uint8_t>& src, int w, int h, int level) {
    std::vector<uint8_t> dst(src.size(), 77);
    EXPECT_EQ(FilterSharpen(src.data(), dst.data(), w, h, level), 0);
    return dst;
}

TEST(Sharpen, LaplacianWithClampedEdgesAndLevels) {
    // A uniform image is unchanged at every level.
    const std::vector<uint8_t> flat(5 * 4 * 3, 123);
    for (int level : {0, 1, 50, 100}) EXPECT_EQ(Sharpened(flat, 5, 4, level), flat);

    // A bright pixel on black at level 100: 5p - s/2.
    std::vector<uint8_t> dot(5 * 5 * 3, 0);
    dot[(2 * 5 + 2) * 3] = 200;
    auto out = Sharpened(dot, 5, 5, 100);
    EXPECT_EQ(out[(2 * 5 + 2) * 3], 255);
    for (size_t i = 0; i < out.size(); ++i) {
        if (i != (2 * 5 + 2) * 3) {
            ASSERT_EQ(out[i], 0) << i;
        }
    }
    EXPECT_EQ(Sharpened(dot, 5, 5, 150), out);

    // A mild case shows the exact arithmetic: p = 100 with neighbours 90
    // (s = 720) at level 20: 100 - 0.1 * (720 - 800) = 108.
    std::vector<uint8_t> bump(3 * 3 * 3, 90);
    bump[4 * 3 + 1] = 100;
    EXPECT_EQ(Sharpened(bump, 3, 3, 20)[4 * 3 + 1], 108);
    // Corner of the same image: its outside neighbours repeat the edge. The
    // corner (90) sees 90 x 7 and 100 once: 90 - 0.1 * (730 - 720) = 89.
    EXPECT_EQ(Sharpened(bump, 3, 3, 20)[1], 89);
    EXPECT_EQ(Sharpened(bump, 3, 3, -5), bump);
    EXPECT_EQ(Sharpened(bump, 3, 3, 0), bump);

    // A single pixel has only itself as neighbours.
    const std::vector<uint8_t> one = {1, 128, 255};
    EXPECT_EQ(Sharpened(one, 1, 1, 100), one);

    EXPECT_EQ(FilterSharpen(bump.data(), bump.data(), 3, 3, 20), 5);
    EXPECT_EQ(FilterSharpen(nullptr, bump.data(), 3, 3, 20), 5);
}

TEST(Sharpen, ImageKeepsItsSize) {
    image::CPxImage img;
    EXPECT_EQ(img.Sharpen(20), image::ErrNone);
    ASSERT_EQ(img.MakeCheckerboard(12, 12), image::ErrNone);
    ASSERT_EQ(img.Sharpen(100), image::ErrNone);
    EXPECT_EQ(img.width(), 12);
    // Inside a square, away from its edges, nothing changes.
    EXPECT_EQ(img.GetPixel(2, 2), 0xFFDCDCu);
    // On a square's edge the contrast grows.
    EXPECT_EQ(img.GetPixel(5, 2), 0xFFA7A7u);  // 220 - 0.5 * (3 * 255 + 5 * 220 - 8 * 220)
}

}  // namespace
}  // namespace vig::processing
