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
using Bytes = std::vector<uint8_t>;

const std::string kData = VIG_TEST_DATA;

std::string Stem(const std::string& path) {
    return fs::path(path).stem().string();
}

// May rewrite the reference's pixels into what the decoder is meant to give.
using Rule = void (*)(const std::string& path, const test::ReferenceImage& ref, Bytes& want);

void ExpectMatches(const Decoded& d, const std::string& refPath, const std::string& path = "",
                   Rule rule = nullptr) {
    test::ReferenceImage ref;
    ASSERT_TRUE(test::LoadReferencePng(refPath, &ref)) << refPath;
    ASSERT_EQ(d.width, ref.width);
    ASSERT_EQ(d.height, ref.height);
    Bytes want = ref.Rgb();
    if (rule != nullptr) rule(path, ref, want);
    const auto diff = std::mismatch(want.begin(), want.end(), d.rgb.begin());
    EXPECT_TRUE(diff.first == want.end())
        << "first difference at pixel " << (diff.first - want.begin()) / 3;
}

enum class Others { MayFail, MustDecode, MustMatch };

// Reads every `ext` file of `dir`: those named in `refused` must fail with
// their code, the others as `others` says; a decoded file matches its
// reference (an animation's is that of its first frame) where there is one.
// Returns how many files there were and how many decoded.
std::pair<int, int> CheckSet(test::FileReader read, const std::string& dir, const char* ext,
                             const std::map<std::string, image::ErrorCode>& refused, Others others,
                             Rule rule = nullptr) {
    int files = 0, decoded = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        const std::string f = entry.path().string();
        if (entry.path().extension() != ext) continue;
        SCOPED_TRACE(f);
        ++files;
        const Decoded d = test::ReadWith(read, f);
        const auto it = refused.find(Stem(f));
        if (it != refused.end()) {
            EXPECT_FALSE(d.ok());
            EXPECT_EQ(d.code, it->second);
            continue;
        }
        if (!d.ok()) {
            EXPECT_TRUE(others == Others::MayFail) << "refused with code " << d.code;
            EXPECT_NE(d.code, image::ErrNone);
            continue;
        }
        ++decoded;
        const fs::path base = entry.path().parent_path() / Stem(f);
        std::string ref = base.string() + ".ref.png";
        if (!fs::exists(ref)) ref = base.string() + ".f0.ref.png";
        if (others == Others::MustMatch || fs::exists(ref)) ExpectMatches(d, ref, f, rule);
    }
    return {files, decoded};
}

// 5-bit channels widen as v * 8 + 7; the references round v * 255 / 31, so
// recover v from them and apply the rule.
void SixteenBitRule(const std::string& path, const test::ReferenceImage&, Bytes& rgb) {
    if (Stem(path) != "rgb16") return;
    for (uint8_t& c : rgb) c = static_cast<uint8_t>(std::lround(c * 31.0 / 255.0) * 8 + 7);
}

TEST(BmpSuite, FilesDecodeToTheirReferenceOrGetTheirCode) {
    // Compressed (RLE, bit fields) files give 7, 32-bit files and OS/2 1.x
    // headers 6; every other good file decodes to its reference.
    const std::map<std::string, image::ErrorCode> good = {
        {"pal4rle", image::ErrRleBmp},     {"pal8rle", image::ErrRleBmp},
        {"rgb16-565", image::ErrRleBmp},   {"rgb16-565pal", image::ErrRleBmp},
        {"rgb16bfdef", image::ErrRleBmp},  {"rgb32bf", image::ErrRleBmp},
        {"rgb32bfdef", image::ErrRleBmp},  {"rgb32", image::ErrInvalidBmp},
        {"pal8os2", image::ErrInvalidBmp},
    };
    EXPECT_EQ(CheckSet(image::bmp::Read, kData + "/bmpsuite/g", ".bmp", good, Others::MustMatch,
                       SixteenBitRule),
              std::make_pair(27, 18));
    EXPECT_EQ(CheckSet(image::bmp::Read, kData + "/bmpsuite/q", ".bmp", {}, Others::MayFail).first,
              42);
    // The bad files never crash; the hopeless are refused with their code.
    const std::map<std::string, image::ErrorCode> bad = {
        {"badbitcount", image::ErrInvalidBmp}, {"badpalettesize", image::ErrReadFile},
        {"badwidth", image::ErrInvalidBmp},    {"reallybig", image::ErrOutOfMemory},
        {"shortfile", image::ErrReadFile},     {"badrle", image::ErrRleBmp},
        {"rletopdown", image::ErrRleBmp},
    };
    EXPECT_EQ(CheckSet(image::bmp::Read, kData + "/bmpsuite/b", ".bmp", bad, Others::MayFail).first,
              20);
}

TEST(PcxSet, FilesDecodeToTheirReferenceOrGetTheirCode) {
    EXPECT_EQ(CheckSet(image::pcx::Read, kData + "/pcx", ".pcx", {}, Others::MustMatch),
              std::make_pair(14, 14));
    EXPECT_EQ(CheckSet(image::pcx::Read, kData + "/pcx/q", ".pcx", {}, Others::MustDecode),
              std::make_pair(5, 5));
    const std::map<std::string, image::ErrorCode> bad = {
        // huge-dims claims 65536 pixels a row in 2 bytes a line.
        {"truncated-64x64", image::ErrInvalidPcx},    {"huge-dims", image::ErrInvalidPcx},
        {"bad-bits-per-pixel", image::ErrInvalidPcx}, {"bad-window", image::ErrInvalidPcx},
        {"zero-planes", image::ErrInvalidPcx},
    };
    EXPECT_EQ(CheckSet(image::pcx::Read, kData + "/pcx/b", ".pcx", bad, Others::MustDecode),
              std::make_pair(5, 0));
}

// Transparent pixels show their table colour: index 16 of the transparent
// file is entry 16 of its global table.
void TransparentRule(const std::string& path, const test::ReferenceImage& ref, Bytes& want) {
    if (Stem(path) != "transparent-64x64") return;
    const Bytes bytes = test::ReadFileBytes(path);
    int transparent = 0;
    for (size_t i = 0; i < want.size() / 3; ++i) {
        if (ref.rgba[4 * i + 3] != 0) continue;
        std::copy_n(&bytes[13 + 16 * 3], 3, &want[3 * i]);
        ++transparent;
    }
    EXPECT_EQ(transparent, 64 * 64 / 2);
}

TEST(GifSet, FilesDecodeToTheirReferenceOrGetTheirCode) {
    EXPECT_EQ(
        CheckSet(image::gif::Read, kData + "/gif", ".gif", {}, Others::MustMatch, TransparentRule),
        std::make_pair(10, 10));
    EXPECT_EQ(CheckSet(image::gif::Read, kData + "/gif/q", ".gif", {}, Others::MustDecode),
              std::make_pair(2, 2));
    // Placed outside its screen: the image alone, at its own size.
    ExpectMatches(test::ReadWith(image::gif::Read, kData + "/gif/q/frame-outside-screen.gif"),
                  kData + "/gif/2colour-checker-64x64.ref.png");
    const std::map<std::string, image::ErrorCode> bad = {
        {"huge-dims", image::ErrOutOfMemory},
        {"no-image", image::ErrReadFile},
        {"zero-size", image::ErrInvalidGif},
        {"bad-lzw-min-code-size", image::ErrInvalidGif},
    };
    EXPECT_EQ(CheckSet(image::gif::Read, kData + "/gif/b", ".gif", bad, Others::MustDecode),
              std::make_pair(6, 2));
    // Data that stops, or turns undecodable, leaves the rest of the image
    // black; the rows before it are intact.
    Decoded d = test::ReadWith(image::gif::Read, kData + "/gif/b/truncated-64x64.gif");
    ASSERT_TRUE(d.ok());
    test::ReferenceImage noise;
    ASSERT_TRUE(test::LoadReferencePng(kData + "/gif/256colour-noise-64x64.ref.png", &noise));
    Bytes want = noise.Rgb();
    std::fill(want.end() - 16 * 64 * 3, want.end(), 0);
    EXPECT_TRUE(std::equal(want.begin(), want.begin() + 16 * 64 * 3, d.rgb.begin()));
    EXPECT_TRUE(std::equal(want.end() - 16 * 64 * 3, want.end(), d.rgb.end() - 16 * 64 * 3));
    d = test::ReadWith(image::gif::Read, kData + "/gif/b/bad-lzw-code.gif");
    ASSERT_TRUE(d.ok());
    want.assign(d.rgb.size(), 0);  // one white pixel, then black
    want[0] = want[1] = want[2] = 255;
    EXPECT_EQ(d.width, 4);
    EXPECT_EQ(d.rgb, want);
}

}  // namespace
}  // namespace vig
