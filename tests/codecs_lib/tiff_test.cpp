#include "image/formats/tiff.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <iterator>
#include <sstream>

#include "lib_test_util.h"

namespace vig {
namespace {

using test::TempDir;

// The tags the writers set, as "name=value" words in the order they are
// listed, then the ColorMap entries 0, 1, 100 and 255 as red/green/blue.
std::string Tags(const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    if (tif == nullptr) return "unreadable";
    std::ostringstream out;
    const std::pair<const char*, ttag_t> tags[] = {
        {"width", TIFFTAG_IMAGEWIDTH},        {"height", TIFFTAG_IMAGELENGTH},
        {"rows", TIFFTAG_ROWSPERSTRIP},       {"samples", TIFFTAG_SAMPLESPERPIXEL},
        {"bits", TIFFTAG_BITSPERSAMPLE},      {"planar", TIFFTAG_PLANARCONFIG},
        {"compression", TIFFTAG_COMPRESSION}, {"photometric", TIFFTAG_PHOTOMETRIC},
        {"orientation", TIFFTAG_ORIENTATION}};
    for (size_t i = 0; i < std::size(tags); ++i) {
        uint32_t wide = 0;  // the first three are 32-bit fields, the others 16-bit
        uint16_t narrow = 0;
        TIFFGetField(tif, tags[i].second, i < 3 ? static_cast<void*>(&wide) : &narrow);
        out << tags[i].first << "=" << (i < 3 ? wide : narrow) << " ";
    }
    char* software = nullptr;
    if (TIFFGetField(tif, TIFFTAG_SOFTWARE, &software) && software != nullptr) out << software;
    uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b)) {
        for (int i : {0, 1, 100, 255}) out << " " << r[i] << "/" << g[i] << "/" << b[i];
    }
    TIFFClose(tif);
    return out.str();
}

std::string VersionLine() {
    std::string v = TIFFGetVersion();
    return v.substr(0, v.find('\n'));
}

TEST(Tiff, WrittenFilesCarryTheirTagsStripSizeAndColorMap) {
    TempDir dir;
    const std::string rgbTags =
        "samples=3 bits=8 planar=1 compression=1 photometric=2 orientation=1 "
        "RasterDll/RasterKit, using " +
        VersionLine();
    for (const auto& [width, size] : {std::pair{1000, "width=1000 height=7 rows=2 "},
                                      std::pair{3000, "width=3000 height=7 rows=1 "},
                                      std::pair{5, "width=5 height=7 rows=546 "}}) {
        const auto rgb = test::Gradient(width, 7);
        const std::string path = dir / (std::to_string(width) + ".tif");
        ASSERT_EQ(image::tiff::Write24(path, rgb.data(), width, 7), 1);
        EXPECT_EQ(Tags(path), size + rgbTags);
        EXPECT_EQ(test::Pixels(path), rgb) << width;
    }

    std::vector<uint8_t> palette(256 * 4, 0);
    const uint8_t first[8] = {0, 128, 255, 0, 1, 2, 3, 0};  // blue, green, red, 0
    std::memcpy(palette.data(), first, 8);
    std::vector<uint8_t> indices(1000 * 3);
    for (size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<uint8_t>(i % 2);
    ASSERT_EQ(image::tiff::WritePalette(dir / "p.tif", indices.data(), 1000, 3, palette.data()), 1);
    const std::string paletteTags =
        "width=1000 height=3 rows=8 samples=1 bits=8 planar=1 compression=1 photometric=3 "
        "orientation=1 Vignettor, using " +
        VersionLine();
    EXPECT_EQ(Tags(dir / "p.tif"), paletteTags + " 65535/32896/0 771/514/257 0/0/0 0/0/0");
    image::CPxImage img;
    ASSERT_EQ(img.Load(dir / "p.tif"), image::ErrNone);
    EXPECT_EQ(img.GetPixel(0, 0), 0x0080FFu);
    EXPECT_EQ(img.GetPixel(1, 2), 0x010203u);

    // Grayscale through the image object: the gray-ramp map.
    ASSERT_EQ(img.Save(dir / "g.tif", 14), image::ErrNone);
    EXPECT_EQ(Tags(dir / "g.tif"),
              paletteTags + " 0/0/0 257/257/257 25700/25700/25700 65535/65535/65535");
}

struct Layout {
    uint32_t width = 1, height = 1;
    uint16_t samples = 3, bits = 8;
    uint16_t extra = 0;  // the kind of alpha of a fourth sample
    uint16_t orientation = ORIENTATION_TOPLEFT, compression = COMPRESSION_NONE;
    uint32_t rowsPerStrip = 16, tile = 0;  // tile 0: strips
    uint16_t photometric = PHOTOMETRIC_RGB;

    size_t RowBytes() const { return (size_t{width} * samples * bits + 7) / 8; }
};

// Writes `pixels`, rows in the order they are stored, in the given layout.
void WriteTiff(const std::string& path, const Layout& l, const void* pixels) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    ASSERT_NE(tif, nullptr);
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, l.orientation);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
    if (l.samples == 4) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &l.extra);
    const bool jpeg = l.compression == COMPRESSION_JPEG;
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, jpeg ? PHOTOMETRIC_YCBCR : l.photometric);
    if (jpeg) {
        TIFFSetField(tif, TIFFTAG_YCBCRSUBSAMPLING, 2, 2);
        TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    const size_t pixelBytes = l.samples * l.bits / 8;
    const auto* in = static_cast<const uint8_t*>(pixels);
    if (l.tile == 0) {
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
        for (uint32_t y = 0; y < l.height; ++y) {
            auto* row = const_cast<uint8_t*>(in + l.RowBytes() * y);
            ASSERT_GE(TIFFWriteScanline(tif, row, y, 0), 0);
        }
    } else {
        TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
        TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
        std::vector<uint8_t> buf(size_t{l.tile} * l.tile * pixelBytes);
        for (uint32_t ty = 0; ty < l.height; ty += l.tile)
            for (uint32_t tx = 0; tx < l.width; tx += l.tile) {
                std::fill(buf.begin(), buf.end(), 0);
                for (uint32_t y = 0; y < l.tile && ty + y < l.height; ++y)
                    for (uint32_t x = 0; x < l.tile && tx + x < l.width; ++x)
                        std::memcpy(&buf[(y * l.tile + x) * pixelBytes],
                                    in + ((ty + y) * l.width + tx + x) * pixelBytes, pixelBytes);
                ASSERT_GE(TIFFWriteTile(tif, buf.data(), tx, ty, 0, 0), 0);
            }
    }
    TIFFClose(tif);
}

TEST(Tiff, AlphaIsDroppedAndColourKeptAsStored) {
    TempDir dir;
    const uint8_t associated[4] = {10, 20, 30, 40};
    const uint8_t clear8[4] = {200, 100, 50, 0};
    const uint16_t faint16[4] = {200 * 257, 100 * 257, 50 * 257, 1000};
    const struct {
        Layout layout;
        const void* pixel;
        image::PackedColour want;
    } cases[] = {
        {{.samples = 4, .bits = 8, .extra = EXTRASAMPLE_ASSOCALPHA}, associated, 0x1E140Au},
        {{.samples = 4, .bits = 8, .extra = EXTRASAMPLE_UNASSALPHA}, clear8, 0x3264C8u},
        {{.samples = 4, .bits = 16, .extra = EXTRASAMPLE_UNASSALPHA}, faint16, 0x3264C8u}};
    for (const auto& c : cases) {
        WriteTiff(dir / "a.tif", c.layout, c.pixel);
        image::CPxImage img;
        ASSERT_EQ(img.Load(dir / "a.tif"), image::ErrNone)
            << c.layout.extra << " " << c.layout.bits;
        EXPECT_EQ(img.GetPixel(0, 0), c.want) << c.layout.extra << " " << c.layout.bits;
    }
}

TEST(Tiff, BadFilesAreRefusedQuietly) {
    TempDir dir;
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    for (const char* name : {"truncated-64x64.tif", "bad-ifd-offset.tif"}) {
        EXPECT_TRUE(
            image::tiff::Read(test::DataPath(std::string("tiff/b/") + name), &w, &h).empty());
        EXPECT_EQ(image::GetLastImageError(), image::ErrInvalidTiff) << name;
    }
    // The strip points past the end: refused, or decoded in part.
    image::PixelBlock partial =
        image::tiff::Read(test::DataPath("tiff/b/strip-past-eof-64x64.tif"), &w, &h);
    EXPECT_TRUE(partial.empty() ? image::GetLastImageError() == image::ErrInvalidTiff
                                : w == 64 && h == 64);
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
    EXPECT_TRUE(image::tiff::Read(dir / "bomb.tif", &w, &h).empty());
    EXPECT_EQ(image::GetLastImageError(), image::ErrInvalidTiff);
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

// The reader works through bands of strips or tiles, and through bands of
// rows where a strip is larger than a band; every layout must come out as
// libtiff's whole-image read has it.
TEST(Tiff, BandsMatchTheWholeImageRead) {
    TempDir dir;
    const auto rgb = test::Gradient(1200, 1500);
    std::vector<uint8_t> noise(size_t{1200} * 1500 * 6);
    uint32_t seed = 12345;
    for (uint8_t& v : noise) v = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 24);
    const uint16_t g4 = COMPRESSION_CCITTFAX4, lzw = COMPRESSION_LZW;
    const std::pair<const char*, Layout> layouts[] = {
        {"top", {}},
        {"bottom", {.orientation = ORIENTATION_BOTLEFT, .compression = COMPRESSION_LZW}},
        {"ycbcr", {.compression = COMPRESSION_JPEG}},
        {"tiled",
         {.orientation = ORIENTATION_BOTRIGHT,
          .compression = COMPRESSION_ADOBE_DEFLATE,
          .tile = 64}},
        {"onestrip", {.rowsPerStrip = 1500}},
        // One strip larger than a band: decoded row by row.
        {"onestrip-lzw-mirrored",
         {.orientation = ORIENTATION_TOPRIGHT, .compression = lzw, .rowsPerStrip = 1500}},
        {"onestrip-deflate-upside-down",
         {.orientation = ORIENTATION_BOTRIGHT,
          .compression = COMPRESSION_ADOBE_DEFLATE,
          .rowsPerStrip = 1500}},
        {"onestrip-16bit", {.bits = 16, .compression = lzw, .rowsPerStrip = 1500}},
        {"onestrip-gray4-bottom",
         {.samples = 1,
          .bits = 4,
          .orientation = ORIENTATION_BOTLEFT,
          .compression = lzw,
          .rowsPerStrip = 1500,
          .photometric = PHOTOMETRIC_MINISBLACK}},
        {"onestrip-fax",
         {.samples = 1,
          .bits = 1,
          .compression = g4,
          .rowsPerStrip = 1500,
          .photometric = PHOTOMETRIC_MINISWHITE}},
    };
    for (auto [name, layout] : layouts) {
        const std::string path = dir / (std::string(name) + ".tif");
        layout.width = 1200;
        layout.height = 1500;
        const bool plain = layout.samples == 3 && layout.bits == 8;
        WriteTiff(path, layout, plain ? rgb.data() : noise.data());
        const auto want = WholeImage(path);
        ASSERT_EQ(want.size(), rgb.size()) << name;
        int w = 0, h = 0;
        image::PixelBlock block = image::tiff::Read(path, &w, &h);
        ASSERT_EQ(block.size(), want.size()) << name;
        EXPECT_EQ(0, std::memcmp(block.data(), want.data(), want.size())) << name;
        // Bottom-up storage: the picture still comes out top row first.
        if (layout.orientation == ORIENTATION_BOTLEFT && plain) {
            EXPECT_EQ(0, std::memcmp(block.data(), rgb.data() + size_t{1499} * 3600, 3600));
        }
    }
}

}  // namespace
}  // namespace vig
