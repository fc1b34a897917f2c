// Helpers of the library-codec tests: synthetic pictures, PNG chunks, a
// progress recorder and the test data folder.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "image/cpx_image.h"
#include "image/image_library.h"
#include "support/temp_dir.h"

namespace vig::test {

// width x height RGB: red rises to the right, green downwards, blue mixes.
inline std::vector<uint8_t> Gradient(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(x * 255 / std::max(1, width - 1));
            p[1] = static_cast<uint8_t>(y * 255 / std::max(1, height - 1));
            p[2] = static_cast<uint8_t>(255 - (p[0] + p[1]) / 2);
        }
    }
    return rgb;
}

// Gives the image object a copy of `rgb`.
inline void SetPixels(image::CPxImage& img, const std::vector<uint8_t>& rgb, int width,
                      int height) {
    image::PixelBlock block;
    if (block.AllocateRgb(width, height)) std::memcpy(block.data(), rgb.data(), block.size());
    img.Adopt(std::move(block), width, height);
}

// The pixels the image object loads from `path` (empty when it fails).
inline std::vector<uint8_t> Pixels(const std::string& path, image::ErrorCode* code = nullptr,
                                   int* width = nullptr, int* height = nullptr) {
    image::CPxImage img;
    const image::ErrorCode result = img.Load(path);
    if (code != nullptr) *code = result;
    if (width != nullptr) *width = img.width();
    if (height != nullptr) *height = img.height();
    if (img.empty()) return {};
    return {img.data(), img.data() + size_t{3} * img.width() * img.height()};
}

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
};

// The chunks of a PNG file in order (empty when the signature is wrong).
inline std::vector<PngChunk> PngChunks(const std::string& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    std::vector<PngChunk> chunks;
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (b.size() < 8 || !std::equal(kSignature, kSignature + 8, b.begin())) return chunks;
    for (size_t pos = 8; pos + 12 <= b.size();) {
        const uint32_t length = (uint32_t{b[pos]} << 24) | (uint32_t{b[pos + 1]} << 16) |
                                (uint32_t{b[pos + 2]} << 8) | b[pos + 3];
        if (length > b.size() - pos - 12) break;
        chunks.push_back({std::string(b.begin() + pos + 4, b.begin() + pos + 8),
                          {b.begin() + pos + 8, b.begin() + pos + 8 + length}});
        pos += 12 + length;
    }
    return chunks;
}

// Writes a PNG byte for byte: signature, IHDR and the given chunks (CRCs
// computed), then IEND.
inline bool WriteRawPng(const std::string& path, uint32_t width, uint32_t height, uint8_t depth,
                        uint8_t colourType, std::vector<PngChunk> chunks) {
    const auto put32 = [](std::vector<uint8_t>& to, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) to.push_back(static_cast<uint8_t>(v >> shift));
    };
    PngChunk header{"IHDR", {}};
    put32(header.data, width);
    put32(header.data, height);
    header.data.insert(header.data.end(), {depth, colourType, 0, 0, 0});
    chunks.insert(chunks.begin(), header);
    chunks.push_back({"IEND", {}});
    std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
    for (const PngChunk& c : chunks) {
        put32(out, static_cast<uint32_t>(c.data.size()));
        std::vector<uint8_t> body(c.type.begin(), c.type.end());
        body.insert(body.end(), c.data.begin(), c.data.end());
        out.insert(out.end(), body.begin(), body.end());
        put32(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
    }
    return WriteFileBytes(path, out);
}

// One zlib stream of `rows` (each starting with filter byte 0) as IDAT.
inline PngChunk Idat(const std::vector<std::vector<uint8_t>>& rows) {
    std::vector<uint8_t> raw;
    for (const auto& r : rows) {
        raw.push_back(0);
        raw.insert(raw.end(), r.begin(), r.end());
    }
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(size);
    compress(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()));
    packed.resize(size);
    return {"IDAT", packed};
}

// Installs itself as the library's progress callback, records the rows and
// cancels at the given call (-1 never); leaves no callback when it goes.
class ProgressRecorder {
public:
    explicit ProgressRecorder(int cancelAtCall = -1) : cancelAt_(cancelAtCall) {
        static ProgressRecorder* current;
        current = this;
        image::SetProgressCallback([](int row, int total) {
            current->rows.push_back(row);
            current->lastTotal = total;
            return static_cast<int>(current->rows.size()) - 1 == current->cancelAt_ ? 0 : 1;
        });
    }
    ~ProgressRecorder() { image::SetProgressCallback(nullptr); }
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    std::vector<int> rows;
    int lastTotal = 0;

private:
    int cancelAt_;
};

inline std::string DataPath(const std::string& relative) {
    return std::string(VIG_TEST_DATA) + "/" + relative;
}

// The files of a data folder whose names end with `suffix`, sorted.
inline std::vector<std::string> DataFiles(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DataPath(folder))) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.size() > suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            files.push_back(name);
    }
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace vig::test
