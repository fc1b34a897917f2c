#include "image/formats/pcx.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::pcx {
namespace {

constexpr size_t kPaletteTail = 1 + 256 * 3;  // the marker and 256 x (red, green, blue)

void PutLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

bool KnownVersion(uint8_t version) {
    return version == 0 || version == 2 || version == 3 || version == 5;
}

// The 256-entry conversion palette (red, green, blue): the file's 256-colour
// palette for 8-bit files that carry one, else a gray ramp whose first
// entries come from the header for depths below 8.
void BuildPalette(codec::ByteReader& in, const Header& header, uint8_t* palette) {
    const int depth = header.bitsPerPixel * header.planes;
    for (int i = 0; i < 256; ++i)
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<uint8_t>(i);
    if (header.version == 5 && depth == 8 && in.size() >= kHeaderBytes + kPaletteTail &&
        in.Seek(in.size() - kPaletteTail) && in.ReadByte() == kPaletteMarker) {
        std::array<uint8_t, 768> entries;
        if (in.Read(entries.data(), entries.size()) == entries.size())
            std::memcpy(palette, entries.data(), entries.size());
    }
    if (depth < 8) {
        const int count = std::min(1 << depth, 16);
        for (int i = 0; i < count; ++i) {
            palette[3 * i] = header.palette[i][2];
            palette[3 * i + 1] = header.palette[i][1];
            palette[3 * i + 2] = header.palette[i][0];
        }
    }
}

PixelBlock Decode(codec::ByteReader& in, const codec::DecodeRequest& request, int* width,
                  int* height, ImageStatus& status) {
    uint8_t bytes[kHeaderBytes];
    if (in.Read(bytes, sizeof bytes) != sizeof bytes) {
        status.Fail(ErrInvalidPcx);
        return {};
    }
    Header header;
    ParseHeader(bytes, &header);
    if (header.manufacturer != 10 || !KnownVersion(header.version) || !Decodable(header)) {
        status.Fail(ErrInvalidPcx);
        return {};
    }
    const long long w = header.width();
    const long long h = header.height();
    size_t blockBytes = 0;
    if (!BlockSize(w, h, 3, &blockBytes) || blockBytes > request.maxBlockBytes) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    // Each byte of run-length data decodes to at most 63 bytes: refuse data
    // too short for the image before allocating.
    const size_t lineBytes = header.lineBytes();
    const uint64_t minimum =
        (static_cast<uint64_t>(lineBytes) * static_cast<uint64_t>(h) + 62) / 63;
    if (in.size() < kHeaderBytes || minimum > in.size() - kHeaderBytes) {
        status.Fail(ErrInvalidPcx);
        return {};
    }

    std::array<uint8_t, 256 * 3> palette;
    BuildPalette(in, header, palette.data());

    const int cols = static_cast<int>(w);
    const int rows = static_cast<int>(h);
    RowTarget target;
    if (const ErrorCode code =
            target.Start(cols, rows, 1, true, PlanFor(&request.hints, cols, rows),
                         lineBytes + sizeof palette + in.bufferBytes());
        code != ErrNone) {
        status.Fail(code);
        return {};
    }
    std::vector<uint8_t> line(lineBytes);
    if (!in.Seek(kHeaderBytes)) {
        status.Fail(ErrInvalidPcx);
        return {};
    }
    LineDecoder decoder(in);
    for (int y = 0; y < rows; ++y) {
        if (!decoder.Next(line.data(), lineBytes)) {
            status.Fail(ErrInvalidPcx);
            return {};
        }
        ConvertLine(header, line.data(), palette.data(), cols, target.Row(y));
        target.RowDone(y);
    }
    return codec::FinishTarget(target, request, cols, rows, width, height, status);
}

Header OutputHeader(int width, int height, int planes) {
    Header header;
    header.version = 5;
    header.encoding = 1;
    header.bitsPerPixel = 8;
    header.xmin = 0;
    header.ymin = 0;
    header.xmax = static_cast<uint16_t>(width - 1);
    header.ymax = static_cast<uint16_t>(height - 1);
    header.hdpi = 96;
    header.vdpi = 96;
    header.planes = static_cast<uint8_t>(planes);
    header.bytesPerLine = static_cast<uint16_t>((width + 1) & ~1);  // even
    header.paletteInfo = 1;
    return header;
}

// The header's coordinates and line length are 16-bit fields.
bool FitsHeader(int width, int height) {
    return width <= 65534 && height <= 65536;
}

}  // namespace

void ParseHeader(const uint8_t* b, Header* h) {
    h->manufacturer = b[0];
    h->version = b[1];
    h->encoding = b[2];
    h->bitsPerPixel = b[3];
    h->xmin = codec::LE16(b + 4);
    h->ymin = codec::LE16(b + 6);
    h->xmax = codec::LE16(b + 8);
    h->ymax = codec::LE16(b + 10);
    h->hdpi = codec::LE16(b + 12);
    h->vdpi = codec::LE16(b + 14);
    for (int i = 0; i < 16; ++i) {
        h->palette[i][0] = b[16 + 3 * i + 2];
        h->palette[i][1] = b[16 + 3 * i + 1];
        h->palette[i][2] = b[16 + 3 * i];
    }
    h->reserved = b[64];
    h->planes = b[65];
    h->bytesPerLine = codec::LE16(b + 66);
    h->paletteInfo = codec::LE16(b + 68);
    std::memcpy(h->filler, b + 70, sizeof h->filler);
}

void SerializeHeader(const Header& h, uint8_t* b) {
    b[0] = h.manufacturer;
    b[1] = h.version;
    b[2] = h.encoding;
    b[3] = h.bitsPerPixel;
    PutLE16(b + 4, h.xmin);
    PutLE16(b + 6, h.ymin);
    PutLE16(b + 8, h.xmax);
    PutLE16(b + 10, h.ymax);
    PutLE16(b + 12, h.hdpi);
    PutLE16(b + 14, h.vdpi);
    for (int i = 0; i < 16; ++i) {
        b[16 + 3 * i] = h.palette[i][2];
        b[16 + 3 * i + 1] = h.palette[i][1];
        b[16 + 3 * i + 2] = h.palette[i][0];
    }
    b[64] = h.reserved;
    b[65] = h.planes;
    PutLE16(b + 66, h.bytesPerLine);
    PutLE16(b + 68, h.paletteInfo);
    std::memcpy(b + 70, h.filler, sizeof h.filler);
}

bool Decodable(const Header& h) {
    const int bits = h.bitsPerPixel;
    const int depth = bits * h.planes;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8) return false;
    if (depth == 0 || (depth > 8 && !(bits == 8 && h.planes == 3))) return false;
    if (h.width() <= 0 || h.height() <= 0) return false;
    return static_cast<long long>(h.bytesPerLine) * 8 >= h.width() * bits;
}

bool LineDecoder::Next(uint8_t* line, size_t n) {
    size_t filled = std::min(pending_, n);
    std::memset(line, value_, filled);
    pending_ -= filled;
    while (filled < n) {
        const int b = in_.ReadByte();
        if (b < 0) return false;
        if (b >= 0xC0) {
            const int value = in_.ReadByte();
            if (value < 0) return false;
            const size_t count = static_cast<size_t>(b & 0x3F);
            const size_t take = std::min(count, n - filled);
            std::memset(line + filled, value, take);
            filled += take;
            pending_ = count - take;
            value_ = static_cast<uint8_t>(value);
        } else {
            line[filled++] = static_cast<uint8_t>(b);
        }
    }
    return true;
}

void EncodeLine(const uint8_t* plane, size_t n, std::vector<uint8_t>* out) {
    const size_t start = out->size();
    out->resize(start + 2 * n);  // the worst case: every byte escaped
    uint8_t* o = out->data() + start;
    size_t i = 0;
    while (i < n) {
        const uint8_t v = plane[i];
        size_t run = 1;
        while (run < 63 && i + run < n && plane[i + run] == v) ++run;
        if (run == 1 && v < 0xC0) {
            *o++ = v;
        } else {
            *o++ = static_cast<uint8_t>(0xC0 + run);
            *o++ = v;
        }
        i += run;
    }
    out->resize(static_cast<size_t>(o - out->data()));
}

void SplitPlanes(const uint8_t* rgb, int width, int bytesPerLine, uint8_t* line) {
    const size_t bpl = static_cast<size_t>(bytesPerLine);
    std::memset(line, 0, 3 * bpl);
    uint8_t* red = line;
    uint8_t* green = line + bpl;
    uint8_t* blue = line + 2 * bpl;
    for (size_t x = 0, w = static_cast<size_t>(width); x < w; ++x, rgb += 3) {
        red[x] = rgb[0];
        green[x] = rgb[1];
        blue[x] = rgb[2];
    }
}

void ConvertLine(const Header& header, const uint8_t* line, const uint8_t* palette, int width,
                 uint8_t* rgb) {
    const size_t w = static_cast<size_t>(width);
    const size_t bpl = header.bytesPerLine;
    const int bits = header.bitsPerPixel;
    if (bits == 8 && header.planes == 3) {
        for (size_t x = 0; x < w; ++x, rgb += 3) {
            rgb[0] = line[x];
            rgb[1] = line[bpl + x];
            rgb[2] = line[2 * bpl + x];
        }
        return;
    }
    if (bits == 8 && header.planes == 1) {
        for (size_t x = 0; x < w; ++x, rgb += 3) std::memcpy(rgb, palette + 3 * line[x], 3);
        return;
    }
    // Samples are packed from the most significant bits down; with several
    // planes, plane 0 gives the lowest bits of the value.
    const unsigned mask = (1u << bits) - 1;
    for (size_t x = 0; x < w; ++x, rgb += 3) {
        const size_t bit = x * static_cast<size_t>(bits);
        const int shift = 8 - bits - static_cast<int>(bit & 7);
        unsigned value = 0;
        for (int p = 0; p < header.planes; ++p)
            value |= ((line[p * bpl + (bit >> 3)] >> shift) & mask) << (p * bits);
        std::memcpy(rgb, palette + 3 * (value & 0xFF), 3);
    }
}

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    return codec::ReadFile(path, hints, info, width, height, ErrParameter, Decode);
}

PixelBlock ReadMemory(const uint8_t* data, size_t size, int* width, int* height,
                      size_t maxBlockBytes) {
    DecodeInfo info;
    return ReadMemoryHinted(data, size, DecodeHints(), &info, width, height, maxBlockBytes);
}

PixelBlock ReadMemoryHinted(const uint8_t* data, size_t size, const DecodeHints& hints,
                            DecodeInfo* info, int* width, int* height, size_t maxBlockBytes) {
    return codec::ReadMemory(data, size, hints, info, width, height, maxBlockBytes, Decode);
}

namespace {

// Writes a file of `planes` 8-bit planes: the header, then every row through
// `fill(y, line, bytesPerLine)` (which puts one row's plane lines into the
// scan-line buffer), encoding each plane separately, then `tail(out)`.
template <typename FillRow, typename Tail>
int WritePlanes(const std::string& path, bool pixelsGiven, int width, int height, int planes,
                FillRow fill, Tail tail) {
    ImageStatus status;
    size_t pixelBytes = 0;
    if (path.empty() || !pixelsGiven || !BlockSize(width, height, planes, &pixelBytes) ||
        !FitsHeader(width, height)) {
        status.Fail(ErrParameter);
        return 0;
    }
    const Header header = OutputHeader(width, height, planes);
    return codec::WriteFile(path, status, [&](codec::ByteWriter& out) {
        uint8_t bytes[kHeaderBytes];
        SerializeHeader(header, bytes);
        out.Write(bytes, sizeof bytes);
        if (!out.ok()) {
            status.Fail(ErrWriteFile);
            return;
        }
        const size_t bpl = header.bytesPerLine;
        std::vector<uint8_t> line(header.lineBytes());
        std::vector<uint8_t> code;
        code.reserve(2 * line.size());
        for (int y = 0; y < height; ++y) {
            fill(static_cast<size_t>(y), line.data(), bpl);
            code.clear();
            for (int p = 0; p < planes; ++p) EncodeLine(line.data() + p * bpl, bpl, &code);
            out.Write(code.data(), code.size());
            if (!out.ok()) {
                status.Fail(ErrWriteFile);
                return;
            }
        }
        tail(out);
    });
}

}  // namespace

int Write24(const std::string& path, const uint8_t* rgb, int width, int height) {
    return WritePlanes(
        path, rgb != nullptr, width, height, 3,
        [&](size_t y, uint8_t* line, size_t bpl) {
            SplitPlanes(rgb + y * static_cast<size_t>(width) * 3, width, static_cast<int>(bpl),
                        line);
        },
        [](codec::ByteWriter&) {});
}

int Write8(const std::string& path, const uint8_t* indices, int width, int height,
           const uint8_t* palette) {
    const size_t w = static_cast<size_t>(width);
    return WritePlanes(
        path, indices != nullptr && palette != nullptr, width, height, 1,
        [&](size_t y, uint8_t* line, size_t bpl) {
            std::memcpy(line, indices + y * w, w);
            if (bpl > w) line[w] = 0;
        },
        [&](codec::ByteWriter& out) {
            out.Put(kPaletteMarker);
            for (int i = 0; i < 256; ++i) {
                out.Put(palette[4 * i + 2]);
                out.Put(palette[4 * i + 1]);
                out.Put(palette[4 * i]);
            }
        });
}

int SaveRgb(const WriteRequest& request) {
    return Write24(request.path, request.rgb, request.width, request.height);
}

int SaveIndexed(const WriteRequest& request) {
    return Write8(request.path, request.indices, request.width, request.height, request.palette);
}

}  // namespace vig::image::pcx
