// EXIF blocks for tests: the APP1 data of an orientation, and a JPEG file's
// bytes with such a segment put right after its start marker.
#pragma once

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

namespace vig::test {

// "Exif\0\0", a TIFF header and one directory holding the orientation
// entry, in big- or little-endian order.
inline std::vector<uint8_t> ExifOrientationBlock(int orientation, bool bigEndian = true) {
    // Sizes and values: byte order, 42, where the directory starts; one
    // entry: orientation, SHORT, one value, the value (and padding); no
    // further directory.
    const std::pair<int, uint32_t> fields[] = {
        {2, 0x4D4D}, {2, 42}, {4, 8}, {2, 1},
        {2, 0x0112}, {2, 3},  {4, 1}, {2, uint32_t(orientation)},
        {2, 0},      {4, 0}};
    std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
    for (const auto& [size, value] : fields)
        for (int i = 0; i < size; ++i)
            b.push_back(uint8_t(value >> 8 * (bigEndian ? size - 1 - i : i)));
    if (!bigEndian) b[6] = b[7] = 'I';
    return b;
}

// The JPEG with an APP1 segment of `data` after its SOI marker.
inline std::vector<uint8_t> WithApp1(const std::vector<uint8_t>& jpeg,
                                     const std::vector<uint8_t>& data) {
    const size_t length = data.size() + 2;
    const uint8_t head[6] = {0xFF, 0xD8, 0xFF, 0xE1, uint8_t(length >> 8), uint8_t(length)};
    std::vector<uint8_t> out(jpeg.size() + 2 + length);
    auto at = std::copy(head, head + 6, out.begin());
    at = std::copy(data.begin(), data.end(), at);
    std::copy(jpeg.begin() + 2, jpeg.end(), at);
    return out;
}

}  // namespace vig::test
