// Readers and writers of the own codecs on a 4000 x 3000 picture, file I/O
// included. Times are CPU times (the wall clock of a shared machine mostly
// measures the neighbours). Bytes processed count the picture's RGB bytes
// (36 MB an image) for every benchmark, items its pixels; the files go to the
// temporary folder. The thumbnail reads reduce the picture to 160 x 120 as
// they decode it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "image/formats/bmp.h"
#include "image/formats/gif.h"
#include "image/formats/pcx.h"
#include "image/image_library.h"
#include "platform/system.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Smooth gradients with a little noise and some flat areas, like a photo
// with sky and shadows.
const std::vector<uint8_t>& Picture() {
    static const std::vector<uint8_t> rgb = [] {
        std::vector<uint8_t> p(static_cast<size_t>(kWidth) * kHeight * 3);
        uint32_t s = 12345;
        size_t i = 0;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x, i += 3) {
                s = s * 1664525u + 1013904223u;
                const int noise = static_cast<int>((s >> 28) & 3);
                const bool flat = y < kHeight / 4;
                p[i] = static_cast<uint8_t>(flat ? 120 : (x * 255 / kWidth + noise) & 0xFF);
                p[i + 1] = static_cast<uint8_t>(flat ? 170 : (y * 255 / kHeight + noise) & 0xFF);
                p[i + 2] = static_cast<uint8_t>(flat ? 230 : ((x + y) / 28 + noise) & 0xFF);
            }
        }
        return p;
    }();
    return rgb;
}

// 3-3-2 bit colour cube indices of the picture and its palette.
const std::vector<uint8_t>& Indices() {
    static const std::vector<uint8_t> idx = [] {
        const std::vector<uint8_t>& rgb = Picture();
        std::vector<uint8_t> out(rgb.size() / 3);
        for (size_t i = 0; i < out.size(); ++i)
            out[i] = static_cast<uint8_t>((rgb[3 * i] & 0xE0) | ((rgb[3 * i + 1] >> 3) & 0x1C) |
                                          (rgb[3 * i + 2] >> 6));
        return out;
    }();
    return idx;
}

const std::vector<uint8_t>& Palette() {  // blue, green, red, 0
    static const std::vector<uint8_t> pal = [] {
        std::vector<uint8_t> p(1024);
        for (int i = 0; i < 256; ++i) {
            p[4 * i] = static_cast<uint8_t>((i & 3) * 85);
            p[4 * i + 1] = static_cast<uint8_t>(((i >> 2) & 7) * 36);
            p[4 * i + 2] = static_cast<uint8_t>((i >> 5) * 36);
        }
        return p;
    }();
    return pal;
}

std::string TempFile(const char* name) {
    return vig::platform::TempFolder() + "/vig-bench-" + name;
}

void Count(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 3);
    state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

template <typename Write>
void RunWriter(benchmark::State& state, const char* name, Write write) {
    const std::string path = TempFile(name);
    for (auto _ : state)
        if (write(path) != 1) state.SkipWithError("write failed");
    Count(state);
    std::remove(path.c_str());
}

template <typename Write, typename Read>
void RunReader(benchmark::State& state, const char* name, Write write, Read read) {
    const std::string path = TempFile(name);
    if (write(path) != 1) {
        state.SkipWithError("write failed");
        return;
    }
    for (auto _ : state) {
        int w = 0, h = 0;
        vig::image::PixelBlock block = read(path, &w, &h);
        if (block.empty()) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(block.data());
    }
    Count(state);
    std::remove(path.c_str());
}

// A hinted read that reduces the picture to 160 x 120 as it is decoded.
template <vig::image::HintedReaderFn Read>
vig::image::PixelBlock ReadThumbnail(const std::string& path, int* w, int* h) {
    vig::image::DecodeHints hints;
    hints.plan = [](int, int) { return vig::image::DecodePlan{0, 0, 160, 120}; };
    vig::image::DecodeInfo info;
    vig::image::PixelBlock block = Read(path, hints, &info, w, h);
    if (!info.reduced) block.Reset();
    return block;
}

int WriteBmp24(const std::string& p) {
    return vig::image::bmp::Write24(p, Picture().data(), kWidth, kHeight);
}
int WriteBmp8(const std::string& p) {
    return vig::image::bmp::WriteIndexed(p, Indices().data(), kWidth, kHeight, 8, 256,
                                         Palette().data());
}
int WritePcx24(const std::string& p) {
    return vig::image::pcx::Write24(p, Picture().data(), kWidth, kHeight);
}
int WritePcx8(const std::string& p) {
    return vig::image::pcx::Write8(p, Indices().data(), kWidth, kHeight, Palette().data());
}
// Uniformly random indices: the compressor's worst case.
const std::vector<uint8_t>& NoiseIndices() {
    static const std::vector<uint8_t> idx = [] {
        std::vector<uint8_t> out(static_cast<size_t>(kWidth) * kHeight);
        uint32_t s = 777;
        for (auto& v : out) {
            s = s * 1664525u + 1013904223u;
            v = static_cast<uint8_t>(s >> 24);
        }
        return out;
    }();
    return idx;
}

int WriteGifOf(const std::string& p, const std::vector<uint8_t>& indices) {
    uint8_t r[256], g[256], b[256];
    for (int i = 0; i < 256; ++i) {
        b[i] = Palette()[4 * i];
        g[i] = Palette()[4 * i + 1];
        r[i] = Palette()[4 * i + 2];
    }
    return vig::image::gif::Write(p, indices.data(), kWidth, kHeight, 0, r, g, b);
}
int WriteGif(const std::string& p) {
    return WriteGifOf(p, Indices());
}
int WriteGifNoise(const std::string& p) {
    return WriteGifOf(p, NoiseIndices());
}

// Bottom-up, as the writer stores its rows.
void BM_BmpRead24Thumbnail(benchmark::State& s) {
    RunReader(s, "t24.bmp", WriteBmp24, ReadThumbnail<vig::image::bmp::ReadHinted>);
}
void BM_PcxRead24Thumbnail(benchmark::State& s) {
    RunReader(s, "t24.pcx", WritePcx24, ReadThumbnail<vig::image::pcx::ReadHinted>);
}
void BM_GifReadThumbnail(benchmark::State& s) {
    RunReader(s, "t.gif", WriteGif, ReadThumbnail<vig::image::gif::ReadHinted>);
}
void BM_BmpWrite24(benchmark::State& s) {
    RunWriter(s, "24.bmp", WriteBmp24);
}
void BM_BmpWrite8(benchmark::State& s) {
    RunWriter(s, "8.bmp", WriteBmp8);
}
void BM_BmpRead24(benchmark::State& s) {
    RunReader(s, "r24.bmp", WriteBmp24, vig::image::bmp::Read);
}
void BM_BmpRead8(benchmark::State& s) {
    RunReader(s, "r8.bmp", WriteBmp8, vig::image::bmp::Read);
}
void BM_PcxWrite24(benchmark::State& s) {
    RunWriter(s, "24.pcx", WritePcx24);
}
void BM_PcxWrite8(benchmark::State& s) {
    RunWriter(s, "8.pcx", WritePcx8);
}
void BM_PcxRead24(benchmark::State& s) {
    RunReader(s, "r24.pcx", WritePcx24, vig::image::pcx::Read);
}
void BM_PcxRead8(benchmark::State& s) {
    RunReader(s, "r8.pcx", WritePcx8, vig::image::pcx::Read);
}
void BM_GifWrite(benchmark::State& s) {
    RunWriter(s, "w.gif", WriteGif);
}
void BM_GifRead(benchmark::State& s) {
    RunReader(s, "r.gif", WriteGif, vig::image::gif::Read);
}
void BM_GifWriteNoise(benchmark::State& s) {
    RunWriter(s, "n.gif", WriteGifNoise);
}
void BM_GifReadNoise(benchmark::State& s) {
    RunReader(s, "rn.gif", WriteGifNoise, vig::image::gif::Read);
}

}  // namespace

BENCHMARK(BM_BmpRead24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpRead8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpWrite24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpWrite8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxRead24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxRead8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxWrite24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxWrite8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifRead)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifReadNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifWriteNoise)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BmpRead24Thumbnail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PcxRead24Thumbnail)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifReadThumbnail)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
