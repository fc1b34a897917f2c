// EXIF blocks for tests: the APP1 data of an orientation, and a JPEG file's
// bytes with such a segment put right after its start marker.
#pragma once

#include <cstdint>
#include <vector>

namespace vig::test {

// "Exif\0\0", a TIFF header and one directory holding the orientation
// entry, in big- or little-endian order.
inline std::vector<uint8_t> ExifOrientationBlock(int orientation, bool bigEndian = true) {
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
    const auto u16 = [&](unsigned v) {
        if (bigEndian)
            b.insert(b.end(), {uint8_t(v >> 8), uint8_t(v)});
        else
            b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)});
    };
    const auto u32 = [&](uint32_t v) {
        if (bigEndian) {
            u16(v >> 16);
            u16(v & 0xFFFF);
        } else {
            u16(v & 0xFFFF);
            u16(v >> 16);
        }
    };
    b.insert(b.end(), bigEndian ? std::initializer_list<uint8_t>{'M', 'M'}
                                : std::initializer_list<uint8_t>{'I', 'I'});
    u16(42);
    u32(8);       // the first directory follows the header
    u16(1);       // one entry
    u16(0x0112);  // orientation, SHORT, one value
    u16(3);
    u32(1);
    u16(static_cast<unsigned>(orientation));
    u16(0);
    u32(0);  // no further directory
    return b;
}

// The JPEG with an APP1 segment of `data` after its SOI marker.
inline std::vector<uint8_t> WithApp1(const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& data) {
    std::vector<uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    const size_t length = data.size() + 2;
    out.insert(out.end(), {0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)});
    out.insert(out.end(), data.begin(), data.end());
    out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
    return out;
}

}  // namespace vig::test
