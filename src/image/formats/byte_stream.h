// Buffered byte input and output for the image library's own codecs (BMP,
// PCX, GIF). A ByteReader reads a file or a block of memory; a ByteWriter
// writes a file and remembers whether any write failed. The entry glue below
// is what the three codecs' entry functions share.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "image/codec_table.h"
#include "image/image_library.h"
#include "image/pixel_block.h"
#include "image/row_target.h"

namespace vig::image::codec {

class ByteReader {
public:
    ByteReader() = default;
    // Reads `size` bytes at `data`; the memory must outlive the reader.
    ByteReader(const uint8_t* data, size_t size);
    ~ByteReader();
    ByteReader(const ByteReader&) = delete;
    ByteReader& operator=(const ByteReader&) = delete;

    // Opens a file for reading; false when it cannot be opened.
    bool Open(const std::string& path);

    uint64_t size() const { return size_; }
    // What the reader holds of its own to read a file (0 for memory).
    size_t bufferBytes() const { return buffer_.size(); }
    // Moves to `offset`; false (and no move) beyond the end.
    bool Seek(uint64_t offset);

    // The next byte, or -1 at the end of the data.
    int ReadByte() {
        if (pos_ < end_) return *pos_++;
        return Refill() ? *pos_++ : -1;
    }
    // Copies up to n bytes; returns how many were copied.
    size_t Read(void* out, size_t n);
    // Skips up to n bytes; returns how many were skipped.
    size_t Skip(size_t n);

private:
    bool Refill();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    const uint8_t* window_ = nullptr;  // bytes of the data at windowStart_
    const uint8_t* pos_ = nullptr;
    const uint8_t* end_ = nullptr;
    uint64_t windowStart_ = 0;
    uint64_t size_ = 0;
};

class ByteWriter {
public:
    ByteWriter() = default;
    ~ByteWriter();
    ByteWriter(const ByteWriter&) = delete;
    ByteWriter& operator=(const ByteWriter&) = delete;

    // Creates (or truncates) the file; false when it cannot be created.
    bool Open(const std::string& path);

    void Put(uint8_t b) {
        if (pos_ == buffer_.size()) Flush();
        buffer_[pos_++] = b;
        ++written_;
    }
    void PutLE16(unsigned v) {
        Put(static_cast<uint8_t>(v));
        Put(static_cast<uint8_t>(v >> 8));
    }
    void PutLE32(uint32_t v) {
        PutLE16(v & 0xFFFF);
        PutLE16(v >> 16);
    }
    void Write(const void* data, size_t n);

    // Bytes handed to the writer so far.
    uint64_t written() const { return written_; }
    // False once any write (so far) failed.
    bool ok();
    // Flushes and closes; false when any write or the close failed.
    bool Close();

private:
    void Flush();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    uint64_t written_ = 0;
    bool failed_ = false;
};

inline uint16_t LE16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// What a codec's decoder is asked for besides the data.
struct DecodeRequest {
    const DecodeHints& hints;  // empty: the whole picture
    DecodeInfo* info;          // what was found, on success
    size_t maxBlockBytes;      // larger pictures are refused (ErrOutOfMemory)
};

// A codec's decoder: reads one image from `in`, failing `status` on error.
using Decoder = PixelBlock (*)(ByteReader& in, const DecodeRequest& request, int* width,
                               int* height, ImageStatus& status);

// The readers' entry glue: the size starts as 0 x 0 and *info as nothing
// found, then the file is opened and decoded. An empty path gives
// `emptyPath`, a file that cannot be opened ErrOpenFile. A failed read
// leaves *info as nothing found.
PixelBlock ReadFile(const std::string& path, const DecodeHints& hints, DecodeInfo* info, int* width,
                    int* height, ErrorCode emptyPath, Decoder decode);
PixelBlock ReadMemory(const uint8_t* data, size_t size, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height, size_t maxBlockBytes, Decoder decode);

// Ends a decode into `target`: the picture (reduced when the plan was followed), its size and
// what was found; ErrOutOfMemory when the picture cannot be had.
PixelBlock FinishTarget(RowTarget& target, const DecodeRequest& request, int fullWidth,
                        int fullHeight, int* width, int* height, ImageStatus& status);

// The writers' glue: creates the file (ErrOpenFile when it cannot), lets
// `body(out)` write it, then closes it (ErrWriteFile when that fails).
// Returns 1 when `status` took no failure, else 0.
template <typename Body>
int WriteFile(const std::string& path, ImageStatus& status, Body body) {
    ByteWriter out;
    if (!out.Open(path)) {
        status.Fail(ErrOpenFile);
        return 0;
    }
    body(out);
    if (!out.Close()) status.Fail(ErrWriteFile);
    return status.ok() ? 1 : 0;
}

}  // namespace vig::image::codec
