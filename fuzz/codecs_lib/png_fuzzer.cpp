// Feeds arbitrary bytes to the PNG reader: it must answer with pixels of
// the size it reports, or with an error code, and never touch memory it
// does not own.
#include "fuzz_input.h"
#include "image/formats/png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = vig::fuzz::InputPath(".png");
    if (!vig::fuzz::WriteInput(path, data, size)) std::abort();
    int width = -1;
    int height = -1;
    const vig::PixelBlock block = vig::png::Read(path, &width, &height);
    vig::fuzz::CheckResult(block, width, height);
    return 0;
}
