#include "image/embedded_preview.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "image/tiff_directory.h"

namespace vig::image {
namespace {

constexpr uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr uint8_t kMpfId[4] = {'M', 'P', 'F', 0};

// EXIF: where the second directory's JPEG starts, and its length.
constexpr unsigned kThumbnailOffsetTag = 0x0201;
constexpr unsigned kThumbnailLengthTag = 0x0202;
// MPF: the index's list of pictures, 16 bytes each: attributes, size,
// offset (from the MPF block's TIFF header; 0 for the first picture) and
// two dependent-picture numbers.
constexpr unsigned kMpEntryTag = 0xB002;
constexpr size_t kMpEntryBytes = 16;

// The EXIF thumbnail of an APP1 block whose TIFF header starts at `tiff`
// in the file and runs for `tiffSize` bytes (the rest of the segment).
bool ExifThumbnail(const uint8_t* file, size_t tiff, size_t tiffSize, EmbeddedPreview* found) {
    const TiffDirectory t(file + tiff, tiffSize);
    uint32_t second = 0, offset = 0, length = 0;
    TiffDirectory::Entry e;
    if (!t.ok() || !t.Next(t.first(), &second) || second == 0 ||
        !t.Find(second, kThumbnailOffsetTag, &e) || !t.Number(e, &offset) ||
        !t.Find(second, kThumbnailLengthTag, &e) || !t.Number(e, &length))
        return false;
    // The thumbnail belongs to the block: it lies within the segment.
    if (offset > tiffSize || length > tiffSize - offset) return false;
    found->offset = tiff + offset;
    found->length = length;
    return length > 0;
}

// The largest large thumbnail (a JPEG of picture type 0x01xxxx) of an MPF
// index whose TIFF header starts at `tiff` in a file of fileSize bytes.
bool MultiPicturePreview(const uint8_t* file, size_t fileSize, size_t tiff, size_t tiffSize,
                         EmbeddedPreview* found) {
    const TiffDirectory t(file + tiff, tiffSize);
    TiffDirectory::Entry list;
    if (!t.ok() || !t.Find(t.first(), kMpEntryTag, &list)) return false;
    bool any = false;
    for (uint32_t i = 0; i < list.count / kMpEntryBytes; ++i) {
        const size_t at = list.valueAt + i * kMpEntryBytes;
        uint32_t attributes = 0, length = 0, offset = 0;
        if (!t.U32(at, &attributes) || !t.U32(at + 4, &length) || !t.U32(at + 8, &offset)) break;
        const unsigned format = (attributes >> 24) & 7;   // 0: JPEG
        const unsigned kind = (attributes >> 16) & 0xFF;  // 1: large thumbnail
        if (offset == 0 || length == 0 || format != 0 || kind != 1 ||
            (any && length <= found->length) || offset > fileSize - tiff ||
            length > fileSize - tiff - offset)
            continue;
        found->offset = tiff + offset;
        found->length = length;
        any = true;
    }
    return any;
}

}  // namespace

bool PreviewSuits(const DecodePlan& plan, int pictureWidth, int pictureHeight, int previewWidth,
                  int previewHeight) {
    if (plan.minWidth <= 0 || plan.minHeight <= 0 || previewWidth < plan.minWidth ||
        previewHeight < plan.minHeight || previewWidth > pictureWidth ||
        previewHeight > pictureHeight ||
        (previewWidth == pictureWidth && previewHeight == pictureHeight))
        return false;
    // The preview's height against the one of the picture's shape, both
    // times the picture's width: within 1%, or two pixels of the short
    // side (an encoder rounds it down, then to the even size of a picture
    // whose colours are coded at half resolution: heif-enc makes 320 x 178
    // of 5640 x 3172).
    const long long w = pictureWidth, h = pictureHeight;
    const long long miss = std::llabs(previewHeight * w - h * previewWidth);
    return miss <= std::max(h * previewWidth / 100, 2 * std::max(w, h));
}

std::vector<EmbeddedPreview> FindEmbeddedPreviews(const uint8_t* file, size_t headSize,
                                                  size_t fileSize) {
    std::vector<EmbeddedPreview> previews;
    const size_t size = std::min(headSize, fileSize);
    if (file == nullptr || size < 4 || file[0] != 0xFF || file[1] != 0xD8) return previews;
    bool exifSeen = false, mpfSeen = false;
    size_t at = 2;
    // The segments up to the first scan; a marker that is not where one
    // should be ends the walk.
    while (at + 4 <= size && file[at] == 0xFF) {
        const uint8_t marker = file[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) break;  // start of scan, end of picture
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {  // no length
            at += 2;
            continue;
        }
        const size_t length = size_t{file[at + 2]} << 8 | file[at + 3];
        if (length < 2 || length > size - at - 2) break;
        const size_t data = at + 4;
        const size_t n = length - 2;
        EmbeddedPreview p;
        if (marker == 0xE1 && !exifSeen && n >= sizeof kExifId &&
            std::memcmp(file + data, kExifId, sizeof kExifId) == 0) {
            exifSeen = true;
            if (ExifThumbnail(file, data + sizeof kExifId, n - sizeof kExifId, &p))
                previews.push_back(p);
        } else if (marker == 0xE2 && !mpfSeen && n >= sizeof kMpfId &&
                   std::memcmp(file + data, kMpfId, sizeof kMpfId) == 0) {
            mpfSeen = true;
            if (MultiPicturePreview(file, fileSize, data + sizeof kMpfId, n - sizeof kMpfId, &p))
                previews.push_back(p);
        }
        at += 2 + length;
    }
    std::sort(
        previews.begin(), previews.end(),
        [](const EmbeddedPreview& a, const EmbeddedPreview& b) { return a.length < b.length; });
    return previews;
}

}  // namespace vig::image
