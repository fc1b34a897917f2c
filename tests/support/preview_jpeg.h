// Camera-style JPEG files for tests: a picture with an EXIF block (its
// orientation and a thumbnail JPEG in the second directory) and a
// multi-picture index (MPF) listing further JPEG files appended after the
// picture, as cameras store their large previews.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include "support/row_jpeg.h"

namespace vig::test {

// Where the pixel (column, row) of a picture stored storedWidth x
// storedHeight under an EXIF orientation lies once it is upright.
inline std::pair<int, int> UprightAt(int orientation, int column, int row, int storedWidth,
                                     int storedHeight) {
    const int right = storedWidth - 1 - column, bottom = storedHeight - 1 - row;
    switch (orientation) {
        case 2:
            return {right, row};
        case 3:
            return {right, bottom};
        case 4:
            return {column, bottom};
        case 5:
            return {row, column};
        case 6:
            return {bottom, column};
        case 7:
            return {bottom, right};
        case 8:
            return {row, right};
        default:
            return {column, row};
    }
}

// One scene at any size: smooth colours that differ in every corner (red
// rises to the right, green downwards, with a soft ring), so that a
// picture, its previews and a wrong turn are told apart. The colour at
// (u, v), both 0..1 across the upright picture.
inline void SceneColour(double u, double v, uint8_t* rgb) {
    const double ring = (u - 0.6) * (u - 0.6) + (v - 0.4) * (v - 0.4);
    rgb[0] = static_cast<uint8_t>(30 + 200 * u);
    rgb[1] = static_cast<uint8_t>(30 + 190 * v);
    rgb[2] = static_cast<uint8_t>(ring < 0.04 ? 220 - 2000 * ring : 140 - 60 * u);
}

// The scene as a JPEG of width x height upright, stored as a camera of
// `orientation` stores it.
inline std::vector<uint8_t> SceneJpeg(int width, int height, int orientation, int quality = 90) {
    const bool side = orientation >= 5;
    const int sw = side ? height : width, sh = side ? width : height;
    return EncodeJpeg(sw, sh, quality, [=](int y, uint8_t* p) {
        for (int x = 0; x < sw; ++x, p += 3) {
            const auto [ux, uy] = UprightAt(orientation, x, y, sw, sh);
            SceneColour((ux + 0.5) / width, (uy + 0.5) / height, p);
        }
    });
}

// A picture appended after the main one and listed in the MPF index.
struct Appended {
    // A large thumbnail (full HD class), JPEG.
    static constexpr uint32_t kPreview = 0x00010002;
    Appended(std::vector<uint8_t> jpeg, uint32_t attributes = kPreview,
             std::optional<uint32_t> offset = {}, std::optional<uint32_t> size = {})
        : jpeg(std::move(jpeg)), attributes(attributes), offset(offset), size(size) {}
    std::vector<uint8_t> jpeg;
    uint32_t attributes;
    std::optional<uint32_t> offset;  // listed instead of where it lies
    std::optional<uint32_t> size;    // listed instead of its length
};

struct CameraFile {
    CameraFile(std::vector<uint8_t> picture, int orientation = 0,
               std::vector<uint8_t> thumbnail = {}, std::vector<Appended> appended = {},
               bool bigEndian = true, std::optional<uint32_t> thumbnailOffset = {})
        : picture(std::move(picture)),
          orientation(orientation),
          thumbnail(std::move(thumbnail)),
          appended(std::move(appended)),
          bigEndian(bigEndian),
          thumbnailOffset(thumbnailOffset) {}
    std::vector<uint8_t> picture;    // the main JPEG
    int orientation;                 // 0: no EXIF block
    std::vector<uint8_t> thumbnail;  // in the EXIF block's second directory; empty: none
    std::vector<Appended> appended;  // none: no MPF index
    bool bigEndian;
    std::optional<uint32_t> thumbnailOffset;  // listed instead of where it lies
};

// Where the parts went in the file.
struct CameraLayout {
    size_t exifHeader = 0;  // the EXIF block's TIFF header, which its offsets count from
    size_t thumbnail = 0;
    std::vector<size_t> appended;
};

// The file's bytes: start marker, the EXIF block, the MPF index, the rest
// of the picture, then the appended pictures.
inline std::vector<uint8_t> CameraJpeg(const CameraFile& f, CameraLayout* layout = nullptr) {
    const bool big = f.bigEndian;
    const auto put = [big](std::vector<uint8_t>& b, int bytes, uint32_t v) {
        for (int i = 0; i < bytes; ++i) b.push_back(uint8_t(v >> 8 * (big ? bytes - 1 - i : i)));
    };
    const auto entry = [&](std::vector<uint8_t>& b, unsigned tag, unsigned type, uint32_t count,
                           uint32_t value, int valueBytes) {
        put(b, 2, tag), put(b, 2, type), put(b, 4, count), put(b, valueBytes, value);
        for (int i = valueBytes; i < 4; ++i) b.push_back(0);
    };
    const auto tiffHeader = [&](std::vector<uint8_t>& b) {
        b.push_back(big ? 'M' : 'I'), b.push_back(big ? 'M' : 'I');
        put(b, 2, 42), put(b, 4, 8);
    };
    const auto segment = [](std::vector<uint8_t>& out, uint8_t marker,
                            const std::vector<uint8_t>& data) {
        const size_t length = data.size() + 2;
        out.insert(out.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
        out.insert(out.end(), data.begin(), data.end());
    };
    std::vector<uint8_t> file = {0xFF, 0xD8};
    if (f.orientation != 0) {
        // The first directory: the orientation; the second (at 26): the
        // thumbnail's compression, offset and length; the thumbnail at 68.
        std::vector<uint8_t> b = {'E', 'x', 'i', 'f', 0, 0};
        tiffHeader(b);
        put(b, 2, 1);
        entry(b, 0x0112, 3, 1, uint32_t(f.orientation), 2);
        put(b, 4, f.thumbnail.empty() ? 0 : 26);
        if (!f.thumbnail.empty()) {
            put(b, 2, 3);
            entry(b, 0x0103, 3, 1, 6, 2);
            entry(b, 0x0201, 4, 1, f.thumbnailOffset.value_or(68), 4);
            entry(b, 0x0202, 4, 1, uint32_t(f.thumbnail.size()), 4);
            put(b, 4, 0);
            b.insert(b.end(), f.thumbnail.begin(), f.thumbnail.end());
        }
        if (layout != nullptr) {
            layout->exifHeader = file.size() + 4 + 6;
            layout->thumbnail = layout->exifHeader + 68;
        }
        segment(file, 0xE1, b);
    }
    size_t mpfStart = 0;  // where the index's TIFF header lies
    size_t entries = 0;   // where its picture list lies, in the segment's data
    if (!f.appended.empty()) {
        // Version, number of pictures, the list (after the directory).
        std::vector<uint8_t> b = {'M', 'P', 'F', 0};
        tiffHeader(b);
        const uint32_t n = uint32_t(f.appended.size() + 1);
        put(b, 2, 3);
        put(b, 2, 0xB000), put(b, 2, 7), put(b, 4, 4), b.insert(b.end(), {'0', '1', '0', '0'});
        entry(b, 0xB001, 4, 1, n, 4);
        entry(b, 0xB002, 7, n * 16, 8 + 2 + 3 * 12 + 4, 4);
        put(b, 4, 0);
        entries = b.size();
        b.resize(b.size() + n * 16);
        mpfStart = file.size() + 4 + 4;
        segment(file, 0xE2, b);
    }
    file.insert(file.end(), f.picture.begin() + 2, f.picture.end());
    if (!f.appended.empty()) {
        // The list: the main picture (representative, primary), then each
        // appended one where it lies.
        std::vector<uint8_t> list;
        put(list, 4, 0x20030000), put(list, 4, uint32_t(file.size())), put(list, 4, 0);
        put(list, 4, 0);
        for (const Appended& a : f.appended) {
            const size_t at = file.size();
            if (layout != nullptr) layout->appended.push_back(at);
            file.insert(file.end(), a.jpeg.begin(), a.jpeg.end());
            put(list, 4, a.attributes);
            put(list, 4, a.size.value_or(uint32_t(a.jpeg.size())));
            put(list, 4, a.offset.value_or(uint32_t(at - mpfStart)));
            put(list, 4, 0);
        }
        std::copy(list.begin(), list.end(), file.begin() + long(mpfStart - 4 + entries));
    }
    return file;
}

}  // namespace vig::test
