#include "image/exif.h"

#include <cstring>

#include "image/tiff_directory.h"

namespace vig::image {
namespace {

constexpr uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr unsigned kOrientationTag = 0x0112;

}  // namespace

int ExifOrientation(const uint8_t* data, size_t size) {
    if (data == nullptr || size < sizeof kExifId + 8 ||
        std::memcmp(data, kExifId, sizeof kExifId) != 0)
        return 1;
    const TiffDirectory tiff(data + sizeof kExifId, size - sizeof kExifId);
    TiffDirectory::Entry entry;
    uint32_t value = 0;
    if (!tiff.ok() || !tiff.Find(tiff.first(), kOrientationTag, &entry) ||
        entry.type != TiffDirectory::kShort || !tiff.Number(entry, &value))
        return 1;
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

}  // namespace vig::image
