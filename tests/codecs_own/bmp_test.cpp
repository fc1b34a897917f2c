#include "image/formats/bmp.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
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
    Bytes table{};
    uint32_t dataOffset = 0;
    Bytes pixels{};
};

Bytes MakeBmp(const BmpSpec& s) {
    const size_t tableAt = 14 + s.infoSize;
    const uint32_t offset =
        s.dataOffset != 0 ? s.dataOffset : static_cast<uint32_t>(tableAt + s.table.size());
    Bytes f(std::max<size_t>(offset, tableAt + s.table.size()) + s.pixels.size());
    f[0] = 'B';
    f[1] = 'M';
    Put32(f, 2, static_cast<uint32_t>(f.size()));
    Put32(f, 10, offset);
    Put32(f, 14, s.infoSize);
    Put32(f, 18, static_cast<uint32_t>(s.width));
    Put32(f, 22, static_cast<uint32_t>(s.height));
    Put32(f, 26, 1 | (static_cast<uint32_t>(s.bits) << 16));  // planes, bits
    Put32(f, 30, s.compression);
    Put32(f, 46, s.coloursUsed);
    std::copy(s.table.begin(), s.table.end(), f.begin() + static_cast<long>(tableAt));
    std::copy(s.pixels.begin(), s.pixels.end(), f.begin() + offset);
    return f;
}

Decoded Read(const Bytes& bytes) {
    return test::ReadBytes(image::bmp::ReadMemory, bytes);
}

TEST(BmpWriter, FiveByTwoIsEightySixBytesWithPaddedBottomUpRows) {
    test::TempDir dir;
    // Top row red, green, blue, white, black; bottom row all (1, 2, 3).
    Bytes rgb = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0};
    for (int i = 0; i < 5; ++i) rgb.insert(rgb.end(), {1, 2, 3});
    ASSERT_EQ(image::bmp::Write24(dir / "a.bmp", rgb.data(), 5, 2), 1);
    Bytes want = {'B', 'M', 86, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  //
                  40,  0,   0,  0, 5, 0, 0, 0, 2, 0, 0,  0, 1, 0, 24, 0};
    want.resize(54);  // no compression, image size 0, no resolution, no table
    // Bottom row first, blue-green-red, one zero byte of padding.
    want.insert(want.end(), {3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 3, 2, 1, 0});
    want.insert(want.end(), {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 0});
    EXPECT_EQ(test::ReadFileBytes(dir / "a.bmp"), want);

    // One pixel wide: every row carries one byte of padding.
    ASSERT_EQ(image::bmp::Write24(dir / "b.bmp", rgb.data(), 1, 3), 1);
    const Bytes f = test::ReadFileBytes(dir / "b.bmp");
    ASSERT_EQ(f.size(), 54u + 3 * 4);
    EXPECT_EQ(Bytes(f.begin() + 54, f.begin() + 58), (Bytes{255, 0, 0, 0}));
}

TEST(BmpWriter, PaletteFilesByteForByte) {
    test::TempDir dir;
    Bytes palette(256 * 4, 0xEE);  // the fourth bytes must be written as 0
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);            // blue
        palette[4 * i + 1] = static_cast<uint8_t>(255 - i);  // green
        palette[4 * i + 2] = static_cast<uint8_t>(i / 2);    // red
    }
    const Bytes idx = {1, 2, 3, 4, 5, 6};  // 3 x 2
    ASSERT_EQ(image::bmp::WriteIndexed(dir / "p.bmp", idx.data(), 3, 2, 8, 256, palette.data()), 1);
    // File size 1086, data at 1078, 8 bits, image size 8, 256 colours used and important.
    Bytes want = {'B', 'M', 0x3E, 4, 0, 0, 0, 0, 0, 0, 0x36, 4, 0, 0, 40, 0, 0, 0,
                  3,   0,   0,    0, 2, 0, 0, 0, 1, 0, 8,    0, 0, 0, 0,  0, 8, 0,
                  0,   0,   0,    0, 0, 0, 0, 0, 0, 0, 0,    1, 0, 0, 0,  1, 0, 0};
    for (int i = 0; i < 256; ++i)
        want.insert(want.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0});
    want.insert(want.end(), {4, 5, 6, 0, 1, 2, 3, 0});
    EXPECT_EQ(test::ReadFileBytes(dir / "p.bmp"), want);

    // 4 and 1 bits: packed from the most significant bits, rows padded.
    const Bytes nibbles = {1, 2, 3};
    ASSERT_EQ(image::bmp::WriteIndexed(dir / "n.bmp", nibbles.data(), 3, 1, 4, 16, palette.data()),
              1);
    Bytes f = test::ReadFileBytes(dir / "n.bmp");
    ASSERT_EQ(f.size(), 54u + 64 + 4);
    EXPECT_EQ(Bytes(f.begin() + 118, f.end()), (Bytes{0x12, 0x30, 0, 0}));
    const Bytes bitsRow = {1, 0, 1, 1, 0, 0, 0, 1, 1, 1};
    ASSERT_EQ(image::bmp::WriteIndexed(dir / "b.bmp", bitsRow.data(), 10, 1, 1, 2, palette.data()),
              1);
    f = test::ReadFileBytes(dir / "b.bmp");
    ASSERT_EQ(f.size(), 54u + 8 + 4);
    EXPECT_EQ(Bytes(f.begin() + 62, f.end()), (Bytes{0xB1, 0xC0, 0, 0}));

    // An index the depth cannot hold, a 24-bit palette file, no indices: refused.
    const Bytes big = {0, 2};
    EXPECT_EQ(image::bmp::WriteIndexed(dir / "x.bmp", big.data(), 2, 1, 1, 2, palette.data()), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
    EXPECT_EQ(image::bmp::WriteIndexed(dir / "y.bmp", idx.data(), 3, 2, 24, 256, palette.data()),
              0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
    EXPECT_EQ(image::bmp::WriteIndexed(dir / "z.bmp", nullptr, 3, 2, 8, 256, palette.data()), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
}

TEST(BmpReader, DecodesDepthsTablesAndRowOrders) {
    Bytes sixteen;  // 16 entries: blue i, green 2i, red 9
    for (int i = 0; i < 16; ++i) sixteen.insert(sixteen.end(), {uint8_t(i), uint8_t(2 * i), 9, 0});
    const struct {
        const char* what;
        BmpSpec spec;
        Bytes rgb;
    } cases[] = {
        {"16 bits: white, black, red; channels widen as v * 8 + 7",
         {.width = 3, .bits = 16, .pixels = {0xFF, 0x7F, 0x00, 0x00, 0x00, 0x7C, 0, 0}},
         {255, 255, 255, 7, 7, 7, 255, 7, 7}},
        {"16 colours used: indices 16 and 255 beyond the table are black",
         {.width = 4, .bits = 8, .coloursUsed = 16, .table = sixteen, .pixels = {0, 15, 16, 255}},
         {9, 0, 0, 9, 30, 15, 0, 0, 0, 0, 0, 0}},
        {"negative height: top down",
         {.height = -2, .pixels = {1, 2, 3, 0, 4, 5, 6, 0}},
         {3, 2, 1, 6, 5, 4}},
        {"positive height: bottom up",
         {.height = 2, .pixels = {1, 2, 3, 0, 4, 5, 6, 0}},
         {6, 5, 4, 3, 2, 1}},
        // Bottom row (file row 0): 0, 1, 0; top row: 1, 0, 1.
        {"version 5 header, table after it, data offset not a multiple of 4",
         {.infoSize = 124,
          .width = 3,
          .height = 2,
          .bits = 4,
          .coloursUsed = 2,
          .table = {10, 20, 30, 0, 40, 50, 60, 0},
          .dataOffset = 14 + 124 + 8 + 3,
          .pixels = {0x01, 0x00, 0xAA, 0xAA, 0x10, 0x10, 0xAA, 0xAA}},
         {60, 50, 40, 30, 20, 10, 60, 50, 40, 30, 20, 10, 60, 50, 40, 30, 20, 10}},
    };
    for (const auto& c : cases) {
        const Decoded d = Read(MakeBmp(c.spec));
        ASSERT_TRUE(d.ok()) << c.what << ": code " << d.code;
        EXPECT_EQ(d.width, c.spec.width) << c.what;
        EXPECT_EQ(d.height, std::abs(c.spec.height)) << c.what;
        EXPECT_EQ(d.rgb, c.rgb) << c.what;
    }
}

TEST(BmpReader, RefusesBadFilesWithTheirCodes) {
    const BmpSpec good{.width = 2, .height = 2, .pixels = Bytes(16, 7)};
    ASSERT_TRUE(Read(MakeBmp(good)).ok());
    std::vector<test::Refusal> cases;
    auto with = [&](const char* what, image::ErrorCode code, auto change) {
        BmpSpec s = good;
        change(s);
        cases.push_back({what, MakeBmp(s), code});
    };
    with("RLE", image::ErrRleBmp, [](BmpSpec& s) { s.compression = 1; });
    with("bit fields", image::ErrRleBmp, [](BmpSpec& s) { s.compression = 3; });
    with("32 bits", image::ErrInvalidBmp, [](BmpSpec& s) { s.bits = 32; });
    with("2 bits", image::ErrInvalidBmp, [](BmpSpec& s) { s.bits = 2; });
    with("zero width", image::ErrInvalidBmp, [](BmpSpec& s) { s.width = 0; });
    with("negative width", image::ErrInvalidBmp, [](BmpSpec& s) { s.width = -2; });
    with("zero height", image::ErrInvalidBmp, [](BmpSpec& s) { s.height = 0; });
    with("12-byte header", image::ErrInvalidBmp,
         [](BmpSpec& s) { s.infoSize = 12, s.dataOffset = 54; });
    with("huge", image::ErrOutOfMemory, [](BmpSpec& s) { s.width = s.height = 1 << 20; });
    with("lowest height", image::ErrOutOfMemory, [](BmpSpec& s) { s.height = INT32_MIN; });
    with("rows missing", image::ErrReadFile, [](BmpSpec& s) { s.height = 3; });
    with("table missing", image::ErrReadFile,
         [](BmpSpec& s) { s.bits = 8, s.coloursUsed = 0x12345678; });
    Bytes bytes = MakeBmp(good);
    bytes[1] = 'A';
    cases.push_back({"signature", bytes, image::ErrInvalidBmp});
    bytes = MakeBmp(good);
    Put32(bytes, 10, 5000);
    cases.push_back({"data offset beyond the end", bytes, image::ErrInvalidBmp});
    bytes = MakeBmp(good);
    cases.push_back({"short file header", {bytes.begin(), bytes.begin() + 10}, image::ErrReadFile});
    cases.push_back({"short info header", {bytes.begin(), bytes.begin() + 50}, image::ErrReadFile});
    cases.push_back({"empty", {}, image::ErrReadFile});
    test::ExpectRefused(image::bmp::ReadMemory, cases);
    EXPECT_EQ(test::ReadWith(image::bmp::Read, "").code, image::ErrOpenFile);
    EXPECT_EQ(test::ReadWith(image::bmp::Read, "/nonexistent/x.bmp").code, image::ErrOpenFile);
}

}  // namespace
}  // namespace vig
