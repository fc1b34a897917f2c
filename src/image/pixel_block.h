// An owned, zero-initialised block of pixel bytes. Sizes are computed with
// overflow checks and capped at 2^31-1 bytes before anything is allocated.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace vig::image {

inline constexpr size_t kMaxBlockBytes = 0x7FFFFFFF;

// The largest block this thread may allocate: kMaxBlockBytes unless lowered
// (the fuzz targets give the readers a smaller budget, since larger
// pictures only cost them time).
size_t MaxBlockBytes();
void SetMaxBlockBytes(size_t bytes);

// width x height x bytesPerPixel, or false when a dimension is not positive,
// the product overflows or exceeds MaxBlockBytes().
bool BlockSize(long long width, long long height, int bytesPerPixel, size_t* bytes);

// Byte counts that saturate: a product or sum too large for size_t is
// SIZE_MAX, so that a reservation or check of that many bytes simply fails.
inline size_t SaturatingTimes(size_t a, size_t b) {
    size_t r = 0;
    return __builtin_mul_overflow(a, b, &r) ? SIZE_MAX : r;
}
inline size_t SaturatingPlus(size_t a, size_t b) {
    size_t r = 0;
    return __builtin_add_overflow(a, b, &r) ? SIZE_MAX : r;
}

class PixelBlock {
public:
    PixelBlock() = default;
    PixelBlock(PixelBlock&&) noexcept = default;
    PixelBlock& operator=(PixelBlock&&) noexcept = default;
    PixelBlock(const PixelBlock&) = delete;
    PixelBlock& operator=(const PixelBlock&) = delete;

    // Allocates `bytes` zeroed bytes, replacing what was held. False (and
    // empty) when the memory cannot be had or bytes is 0 or too large.
    bool Allocate(size_t bytes);
    // Allocates a block for width x height pixels of 3 bytes.
    bool AllocateRgb(long long width, long long height);
    void Reset() {
        data_.reset();
        size_ = 0;
    }

    uint8_t* data() { return data_.get(); }
    const uint8_t* data() const { return data_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return data_ == nullptr; }

private:
    struct FreeDeleter {
        void operator()(uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, FreeDeleter> data_;
    size_t size_ = 0;
};

}  // namespace vig::image
