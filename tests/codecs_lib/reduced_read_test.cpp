// PNG and TIFF pictures reduced while they are read: the same pixels as
// reducing the full picture, the TIFF rows decoded one at a time as the RGBA
// interface gives them, and a huge picture within a band of memory.
#include <gtest/gtest.h>
#include <png.h>
#include <tiffio.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <random>

#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "image/memory_budget.h"
#include "lib_test_util.h"
#include "processing/resample.h"

namespace vig {
namespace {

using test::DataPath;
using test::TempDir;

// Fills row y of a picture being written.
using RowFill = std::function<void(uint32_t y, uint8_t* row)>;

// A TIFF layout in strips; rows of RowBytes() in stored order.
struct TiffKind {
    const char* name;
    uint16_t photometric = PHOTOMETRIC_RGB;
    uint16_t bits = 8;
    uint16_t samples = 3;
    uint16_t extra = EXTRASAMPLE_UNSPECIFIED;  // the kind of every extra sample
    uint16_t orientation = ORIENTATION_TOPLEFT;
    uint16_t compression = COMPRESSION_NONE;
    uint32_t rowsPerStrip = 0;  // 0: one strip
    bool smallMap = false;      // colour map entries below 256 (taken as an 8-bit map)
    uint32_t width = 61;
    uint32_t height = 37;

    size_t RowBytes() const { return (size_t{width} * samples * bits + 7) / 8; }
};

// Rows of random bytes, the same for the same seed when written in order.
RowFill Noise(size_t rowBytes, unsigned seed) {
    auto rng = std::make_shared<std::mt19937>(seed);
    return [rng, rowBytes](uint32_t, uint8_t* row) {
        for (size_t i = 0; i < rowBytes; ++i) row[i] = static_cast<uint8_t>((*rng)());
    };
}

bool WriteTiff(const std::string& path, const TiffKind& k, const RowFill& fill) {
    TIFF* tif = TIFFOpen(path.c_str(), "w");
    if (tif == nullptr) return false;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, k.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, k.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, k.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, k.bits);
    TIFFSetField(tif, TIFFTAG_ORIENTATION, k.orientation);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, k.compression);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, k.photometric);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, k.rowsPerStrip == 0 ? k.height : k.rowsPerStrip);
    const int colours = k.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    if (k.samples > colours) {
        const std::vector<uint16_t> extras(k.samples - colours, k.extra);
        TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(extras.size()),
                     extras.data());
    }
    if (k.photometric == PHOTOMETRIC_PALETTE) {
        const size_t n = size_t{1} << k.bits;
        std::vector<uint16_t> map(3 * n);
        std::mt19937 rng(k.bits);
        for (uint16_t& v : map) v = static_cast<uint16_t>(k.smallMap ? rng() % 256 : rng());
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    std::vector<uint8_t> row(k.RowBytes());
    bool ok = true;
    for (uint32_t y = 0; y < k.height && ok; ++y) {
        fill(y, row.data());
        ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    TIFFClose(tif);
    return ok;
}

// Writes a PNG row by row (`row` fills width x samples bytes for row y),
// Adam7-interlaced when asked.
bool WritePng(const std::string& path, int width, int height, int colourType, bool interlaced,
              const RowFill& row) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, colourType,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<uint8_t> line(png_get_rowbytes(png, info));
    const int passes = png_set_interlace_handling(png);
    for (int pass = 0; pass < passes; ++pass)
        for (int y = 0; y < height; ++y) {
            row(y, line.data());
            png_write_row(png, line.data());
        }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

using Reader = image::PixelBlock (*)(const std::string&, const image::DecodeHints&,
                                     image::DecodeInfo*, int*, int*);

image::DecodeHints Reduce(int w, int h) {
    image::DecodeHints hints;
    hints.plan = [w, h](int, int) { return image::DecodePlan{0, 0, w, h}; };
    return hints;
}

std::vector<uint8_t> Bytes(const image::PixelBlock& b) {
    return b.empty() ? std::vector<uint8_t>() : std::vector<uint8_t>(b.data(), b.data() + b.size());
}

// Read with plans smaller than the picture, the pixels are the box
// reduction of the full picture with square cells, byte for byte. A
// thumbnail's plan is always reduced while reading; one nearly the size of
// the picture may be left to the caller (the full picture comes) where rows
// arrive out of order and the sums of its cells would hold more than the
// picture. With a plan larger than the picture, the full picture comes.
void ExpectReducedAsAfterwards(Reader read, const std::string& path, const std::string& label) {
    SCOPED_TRACE(label);
    image::DecodeInfo info;
    int w = 0, h = 0;
    const image::PixelBlock full = read(path, image::DecodeHints(), &info, &w, &h);
    ASSERT_FALSE(full.empty()) << image::GetLastImageError();
    EXPECT_FALSE(info.reduced);
    EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight), std::make_pair(w, h));
    const struct {
        int rw, rh;
        bool thumbnail;
    } plans[] = {{std::max(1, w / 3), std::max(1, h / 5), true},
                 {1, 1, true},
                 {std::max(1, w - 1), std::max(1, h / 2), false},
                 {w + 1, h, false}};
    for (const auto& [rw, rh, thumbnail] : plans) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " to " << rw << "x" << rh);
        int ow = 0, oh = 0;
        const image::PixelBlock got = read(path, Reduce(rw, rh), &info, &ow, &oh);
        ASSERT_FALSE(got.empty()) << image::GetLastImageError();
        EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight), std::make_pair(w, h));
        if (thumbnail) {
            EXPECT_TRUE(info.reduced);
        }
        if (rw > w) {
            EXPECT_FALSE(info.reduced);
        }
        if (!info.reduced) {
            EXPECT_EQ(std::make_pair(ow, oh), std::make_pair(w, h));
            EXPECT_EQ(Bytes(got), Bytes(full));
            continue;
        }
        ASSERT_EQ(std::make_pair(ow, oh), std::make_pair(rw, rh));
        std::vector<uint8_t> want(size_t(rw) * rh * 3);
        ASSERT_EQ(processing::ResampleBox(full.data(), want.data(), w, h, rw, rh, true), 0);
        EXPECT_EQ(Bytes(got), want);
    }
}

TEST(ReducedRead, PngKindsGiveTheBoxReductionOfTheFullPicture) {
    // 1, 8 and 16-bit gray, RGB of 8 and 16 bits, palettes, gray and colour
    // with alpha, transparency over the background, interlaced ones.
    for (const char* name : {"basn0g01", "basn0g08", "basn0g16", "basn2c08", "basn2c16", "basn3p04",
                             "basn3p08", "basn4a08", "basn6a08", "basn6a16", "tbbn3p08", "basi0g04",
                             "basi2c08", "basi3p08", "basi6a16"})
        ExpectReducedAsAfterwards(image::png::ReadHinted,
                                  DataPath(std::string("pngsuite/") + name + ".png"), name);
    // Larger ones, where a band of the reduction spans many rows.
    TempDir dir;
    const auto rgb = test::Gradient(203, 131);
    for (const bool interlaced : {false, true}) {
        const std::string path = dir / (interlaced ? "i.png" : "n.png");
        ASSERT_TRUE(WritePng(
            path, 203, 131, PNG_COLOR_TYPE_RGB, interlaced,
            [&](int y, uint8_t* r) { std::memcpy(r, &rgb[size_t(y) * 203 * 3], 203 * 3); }));
        ExpectReducedAsAfterwards(image::png::ReadHinted, path, path);
    }
}

TEST(ReducedRead, TiffKindsGiveTheBoxReductionOfTheFullPicture) {
    for (const std::string& name : test::DataFiles("tiff", ".tif"))
        ExpectReducedAsAfterwards(image::tiff::ReadHinted, DataPath("tiff/" + name), name);
    // Strips larger than a band of about 4 MB of raster (1200 pixels wide:
    // more than 873 rows) are read row by row; bottom-up and mirrored files
    // deliver their rows out of order.
    const TiffKind kinds[] = {
        {"fax", PHOTOMETRIC_MINISWHITE, 1, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX4},
        {"gray4-bottom-up", PHOTOMETRIC_MINISBLACK, 4, 1, 0, ORIENTATION_BOTLEFT, COMPRESSION_LZW},
        {"palette2-mirrored", PHOTOMETRIC_PALETTE, 2, 1, 0, ORIENTATION_TOPRIGHT},
        {"rgb-upside-down", PHOTOMETRIC_RGB, 8, 3, 0, ORIENTATION_BOTRIGHT,
         COMPRESSION_ADOBE_DEFLATE},
        {"rgb16", PHOTOMETRIC_RGB, 16, 3, 0, ORIENTATION_TOPLEFT, COMPRESSION_LZW},
        {"strips-bottom-up", PHOTOMETRIC_RGB, 8, 3, 0, ORIENTATION_BOTLEFT, COMPRESSION_LZW, 16},
    };
    TempDir dir;
    for (TiffKind k : kinds) {
        k.width = 1200;
        k.height = 1000;
        const std::string path = dir / (std::string(k.name) + ".tif");
        ASSERT_TRUE(WriteTiff(path, k, Noise(k.RowBytes(), 7)));
        ExpectReducedAsAfterwards(image::tiff::ReadHinted, path, k.name);
    }
}

// Row by row, the kinds converted straight to RGB (and the others, through
// libtiff's routine) come out as the RGBA interface has them band by band.
TEST(ReducedRead, TiffRowsGiveWhatTheRgbaInterfaceGives) {
    TempDir dir;
    std::vector<std::string> paths;
    for (const std::string& name : test::DataFiles("tiff", ".tif"))
        paths.push_back(DataPath("tiff/" + name));
    const uint16_t white = PHOTOMETRIC_MINISWHITE, black = PHOTOMETRIC_MINISBLACK,
                   palette = PHOTOMETRIC_PALETTE, rgb = PHOTOMETRIC_RGB;
    const TiffKind kinds[] = {
        {"white1", white, 1, 1},
        {"white2", white, 2, 1},
        {"white4", white, 4, 1},
        {"white8", white, 8, 1},
        {"black1", black, 1, 1},
        {"black2", black, 2, 1},
        {"black4", black, 4, 1},
        {"black8", black, 8, 1},
        {"black16", black, 16, 1},
        {"black8-alpha", black, 8, 2, EXTRASAMPLE_ASSOCALPHA},
        {"white8-extra", white, 8, 2, EXTRASAMPLE_UNSPECIFIED},
        {"palette1", palette, 1, 1},
        {"palette2", palette, 2, 1},
        {"palette4", palette, 4, 1},
        {"palette8", palette, 8, 1},
        {"palette8-small-map", palette, 8, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_NONE, 0, true},
        {"palette4-small-map", palette, 4, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_NONE, 0, true},
        {"rgb8", rgb, 8, 3},
        {"rgba-associated", rgb, 8, 4, EXTRASAMPLE_ASSOCALPHA},
        {"rgba-unassociated", rgb, 8, 4, EXTRASAMPLE_UNASSALPHA},
        {"rgb-extra", rgb, 8, 4, EXTRASAMPLE_UNSPECIFIED},
        {"rgb-two-extra", rgb, 8, 5, EXTRASAMPLE_UNSPECIFIED},
        {"rgb16-alpha", rgb, 16, 4, EXTRASAMPLE_UNASSALPHA},
        {"fax-g3", white, 1, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX3},
        {"fax-g4-strips", white, 1, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX4, 5},
        {"black1-lzw-strips", black, 1, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_LZW, 8},
    };
    for (const TiffKind& k : kinds) {
        const std::string path = dir / (std::string(k.name) + ".tif");
        ASSERT_TRUE(WriteTiff(path, k, Noise(k.RowBytes(), k.bits + k.samples))) << k.name;
        paths.push_back(path);
    }
    // Every orientation, for the mirrorings of the rows and their order.
    for (uint16_t o = ORIENTATION_TOPLEFT; o <= ORIENTATION_LEFTBOT; ++o)
        for (const std::string name : {"white1", "rgb8"}) {
            TiffKind k = *std::find_if(std::begin(kinds), std::end(kinds),
                                       [&](const TiffKind& kind) { return kind.name == name; });
            k.orientation = o;
            const std::string path = dir / (name + "-o" + std::to_string(o) + ".tif");
            ASSERT_TRUE(WriteTiff(path, k, Noise(k.RowBytes(), o)));
            paths.push_back(path);
        }
    int compared = 0;
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        image::DecodeInfo info;
        int w = 0, h = 0, rw = 0, rh = 0;
        const image::PixelBlock bands =
            image::tiff::ReadThrough(image::tiff::ReadWay::Bands, path, {}, &info, &w, &h);
        ASSERT_FALSE(bands.empty()) << image::GetLastImageError();
        const image::PixelBlock rows =
            image::tiff::ReadThrough(image::tiff::ReadWay::Rows, path, {}, &info, &rw, &rh);
        // Only tiles and separate planes have no rows to decode one by one.
        TIFF* tif = TIFFOpen(path.c_str(), "r");
        ASSERT_NE(tif, nullptr);
        uint16_t planar = PLANARCONFIG_CONTIG;
        TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
        const bool byRows = !TIFFIsTiled(tif) && planar == PLANARCONFIG_CONTIG;
        TIFFClose(tif);
        if (!byRows) {
            EXPECT_TRUE(rows.empty());
            EXPECT_EQ(image::GetLastImageError(), image::ErrParameter);
            continue;
        }
        ++compared;
        ASSERT_EQ(std::make_pair(rw, rh), std::make_pair(w, h));
        EXPECT_EQ(Bytes(rows), Bytes(bands));
    }
    EXPECT_GE(compared, 50);
}

// A picture far larger than its thumbnail is reduced while it is read:
// what the read holds at once (the memory budget's peak) stays a small
// share of the picture, except for an interlaced PNG, whose passes need the
// whole picture (and the budget counts it).
TEST(ReducedRead, HugePicturesHoldABandOfRowsNotThePicture) {
    TempDir dir;
    // A mostly white fax page of 26754 x 26754 (2.1 GB as RGB) in a few
    // kilobytes, with a black block in its left half.
    TiffKind fax{
        "fax", PHOTOMETRIC_MINISWHITE, 1, 1, 0, ORIENTATION_TOPLEFT, COMPRESSION_CCITTFAX4};
    fax.width = fax.height = 26754;
    ASSERT_TRUE(WriteTiff(dir / "fax.tif", fax, [&](uint32_t y, uint8_t* row) {
        const size_t black = y >= 10000 && y < 11000 ? fax.RowBytes() / 2 : 0;
        std::memset(row, 0xFF, black);
        std::memset(row + black, 0, fax.RowBytes() - black);
    }));
    const uint8_t solid[3] = {200, 120, 40};
    const auto solidRow = [&](int width) {
        return [&solid, width](int, uint8_t* row) {
            for (int x = 0; x < width; ++x) std::memcpy(row + x * 3, solid, 3);
        };
    };
    ASSERT_TRUE(WritePng(dir / "plain.png", 8000, 6000, PNG_COLOR_TYPE_RGB, false, solidRow(8000)));
    ASSERT_TRUE(WritePng(dir / "adam7.png", 2000, 1500, PNG_COLOR_TYPE_RGB, true, solidRow(2000)));

    const struct {
        const char* file;
        Reader read;
        int width, height;
        bool whole;  // held whole all the same
    } cases[] = {{"fax.tif", image::tiff::ReadHinted, 26754, 26754, false},
                 {"plain.png", image::png::ReadHinted, 8000, 6000, false},
                 {"adam7.png", image::png::ReadHinted, 2000, 1500, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const size_t picture = size_t(c.width) * c.height * 3;
        image::MemoryBudget budget(size_t{3} << 30);
        image::SetThreadMemoryBudget(&budget);
        const auto start = std::chrono::steady_clock::now();
        image::PixelBlock block;
        image::DecodeInfo info;
        int w = 0, h = 0;
        {
            image::FileMemoryScope scope;
            block = c.read(dir / c.file, Reduce(100, 100), &info, &w, &h);
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        image::SetThreadMemoryBudget(nullptr);
        ASSERT_FALSE(block.empty()) << image::GetLastImageError();
        EXPECT_TRUE(info.reduced);
        ASSERT_EQ(std::make_pair(w, h), std::make_pair(100, 100));
        EXPECT_EQ(std::make_pair(info.fullWidth, info.fullHeight),
                  std::make_pair(c.width, c.height));
        EXPECT_LT(seconds, 60.0);
        if (c.whole) {
            EXPECT_GE(budget.peak(), picture);
        } else {
            EXPECT_LT(budget.peak(), picture / 20) << budget.peak();
        }
        if (c.read == image::tiff::ReadHinted) {
            // Cells of 267 x 267: row 38 lies within the black block, on
            // the left.
            EXPECT_EQ(block.data()[(38 * 100 + 10) * 3], 0);
            EXPECT_EQ(block.data()[(38 * 100 + 80) * 3], 255);
            EXPECT_EQ(block.data()[(80 * 100 + 10) * 3], 255);
        } else {
            for (size_t i = 0; i < block.size(); ++i) ASSERT_EQ(block.data()[i], solid[i % 3]) << i;
        }
    }
}

}  // namespace
}  // namespace vig
