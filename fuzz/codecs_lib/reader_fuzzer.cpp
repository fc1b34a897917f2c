// Feeds arbitrary bytes to one library reader, chosen when the target is
// built (VIG_FUZZ_FORMAT: jpeg, png, tiff, heif or webp; with VIG_FUZZ_HINTED
// the reader with its hints: the EXIF orientation, a draft scale, the
// reduction made while decoding, the colour profile handed over and
// converted): it must answer with pixels of the size it
// reports, or with an error code, and never touch memory it does not own. The readers take a path,
// so each input goes into a file in memory that has no name in any folder (memfd), read through
// /proc/self/fd: nothing is left behind however the target ends.
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "image/formats/heif.h"
#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "image/formats/webp.h"
#include "reader_check.h"

namespace {

// Pictures up to 64 MB, as for the other readers: larger ones only cost
// time (the cap itself is tested).
constexpr size_t kBudget = size_t{64} << 20;

int InputFile() {
    static const int fd = [] {
        vig::image::SetMaxBlockBytes(kBudget);
        const int f = memfd_create("vig-fuzz-input", MFD_CLOEXEC);
        if (f < 0) std::abort();
        return f;
    }();
    return fd;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int fd = InputFile();
    if (ftruncate(fd, 0) != 0) std::abort();
    for (size_t done = 0; done < size;) {
        const ssize_t n = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
        if (n <= 0) std::abort();
        done += static_cast<size_t>(n);
    }
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    int width = -1;
    int height = -1;
#ifdef VIG_FUZZ_HINTED
    // The input's last byte picks the plan: draft and reduced sizes of a
    // 1/1 to 1/32 share of the picture.
    const int share = 1 + (size > 0 ? data[size - 1] % 32 : 0);
    vig::image::DecodeHints hints;
    hints.readOrientation = true;
    hints.readColourProfile = true;
    hints.convertProfiles = vig::image::ProfileConversion::All;
    hints.plan = [share](int w, int h) {
        return vig::image::DecodePlan{w / share, h / share, std::max(1, w / share / 2),
                                      std::max(1, h / share / 2)};
    };
    vig::image::DecodeInfo info;
    const vig::image::PixelBlock block =
        vig::image::VIG_FUZZ_FORMAT::ReadHinted(path, hints, &info, &width, &height);
#else
    const vig::image::PixelBlock block = vig::image::VIG_FUZZ_FORMAT::Read(path, &width, &height);
#endif
    vig::fuzz::CheckReaderAnswer(block, width, height);
    return 0;
}
