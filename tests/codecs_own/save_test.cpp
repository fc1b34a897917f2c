// The save and load rows of BMP, PCX and GIF, through the image object.
#include <gtest/gtest.h>

#include <filesystem>

#include "codec_test_util.h"
#include "image/cpx_image.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

void Fill(CPxImage& img, const std::vector<uint8_t>& rgb, int w, int h) {
    PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(w, h));
    std::copy(rgb.begin(), rgb.end(), block.data());
    img.Adopt(std::move(block), w, h);
}

std::vector<uint8_t> Pixels(const CPxImage& img) {
    return {img.data(), img.data() + static_cast<size_t>(img.width()) * img.height() * 3};
}

struct Row {
    int code;
    const char* name;
    int inputFormat;
};

TEST(OwnCodecSaves, FullColourRowsKeepEveryPixel) {
    test::TempDir dir;
    const int w = 13, h = 7;
    const std::vector<uint8_t> rgb = test::NoiseBytes(w * h * 3, 99);
    for (const Row& r : {Row{6, "a.bmp", 6}, Row{15, "a.pcx", 15}, Row{6, "b.BMP", 6}}) {
        SCOPED_TRACE(r.name);
        CPxImage img;
        Fill(img, rgb, w, h);
        ASSERT_EQ(img.Save(dir / r.name, r.code), ErrNone);
        CPxImage back;
        ASSERT_EQ(back.Load(dir / r.name), ErrNone);
        EXPECT_EQ(back.inputFormat(), r.inputFormat);
        EXPECT_EQ(back.width(), w);
        EXPECT_EQ(Pixels(back), rgb);
    }
}

TEST(OwnCodecSaves, GrayscaleRowsWriteTheGrayLevels) {
    test::TempDir dir;
    const int w = 5, h = 3;
    const std::vector<uint8_t> rgb = test::NoiseBytes(w * h * 3, 7);
    std::vector<uint8_t> gray;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        const auto g =
            static_cast<uint8_t>(0.299 * rgb[i] + 0.587 * rgb[i + 1] + 0.114 * rgb[i + 2]);
        gray.insert(gray.end(), {g, g, g});
    }
    for (const Row& r : {Row{8, "g.bmp", 6}, Row{17, "g.pcx", 15}, Row{19, "g.gif", 18}}) {
        SCOPED_TRACE(r.name);
        CPxImage img;
        Fill(img, rgb, w, h);
        ASSERT_EQ(img.Save(dir / r.name, r.code), ErrNone);
        CPxImage back;
        ASSERT_EQ(back.Load(dir / r.name), ErrNone);
        EXPECT_EQ(back.inputFormat(), r.inputFormat);
        EXPECT_EQ(Pixels(back), gray);
    }
}

TEST(OwnCodecSaves, EightBitRowsKeepTheColoursOfAThreeColourImage) {
    test::TempDir dir;
    const int w = 9, h = 5;
    const uint8_t colours[3][3] = {{200, 30, 40}, {10, 220, 90}, {250, 250, 5}};
    std::vector<uint8_t> rgb;
    for (int i = 0; i < w * h; ++i) {
        const uint8_t* c = colours[(i * 7 / 3 + i / w) % 3];
        rgb.insert(rgb.end(), c, c + 3);
    }
    for (const Row& r : {Row{7, "q.bmp", 6}, Row{16, "q.pcx", 15}, Row{18, "q.gif", 18}}) {
        SCOPED_TRACE(r.name);
        CPxImage img;
        Fill(img, rgb, w, h);
        ASSERT_EQ(img.Save(dir / r.name, r.code), ErrNone);
        CPxImage back;
        ASSERT_EQ(back.Load(dir / r.name), ErrNone);
        EXPECT_EQ(back.inputFormat(), r.inputFormat);
        EXPECT_EQ(Pixels(back), rgb);
    }
}

TEST(OwnCodecSaves, FoldersAndMissingFilesCannotBeOpened) {
    test::TempDir dir;
    for (const char* name : {"folder.bmp", "folder.pcx", "folder.gif"}) {
        ASSERT_TRUE(std::filesystem::create_directory(dir / name));
        CPxImage img;
        EXPECT_EQ(img.Load(dir / name), ErrOpenFile) << name;
        EXPECT_TRUE(img.empty());
        EXPECT_EQ(img.Load(dir / ("missing-" + std::string(name))), ErrOpenFile) << name;
    }
}

}  // namespace
}  // namespace vig
