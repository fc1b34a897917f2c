#include "image/formats/tiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <algorithm>
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

    // Unassociated alpha, 8 and 16 bits: not premultiplied either.
    for (const int bits : {8, 16}) {
        tif = TIFFOpen((dir / "u.tif").c_str(), "w");
        ASSERT_NE(tif, nullptr);
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 1);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 4);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        const uint16_t unassociated = EXTRASAMPLE_UNASSALPHA;
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &unassociated);
        const uint8_t row8[4] = {200, 100, 50, 0};
        const uint16_t row16[4] = {200 * 257, 100 * 257, 50 * 257, 1000};
        ASSERT_GE(TIFFWriteScanline(tif, bits == 8 ? (void*)row8 : (void*)row16, 0, 0), 0);
        TIFFClose(tif);
        ASSERT_EQ(img.Load(dir / "u.tif"), ErrNone) << bits;
        EXPECT_EQ(img.GetPixel(0, 0), 0x3264C8u) << bits;
    }
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

    // 3000 x 48 pixels of 60000 samples, in strips of 16 rows (2.88 GB
    // each), backed by 256 bytes: libtiff is not let near such a buffer.
    std::vector<uint8_t> bomb = {'I', 'I', 42, 0, 8, 0, 0, 0, 10, 0};
    const uint32_t entries[][3] = {{256, 3, 3000}, {257, 3, 48},  {258, 3, 8},     {259, 3, 1},
                                   {262, 3, 1},    {273, 4, 134}, {277, 3, 60000}, {278, 3, 16},
                                   {279, 4, 256},  {284, 3, 1}};
    for (const auto& [tag, type, value] : entries)
        for (const uint32_t v : {tag | (type << 16), 1u, value})
            for (int shift = 0; shift < 32; shift += 8) bomb.push_back(uint8_t(v >> shift));
    bomb.resize(bomb.size() + 4, 0);  // no further directory
    bomb.resize(bomb.size() + 256, 0x55);
    ASSERT_EQ(bomb.size(), 134u + 256);
    ASSERT_TRUE(test::WriteFileBytes(dir / "bomb.tif", bomb));
    EXPECT_TRUE(tiff::Read(dir / "bomb.tif", &w, &h).empty());
    EXPECT_EQ(GetLastImageError(), ErrInvalidTiff);

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

// Writes a 1200 x 1500 gradient with the given layout.
void WriteLayout(const std::string& path, uint16_t orientation, uint16_t compression,
                 uint32_t rowsPerStrip, uint32_t tile) {
    const int w = 1200, h = 1500;
    const auto rgb = test::Gradient(w, h);
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, orientation);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
    if (compression == COMPRESSION_JPEG) {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_YCBCR);
        TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    } else {
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    }
    if (tile != 0) {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, tile);
        std::vector<uint8_t> buf(size_t{tile} * tile * 3);
        for (uint32_t ty = 0; ty < static_cast<uint32_t>(h); ty += tile)
            for (uint32_t tx = 0; tx < static_cast<uint32_t>(w); tx += tile) {
                std::fill(buf.begin(), buf.end(), 0);
                for (uint32_t y = 0; y < tile && ty + y < static_cast<uint32_t>(h); ++y)
                    for (uint32_t x = 0; x < tile && tx + x < static_cast<uint32_t>(w); ++x)
                        std::memcpy(&buf[(y * tile + x) * 3], &rgb[((ty + y) * w + tx + x) * 3], 3);
                ASSERT_GE(TIFFWriteTile(tif, buf.data(), tx, ty, 0, 0), 0);
            }
    } else {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
        for (int y = 0; y < h; ++y)
            ASSERT_GE(TIFFWriteScanline(tif, const_cast<uint8_t*>(&rgb[size_t{3} * w * y]), y, 0),
                      0);
    }
    TIFFClose(tif);
}

// libtiff's own whole-image read, top row first.
std::vector<uint8_t> WholeImage(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    uint32_t w = 0, h = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    std::vector<uint32_t> raster(size_t{w} * h);
    const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tif);
    std::vector<uint8_t> rgb;
    if (!ok) return rgb;
    for (uint32_t v : raster)
        rgb.insert(rgb.end(), {uint8_t(TIFFGetR(v)), uint8_t(TIFFGetG(v)), uint8_t(TIFFGetB(v))});
    return rgb;
}

// The reader works through bands of strips or tiles; every layout must come
// out as libtiff's whole-image read has it.
TEST(Tiff, BandsMatchTheWholeImageRead) {
    TempDir dir;
    struct Layout {
        const char* name;
        uint16_t orientation, compression;
        uint32_t rowsPerStrip, tile;
    } layouts[] = {
        {"top", ORIENTATION_TOPLEFT, COMPRESSION_NONE, 16, 0},
        {"bottom", ORIENTATION_BOTLEFT, COMPRESSION_LZW, 16, 0},
        {"ycbcr", ORIENTATION_TOPLEFT, COMPRESSION_JPEG, 16, 0},
        {"tiled", ORIENTATION_BOTRIGHT, COMPRESSION_ADOBE_DEFLATE, 0, 64},
        {"onestrip", ORIENTATION_TOPLEFT, COMPRESSION_NONE, 1500, 0},
    };
    for (const Layout& l : layouts) {
        const std::string path = dir / (std::string(l.name) + ".tif");
        WriteLayout(path, l.orientation, l.compression, l.rowsPerStrip, l.tile);
        const auto want = WholeImage(path);
        ASSERT_EQ(want.size(), size_t{1200} * 1500 * 3) << l.name;
        int w = 0, h = 0;
        PixelBlock block = tiff::Read(path, &w, &h);
        ASSERT_FALSE(block.empty()) << l.name;
        ASSERT_EQ(block.size(), want.size());
        EXPECT_EQ(0, std::memcmp(block.data(), want.data(), want.size())) << l.name;
    }
    // Bottom-up storage: the picture still comes out top row first.
    const auto rgb = test::Gradient(1200, 1500);
    int w = 0, h = 0;
    PixelBlock bottom = tiff::Read(dir / "bottom.tif", &w, &h);
    EXPECT_EQ(0, std::memcmp(bottom.data(), rgb.data() + size_t{1499} * 3600, 3600));
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
