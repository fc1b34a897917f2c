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

// The entry of a palette of `count` 4-byte entries (blue, green, red, -)
// nearest to the colour (red, green, blue): the first of equal distances,
// an exact match ends the search.
int NearestPaletteEntry(const uint8_t* palette, int count, uint8_t red, uint8_t green,
                        uint8_t blue);

// Every pixel becomes its nearest entry of the palette.
int MapToPalette(uint8_t* rgb, int width, int height, const uint8_t* palette, int count);

// Posterizes the pixels to `colours` colours (clamped to 1..256) with an
// optimised palette whose entry nearest to (red, green, blue) is set to
// exactly that colour, so that a transparent colour survives the reduction.
int PosterizeKeeping(uint8_t* rgb, int width, int height, int colours, uint8_t red,
                     uint8_t green, uint8_t blue);

// gray = trunc(0.299 R + 0.587 G + 0.114 B), one byte per pixel.
int ToGrayscale(const uint8_t* rgb, int width, int height, uint8_t* grayOut);

}  // namespace vig::processing
