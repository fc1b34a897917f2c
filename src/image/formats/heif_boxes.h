// What libheif does not tell before it decodes: the sizes of the pictures
// the decoders and libheif itself will allocate. A HEIF file declares them
// apart from the size it shows (its image spatial extents): in the coded
// streams (HEVC sequence parameter sets, AV1 sequence headers) and in the
// descriptors of derived images (the output size of a grid or an overlay).
// A small damaged or hostile file can declare gigabytes there; the HEIF
// reader reserves that memory, or refuses the file, before decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vig::image::heif {

struct DeclaredSize {
    uint32_t width = 0;
    uint32_t height = 0;
};

// The top-level meta box of a file: its content after its version and
// flags, and where that content starts in the file.
struct MetaBox {
    std::vector<uint8_t> content;
    uint64_t offset = 0;
};

// Reads the meta box of the file open on `fd` into *meta (its content
// empty when there is none or it cannot be read); false when the box holds
// more than `limit` bytes.
bool ReadMetaBox(int fd, uint64_t fileSize, size_t limit, MetaBox* meta);

// The largest picture (by area) any of these declares, 0 x 0 for none: the
// sequence parameter sets of the hvcC properties and among the NAL units
// of each HEVC item's data, the sequence headers in the av1C properties and
// at the start of each AV1 item's data, and the output size of each grid
// and overlay item. An item's data is read as
// libheif reads it: from the file, at its offset in the file or past the
// start of the idat box, even where it runs beyond the idat box.
DeclaredSize LargestDeclaredPicture(int fd, uint64_t fileSize, const MetaBox& meta);

}  // namespace vig::image::heif
