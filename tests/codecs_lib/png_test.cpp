#include "image/formats/png.h"

#include <gtest/gtest.h>

#include <cstring>

#include "image/cpx_image.h"
#include "image/image_library.h"
#include "image/png_state.h"
#include "lib_test_util.h"
#include "support/reference_png.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::PngChunk;
using test::TempDir;

PackedColour Rgb(int r, int g, int b) {
    return static_cast<PackedColour>(r | (g << 8) | (b << 16));
}

std::vector<uint8_t> Be16(std::initializer_list<int> values) {
    std::vector<uint8_t> out;
    for (int v : values) {
        out.push_back(static_cast<uint8_t>(v >> 8));
        out.push_back(static_cast<uint8_t>(v));
    }
    return out;
}

bool AllPixels(const CPxImage& img, PackedColour c) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.GetPixel(x, y) != c) return false;
    return true;
}

TEST(Png, OneBitGrayAndSixteenBitFilesBecomeEightBitRgb) {
    CPxImage img;
    ASSERT_EQ(img.Load(test::DataPath("pngsuite/basn0g01.png")), ErrNone);
    EXPECT_EQ(img.inputFormat(), InputPng);
    ASSERT_EQ(img.width(), 32);
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const PackedColour c = img.GetPixel(x, y);
            black += c == 0;
            white += c == 0xFFFFFF;
        }
    EXPECT_EQ(black + white, 32 * 32);
    EXPECT_GT(black, 0);
    EXPECT_GT(white, 0);

    // 16-bit RGB: strip to the high byte.
    TempDir dir;
    ASSERT_TRUE(
        test::WriteRawPng(dir / "16.png", 2, 1, 16, 2,
                          {test::Idat({Be16({0x12FF, 0xAB00, 0xFFFF, 0x0080, 0x7F7F, 0})})}));
    ASSERT_EQ(img.Load(dir / "16.png"), ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(0x12, 0xAB, 0xFF));
    EXPECT_EQ(img.GetPixel(1, 0), Rgb(0x00, 0x7F, 0x00));
}

TEST(Png, TransparencyMeetsTheFileOrTheImageBackground) {
    TempDir dir;
    // 2x1 RGBA, both pixels fully transparent, 8 and 16 bits.
    ASSERT_TRUE(test::WriteRawPng(dir / "t8.png", 2, 1, 8, 6,
                                  {test::Idat({{10, 20, 30, 0, 40, 50, 60, 0}})}));
    ASSERT_TRUE(test::WriteRawPng(dir / "t16.png", 2, 1, 16, 6,
                                  {test::Idat({Be16({1, 2, 3, 0, 4, 5, 6, 0})})}));
    ASSERT_TRUE(test::WriteRawPng(
        dir / "bk.png", 2, 1, 8, 6,
        {{"bKGD", Be16({10, 200, 30})}, test::Idat({{10, 20, 30, 0, 40, 50, 60, 0}})}));
    CPxImage img;
    img.SetPngOptions(0.0, 2.2, "", "", true, false, Rgb(0x99, 0x66, 0x33));
    for (const char* name : {"t8.png", "t16.png"}) {
        ASSERT_EQ(img.Load(dir / name), ErrNone) << name;
        EXPECT_TRUE(AllPixels(img, Rgb(0x99, 0x66, 0x33)))
            << name << " " << std::hex << img.GetPixel(0, 0);
    }
    ASSERT_EQ(img.Load(dir / "bk.png"), ErrNone);
    EXPECT_TRUE(AllPixels(img, Rgb(10, 200, 30))) << std::hex << img.GetPixel(0, 0);
}

TEST(Png, OpaqueFileWithoutGammaIsUnchangedByAnyScreenGamma) {
    TempDir dir;
    const auto rgb = test::Gradient(16, 8);
    std::vector<std::vector<uint8_t>> rows;
    for (int y = 0; y < 8; ++y) rows.emplace_back(rgb.begin() + y * 48, rgb.begin() + y * 48 + 48);
    ASSERT_TRUE(test::WriteRawPng(dir / "o.png", 16, 8, 8, 2, {test::Idat(rows)}));
    for (double gamma : {1.0, 2.2, 2.9, 0.0, -3.0}) {
        CPxImage img;
        img.SetPngOptions(0.0, gamma, "", "", true, false, 0);
        ASSERT_EQ(img.Load(dir / "o.png"), ErrNone) << gamma;
        EXPECT_EQ(0, std::memcmp(img.data(), rgb.data(), rgb.size())) << gamma;
    }
    // With a gAMA chunk the screen gamma does correct the values.
    ASSERT_TRUE(test::WriteRawPng(dir / "g.png", 16, 8, 8, 2,
                                  {{"gAMA", {0, 1, 0x86, 0xA0}}, test::Idat(rows)}));
    CPxImage img;
    ASSERT_EQ(img.Load(dir / "g.png"), ErrNone);
    EXPECT_NE(0, std::memcmp(img.data(), rgb.data(), rgb.size()));
}

TEST(Png, WrittenFilesCarryTimeBackgroundAndGammaOnlyWhenPositive) {
    TempDir dir;
    const auto rgb = test::Gradient(9, 5);
    std::vector<uint8_t> indices(9 * 5);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 3);
    std::vector<uint8_t> palette(256 * 4, 0);
    const uint8_t bgr[3][3] = {{0, 0, 255}, {0, 128, 255}, {200, 100, 50}};
    for (int i = 0; i < 3; ++i) std::memcpy(&palette[4 * i], bgr[i], 3);

    PngSetBackground(0, 0, 0, 0, 0);
    ASSERT_EQ(png::Write24(dir / "a.png", rgb.data(), 9, 5, 0.0), 1);
    ASSERT_EQ(png::Write24(dir / "b.png", rgb.data(), 9, 5, 0.45), 1);
    ASSERT_EQ(png::WritePalette(dir / "c.png", indices.data(), 9, 5, 256, palette.data(), -1.0), 1);
    for (const char* name : {"a.png", "b.png", "c.png"}) {
        std::string types;
        for (const PngChunk& c : test::PngChunks(dir / name)) types += c.type + " ";
        EXPECT_NE(types.find("tIME"), std::string::npos) << name;
        EXPECT_NE(types.find("bKGD"), std::string::npos) << name;
        EXPECT_EQ(types.find("gAMA") != std::string::npos, std::string(name) == "b.png") << name;
    }
    for (const PngChunk& c : test::PngChunks(dir / "b.png")) {
        if (c.type == "gAMA") {
            EXPECT_EQ(c.data, (std::vector<uint8_t>{0, 0, 0xAF, 0xC8}));  // 45000
        }
    }
    // Values libpng's own range check refuses are written all the same, in
    // hundred-thousandths, ahead of the palette and the image data.
    ASSERT_EQ(png::Write24(dir / "d.png", rgb.data(), 9, 5, 10000.0), 1);
    ASSERT_EQ(png::WritePalette(dir / "e.png", indices.data(), 9, 5, 256, palette.data(), 0.0001),
              1);
    const std::pair<const char*, std::vector<uint8_t>> odd[] = {{"d.png", {0x3B, 0x9A, 0xCA, 0}},
                                                                {"e.png", {0, 0, 0, 10}}};
    for (const auto& [name, value] : odd) {
        std::string types;
        for (const PngChunk& c : test::PngChunks(dir / name)) {
            if (c.type == "gAMA") {
                EXPECT_EQ(c.data, value) << name;
            }
            if (c.type != "IDAT" || types.find("IDAT") == std::string::npos) types += c.type + " ";
        }
        EXPECT_EQ(types.substr(0, 10), "IHDR gAMA ") << name;
        int w = 0, h = 0;
        EXPECT_FALSE(png::Read(dir / name, &w, &h).empty()) << name;
    }
    for (const PngChunk& c : test::PngChunks(dir / "c.png")) {
        if (c.type == "PLTE") {
            ASSERT_EQ(c.data.size(), 768u);
            EXPECT_EQ(std::vector<uint8_t>(c.data.begin(), c.data.begin() + 9),
                      (std::vector<uint8_t>{255, 0, 0, 255, 128, 0, 50, 100, 200}));
        }
    }

    int w = 0, h = 0;
    PixelBlock back = png::Read(dir / "a.png", &w, &h);
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(0, std::memcmp(back.data(), rgb.data(), rgb.size()));
    back = png::Read(dir / "c.png", &w, &h);
    ASSERT_FALSE(back.empty());
    for (size_t i = 0; i < indices.size(); ++i) {
        const uint8_t* e = bgr[indices[i]];
        ASSERT_EQ(back.data()[3 * i], e[2]);
        ASSERT_EQ(back.data()[3 * i + 1], e[1]);
        ASSERT_EQ(back.data()[3 * i + 2], e[0]);
    }
}

TEST(Png, TextTravelsFromSourceToOutput) {
    TempDir dir;
    std::vector<uint8_t> pixel = {1, 2, 3};
    auto text = [](const std::string& key, const std::string& value) {
        PngChunk c{"tEXt", std::vector<uint8_t>(key.begin(), key.end())};
        c.data.push_back(0);
        c.data.insert(c.data.end(), value.begin(), value.end());
        return c;
    };
    ASSERT_TRUE(test::WriteRawPng(
        dir / "src.png", 1, 1, 8, 2,
        {text("Title", "Lake"), text("Empty", ""), test::Idat({pixel}), text("Author", "Ann")}));
    CPxImage img;
    img.SetPngOptions(0.0, 2.2, "Note", "mine", true, true, 0);
    ASSERT_EQ(img.Load(dir / "src.png"), ErrNone);
    ASSERT_EQ(img.textList().size(), 2u);
    EXPECT_EQ(img.textList()[0], (PngTextEntry{false, "Lake", "Title"}));
    EXPECT_EQ(img.textList()[1], (PngTextEntry{false, "Ann", "Author"}));

    ASSERT_EQ(img.Save(dir / "out.png", 9), ErrNone);
    EXPECT_EQ(test::PngTexts(dir / "out.png"),
              (std::vector<std::string>{"Title=Lake", "Author=Ann", "z:Note=mine",
                                        "Software=Produced with Vignettor"}));
    EXPECT_TRUE(PngWriteTextList().empty());

    // A file written here, loaded and saved again, carries two "Software".
    CPxImage again;
    again.SetPngOptions(0.0, 2.2, "", "", true, false, 0);
    ASSERT_EQ(again.Load(dir / "out.png"), ErrNone);
    ASSERT_EQ(again.textList().size(), 4u);
    EXPECT_TRUE(again.textList()[2].compressed);
    ASSERT_EQ(again.Save(dir / "twice.png", 11), ErrNone);
    const auto texts = test::PngTexts(dir / "twice.png");
    ASSERT_EQ(texts.size(), 5u);
    EXPECT_EQ(texts[3], "Software=Produced with Vignettor");
    EXPECT_EQ(texts[4], "Software=Produced with Vignettor");

    // Copy off and no key: only "Software". An empty compressed text is
    // written as a plain chunk.
    again.SetPngOptions(0.0, 2.2, "Blank", "", false, true, 0);
    ASSERT_EQ(again.Save(dir / "plain.png", 9), ErrNone);
    EXPECT_EQ(test::PngTexts(dir / "plain.png"),
              (std::vector<std::string>{"Blank=", "Software=Produced with Vignettor"}));

    // A key without one printable character cannot be written: that entry
    // is left out and the file written all the same.
    again.SetPngOptions(0.0, 2.2, " \x01 ", "lost", false, false, 0);
    ASSERT_EQ(again.Save(dir / "nokey.png", 9), ErrNone);
    EXPECT_EQ(test::PngTexts(dir / "nokey.png"),
              (std::vector<std::string>{"Software=Produced with Vignettor"}));
}

TEST(Png, GrayscaleSaveWritesTheGrayPalette) {
    TempDir dir;
    CPxImage img;
    PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(3, 1));
    const uint8_t px[9] = {255, 0, 0, 0, 255, 0, 10, 20, 30};
    std::memcpy(block.data(), px, 9);
    img.Adopt(std::move(block), 3, 1);
    ASSERT_EQ(img.Save(dir / "g.png", 11), ErrNone);
    CPxImage back;
    ASSERT_EQ(back.Load(dir / "g.png"), ErrNone);
    EXPECT_EQ(back.GetPixel(0, 0), Rgb(76, 76, 76));
    EXPECT_EQ(back.GetPixel(1, 0), Rgb(149, 149, 149));
    EXPECT_EQ(back.GetPixel(2, 0), Rgb(18, 18, 18));
}

TEST(Png, BadFilesSizesAndArgumentsGiveTheirCodes) {
    TempDir dir;
    int w = 0, h = 0;
    ASSERT_TRUE(test::WriteFileText(dir / "text.png", "not a png"));
    testing::internal::CaptureStderr();
    EXPECT_TRUE(png::Read(dir / "text.png", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidPng);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(png::Read(dir / "none.png", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);

    // 100000 x 100000 declared in a file of a few bytes.
    ASSERT_TRUE(
        test::WriteRawPng(dir / "huge.png", 100000, 100000, 8, 2, {test::Idat({{1, 2, 3}})}));
    EXPECT_TRUE(png::Read(dir / "huge.png", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrOutOfMemory);
    EXPECT_EQ(w, 0);
    // A chunk that declares 1.8 GB of text in a file of a few bytes.
    ASSERT_TRUE(test::WriteRawPng(dir / "chunk.png", 1, 1, 8, 2, {test::Idat({{1, 2, 3}})}));
    auto bytes = test::ReadFileBytes(dir / "chunk.png");
    const std::vector<uint8_t> bogus = {0x6D, 0, 0, 0, 'i', 'T', 'X', 't', 'k', 0, 0, 0};
    bytes.insert(bytes.begin() + 33, bogus.begin(), bogus.end());
    ASSERT_TRUE(test::WriteFileBytes(dir / "chunk.png", bytes));
    EXPECT_TRUE(png::Read(dir / "chunk.png", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidPng);
    // A wide row within the limit decodes (libpng's own width cap is lifted).
    ASSERT_TRUE(test::WriteRawPng(dir / "wide.png", 1200000, 1, 1, 0,
                                  {test::Idat({std::vector<uint8_t>(150000, 0xF0)})}));
    PixelBlock wide = png::Read(dir / "wide.png", &w, &h);
    ASSERT_FALSE(wide.empty()) << GetLastImageError();
    EXPECT_EQ(w, 1200000);
    EXPECT_EQ(wide.data()[0], 255);
    EXPECT_EQ(wide.data()[4 * 3], 0);

    const auto rgb = test::Gradient(2, 2);
    EXPECT_EQ(png::Write24(dir / "x.png", nullptr, 2, 2, 0), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(png::WritePalette(dir / "x.png", rgb.data(), 2, 2, 256, nullptr, 0), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(png::Write24(dir / "no/dir.png", rgb.data(), 2, 2, 0), 0);
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
}

TEST(Png, ProgressRunsPerRowAndPassAndCancels) {
    {
        test::ProgressRecorder progress;
        int w = 0, h = 0;
        ASSERT_FALSE(png::Read(test::DataPath("pngsuite/basi2c08.png"), &w, &h).empty());
        EXPECT_EQ(progress.rows.size(), 7u * 32u);
        EXPECT_EQ(progress.rows[32], 0);
        EXPECT_EQ(progress.lastTotal, 32);
    }
    {
        CPxImage img;  // registers the application's callback
        test::ProgressRecorder progress(3);
        EXPECT_EQ(img.Load(test::DataPath("pngsuite/basn2c08.png")), ErrCancelled);
        EXPECT_TRUE(img.empty());
    }
    TempDir dir;
    const auto rgb = test::Gradient(4, 6);
    {
        test::ProgressRecorder progress;
        ASSERT_EQ(png::Write24(dir / "p.png", rgb.data(), 4, 6, 0), 1);
        EXPECT_EQ(progress.rows, (std::vector<int>{0, 1, 2, 3, 4, 5}));
    }
    test::ProgressRecorder progress(2);
    EXPECT_EQ(png::Write24(dir / "c.png", rgb.data(), 4, 6, 0), 0);
    EXPECT_EQ(GetLastImageError(), ErrCancelled);
}

}  // namespace
}  // namespace vig
