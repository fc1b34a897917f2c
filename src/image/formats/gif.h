// The image library's own GIF codec: a reader for the first image of a
// GIF87a or GIF89a file, interlaced or not, and a GIF87a writer for one byte
// per pixel with a 256-entry global colour table. Both use variable-length
// LZW codes of up to 12 bits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::gif {

PixelBlock Read(const std::string& path, int* width, int* height);
// The same, with the caller's plan followed as the rows are decoded (see
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

// Writes one index per pixel (rows top first) with a 256-entry colour table
// given as three arrays. Returns 1 on success, 0 on failure.
int Write(const std::string& path, const uint8_t* indices, int width, int height,
          int backgroundIndex, const uint8_t* red, const uint8_t* green, const uint8_t* blue);

// Save-table glue: the palette entries (blue, green, red, 0) become the table.
int Save(const WriteRequest& request);

}  // namespace vig::image::gif
