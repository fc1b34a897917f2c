#include "processing/colour_reduction.h"

#include <cstddef>

namespace vig::processing {

// The quantizer is not written yet: report an internal error.
int QuantizeToPalette(const uint8_t*, uint8_t*, int, int, int, uint8_t*) { return 17; }
int BuildPaletteOnly(const uint8_t*, int, int, int, uint8_t*) { return 17; }

int ToGrayscale(const uint8_t* rgb, int width, int height, uint8_t* grayOut) {
    if (rgb == nullptr || grayOut == nullptr) return 5;
    const size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < n; ++i) {
        const double g = 0.299 * rgb[3 * i] + 0.587 * rgb[3 * i + 1] + 0.114 * rgb[3 * i + 2];
        grayOut[i] = static_cast<uint8_t>(g);
    }
    return 0;
}

}  // namespace vig::processing
