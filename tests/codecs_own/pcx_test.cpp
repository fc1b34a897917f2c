#include "image/formats/pcx.h"

#include <gtest/gtest.h>

#include <cstring>

#include "codec_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::Decoded;

std::vector<uint8_t> Encode(const std::vector<uint8_t>& plane) {
    std::vector<uint8_t> out = {0xAB};  // encoding appends
    pcx::EncodeLine(plane.data(), plane.size(), &out);
    return std::vector<uint8_t>(out.begin() + 1, out.end());
}

TEST(PcxToolkit, EncodesRunsOfUpTo63AndEscapesHighBytes) {
    EXPECT_EQ(Encode(std::vector<uint8_t>(100, 7)), (std::vector<uint8_t>{0xFF, 7, 0xE5, 7}));
    EXPECT_EQ(Encode({200}), (std::vector<uint8_t>{0xC1, 0xC8}));
    EXPECT_EQ(Encode({100}), (std::vector<uint8_t>{0x64}));
    EXPECT_EQ(Encode({100, 100, 191, 192, 0, 0, 0}),
              (std::vector<uint8_t>{0xC2, 100, 191, 0xC1, 192, 0xC3, 0}));
    EXPECT_EQ(Encode(std::vector<uint8_t>(63, 0xC0)), (std::vector<uint8_t>{0xFF, 0xC0}));
    EXPECT_EQ(Encode(std::vector<uint8_t>(64, 1)), (std::vector<uint8_t>{0xFF, 1, 1}));
}

TEST(PcxToolkit, DecodesRunsAcrossLineEnds) {
    // A run of 5 for lines of 3 bytes goes on in the next line.
    const std::vector<uint8_t> data = {0xC5, 9, 0x05, 0xC2, 0xD0, 0xC0, 0x77, 0x01};
    codec::ByteReader in(data.data(), data.size());
    pcx::LineDecoder decoder(in);
    uint8_t line[3];
    ASSERT_TRUE(decoder.Next(line, 3));
    EXPECT_EQ(std::vector<uint8_t>(line, line + 3), (std::vector<uint8_t>{9, 9, 9}));
    ASSERT_TRUE(decoder.Next(line, 3));
    EXPECT_EQ(std::vector<uint8_t>(line, line + 3), (std::vector<uint8_t>{9, 9, 5}));
    ASSERT_TRUE(decoder.Next(line, 3));  // a run of 0 adds nothing
    EXPECT_EQ(std::vector<uint8_t>(line, line + 3), (std::vector<uint8_t>{0xD0, 0xD0, 1}));
    EXPECT_FALSE(decoder.Next(line, 1));      // the data has ended
    const std::vector<uint8_t> cut = {0xC3};  // a count without its value
    codec::ByteReader in2(cut.data(), cut.size());
    pcx::LineDecoder decoder2(in2);
    EXPECT_FALSE(decoder2.Next(line, 3));
}

TEST(PcxWriter, ThreeRedPixelsByteForByte) {
    test::TempDir dir;
    const std::vector<uint8_t> rgb = {255, 0, 0, 255, 0, 0, 255, 0, 0};
    ASSERT_EQ(pcx::Write24(dir / "r.pcx", rgb.data(), 3, 1), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "r.pcx");
    std::vector<uint8_t> header(128, 0);
    const uint8_t start[] = {10, 5, 1, 8, 0, 0, 0, 0, 2, 0, 0, 0, 96, 0, 96, 0};
    std::memcpy(header.data(), start, sizeof start);
    header[65] = 3;  // planes
    header[66] = 4;  // bytes per line: the width rounded up to even
    header[68] = 1;  // palette info
    ASSERT_EQ(f.size(), 128u + 7);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 128), header);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.end()),
              (std::vector<uint8_t>{0xC3, 0xFF, 0x00, 0xC4, 0x00, 0xC4, 0x00}));
}

TEST(PcxWriter, EightBitFileCarriesItsPalette) {
    test::TempDir dir;
    std::vector<uint8_t> palette(1024);
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);             // blue
        palette[4 * i + 1] = static_cast<uint8_t>(~i);        // green
        palette[4 * i + 2] = static_cast<uint8_t>(i ^ 0x55);  // red
    }
    const std::vector<uint8_t> idx = {200, 1, 1};
    ASSERT_EQ(pcx::Write8(dir / "p.pcx", idx.data(), 3, 1, palette.data()), 1);
    const std::vector<uint8_t> f = test::ReadFileBytes(dir / "p.pcx");
    ASSERT_EQ(f.size(), 128u + 5 + 769);
    EXPECT_EQ(f[3], 8);
    EXPECT_EQ(f[65], 1);
    EXPECT_EQ(f[66], 4);
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 128, f.begin() + 133),
              (std::vector<uint8_t>{0xC1, 200, 0xC2, 1, 0}));
    EXPECT_EQ(f[133], 0x0C);
    EXPECT_EQ(f[134 + 3 * 200], 200 ^ 0x55);
    EXPECT_EQ(f[134 + 3 * 200 + 1], static_cast<uint8_t>(~200));
    EXPECT_EQ(f[134 + 3 * 200 + 2], 200);
    const Decoded d = test::ReadWith(pcx::Read, dir / "p.pcx");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(test::PixelText(d.rgb, 3, 0, 0), "(0,0) = 157,55,200");
}

TEST(PcxCodec, RoundTripsOddSizesWithoutProgressCalls) {
    test::TempDir dir;
    std::vector<uint8_t> palette(1024);
    for (size_t i = 0; i < palette.size(); ++i) palette[i] = static_cast<uint8_t>(i * 13 + 5);
    test::ProgressRecorder rec;
    const int sizes[][2] = {{1, 1}, {1, 6}, {6, 1}, {3, 5}, {33, 7}, {131, 4}};
    for (const auto& s : sizes) {
        const int w = s[0], h = s[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        // Runs and high bytes alike: every other row is noise, the rest flat.
        std::vector<uint8_t> rgb = test::NoiseBytes(static_cast<size_t>(w * h * 3), w * 7 + h);
        for (int y = 1; y < h; y += 2)
            std::fill(rgb.begin() + y * w * 3, rgb.begin() + (y + 1) * w * 3, 0xC7);
        ASSERT_EQ(pcx::Write24(dir / "c.pcx", rgb.data(), w, h), 1);
        Decoded d = test::ReadWith(pcx::Read, dir / "c.pcx");
        ASSERT_TRUE(d.ok()) << d.code;
        EXPECT_EQ(d.width, w);
        EXPECT_EQ(d.height, h);
        EXPECT_EQ(d.rgb, rgb);

        const std::vector<uint8_t> idx(rgb.begin(), rgb.begin() + w * h);
        ASSERT_EQ(pcx::Write8(dir / "i.pcx", idx.data(), w, h, palette.data()), 1);
        d = test::ReadWith(pcx::Read, dir / "i.pcx");
        ASSERT_TRUE(d.ok()) << d.code;
        for (size_t i = 0; i < idx.size(); ++i) {
            const uint8_t* e = &palette[4 * idx[i]];
            ASSERT_EQ(d.rgb[3 * i], e[2]) << i;
            ASSERT_EQ(d.rgb[3 * i + 1], e[1]) << i;
            ASSERT_EQ(d.rgb[3 * i + 2], e[0]) << i;
        }
    }
    EXPECT_TRUE(rec.calls.empty());
}

// A PCX file from its header fields and its encoded data.
struct PcxSpec {
    uint8_t version = 5;
    uint8_t bits = 8;
    uint8_t planes = 1;
    uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    uint16_t bytesPerLine = 2;
    std::vector<uint8_t> headerPalette;  // red, green, blue triples
    std::vector<uint8_t> data;
};

std::vector<uint8_t> MakePcx(const PcxSpec& s) {
    pcx::Header h;
    h.version = s.version;
    h.bitsPerPixel = s.bits;
    h.planes = s.planes;
    h.xmin = s.xmin;
    h.ymin = s.ymin;
    h.xmax = s.xmax;
    h.ymax = s.ymax;
    h.bytesPerLine = s.bytesPerLine;
    for (size_t i = 0; i + 2 < s.headerPalette.size() && i < 48; i += 3) {
        h.palette[i / 3][0] = s.headerPalette[i + 2];
        h.palette[i / 3][1] = s.headerPalette[i + 1];
        h.palette[i / 3][2] = s.headerPalette[i];
    }
    std::vector<uint8_t> f(pcx::kHeaderBytes);
    pcx::SerializeHeader(h, f.data());
    f.insert(f.end(), s.data.begin(), s.data.end());
    return f;
}

Decoded Read(const std::vector<uint8_t>& bytes) {
    return test::ReadBytes(pcx::ReadMemory, bytes);
}

TEST(PcxReader, SmallDepthsDecodeEveryPixelOfAPartialLastByte) {
    // 5 pixels of 2 bits: 0 1 2 3 | 1, the last byte holds a single pixel.
    PcxSpec s;
    s.bits = 2;
    s.xmax = 4;
    s.headerPalette = {10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42};
    s.data = {0x1B, 0x40};
    const Decoded d = Read(MakePcx(s));
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb,
              (std::vector<uint8_t>{10, 11, 12, 20, 21, 22, 30, 31, 32, 40, 41, 42, 20, 21, 22}));
    // Three planes of one bit: plane 0 gives the lowest bit of each value.
    PcxSpec p;
    p.bits = 1;
    p.planes = 3;
    p.xmax = 1;
    p.bytesPerLine = 2;
    for (int i = 0; i < 8; ++i) p.headerPalette.insert(p.headerPalette.end(), {uint8_t(i), 0, 0});
    p.data = {0x80, 0, 0x40, 0, 0xC1, 0xC0, 0};  // pixel 0: 1 + 4 = 5; pixel 1: 2 + 4 = 6
    const Decoded q = Read(MakePcx(p));
    ASSERT_TRUE(q.ok()) << q.code;
    EXPECT_EQ(q.rgb, (std::vector<uint8_t>{5, 0, 0, 6, 0, 0}));
}

TEST(PcxReader, EightBitWithoutPaletteMarkerIsGray) {
    PcxSpec s;
    s.xmax = 2;
    s.bytesPerLine = 4;
    s.data.assign(5 + 769, 0x11);  // a 769-byte tail, but no 0x0C marker
    const uint8_t line[] = {9, 0xC1, 0xF0, 0x30, 0};
    std::copy(line, line + 5, s.data.begin());
    const Decoded d = Read(MakePcx(s));
    ASSERT_TRUE(d.ok()) << d.code;
    EXPECT_EQ(d.rgb, (std::vector<uint8_t>{9, 9, 9, 0xF0, 0xF0, 0xF0, 0x30, 0x30, 0x30}));
}

TEST(PcxReader, RefusesBadHeadersAndTruncatedData) {
    PcxSpec good;
    good.bits = 8;
    good.planes = 3;
    good.xmax = 1;
    good.ymax = 1;
    good.data = {0xC2, 1, 0xC2, 2, 0xC2, 3, 0xC2, 4, 0xC2, 5, 0xC2, 6};
    ASSERT_TRUE(Read(MakePcx(good)).ok());

    struct Case {
        const char* what;
        PcxSpec spec;
        ErrorCode code;
    };
    std::vector<Case> cases;
    auto with = [&](const char* what, ErrorCode code, auto change) {
        PcxSpec s = good;
        change(s);
        cases.push_back({what, s, code});
    };
    with("version 4", ErrInvalidPcx, [](PcxSpec& s) { s.version = 4; });
    with("zero planes", ErrInvalidPcx, [](PcxSpec& s) { s.planes = 0; });
    with("zero bits", ErrInvalidPcx, [](PcxSpec& s) { s.bits = 0; });
    with("3 bits", ErrInvalidPcx, [](PcxSpec& s) { s.bits = 3; });
    with("8 bits x 2 planes", ErrInvalidPcx, [](PcxSpec& s) { s.planes = 2; });
    with("8 bits x 4 planes", ErrInvalidPcx, [](PcxSpec& s) { s.planes = 4; });
    with("line too short", ErrInvalidPcx, [](PcxSpec& s) { s.bytesPerLine = 1; });
    with("zero line", ErrInvalidPcx, [](PcxSpec& s) { s.bytesPerLine = 0; });
    with("inverted window", ErrInvalidPcx, [](PcxSpec& s) { s.xmin = 10; });
    with("truncated", ErrInvalidPcx, [](PcxSpec& s) { s.data.resize(9); });
    with("huge", ErrOutOfMemory, [](PcxSpec& s) {
        s.xmax = 65534;
        s.ymax = 65535;
        s.bytesPerLine = 65535;
    });
    with("too little data for the window", ErrInvalidPcx, [](PcxSpec& s) {
        s.xmax = 9999;
        s.ymax = 9999;
        s.bytesPerLine = 10000;
    });
    for (const Case& c : cases) {
        const Decoded d = Read(MakePcx(c.spec));
        EXPECT_FALSE(d.ok()) << c.what;
        EXPECT_EQ(d.code, c.code) << c.what;
        EXPECT_EQ(d.width, 0) << c.what;
    }
    std::vector<uint8_t> bytes = MakePcx(good);
    bytes[0] = 11;
    EXPECT_EQ(Read(bytes).code, ErrInvalidPcx);
    EXPECT_EQ(Read({10, 5, 1}).code, ErrInvalidPcx);
    EXPECT_EQ(test::ReadWith(pcx::Read, "").code, ErrParameter);
    EXPECT_EQ(test::ReadWith(pcx::Read, "/nonexistent/a.pcx").code, ErrOpenFile);
}

TEST(PcxWriter, RefusesWhatTheHeaderCannotHoldAndReportsWriteFailures) {
    const std::vector<uint8_t> rgb(65535 * 3, 1);
    EXPECT_EQ(pcx::Write24("/tmp/never-written.pcx", rgb.data(), 65535, 1), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_FALSE(test::FileExists("/tmp/never-written.pcx"));
    EXPECT_EQ(pcx::Write24("/nonexistent/a.pcx", rgb.data(), 3, 1), 0);
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
    if (!test::FileExists("/dev/full")) GTEST_SKIP() << "no /dev/full to provoke a failed write";
    EXPECT_EQ(pcx::Write24("/dev/full", rgb.data(), 65534, 1), 0);
    EXPECT_EQ(GetLastImageError(), ErrWriteFile);
}

}  // namespace
}  // namespace vig
