#include "image/exif.h"

#include <cstring>

namespace vig {
namespace {

constexpr uint8_t kExifId[6] = {'E', 'x', 'i', 'f', 0, 0};
constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kTypeShort = 3;
constexpr size_t kEntryBytes = 12;

// Reads the TIFF structure behind the EXIF id, in its byte order; every
// read is checked against the end of the data.
class TiffReader {
public:
    TiffReader(const uint8_t* data, size_t size, bool bigEndian)
        : data_(data), size_(size), big_(bigEndian) {}

    bool U16(size_t at, unsigned* v) const {
        if (at > size_ || size_ - at < 2) return false;
        const uint8_t* p = data_ + at;
        *v = big_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]);
        return true;
    }
    bool U32(size_t at, uint32_t* v) const {
        if (at > size_ || size_ - at < 4) return false;
        const uint8_t* p = data_ + at;
        *v = big_ ? (uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3])
                  : (uint32_t{p[3]} << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0]);
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
    bool big_;
};

}  // namespace

int ExifOrientation(const uint8_t* data, size_t size) {
    if (data == nullptr || size < sizeof kExifId + 8 ||
        std::memcmp(data, kExifId, sizeof kExifId) != 0)
        return 1;
    const uint8_t* tiff = data + sizeof kExifId;
    const size_t n = size - sizeof kExifId;
    bool big = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        big = true;
    else if (tiff[0] != 'I' || tiff[1] != 'I')
        return 1;
    const TiffReader r(tiff, n, big);
    unsigned magic = 0;
    uint32_t ifd = 0;
    unsigned count = 0;
    if (!r.U16(2, &magic) || magic != 42 || !r.U32(4, &ifd) || !r.U16(ifd, &count)) return 1;
    for (unsigned i = 0; i < count; ++i) {
        const size_t entry = static_cast<size_t>(ifd) + 2 + i * kEntryBytes;
        unsigned tag = 0, type = 0, value = 0;
        uint32_t values = 0;
        if (!r.U16(entry, &tag)) return 1;  // the directory runs past the data
        if (tag != kOrientationTag) continue;
        if (!r.U16(entry + 2, &type) || !r.U32(entry + 4, &values) || !r.U16(entry + 8, &value) ||
            type != kTypeShort || values < 1)
            return 1;
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}

}  // namespace vig
