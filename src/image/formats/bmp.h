// The image library's own Windows bitmap codec: a reader for uncompressed
// files of 1, 4, 8, 16 and 24 bits per pixel, a 24-bit writer and a palette
// writer. Entry functions follow the library conventions (image_library.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::bmp {

// Reads a BMP file into RGB pixels, rows top first.
PixelBlock Read(const std::string& path, int* width, int* height);
// The same, with the caller's plan followed as the rows are read (see
// image/row_target.h): a planned reduction never holds the whole picture.
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);
// From memory. Images whose pixel block would exceed maxBlockBytes are
// refused like larger ones (ErrOutOfMemory); the fuzz targets set a budget.
PixelBlock ReadMemory(const uint8_t* data, size_t size, int* width, int* height,
                      size_t maxBlockBytes = kMaxBlockBytes);
PixelBlock ReadMemoryHinted(const uint8_t* data, size_t size, const DecodeHints& hints,
                            DecodeInfo* info, int* width, int* height,
                            size_t maxBlockBytes = kMaxBlockBytes);

// Writes width x height RGB pixels (rows top first) as a 24-bit file.
// Returns 1 on success, 0 on failure.
int Write24(const std::string& path, const uint8_t* rgb, int width, int height);

// Writes one index per pixel (rows top first) as a palette file of 1, 4 or 8
// bits per pixel; the palette holds colourCount entries of blue, green, red, 0.
// Returns 1 on success, 0 on failure.
int WriteIndexed(const std::string& path, const uint8_t* indices, int width, int height,
                 int bitsPerPixel, int colourCount, const uint8_t* palette);

// Save-table glue: the 24-bit writer and the 8-bit writer with 256 colours.
int SaveRgb(const WriteRequest& request);
int SaveIndexed(const WriteRequest& request);

}  // namespace vig::image::bmp
