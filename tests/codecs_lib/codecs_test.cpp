// What the JPEG, PNG and TIFF codecs share: the answers to bad input and
// arguments, round trips with their progress calls, and the save-table rows
// of the image object.
#include <gtest/gtest.h>

#include <cctype>
#include <numeric>

#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "lib_test_util.h"

namespace vig {
namespace {

using test::TempDir;

struct Codec {
    std::string ext;
    image::PixelBlock (*read)(const std::string&, int*, int*);
    int (*write)(const std::string&, const uint8_t*, int, int);  // RGB
    image::ErrorCode invalid;
    int inputFormat;
    int tolerance;  // of the pixels read back
};

int WriteJpeg(const std::string& path, const uint8_t* rgb, int w, int h) {
    return image::jpeg::Write(path, rgb, w, h, 95, true);
}
int WritePng(const std::string& path, const uint8_t* rgb, int w, int h) {
    return image::png::Write24(path, rgb, w, h, 0.0);
}

const Codec kCodecs[] = {
    {"jpg", image::jpeg::Read, WriteJpeg, image::ErrInvalidJpg, image::InputJpeg, 12},
    {"png", image::png::Read, WritePng, image::ErrInvalidPng, image::InputPng, 0},
    {"tif", image::tiff::Read, image::tiff::Write24, image::ErrInvalidTiff, image::InputTiff, 0}};

TEST(LibraryCodecs, BadInputAndArgumentsGiveTheirCodesQuietly) {
    TempDir dir;
    const auto rgb = test::Gradient(4, 4);
    for (const Codec& c : kCodecs) {
        ASSERT_TRUE(test::WriteFileText(dir / ("text." + c.ext), "plain text, no image header"));
        int w = 7, h = 7;
        testing::internal::CaptureStderr();
        EXPECT_TRUE(c.read(dir / ("text." + c.ext), &w, &h).empty());
        EXPECT_EQ(image::GetLastImageError(), c.invalid) << c.ext;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << c.ext;
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
        EXPECT_TRUE(c.read(dir / ("missing." + c.ext), &w, &h).empty());
        EXPECT_EQ(image::GetLastImageError(), image::ErrOpenFile) << c.ext;
        // A folder is no image, whatever its name.
        ASSERT_TRUE(std::filesystem::create_directory(dir / ("folder." + c.ext)));
        image::CPxImage img;
        EXPECT_EQ(img.Load(dir / ("folder." + c.ext)), image::ErrOpenFile) << c.ext;

        EXPECT_EQ(c.write(dir / ("x." + c.ext), nullptr, 4, 4), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrParameter) << c.ext;
        EXPECT_EQ(c.write(dir / ("x." + c.ext), rgb.data(), 0, 4), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrParameter) << c.ext;
        EXPECT_EQ(c.write(dir / ("no/such/dir." + c.ext), rgb.data(), 4, 4), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrOpenFile) << c.ext;
    }
    EXPECT_EQ(image::png::WritePalette(dir / "x.png", rgb.data(), 2, 2, 256, nullptr, 0), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
    EXPECT_EQ(image::tiff::WritePalette(dir / "x.tif", rgb.data(), 2, 2, nullptr), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
}

// Each codec reads back what it wrote, also under an upper-case extension.
// JPEG and PNG report every row they read or write and stop when told to;
// the TIFF codecs make no progress calls.
TEST(LibraryCodecs, RoundTripWithProgressAndCancel) {
    TempDir dir;
    const auto rgb = test::Gradient(67, 35);
    for (const Codec& c : kCodecs) {
        const bool reports = c.ext != "tif";
        std::vector<int> rows(reports ? 35 : 0);
        std::iota(rows.begin(), rows.end(), 0);
        const std::string path = dir / ("p." + c.ext);
        {
            test::ProgressRecorder progress;
            ASSERT_EQ(c.write(path, rgb.data(), 67, 35), 1);
            EXPECT_EQ(progress.rows, rows) << c.ext;
        }
        int w = 0, h = 0;
        image::PixelBlock block;
        {
            test::ProgressRecorder progress;
            block = c.read(path, &w, &h);
            EXPECT_EQ(progress.rows, rows) << c.ext;
            EXPECT_EQ(progress.lastTotal, reports ? 35 : 0) << c.ext;
        }
        ASSERT_EQ(block.size(), rgb.size()) << c.ext;
        EXPECT_EQ(image::GetLastImageError(), image::ErrNone);
        ASSERT_EQ(w, 67);
        ASSERT_EQ(h, 35);
        for (size_t i = 0; i < rgb.size(); ++i)
            ASSERT_NEAR(block.data()[i], rgb[i], c.tolerance) << c.ext << " " << i;
        std::string upper = "P." + c.ext;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(ch));
        std::filesystem::copy_file(path, dir / upper);
        image::CPxImage img;
        ASSERT_EQ(img.Load(dir / upper), image::ErrNone);
        EXPECT_EQ(img.inputFormat(), c.inputFormat);
        EXPECT_EQ(0, std::memcmp(img.data(), block.data(), block.size())) << upper;
        if (!reports) continue;

        {
            image::CPxImage cancelled;  // registers the application's callback
            test::ProgressRecorder progress(5);
            EXPECT_EQ(cancelled.Load(path), image::ErrCancelled) << c.ext;
            EXPECT_TRUE(cancelled.empty());
            EXPECT_EQ(progress.rows.size(), 6u) << c.ext;
        }
        test::ProgressRecorder progress(3);
        EXPECT_EQ(c.write(dir / ("c." + c.ext), rgb.data(), 67, 35), 0);
        EXPECT_EQ(image::GetLastImageError(), image::ErrCancelled) << c.ext;
    }
}

// Gray is (0.587 G + 0.114 B) + 0.299 R, truncated. Four flat 8x8 blocks
// (white, red, green, blue) keep their value even in a JPEG of quality 100.
TEST(SaveRows, GrayRowsUseTheGrayFormula) {
    TempDir dir;
    std::vector<uint8_t> rgb(16 * 16 * 3);
    for (int i = 0; i < 16 * 16; ++i) {
        const int block = (i / 16 / 8) * 2 + i % 16 / 8;
        for (int c = 0; c < 3; ++c) rgb[3 * i + c] = block == 0 || block == c + 1 ? 255 : 0;
    }
    image::CPxImage img;
    test::SetPixels(img, rgb, 16, 16);
    img.SetJpegQuality(100);
    const int expected[4] = {255, 76, 149, 29};
    for (const auto& [name, format] :
         {std::pair{"g.jpg", 5}, std::pair{"g.png", 11}, std::pair{"g.tif", 14}}) {
        ASSERT_EQ(img.Save(dir / name, format), image::ErrNone) << name;
        image::CPxImage back;
        ASSERT_EQ(back.Load(dir / name), image::ErrNone) << name;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const int g = expected[(y / 8) * 2 + x / 8];
                ASSERT_EQ(back.GetPixel(x, y), static_cast<image::PackedColour>(g * 0x010101))
                    << name << " " << x << "," << y;
            }
    }
}

TEST(SaveRows, EightBitPngAndTiffKeepAFewColours) {
    TempDir dir;
    std::vector<uint8_t> rgb(32 * 32 * 3);
    const uint8_t colours[4][3] = {{250, 10, 10}, {10, 200, 30}, {20, 40, 220}, {240, 240, 240}};
    for (int i = 0; i < 32 * 32; ++i) std::memcpy(&rgb[3 * i], colours[(i / 8) % 4], 3);
    image::CPxImage img;
    test::SetPixels(img, rgb, 32, 32);
    for (const auto& [name, format] : {std::pair{"q.png", 10}, std::pair{"q.tif", 13}}) {
        ASSERT_EQ(img.Save(dir / name, format), image::ErrNone) << name;
        const auto px = test::Pixels(dir / name);
        ASSERT_EQ(px.size(), rgb.size()) << name;
        for (size_t i = 0; i < px.size(); ++i) ASSERT_NEAR(px[i], rgb[i], 8) << name << " " << i;
    }
    EXPECT_EQ(test::PngChunks(dir / "q.png").front().data[9], 3);  // IHDR colour type: palette
}

}  // namespace
}  // namespace vig
