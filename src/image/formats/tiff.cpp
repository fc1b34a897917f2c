#include "image/formats/tiff.h"

#include <tiffio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "image/colour_profile.h"
#include "image/formats/file_open.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::tiff {
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
    void operator()(void* p) const { std::free(p); }
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

// The buffer libtiff decodes a whole strip or tile into (through its RGBA
// interface).
uint64_t UnitBufferBytes(TIFF* tif) {
    uint64_t unit = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (planar == PLANARCONFIG_SEPARATE) unit *= 4;  // one buffer for up to four planes
    return unit;
}

// A file may declare strips far larger than its picture (thousands of
// samples a pixel, say) with a few bytes of data; such buffers are refused
// before libtiff makes them. Real files stay well inside: at most 8 bytes a
// pixel for every pixel of the picture, or 64 MB, and never beyond the
// largest pixel block.
bool BuffersFitThePicture(TIFF* tif, size_t blockBytes) {
    const uint64_t unit = UnitBufferBytes(tif);
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

// One row of the RGBA raster as RGB, its pixels the other way round when
// mirrored.
void RgbaRowToRgb(const uint32_t* src, uint32_t w, bool mirrored, uint8_t* dst) {
    const auto put = [](uint32_t v, uint8_t* d) {
        d[0] = static_cast<uint8_t>(TIFFGetR(v));
        d[1] = static_cast<uint8_t>(TIFFGetG(v));
        d[2] = static_cast<uint8_t>(TIFFGetB(v));
    };
    if (mirrored) {
        for (uint32_t x = 0; x < w; ++x, dst += 3) put(src[w - 1 - x], dst);
    } else {
        for (uint32_t x = 0; x < w; ++x, dst += 3) put(src[x], dst);
    }
}

void MirrorRgbRow(uint8_t* row, uint32_t w) {
    for (uint32_t a = 0, b = w - 1; a < b; ++a, --b)
        std::swap_ranges(row + size_t{a} * 3, row + size_t{a} * 3 + 3, row + size_t{b} * 3);
}

// Turns decoded rows straight into RGB for the kinds of picture whose
// colours libtiff's RGBA interface takes from its own tables: gray and
// bilevel of 1 to 8 bits (its gray map, which also inverts min-is-white),
// palettes of 1 to 8 bits (its colour map, 16-bit entries already
// narrowed) and 8-bit RGB with or without alpha (the colours as stored).
// The tables are the interface's own, so the colours are the ones it gives,
// without the four-byte raster between.
class RowConverter {
public:
    // False for any other kind of picture.
    bool Set(TIFF* tif, const TIFFRGBAImage& img) {
        if (!img.isContig || img.put.contig == nullptr) return false;
        // The interface reads some kinds as others (LogL as gray, LogLuv and
        // JPEG's YCbCr as RGB): only a picture read as it is stored is taken.
        uint16_t stored = 0;
        uint16_t bits = 0;
        if (TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &stored) == 0 || stored != img.photometric)
            return false;
        TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
        const int bps = img.bitspersample;
        const int spp = img.samplesperpixel;
        if (bits != bps || spp < 1) return false;
        switch (img.photometric) {
            case PHOTOMETRIC_MINISWHITE:
            case PHOTOMETRIC_MINISBLACK:
            case PHOTOMETRIC_PALETTE: {
                uint32_t** map = img.photometric == PHOTOMETRIC_PALETTE ? img.PALmap : img.BWmap;
                if (map == nullptr) return false;
                if (bps == 8) {
                    // One sample a pixel, or the first of several.
                    kind_ = Kind::Samples8;
                    stride_ = spp;
                    perByte_ = 1;
                } else if ((bps == 1 || bps == 2 || bps == 4) && spp == 1) {
                    kind_ = Kind::Packed;
                    perByte_ = 8 / bps;
                } else {
                    return false;
                }
                // The map gives the pixels of each byte value, first first.
                const size_t chunk = static_cast<size_t>(perByte_) * 3;
                table_.assign(256 * chunk, 0);
                for (int v = 0; v < 256; ++v)
                    for (int k = 0; k < perByte_; ++k) {
                        const uint32_t c = map[v][k];
                        uint8_t* d =
                            &table_[static_cast<size_t>(v) * chunk + static_cast<size_t>(k) * 3];
                        d[0] = static_cast<uint8_t>(TIFFGetR(c));
                        d[1] = static_cast<uint8_t>(TIFFGetG(c));
                        d[2] = static_cast<uint8_t>(TIFFGetB(c));
                    }
                return true;
            }
            case PHOTOMETRIC_RGB:
                // Unassociated alpha would be multiplied in (files are marked
                // associated before the interface is set up).
                if (bps != 8 || spp < 3 || img.alpha == EXTRASAMPLE_UNASSALPHA) return false;
                kind_ = Kind::Rgb8;
                stride_ = spp;
                return true;
            default:
                return false;
        }
    }

    // The w pixels of one decoded row (TIFFScanlineSize bytes).
    void Convert(const uint8_t* s, uint32_t w, uint8_t* d) const {
        switch (kind_) {
            case Kind::Packed: {
                const size_t chunk = static_cast<size_t>(perByte_) * 3;
                const uint32_t whole = w / static_cast<uint32_t>(perByte_);
                for (uint32_t i = 0; i < whole; ++i, d += chunk)
                    std::memcpy(d, &table_[size_t{*s++} * chunk], chunk);
                const uint32_t rest = w - whole * static_cast<uint32_t>(perByte_);
                if (rest > 0) std::memcpy(d, &table_[size_t{*s} * chunk], size_t{rest} * 3);
                break;
            }
            case Kind::Samples8:
                for (uint32_t x = 0; x < w; ++x, s += stride_, d += 3)
                    std::memcpy(d, &table_[size_t{*s} * 3], 3);
                break;
            case Kind::Rgb8:
                if (stride_ == 3) {
                    std::memcpy(d, s, size_t{w} * 3);
                } else {
                    for (uint32_t x = 0; x < w; ++x, s += stride_, d += 3) std::memcpy(d, s, 3);
                }
                break;
        }
    }

    size_t TableBytes() const { return table_.size(); }

private:
    enum class Kind { Packed, Samples8, Rgb8 };
    Kind kind_ = Kind::Rgb8;
    int perByte_ = 1;  // pixels in a byte (Packed)
    int stride_ = 3;   // bytes from one pixel to the next (Samples8, Rgb8)
    std::vector<uint8_t> table_;
};

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

// libtiff reads the data of a strip ahead of the row it decodes, about this
// many rows' worth at a time.
constexpr size_t kReadAheadRows = 16;

// Reads the picture row by row however large its strips: the rows are
// decoded in order and handed to the target as they come, so a file with one
// huge strip costs a row, not the strip and not the picture. Kinds the row
// converter takes go straight to RGB; the others go a band of rows at a time
// through libtiff's own routine. A stop is looked for every `band` rows.
// Rows after one that cannot be read are never delivered (zero rows);
// ErrInvalidTiff when not even the first can be.
ErrorCode ReadByRows(TIFF* tif, TIFFRGBAImage& img, uint32_t w, uint32_t h, uint32_t band,
                     const DecodePlan& plan, RowTarget* target) {
    const tmsize_t scanline = TIFFScanlineSize(tif);
    if (scanline <= 0) return ErrInvalidTiff;
    const size_t lineBytes = static_cast<size_t>(scanline);
    const Flips flips = FlipsFor(img.orientation);
    RowConverter converter;
    const bool direct = converter.Set(tif, img);
    const uint32_t rowsAtOnce = direct ? 1 : band;
    const size_t working = lineBytes * (rowsAtOnce + kReadAheadRows) + converter.TableBytes() +
                           (direct ? 0 : size_t{band} * w * sizeof(uint32_t));
    if (const ErrorCode started = target->Start(static_cast<int>(w), static_cast<int>(h), 1,
                                                !flips.vertical, plan, working);
        started != ErrNone)
        return started;
    std::unique_ptr<uint8_t, FreeDeleter> rows(
        static_cast<uint8_t*>(std::calloc(size_t{rowsAtOnce}, lineBytes)));
    std::unique_ptr<uint32_t, FreeDeleter> raster(
        direct ? nullptr : static_cast<uint32_t*>(std::calloc(size_t{band} * w, sizeof(uint32_t))));
    if (!rows || (!direct && !raster)) return ErrOutOfMemory;
    const auto place = [&](uint32_t y) { return flips.vertical ? h - 1 - y : y; };
    for (uint32_t y = 0; y < h; y += band) {
        if (StopRequestedNow()) return ErrCancelled;
        const uint32_t want = std::min(band, h - y);
        if (direct) {
            for (uint32_t i = 0; i < want; ++i) {
                if (TIFFReadScanline(tif, rows.get(), y + i, 0) != 1)
                    return y + i > 0 ? ErrNone : ErrInvalidTiff;
                const uint32_t row = place(y + i);
                uint8_t* dst = target->Row(static_cast<int>(row));
                converter.Convert(rows.get(), w, dst);
                if (flips.horizontal) MirrorRgbRow(dst, w);
                target->RowDone(static_cast<int>(row));
            }
            continue;
        }
        uint32_t got = 0;
        while (got < want &&
               TIFFReadScanline(tif, rows.get() + size_t{got} * lineBytes, y + got, 0) == 1)
            ++got;
        if (got > 0) {
            (*img.put.contig)(&img, raster.get(), 0, 0, w, got, 0, 0, rows.get());
            for (uint32_t i = 0; i < got; ++i) {
                const uint32_t row = place(y + i);
                RgbaRowToRgb(raster.get() + size_t{i} * w, w, flips.horizontal,
                             target->Row(static_cast<int>(row)));
                target->RowDone(static_cast<int>(row));
            }
        }
        if (got < want) return y + got > 0 ? ErrNone : ErrInvalidTiff;
    }
    return ErrNone;
}

// Reads the picture a band of whole strips or tiles at a time through
// libtiff's RGBA interface (bands from the bottom of the picture up for
// files stored bottom-up). Nothing readable at the start is a bad file; a
// later band that cannot be read is never delivered (zero rows).
ErrorCode ReadByBands(TIFF* tif, TIFFRGBAImage& img, uint32_t w, uint32_t h, uint32_t band,
                      bool bottomUp, const DecodePlan& plan, RowTarget* target) {
    // The raster, and libtiff's buffer of one strip or tile.
    const size_t working =
        size_t{band} * w * sizeof(uint32_t) + static_cast<size_t>(UnitBufferBytes(tif));
    if (const ErrorCode started =
            target->Start(static_cast<int>(w), static_cast<int>(h), 1, !bottomUp, plan, working);
        started != ErrNone)
        return started;
    std::unique_ptr<uint32_t, FreeDeleter> raster(
        static_cast<uint32_t*>(std::calloc(size_t{band} * w, sizeof(uint32_t))));
    if (!raster) return ErrOutOfMemory;
    for (uint32_t y = 0; y < h; y += band) {
        const uint32_t rows = std::min(band, h - y);
        img.row_offset = static_cast<int>(y);
        img.col_offset = 0;
        if (TIFFRGBAImageGet(&img, raster.get(), w, rows) == 0) {
            if (y == 0) return ErrInvalidTiff;
            continue;
        }
        // libtiff mirrors within the band; the bands themselves are placed
        // from the bottom for files stored bottom-up.
        const uint32_t first = bottomUp ? h - y - rows : y;
        for (uint32_t i = 0; i < rows; ++i) {
            const int row = static_cast<int>(first + i);
            RgbaRowToRgb(raster.get() + size_t{i} * w, w, false, target->Row(row));
            target->RowDone(row);
        }
    }
    return ErrNone;
}

}  // namespace

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    return ReadThrough(ReadWay::Chosen, path, hints, info, width, height);
}

PixelBlock ReadThrough(ReadWay way, const std::string& path, const DecodeHints& hints,
                       DecodeInfo* info, int* width, int* height) {
    ImageStatus status;
    *info = DecodeInfo();
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
    const int fullWidth = static_cast<int>(w);
    const int fullHeight = static_cast<int>(h);
    info->fullWidth = fullWidth;
    info->fullHeight = fullHeight;
    const DecodePlan plan = PlanFor(&hints, fullWidth, fullHeight);

    // Strips larger than the band are read row by row where that works.
    const bool byRowsWorks = ReadableByRows(tif.get(), image.img);
    bool byRows = unit > wanted && byRowsWorks;
    if (way == ReadWay::Rows) {
        if (!byRowsWorks) {
            *info = DecodeInfo();
            status.Fail(ErrParameter);
            return {};
        }
        byRows = true;
    } else if (way == ReadWay::Bands) {
        byRows = false;
    }
    ColourTransform colour;
    RowTarget target;
    uint32_t profileSize = 0;
    void* profile = nullptr;
    if (ConvertsProfiles(hints, false) &&
        TIFFGetField(tif.get(), TIFFTAG_ICCPROFILE, &profileSize, &profile) != 0) {
        info->profile = colour.FromIcc(static_cast<const uint8_t*>(profile), profileSize);
        colour.AttachTo(target);
    }
    const ErrorCode code =
        byRows ? ReadByRows(tif.get(), image.img, w, h, std::min(h, wanted), plan, &target)
               : ReadByBands(tif.get(), image.img, w, h, band, bottomUp, plan, &target);
    return FinishRead(target, code, status, info, width, height);
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

}  // namespace vig::image::tiff
