#include "image/formats/bmp.h"

#include <algorithm>
#include <array>
#include <vector>

#include "image/formats/byte_stream.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::bmp {
namespace {

constexpr uint32_t kFileHeaderBytes = 14;
constexpr uint32_t kInfoHeaderBytes = 40;
// What a bottom-up file's rows are read in when reduced from the top.
constexpr size_t kRunBytes = 1 << 20;

// Bytes of one stored row: rows are padded to a multiple of 4 bytes.
uint64_t RowBytes(uint64_t bitsPerPixel, uint64_t width) {
    return (bitsPerPixel * width + 31) / 32 * 4;
}

bool SupportedDepth(int bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24;
}

// A 5-bit channel widened to 8 bits.
inline uint8_t Widen5(unsigned v) {
    return static_cast<uint8_t>((v & 31) * 8 + 7);
}

void DecodeRow(const uint8_t* src, uint8_t* dst, int width, int bits, const uint8_t* table) {
    const size_t w = static_cast<size_t>(width);
    switch (bits) {
        case 1:
            for (size_t x = 0; x < w; ++x, dst += 3) {
                const uint8_t* c = table + 3 * ((src[x >> 3] >> (7 - (x & 7))) & 1);
                dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
            }
            break;
        case 4:
            for (size_t x = 0; x < w; ++x, dst += 3) {
                const uint8_t* c = table + 3 * ((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
                dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
            }
            break;
        case 8:
            for (size_t x = 0; x < w; ++x, dst += 3) {
                const uint8_t* c = table + 3 * src[x];
                dst[0] = c[0], dst[1] = c[1], dst[2] = c[2];
            }
            break;
        case 16:
            for (size_t x = 0; x < w; ++x, dst += 3, src += 2) {
                const unsigned v = codec::LE16(src);
                dst[0] = Widen5(v >> 10);
                dst[1] = Widen5(v >> 5);
                dst[2] = Widen5(v);
            }
            break;
        default:  // 24
            for (size_t x = 0; x < w; ++x, dst += 3, src += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            break;
    }
}

PixelBlock Decode(codec::ByteReader& in, const codec::DecodeRequest& request, int* width,
                  int* height, ImageStatus& status) {
    uint8_t fileHeader[kFileHeaderBytes];
    if (in.Read(fileHeader, sizeof fileHeader) != sizeof fileHeader) {
        status.Fail(ErrReadFile);
        return {};
    }
    if (fileHeader[0] != 'B' || fileHeader[1] != 'M') {
        status.Fail(ErrInvalidBmp);
        return {};
    }
    const uint32_t dataOffset = codec::LE32(fileHeader + 10);

    uint8_t info[kInfoHeaderBytes];
    if (in.Read(info, sizeof info) != sizeof info) {
        status.Fail(ErrReadFile);
        return {};
    }
    const uint32_t infoSize = codec::LE32(info);
    const auto w = static_cast<int32_t>(codec::LE32(info + 4));
    const auto hStored = static_cast<int32_t>(codec::LE32(info + 8));
    const int bits = codec::LE16(info + 14);
    const uint32_t compression = codec::LE32(info + 16);
    const uint32_t coloursUsed = codec::LE32(info + 32);

    // Older and shorter headers lay their fields out differently.
    if (infoSize < kInfoHeaderBytes) {
        status.Fail(ErrInvalidBmp);
        return {};
    }
    if (compression != 0) {  // RLE and bit-field files alike
        status.Fail(ErrRleBmp);
        return {};
    }
    if (!SupportedDepth(bits) || w <= 0 || hStored == 0) {
        status.Fail(ErrInvalidBmp);
        return {};
    }
    // A negative height marks rows stored top first.
    const bool topDown = hStored < 0;
    const long long h = topDown ? -static_cast<long long>(hStored) : hStored;

    // Colour table entries are blue, green, red, reserved. Indices beyond the
    // table decode as black.
    std::array<uint8_t, 256 * 3> table{};
    if (bits <= 8) {
        const uint64_t count = coloursUsed != 0 ? coloursUsed : (1u << bits);
        const uint64_t start = kFileHeaderBytes + static_cast<uint64_t>(infoSize);
        if (start > in.size() || count > (in.size() - start) / 4 || !in.Seek(start)) {
            status.Fail(ErrReadFile);
            return {};
        }
        const size_t useful = static_cast<size_t>(std::min<uint64_t>(count, 1u << bits));
        std::array<uint8_t, 256 * 4> entries{};
        if (in.Read(entries.data(), useful * 4) != useful * 4) {
            status.Fail(ErrReadFile);
            return {};
        }
        for (size_t i = 0; i < useful; ++i) {
            table[3 * i] = entries[4 * i + 2];
            table[3 * i + 1] = entries[4 * i + 1];
            table[3 * i + 2] = entries[4 * i];
        }
    }

    if (!in.Seek(dataOffset)) {
        status.Fail(ErrInvalidBmp);
        return {};
    }
    size_t blockBytes = 0;
    if (!BlockSize(w, h, 3, &blockBytes) || blockBytes > request.maxBlockBytes) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    // Refuse a file too short for its rows before allocating anything.
    const uint64_t rowBytes = RowBytes(static_cast<uint64_t>(bits), static_cast<uint64_t>(w));
    if (rowBytes * static_cast<uint64_t>(h) > in.size() - dataOffset) {
        status.Fail(ErrReadFile);
        return {};
    }
    const int rows = static_cast<int>(h);
    const DecodePlan plan = PlanFor(&request.hints, w, rows);
    // A reduction is made best from rows top first: the rows of a bottom-up
    // file are then read a run at a time from the end of the data, each run
    // from its top. The whole picture takes the rows as they are stored.
    const bool reversed = !topDown && plan.reduceWidth > 0 && plan.reduceHeight > 0 &&
                          plan.reduceWidth <= w && plan.reduceHeight <= rows;
    const size_t runRows =
        reversed ? std::clamp<size_t>(kRunBytes / rowBytes, 1, static_cast<size_t>(rows)) : 1;
    RowTarget target;
    if (const ErrorCode code = target.Start(w, rows, 1, topDown || reversed, plan,
                                            runRows * rowBytes + sizeof table + in.bufferBytes());
        code != ErrNone) {
        status.Fail(code);
        return {};
    }
    std::vector<uint8_t> run(runRows * static_cast<size_t>(rowBytes));
    int runTop = 0;  // the picture row that begins the run held
    int runEnd = 0;  // and the row after it
    for (int r = 0; r < rows; ++r) {
        if (ReportProgress(r, rows) == 0) {
            status.Fail(ErrCancelled);
            return {};
        }
        if (r == runEnd) {
            const size_t n = std::min(runRows, static_cast<size_t>(rows - r));
            const size_t bytes = n * static_cast<size_t>(rowBytes);
            if ((reversed &&
                 !in.Seek(dataOffset + (static_cast<uint64_t>(rows - r) - n) * rowBytes)) ||
                in.Read(run.data(), bytes) != bytes) {
                status.Fail(ErrReadFile);
                return {};
            }
            runTop = r;
            runEnd = r + static_cast<int>(n);
        }
        // A reversed run holds its rows bottom first.
        const size_t at = static_cast<size_t>(reversed ? runEnd - 1 - r : r - runTop);
        const int y = topDown || reversed ? r : rows - 1 - r;
        DecodeRow(run.data() + at * rowBytes, target.Row(y), w, bits, table.data());
        target.RowDone(y);
    }
    return codec::FinishTarget(target, request, w, rows, width, height, status);
}

// The sizes of a written file; its size fields hold 32 bits.
struct Layout {
    Layout(int width, int height, int bits, int colours)
        : rowBytes(RowBytes(static_cast<uint64_t>(bits), static_cast<uint64_t>(width))),
          dataOffset(kFileHeaderBytes + kInfoHeaderBytes + 4 * static_cast<uint64_t>(colours)),
          imageSize(rowBytes * static_cast<uint64_t>(height)) {}
    bool fits() const { return dataOffset + imageSize <= 0xFFFFFFFFu; }

    uint64_t rowBytes, dataOffset, imageSize;
};

// Writes the headers, `colours` table entries (blue, green, red, then a 0
// for the entry's fourth byte) and the rows, bottom first. `fill(y, row)`
// stores picture row y; false when it holds an index the depth cannot.
template <typename FillRow>
void WriteBmp(codec::ByteWriter& out, ImageStatus& status, int width, int height, int bits,
              int colours, const uint8_t* palette, FillRow fill) {
    const Layout size(width, height, bits, colours);
    const uint64_t fileSize = size.dataOffset + size.imageSize;
    out.Put('B');
    out.Put('M');
    out.PutLE32(static_cast<uint32_t>(fileSize));
    out.PutLE16(0);
    out.PutLE16(0);
    out.PutLE32(static_cast<uint32_t>(size.dataOffset));
    out.PutLE32(kInfoHeaderBytes);
    out.PutLE32(static_cast<uint32_t>(width));
    out.PutLE32(static_cast<uint32_t>(height));
    out.PutLE16(1);
    out.PutLE16(static_cast<unsigned>(bits));
    out.PutLE32(0);                                                         // no compression
    out.PutLE32(colours != 0 ? static_cast<uint32_t>(size.imageSize) : 0);  // 0 in 24-bit files
    out.PutLE32(0);
    out.PutLE32(0);
    out.PutLE32(static_cast<uint32_t>(colours));
    out.PutLE32(static_cast<uint32_t>(colours));
    for (int i = 0; i < colours; ++i) {
        out.Write(palette + 4 * i, 3);
        out.Put(0);
    }
    std::vector<uint8_t> row(static_cast<size_t>(size.rowBytes));  // padding bytes stay 0
    for (int r = 0; r < height; ++r) {
        if (ReportProgress(r, height) == 0) {
            status.Fail(ErrCancelled);
            return;
        }
        if (!fill(height - 1 - r, row.data())) {
            status.Fail(ErrParameter);
            return;
        }
        out.Write(row.data(), row.size());
        if (!out.ok()) {
            status.Fail(ErrWriteFile);
            return;
        }
    }
    if (out.written() != fileSize) status.Fail(ErrWriteFile);
}

}  // namespace

PixelBlock Read(const std::string& path, int* width, int* height) {
    DecodeInfo info;
    return ReadHinted(path, DecodeHints(), &info, width, height);
}

PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height) {
    return codec::ReadFile(path, hints, info, width, height, ErrOpenFile, Decode);
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

int Write24(const std::string& path, const uint8_t* rgb, int width, int height) {
    ImageStatus status;
    size_t pixelBytes = 0;
    if (path.empty() || rgb == nullptr || !BlockSize(width, height, 3, &pixelBytes) ||
        !Layout(width, height, 24, 0).fits()) {
        status.Fail(ErrParameter);
        return 0;
    }
    const size_t stride = static_cast<size_t>(width) * 3;
    return codec::WriteFile(path, status, [&](codec::ByteWriter& out) {
        WriteBmp(out, status, width, height, 24, 0, nullptr, [&](int y, uint8_t* row) {
            // Pixels are stored as blue, green, red.
            const uint8_t* src = rgb + static_cast<size_t>(y) * stride;
            for (size_t i = 0; i < stride; i += 3) {
                row[i] = src[i + 2];
                row[i + 1] = src[i + 1];
                row[i + 2] = src[i];
            }
            return true;
        });
    });
}

int WriteIndexed(const std::string& path, const uint8_t* indices, int width, int height,
                 int bitsPerPixel, int colourCount, const uint8_t* palette) {
    ImageStatus status;
    size_t pixelBytes = 0;
    const int bits = bitsPerPixel;
    if (path.empty() || indices == nullptr || palette == nullptr ||
        !BlockSize(width, height, 1, &pixelBytes) ||
        (bits != 1 && bits != 2 && bits != 4 && bits != 8) || colourCount < 1 ||
        colourCount > 256 || !Layout(width, height, bits, colourCount).fits()) {
        status.Fail(ErrParameter);
        return 0;
    }
    const unsigned limit = 1u << bits;
    const size_t w = static_cast<size_t>(width);
    return codec::WriteFile(path, status, [&](codec::ByteWriter& out) {
        WriteBmp(out, status, width, height, bits, colourCount, palette, [&](int y, uint8_t* row) {
            const uint8_t* src = indices + static_cast<size_t>(y) * w;
            if (bits == 8) {
                std::copy(src, src + w, row);
                return true;
            }
            // Indices are packed from the most significant bits down.
            std::fill(row, row + RowBytes(static_cast<uint64_t>(bits), w), 0);
            const size_t perByte = static_cast<size_t>(8 / bits);
            for (size_t x = 0; x < w; ++x) {
                if (src[x] >= limit) return false;
                const int shift = 8 - bits * static_cast<int>(x % perByte + 1);
                row[x / perByte] |= static_cast<uint8_t>(src[x] << shift);
            }
            return true;
        });
    });
}

int SaveRgb(const WriteRequest& request) {
    return Write24(request.path, request.rgb, request.width, request.height);
}

int SaveIndexed(const WriteRequest& request) {
    return WriteIndexed(request.path, request.indices, request.width, request.height, 8, 256,
                        request.palette);
}

}  // namespace vig::image::bmp
