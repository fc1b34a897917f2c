// WebP reading through libwebp: lossy and lossless files, with or without
// alpha; of an animation, the first frame as it shows on the canvas.
//
// The file is read whole and taken apart with WebPDemux; the first frame is
// decoded whole by libwebp (its output, and for lossless files the
// decoder's own copy of the picture, are reserved from the thread's memory
// budget beside the rows). Alpha is composited over the library background
// (PngGetBackground, the colour a PNG without bKGD is composited over), as
// is the canvas around a first frame smaller than it; the rounding is
// (v * a + bg * (255 - a)) / 255 to nearest. A file cut short (its first
// frame incomplete), a damaged one and anything that is not WebP give
// ErrInvalidWebp; a picture whose rows exceed the block cap gives
// ErrOutOfMemory before anything is decoded.
#pragma once

#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::webp {

PixelBlock Read(const std::string& path, int* width, int* height);

// Read with hints: the EXIF orientation (an EXIF chunk) is applied when
// asked for, the plan's reduction is made as the rows are delivered (its
// minimum size is not used), the ICC profile (an ICCP chunk) handed over
// when asked for and, unless the hints say otherwise, the colours
// converted to sRGB by it (image/colour_profile.h). *info gets the canvas
// size as stored.
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);

}  // namespace vig::image::webp
