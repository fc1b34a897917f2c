#include "image/formats/gif.h"

#include <array>
#include <cstring>
#include <memory>

#include "image/formats/byte_stream.h"
#include "image/image_library.h"
#include "image/row_target.h"

namespace vig::image::gif {
namespace {

constexpr int kMaxBits = 12;
constexpr int kTableSize = 1 << kMaxBits;  // 4096 codes

// ---------------------------------------------------------------- reading

// Variable-length code decoder over the image's data sub-blocks.
class LzwDecoder {
public:
    LzwDecoder(codec::ByteReader& in, int minCodeSize)
        : in_(in),
          minCodeSize_(minCodeSize),
          clear_(1 << minCodeSize),
          end_(clear_ + 1),
          codeSize_(minCodeSize + 1),
          nextFree_(clear_ + 2) {}

    // The next pixel value, or -1 once the data ends: the end code, the end
    // of the sub-blocks, truncated data or a code that cannot be decoded.
    int NextPixel() {
        if (sp_ > 0) return stack_[--sp_];
        if (finished_) return -1;
        const int value = DecodeCode();
        if (value < 0) finished_ = true;
        return value;
    }

private:
    // One code from the bit stream, least significant bits first; sub-blocks
    // are read as they are needed, so codes may span them.
    int ReadCode() {
        while (bitCount_ < codeSize_) {
            if (blockLeft_ == 0) {
                const int count = in_.ReadByte();
                if (count <= 0) return -1;  // the empty block or the end of the file
                blockLeft_ = count;
            }
            const int b = in_.ReadByte();
            if (b < 0) return -1;
            --blockLeft_;
            bits_ |= static_cast<uint32_t>(b) << bitCount_;
            bitCount_ += 8;
        }
        const int code = static_cast<int>(bits_ & ((1u << codeSize_) - 1));
        bits_ >>= codeSize_;
        bitCount_ -= codeSize_;
        return code;
    }

    int DecodeCode() {
        for (;;) {
            int code = ReadCode();
            if (code < 0 || code == end_) return -1;
            if (code == clear_) {
                codeSize_ = minCodeSize_ + 1;
                nextFree_ = clear_ + 2;
                oldCode_ = -1;
                continue;
            }
            if (oldCode_ < 0) {  // the first code after a clear is a root
                if (code > clear_) return -1;
                oldCode_ = code;
                firstChar_ = code;
                return code;
            }
            const int incoming = code;
            if (code > nextFree_) return -1;
            if (code == nextFree_) {  // the previous string plus its first character
                stack_[sp_++] = static_cast<uint16_t>(firstChar_);
                code = oldCode_;
            }
            while (code >= clear_) {
                if (sp_ >= kTableSize) return -1;  // a chain leading back onto itself
                stack_[sp_++] = suffix_[code];
                code = prefix_[code];
            }
            firstChar_ = code;
            if (nextFree_ < kTableSize) {
                prefix_[nextFree_] = static_cast<uint16_t>(oldCode_);
                suffix_[nextFree_] = static_cast<uint16_t>(firstChar_);
                ++nextFree_;
                if (nextFree_ == (1 << codeSize_) && codeSize_ < kMaxBits) ++codeSize_;
            }
            oldCode_ = incoming;
            return code;
        }
    }

    codec::ByteReader& in_;
    const int minCodeSize_;
    const int clear_;
    const int end_;
    int codeSize_;
    int nextFree_;
    int oldCode_ = -1;
    int firstChar_ = 0;
    bool finished_ = false;
    uint32_t bits_ = 0;
    int bitCount_ = 0;
    int blockLeft_ = 0;
    int sp_ = 0;
    std::array<uint16_t, kTableSize> prefix_{};
    std::array<uint16_t, kTableSize> suffix_{};
    std::array<uint16_t, kTableSize + 2> stack_{};
};

bool ReadTable(codec::ByteReader& in, int entries, uint8_t* table) {
    const size_t bytes = static_cast<size_t>(entries) * 3;
    return in.Read(table, bytes) == bytes;
}

PixelBlock Decode(codec::ByteReader& in, const codec::DecodeRequest& request, int* width,
                  int* height, ImageStatus& status) {
    uint8_t signature[6];
    if (in.Read(signature, 6) != 6 || std::memcmp(signature, "GIF", 3) != 0 ||
        (std::memcmp(signature + 3, "87a", 3) != 0 && std::memcmp(signature + 3, "89a", 3) != 0)) {
        status.Fail(ErrInvalidGif);
        return {};
    }
    uint8_t screen[7];
    if (in.Read(screen, 7) != 7) {
        status.Fail(ErrInvalidGif);
        return {};
    }
    std::array<uint8_t, 256 * 3> globalTable{};
    const bool hasGlobal = (screen[4] & 0x80) != 0;
    if (hasGlobal && !ReadTable(in, 2 << (screen[4] & 7), globalTable.data())) {
        status.Fail(ErrInvalidGif);
        return {};
    }

    // Extensions are skipped; the first image descriptor decides the result.
    uint8_t descriptor[9];
    for (;;) {
        const int b = in.ReadByte();
        if (b < 0) {
            status.Fail(ErrReadFile);
            return {};
        }
        if (b == 0x2C) {
            if (in.Read(descriptor, 9) != 9) {
                status.Fail(ErrReadFile);
                return {};
            }
            break;
        }
        if (b != 0x21) continue;
        if (in.ReadByte() < 0) {  // the label
            status.Fail(ErrReadFile);
            return {};
        }
        for (;;) {
            const int count = in.ReadByte();
            if (count < 0 || in.Skip(static_cast<size_t>(count)) != static_cast<size_t>(count)) {
                status.Fail(ErrReadFile);
                return {};
            }
            if (count == 0) break;
        }
    }

    const int w = codec::LE16(descriptor + 4);
    const int h = codec::LE16(descriptor + 6);
    const uint8_t flags = descriptor[8];
    if (w == 0 || h == 0) {
        status.Fail(ErrInvalidGif);
        return {};
    }
    size_t blockBytes = 0;
    if (!BlockSize(w, h, 3, &blockBytes) || blockBytes > request.maxBlockBytes) {
        status.Fail(ErrOutOfMemory);
        return {};
    }
    std::array<uint8_t, 256 * 3> table{};
    if (flags & 0x80) {
        if (!ReadTable(in, 1 << ((flags & 7) + 1), table.data())) {
            status.Fail(ErrInvalidGif);
            return {};
        }
    } else if (hasGlobal) {
        table = globalTable;
    } else {
        for (int i = 0; i < 256; ++i) table[3 * i] = table[3 * i + 1] = table[3 * i + 2] = i;
    }
    const int minCodeSize = in.ReadByte();
    if (minCodeSize < 0) {
        status.Fail(ErrReadFile);
        return {};
    }
    if (minCodeSize < 2 || minCodeSize > 11) {
        status.Fail(ErrInvalidGif);
        return {};
    }
    // Interlaced rows come in four passes, out of order.
    const bool interlaced = (flags & 0x40) != 0;
    RowTarget target;
    LzwDecoder lzw(in, minCodeSize);
    if (const ErrorCode code =
            target.Start(w, h, 1, !interlaced, PlanFor(&request.hints, w, h),
                         sizeof(LzwDecoder) + sizeof table + sizeof globalTable + in.bufferBytes());
        code != ErrNone) {
        status.Fail(code);
        return {};
    }

    // Rows stay black from the point where the data stops: the rest of the
    // row where it stops is black, the rows after it are never delivered.
    auto decodeRow = [&](int y) {
        uint8_t* const row = target.Row(y);
        uint8_t* dst = row;
        bool more = true;
        for (int x = 0; x < w; ++x, dst += 3) {
            const int v = lzw.NextPixel();
            if (v < 0) {
                std::memset(dst, 0, static_cast<size_t>(w - x) * 3);
                more = false;
                break;
            }
            if (v < 256) {
                std::memcpy(dst, table.data() + 3 * v, 3);
            } else {
                dst[0] = dst[1] = dst[2] = 0;
            }
        }
        target.RowDone(y);
        return more;
    };
    if (interlaced) {
        // Rows 0, 8, 16, ...; then 4, 12, ...; 2, 6, ...; 1, 3, ...
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        bool more = true;
        for (int pass = 0; pass < 4 && more; ++pass)
            for (int y = kStart[pass]; y < h && more; y += kStep[pass]) more = decodeRow(y);
    } else {
        for (int y = 0; y < h; ++y) {
            if (!decodeRow(y)) break;
            if (ReportProgress(y, h) == 0) {
                status.Fail(ErrCancelled);
                return {};
            }
        }
    }
    return codec::FinishTarget(target, request, w, h, width, height, status);
}

// ---------------------------------------------------------------- writing

constexpr int kHashSize = 5003;  // a prime a little above 4096 / 0.8
constexpr int kHashShift = 4;
constexpr int kInitBits = 9;  // minimum code size 8, plus one
constexpr int kClearCode = 256;
constexpr int kEndCode = 257;
constexpr int kPacketBytes = 254;

// Visits the indices row by row from the top and reports each complete row
// to the progress callback; a cancel ends the stream.
class PixelSource {
public:
    PixelSource(const uint8_t* indices, int width, int height)
        : p_(indices), width_(static_cast<size_t>(width)), height_(height) {}

    int Next() {
        if (row_ >= height_ || cancelled_) return -1;
        const int v = p_[static_cast<size_t>(row_) * width_ + x_];
        if (++x_ == width_) {
            x_ = 0;
            if (ReportProgress(row_, height_) == 0) cancelled_ = true;
            ++row_;
        }
        return v;
    }
    bool cancelled() const { return cancelled_; }

private:
    const uint8_t* p_;
    size_t width_;
    int height_;
    size_t x_ = 0;
    int row_ = 0;
    bool cancelled_ = false;
};

class LzwEncoder {
public:
    explicit LzwEncoder(codec::ByteWriter& out) : out_(out) {}

    void Compress(PixelSource& source) {
        int prefix = source.Next();
        ClearHash();
        Output(kClearCode);
        int c;
        while ((c = source.Next()) >= 0) {
            const int32_t key = (static_cast<int32_t>(c) << kMaxBits) + prefix;
            int i = (c << kHashShift) ^ prefix;
            if (hashKeys_[i] == key) {
                prefix = codes_[i];
                continue;
            }
            if (hashKeys_[i] >= 0) {  // occupied by another key: probe on
                const int displacement = i == 0 ? 1 : kHashSize - i;
                bool found = false;
                for (;;) {
                    i -= displacement;
                    if (i < 0) i += kHashSize;
                    if (hashKeys_[i] == key) {
                        found = true;
                        break;
                    }
                    if (hashKeys_[i] < 0) break;
                }
                if (found) {
                    prefix = codes_[i];
                    continue;
                }
            }
            Output(prefix);
            prefix = c;
            if (nextFree_ < kTableSize) {
                codes_[i] = static_cast<uint16_t>(nextFree_++);
                hashKeys_[i] = key;
            } else {
                // The table is full: start again with an empty one.
                ClearHash();
                nextFree_ = kClearCode + 2;
                clearFlag_ = true;
                Output(kClearCode);
            }
        }
        Output(prefix);
        Output(kEndCode);
    }

private:
    void ClearHash() { hashKeys_.fill(-1); }

    void Output(int code) {
        accumulator_ &= (1u << bitsHeld_) - 1;
        accumulator_ |= static_cast<uint32_t>(code) << bitsHeld_;
        bitsHeld_ += codeBits_;
        while (bitsHeld_ >= 8) {
            PutByte(static_cast<uint8_t>(accumulator_));
            accumulator_ >>= 8;
            bitsHeld_ -= 8;
        }
        // The width grows once the next free code no longer fits; after a
        // clear it returns to the initial width.
        if (nextFree_ > maxCode_ || clearFlag_) {
            if (clearFlag_) {
                codeBits_ = kInitBits;
                maxCode_ = (1 << kInitBits) - 1;
                clearFlag_ = false;
            } else {
                ++codeBits_;
                maxCode_ = codeBits_ == kMaxBits ? kTableSize : (1 << codeBits_) - 1;
            }
        }
        if (code == kEndCode) {
            while (bitsHeld_ > 0) {
                PutByte(static_cast<uint8_t>(accumulator_));
                accumulator_ >>= 8;
                bitsHeld_ -= 8;
            }
            FlushPacket();
        }
    }

    void PutByte(uint8_t b) {
        packet_[packetBytes_++] = b;
        if (packetBytes_ >= kPacketBytes) FlushPacket();
    }

    void FlushPacket() {
        if (packetBytes_ == 0) return;
        out_.Put(static_cast<uint8_t>(packetBytes_));
        out_.Write(packet_.data(), static_cast<size_t>(packetBytes_));
        packetBytes_ = 0;
    }

    codec::ByteWriter& out_;
    std::array<int32_t, kHashSize> hashKeys_{};
    std::array<uint16_t, kHashSize> codes_{};
    int codeBits_ = kInitBits;
    int maxCode_ = (1 << kInitBits) - 1;
    int nextFree_ = kClearCode + 2;
    bool clearFlag_ = false;
    uint32_t accumulator_ = 0;
    int bitsHeld_ = 0;
    std::array<uint8_t, 256> packet_{};
    int packetBytes_ = 0;
};

}  // namespace

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

int Write(const std::string& path, const uint8_t* indices, int width, int height,
          int backgroundIndex, const uint8_t* red, const uint8_t* green, const uint8_t* blue) {
    ImageStatus status;
    size_t bytes = 0;
    if (path.empty() || indices == nullptr || red == nullptr || green == nullptr ||
        blue == nullptr || !BlockSize(width, height, 1, &bytes) || width > 0xFFFF ||
        height > 0xFFFF) {
        status.Fail(ErrParameter);
        return 0;
    }
    return codec::WriteFile(path, status, [&](codec::ByteWriter& out) {
        out.Write("GIF87a", 6);
        out.PutLE16(static_cast<unsigned>(width));
        out.PutLE16(static_cast<unsigned>(height));
        out.Put(0xE7);  // global table of 256 entries, colour resolution field 6
        out.Put(static_cast<uint8_t>(backgroundIndex));
        out.Put(0);
        for (int i = 0; i < 256; ++i) {
            out.Put(red[i]);
            out.Put(green[i]);
            out.Put(blue[i]);
        }
        out.Put(0x2C);
        out.PutLE16(0);
        out.PutLE16(0);
        out.PutLE16(static_cast<unsigned>(width));
        out.PutLE16(static_cast<unsigned>(height));
        out.Put(0);  // no local table, not interlaced
        out.Put(8);  // LZW minimum code size
        if (!out.ok()) {
            status.Fail(ErrWriteFile);
            return;
        }
        PixelSource source(indices, width, height);
        auto encoder = std::make_unique<LzwEncoder>(out);
        encoder->Compress(source);
        if (source.cancelled()) {
            // The data is ended and flushed, but the file gets no terminator.
            status.Fail(ErrCancelled);
            return;
        }
        out.Put(0);
        out.Put(0x3B);
    });
}

int Save(const WriteRequest& request) {
    if (request.palette == nullptr) {
        ImageStatus status;
        status.Fail(ErrParameter);
        return 0;
    }
    std::array<uint8_t, 256> red, green, blue;
    for (int i = 0; i < 256; ++i) {
        blue[i] = request.palette[4 * i];
        green[i] = request.palette[4 * i + 1];
        red[i] = request.palette[4 * i + 2];
    }
    return Write(request.path, request.indices, request.width, request.height, 0, red.data(),
                 green.data(), blue.data());
}

}  // namespace vig::image::gif
