// Feeds arbitrary bytes to one of the BMP, PCX and GIF readers, chosen when
// the target is built (VIG_FUZZ_FORMAT: bmp, pcx or gif): it must answer
// with pixels of the size it reports, or with an error code, and never touch
// memory it does not own.
#include <cstdint>
#include <cstdlib>

#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "image/image_library.h"

// Pictures up to 64 MB: larger ones only cost time (the cap itself is tested).
constexpr size_t kBudget = size_t{64} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = -1;
    int height = -1;
    const vig::PixelBlock block =
        vig::VIG_FUZZ_FORMAT::ReadMemory(data, size, &width, &height, kBudget);
    const vig::ErrorCode code = vig::GetLastImageError();
    if (block.empty()) {
        if (code == vig::ErrNone || width != 0 || height != 0) std::abort();
        return 0;
    }
    size_t bytes = 0;
    if (!vig::BlockSize(width, height, 3, &bytes) || bytes != block.size()) std::abort();
    // Read across the block, last byte included, so that a short one would show.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < bytes; i += 997) sum = static_cast<uint8_t>(sum + block.data()[i]);
    sum = static_cast<uint8_t>(sum + block.data()[bytes - 1]);
    (void)sum;
    return 0;
}
