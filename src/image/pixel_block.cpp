#include "image/pixel_block.h"

#include <sys/mman.h>

namespace vig::image {
namespace {

// A fresh block of many megabytes costs one page fault per 4 KB page as a
// decoder first writes it, which for a 12-megapixel picture takes as long as
// a third of the JPEG decode. Transparent huge pages make those faults 512
// times rarer. Only a hint: where the system does not take it nothing changes.
void AdviseHugePages(uint8_t* data, size_t size) {
    constexpr size_t kHugePage = size_t{2} << 20;
    if (data == nullptr || size < 2 * kHugePage) return;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kHugePage - 1);
    if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

thread_local size_t tMaxBlockBytes = kMaxBlockBytes;

}  // namespace

size_t MaxBlockBytes() {
    return tMaxBlockBytes;
}

void SetMaxBlockBytes(size_t bytes) {
    tMaxBlockBytes = bytes < kMaxBlockBytes ? bytes : kMaxBlockBytes;
}

bool BlockSize(long long width, long long height, int bytesPerPixel, size_t* bytes) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return false;
    const unsigned long long w = static_cast<unsigned long long>(width);
    const unsigned long long h = static_cast<unsigned long long>(height);
    const unsigned long long limit = tMaxBlockBytes;
    if (w > limit || h > limit) return false;
    const unsigned long long row = w * static_cast<unsigned long long>(bytesPerPixel);
    if (row > limit) return false;
    if (h != 0 && row > limit / h) return false;
    *bytes = static_cast<size_t>(row * h);
    return true;
}

bool PixelBlock::Allocate(size_t bytes) {
    Reset();
    if (bytes == 0 || bytes > tMaxBlockBytes) return false;
    // calloc hands out fresh zero pages for large blocks without touching them.
    auto* p = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (p == nullptr) return false;
    AdviseHugePages(p, bytes);
    data_.reset(p);
    size_ = bytes;
    return true;
}

bool PixelBlock::AllocateRgb(long long width, long long height) {
    size_t bytes = 0;
    if (!BlockSize(width, height, 3, &bytes)) {
        Reset();
        return false;
    }
    return Allocate(bytes);
}

}  // namespace vig::image
