// Feeds arbitrary bytes to one of the BMP, PCX and GIF readers, chosen when
// the target is built (VIG_FUZZ_FORMAT: bmp, pcx or gif): it must answer
// with pixels of the size it reports, or with an error code, and never touch
// memory it does not own.
#include <cstdint>
#include <cstdlib>

#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "reader_check.h"

// Pictures up to 64 MB: larger ones only cost time (the cap itself is tested).
constexpr size_t kBudget = size_t{64} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = -1;
    int height = -1;
    const vig::PixelBlock block =
        vig::VIG_FUZZ_FORMAT::ReadMemory(data, size, &width, &height, kBudget);
    vig::fuzz::CheckReaderAnswer(block, width, height);
    return 0;
}
