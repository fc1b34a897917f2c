#include "image/formats/jpeg.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "lib_test_util.h"

namespace vig {
namespace {

using test::TempDir;

TEST(Jpeg, QualityIsClampedToOneThroughHundred) {
    TempDir dir;
    const auto rgb = test::Gradient(40, 24);
    const auto bytes = [&](int q) {
        const std::string path = dir / (std::to_string(q) + ".jpg");
        EXPECT_EQ(jpeg::Write(path, rgb.data(), 40, 24, q, true), 1) << q;
        return test::ReadFileBytes(path);
    };
    EXPECT_EQ(bytes(0), bytes(1));
    EXPECT_EQ(bytes(-5), bytes(1));
    EXPECT_NE(bytes(2), bytes(1));
    EXPECT_EQ(bytes(250), bytes(100));
}

TEST(Jpeg, CodecMessagesOnlyWithTheSwitchOn) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "text.jpg", "this is not a JPEG file at all"));
    ASSERT_TRUE(test::WriteFileText(dir / "empty.jpg", ""));
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(jpeg::Read(dir / "empty.jpg", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidJpg);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // With the switch on, the fatal message goes to the sink.
    static std::string seen;
    jpeg::SetCodecMessageSink(
        [](const char* title, const char* text) { seen = std::string(title) + "|" + text; });
    jpeg::SetShowCodecMessages(true);
    EXPECT_TRUE(jpeg::Read(dir / "text.jpg", &w, &h).empty());
    jpeg::SetShowCodecMessages(false);
    jpeg::SetCodecMessageSink(nullptr);
    EXPECT_EQ(seen.rfind("JPEG Fatal Error|", 0), 0u) << seen;
}

// A declared size whose pixel block would pass 2^31-1 bytes is refused
// before anything is allocated.
TEST(Jpeg, HugeDeclaredSizeIsRefusedAsOutOfMemory) {
    TempDir dir;
    const auto rgb = test::Gradient(16, 16);
    ASSERT_EQ(jpeg::Write(dir / "s.jpg", rgb.data(), 16, 16, 75, true), 1);
    auto bytes = test::ReadFileBytes(dir / "s.jpg");
    const uint8_t sof0[2] = {0xFF, 0xC0};
    const size_t sof = std::search(bytes.begin() + 2, bytes.end(), sof0, sof0 + 2) - bytes.begin();
    ASSERT_LT(sof + 9, bytes.size());
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
    const uint8_t* last = half.data() + 255 * row;
    EXPECT_TRUE(
        std::all_of(last, last + row, [](uint8_t v) { return v == 0; }));  // the end is zero
}

// A progressive JPEG of the gradient, as libjpeg's simple progression writes
// it.
std::vector<uint8_t> ProgressiveJpeg(int width, int height) {
    const auto rgb = test::Gradient(width, height);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &out, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_simple_progression(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[size_t{cinfo.next_scanline} * width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::vector<uint8_t> bytes(out, out + size);
    std::free(out);
    return bytes;
}

// Where the first scan (its SOS marker) begins and where its data ends.
std::pair<size_t, size_t> FirstScan(const std::vector<uint8_t>& b) {
    size_t start = 2;
    while (start + 4 < b.size() && !(b[start] == 0xFF && b[start + 1] == 0xDA))
        start += 2 + (size_t{b[start + 2]} << 8 | b[start + 3]);
    size_t end = start + 2 + (size_t{b[start + 2]} << 8 | b[start + 3]);
    while (end + 1 < b.size() &&
           !(b[end] == 0xFF && b[end + 1] != 0 && (b[end + 1] < 0xD0 || b[end + 1] > 0xD7)))
        ++end;
    return {start, end};
}

// Repeating a scan only costs time (the repeats decode to the same
// coefficients); beyond any encoder's count of scans the file is refused
// instead of keeping the program busy for minutes.
TEST(Jpeg, FilesWithThousandsOfScansAreRefused) {
    TempDir dir;
    const std::vector<uint8_t> original = ProgressiveJpeg(48, 32);
    ASSERT_TRUE(test::WriteFileBytes(dir / "p.jpg", original));
    int w = 0, h = 0;
    PixelBlock want = jpeg::Read(dir / "p.jpg", &w, &h);
    ASSERT_FALSE(want.empty());
    const auto [start, end] = FirstScan(original);
    ASSERT_LT(end, original.size());
    for (const int copies : {50, 600}) {
        std::vector<uint8_t> bytes(original.begin(), original.begin() + end);
        for (int i = 0; i < copies; ++i)
            bytes.insert(bytes.end(), original.begin() + start, original.begin() + end);
        bytes.insert(bytes.end(), original.begin() + end, original.end());
        ASSERT_TRUE(test::WriteFileBytes(dir / "many.jpg", bytes));
        PixelBlock got = jpeg::Read(dir / "many.jpg", &w, &h);
        if (copies < 500) {
            ASSERT_EQ(got.size(), want.size());
            EXPECT_EQ(0, std::memcmp(got.data(), want.data(), want.size()));
        } else {
            EXPECT_TRUE(got.empty());
            EXPECT_EQ(GetLastImageError(), ErrInvalidJpg);
        }
    }
}

// A stop request reaches into the decode (a long progressive file would
// otherwise keep the program deaf to Ctrl-C).
TEST(Jpeg, StopRequestEndsTheDecode) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileBytes(dir / "p.jpg", ProgressiveJpeg(64, 64)));
    static int calls;
    calls = 0;
    SetStopCheck([](void*) { return ++calls > 3; }, nullptr);
    int w = 0, h = 0;
    const bool empty = jpeg::Read(dir / "p.jpg", &w, &h).empty();
    const ErrorCode code = GetLastImageError();
    SetStopCheck(nullptr, nullptr);
    EXPECT_TRUE(empty);
    EXPECT_EQ(code, ErrCancelled);
}

// A marker cutting the entropy data short ends the decode like the end of
// the file: the rest stays black instead of being decoded from nothing.
TEST(Jpeg, DataCutShortByAMarkerEndsLikeATruncation) {
    TempDir dir;
    const auto rgb = test::Gradient(64, 256);
    ASSERT_EQ(jpeg::Write(dir / "full.jpg", rgb.data(), 64, 256, 90, true), 1);
    auto bytes = test::ReadFileBytes(dir / "full.jpg");
    const size_t cut = bytes.size() / 2;
    bytes.resize(cut);
    bytes.insert(bytes.end(), {0xFF, 0xD9, 0x00, 0x00, 0x00, 0x00});  // EOI, then junk
    ASSERT_TRUE(test::WriteFileBytes(dir / "cut.jpg", bytes));
    int w = 0, h = 0;
    PixelBlock cutShort = jpeg::Read(dir / "cut.jpg", &w, &h);
    ASSERT_EQ(h, 256);
    const uint8_t* last = cutShort.data() + size_t{255} * 64 * 3;
    EXPECT_TRUE(std::all_of(last, last + 64 * 3, [](uint8_t v) { return v == 0; }));
}

// Writes a 16 x 16 4-component JPEG of one colour; `ink` is its CMYK,
// stored inverted as Adobe's files do.
void WriteCmykJpeg(const std::string& path, const uint8_t ink[4], J_COLOR_SPACE space) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = cinfo.image_height = 16;
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&cinfo);
    jpeg_set_colorspace(&cinfo, space);
    jpeg_set_quality(&cinfo, 100, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    uint8_t line[16 * 4];
    for (int i = 0; i < 16 * 4; ++i) line[i] = static_cast<uint8_t>(255 - ink[i % 4]);
    for (JSAMPROW r = line; cinfo.next_scanline < 16;) jpeg_write_scanlines(&cinfo, &r, 1);
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

TEST(Jpeg, CmykAndYcckFilesLoadInTheirRgbAppearance) {
    TempDir dir;
    const uint8_t orange[4] = {0, 128, 255, 0};  // red 255, green 127, blue 0
    const uint8_t grey[4] = {0, 0, 0, 102};      // 60% of white: 153
    const struct {
        const uint8_t* ink;
        J_COLOR_SPACE space;
        int rgb[3];
    } cases[] = {{orange, JCS_CMYK, {255, 127, 0}},
                 {orange, JCS_YCCK, {255, 127, 0}},
                 {grey, JCS_CMYK, {153, 153, 153}}};
    for (const auto& c : cases) {
        WriteCmykJpeg(dir / "c.jpg", c.ink, c.space);
        int w = 0, h = 0;
        PixelBlock block = jpeg::Read(dir / "c.jpg", &w, &h);
        ASSERT_FALSE(block.empty()) << GetLastImageError();
        ASSERT_EQ(w, 16);
        for (size_t i = 0; i < block.size(); ++i) ASSERT_NEAR(block.data()[i], c.rgb[i % 3], 3);
    }
}

}  // namespace
}  // namespace vig
