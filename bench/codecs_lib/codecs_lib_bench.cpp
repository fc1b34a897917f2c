// Decode and encode of a 12-megapixel picture through the JPEG, PNG and TIFF
// glue, file I/O included, and the same JPEG decoded by libjpeg's own djpeg
// (a separate process writing to /dev/null) and by a bare libjpeg loop.
//
//   codecs_lib_bench [--photo=FILE.jpg] [benchmark flags]
//
// With --photo the JPEG benchmarks decode that file and the PNG and TIFF ones
// its pixels; without it a smooth synthetic 4000 x 3000 picture is used.
// Times are wall-clock (djpeg runs in another process); compare within one
// run only. Items are pixels.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "image/formats/jpeg.h"
#include "image/formats/png.h"
#include "image/formats/tiff.h"
#include "image/image_library.h"
#include "platform/system.h"

namespace {

std::string gPhoto;

std::string TempFile(const char* name) {
    return vig::platform::TempFolder() + "/vig-bench-lib-" + std::to_string(getpid()) + name;
}

struct Picture {
    std::vector<uint8_t> rgb;
    int width = 0;
    int height = 0;
    std::string jpeg;  // the JPEG file the decoders read
    std::string png;
    std::string tiff;
};

std::vector<uint8_t> Synthetic(int w, int h) {
    std::vector<uint8_t> p(static_cast<size_t>(w) * h * 3);
    uint32_t s = 12345;
    size_t i = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, i += 3) {
            s = s * 1664525u + 1013904223u;
            const int noise = static_cast<int>((s >> 28) & 3);
            const bool sky = y < h / 4;
            p[i] = static_cast<uint8_t>(sky ? 120 + noise : (x * 255 / w + noise) & 0xFF);
            p[i + 1] = static_cast<uint8_t>(sky ? 170 + noise : (y * 255 / h + noise) & 0xFF);
            p[i + 2] = static_cast<uint8_t>(sky ? 230 : ((x + y) / 28 + noise) & 0xFF);
        }
    return p;
}

const Picture& Pic() {
    static const Picture pic = [] {
        Picture p;
        p.jpeg = TempFile(".jpg");
        p.png = TempFile(".png");
        p.tiff = TempFile(".tif");
        if (!gPhoto.empty()) {
            vig::image::PixelBlock block = vig::image::jpeg::Read(gPhoto, &p.width, &p.height);
            if (block.empty()) {
                std::fprintf(stderr, "cannot read %s (error %d)\n", gPhoto.c_str(),
                             vig::image::GetLastImageError());
                std::exit(1);
            }
            p.rgb.assign(block.data(), block.data() + block.size());
            p.jpeg = gPhoto;
        } else {
            p.width = 4000;
            p.height = 3000;
            p.rgb = Synthetic(p.width, p.height);
            vig::image::jpeg::Write(p.jpeg, p.rgb.data(), p.width, p.height, 92, true);
        }
        vig::image::png::Write24(p.png, p.rgb.data(), p.width, p.height, 0.0);
        vig::image::tiff::Write24(p.tiff, p.rgb.data(), p.width, p.height);
        std::fprintf(stderr, "picture: %s, %d x %d\n",
                     gPhoto.empty() ? "synthetic" : gPhoto.c_str(), p.width, p.height);
        return p;
    }();
    return pic;
}

void Count(benchmark::State& state) {
    state.SetItemsProcessed(state.iterations() * int64_t{Pic().width} * Pic().height);
}

template <vig::image::PixelBlock (*Read)(const std::string&, int*, int*)>
void Decode(benchmark::State& state, const std::string& path) {
    for (auto _ : state) {
        int w = 0, h = 0;
        vig::image::PixelBlock block = Read(path, &w, &h);
        if (block.empty()) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(block.data());
    }
    Count(state);
}

void BM_JpegDecode(benchmark::State& s) {
    Decode<vig::image::jpeg::Read>(s, Pic().jpeg);
}
void BM_PngDecode(benchmark::State& s) {
    Decode<vig::image::png::Read>(s, Pic().png);
}
void BM_TiffDecode(benchmark::State& s) {
    Decode<vig::image::tiff::Read>(s, Pic().tiff);
}

void BM_DjpegDecode(benchmark::State& state) {
    const std::string command = "/usr/bin/djpeg -outfile /dev/null '" + Pic().jpeg + "'";
    if (access("/usr/bin/djpeg", X_OK) != 0) {
        state.SkipWithError("djpeg is not installed (libjpeg-turbo-progs)");
        return;
    }
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("djpeg failed");
    Count(state);
}

// libjpeg alone: default decode into one reused row, no glue.
void BM_LibjpegBareDecode(benchmark::State& state) {
    for (auto _ : state) {
        FILE* f = std::fopen(Pic().jpeg.c_str(), "rb");
        jpeg_decompress_struct cinfo;
        jpeg_error_mgr err;
        cinfo.err = jpeg_std_error(&err);
        jpeg_create_decompress(&cinfo);
        jpeg_stdio_src(&cinfo, f);
        jpeg_read_header(&cinfo, TRUE);
        jpeg_start_decompress(&cinfo);
        std::vector<uint8_t> row(size_t{cinfo.output_width} * cinfo.output_components);
        while (cinfo.output_scanline < cinfo.output_height) {
            JSAMPROW r = row.data();
            jpeg_read_scanlines(&cinfo, &r, 1);
        }
        jpeg_finish_decompress(&cinfo);
        jpeg_destroy_decompress(&cinfo);
        std::fclose(f);
        benchmark::DoNotOptimize(row.data());
    }
    Count(state);
}

void BM_JpegEncode(benchmark::State& state) {
    const Picture& p = Pic();
    const std::string out = TempFile("-out.jpg");
    for (auto _ : state)
        if (!vig::image::jpeg::Write(out, p.rgb.data(), p.width, p.height, 75, true))
            state.SkipWithError("encode failed");
    std::remove(out.c_str());
    Count(state);
}

void BM_PngEncode(benchmark::State& state) {
    const Picture& p = Pic();
    const std::string out = TempFile("-out.png");
    for (auto _ : state)
        if (!vig::image::png::Write24(out, p.rgb.data(), p.width, p.height, 0.0))
            state.SkipWithError("encode failed");
    std::remove(out.c_str());
    Count(state);
}

void BM_TiffEncode(benchmark::State& state) {
    const Picture& p = Pic();
    const std::string out = TempFile("-out.tif");
    for (auto _ : state)
        if (!vig::image::tiff::Write24(out, p.rgb.data(), p.width, p.height))
            state.SkipWithError("encode failed");
    std::remove(out.c_str());
    Count(state);
}

BENCHMARK(BM_JpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DjpegDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibjpegBareDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TiffDecode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PngEncode)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_TiffEncode)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--photo=", 8) == 0) {
            gPhoto = argv[i] + 8;
        } else {
            args.push_back(argv[i]);
        }
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    Pic();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    const Picture& p = Pic();
    std::remove(p.png.c_str());
    std::remove(p.tiff.c_str());
    if (p.jpeg != gPhoto) std::remove(p.jpeg.c_str());
    return 0;
}
