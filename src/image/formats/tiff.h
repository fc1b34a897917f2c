// TIFF reading and writing through libtiff.
//
// Reading accepts whatever libtiff's RGBA interface decodes; alpha is
// dropped without compositing. Strips larger than a band of about 4 MB of
// raster are decoded row by row, gray, bilevel, palette and 8-bit RGB rows
// turned into RGB with the interface's own tables. Writing makes uncompressed, strip-organised
// files: 24-bit RGB, or 8-bit palette with a ColorMap. The TIFF codecs do
// not call the progress callback. libtiff's own warnings and errors are kept
// off the terminal: only the result codes tell what happened.
#pragma once

#include <cstdint>
#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::tiff {

PixelBlock Read(const std::string& path, int* width, int* height);

// Read with hints: the plan's reduction is made as the rows are decoded,
// holding a band of rows (or of strips or tiles) rather than the picture.
// The decoding memory is reserved from the thread's memory budget first.
// The file's orientation is applied by the reader itself: *info gets
// orientation 1, the size in the file and whether the pixels are the
// reduction.
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);

// The two ways a picture is read: through libtiff's RGBA interface a band
// of whole strips or tiles at a time, or row by row (strips larger than a
// band, when libtiff can decode their rows one at a time). Chosen is what
// ReadHinted does; the others force one way, so the two can be compared
// (Rows fails with ErrParameter where it does not apply: tiles, separate
// planes, YCbCr and JPEG data).
enum class ReadWay { Chosen, Bands, Rows };
PixelBlock ReadThrough(ReadWay way, const std::string& path, const DecodeHints& hints,
                       DecodeInfo* info, int* width, int* height);

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

}  // namespace vig::image::tiff
