// Hot paths of the processing library. The JPEG decode of a 12-megapixel
// image is measured beside the box reduction of the same image, so that one
// run gives their ratio:
//   processing_bench [--jpeg=photo.jpg] [benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "processing/colour_reduction.h"
#include "processing/resample.h"
#include "processing/sharpen.h"

namespace {

using vig::processing::FilterSharpen;
using vig::processing::QuantizeToPalette;
using vig::processing::ResampleBilinear;
using vig::processing::ResampleBox;

// Smooth shapes with some noise, closer to a photograph than pure noise.
std::vector<uint8_t> PhotoLike(int w, int h) {
    std::vector<uint8_t> v(static_cast<size_t>(w) * h * 3);
    std::mt19937 rng(42);
    size_t i = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double fx = static_cast<double>(x) / w, fy = static_cast<double>(y) / h;
            const double base[3] = {
                128 + 100 * std::sin(6.0 * fx + 2.0 * fy),
                128 + 90 * std::cos(5.0 * fy - 3.0 * fx),
                128 + 80 * std::sin(9.0 * fx * fy + 1.0),
            };
            for (double b : base) {
                const int n = static_cast<int>(rng() % 17) - 8;
                v[i++] = static_cast<uint8_t>(std::clamp(static_cast<int>(b) + n, 0, 255));
            }
        }
    return v;
}

const std::vector<uint8_t>& Large() {
    static const std::vector<uint8_t> img = PhotoLike(4000, 3000);
    return img;
}
const std::vector<uint8_t>& Medium() {
    static const std::vector<uint8_t> img = PhotoLike(1000, 750);
    return img;
}

void BM_ResampleBox_4000x3000_to_100x75(benchmark::State& state) {
    const auto& src = Large();
    std::vector<uint8_t> dst(100 * 75 * 3);
    for (auto _ : state) {
        ResampleBox(src.data(), dst.data(), 4000, 3000, 100, 75, true);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * 4000LL * 3000);
}
BENCHMARK(BM_ResampleBox_4000x3000_to_100x75)->Unit(benchmark::kMillisecond);

void BM_ResampleBilinear_4000x3000_to_100x75(benchmark::State& state) {
    const auto& src = Large();
    std::vector<uint8_t> dst(100 * 75 * 3);
    for (auto _ : state) {
        ResampleBilinear(src.data(), 4000, 3000, dst.data(), 100, 75);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * 100LL * 75);
}
BENCHMARK(BM_ResampleBilinear_4000x3000_to_100x75)->Unit(benchmark::kMicrosecond);

void BM_FilterSharpen_1000x750(benchmark::State& state) {
    const auto& src = Medium();
    std::vector<uint8_t> dst(src.size());
    for (auto _ : state) {
        FilterSharpen(src.data(), dst.data(), 1000, 750, 50);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000LL * 750);
}
BENCHMARK(BM_FilterSharpen_1000x750)->Unit(benchmark::kMillisecond);

void BM_QuantizeToPalette_1000x750(benchmark::State& state) {
    const auto& src = Medium();
    std::vector<uint8_t> index(1000 * 750), palette(1024);
    for (auto _ : state) {
        QuantizeToPalette(src.data(), index.data(), 1000, 750, 256, palette.data());
        benchmark::DoNotOptimize(index.data());
    }
    state.SetItemsProcessed(state.iterations() * 1000LL * 750);
}
BENCHMARK(BM_QuantizeToPalette_1000x750)->Unit(benchmark::kMillisecond);

// libjpeg at full size with the default output colour space, as the reader
// decodes. The file is the one given with --jpeg=PATH, or one made once at
// quality 92 from the synthetic 4000 x 3000 pixels.
std::string g_jpegPath;

std::vector<uint8_t> EncodeLarge() {
    const auto& src = Large();
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = 4000;
    c.image_height = 3000;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 92, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row =
            const_cast<uint8_t*>(src.data()) + static_cast<size_t>(c.next_scanline) * 12000;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> file(out, out + size);
    std::free(out);
    return file;
}

const std::vector<uint8_t>& JpegFile() {
    static const std::vector<uint8_t> file = [] {
        if (g_jpegPath.empty()) return EncodeLarge();
        std::vector<uint8_t> bytes;
        if (std::FILE* f = std::fopen(g_jpegPath.c_str(), "rb")) {
            uint8_t buf[65536];
            size_t n;
            while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
                bytes.insert(bytes.end(), buf, buf + n);
            std::fclose(f);
        }
        return bytes;
    }();
    return file;
}

// Decodes the file into pixels (RGB rows), resized to fit; false when it
// is not a three-channel JPEG.
bool Decode(const std::vector<uint8_t>& file, std::vector<uint8_t>* pixels, int* w, int* h) {
    jpeg_decompress_struct d{};
    jpeg_error_mgr err{};
    d.err = jpeg_std_error(&err);
    jpeg_create_decompress(&d);
    jpeg_mem_src(&d, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&d, TRUE);
    jpeg_start_decompress(&d);
    const bool rgb = d.output_components == 3;
    *w = static_cast<int>(d.output_width);
    *h = static_cast<int>(d.output_height);
    const size_t stride = static_cast<size_t>(d.output_width) * d.output_components;
    pixels->resize(stride * d.output_height);
    while (d.output_scanline < d.output_height) {
        JSAMPROW row = pixels->data() + static_cast<size_t>(d.output_scanline) * stride;
        jpeg_read_scanlines(&d, &row, 1);
    }
    jpeg_finish_decompress(&d);
    jpeg_destroy_decompress(&d);
    return rgb;
}

void BM_JpegDecode(benchmark::State& state) {
    const auto& file = JpegFile();
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    for (auto _ : state) {
        Decode(file, &pixels, &w, &h);
        benchmark::DoNotOptimize(pixels.data());
    }
    state.counters["file_MB"] = static_cast<double>(file.size()) / 1e6;
    state.counters["megapixels"] = w * static_cast<double>(h) / 1e6;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
}
BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond);

// The box reduction of the same decoded image to a 100 x 100 best fit.
void BM_ResampleBox_SameImage(benchmark::State& state) {
    std::vector<uint8_t> pixels;
    int w = 0, h = 0;
    if (!Decode(JpegFile(), &pixels, &w, &h)) {
        state.SkipWithError("not an RGB JPEG");
        return;
    }
    vig::processing::ResizeRequest fit;
    unsigned ow = 0, oh = 0;
    int kind = 0;
    vig::processing::ComputeOutputSize(fit, static_cast<unsigned>(w), static_cast<unsigned>(h), &ow,
                                       &oh, &kind);
    std::vector<uint8_t> dst(static_cast<size_t>(ow) * oh * 3);
    for (auto _ : state) {
        ResampleBox(pixels.data(), dst.data(), w, h, static_cast<int>(ow), static_cast<int>(oh),
                    true);
        benchmark::DoNotOptimize(dst.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(w) * h);
}
BENCHMARK(BM_ResampleBox_SameImage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("--jpeg=", 0) == 0)
            g_jpegPath = a.substr(7);
        else
            args.push_back(argv[i]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
