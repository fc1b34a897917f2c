// HEIF reading (HEIC, HEIF and AVIF files) through libheif, which decodes
// HEVC with libde265 and AV1 with dav1d or aom.
//
// The primary image is read as it is meant to be shown: libheif applies the
// file's own cropping, rotation and mirroring (clap, irot, imir). An EXIF
// orientation stored beside it describes the same turn and is not applied
// again (DecodeInfo::orientation stays 1). Pictures of more than 8 bits a
// channel are reduced to 8 with rounding, (v * 255 + max / 2) / max for
// max = 2^bits - 1; alpha is composited over the library background
// (PngGetBackground, the colour a PNG without bKGD is composited over),
// with the same rounding. libheif decodes the whole picture: what it holds
// (the decoded planes and their RGB conversion, and the decoder's picture
// at the largest size the coded streams declare, image/formats/heif_boxes)
// is reserved from the thread's memory budget beside the rows, and a
// picture whose rows exceed the block cap, or a coded picture whose samples
// would, is refused with ErrOutOfMemory before anything is decoded.
// libheif's own limits on sizes and counts stay in force; what it refuses
// under them is ErrOutOfMemory too. Files libheif cannot parse or decode
// give ErrInvalidHeif (ErrInvalidAvif from the AVIF entries), codings no
// decoder is built for ErrUnsupportedHeif.
#pragma once

#include <string>

#include "image/codec_table.h"
#include "image/pixel_block.h"

namespace vig::image::heif {

PixelBlock Read(const std::string& path, int* width, int* height);

// Read with hints: the plan's reduction is made as the rows are delivered
// (the plan's minimum size is not used: libheif has no reduced scales);
// *info gets the size as shown, orientation 1, and the ICC profile when
// asked for. The colours are converted to sRGB by the ICC profile or the
// nclx description of the colr box unless the hints say otherwise
// (image/colour_profile.h).
PixelBlock ReadHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                      int* width, int* height);

// The same for AVIF files: only the error code of a bad file differs.
PixelBlock ReadAvif(const std::string& path, int* width, int* height);
PixelBlock ReadAvifHinted(const std::string& path, const DecodeHints& hints, DecodeInfo* info,
                          int* width, int* height);

}  // namespace vig::image::heif
