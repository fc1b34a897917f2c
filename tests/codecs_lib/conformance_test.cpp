// The PNG suite and the generated TIFF set through the image object; files
// we write decoded by other programs.
#include <gtest/gtest.h>

#include <cstdlib>

#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "lib_test_util.h"
#include "support/reference_png.h"

namespace vig {
namespace {

using test::DataPath;
using test::Pixels;

TEST(PngSuite, ValidFilesDecodeAndCorruptOnesAreRefused) {
    const auto files = test::DataFiles("pngsuite", ".png");
    ASSERT_EQ(files.size(), 175u);
    int valid = 0;
    int exact = 0;
    for (const std::string& name : files) {
        image::ErrorCode code = 0;
        int w = 0, h = 0;
        const auto px = Pixels(DataPath("pngsuite/" + name), &code, &w, &h);
        if (name[0] == 'x') {
            EXPECT_EQ(code, image::ErrInvalidPng) << name;
            EXPECT_TRUE(px.empty()) << name;
            continue;
        }
        ++valid;
        test::ReferenceImage ref;
        ASSERT_TRUE(test::LoadReferencePng(DataPath("pngsuite/" + name), &ref)) << name;
        EXPECT_EQ(code, image::ErrNone) << name;
        EXPECT_EQ(w, ref.width) << name;
        EXPECT_EQ(h, ref.height) << name;
        // The basic opaque files of up to 8 bits (gray of 1 to 8 bits,
        // RGB, palettes) decode to exactly the reference values.
        if (name.rfind("bas", 0) == 0 && name[4] != '4' && name[4] != '6' &&
            name.find("16") == std::string::npos) {
            ++exact;
            EXPECT_EQ(px, ref.Rgb()) << name;
        }
    }
    EXPECT_EQ(valid, 161);
    EXPECT_EQ(exact, 18);
}

TEST(PngSuite, InterlacedAndSplitFilesMatchTheirTwins) {
    std::vector<std::pair<std::string, std::string>> twins;
    for (const std::string& name : test::DataFiles("pngsuite", ".png")) {
        if (name.rfind("basi", 0) == 0) twins.emplace_back(name, "basn" + name.substr(4));
        if (name.size() > 4 && name[0] == 's' && name[3] == 'i')
            twins.emplace_back(name, name.substr(0, 3) + "n" + name.substr(4));
        if (name.rfind("oi", 0) == 0)
            twins.emplace_back(
                name, name.find("0g16") != std::string::npos ? "basn0g16.png" : "basn2c16.png");
        if (name.rfind("z0", 0) == 0) twins.emplace_back(name, "z00n2c08.png");
    }
    EXPECT_GE(twins.size(), 40u);
    for (const auto& [a, b] : twins) {
        const auto pa = Pixels(DataPath("pngsuite/" + a));
        ASSERT_FALSE(pa.empty()) << a;
        EXPECT_EQ(pa, Pixels(DataPath("pngsuite/" + b))) << a << " vs " << b;
    }
}

TEST(TiffSet, FilesDecodeToTheirReferences) {
    const auto files = test::DataFiles("tiff", ".tif");
    ASSERT_EQ(files.size(), 16u);
    for (const std::string& name : files) {
        image::ErrorCode code = 0;
        int w = 0, h = 0;
        const auto px = Pixels(DataPath("tiff/" + name), &code, &w, &h);
        ASSERT_EQ(code, image::ErrNone) << name;
        const std::string title = name.substr(0, name.size() - 4);
        if (name.rfind("rgb16", 0) == 0) {
            // R = 1024x + 3y, G = 1024y + 5x, B = 65535 - 512x - 500y; 8-bit
            // view within 1 of the high byte.
            for (int i = 0; i < w * h; ++i) {
                const int x = i % w, y = i / w;
                const int want[3] = {(1024 * x + 3 * y) >> 8, (1024 * y + 5 * x) >> 8,
                                     (65535 - 512 * x - 500 * y) >> 8};
                for (int c = 0; c < 3; ++c) ASSERT_NEAR(px[3 * i + c], want[c], 1) << name;
            }
            continue;
        }
        test::ReferenceImage ref;
        const std::string refName = title + (title.rfind("multipage", 0) == 0 ? ".f0" : "");
        ASSERT_TRUE(test::LoadReferencePng(DataPath("tiff/" + refName + ".ref.png"), &ref));
        ASSERT_EQ(w, ref.width) << name;
        ASSERT_EQ(h, ref.height) << name;
        // Alpha is dropped and colours stay as stored; the reference keeps
        // no colour where alpha is 0.
        for (size_t i = 0; i < px.size() / 3; ++i) {
            if (ref.rgba[4 * i + 3] == 0) continue;
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(px[3 * i + c], ref.rgba[4 * i + c]) << name << " " << i;
        }
    }
}

bool Succeeds(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

// The command that decodes a file ('$in') to raw RGB bytes ('$out') with
// ImageMagick or Pillow; empty when neither is installed.
std::string ForeignDecoder() {
    if (Succeeds("convert -version")) return "convert \"$in\" -depth 8 \"rgb:$out\"";
    if (Succeeds("python3 -c 'import PIL'"))
        return "python3 -c 'import sys; from PIL import Image; open(sys.argv[2], \"wb\")"
               ".write(Image.open(sys.argv[1]).convert(\"RGB\").tobytes())' \"$in\" \"$out\"";
    return {};
}

TEST(CrossDecoder, WrittenPngAndTiffFilesDecodeIdenticallyElsewhere) {
    const std::string decoder = ForeignDecoder();
    if (decoder.empty())
        GTEST_SKIP() << "neither ImageMagick nor Pillow is installed; run scripts/setup.sh --test";
    test::TempDir dir;
    const int w = 37, h = 23;
    const auto rgb = test::Gradient(w, h);
    std::vector<uint8_t> indices(w * h);
    std::vector<uint8_t> palette(256 * 4);
    for (int i = 0; i < 256; ++i) {
        palette[4 * i] = static_cast<uint8_t>(i);
        palette[4 * i + 1] = static_cast<uint8_t>(255 - i);
        palette[4 * i + 2] = static_cast<uint8_t>(i * 7);
    }
    std::vector<uint8_t> expectedIndexed(w * h * 3);
    for (int i = 0; i < w * h; ++i) {
        indices[i] = static_cast<uint8_t>((i * 13) % 256);
        for (int c = 0; c < 3; ++c) expectedIndexed[3 * i + c] = palette[4 * indices[i] + 2 - c];
    }
    ASSERT_EQ(image::png::Write24(dir / "a.png", rgb.data(), w, h, 0.0), 1);
    ASSERT_EQ(
        image::png::WritePalette(dir / "b.png", indices.data(), w, h, 256, palette.data(), 0.0), 1);
    ASSERT_EQ(image::tiff::Write24(dir / "c.tif", rgb.data(), w, h), 1);
    ASSERT_EQ(image::tiff::WritePalette(dir / "d.tif", indices.data(), w, h, palette.data()), 1);
    const std::pair<const char*, const std::vector<uint8_t>*> files[] = {
        {"a.png", &rgb}, {"b.png", &expectedIndexed}, {"c.tif", &rgb}, {"d.tif", &expectedIndexed}};
    for (const auto& [name, expected] : files) {
        ASSERT_TRUE(
            Succeeds("in='" + (dir / name) + "' out='" + (dir / "out.rgb") + "'; " + decoder))
            << name;
        EXPECT_EQ(test::ReadFileBytes(dir / "out.rgb"), *expected) << name << " with " << decoder;
    }
}

TEST(CrossDecoder, JpegDecodesAsDjpegDoes) {
    if (!Succeeds("command -v djpeg"))
        GTEST_SKIP() << "djpeg is not installed (libjpeg-turbo-progs); run scripts/setup.sh --test";
    test::TempDir dir;
    const auto rgb = test::Gradient(61, 45);
    ASSERT_EQ(image::jpeg::Write(dir / "a.jpg", rgb.data(), 61, 45, 80, true), 1);
    ASSERT_EQ(image::jpeg::Write(dir / "g.jpg", rgb.data(), 61, 45, 80, false), 1);
    for (const char* name : {"a.jpg", "g.jpg"}) {
        ASSERT_TRUE(
            Succeeds("djpeg -ppm -outfile '" + (dir / "out.ppm") + "' '" + (dir / name) + "'"));
        const auto ppm = test::ReadFileBytes(dir / "out.ppm");
        int w = 0, h = 0;
        image::PixelBlock ours = image::jpeg::Read(dir / name, &w, &h);
        ASSERT_FALSE(ours.empty());
        const bool gray = ppm.size() > 1 && ppm[1] == '5';
        const size_t samples = size_t{61} * 45 * (gray ? 1 : 3);
        ASSERT_GE(ppm.size(), samples);
        const uint8_t* theirs = ppm.data() + ppm.size() - samples;
        for (size_t i = 0; i < size_t{61} * 45 * 3; ++i)
            ASSERT_EQ(ours.data()[i], theirs[gray ? i / 3 : i]) << name << " " << i;
    }
}

}  // namespace
}  // namespace vig
