#include "image/formats/bmp.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;
using test::ReadBytes;

void Put16(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    v[at] = static_cast<uint8_t>(x);
    v[at + 1] = static_cast<uint8_t>(x >> 8);
}
void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    Put16(v, at, x & 0xFFFF);
    Put16(v, at + 2, x >> 16);
}
uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | (v[at + 1] << 8) | (v[at + 2] << 16) | (static_cast<uint32_t>(v[at + 3]) << 24);
}

// A BMP file: headers, `table` (4 bytes an entry) right after the info
// header, then `pixels` at dataOffset (0: right after the table).
struct BmpSpec {
    uint32_t infoSize = 40;
    int32_t width = 1;
    int32_t height = 1;
    int bits = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<uint8_t> table;
    uint32_t dataOffset = 0;
    std::vector<uint8_t> pixels;
};

std::vector<uint8_t> MakeBmp(const BmpSpec& s) {
    const size_t tableAt = 14 + s.infoSize;
    const uint32_t offset =
        s.dataOffset != 0 ? s.dataOffset : static_cast<uint32_t>(tableAt + s.table.size());
    std::vector<uint8_t> f(std::max<size_t>(offset, tableAt + s.table.size()) + s.pixels.size());
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, static_cast<uint32_t>(f.size()));
    Put32(f, 10, offset);
    Put32(f, 14, s.infoSize);
    Put32(f, 18, static_cast<uint32_t>(s.width));
    Put32(f, 22, static_cast<uint32_t>(s.height));
    Put16(f, 26, 1);
    Put16(f, 28, static_cast<uint32_t>(s.bits));
    Put32(f, 30, s.compression);
    Put32(f, 46, s.coloursUsed);
    std::copy(s.table.begin(), s.table.end(), f.begin() + static_cast<long>(tableAt));
    std::copy(s.pixels.begin(), s.pixels.end(), f.begin() + offset);
    return f;
}

Decoded Read(const std::vector<uint8_t>& bytes) {
    return ReadBytes(bmp::ReadMemory, bytes);
}

std::vector<uint8_t> Rgb(std::initializer_list<int> v) {
    return {v.begin(), v.end()};
}

TEST(BmpWriter, FiveByTwoIsEightySixBytesWithPaddedBottomUpRows) {
    test::TempDir dir;
    // Top row red, green, blue, white, black; bottom row all (1, 2, 3).
    std::vector<uint8_t> rgb = Rgb({255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0});
    for (int i = 0; i < 5; ++i) rgb.insert(rgb.end(), {1, 2, 3});
    ASSERT_EQ(bmp::Write24(dir / "a.bmp", rgb.data(), 5, 2), 1);
    EXPECT_EQ(GetLastImageError(), ErrNone);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "a.bmp");
    ASSERT_EQ(f.size(), 86u);
    EXPECT_EQ(f[0], 'B');
    EXPECT_EQ(f[1], 'M');
    EXPECT_EQ(Get32(f, 2), 86u);  // file size
    EXPECT_EQ(Get32(f, 6), 0u);   // reserved
    EXPECT_EQ(Get32(f, 10), 54u);
    EXPECT_EQ(Get32(f, 14), 40u);
    EXPECT_EQ(Get32(f, 18), 5u);
    EXPECT_EQ(Get32(f, 22), 2u);
    EXPECT_EQ(Get32(f, 26), 1u | (24u << 16));  // planes, bits
    for (size_t at = 30; at < 54; at += 4) EXPECT_EQ(Get32(f, at), 0u) << at;
    // Bottom row first, blue-green-red, one zero byte of padding.
    const std::vector<uint8_t> bottom(f.begin() + 54, f.begin() + 70);
    EXPECT_EQ(bottom, Rgb({3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 0}));
    const std::vector<uint8_t> top(f.begin() + 70, f.end());
    EXPECT_EQ(top, Rgb({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 0}));
}

TEST(BmpWriter, OnePixelWideRowsCarryOnePaddingByte) {
    test::TempDir dir;
    const std::vector<uint8_t> rgb = Rgb({10, 20, 30, 40, 50, 60, 70, 80, 90});
    ASSERT_EQ(bmp::Write24(dir / "a.bmp", rgb.data(), 1, 3), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "a.bmp");
    ASSERT_EQ(f.size(), 54u + 3 * 4);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54, f.begin() + 58), Rgb({90, 80, 70, 0}));
    const Decoded d = test::ReadWith(bmp::Read, dir / "a.bmp");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.rgb, rgb);
}

TEST(BmpWriter, PaletteFileHeaderTableAndPacking) {
    test::TempDir dir;
    std::vector<uint8_t> palette(256 * 4, 0xEE);  // reserved bytes must be written as 0
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);            // blue
        palette[4 * i + 1] = static_cast<uint8_t>(255 - i);  // green
        palette[4 * i + 2] = static_cast<uint8_t>(i / 2);    // red
    }
    const std::vector<uint8_t> idx = {1, 2, 3, 4, 5, 6};  // 3 x 2
    ASSERT_EQ(bmp::WriteIndexed(dir / "p.bmp", idx.data(), 3, 2, 8, 256, palette.data()), 1);
    std::vector<uint8_t> f = test::ReadFileBytes(dir / "p.bmp");
    ASSERT_EQ(f.size(), 54u + 1024 + 8);
    EXPECT_EQ(Get32(f, 2), f.size());
    EXPECT_EQ(Get32(f, 10), 1078u);
    EXPECT_EQ(Get32(f, 26), 1u | (8u << 16));
    EXPECT_EQ(Get32(f, 34), 8u);    // image size
    EXPECT_EQ(Get32(f, 46), 256u);  // colours used
    EXPECT_EQ(Get32(f, 50), 256u);  // important colours
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 54 + 4 * 7, f.begin() + 54 + 4 * 8),
              Rgb({7, 248, 3, 0}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 1078, f.end()), Rgb({4, 5, 6, 0, 1, 2, 3, 0}));

    // 4 and 1 bits: packed from the most significant bits, rows padded.
    const std::vector<uint8_t> nibbles = {1, 2, 3};
    ASSERT_EQ(bmp::WriteIndexed(dir / "n.bmp", nibbles.data(), 3, 1, 4, 16, palette.data()), 1);
    f = test::ReadFileBytes(dir / "n.bmp");
    ASSERT_EQ(f.size(), 54u + 64 + 4);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 118, f.end()), Rgb({0x12, 0x30, 0, 0}));
    const std::vector<uint8_t> bitsRow = {1, 0, 1, 1, 0, 0, 0, 1, 1, 1};
    ASSERT_EQ(bmp::WriteIndexed(dir / "b.bmp", bitsRow.data(), 10, 1, 1, 2, palette.data()), 1);
    f = test::ReadFileBytes(dir / "b.bmp");
    ASSERT_EQ(f.size(), 54u + 8 + 4);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 62, f.end()), Rgb({0xB1, 0xC0, 0, 0}));
    const Decoded d = test::ReadWith(bmp::Read, dir / "b.bmp");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(test::PixelText(d.rgb, 10, 0, 0), "(0,0) = 0,254,1");
    EXPECT_EQ(test::PixelText(d.rgb, 10, 1, 0), "(1,0) = 0,255,0");

    // An index the depth cannot hold, and a 24-bit palette file, are refused.
    const std::vector<uint8_t> big = {0, 2};
    EXPECT_EQ(bmp::WriteIndexed(dir / "x.bmp", big.data(), 2, 1, 1, 2, palette.data()), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(bmp::WriteIndexed(dir / "y.bmp", idx.data(), 3, 2, 24, 256, palette.data()), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(bmp::WriteIndexed(dir / "z.bmp", nullptr, 3, 2, 8, 256, palette.data()), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
}

TEST(BmpWriter, RoundTripsOddSizes) {
    test::TempDir dir;
    std::vector<uint8_t> palette(1024);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 7 + i / 4);
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 5}, {33, 9}, {127, 3}, {2, 2}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        const std::vector<uint8_t> rgb =
            test::NoiseBytes(static_cast<size_t>(w * h * 3), w * 31 + h);
        ASSERT_EQ(bmp::Write24(dir / "c.bmp", rgb.data(), w, h), 1);
        Decoded d = test::ReadWith(bmp::Read, dir / "c.bmp");
        ASSERT_TRUE(d.ok());
        EXPECT_EQ(d.width, w);
        EXPECT_EQ(d.height, h);
        EXPECT_EQ(d.rgb, rgb);

        const std::vector<uint8_t> idx = test::NoiseBytes(static_cast<size_t>(w * h), w + h * 3);
        ASSERT_EQ(bmp::WriteIndexed(dir / "i.bmp", idx.data(), w, h, 8, 256, palette.data()), 1);
        d = test::ReadWith(bmp::Read, dir / "i.bmp");
        ASSERT_TRUE(d.ok());
        for (size_t i = 0; i < idx.size(); ++i) {
            const uint8_t* e = &palette[4 * idx[i]];
            ASSERT_EQ(d.rgb[3 * i], e[2]) << i;
            ASSERT_EQ(d.rgb[3 * i + 1], e[1]) << i;
            ASSERT_EQ(d.rgb[3 * i + 2], e[0]) << i;
        }
    }
}

TEST(BmpReader, SixteenBitChannelsWidenAsVTimesEightPlusSeven) {
    BmpSpec s;
    s.width = 3;
    s.bits = 16;
    s.pixels = {0xFF, 0x7F, 0x00, 0x00, 0x00, 0x7C, 0, 0};  // white, black, red; padded to 8
    const Decoded d = Read(MakeBmp(s));
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb, Rgb({255, 255, 255, 7, 7, 7, 255, 7, 7}));
}

TEST(BmpReader, ColoursUsedLimitsTheTableAndUnknownIndicesAreBlack) {
    BmpSpec s;
    s.width = 4;
    s.bits = 8;
    s.coloursUsed = 16;
    for (int i = 0; i < 16; ++i) s.table.insert(s.table.end(), {uint8_t(i), uint8_t(2 * i), 9, 0});
    s.pixels = {0, 15, 16, 255};  // 16 and 255 lie beyond the table
    const Decoded d = Read(MakeBmp(s));
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb, Rgb({9, 0, 0, 9, 30, 15, 0, 0, 0, 0, 0, 0}));
}

TEST(BmpReader, NegativeHeightIsTopDown) {
    BmpSpec s;
    s.width = 1;
    s.height = -2;
    s.pixels = {1, 2, 3, 0, 4, 5, 6, 0};
    const Decoded d = Read(MakeBmp(s));
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.height, 2);
    EXPECT_EQ(d.rgb, Rgb({3, 2, 1, 6, 5, 4}));
    s.height = 2;
    EXPECT_EQ(Read(MakeBmp(s)).rgb, Rgb({6, 5, 4, 3, 2, 1}));
}

TEST(BmpReader, TableFollowsTheDeclaredHeaderAndRowsStartAtTheDataOffset) {
    BmpSpec s;
    s.infoSize = 124;  // a version 5 header
    s.width = 3;
    s.height = 2;
    s.bits = 4;
    s.coloursUsed = 2;
    s.table = {10, 20, 30, 0, 40, 50, 60, 0};
    s.dataOffset = 14 + 124 + 8 + 3;  // not a multiple of 4
    s.pixels = {0x01, 0x00, 0xAA, 0xAA, 0x10, 0x10, 0xAA, 0xAA};
    const Decoded d = Read(MakeBmp(s));
    ASSERT_TRUE(d.ok()) << d.code;
    // Bottom row (file row 0): 0, 1, 0; top row: 1, 0, 1.
    EXPECT_EQ(d.rgb, Rgb({60, 50, 40, 30, 20, 10, 60, 50, 40, 30, 20, 10, 60, 50, 40, 30, 20, 10}));
}

TEST(BmpReader, RefusesBadFilesWithTheirCodes) {
    BmpSpec good;
    good.width = 2;
    good.height = 2;
    good.pixels.assign(16, 7);
    ASSERT_TRUE(Read(MakeBmp(good)).ok());

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ErrorCode code;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, ErrorCode code, auto change) {
        BmpSpec s = good;
        change(s);
        cases.push_back({what, MakeBmp(s), code});
    };
    with("RLE", ErrRleBmp, [](BmpSpec& s) { s.compression = 1; });
    with("bit fields", ErrRleBmp, [](BmpSpec& s) { s.compression = 3; });
    with("32 bits", ErrInvalidBmp, [](BmpSpec& s) { s.bits = 32; });
    with("2 bits", ErrInvalidBmp, [](BmpSpec& s) { s.bits = 2; });
    with("zero width", ErrInvalidBmp, [](BmpSpec& s) { s.width = 0; });
    with("negative width", ErrInvalidBmp, [](BmpSpec& s) { s.width = -2; });
    with("zero height", ErrInvalidBmp, [](BmpSpec& s) { s.height = 0; });
    with("12-byte header", ErrInvalidBmp, [](BmpSpec& s) {
        s.infoSize = 12;
        s.dataOffset = 54;
    });
    with("huge", ErrOutOfMemory, [](BmpSpec& s) { s.width = s.height = 1 << 20; });
    with("lowest height", ErrOutOfMemory, [](BmpSpec& s) { s.height = INT32_MIN; });
    with("rows missing", ErrReadFile, [](BmpSpec& s) { s.height = 3; });
    with("table missing", ErrReadFile, [](BmpSpec& s) {
        s.bits = 8;
        s.coloursUsed = 0x12345678;
    });
    std::vector<uint8_t> bytes = MakeBmp(good);
    bytes[1] = 'A';
    cases.push_back({"signature", bytes, ErrInvalidBmp});
    bytes = MakeBmp(good);
    Put32(bytes, 10, 5000);
    cases.push_back({"data offset beyond the end", bytes, ErrInvalidBmp});
    bytes = MakeBmp(good);
    cases.push_back({"short file header", {bytes.begin(), bytes.begin() + 10}, ErrReadFile});
    cases.push_back({"short info header", {bytes.begin(), bytes.begin() + 50}, ErrReadFile});
    cases.push_back({"empty", {}, ErrReadFile});

    for (const Case& c : cases) {
        const Decoded d = Read(c.bytes);
        EXPECT_FALSE(d.ok()) << c.what;
        EXPECT_EQ(d.code, c.code) << c.what;
        EXPECT_EQ(d.width, 0) << c.what;
        EXPECT_EQ(d.height, 0) << c.what;
    }
    EXPECT_EQ(test::ReadWith(bmp::Read, "/nonexistent/x.bmp").code, ErrOpenFile);
}

TEST(BmpCodec, ReportsEveryRowAndCancels) {
    test::TempDir dir;
    const std::vector<uint8_t> rgb = test::NoiseBytes(4 * 3 * 3, 5);
    {
        test::ProgressRecorder rec;
        ASSERT_EQ(bmp::Write24(dir / "a.bmp", rgb.data(), 4, 3), 1);
        ASSERT_TRUE(test::ReadWith(bmp::Read, dir / "a.bmp").ok());
        const std::vector<std::pair<int, int>> once = {{0, 3}, {1, 3}, {2, 3}};
        std::vector<std::pair<int, int>> twice = once;
        twice.insert(twice.end(), once.begin(), once.end());
        EXPECT_EQ(rec.calls, twice);
    }
    test::ProgressRecorder cancel(1);
    const Decoded d = test::ReadWith(bmp::Read, dir / "a.bmp");
    EXPECT_FALSE(d.ok());
    EXPECT_EQ(d.code, ErrCancelled);
    EXPECT_EQ(bmp::Write24(dir / "b.bmp", rgb.data(), 4, 3), 0);
    EXPECT_EQ(GetLastImageError(), ErrCancelled);
    std::vector<uint8_t> palette(1024);
    EXPECT_EQ(bmp::WriteIndexed(dir / "c.bmp", rgb.data(), 4, 3, 8, 256, palette.data()), 0);
    EXPECT_EQ(GetLastImageError(), ErrCancelled);
}

TEST(BmpWriter, ReportsOpenAndWriteFailures) {
    const std::vector<uint8_t> rgb(300 * 300 * 3, 1);
    EXPECT_EQ(bmp::Write24("/nonexistent/dir/a.bmp", rgb.data(), 300, 300), 0);
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
    if (!test::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full to provoke a failed write";
    EXPECT_EQ(bmp::Write24("/dev/full", rgb.data(), 300, 300), 0);
    EXPECT_EQ(GetLastImageError(), ErrWriteFile);
    EXPECT_EQ(bmp::WriteIndexed("/dev/full", rgb.data(), 300, 300, 8, 256, rgb.data()), 0);
    EXPECT_EQ(GetLastImageError(), ErrWriteFile);
}

}  // namespace
}  // namespace vig
