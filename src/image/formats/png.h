// PNG reading and writing through libpng, with the library-wide PNG state of
// image/png_state.h (background, screen gamma, text lists).
//
// Reading flattens every PNG to 8-bit RGB: palettes and low bit depths are
// expanded, gray becomes RGB, 16 bits are stripped to 8, transparency is
// composited over the file's bKGD colour or else the library background, and
// gamma is corrected from the file's gAMA (or left neutral) to the screen
// gamma. Text chunks with a non-empty text go to the read list. The progress
// callback runs after every row of every pass.
//
// With hints, the plan's reduction is made as the rows are decoded, holding
// a band of rows rather than the picture; an interlaced picture is still
// held whole while its passes come (beside the target when it is reduced).
// The decoding memory is reserved from the thread's memory budget first.
// PNG has no orientation of its own: *info gets orientation 1, the size in
// the file and whether the pixels are the reduction.
//
// Writing makes 8-bit RGB or palette files, not interlaced, with tIME (UTC),
// bKGD (the library background), gAMA (only for a file gamma > 0) and one
// text chunk per entry of the write list, which is emptied afterwards.
#pragma once

#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::png {

PixelBlock Read(const std::string& path, int* width, int* height);
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);

// 1 on success, 0 on failure (code in the last error).
int Write24(const std::string& path, const uint8_t* rgb, int width, int height, double fileGamma);
// indices: one byte per pixel, rows top first; palette: `colours` (1..256)
// entries of 4 bytes (blue, green, red, 0).
int WritePalette(const std::string& path, const uint8_t* indices, int width, int height,
                 int colours, const uint8_t* palette, double fileGamma);

// Save-table writers: output format 9 (RGB) and 10, 11 (palette).
int WriteRgbEntry(const WriteRequest& request);
int WritePaletteEntry(const WriteRequest& request);

}  // namespace vig::image::png
