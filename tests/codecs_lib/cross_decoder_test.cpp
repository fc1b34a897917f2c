// Files we write must open in another decoder with identical pixels, and
// JPEG files must decode here as libjpeg's own djpeg decodes them.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "image/cpx_image.h"
#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "lib_test_util.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::TempDir;

bool Executable(const char* path) {
    return access(path, X_OK) == 0;
}

bool HavePillow() {
    return Executable("/usr/bin/python3") &&
           std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
}

// Decodes `path` to raw RGB bytes with ImageMagick or Pillow; false when
// neither is installed or the decoder failed.
bool ForeignDecode(const std::string& path, const std::string& raw, std::string* tool) {
    std::string command;
    if (Executable("/usr/bin/convert")) {
        *tool = "ImageMagick";
        command = "/usr/bin/convert '" + path + "' -depth 8 'rgb:" + raw + "' 2>/dev/null";
    } else if (HavePillow()) {
        *tool = "Pillow";
        command =
            "/usr/bin/python3 -c 'import sys; from PIL import Image; "
            "open(sys.argv[2], \"wb\").write(Image.open(sys.argv[1]).convert(\"RGB\")"
            ".tobytes())' '" +
            path + "' '" + raw + "'";
    } else {
        return false;
    }
    return std::system(command.c_str()) == 0;
}

TEST(CrossDecoder, WrittenPngAndTiffFilesDecodeIdenticallyElsewhere) {
    if (!Executable("/usr/bin/convert") && !HavePillow())
        GTEST_SKIP() << "neither ImageMagick (/usr/bin/convert) nor Pillow is installed; "
                        "run scripts/setup.sh --test";
    TempDir dir;
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
        expectedIndexed[3 * i] = palette[4 * indices[i] + 2];
        expectedIndexed[3 * i + 1] = palette[4 * indices[i] + 1];
        expectedIndexed[3 * i + 2] = palette[4 * indices[i]];
    }
    ASSERT_EQ(png::Write24(dir / "a.png", rgb.data(), w, h, 0.0), 1);
    ASSERT_EQ(png::WritePalette(dir / "b.png", indices.data(), w, h, 256, palette.data(), 0.0), 1);
    ASSERT_EQ(tiff::Write24(dir / "c.tif", rgb.data(), w, h), 1);
    ASSERT_EQ(tiff::WritePalette(dir / "d.tif", indices.data(), w, h, palette.data()), 1);
    const std::pair<const char*, const std::vector<uint8_t>*> files[] = {
        {"a.png", &rgb}, {"b.png", &expectedIndexed}, {"c.tif", &rgb}, {"d.tif", &expectedIndexed}};
    for (const auto& [name, expected] : files) {
        std::string tool;
        ASSERT_TRUE(ForeignDecode(dir / name, dir / "out.rgb", &tool)) << name;
        EXPECT_EQ(test::ReadFileBytes(dir / "out.rgb"), *expected) << name << " with " << tool;
    }
}

TEST(CrossDecoder, JpegDecodesAsDjpegDoes) {
    if (!Executable("/usr/bin/djpeg"))
        GTEST_SKIP() << "djpeg is not installed (libjpeg-turbo-progs); run scripts/setup.sh --test";
    TempDir dir;
    const auto rgb = test::Gradient(61, 45);
    ASSERT_EQ(jpeg::Write(dir / "a.jpg", rgb.data(), 61, 45, 80, true), 1);
    ASSERT_EQ(jpeg::Write(dir / "g.jpg", rgb.data(), 61, 45, 80, false), 1);
    for (const char* name : {"a.jpg", "g.jpg"}) {
        const std::string command =
            "/usr/bin/djpeg -ppm -outfile '" + (dir / "out.ppm") + "' '" + (dir / name) + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto ppm = test::ReadFileBytes(dir / "out.ppm");
        int w = 0, h = 0;
        PixelBlock ours = jpeg::Read(dir / name, &w, &h);
        ASSERT_FALSE(ours.empty());
        const bool gray = ppm.size() > 1 && ppm[1] == '5';
        const size_t samples = size_t{61} * 45 * (gray ? 1 : 3);
        ASSERT_GE(ppm.size(), samples);
        const uint8_t* theirs = ppm.data() + ppm.size() - samples;
        for (size_t i = 0; i < size_t{61} * 45; ++i)
            for (int c = 0; c < 3; ++c)
                ASSERT_EQ(ours.data()[3 * i + c], theirs[gray ? i : 3 * i + c]) << name << " " << i;
    }
}

}  // namespace
}  // namespace vig
