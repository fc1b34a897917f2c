#include "codec_test_util.h"

#include <cstdio>

namespace vig::test {
namespace {

thread_local ProgressRecorder* tRecorder = nullptr;
thread_local int tCancelAt = -1;

Decoded Finish(PixelBlock block, int w, int h) {
    Decoded d;
    d.code = GetLastImageError();
    d.width = w;
    d.height = h;
    if (!block.empty()) d.rgb.assign(block.data(), block.data() + block.size());
    return d;
}

}  // namespace

Decoded ReadWith(FileReader reader, const std::string& path) {
    int w = -1, h = -1;
    SetLastImageError(ErrInternal);
    PixelBlock block = reader(path, &w, &h);
    return Finish(std::move(block), w, h);
}

Decoded ReadBytes(MemoryReader reader, const std::vector<uint8_t>& bytes) {
    int w = -1, h = -1;
    SetLastImageError(ErrInternal);
    PixelBlock block = reader(bytes.data(), bytes.size(), &w, &h, kMaxBlockBytes);
    return Finish(std::move(block), w, h);
}

std::vector<uint8_t> NoiseBytes(size_t n, uint32_t seed, int modulo) {
    std::vector<uint8_t> out(n);
    uint32_t s = seed * 2654435761u + 1;
    for (auto& b : out) {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        b = static_cast<uint8_t>((s >> 8) % static_cast<uint32_t>(modulo));
    }
    return out;
}

std::string PixelText(const std::vector<uint8_t>& rgb, int width, int x, int y) {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 3;
    char text[64];
    std::snprintf(text, sizeof text, "(%d,%d) = %d,%d,%d", x, y, rgb[i], rgb[i + 1], rgb[i + 2]);
    return text;
}

ProgressRecorder::ProgressRecorder(int cancelAt)
    : previous_(GetProgressCallback()), cancelAt_(cancelAt) {
    tRecorder = this;
    tCancelAt = cancelAt_;
    SetProgressCallback(&ProgressRecorder::Callback);
}

ProgressRecorder::~ProgressRecorder() {
    SetProgressCallback(previous_);
    tRecorder = nullptr;
    tCancelAt = -1;
}

int ProgressRecorder::Callback(int row, int total) {
    if (tRecorder != nullptr) tRecorder->calls.emplace_back(row, total);
    return row == tCancelAt ? 0 : 1;
}

}  // namespace vig::test
