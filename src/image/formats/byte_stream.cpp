#include "image/formats/byte_stream.h"

#include <algorithm>
#include <cstring>

#include "platform/files.h"

namespace vig::image::codec {
namespace {

constexpr size_t kBufferBytes = 1 << 16;

}  // namespace

ByteReader::ByteReader(const uint8_t* data, size_t size)
    : window_(data), pos_(data), end_(data + size), size_(size) {}

ByteReader::~ByteReader() {
    if (file_ != nullptr) std::fclose(file_);
}

bool ByteReader::Open(const std::string& path) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = platform::OpenRegularFileStream(path);  // no folder, pipe or device
    if (file_ == nullptr) return false;
    long long size = -1;
    if (fseeko(file_, 0, SEEK_END) == 0) size = ftello(file_);
    if (size < 0 || fseeko(file_, 0, SEEK_SET) != 0) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    size_ = static_cast<uint64_t>(size);
    buffer_.resize(kBufferBytes);
    window_ = pos_ = end_ = buffer_.data();
    windowStart_ = 0;
    return true;
}

bool ByteReader::Refill() {
    if (file_ == nullptr) return false;
    windowStart_ += static_cast<uint64_t>(end_ - window_);
    const size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    window_ = pos_ = buffer_.data();
    end_ = window_ + got;
    return got > 0;
}

bool ByteReader::Seek(uint64_t offset) {
    if (offset > size_) return false;
    const uint64_t windowBytes = static_cast<uint64_t>(end_ - window_);
    if (offset >= windowStart_ && offset - windowStart_ <= windowBytes) {
        pos_ = window_ + (offset - windowStart_);
        return true;
    }
    if (file_ == nullptr) return false;  // memory: the window is everything
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) return false;
    windowStart_ = offset;
    window_ = pos_ = end_ = buffer_.data();
    return true;
}

size_t ByteReader::Read(void* out, size_t n) {
    auto* dst = static_cast<uint8_t*>(out);
    size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !Refill()) break;
        const size_t take = std::min(n - done, static_cast<size_t>(end_ - pos_));
        std::memcpy(dst + done, pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

size_t ByteReader::Skip(size_t n) {
    size_t done = 0;
    while (done < n) {
        if (pos_ == end_ && !Refill()) break;
        const size_t take = std::min(n - done, static_cast<size_t>(end_ - pos_));
        pos_ += take;
        done += take;
    }
    return done;
}

ByteWriter::~ByteWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

bool ByteWriter::Open(const std::string& path) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) return false;
    buffer_.resize(kBufferBytes);
    pos_ = 0;
    written_ = 0;
    failed_ = false;
    return true;
}

void ByteWriter::Flush() {
    if (pos_ == 0) return;
    if (!failed_ && (file_ == nullptr || std::fwrite(buffer_.data(), 1, pos_, file_) != pos_))
        failed_ = true;
    pos_ = 0;
}

void ByteWriter::Write(const void* data, size_t n) {
    const auto* src = static_cast<const uint8_t*>(data);
    while (n > 0) {
        if (pos_ == buffer_.size()) Flush();
        const size_t take = std::min(n, buffer_.size() - pos_);
        std::memcpy(buffer_.data() + pos_, src, take);
        pos_ += take;
        src += take;
        n -= take;
        written_ += take;
    }
}

bool ByteWriter::ok() {
    Flush();
    return !failed_ && file_ != nullptr && std::ferror(file_) == 0;
}

bool ByteWriter::Close() {
    if (file_ == nullptr) return false;
    Flush();
    if (std::fflush(file_) != 0) failed_ = true;
    if (std::fclose(file_) != 0) failed_ = true;
    file_ = nullptr;
    return !failed_;
}

PixelBlock ReadFile(const std::string& path, const DecodeHints& hints, DecodeInfo* info, int* width,
                    int* height, ErrorCode emptyPath, Decoder decode) {
    ImageStatus status;
    *width = *height = 0;
    *info = DecodeInfo();
    if (path.empty()) {
        status.Fail(emptyPath);
        return {};
    }
    ByteReader in;
    if (!in.Open(path)) {
        status.Fail(ErrOpenFile);
        return {};
    }
    PixelBlock block =
        decode(in, DecodeRequest{hints, info, kMaxBlockBytes}, width, height, status);
    if (block.empty()) *info = DecodeInfo();
    return block;
}

PixelBlock ReadMemory(const uint8_t* data, size_t size, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height, size_t maxBlockBytes, Decoder decode) {
    ImageStatus status;
    *width = *height = 0;
    *info = DecodeInfo();
    ByteReader in(data, data != nullptr ? size : 0);
    PixelBlock block = decode(in, DecodeRequest{hints, info, maxBlockBytes}, width, height, status);
    if (block.empty()) *info = DecodeInfo();
    return block;
}

PixelBlock FinishTarget(RowTarget& target, const DecodeRequest& request, int fullWidth,
                        int fullHeight, int* width, int* height, ImageStatus& status) {
    PixelBlock block = target.Finish(width, height);
    if (block.empty()) {
        *width = *height = 0;
        status.Fail(ErrOutOfMemory);
        return {};
    }
    request.info->fullWidth = fullWidth;
    request.info->fullHeight = fullHeight;
    request.info->orientation = 1;
    request.info->reduced = target.reduced();
    return block;
}

}  // namespace vig::image::codec
