#include "image/pixel_block.h"

namespace vig {

bool BlockSize(long long width, long long height, int bytesPerPixel, size_t* bytes) {
    if (width <= 0 || height <= 0 || bytesPerPixel <= 0) return false;
    const unsigned long long w = static_cast<unsigned long long>(width);
    const unsigned long long h = static_cast<unsigned long long>(height);
    if (w > kMaxBlockBytes || h > kMaxBlockBytes) return false;
    const unsigned long long row = w * static_cast<unsigned long long>(bytesPerPixel);
    if (row > kMaxBlockBytes) return false;
    if (h != 0 && row > kMaxBlockBytes / h) return false;
    *bytes = static_cast<size_t>(row * h);
    return true;
}

bool PixelBlock::Allocate(size_t bytes) {
    Reset();
    if (bytes == 0 || bytes > kMaxBlockBytes) return false;
    // calloc hands out fresh zero pages for large blocks without touching them.
    auto* p = static_cast<uint8_t*>(std::calloc(bytes, 1));
    if (p == nullptr) return false;
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

}  // namespace vig
