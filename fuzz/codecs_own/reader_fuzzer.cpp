// Feeds arbitrary bytes to one of the BMP, PCX and GIF readers, chosen when
// the target is built (VIG_FUZZ_FORMAT: bmp, pcx or gif): it must answer
// with pixels of the size it reports, or with an error code, and never touch
// memory it does not own. Read again with a planned box reduction, it must
// give the same answer, reduced exactly as the box averager reduces the
// full picture.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "processing/resample.h"
#include "reader_check.h"

// Pictures up to 64 MB: larger ones only cost time (the cap itself is tested).
constexpr size_t kBudget = size_t{64} << 20;
// Pictures read again with a planned reduction: up to 4 MB.
constexpr size_t kCompared = size_t{4} << 20;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int width = -1;
    int height = -1;
    const vig::image::PixelBlock block =
        vig::image::VIG_FUZZ_FORMAT::ReadMemory(data, size, &width, &height, kBudget);
    vig::fuzz::CheckReaderAnswer(block, width, height);
    const vig::image::ErrorCode code = vig::image::GetLastImageError();
    // Large pictures take the same paths as small ones, only slower.
    if (block.size() > kCompared) return 0;

    // Cells of 2 to 9 pixels a side, chosen by the input's length.
    const int dx = 2 + static_cast<int>(size % 8);
    const int dy = 2 + static_cast<int>(size / 8 % 8);
    vig::image::DecodeHints hints;
    hints.plan = [dx, dy](int w, int h) {
        return vig::image::DecodePlan{0, 0, std::max(1, w / dx), std::max(1, h / dy)};
    };
    vig::image::DecodeInfo info;
    int rw = -1;
    int rh = -1;
    const vig::image::PixelBlock reduced =
        vig::image::VIG_FUZZ_FORMAT::ReadMemoryHinted(data, size, hints, &info, &rw, &rh, kBudget);
    vig::fuzz::CheckReaderAnswer(reduced, rw, rh);
    if (block.empty()) {
        if (!reduced.empty() || vig::image::GetLastImageError() != code) std::abort();
        return 0;
    }
    if (reduced.empty() || info.fullWidth != width || info.fullHeight != height) std::abort();
    if (!info.reduced) {
        if (rw != width || rh != height ||
            std::memcmp(reduced.data(), block.data(), block.size()) != 0)
            std::abort();
        return 0;
    }
    std::vector<uint8_t> want(reduced.size());
    if (vig::processing::ResampleBox(block.data(), want.data(), width, height, rw, rh, true) != 0 ||
        std::memcmp(want.data(), reduced.data(), want.size()) != 0)
        std::abort();
    return 0;
}
