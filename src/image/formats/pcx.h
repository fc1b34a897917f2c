// The image library's own PCX codec: a small toolkit (header record, line
// decoder and encoder, plane packing) and the reader and writers built on it.
// The reader takes 1-, 2-, 4- and 8-bit palette files (one plane, or several
// planes of one bit) and 24-bit files of three planes; the writers produce
// 24-bit three-plane files and 8-bit files with a 256-colour palette.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/codec_table.h"
#include "image/formats/byte_stream.h"
#include "image/pixel_block.h"

namespace vig::image::pcx {

inline constexpr size_t kHeaderBytes = 128;
// Marker byte in front of the 256-colour palette at the end of a file.
inline constexpr uint8_t kPaletteMarker = 0x0C;

// The 128-byte file header. In memory the 16-colour palette keeps each triple
// reversed (blue, green, red); the file holds red, green, blue.
struct Header {
    uint8_t manufacturer = 10;
    uint8_t version = 5;
    uint8_t encoding = 1;  // run-length
    uint8_t bitsPerPixel = 1;
    uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    uint16_t hdpi = 0, vdpi = 0;
    uint8_t palette[16][3] = {};
    uint8_t reserved = 0;
    uint8_t planes = 1;
    uint16_t bytesPerLine = 1;
    uint16_t paletteInfo = 1;
    uint8_t filler[58] = {};

    long long width() const { return static_cast<long long>(xmax) - xmin + 1; }
    long long height() const { return static_cast<long long>(ymax) - ymin + 1; }
    // Bytes of one decoded scan line: every plane, one after the other.
    size_t lineBytes() const { return static_cast<size_t>(planes) * bytesPerLine; }
};

void ParseHeader(const uint8_t* bytes, Header* header);
void SerializeHeader(const Header& header, uint8_t* bytes);

// True for the layouts the reader decodes: 1, 2, 4 or 8 bits in one plane,
// several planes of 1, 2 or 4 bits up to 8 bits a pixel, or 8 bits in three
// planes; a non-empty window and lines long enough for a row.
bool Decodable(const Header& header);

// Decodes the run-length data of successive scan lines. A run that passes
// the end of a line goes on at the start of the next one, as some writers
// encode across line ends.
class LineDecoder {
public:
    explicit LineDecoder(codec::ByteReader& in) : in_(in) {}
    // Fills the next `n` bytes; false when the data ends first.
    bool Next(uint8_t* line, size_t n);

private:
    codec::ByteReader& in_;
    size_t pending_ = 0;  // what is left of the last run
    uint8_t value_ = 0;
};

// Appends the run-length code of one plane line: runs of up to 63 equal
// bytes; a single byte below 192 stands for itself.
void EncodeLine(const uint8_t* plane, size_t n, std::vector<uint8_t>* out);

// Splits RGB pixels into three plane lines of bytesPerLine bytes each
// (red, green, blue); bytes beyond the width are 0.
void SplitPlanes(const uint8_t* rgb, int width, int bytesPerLine, uint8_t* line);

// Turns one decoded scan line into RGB pixels; `palette` holds 256 entries of
// red, green, blue for the palette layouts.
void ConvertLine(const Header& header, const uint8_t* line, const uint8_t* palette, int width,
                 uint8_t* rgb);

PixelBlock Read(const std::string& path, int* width, int* height);
// The same, with the caller's plan followed as the lines are decoded (see
// image/row_target.h): a planned reduction never holds the whole picture.
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);
// From memory. Images whose pixel block would exceed maxBlockBytes are
// refused like larger ones (ErrOutOfMemory); the fuzz targets set a budget.
PixelBlock ReadMemory(const uint8_t* data, size_t size, int* width, int* height,
                      size_t maxBlockBytes = kMaxBlockBytes);
PixelBlock ReadMemoryHinted(const uint8_t* data, size_t size, const DecodeHints& hints,
                            DecodeInfo* info, int* width, int* height,
                            size_t maxBlockBytes = kMaxBlockBytes);

// 24-bit file of three planes. Returns 1 on success, 0 on failure.
int Write24(const std::string& path, const uint8_t* rgb, int width, int height);
// 8-bit file of one plane with the 256-colour palette (entries blue, green,
// red, 0) at its end. Returns 1 on success, 0 on failure.
int Write8(const std::string& path, const uint8_t* indices, int width, int height,
           const uint8_t* palette);

// Save-table glue.
int SaveRgb(const WriteRequest& request);
int SaveIndexed(const WriteRequest& request);

}  // namespace vig::image::pcx
