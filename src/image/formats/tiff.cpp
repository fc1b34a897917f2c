#include "image/formats/tiff.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

#include "image/formats/file_open.h"
#include "image/image_library.h"

namespace vig::tiff {
namespace {

constexpr char kSoftware24[] = "RasterDll/RasterKit, using ";
constexpr char kSoftwarePalette[] = "Vignettor, using ";

// libtiff prints its warnings and errors to stderr unless told otherwise;
// the result codes say all the program needs.
void QuietLibtiff() {
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

std::string LibraryVersion() {
    const char* version = TIFFGetVersion();
    if (version == nullptr) return {};
    std::string text(version);
    const size_t end = text.find('\n');
    if (end != std::string::npos) text.resize(end);
    return text;
}

struct TiffCloser {
    void operator()(TIFF* tif) const { TIFFClose(tif); }
};
using TiffHandle = std::unique_ptr<TIFF, TiffCloser>;

struct FreeDeleter {
    void operator()(uint32_t* p) const { std::free(p); }
};

// libtiff's RGBA reader state, ended when it goes.
struct RgbaImage {
    TIFFRGBAImage img{};
    bool begun = false;
    RgbaImage() = default;
    RgbaImage(const RgbaImage&) = delete;
    RgbaImage& operator=(const RgbaImage&) = delete;
    ~RgbaImage() {
        if (begun) TIFFRGBAImageEnd(&img);
    }
};

// The tags both writers share, in the order the files list them.
void SetCommonTags(TIFF* tif, int width, int height, int samples, const std::string& software,
                   int photometric) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(height));
    TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_SOFTWARE, software.c_str());
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
}

// libtiff decodes a whole strip or tile into one buffer. A file may declare
// strips far larger than its picture (thousands of samples a pixel, say)
// with a few bytes of data; such buffers are refused before libtiff makes
// them. Real files stay well inside: at most 8 bytes a pixel for every
// pixel of the picture, or 64 MB, and never beyond the largest pixel block.
bool BuffersFitThePicture(TIFF* tif, size_t blockBytes) {
    uint64_t unit = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (planar == PLANARCONFIG_SEPARATE) unit *= 4;  // one buffer for up to four planes
    const uint64_t pictureBytes = uint64_t{blockBytes} / 3 * 8;
    const uint64_t limit =
        std::min<uint64_t>(std::max<uint64_t>(pictureBytes, uint64_t{64} << 20), kMaxBlockBytes);
    return unit <= limit;
}

// Checks the arguments, creates the file and lets `fill` set the tags and
// write the pixels (false when a write fails), then flushes it. 1 on
// success, 0 with the code in the last error.
template <typename Fill>
int WriteFile(const std::string& path, bool pointersGiven, int width, int height, Fill fill) {
    ImageStatus status;
    size_t bytes = 0;
    if (!pointersGiven || path.empty() || !BlockSize(width, height, 3, &bytes)) {
        status.Fail(ErrParameter);
        return 0;
    }
    QuietLibtiff();
    TiffHandle tif(TIFFOpen(path.c_str(), "w"));
    if (!tif) {
        status.Fail(ErrOpenFile);
        return 0;
    }
    if (!fill(tif.get()) || TIFFFlush(tif.get()) == 0) {
        status.Fail(ErrWriteFile);
        return 0;
    }
    return 1;
}

}  // namespace

std::string SoftwareText24() {
    return kSoftware24 + LibraryVersion();
}
std::string SoftwareTextPalette() {
    return kSoftwarePalette + LibraryVersion();
}

// Colours load as stored, whatever the alpha says. libtiff's RGBA interface
// premultiplies unassociated alpha, so such files are marked associated (in
// the directory held in memory only) before the interface is set up.
void KeepStoredColours(TIFF* tif) {
    uint16_t count = 0;
    uint16_t* types = nullptr;
    if (TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &count, &types) == 0 || count == 0 ||
        types == nullptr)
        return;
    std::vector<uint16_t> marked(types, types + count);
    bool changed = false;
    for (uint16_t& t : marked) {
        if (t == EXTRASAMPLE_UNASSALPHA) {
            t = EXTRASAMPLE_ASSOCALPHA;
            changed = true;
        }
    }
    if (changed) TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, count, marked.data());
}

namespace {

// Mirrorings that turn the stored row order into top-down, left-to-right.
struct Flips {
    bool horizontal = false;
    bool vertical = false;
};

Flips FlipsFor(uint16_t orientation) {
    switch (orientation) {
        case ORIENTATION_TOPRIGHT:
        case ORIENTATION_RIGHTTOP:
            return {true, false};
        case ORIENTATION_BOTRIGHT:
        case ORIENTATION_RIGHTBOT:
            return {true, true};
        case ORIENTATION_BOTLEFT:
        case ORIENTATION_LEFTBOT:
            return {false, true};
        default:
            return {};
    }
}

// Rows of one band of the RGBA raster (bottom-up files mirrored) into the
// picture, starting at stored row `first`.
void PlaceRows(const uint32_t* raster, uint32_t rows, uint32_t first, uint32_t w, uint32_t h,
               Flips flips, uint8_t* block) {
    const size_t rowBytes = static_cast<size_t>(w) * 3;
    for (uint32_t i = 0; i < rows; ++i) {
        const uint32_t* src = raster + static_cast<size_t>(i) * w;
        const uint32_t row = flips.vertical ? h - 1 - (first + i) : first + i;
        uint8_t* dst = block + static_cast<size_t>(row) * rowBytes;
        for (uint32_t x = 0; x < w; ++x, dst += 3) {
            const uint32_t v = src[flips.horizontal ? w - 1 - x : x];
            dst[0] = static_cast<uint8_t>(TIFFGetR(v));
            dst[1] = static_cast<uint8_t>(TIFFGetG(v));
            dst[2] = static_cast<uint8_t>(TIFFGetB(v));
        }
    }
}

// Whether strips larger than a band can be read row by row: contiguous
// samples whose rows libtiff can decode one after another and convert one
// at a time (not subsampled YCbCr, not JPEG data).
bool ReadableByRows(TIFF* tif, const TIFFRGBAImage& img) {
    if (TIFFIsTiled(tif) || !img.isContig || img.put.contig == nullptr) return false;
    if (img.photometric == PHOTOMETRIC_YCBCR) return false;
    uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    return compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG;
}

// Reads the picture a band of rows at a time however large its strips: the
// rows are decoded in order and converted by libtiff's own routine, so a
// file with one huge strip costs the picture and one band, not a second
// copy of the picture at four bytes a pixel. False when not even the first
// row could be read; rows after one that fails stay zero.
bool ReadByRows(TIFF* tif, TIFFRGBAImage& img, uint32_t w, uint32_t h, uint32_t band,
                uint8_t* block, ErrorCode* code) {
    const tmsize_t scanline = TIFFScanlineSize(tif);
    if (scanline <= 0) return false;
    std::vector<uint8_t> rows(static_cast<size_t>(scanline) * band);
    std::unique_ptr<uint32_t, FreeDeleter> raster(
        static_cast<uint32_t*>(std::calloc(size_t{band} * w, sizeof(uint32_t))));
    if (!raster) {
        *code = ErrOutOfMemory;
        return false;
    }
    const Flips flips = FlipsFor(img.orientation);
    for (uint32_t y = 0; y < h; y += band) {
        if (StopRequestedNow()) {
            *code = ErrCancelled;
            return false;
        }
        const uint32_t want = std::min(band, h - y);
        uint32_t got = 0;
        while (got < want &&
               TIFFReadScanline(tif, rows.data() + static_cast<size_t>(got) * scanline, y + got,
                                0) == 1)
            ++got;
        if (got > 0) {
            (*img.put.contig)(&img, raster.get(), 0, 0, w, got, 0, 0, rows.data());
            PlaceRows(raster.get(), got, y, w, h, flips, block);
        }
        if (got < want) return y + got > 0;
    }
    return true;
}

}  // namespace

PixelBlock Read(const std::string& path, int* width, int* height) {
    ImageStatus status;
    // A file that opens but that libtiff refuses is a bad TIFF, not an
    // unopenable file.
    const int fd = OpenForReading(path, width, height, status);
    if (fd < 0) return {};
    QuietLibtiff();
    TiffHandle tif(TIFFFdOpen(fd, path.c_str(), "r"));
    if (!tif) {
        close(fd);
        status.Fail(ErrInvalidTiff);
        return {};
    }
    uint32_t w = 0;
    uint32_t h = 0;
    TIFFGetField(tif.get(), TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif.get(), TIFFTAG_IMAGELENGTH, &h);
    if (w == 0 || h == 0) {
        status.Fail(ErrInvalidTiff);
        return {};
    }
    size_t blockBytes = 0;
    if (!BlockSize(w, h, 3, &blockBytes)) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    if (!BuffersFitThePicture(tif.get(), blockBytes)) {
        status.Fail(ErrInvalidTiff);
        return {};
    }
    KeepStoredColours(tif.get());
    char message[1024] = {};
    RgbaImage image;
    if (TIFFRGBAImageOK(tif.get(), message) == 0 ||
        TIFFRGBAImageBegin(&image.img, tif.get(), 0, message) == 0) {
        status.Fail(ErrInvalidTiff);
        return {};
    }
    image.begun = true;
    image.img.req_orientation = ORIENTATION_TOPLEFT;
    // Files stored bottom-up come out of libtiff flipped within each band.
    const uint16_t o = image.img.orientation;
    const bool bottomUp = o == ORIENTATION_BOTRIGHT || o == ORIENTATION_BOTLEFT ||
                          o == ORIENTATION_RIGHTBOT || o == ORIENTATION_LEFTBOT;

    // The RGBA raster covers a band of whole strips or tiles at a time
    // (about 4 MB, or one strip or tile row when that is larger).
    uint32_t unit = 0;
    if (TIFFIsTiled(tif.get())) {
        TIFFGetField(tif.get(), TIFFTAG_TILELENGTH, &unit);
    } else {
        TIFFGetFieldDefaulted(tif.get(), TIFFTAG_ROWSPERSTRIP, &unit);
    }
    if (unit == 0 || unit > h) unit = h;
    const uint32_t wanted = std::max<uint32_t>(1, static_cast<uint32_t>((size_t{4} << 20) / 4 / w));
    const uint32_t band =
        std::min<uint64_t>(h, uint64_t{unit} * std::max<uint32_t>(1, wanted / unit));
    PixelBlock block;
    if (!block.Allocate(blockBytes)) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    // Strips larger than the band are read row by row where that works.
    if (unit > wanted && ReadableByRows(tif.get(), image.img)) {
        const uint32_t rowsBand = std::min(h, wanted);  // about 4 MB of raster
        ErrorCode code = ErrInvalidTiff;
        if (!ReadByRows(tif.get(), image.img, w, h, rowsBand, block.data(), &code)) {
            status.Fail(code);
            return {};
        }
        *width = static_cast<int>(w);
        *height = static_cast<int>(h);
        return block;
    }
    std::unique_ptr<uint32_t, FreeDeleter> raster(
        static_cast<uint32_t*>(std::calloc(size_t{band} * w, sizeof(uint32_t))));
    if (!raster) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    for (uint32_t y = 0; y < h; y += band) {
        const uint32_t rows = std::min(band, h - y);
        image.img.row_offset = static_cast<int>(y);
        image.img.col_offset = 0;
        if (TIFFRGBAImageGet(&image.img, raster.get(), w, rows) == 0) {
            // Nothing readable at the start is a bad file; a later band that
            // cannot be read stays zero.
            if (y == 0) {
                status.Fail(ErrInvalidTiff);
                return {};
            }
            continue;
        }
        // libtiff mirrors within the band; the bands themselves are placed
        // from the bottom for files stored bottom-up.
        PlaceRows(raster.get(), rows, bottomUp ? h - y - rows : y, w, h, Flips{}, block.data());
    }
    *width = static_cast<int>(w);
    *height = static_cast<int>(h);
    return block;
}

int Write24(const std::string& path, const uint8_t* rgb, int width, int height) {
    return WriteFile(path, rgb != nullptr, width, height, [&](TIFF* tif) {
        SetCommonTags(tif, width, height, 3, SoftwareText24(), PHOTOMETRIC_RGB);
        const uint32_t rowsPerStrip = TIFFDefaultStripSize(tif, 0);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
        const size_t rowBytes = static_cast<size_t>(width) * 3;
        const uint32_t rows = static_cast<uint32_t>(height);
        uint32_t strip = 0;
        for (uint32_t row = 0; row < rows; row += rowsPerStrip, ++strip) {
            const uint32_t count = std::min(rowsPerStrip, rows - row);
            uint8_t* data = const_cast<uint8_t*>(rgb + static_cast<size_t>(row) * rowBytes);
            if (TIFFWriteEncodedStrip(tif, strip, data, static_cast<tmsize_t>(count * rowBytes)) <
                0)
                return false;
            if (rows - row <= rowsPerStrip) break;
        }
        return true;
    });
}

int WritePalette(const std::string& path, const uint8_t* indices, int width, int height,
                 const uint8_t* palette) {
    return WriteFile(path, indices != nullptr && palette != nullptr, width, height, [&](TIFF* tif) {
        // ColorMap: 65535 * v / 255 rounded, which is 257 * v.
        uint16_t red[256];
        uint16_t green[256];
        uint16_t blue[256];
        for (int i = 0; i < 256; ++i) {
            red[i] = static_cast<uint16_t>(257 * palette[4 * i + 2]);
            green[i] = static_cast<uint16_t>(257 * palette[4 * i + 1]);
            blue[i] = static_cast<uint16_t>(257 * palette[4 * i]);
        }
        SetCommonTags(tif, width, height, 1, SoftwareTextPalette(), PHOTOMETRIC_PALETTE);
        TIFFSetField(tif, TIFFTAG_COLORMAP, red, green, blue);
        TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
        for (int row = 0; row < height; ++row) {
            uint8_t* data = const_cast<uint8_t*>(indices + static_cast<size_t>(row) * width);
            if (TIFFWriteScanline(tif, data, static_cast<uint32_t>(row), 0) < 0) return false;
        }
        return true;
    });
}

int WriteRgbEntry(const WriteRequest& request) {
    return Write24(request.path, request.rgb, request.width, request.height);
}

int WritePaletteEntry(const WriteRequest& request) {
    return WritePalette(request.path, request.indices, request.width, request.height,
                        request.palette);
}

}  // namespace vig::tiff
