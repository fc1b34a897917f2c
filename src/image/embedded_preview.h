// The smaller pictures a camera stores in a JPEG file beside the picture
// itself: the EXIF thumbnail (the JPEG that the EXIF block's second
// directory points to, inside that block) and the previews of a
// multi-picture file (the "large thumbnails" that its MPF index lists,
// JPEG files appended after the picture). They are found from the
// segments before the picture's first scan; nothing is decoded here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/codec_table.h"

namespace vig::image {

// Whether a preview of previewWidth x previewHeight can stand in for a
// picture of pictureWidth x pictureHeight (both upright) under a plan: only
// under a minimum size (draft decoding), which the preview must reach in
// both directions; smaller than the picture, and of its shape (the
// difference no more than 1%, or two pixels of the short side: rounding,
// and coded sizes that are even). The plan, asked with the picture's size,
// then applies to the preview's pixels.
bool PreviewSuits(const DecodePlan& plan, int pictureWidth, int pictureHeight, int previewWidth,
                  int previewHeight);

struct EmbeddedPreview {
    size_t offset = 0;  // from the start of the file
    size_t length = 0;
};

// The previews of a JPEG file of fileSize bytes, given its first headSize
// bytes (at least its header, up to the first scan, for all to be found):
// the EXIF thumbnail of the first EXIF block, and the largest of the large
// thumbnails in the first MPF index. Each only when it lies whole within
// its block (the thumbnail) or the file (a preview); the shorter first.
// Whether the bytes there are a JPEG is for the decoder to find out. Empty
// for a file that is no JPEG.
std::vector<EmbeddedPreview> FindEmbeddedPreviews(const uint8_t* head, size_t headSize,
                                                  size_t fileSize);

}  // namespace vig::image
