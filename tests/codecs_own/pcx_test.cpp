#include "image/formats/pcx.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;
using Bytes = std::vector<uint8_t>;

Bytes Encode(const Bytes& plane) {
    Bytes out = {0xAB};  // encoding appends
    image::pcx::EncodeLine(plane.data(), plane.size(), &out);
    return Bytes(out.begin() + 1, out.end());
}

TEST(PcxToolkit, EncodesRunsOfUpTo63AndEscapesHighBytes) {
    EXPECT_EQ(Encode(Bytes(100, 7)), (Bytes{0xFF, 7, 0xE5, 7}));
    EXPECT_EQ(Encode({200}), (Bytes{0xC1, 0xC8}));
    EXPECT_EQ(Encode({100}), (Bytes{0x64}));
    EXPECT_EQ(Encode({100, 100, 191, 192, 0, 0, 0}), (Bytes{0xC2, 100, 191, 0xC1, 192, 0xC3, 0}));
    EXPECT_EQ(Encode(Bytes(63, 0xC0)), (Bytes{0xFF, 0xC0}));
    EXPECT_EQ(Encode(Bytes(64, 1)), (Bytes{0xFF, 1, 1}));
}

TEST(PcxToolkit, DecodesRunsAcrossLineEnds) {
    // A run of 5 for lines of 3 bytes goes on in the next line; a run of 0 adds nothing.
    const Bytes data = {0xC5, 9, 0x05, 0xC2, 0xD0, 0xC0, 0x77, 0x01};
    image::codec::ByteReader in(data.data(), data.size());
    image::pcx::LineDecoder decoder(in);
    for (const Bytes& want : {Bytes{9, 9, 9}, Bytes{9, 9, 5}, Bytes{0xD0, 0xD0, 1}}) {
        Bytes line(3);
        ASSERT_TRUE(decoder.Next(line.data(), 3));
        EXPECT_EQ(line, want);
    }
    uint8_t line[3];
    EXPECT_FALSE(decoder.Next(line, 1));  // the data has ended
    const Bytes cut = {0xC3};             // a count without its value
    image::codec::ByteReader in2(cut.data(), cut.size());
    EXPECT_FALSE(image::pcx::LineDecoder(in2).Next(line, 3));
}

TEST(PcxWriter, FilesByteForByte) {
    test::TempDir dir;
    const Bytes rgb = {255, 0, 0, 255, 0, 0, 255, 0, 0};
    ASSERT_EQ(image::pcx::Write24(dir / "r.pcx", rgb.data(), 3, 1), 1);
    Bytes want = {10, 5, 1, 8, 0, 0, 0, 0, 2, 0, 0, 0, 96, 0, 96, 0};
    want.resize(128);
    want[65] = 3;  // planes
    want[66] = 4;  // bytes per line: the width rounded up to even
    want[68] = 1;  // palette info
    want.insert(want.end(), {0xC3, 0xFF, 0x00, 0xC4, 0x00, 0xC4, 0x00});
    EXPECT_EQ(test::ReadFileBytes(dir / "r.pcx"), want);

    // 8 bits: one plane, then the marker and the 256-colour palette.
    Bytes palette(1024);
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);             // blue
        palette[4 * i + 1] = static_cast<uint8_t>(~i);        // green
        palette[4 * i + 2] = static_cast<uint8_t>(i ^ 0x55);  // red
    }
    const Bytes idx = {200, 1, 1};
    ASSERT_EQ(image::pcx::Write8(dir / "p.pcx", idx.data(), 3, 1, palette.data()), 1);
    want.resize(128);
    want[65] = 1;
    want.insert(want.end(), {0xC1, 200, 0xC2, 1, 0, 0x0C});
    for (int i = 0; i < 256; ++i)
        want.insert(want.end(), {uint8_t(i ^ 0x55), uint8_t(~i), uint8_t(i)});
    EXPECT_EQ(test::ReadFileBytes(dir / "p.pcx"), want);
}

// A file of the header (whose palette keeps each triple reversed: blue,
// green, red) and run-length data.
Bytes MakePcx(const image::pcx::Header& header, const Bytes& data) {
    Bytes f(image::pcx::kHeaderBytes);
    image::pcx::SerializeHeader(header, f.data());
    f.insert(f.end(), data.begin(), data.end());
    return f;
}

TEST(PcxReader, DecodesSmallDepthsPlanesAndGrayFiles) {
    const image::pcx::Header twoBits{
        .bitsPerPixel = 2,
        .xmax = 4,
        .palette = {{12, 11, 10}, {22, 21, 20}, {32, 31, 30}, {42, 41, 40}},
        .bytesPerLine = 2};
    image::pcx::Header threePlanes{.bitsPerPixel = 1, .xmax = 1, .planes = 3, .bytesPerLine = 2};
    for (int i = 0; i < 8; ++i) threePlanes.palette[i][2] = static_cast<uint8_t>(i);  // red i
    Bytes noMarker(5 + 769, 0x11);  // a 769-byte tail, but no 0x0C marker
    const uint8_t line[] = {9, 0xC1, 0xF0, 0x30, 0};
    std::copy(line, line + 5, noMarker.begin());
    const struct {
        const char* what;
        Bytes file, rgb;
    } cases[] = {
        {"5 pixels of 2 bits (0 1 2 3 | 1): the last byte holds a single pixel",
         MakePcx(twoBits, {0x1B, 0x40}),
         {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42, 20, 21, 22}},
        {"three planes of one bit: plane 0 gives the lowest bit (pixels 1 + 4, 2 + 4)",
         MakePcx(threePlanes, {0x80, 0, 0x40, 0, 0xC1, 0xC0, 0}),
         {5, 0, 0, 6, 0, 0}},
        {"8 bits without the palette marker: gray",
         MakePcx({.bitsPerPixel = 8, .xmax = 2, .bytesPerLine = 4}, noMarker),
         {9, 9, 9, 0xF0, 0xF0, 0xF0, 0x30, 0x30, 0x30}},
    };
    for (const auto& c : cases) {
        const Decoded d = test::ReadBytes(image::pcx::ReadMemory, c.file);
        ASSERT_TRUE(d.ok()) << c.what << ": code " << d.code;
        EXPECT_EQ(d.rgb, c.rgb) << c.what;
    }
}

TEST(PcxReader, RefusesBadHeadersAndTruncatedData) {
    const image::pcx::Header good{
        .bitsPerPixel = 8, .xmax = 1, .ymax = 1, .planes = 3, .bytesPerLine = 2};
    const Bytes data = {0xC2, 1, 0xC2, 2, 0xC2, 3, 0xC2, 4, 0xC2, 5, 0xC2, 6};
    ASSERT_TRUE(test::ReadBytes(image::pcx::ReadMemory, MakePcx(good, data)).ok());
    std::vector<test::Refusal> cases = {
        {"truncated", MakePcx(good, Bytes(data.begin(), data.begin() + 9)), image::ErrInvalidPcx},
        {"short header", {10, 5, 1}, image::ErrInvalidPcx},
    };
    auto with = [&](const char* what, image::ErrorCode code, auto change) {
        image::pcx::Header h = good;
        change(h);
        cases.push_back({what, MakePcx(h, data), code});
    };
    using H = image::pcx::Header;
    with("manufacturer", image::ErrInvalidPcx, [](H& h) { h.manufacturer = 11; });
    with("version 4", image::ErrInvalidPcx, [](H& h) { h.version = 4; });
    with("zero planes", image::ErrInvalidPcx, [](H& h) { h.planes = 0; });
    with("zero bits", image::ErrInvalidPcx, [](H& h) { h.bitsPerPixel = 0; });
    with("3 bits", image::ErrInvalidPcx, [](H& h) { h.bitsPerPixel = 3; });
    with("8 bits x 2 planes", image::ErrInvalidPcx, [](H& h) { h.planes = 2; });
    with("8 bits x 4 planes", image::ErrInvalidPcx, [](H& h) { h.planes = 4; });
    with("line too short", image::ErrInvalidPcx, [](H& h) { h.bytesPerLine = 1; });
    with("zero line", image::ErrInvalidPcx, [](H& h) { h.bytesPerLine = 0; });
    with("inverted window", image::ErrInvalidPcx, [](H& h) { h.xmin = 10; });
    with("huge", image::ErrOutOfMemory,
         [](H& h) { h.xmax = 65534, h.ymax = h.bytesPerLine = 65535; });
    with("too little data for the window", image::ErrInvalidPcx,
         [](H& h) { h.xmax = h.ymax = 9999, h.bytesPerLine = 10000; });
    test::ExpectRefused(image::pcx::ReadMemory, cases);
    EXPECT_EQ(test::ReadWith(image::pcx::Read, "").code, image::ErrParameter);
    EXPECT_EQ(test::ReadWith(image::pcx::Read, "/nonexistent/a.pcx").code, image::ErrOpenFile);
}

TEST(PcxWriter, RefusesWhatTheHeaderCannotHold) {
    test::TempDir dir;
    const Bytes rgb(65535 * 3, 1);
    EXPECT_EQ(image::pcx::Write24(dir / "a.pcx", rgb.data(), 65535, 1), 0);
    EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
    EXPECT_FALSE(test::FileExists(dir / "a.pcx"));
    EXPECT_EQ(image::pcx::Write24(dir / "a.pcx", rgb.data(), 65534, 1), 1);
}

}  // namespace
}  // namespace vig
