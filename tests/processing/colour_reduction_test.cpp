#include "processing/colour_reduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "image/cpx_image.h"
#include "support/temp_dir.h"

namespace vig::processing {
namespace {

using Rgb = std::array<uint8_t, 3>;

struct Result {
    std::vector<uint8_t> indices;
    std::array<uint8_t, 256 * 4> palette;
    Rgb Entry(int i) const { return {palette[4 * i + 2], palette[4 * i + 1], palette[4 * i]}; }
};

std::vector<uint8_t> Pixels(const std::vector<Rgb>& colours) {
    std::vector<uint8_t> v;
    for (const Rgb& c : colours) v.insert(v.end(), c.begin(), c.end());
    return v;
}

Result Quantize(const std::vector<uint8_t>& rgb, int w, int h, int n) {
    Result r;
    r.indices.assign(static_cast<size_t>(w) * h, 0xEE);
    r.palette.fill(0xAA);
    EXPECT_EQ(QuantizeToPalette(rgb.data(), r.indices.data(), w, h, n, r.palette.data()), 0);
    std::array<uint8_t, 256 * 4> only;
    only.fill(0xAA);
    EXPECT_EQ(BuildPaletteOnly(rgb.data(), w, h, n, only.data()), 0);
    EXPECT_EQ(only, r.palette);
    return r;
}

TEST(Quantizer, FewColoursKeepTheirOwnEntriesInTreeOrder) {
    const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};
    const auto img = Pixels({blue, red, green, red, blue, green});
    const Result r = Quantize(img, 3, 2, 256);
    // Children are visited from the highest child number: red (4), green (2), blue (1).
    EXPECT_EQ(r.Entry(0), red);
    EXPECT_EQ(r.Entry(1), green);
    EXPECT_EQ(r.Entry(2), blue);
    for (int i = 3; i < 256; ++i) ASSERT_EQ(r.Entry(i), (Rgb{0, 0, 0})) << i;
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{2, 0, 1, 0, 2, 1}));
}

TEST(Quantizer, ColoursOfOneCellShareTheirRoundedMean) {
    const Result r = Quantize(Pixels({{10, 10, 200}, {13, 15, 207}}), 2, 1, 256);
    EXPECT_EQ(r.Entry(0), (Rgb{12, 13, 204}));  // 11.5, 12.5 and 203.5 round up
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{0, 0}));
}

TEST(Quantizer, ZeroColoursMeansOne) {
    const auto img = Pixels({{0, 0, 0}, {255, 255, 255}, {255, 255, 255}, {30, 60, 90}});
    const Result r = Quantize(img, 2, 2, 0);
    EXPECT_EQ(r.Entry(0), (Rgb{135, 143, 150}));
    EXPECT_EQ(r.palette[4], 0xAA);  // only one entry is written
    EXPECT_EQ(r.indices, (std::vector<uint8_t>(4, 0)));
}

TEST(Quantizer, LeastPopulatedColoursFoldIntoTheirParents) {
    // 10 black and 1 (8, 0, 0) share a parent; the 5 white pixels climb to
    // the root before the black leaf folds into the parent of the two.
    std::vector<Rgb> colours(10, Rgb{0, 0, 0});
    colours.push_back({8, 0, 0});
    colours.insert(colours.end(), 5, Rgb{255, 255, 255});
    const Result r = Quantize(Pixels(colours), 4, 4, 2);
    EXPECT_EQ(r.Entry(0), (Rgb{1, 0, 0}));  // (8 + 5) / 11
    EXPECT_EQ(r.Entry(1), (Rgb{255, 255, 255}));
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1}));
}

TEST(Quantizer, EqualWeightsKeepTheHeapOrder) {
    // The first leaf (in index order) of two equal weights is folded first.
    const auto img = Pixels({{32, 192, 48},
                             {144, 104, 112},
                             {208, 40, 136},
                             {104, 200, 136},
                             {168, 16, 96},
                             {0, 208, 24},
                             {192, 248, 64}});
    const Result r = Quantize(img, 7, 1, 2);
    EXPECT_EQ(r.Entry(0), (Rgb{156, 60, 104}));
    EXPECT_EQ(r.Entry(1), (Rgb{107, 178, 82}));
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{1, 0, 0, 1, 0, 1, 1}));
    // Of two children with equal weights the left one moves up.
    const Result s = Quantize(
        Pixels({{128, 120, 104}, {112, 208, 128}, {72, 160, 24}, {160, 56, 200}, {16, 248, 192}}),
        5, 1, 4);
    EXPECT_EQ(s.Entry(0), (Rgb{160, 56, 200}));
    EXPECT_EQ(s.Entry(1), (Rgb{112, 208, 128}));
    EXPECT_EQ(s.Entry(2), (Rgb{16, 248, 192}));
    EXPECT_EQ(s.Entry(3), (Rgb{100, 140, 64}));
    EXPECT_EQ(s.indices, (std::vector<uint8_t>{3, 1, 3, 0, 2}));
}

TEST(Quantizer, NearestEntryOfTheCellCentreFirstOfEquals) {
    // 40 lies in the cell 40..47, whose centre 44 is as near to 48 as to 40:
    // the first entry, 48, wins, and the error -8 keeps the next pixel there.
    const Result r = Quantize(Pixels({{40, 40, 40}, {48, 48, 48}}), 2, 1, 256);
    EXPECT_EQ(r.Entry(0), (Rgb{48, 48, 48}));
    EXPECT_EQ(r.Entry(1), (Rgb{40, 40, 40}));
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{0, 0}));
}

TEST(Quantizer, SerpentineDiffusionOfHalvedErrors) {
    // Palette: 40, and 37 for the cell of 32 and 39 (149 / 4 rounded).
    auto gray = [](std::initializer_list<int> v) {
        std::vector<Rgb> out;
        for (int g : v) out.push_back(Rgb{uint8_t(g), uint8_t(g), uint8_t(g)});
        return out;
    };
    const auto img = Pixels(gray({32, 39, 39, 39, 40, 40, 40, 40}));
    const Result r = Quantize(img, 4, 2, 256);
    EXPECT_EQ(r.Entry(0), (Rgb{40, 40, 40}));
    EXPECT_EQ(r.Entry(1), (Rgb{37, 37, 37}));
    // Row 0 leaves -5 under its first pixel; row 1 runs right to left and
    // its last pixel, 40 - 3, falls into the cell of entry 1.
    EXPECT_EQ(r.indices, (std::vector<uint8_t>{1, 1, 1, 1, 1, 0, 0, 0}));
}

TEST(Quantizer, UniformImageDiffusesNothing) {
    const std::vector<Rgb> colours(37 * 23, Rgb{13, 200, 77});
    for (int n : {1, 2, 256}) {
        const Result r = Quantize(Pixels(colours), 37, 23, n);
        EXPECT_EQ(r.Entry(0), (Rgb{13, 200, 77}));
        for (int i = 1; i < n; ++i) ASSERT_EQ(r.Entry(i), (Rgb{0, 0, 0}));
        EXPECT_EQ(r.indices, std::vector<uint8_t>(37 * 23, 0));
    }
}

TEST(Quantizer, RandomImagesIndexOnlyEntriesInUse) {
    std::mt19937 rng(3);
    for (int round = 0; round < 40; ++round) {
        const int w = 1 + static_cast<int>(rng() % 50), h = 1 + static_cast<int>(rng() % 50);
        // k colours in distinct cells (different top five bits of red).
        const int k = 1 + static_cast<int>(rng() % 8);
        std::vector<Rgb> palette;
        for (int i = 0; i < k; ++i)
            palette.push_back(Rgb{uint8_t(i * 32 + rng() % 8), uint8_t(rng()), uint8_t(rng())});
        std::vector<Rgb> colours;
        for (int i = 0; i < w * h; ++i) colours.push_back(palette[rng() % k]);
        const int n = 1 + static_cast<int>(rng() % 256);
        const Result r = Quantize(Pixels(colours), w, h, n);
        const int used = std::min(n, k);
        for (uint8_t index : r.indices) ASSERT_LT(index, used);

        std::vector<uint8_t> noise(static_cast<size_t>(w) * h * 3);
        for (auto& b : noise) b = static_cast<uint8_t>(rng());
        const Result q = Quantize(noise, w, h, 16);
        for (uint8_t index : q.indices) ASSERT_LT(index, 16);
    }
}

TEST(Quantizer, MissingBuffers) {
    uint8_t px[3] = {1, 2, 3}, index = 0, palette[1024];
    EXPECT_EQ(QuantizeToPalette(nullptr, &index, 1, 1, 256, palette), 5);
    EXPECT_EQ(QuantizeToPalette(px, nullptr, 1, 1, 256, palette), 5);
    EXPECT_EQ(QuantizeToPalette(px, &index, 1, 1, 256, nullptr), 5);
    EXPECT_EQ(BuildPaletteOnly(px, 0, 1, 256, palette), 5);
    EXPECT_EQ(ToGrayscale(px, 1, 1, nullptr), 5);
}

TEST(Grayscale, WeightedAndTruncated) {
    const auto img = Pixels({{255, 255, 255}, {0, 0, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 0}});
    std::vector<uint8_t> gray(5);
    ASSERT_EQ(ToGrayscale(img.data(), 5, 1, gray.data()), 0);
    EXPECT_EQ(gray, (std::vector<uint8_t>{255, 29, 76, 149, 0}));
}

TEST(Posterize, PaletteOfTheImage) {
    image::CPxImage img;
    uint8_t palette[256 * 4] = {};
    EXPECT_EQ(img.BuildPalette(2, palette), image::ErrUnknownFormat);
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(4, 2));
    for (int i = 0; i < 8; ++i) block.data()[i * 3 + (i % 4 < 2 ? 0 : 2)] = 200;
    img.Adopt(std::move(block), 4, 2);
    EXPECT_EQ(img.BuildPalette(2, nullptr), image::ErrParameter);
    ASSERT_EQ(img.BuildPalette(2, palette), image::ErrNone);
    // Red first, then blue; black, the transparent colour, is as near to both.
    EXPECT_EQ(palette[2], 200);
    EXPECT_EQ(palette[4], 200);
    // The first entry becomes the transparent colour: every red pixel is
    // mapped onto it.
    palette[2] = 0;
    ASSERT_EQ(img.MapToPalette(2, palette), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), 0u);
    EXPECT_EQ(img.GetPixel(1, 1), 0u);
    EXPECT_EQ(img.GetPixel(2, 0), 200u << 16);
}

TEST(Posterize, TheKeptColourSurvivesAndEveryPixelTakesItsNearestEntry) {
    // Entries blue, green, red, -: the first of equal distances wins.
    const uint8_t palette[] = {0, 0, 10, 0, 0, 0, 30, 0, 0, 0, 20, 0, 0, 0, 20, 0};
    const struct {
        uint8_t red;
        int entry;
    } rows[] = {{0, 0}, {15, 0}, {20, 2}, {25, 1}, {26, 1}, {200, 1}};
    for (const auto& row : rows) EXPECT_EQ(NearestPaletteEntry(palette, 4, row.red, 0, 0), row.entry);

    // A gradient of reds posterized to 3 colours keeps the exact colour
    // (7, 8, 9), which no pixel had: the entry nearest to it became it.
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 64; ++i) rgb.insert(rgb.end(), {static_cast<uint8_t>(i * 4), 8, 9});
    ASSERT_EQ(PosterizeKeeping(rgb.data(), 8, 8, 3, 7, 8, 9), 0);
    std::vector<std::array<uint8_t, 3>> seen;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        const std::array<uint8_t, 3> c{rgb[i], rgb[i + 1], rgb[i + 2]};
        if (std::find(seen.begin(), seen.end(), c) == seen.end()) seen.push_back(c);
    }
    EXPECT_LE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), (std::array<uint8_t, 3>{7, 8, 9}));
    EXPECT_EQ(PosterizeKeeping(nullptr, 8, 8, 3, 0, 0, 0), 5);
}

}  // namespace
}  // namespace vig::processing

namespace vig {
namespace {

TEST(IndexedSave, QuantizedAndGrayRowsRoundTrip) {
    test::TempDir dir;
    image::CPxImage img;
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(3, 2));
    const uint8_t colours[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255},
                                   {0, 0, 255}, {9, 9, 9},   {255, 0, 0}};
    for (int i = 0; i < 6; ++i)
        for (int k = 0; k < 3; ++k) block.data()[i * 3 + k] = colours[i][k];
    img.Adopt(std::move(block), 3, 2);
    // Few colours survive the 8-bit save exactly.
    ASSERT_EQ(img.Save(dir / "eight.bmp", 7), image::ErrNone);
    image::CPxImage back;
    ASSERT_EQ(back.Load(dir / "eight.bmp"), image::ErrNone);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(back.GetPixel(i % 3, i / 3), img.GetPixel(i % 3, i / 3)) << i;
    // Grayscale: red 76, blue 29, (9, 9, 9) stays 9.
    ASSERT_EQ(img.Save(dir / "gray.bmp", 8), image::ErrNone);
    ASSERT_EQ(back.Load(dir / "gray.bmp"), image::ErrNone);
    EXPECT_EQ(back.GetPixel(0, 0), 0x4C4C4Cu);
    EXPECT_EQ(back.GetPixel(2, 0), 0x1D1D1Du);
    EXPECT_EQ(back.GetPixel(1, 1), 0x090909u);
}

}  // namespace
}  // namespace vig
