// What every reader must answer to arbitrary bytes: pixels of the size it
// reports, or an error code with a size of 0 x 0; never memory it does not
// own. Aborts (so the fuzzer reports the input) when the answer is wrong.
#pragma once

#include <cstdint>
#include <cstdlib>

#include "image/image_library.h"
#include "image/pixel_block.h"

namespace vig::fuzz {

inline void CheckReaderAnswer(const image::PixelBlock& block, int width, int height) {
    const image::ErrorCode code = image::GetLastImageError();
    if (block.empty()) {
        if (code == image::ErrNone || width != 0 || height != 0) std::abort();
        return;
    }
    size_t bytes = 0;
    if (!image::BlockSize(width, height, 3, &bytes) || bytes != block.size()) std::abort();
    // Read across the block, last byte included, so that a short one would show.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < bytes; i += 997) sum = static_cast<uint8_t>(sum + block.data()[i]);
    sum = static_cast<uint8_t>(sum + block.data()[bytes - 1]);
    (void)sum;
}

}  // namespace vig::fuzz
