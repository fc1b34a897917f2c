// Colour reduction of RGB pixel blocks: an optimised palette with error
// diffusion for 8-bit output, and gray levels for grayscale output.
// Status results: 0 success, 1 working memory could not be had, 5 a buffer
// is missing.
#pragma once

#include <cstdint>

namespace vig::processing {

// Computes a palette of `colours` entries (clamped to 1..256) and one index
// per pixel. paletteOut receives 4-byte entries (blue, green, red, -).
int QuantizeToPalette(const uint8_t* rgb, uint8_t* indexOut, int width, int height, int colours,
                      uint8_t* paletteOut);

// The palette alone, as QuantizeToPalette computes it.
int BuildPaletteOnly(const uint8_t* rgb, int width, int height, int colours, uint8_t* paletteOut);

// gray = trunc(0.299 R + 0.587 G + 0.114 B), one byte per pixel.
int ToGrayscale(const uint8_t* rgb, int width, int height, uint8_t* grayOut);

}  // namespace vig::processing
