#include "image/cpx_image.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "image/image_library.h"
#include "image/pixel_block.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

image::PackedColour Rgb(int r, int g, int b) {
    return static_cast<image::PackedColour>(r | (g << 8) | (b << 16));
}

void Fill(image::CPxImage& img, int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    image::PixelBlock block;
    ASSERT_TRUE(block.AllocateRgb(w, h));
    for (size_t i = 0; i < block.size(); i += 3) {
        block.data()[i] = r;
        block.data()[i + 1] = g;
        block.data()[i + 2] = b;
    }
    img.Adopt(std::move(block), w, h);
}

TEST(CPxImage, StartsEmptyWithItsDefaults) {
    image::CPxImage img;
    EXPECT_TRUE(img.empty());
    EXPECT_EQ(img.width(), 0);
    EXPECT_EQ(img.inputFormat(), 0);
    EXPECT_EQ(img.jpegQuality(), 75);
    EXPECT_DOUBLE_EQ(img.screenGamma(), 2.2);
    EXPECT_DOUBLE_EQ(img.fileGamma(), 0.0);
    EXPECT_TRUE(img.copyText());
    EXPECT_FALSE(img.compressText());
    EXPECT_EQ(img.sourceName(), "[Memory]");
    EXPECT_EQ(image::GetProgressCallback(), &image::ApplicationProgressCallback);
}

TEST(CPxImage, CheckerboardStartsTintedAtTheTopLeft) {
    image::CPxImage img;
    ASSERT_EQ(img.MakeCheckerboard(13, 7), image::ErrNone);
    ASSERT_EQ(img.width(), 13);
    ASSERT_EQ(img.height(), 7);
    const image::PackedColour tint = Rgb(220, 220, 255), white = Rgb(255, 255, 255);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 13; ++x) {
            const bool tintedColumn = x < 6 || x == 12;
            const bool expectTint = y < 6 ? tintedColumn : !tintedColumn;
            EXPECT_EQ(img.GetPixel(x, y), expectTint ? tint : white) << x << "," << y;
        }
    }
    EXPECT_EQ(img.MakeCheckerboard(0, 5), image::ErrParameter);
    EXPECT_TRUE(img.empty());
}

TEST(CPxImage, GetPixelOutsideOrEmptyIsZero) {
    image::CPxImage img;
    EXPECT_EQ(img.GetPixel(0, 0), 0u);
    Fill(img, 2, 2, 1, 2, 3);
    EXPECT_EQ(img.GetPixel(1, 1), Rgb(1, 2, 3));
    EXPECT_EQ(img.GetPixel(2, 0), 0u);
    EXPECT_EQ(img.GetPixel(-1, 0), 0u);
    EXPECT_EQ(img.GetPixel(0, 2), 0u);
}

TEST(CPxImage, MapToPalettePicksTheFirstOfEqualEntries) {
    image::CPxImage img;
    Fill(img, 3, 1, 100, 100, 100);
    // Entries (b, g, r, 0): two equal candidates at 1 and 2, a worse one at 0.
    const std::array<uint8_t, 12> pal = {0, 0, 0, 0, 90, 90, 90, 0, 90, 90, 90, 0};
    ASSERT_EQ(img.MapToPalette(3, pal.data()), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(90, 90, 90));

    // Channel order: the palette holds blue first.
    Fill(img, 1, 1, 250, 10, 0);
    const std::array<uint8_t, 8> pal2 = {0, 10, 250, 0, 250, 10, 0, 0};
    ASSERT_EQ(img.MapToPalette(2, pal2.data()), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), Rgb(250, 10, 0));

    image::CPxImage empty;
    EXPECT_EQ(empty.MapToPalette(2, pal2.data()), image::ErrUnknownFormat);
    EXPECT_EQ(img.MapToPalette(2, nullptr), image::ErrParameter);
}

TEST(CPxImage, CopyFromCopiesPixelsAndKeepsOwnOptions) {
    image::CPxImage src, dst;
    EXPECT_EQ(dst.CopyFrom(src), image::ErrParameter);
    Fill(src, 4, 3, 9, 8, 7);
    dst.SetJpegQuality(40);
    ASSERT_EQ(dst.CopyFrom(src), image::ErrNone);
    EXPECT_EQ(dst.width(), 4);
    EXPECT_EQ(dst.height(), 3);
    EXPECT_EQ(dst.GetPixel(3, 2), Rgb(9, 8, 7));
    EXPECT_EQ(dst.jpegQuality(), 40);
    EXPECT_EQ(dst.inputFormat(), 0);
    EXPECT_NE(dst.data(), src.data());
}

TEST(CPxImage, SaveOfAnEmptyImageOrAnUnknownFormatWritesNothing) {
    test::TempDir dir;
    image::CPxImage img;
    EXPECT_EQ(img.Save(dir / "a.jpg", 4), image::ErrParameter);
    Fill(img, 2, 2, 0, 0, 0);
    EXPECT_EQ(img.Save(dir / "a.jpg", 3), image::ErrNone);
    EXPECT_EQ(img.Save(dir / "a.jpg", 20), image::ErrNone);
    EXPECT_EQ(img.Save(dir / "a.jpg", 0), image::ErrNone);
    EXPECT_FALSE(test::FileExists(dir / "a.jpg"));
}

TEST(CPxImage, LoadRefusesUnknownExtensionsAndEmptyPaths) {
    test::TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "photo.jpeg", "data"));
    image::CPxImage img;
    Fill(img, 2, 2, 1, 1, 1);
    EXPECT_EQ(img.Load(""), image::ErrOpenFile);
    EXPECT_FALSE(img.empty()) << "an empty path changes nothing";
    EXPECT_EQ(img.Load(dir / "photo.jpeg"), image::ErrUnknownFormat);
    EXPECT_TRUE(img.empty());
    EXPECT_EQ(img.Load(dir / "noextension"), image::ErrUnknownFormat);
    EXPECT_EQ(img.sourceName(), "[Memory]");
}

TEST(CPxImage, OnlyRegularFilesAreRead) {
    // A pipe without a writer must not block the reader; a folder and a
    // device are no images either.
    test::TempDir dir;
    image::CPxImage img;
    for (const char* ext : {".gif", ".bmp", ".jpg", ".tif", ".png", ".pcx"}) {
        const std::string pipe = dir / (std::string("pipe") + ext);
        ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
        EXPECT_EQ(img.Load(pipe), image::ErrOpenFile) << ext;
        ASSERT_EQ(mkdir((dir / (std::string("folder") + ext)).c_str(), 0700), 0);
        EXPECT_EQ(img.Load(dir / (std::string("folder") + ext)), image::ErrOpenFile) << ext;
    }
    EXPECT_EQ(img.Load("/dev/null/x.png"), image::ErrOpenFile);
    ASSERT_EQ(symlink("/dev/zero", (dir / "zero.bmp").c_str()), 0);
    EXPECT_EQ(img.Load(dir / "zero.bmp"), image::ErrOpenFile);
}

TEST(CPxImage, SquareTableIsIndexedBySignedDifference) {
    const int* sq = image::CPxImage::SquareTable();
    EXPECT_EQ(sq[0], 0);
    EXPECT_EQ(sq[-255], 65025);
    EXPECT_EQ(sq[255], 65025);
    EXPECT_EQ(sq[-3], 9);
}

TEST(PixelBlock, SizesAreCheckedBeforeAllocation) {
    size_t bytes = 0;
    EXPECT_TRUE(image::BlockSize(1000, 1000, 3, &bytes));
    EXPECT_EQ(bytes, 3000000u);
    EXPECT_FALSE(image::BlockSize(0, 10, 3, &bytes));
    EXPECT_FALSE(image::BlockSize(10, -1, 3, &bytes));
    EXPECT_FALSE(image::BlockSize(3000000, 2000000, 3, &bytes));
    EXPECT_FALSE(image::BlockSize(0x7FFFFFFF, 1, 3, &bytes));
    EXPECT_TRUE(image::BlockSize(0x7FFFFFFF / 3, 1, 3, &bytes));
    image::PixelBlock block;
    EXPECT_FALSE(block.AllocateRgb(3000000, 2000000));
    EXPECT_TRUE(block.empty());
    ASSERT_TRUE(block.AllocateRgb(5, 5));
    for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], 0);
}

TEST(ImageLibrary, ApplicationCallbackPumpsEveryTwentiethRowAndNeverCancels) {
    struct Counter {
        int calls = 0;
        int lastMs = 0;
    } counter;
    image::SetMessagePump(
        [](void* ctx, int ms) {
            auto* c = static_cast<Counter*>(ctx);
            ++c->calls;
            c->lastMs = ms;
        },
        &counter);
    for (int row = 0; row < 45; ++row) EXPECT_EQ(image::ApplicationProgressCallback(row, 45), 1);
    EXPECT_EQ(counter.calls, 3);  // rows 0, 20, 40
    EXPECT_EQ(counter.lastMs, 80);
    image::SetMessagePump(nullptr, nullptr);
}

}  // namespace
}  // namespace vig
