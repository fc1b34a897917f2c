#include "image/formats/jpeg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include <jpeglib.h>

#include "image/cpx_image.h"
#include "image/image_library.h"
#include "lib_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::TempDir;

int MaxDifference(const uint8_t* a, const uint8_t* b, size_t n) {
    int worst = 0;
    for (size_t i = 0; i < n; ++i) worst = std::max(worst, std::abs(int{a[i]} - int{b[i]}));
    return worst;
}

TEST(Jpeg, ColourRoundTripAndLoadByExtensionInAnyCase) {
    TempDir dir;
    const auto rgb = test::Gradient(67, 35);
    ASSERT_EQ(jpeg::Write(dir / "a.jpg", rgb.data(), 67, 35, 95, true), 1);
    int w = 0, h = 0;
    PixelBlock block = jpeg::Read(dir / "a.jpg", &w, &h);
    ASSERT_FALSE(block.empty());
    EXPECT_EQ(GetLastImageError(), ErrNone);
    ASSERT_EQ(w, 67);
    ASSERT_EQ(h, 35);
    EXPECT_LE(MaxDifference(block.data(), rgb.data(), rgb.size()), 12);

    std::filesystem::copy_file(dir / "a.jpg", dir / "b.JPG");
    CPxImage img;
    ASSERT_EQ(img.Load(dir / "b.JPG"), ErrNone);
    EXPECT_EQ(img.inputFormat(), InputJpeg);
    EXPECT_EQ(0, std::memcmp(img.data(), block.data(), block.size()));
}

TEST(Jpeg, GrayLevelFormulaAndGrayFilesHaveEqualChannels) {
    EXPECT_EQ(jpeg::GrayLevel(255, 255, 255), 255);
    EXPECT_EQ(jpeg::GrayLevel(255, 0, 0), 76);
    EXPECT_EQ(jpeg::GrayLevel(0, 255, 0), 149);
    EXPECT_EQ(jpeg::GrayLevel(0, 0, 255), 29);
    EXPECT_EQ(jpeg::GrayLevel(0, 0, 0), 0);

    // Four flat 8x8 blocks (white, red, green, blue): at quality 100 a flat
    // block decodes to exactly its value.
    std::vector<uint8_t> rgb(16 * 16 * 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = &rgb[(y * 16 + x) * 3];
            const int q = (y / 8) * 2 + x / 8;
            p[0] = (q == 0 || q == 1) ? 255 : 0;
            p[1] = (q == 0 || q == 2) ? 255 : 0;
            p[2] = (q == 0 || q == 3) ? 255 : 0;
        }
    TempDir dir;
    CPxImage img;
    PixelBlock copy;
    ASSERT_TRUE(copy.AllocateRgb(16, 16));
    std::memcpy(copy.data(), rgb.data(), rgb.size());
    img.Adopt(std::move(copy), 16, 16);
    img.SetJpegQuality(100);
    ASSERT_EQ(img.Save(dir / "g.jpg", 5), ErrNone);
    CPxImage back;
    ASSERT_EQ(back.Load(dir / "g.jpg"), ErrNone);
    const int expected[4] = {255, 76, 149, 29};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const PackedColour c = back.GetPixel(x, y);
            const int g = c & 0xFF;
            EXPECT_EQ(c, static_cast<PackedColour>(g | g << 8 | g << 16));
            EXPECT_EQ(g, expected[(y / 8) * 2 + x / 8]) << x << "," << y;
        }
}

TEST(Jpeg, QualityIsClampedToOneThroughHundred) {
    TempDir dir;
    const auto rgb = test::Gradient(40, 24);
    for (int q : {-5, 0, 1, 2, 100, 250})
        ASSERT_EQ(jpeg::Write(dir / (std::to_string(q) + ".jpg"), rgb.data(), 40, 24, q, true), 1);
    const auto bytes = [&](int q) {
        return test::ReadFileBytes(dir / (std::to_string(q) + ".jpg"));
    };
    EXPECT_EQ(bytes(0), bytes(1));
    EXPECT_EQ(bytes(-5), bytes(1));
    EXPECT_NE(bytes(2), bytes(1));
    EXPECT_EQ(bytes(250), bytes(100));
}

TEST(Jpeg, BadInputFailsQuietlyWithItsCode) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "text.jpg", "this is not a JPEG file at all"));
    ASSERT_TRUE(test::WriteFileText(dir / "empty.jpg", ""));
    int w = 7, h = 7;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(jpeg::Read(dir / "text.jpg", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidJpg);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 0);
    EXPECT_TRUE(jpeg::Read(dir / "empty.jpg", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidJpg);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_TRUE(jpeg::Read(dir / "missing.jpg", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);

    // With the switch on, the fatal message goes to the sink.
    static std::string seen;
    jpeg::SetCodecMessageSink(
        [](const char* title, const char* text) { seen = std::string(title) + "|" + text; });
    jpeg::SetShowCodecMessages(true);
    EXPECT_TRUE(jpeg::Read(dir / "text.jpg", &w, &h).empty());
    jpeg::SetShowCodecMessages(false);
    jpeg::SetCodecMessageSink(nullptr);
    EXPECT_EQ(seen.rfind("JPEG Fatal Error|", 0), 0u) << seen;

    const auto rgb = test::Gradient(4, 4);
    EXPECT_EQ(jpeg::Write(dir / "x.jpg", nullptr, 4, 4, 75, true), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(jpeg::Write(dir / "x.jpg", rgb.data(), 0, 4, 75, true), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(jpeg::Write(dir / "no/such/dir.jpg", rgb.data(), 4, 4, 75, true), 0);
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
}

// A declared size whose pixel block would pass 2^31-1 bytes is refused
// before anything is allocated.
TEST(Jpeg, HugeDeclaredSizeIsRefusedAsOutOfMemory) {
    TempDir dir;
    const auto rgb = test::Gradient(16, 16);
    ASSERT_EQ(jpeg::Write(dir / "s.jpg", rgb.data(), 16, 16, 75, true), 1);
    auto bytes = test::ReadFileBytes(dir / "s.jpg");
    size_t sof = 0;
    for (size_t i = 2; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            sof = i;
            break;
        }
    ASSERT_NE(sof, 0u);
    bytes[sof + 5] = bytes[sof + 7] = 0xEA;  // 60000 x 60000
    bytes[sof + 6] = bytes[sof + 8] = 0x60;
    ASSERT_TRUE(test::WriteFileBytes(dir / "huge.jpg", bytes));
    int w = 0, h = 0;
    EXPECT_TRUE(jpeg::Read(dir / "huge.jpg", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrOutOfMemory);
}

TEST(Jpeg, TruncatedFileKeepsTheRowsDecodedSoFar) {
    TempDir dir;
    const auto rgb = test::Gradient(64, 256);
    ASSERT_EQ(jpeg::Write(dir / "full.jpg", rgb.data(), 64, 256, 90, true), 1);
    int w = 0, h = 0;
    PixelBlock full = jpeg::Read(dir / "full.jpg", &w, &h);
    ASSERT_FALSE(full.empty());
    auto bytes = test::ReadFileBytes(dir / "full.jpg");
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(test::WriteFileBytes(dir / "half.jpg", bytes));
    testing::internal::CaptureStderr();
    PixelBlock half = jpeg::Read(dir / "half.jpg", &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(half.empty());
    EXPECT_EQ(GetLastImageError(), ErrNone);
    ASSERT_EQ(h, 256);
    const size_t row = 64 * 3;
    EXPECT_EQ(0, std::memcmp(half.data(), full.data(), 32 * row));  // the top survives
    std::vector<uint8_t> zero(row, 0);
    EXPECT_EQ(0, std::memcmp(half.data() + 255 * row, zero.data(), row));  // the end is zero
}

// Writes a 4-component JPEG with libjpeg; `ink` is the CMYK of one colour,
// stored inverted as Adobe's files do.
void WriteCmykJpeg(const std::string& path, const uint8_t ink[4], J_COLOR_SPACE space) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = 16;
    cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    uint8_t line[16 * 4];
    for (int x = 0; x < 16; ++x)
        for (int i = 0; i < 4; ++i) line[x * 4 + i] = static_cast<uint8_t>(255 - ink[i]);
    for (int y = 0; y < 16; ++y) {
        JSAMPROW r = line;
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

TEST(Jpeg, CmykAndYcckFilesLoadInTheirRgbAppearance) {
    TempDir dir;
    const uint8_t orange[4] = {0, 128, 255, 0};  // red 255, green 127, blue 0
    const uint8_t grey[4] = {0, 0, 0, 102};      // 60% of white: 153
    struct Case {
        const uint8_t* ink;
        J_COLOR_SPACE space;
        int r, g, b;
    } cases[] = {
        {orange, JCS_CMYK, 255, 127, 0},
        {orange, JCS_YCCK, 255, 127, 0},
        {grey, JCS_CMYK, 153, 153, 153},
    };
    for (const Case& c : cases) {
        WriteCmykJpeg(dir / "c.jpg", c.ink, c.space);
        int w = 0, h = 0;
        PixelBlock block = jpeg::Read(dir / "c.jpg", &w, &h);
        ASSERT_FALSE(block.empty()) << GetLastImageError();
        ASSERT_EQ(w, 16);
        for (size_t i = 0; i < block.size(); i += 3) {
            ASSERT_NEAR(block.data()[i], c.r, 3);
            ASSERT_NEAR(block.data()[i + 1], c.g, 3);
            ASSERT_NEAR(block.data()[i + 2], c.b, 3);
        }
    }
}

TEST(Jpeg, ProgressPerScanlineAndCancel) {
    TempDir dir;
    const auto rgb = test::Gradient(20, 30);
    {
        test::ProgressRecorder progress;
        ASSERT_EQ(jpeg::Write(dir / "p.jpg", rgb.data(), 20, 30, 75, true), 1);
        ASSERT_EQ(progress.rows.size(), 30u);
        EXPECT_EQ(progress.rows.front(), 0);
        EXPECT_EQ(progress.rows.back(), 29);
        EXPECT_EQ(progress.lastTotal, 30);
    }
    {
        test::ProgressRecorder progress;
        int w = 0, h = 0;
        ASSERT_FALSE(jpeg::Read(dir / "p.jpg", &w, &h).empty());
        ASSERT_EQ(progress.rows.size(), 30u);
        EXPECT_EQ(progress.rows[17], 17);
        EXPECT_EQ(progress.lastTotal, 30);
    }
    {
        test::ProgressRecorder progress(5);
        int w = 0, h = 0;
        EXPECT_TRUE(jpeg::Read(dir / "p.jpg", &w, &h).empty());
        EXPECT_EQ(GetLastImageError(), ErrCancelled);
        EXPECT_EQ(progress.rows.size(), 6u);
    }
    {
        test::ProgressRecorder progress(3);
        EXPECT_EQ(jpeg::Write(dir / "c.jpg", rgb.data(), 20, 30, 75, false), 0);
        EXPECT_EQ(GetLastImageError(), ErrCancelled);
    }
}

}  // namespace
}  // namespace vig
