// The public BMP suite and the generated PCX and GIF sets: every good file
// decodes to its reference, every refused file gives its exact code, and no
// file crashes a reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>

#include "codec_test_util.h"
#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "support/reference_png.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

namespace fs = std::filesystem;
using test::Decoded;

const std::string kData = VIG_TEST_DATA;

std::vector<std::string> FilesIn(const std::string& dir, const std::string& ext) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ext) out.push_back(e.path().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string Stem(const std::string& path) {
    return fs::path(path).stem().string();
}

std::string RefFor(const std::string& path, const char* suffix = ".ref.png") {
    return (fs::path(path).parent_path() / (Stem(path) + suffix)).string();
}

// Compares a decoded image with its reference; `expect` may rewrite the
// reference's pixels into what this decoder is meant to give.
void ExpectMatches(const Decoded& d, const std::string& refPath,
                   void (*expect)(std::vector<uint8_t>&) = nullptr) {
    test::ReferenceImage ref;
    ASSERT_TRUE(test::LoadReferencePng(refPath, &ref)) << refPath;
    ASSERT_EQ(d.width, ref.width);
    ASSERT_EQ(d.height, ref.height);
    std::vector<uint8_t> want = ref.Rgb();
    if (expect != nullptr) expect(want);
    if (d.rgb == want) return;
    for (size_t i = 0; i < want.size(); ++i) {
        if (d.rgb[i] != want[i]) {
            const int px = static_cast<int>(i / 3);
            ADD_FAILURE() << "first difference at "
                          << test::PixelText(d.rgb, d.width, px % d.width, px / d.width)
                          << ", want "
                          << test::PixelText(want, d.width, px % d.width, px / d.width);
            return;
        }
    }
}

// ---------------------------------------------------------------- BMP

// 5-bit channels widen as v * 8 + 7; the references round v * 255 / 31, so
// recover v from them and apply the rule.
void SixteenBitRule(std::vector<uint8_t>& rgb) {
    for (uint8_t& c : rgb) {
        const int v = static_cast<int>(std::lround(c * 31.0 / 255.0));
        c = static_cast<uint8_t>(v * 8 + 7);
    }
}

TEST(BmpSuite, GoodFilesDecodeOrGetTheirRefusalCode) {
    // Compressed (RLE, bit fields) files give 7, 32-bit files 6, OS/2 1.x
    // headers 6; every other file decodes to its reference.
    const std::map<std::string, ErrorCode> refused = {
        {"pal4rle", ErrRleBmp},      {"pal8rle", ErrRleBmp},    {"rgb16-565", ErrRleBmp},
        {"rgb16-565pal", ErrRleBmp}, {"rgb16bfdef", ErrRleBmp}, {"rgb32bf", ErrRleBmp},
        {"rgb32bfdef", ErrRleBmp},   {"rgb32", ErrInvalidBmp},  {"pal8os2", ErrInvalidBmp},
    };
    const std::vector<std::string> files = FilesIn(kData + "/bmpsuite/g", ".bmp");
    ASSERT_EQ(files.size(), 27u);
    int decoded = 0;
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(bmp::Read, f);
        const auto it = refused.find(Stem(f));
        if (it != refused.end()) {
            EXPECT_FALSE(d.ok());
            EXPECT_EQ(d.code, it->second);
            continue;
        }
        ASSERT_TRUE(d.ok()) << "code " << d.code;
        ExpectMatches(d, RefFor(f), Stem(f) == "rgb16" ? SixteenBitRule : nullptr);
        ++decoded;
    }
    EXPECT_EQ(decoded, 18);
}

TEST(BmpSuite, QuestionableFilesDecodeToTheirReferenceOrAreRefused) {
    for (const std::string& f : FilesIn(kData + "/bmpsuite/q", ".bmp")) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(bmp::Read, f);
        if (!d.ok()) {
            EXPECT_NE(d.code, ErrNone);
            continue;
        }
        if (fs::exists(RefFor(f))) ExpectMatches(d, RefFor(f));
    }
}

TEST(BmpSuite, BadFilesNeverCrashAndTheHopelessAreRefused) {
    const std::map<std::string, ErrorCode> refused = {
        {"badbitcount", ErrInvalidBmp}, {"badpalettesize", ErrReadFile},
        {"badwidth", ErrInvalidBmp},    {"reallybig", ErrOutOfMemory},
        {"shortfile", ErrReadFile},     {"badrle", ErrRleBmp},
        {"rletopdown", ErrRleBmp},
    };
    for (const std::string& f : FilesIn(kData + "/bmpsuite/b", ".bmp")) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(bmp::Read, f);
        const auto it = refused.find(Stem(f));
        if (it != refused.end()) {
            EXPECT_FALSE(d.ok());
            EXPECT_EQ(d.code, it->second);
        } else if (!d.ok()) {
            EXPECT_NE(d.code, ErrNone);
        }
    }
}

// ---------------------------------------------------------------- PCX

TEST(PcxSet, GoodFilesDecodeToTheirReferences) {
    const std::vector<std::string> files = FilesIn(kData + "/pcx", ".pcx");
    ASSERT_EQ(files.size(), 14u);
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(pcx::Read, f);
        ASSERT_TRUE(d.ok()) << "code " << d.code;
        ExpectMatches(d, RefFor(f));
    }
}

TEST(PcxSet, QuestionableAndBadFiles) {
    for (const std::string& f : FilesIn(kData + "/pcx/q", ".pcx")) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(pcx::Read, f);
        ASSERT_TRUE(d.ok()) << "code " << d.code;
        if (fs::exists(RefFor(f))) ExpectMatches(d, RefFor(f));
    }
    const std::map<std::string, ErrorCode> refused = {
        // huge-dims claims 65536 pixels a row in 2 bytes a line.
        {"truncated-64x64", ErrInvalidPcx},    {"huge-dims", ErrInvalidPcx},
        {"bad-bits-per-pixel", ErrInvalidPcx}, {"bad-window", ErrInvalidPcx},
        {"zero-planes", ErrInvalidPcx},
    };
    const std::vector<std::string> bad = FilesIn(kData + "/pcx/b", ".pcx");
    ASSERT_EQ(bad.size(), refused.size());
    for (const std::string& f : bad) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(pcx::Read, f);
        EXPECT_FALSE(d.ok());
        EXPECT_EQ(d.code, refused.at(Stem(f)));
    }
}

// ---------------------------------------------------------------- GIF

TEST(GifSet, GoodFilesDecodeToTheirReferences) {
    const std::vector<std::string> files = FilesIn(kData + "/gif", ".gif");
    ASSERT_EQ(files.size(), 10u);
    for (const std::string& f : files) {
        SCOPED_TRACE(f);
        const Decoded d = test::ReadWith(gif::Read, f);
        ASSERT_TRUE(d.ok()) << "code " << d.code;
        if (Stem(f) == "transparent-64x64") continue;  // below
        // An animation loads its first frame only.
        ExpectMatches(d, fs::exists(RefFor(f)) ? RefFor(f) : RefFor(f, ".f0.ref.png"));
    }
}

TEST(GifSet, TransparentPixelsShowTheirTableColour) {
    const std::string f = kData + "/gif/transparent-64x64.gif";
    const Decoded d = test::ReadWith(gif::Read, f);
    ASSERT_TRUE(d.ok());
    test::ReferenceImage ref;
    ASSERT_TRUE(test::LoadReferencePng(RefFor(f), &ref));
    ASSERT_EQ(d.width, ref.width);
    // The transparent index is 16; its colour is entry 16 of the global table.
    const std::vector<uint8_t> bytes = test::ReadFileBytes(f);
    const uint8_t* entry16 = &bytes[13 + 16 * 3];
    int transparent = 0;
    for (size_t i = 0; i < ref.rgba.size() / 4; ++i) {
        const uint8_t* want = ref.rgba[4 * i + 3] == 0 ? entry16 : &ref.rgba[4 * i];
        transparent += ref.rgba[4 * i + 3] == 0;
        ASSERT_TRUE(std::equal(want, want + 3, &d.rgb[3 * i])) << "pixel " << i;
    }
    EXPECT_EQ(transparent, 64 * 64 / 2);
}

TEST(GifSet, QuestionableAndBadFiles) {
    Decoded d = test::ReadWith(gif::Read, kData + "/gif/q/no-trailer-64x64.gif");
    ASSERT_TRUE(d.ok());
    ExpectMatches(d, kData + "/gif/q/no-trailer-64x64.ref.png");
    // Placed outside its screen: the image alone, at its own size.
    d = test::ReadWith(gif::Read, kData + "/gif/q/frame-outside-screen.gif");
    ASSERT_TRUE(d.ok());
    ExpectMatches(d, kData + "/gif/2colour-checker-64x64.ref.png");

    const std::map<std::string, ErrorCode> refused = {
        {"huge-dims", ErrOutOfMemory},
        {"no-image", ErrReadFile},
        {"zero-size", ErrInvalidGif},
        {"bad-lzw-min-code-size", ErrInvalidGif},
    };
    for (const auto& [name, code] : refused) {
        SCOPED_TRACE(name);
        d = test::ReadWith(gif::Read, kData + "/gif/b/" + name + ".gif");
        EXPECT_FALSE(d.ok());
        EXPECT_EQ(d.code, code);
    }
    // Data that stops, or turns undecodable, leaves the rest of the image
    // black; the rows before it are intact.
    d = test::ReadWith(gif::Read, kData + "/gif/b/truncated-64x64.gif");
    ASSERT_TRUE(d.ok());
    test::ReferenceImage noise;
    ASSERT_TRUE(test::LoadReferencePng(kData + "/gif/256colour-noise-64x64.ref.png", &noise));
    const std::vector<uint8_t> want = noise.Rgb();
    EXPECT_TRUE(std::equal(want.begin(), want.begin() + 16 * 64 * 3, d.rgb.begin()));
    EXPECT_TRUE(
        std::all_of(d.rgb.end() - 16 * 64 * 3, d.rgb.end(), [](uint8_t v) { return v == 0; }));
    d = test::ReadWith(gif::Read, kData + "/gif/b/bad-lzw-code.gif");
    ASSERT_TRUE(d.ok());
    EXPECT_EQ(d.width, 4);
    EXPECT_EQ(test::PixelText(d.rgb, 4, 0, 0), "(0,0) = 255,255,255");
    EXPECT_EQ(test::PixelText(d.rgb, 4, 1, 0), "(1,0) = 0,0,0");
    EXPECT_TRUE(std::all_of(d.rgb.begin() + 3, d.rgb.end(), [](uint8_t v) { return v == 0; }));
}

}  // namespace
}  // namespace vig
