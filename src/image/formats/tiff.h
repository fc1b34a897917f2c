// TIFF reading and writing through libtiff.
//
// Reading accepts whatever libtiff's RGBA interface decodes; alpha is
// dropped without compositing. Writing makes uncompressed, strip-organised
// files: 24-bit RGB, or 8-bit palette with a ColorMap. The TIFF codecs do
// not call the progress callback. libtiff's own warnings and errors are kept
// off the terminal: only the result codes tell what happened.
#pragma once

#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::tiff {

PixelBlock Read(const std::string& path, int* width, int* height);

// 1 on success, 0 on failure (code in the last error).
int Write24(const std::string& path, const uint8_t* rgb, int width, int height);
// indices: one byte per pixel, rows top first; palette: 256 entries of
// 4 bytes (blue, green, red, 0).
int WritePalette(const std::string& path, const uint8_t* indices, int width, int height,
                 const uint8_t* palette);

// The Software tag texts: the first line of TIFFGetVersion() after
// "RasterDll/RasterKit, using " (24-bit) or "Vignettor, using " (palette).
std::string SoftwareText24();
std::string SoftwareTextPalette();

// Save-table writers: output format 12 (RGB) and 13, 14 (palette).
int WriteRgbEntry(const WriteRequest& request);
int WritePaletteEntry(const WriteRequest& request);

}  // namespace vig::tiff
