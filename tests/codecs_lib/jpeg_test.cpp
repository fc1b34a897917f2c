#include "image/formats/jpeg.h"

#include <gtest/gtest.h>
#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "image/cpx_image.h"
#include "image/exif.h"
#include "lib_test_util.h"
#include "processing/resample.h"
#include "support/exif_jpeg.h"

namespace vig {
namespace {

using test::TempDir;

TEST(Jpeg, QualityIsClampedToOneThroughHundred) {
    TempDir dir;
    const auto rgb = test::Gradient(40, 24);
    const auto bytes = [&](int q) {
        const std::string path = dir / (std::to_string(q) + ".jpg");
        EXPECT_EQ(image::jpeg::Write(path, rgb.data(), 40, 24, q, true), 1) << q;
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
    EXPECT_TRUE(image::jpeg::Read(dir / "empty.jpg", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrInvalidJpg);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    // With the switch on, the fatal message goes to the sink.
    static std::string seen;
    image::jpeg::SetCodecMessageSink(
        [](const char* title, const char* text) { seen = std::string(title) + "|" + text; });
    image::jpeg::SetShowCodecMessages(true);
    EXPECT_TRUE(image::jpeg::Read(dir / "text.jpg", &w, &h).empty());
    image::jpeg::SetShowCodecMessages(false);
    image::jpeg::SetCodecMessageSink(nullptr);
    EXPECT_EQ(seen.rfind("JPEG Fatal Error|", 0), 0u) << seen;
}

// A declared size whose pixel block would pass 2^31-1 bytes is refused
// before anything is allocated.
TEST(Jpeg, HugeDeclaredSizeIsRefusedAsOutOfMemory) {
    TempDir dir;
    const auto rgb = test::Gradient(16, 16);
    ASSERT_EQ(image::jpeg::Write(dir / "s.jpg", rgb.data(), 16, 16, 75, true), 1);
    auto bytes = test::ReadFileBytes(dir / "s.jpg");
    const uint8_t sof0[2] = {0xFF, 0xC0};
    const size_t sof = std::search(bytes.begin() + 2, bytes.end(), sof0, sof0 + 2) - bytes.begin();
    ASSERT_LT(sof + 9, bytes.size());
    bytes[sof + 5] = bytes[sof + 7] = 0xEA;  // 60000 x 60000
    bytes[sof + 6] = bytes[sof + 8] = 0x60;
    ASSERT_TRUE(test::WriteFileBytes(dir / "huge.jpg", bytes));
    int w = 0, h = 0;
    EXPECT_TRUE(image::jpeg::Read(dir / "huge.jpg", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrOutOfMemory);
}

TEST(Jpeg, TruncatedFileKeepsTheRowsDecodedSoFar) {
    TempDir dir;
    const auto rgb = test::Gradient(64, 256);
    ASSERT_EQ(image::jpeg::Write(dir / "full.jpg", rgb.data(), 64, 256, 90, true), 1);
    int w = 0, h = 0;
    image::PixelBlock full = image::jpeg::Read(dir / "full.jpg", &w, &h);
    ASSERT_FALSE(full.empty());
    auto bytes = test::ReadFileBytes(dir / "full.jpg");
    bytes.resize(bytes.size() / 2);
    ASSERT_TRUE(test::WriteFileBytes(dir / "half.jpg", bytes));
    testing::internal::CaptureStderr();
    image::PixelBlock half = image::jpeg::Read(dir / "half.jpg", &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_FALSE(half.empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrNone);
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
    image::PixelBlock want = image::jpeg::Read(dir / "p.jpg", &w, &h);
    ASSERT_FALSE(want.empty());
    const auto [start, end] = FirstScan(original);
    ASSERT_LT(end, original.size());
    for (const int copies : {50, 600}) {
        std::vector<uint8_t> bytes(original.begin(), original.begin() + end);
        for (int i = 0; i < copies; ++i)
            bytes.insert(bytes.end(), original.begin() + start, original.begin() + end);
        bytes.insert(bytes.end(), original.begin() + end, original.end());
        ASSERT_TRUE(test::WriteFileBytes(dir / "many.jpg", bytes));
        image::PixelBlock got = image::jpeg::Read(dir / "many.jpg", &w, &h);
        if (copies < 500) {
            ASSERT_EQ(got.size(), want.size());
            EXPECT_EQ(0, std::memcmp(got.data(), want.data(), want.size()));
        } else {
            EXPECT_TRUE(got.empty());
            EXPECT_EQ(image::GetLastImageError(), image::ErrInvalidJpg);
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
    image::SetStopCheck([](void*) { return ++calls > 3; }, nullptr);
    int w = 0, h = 0;
    const bool empty = image::jpeg::Read(dir / "p.jpg", &w, &h).empty();
    const image::ErrorCode code = image::GetLastImageError();
    image::SetStopCheck(nullptr, nullptr);
    EXPECT_TRUE(empty);
    EXPECT_EQ(code, image::ErrCancelled);
}

// A marker cutting the entropy data short ends the decode like the end of
// the file: the rest stays black instead of being decoded from nothing.
TEST(Jpeg, DataCutShortByAMarkerEndsLikeATruncation) {
    TempDir dir;
    const auto rgb = test::Gradient(64, 256);
    ASSERT_EQ(image::jpeg::Write(dir / "full.jpg", rgb.data(), 64, 256, 90, true), 1);
    auto bytes = test::ReadFileBytes(dir / "full.jpg");
    const size_t cut = bytes.size() / 2;
    bytes.resize(cut);
    bytes.insert(bytes.end(), {0xFF, 0xD9, 0x00, 0x00, 0x00, 0x00});  // EOI, then junk
    ASSERT_TRUE(test::WriteFileBytes(dir / "cut.jpg", bytes));
    int w = 0, h = 0;
    image::PixelBlock cutShort = image::jpeg::Read(dir / "cut.jpg", &w, &h);
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
        image::PixelBlock block = image::jpeg::Read(dir / "c.jpg", &w, &h);
        ASSERT_FALSE(block.empty()) << image::GetLastImageError();
        ASSERT_EQ(w, 16);
        for (size_t i = 0; i < block.size(); ++i) ASSERT_NEAR(block.data()[i], c.rgb[i % 3], 3);
    }
}

// libjpeg rounds a scaled size up: ceil(full * M / 8).
TEST(Jpeg, DraftScaleIsTheSmallestThatStillGivesTheMinimum) {
    const struct {
        int w, h, minW, minH, scale;
    } rows[] = {
        {4000, 3000, 200, 150, 1},    // 500 x 375
        {4000, 3000, 200, 400, 2},    // 1/8 has 375 rows only
        {1000, 1000, 126, 1, 2},      // 1/8 gives 125
        {1001, 1, 126, 1, 1},         // 1/8 gives 126 x 1
        {4000, 3000, 3000, 2250, 6},  // exactly 6/8
        {4000, 3000, 3001, 10, 7},
        {4000, 3000, 3501, 10, 8},    // 7/8 gives 3500: only the full size does
        {4000, 3000, 8000, 6000, 8},  // more than the picture
        {5, 3, 2, 2, 3},
    };
    for (const auto& r : rows)
        EXPECT_EQ(image::jpeg::DraftScale(r.w, r.h, r.minW, r.minH), r.scale)
            << r.w << "x" << r.h << " for " << r.minW << "x" << r.minH;
}

// The plan is asked with the picture's upright size and answered upright:
// a photo on its side decodes at the scale the turned minimum allows.
TEST(Jpeg, DraftScaleOfAPhotoOnItsSide) {
    TempDir dir;
    const auto rgb = test::Gradient(100, 60);
    ASSERT_EQ(image::jpeg::Write(dir / "p.jpg", rgb.data(), 100, 60, 90, true), 1);
    ASSERT_TRUE(test::WriteFileBytes(
        dir / "side.jpg",
        test::WithApp1(test::ReadFileBytes(dir / "p.jpg"), test::ExifOrientationBlock(6))));
    for (const bool orient : {false, true}) {
        std::pair<int, int> asked;
        image::DecodeHints hints;
        hints.readOrientation = orient;
        hints.plan = [&](int w, int h) {
            asked = {w, h};
            // 2/8 is the smallest scale with 24 across the long side.
            return w > h ? image::DecodePlan{24, 10, 0, 0} : image::DecodePlan{10, 24, 0, 0};
        };
        image::CPxImage image;
        image::DecodeInfo info;
        ASSERT_EQ(image.Load(dir / "side.jpg", hints, &info), image::ErrNone);
        const auto full = orient ? std::make_pair(60, 100) : std::make_pair(100, 60);
        EXPECT_EQ(asked, full);
        EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight), full);
        EXPECT_EQ(std::make_pair(image.width(), image.height()),
                  orient ? std::make_pair(15, 25) : std::make_pair(25, 15));
    }
}

// The box reduction made row by row as the picture is decoded gives what
// reducing the decoded picture gives: in colour, in gray, cut short, and at
// a draft scale.
TEST(Jpeg, ReducedWhileDecodingAsWhenReducedAfter) {
    TempDir dir;
    const auto rgb = test::Gradient(203, 131);
    ASSERT_EQ(image::jpeg::Write(dir / "c.jpg", rgb.data(), 203, 131, 90, true), 1);
    ASSERT_EQ(image::jpeg::Write(dir / "g.jpg", rgb.data(), 203, 131, 90, false), 1);
    auto cut = test::ReadFileBytes(dir / "c.jpg");
    cut.resize(cut.size() * 2 / 3);
    ASSERT_TRUE(test::WriteFileBytes(dir / "t.jpg", cut));
    const struct {
        const char* file;
        int minW, minH, w, h;
    } rows[] = {{"c.jpg", 0, 0, 17, 11},
                {"g.jpg", 0, 0, 60, 131},
                {"t.jpg", 0, 0, 31, 20},
                {"c.jpg", 40, 20, 20, 10}};
    for (const auto& r : rows) {
        image::DecodeHints draft;
        draft.plan = [&](int, int) { return image::DecodePlan{r.minW, r.minH, 0, 0}; };
        image::CPxImage after;
        image::DecodeInfo info;
        ASSERT_EQ(after.Load(dir / r.file, draft, &info), image::ErrNone);
        ASSERT_FALSE(info.reduced);
        ASSERT_EQ(after.Resize(r.w, r.h, 2), image::ErrNone);
        image::DecodeHints hints;
        hints.plan = [&](int, int) { return image::DecodePlan{r.minW, r.minH, r.w, r.h}; };
        image::CPxImage during;
        ASSERT_EQ(during.Load(dir / r.file, hints, &info), image::ErrNone);
        EXPECT_TRUE(info.reduced);
        ASSERT_EQ(std::make_pair(during.width(), during.height()), std::make_pair(r.w, r.h));
        EXPECT_EQ(std::memcmp(during.data(), after.data(), size_t(r.w) * r.h * 3), 0) << r.file;
    }
}

// A photo cut short decodes to the rows its data still holds and zero rows
// after them; reduced as it is decoded it gives, byte for byte, the box
// reduction of that picture. Cut at several places, so that some cut falls
// inside the band of rows one reduced row averages.
TEST(Jpeg, ACutPhotoReducedWhileDecodingIsTheReductionOfItsZeroFilledPicture) {
    TempDir dir;
    const int w = 203, h = 131;
    const size_t rowBytes = size_t(w) * 3;
    const auto rgb = test::Gradient(w, h);  // no black row anywhere
    ASSERT_EQ(image::jpeg::Write(dir / "whole.jpg", rgb.data(), w, h, 90, true), 1);
    const auto bytes = test::ReadFileBytes(dir / "whole.jpg");
    image::CPxImage whole;
    ASSERT_EQ(whole.Load(dir / "whole.jpg"), image::ErrNone);
    const auto zeroRow = [&](const image::CPxImage& image, int y) {
        const uint8_t* p = image.data() + size_t(y) * rowBytes;
        return std::all_of(p, p + rowBytes, [](uint8_t v) { return v == 0; });
    };
    for (const int percent : {50, 58, 66, 75, 88}) {
        auto cut = bytes;
        cut.resize(bytes.size() * percent / 100);
        ASSERT_TRUE(test::WriteFileBytes(dir / "cut.jpg", cut));
        image::CPxImage full;
        ASSERT_EQ(full.Load(dir / "cut.jpg"), image::ErrNone) << percent;
        ASSERT_EQ(std::make_pair(full.width(), full.height()), std::make_pair(w, h));
        int kept = h;
        while (kept > 0 && zeroRow(full, kept - 1)) --kept;
        EXPECT_LT(kept, h) << percent << "%: the rows past the data are zero";
        EXPECT_GT(kept, 16) << percent;
        // The rows before the last band of blocks are the whole photo's.
        for (int y = 0; y + 16 < kept; ++y)
            ASSERT_EQ(
                std::memcmp(full.data() + y * rowBytes, whole.data() + y * rowBytes, rowBytes), 0)
                << percent << "%, row " << y;

        for (const auto& [rw, rh] : {std::make_pair(31, 20), std::make_pair(17, 11),
                                     std::make_pair(101, 43), std::make_pair(60, 131)}) {
            image::CPxImage after;
            ASSERT_EQ(after.Load(dir / "cut.jpg"), image::ErrNone);
            ASSERT_EQ(after.Resize(rw, rh, processing::ResampleBoxKind), image::ErrNone);
            image::DecodeHints hints;
            hints.plan = [rw = rw, rh = rh](int, int) { return image::DecodePlan{0, 0, rw, rh}; };
            image::CPxImage during;
            image::DecodeInfo info;
            ASSERT_EQ(during.Load(dir / "cut.jpg", hints, &info), image::ErrNone);
            ASSERT_TRUE(info.reduced) << "the reduction is made while decoding";
            EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight), std::make_pair(w, h));
            ASSERT_EQ(std::make_pair(during.width(), during.height()), std::make_pair(rw, rh));
            EXPECT_EQ(std::memcmp(during.data(), after.data(), size_t(rw) * rh * 3), 0)
                << percent << "% to " << rw << " x " << rh;
        }
    }
}

std::vector<uint32_t> Pixels(const image::CPxImage& image) {
    std::vector<uint32_t> px;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) px.push_back(image.GetPixel(x, y));
    return px;
}

// What the camera asks a viewer to do with a picture of each orientation,
// made of quarter turns clockwise (the overlay's turning) and a mirror.
void Upright(image::CPxImage& image, int orientation) {
    const auto mirror = [&] {
        uint8_t* p = image.data();
        for (int y = 0; y < image.height(); ++y, p += image.width() * 3)
            for (int a = 0, b = image.width() - 1; a < b; ++a, --b)
                std::swap_ranges(p + a * 3, p + a * 3 + 3, p + b * 3);
    };
    // Orientation:                   1  2  3  4  5  6  7  8
    static constexpr bool kMirror[] = {0, 1, 0, 0, 1, 0, 1, 0};
    static constexpr int kTurns[] = {0, 0, 2, 2, 3, 1, 1, 3};
    if (kMirror[orientation - 1]) mirror();
    ASSERT_EQ(image.Rotate(kTurns[orientation - 1]), image::ErrNone);
    if (orientation == 4) mirror();  // a half turn and a mirror: top to bottom
}

TEST(Jpeg, EveryExifOrientationIsTurnedUpright) {
    TempDir dir;
    const auto rgb = test::Gradient(13, 7);  // no two corners alike
    ASSERT_EQ(image::jpeg::Write(dir / "p.jpg", rgb.data(), 13, 7, 100, true), 1);
    const auto bytes = test::ReadFileBytes(dir / "p.jpg");
    image::DecodeHints hints;
    hints.readOrientation = true;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        // Little-endian blocks for the odd ones, big-endian for the even.
        ASSERT_TRUE(test::WriteFileBytes(
            dir / "o.jpg",
            test::WithApp1(bytes, test::ExifOrientationBlock(orientation, orientation % 2 == 0))));
        image::CPxImage want, got;
        image::DecodeInfo info;
        ASSERT_EQ(want.Load(dir / "o.jpg"), image::ErrNone);  // as stored, without the hint
        Upright(want, orientation);
        ASSERT_EQ(got.Load(dir / "o.jpg", hints, &info), image::ErrNone);
        EXPECT_EQ(info.orientation, orientation);
        EXPECT_EQ(std::make_pair(got.width(), got.height()),
                  std::make_pair(want.width(), want.height()));
        EXPECT_TRUE(Pixels(got) == Pixels(want)) << "orientation " << orientation;
    }
}

TEST(Jpeg, BadExifBlocksMeanOrientationOne) {
    const auto good = test::ExifOrientationBlock(6);
    const auto changed = [&](size_t at, uint8_t v) {
        auto b = good;
        b[at] = v;
        return b;
    };
    // Offsets in the block: 6 byte order, 8 magic, 10 directory offset,
    // 14 entry count, 16 tag, 18 type, 20 value count, 24 value (big-endian).
    const struct {
        const char* what;
        std::vector<uint8_t> block;
        int orientation;
    } rows[] = {
        {"good, big-endian", good, 6},
        {"good, little-endian", test::ExifOrientationBlock(8, false), 8},
        {"value 0", test::ExifOrientationBlock(0), 1},
        {"value 9", test::ExifOrientationBlock(9), 1},
        {"no Exif id", changed(0, 'e'), 1},
        {"unknown byte order", changed(6, 'X'), 1},
        {"wrong magic", changed(9, 43), 1},
        {"directory past the end", changed(13, 200), 1},
        {"more entries than data, none of them the orientation",
         [&] {
             auto b = changed(15, 9);
             b[17] = 0x13;
             return b;
         }(),
         1},
        {"another tag only", changed(17, 0x13), 1},
        {"value of type LONG", changed(19, 4), 1},
        {"cut in the entry", std::vector<uint8_t>(good.begin(), good.begin() + 24), 1},
        {"empty", {}, 1},
    };
    for (const auto& r : rows)
        EXPECT_EQ(image::ExifOrientation(r.block.data(), r.block.size()), r.orientation) << r.what;

    // A picture with a bad block loads as stored; an APP1 segment of other
    // data before the EXIF one is passed over.
    TempDir dir;
    const auto rgb = test::Gradient(12, 5);
    ASSERT_EQ(image::jpeg::Write(dir / "p.jpg", rgb.data(), 12, 5, 90, true), 1);
    const auto bytes = test::ReadFileBytes(dir / "p.jpg");
    const std::vector<uint8_t> xmp = {'h', 't', 't', 'p', ':', '/', '/', 0, 1, 2};
    image::DecodeHints hints;
    hints.readOrientation = true;
    const std::pair<std::vector<uint8_t>, int> files[] = {
        {test::WithApp1(bytes, changed(13, 200)), 1},
        {test::WithApp1(test::WithApp1(bytes, good), xmp), 6}};
    for (const auto& [file, orientation] : files) {
        ASSERT_TRUE(test::WriteFileBytes(dir / "x.jpg", file));
        image::CPxImage image;
        image::DecodeInfo info;
        ASSERT_EQ(image.Load(dir / "x.jpg", hints, &info), image::ErrNone);
        EXPECT_EQ(info.orientation, orientation);
        EXPECT_EQ(image.width(), orientation == 6 ? 5 : 12);
    }
}

}  // namespace
}  // namespace vig
