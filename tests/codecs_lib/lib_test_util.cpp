#include "lib_test_util.h"

#include <zlib.h>

#include <algorithm>
#include <filesystem>

#include "image/image_library.h"
#include "support/temp_dir.h"

namespace vig::test {
namespace {

ProgressRecorder* tRecorder = nullptr;
int tCancelAt = -1;

int RecordProgress(int row, int total) {
    if (tRecorder == nullptr) return 1;
    tRecorder->rows.push_back(row);
    tRecorder->lastTotal = total;
    return static_cast<int>(tRecorder->rows.size()) - 1 == tCancelAt ? 0 : 1;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void PutChunk(std::vector<uint8_t>& out, const std::string& type,
              const std::vector<uint8_t>& data) {
    PutU32(out, static_cast<uint32_t>(data.size()));
    std::vector<uint8_t> body(type.begin(), type.end());
    body.insert(body.end(), data.begin(), data.end());
    out.insert(out.end(), body.begin(), body.end());
    PutU32(out, static_cast<uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

}  // namespace

std::vector<uint8_t> Gradient(int width, int height) {
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

std::vector<PngChunk> PngChunks(const std::string& path) {
    const std::vector<uint8_t> b = ReadFileBytes(path);
    std::vector<PngChunk> chunks;
    static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    if (b.size() < 8 || !std::equal(kSignature, kSignature + 8, b.begin())) return chunks;
    size_t pos = 8;
    while (pos + 12 <= b.size()) {
        const uint32_t length = (uint32_t{b[pos]} << 24) | (uint32_t{b[pos + 1]} << 16) |
                                (uint32_t{b[pos + 2]} << 8) | b[pos + 3];
        if (length > b.size() - pos - 12) break;
        PngChunk c;
        c.type.assign(b.begin() + pos + 4, b.begin() + pos + 8);
        c.data.assign(b.begin() + pos + 8, b.begin() + pos + 8 + length);
        chunks.push_back(std::move(c));
        pos += 12 + length;
    }
    return chunks;
}

std::vector<std::string> PngTexts(const std::string& path) {
    std::vector<std::string> texts;
    for (const PngChunk& c : PngChunks(path)) {
        if (c.type != "tEXt" && c.type != "zTXt") continue;
        auto nul = std::find(c.data.begin(), c.data.end(), 0);
        std::string key(c.data.begin(), nul);
        std::string text;
        if (c.type == "tEXt") {
            if (nul != c.data.end()) text.assign(nul + 1, c.data.end());
            texts.push_back(key + "=" + text);
        } else {
            // key, 0, method byte, zlib stream
            std::vector<uint8_t> out(1 << 16);
            uLongf outLen = out.size();
            const size_t start = static_cast<size_t>(nul - c.data.begin()) + 2;
            if (uncompress(out.data(), &outLen, c.data.data() + start,
                           static_cast<uLong>(c.data.size() - start)) == Z_OK)
                text.assign(out.begin(), out.begin() + static_cast<long>(outLen));
            texts.push_back("z:" + key + "=" + text);
        }
    }
    return texts;
}

bool WriteRawPng(const std::string& path, uint32_t width, uint32_t height, uint8_t depth,
                 uint8_t colourType, const std::vector<PngChunk>& chunks) {
    std::vector<uint8_t> out = {137, 80, 78, 71, 13, 10, 26, 10};
    std::vector<uint8_t> ihdr;
    PutU32(ihdr, width);
    PutU32(ihdr, height);
    ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    for (const PngChunk& c : chunks) PutChunk(out, c.type, c.data);
    PutChunk(out, "IEND", {});
    return WriteFileBytes(path, out);
}

PngChunk Idat(const std::vector<std::vector<uint8_t>>& rows) {
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

ProgressRecorder::ProgressRecorder(int cancelAtCall) {
    tRecorder = this;
    tCancelAt = cancelAtCall;
    SetProgressCallback(RecordProgress);
}

ProgressRecorder::~ProgressRecorder() {
    tRecorder = nullptr;
    SetProgressCallback(nullptr);
}

std::string DataPath(const std::string& relative) {
    return std::string(VIG_TEST_DATA) + "/" + relative;
}

std::vector<std::string> DataFiles(const std::string& folder, const std::string& suffix) {
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
