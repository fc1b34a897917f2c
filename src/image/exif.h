// The one thing read from a photo's EXIF block: which way up it was taken.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vig::image {

// The orientation 1..8 that an APP1 segment's data (starting with
// "Exif\0\0", then a TIFF header and its first directory) gives the
// picture. 1 when the data is no EXIF block, is cut short or malformed,
// has no orientation entry, or holds a value outside 1..8.
int ExifOrientation(const uint8_t* data, size_t size);

}  // namespace vig::image
