#include "image/formats/tiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <cstring>

#include "image/cpx_image.h"
#include "image/image_library.h"
#include "lib_test_util.h"
#include "support/reference_png.h"
#include "support/temp_dir.h"

namespace vig {
namespace {

using test::TempDir;

struct Tags {
    uint32_t width = 0, height = 0, rowsPerStrip = 0;
    uint16_t samples = 0, bits = 0, planar = 0, compression = 0, photometric = 0, orientation = 0;
    std::string software;
    std::vector<uint16_t> red, green, blue;
};

Tags ReadTags(const std::string& path) {
    Tags t;
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return t;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &t.width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &t.height);
    TIFFGetField(tif, TIFFTAG_ROWSPERSTRIP, &t.rowsPerStrip);
    TIFFGetField(tif, TIFFTAG_SAMPLESPERPIXEL, &t.samples);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &t.bits);
    TIFFGetField(tif, TIFFTAG_PLANARCONFIG, &t.planar);
    TIFFGetField(tif, TIFFTAG_COMPRESSION, &t.compression);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &t.photometric);
    TIFFGetField(tif, TIFFTAG_ORIENTATION, &t.orientation);
    char* software = nullptr;
    if (TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) && software != nullptr)
        t.software = software;
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) {
        t.red.assign(r, r + 256);
        t.green.assign(g, g + 256);
        t.blue.assign(b, b + 256);
    }
    TIFFClose(tif);
    return t;
}

std::string VersionLine() {
    std::string v = TIFFGetVersion();
    return v.substr(0, v.find('\n'));
}

TEST(Tiff, TwentyFourBitFilesCarryTheirTagsAndStripSize) {
    TempDir dir;
    for (int width : {1000, 3000, 5}) {
        const auto rgb = test::Gradient(width, 7);
        const std::string path = dir / ("w" + std::to_string(width) + ".tif");
        ASSERT_EQ(tiff::Write24(path, rgb.data(), width, 7), 1);
        const Tags t = ReadTags(path);
        EXPECT_EQ(t.rowsPerStrip, width == 1000 ? 2u : width == 3000 ? 1u : 546u) << width;
        EXPECT_EQ(t.width, static_cast<uint32_t>(width));
        EXPECT_EQ(t.height, 7u);
        EXPECT_EQ(t.samples, 3);
        EXPECT_EQ(t.bits, 8);
        EXPECT_EQ(t.planar, PLANARCONFIG_CONTIG);
        EXPECT_EQ(t.compression, COMPRESSION_NONE);
        EXPECT_EQ(t.photometric, PHOTOMETRIC_RGB);
        EXPECT_EQ(t.orientation, ORIENTATION_TOPLEFT);
        EXPECT_EQ(t.software, std::string("RasterDll/RasterKit, using ").append(VersionLine()));
        int w = 0, h = 0;
        PixelBlock back = tiff::Read(path, &w, &h);
        ASSERT_FALSE(back.empty());
        ASSERT_EQ(w, width);
        EXPECT_EQ(0, std::memcmp(back.data(), rgb.data(), rgb.size())) << width;
    }
}

TEST(Tiff, PaletteFilesCarryTheColorMap) {
    TempDir dir;
    std::vector<uint8_t> palette(256 * 4, 0);
    const uint8_t first[4] = {0, 128, 255, 0};  // blue, green, red
    std::memcpy(palette.data(), first, 4);
    palette[4] = 1, palette[5] = 2, palette[6] = 3;
    std::vector<uint8_t> indices(1000 * 3);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 2);
    ASSERT_EQ(tiff::WritePalette(dir / "p.tif", indices.data(), 1000, 3, palette.data()), 1);
    const Tags t = ReadTags(dir / "p.tif");
    ASSERT_EQ(t.red.size(), 256u);
    EXPECT_EQ(t.red[0], 65535);
    EXPECT_EQ(t.green[0], 32896);
    EXPECT_EQ(t.blue[0], 0);
    EXPECT_EQ(t.red[1], 3 * 257);
    EXPECT_EQ(t.blue[1], 257);
    EXPECT_EQ(t.photometric, PHOTOMETRIC_PALETTE);
    EXPECT_EQ(t.samples, 1);
    EXPECT_EQ(t.rowsPerStrip, 8u);
    EXPECT_EQ(t.software, std::string("Vignettor, using ").append(VersionLine()));

    CPxImage img;
    ASSERT_EQ(img.Load(dir / "p.tif"), ErrNone);
    EXPECT_EQ(img.inputFormat(), InputTiff);
    EXPECT_EQ(img.GetPixel(0, 0), 0x0080FFu);
    EXPECT_EQ(img.GetPixel(1, 2), 0x010203u);

    // Grayscale through the image object: the gray-ramp map.
    ASSERT_EQ(img.Save(dir / "g.tif", 14), ErrNone);
    const Tags g = ReadTags(dir / "g.tif");
    ASSERT_EQ(g.red.size(), 256u);
    EXPECT_EQ(g.red[100], 100 * 257);
    EXPECT_EQ(g.blue[255], 65535);
    CPxImage gray;
    ASSERT_EQ(gray.Load(dir / "g.tif"), ErrNone);
    EXPECT_EQ(gray.GetPixel(0, 0), 0x979797u);  // trunc(0.299*255 + 0.587*128) = 151
}

TEST(Tiff, AlphaIsDroppedAndColourKeptAsStored) {
    TempDir dir;
    TIFF* tif = TIFFOpen((dir / "a.tif").c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 2);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    const uint16_t extra = EXTRASAMPLE_ASSOCALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
    uint8_t row[8] = {10, 20, 30, 40, 200, 100, 50, 255};
    ASSERT_GE(TIFFWriteScanline(tif, row, 0, 0), 0);
    TIFFClose(tif);
    CPxImage img;
    ASSERT_EQ(img.Load(dir / "a.tif"), ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), 0x1E140Au);
    EXPECT_EQ(img.GetPixel(1, 0), 0x3264C8u);
}

TEST(Tiff, BadFilesAreRefusedQuietly) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "text.tif", "plain text, no TIFF header"));
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(tiff::Read(dir / "text.tif", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidTiff);
    for (const char* name : {"truncated-64x64.tif", "bad-ifd-offset.tif"}) {
        EXPECT_TRUE(tiff::Read(test::DataPath(std::string("tiff/b/") + name), &w, &h).empty());
        EXPECT_EQ(GetLastImageError(), ErrInvalidTiff) << name;
    }
    // The strip points past the end: refused, or decoded in part.
    PixelBlock partial = tiff::Read(test::DataPath("tiff/b/strip-past-eof-64x64.tif"), &w, &h);
    EXPECT_TRUE(partial.empty() ? GetLastImageError() == ErrInvalidTiff : w == 64 && h == 64);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_TRUE(tiff::Read(dir / "missing.tif", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
    const auto rgb = test::Gradient(2, 2);
    EXPECT_EQ(tiff::Write24(dir / "x.tif", nullptr, 2, 2), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(tiff::WritePalette(dir / "x.tif", rgb.data(), 2, 2, nullptr), 0);
    EXPECT_EQ(GetLastImageError(), ErrParameter);
    EXPECT_EQ(tiff::Write24(dir / "no/dir.tif", rgb.data(), 2, 2), 0);
    EXPECT_EQ(GetLastImageError(), ErrOpenFile);
}

TEST(Tiff, NoProgressCalls) {
    TempDir dir;
    const auto rgb = test::Gradient(8, 8);
    test::ProgressRecorder progress(0);
    ASSERT_EQ(tiff::Write24(dir / "n.tif", rgb.data(), 8, 8), 1);
    int w = 0, h = 0;
    EXPECT_FALSE(tiff::Read(dir / "n.tif", &w, &h).empty());
    EXPECT_TRUE(progress.rows.empty());
}

}  // namespace
}  // namespace vig
