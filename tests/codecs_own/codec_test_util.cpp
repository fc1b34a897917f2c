#include "codec_test_util.h"

#include <gtest/gtest.h>

namespace vig::test {
namespace {

thread_local ProgressRecorder* tRecorder = nullptr;

Decoded Finish(image::PixelBlock block, int w, int h) {
    Decoded d;
    d.code = image::GetLastImageError();
    d.width = w;
    d.height = h;
    if (!block.empty()) d.rgb.assign(block.data(), block.data() + block.size());
    return d;
}

}  // namespace

Decoded ReadWith(FileReader reader, const std::string& path) {
    int w = -1, h = -1;
    image::SetLastImageError(image::ErrInternal);
    image::PixelBlock block = reader(path, &w, &h);
    return Finish(std::move(block), w, h);
}

Decoded ReadBytes(MemoryReader reader, const std::vector<uint8_t>& bytes) {
    int w = -1, h = -1;
    image::SetLastImageError(image::ErrInternal);
    image::PixelBlock block = reader(bytes.data(), bytes.size(), &w, &h, image::kMaxBlockBytes);
    return Finish(std::move(block), w, h);
}

void ExpectRefused(MemoryReader reader, const std::vector<Refusal>& cases) {
    for (const Refusal& c : cases) {
        const Decoded d = ReadBytes(reader, c.bytes);
        EXPECT_FALSE(d.ok()) << c.what;
        EXPECT_EQ(d.code, c.code) << c.what;
        EXPECT_EQ(d.width, 0) << c.what;
        EXPECT_EQ(d.height, 0) << c.what;
    }
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

ProgressRecorder::ProgressRecorder(int cancelAt)
    : previous_(image::GetProgressCallback()), cancelAt_(cancelAt) {
    tRecorder = this;
    image::SetProgressCallback([](int row, int total) {
        tRecorder->calls.emplace_back(row, total);
        return row == tRecorder->cancelAt_ ? 0 : 1;
    });
}

ProgressRecorder::~ProgressRecorder() {
    image::SetProgressCallback(previous_);
    tRecorder = nullptr;
}

}  // namespace vig::test
