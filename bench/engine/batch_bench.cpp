// Whole-batch throughput: 100 photos of about 12 megapixels become 100 x 100
// JPEG thumbnails through the batch run, against ImageMagick's
//   mogrify -thumbnail 100x100
// on the same files, in the same process run.
//
//   VIG_BENCH_PHOTOS=DIR build/bench/engine/engine_bench
//
// DIR holds the photos (JPEG); they are used in name order, repeated when
// there are fewer than 100. Build such a folder from Debian's wallpaper
// packages with the project's corpus script; without VIG_BENCH_PHOTOS the
// benchmark draws 100 synthetic 4000 x 3000 photos of its own first.
// Also measured: decoding alone (its share of the batch time) and the scan
// of a folder of 100,000 files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/batch_engine.h"
#include "engine/headless_host.h"
#include "engine/source_scan.h"
#include "image/cpx_image.h"

namespace {

namespace fs = std::filesystem;
constexpr int kPhotos = 100;

struct Corpus {
    fs::path root;    // scratch folder, removed at the end
    fs::path photos;  // the 100 inputs (links to the originals)
    double megapixels = 0;
    ~Corpus() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

Corpus* gCorpus = nullptr;
double gBatchSeconds = 0, gDecodeSeconds = 0, gMogrifySeconds = 0, gMogrify1Seconds = 0;

// A smooth, photo-like field with some grain, as a JPEG of our own writer.
bool DrawSyntheticPhoto(const std::string& path, int seed) {
    const int w = 4000, h = 3000;
    vig::PixelBlock block;
    if (!block.AllocateRgb(w, h)) return false;
    uint8_t* p = block.data();
    uint32_t noise = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double u = x / 400.0 + seed, v = y / 300.0;
            const int grain = static_cast<int>(noise & 15) - 8;
            p[0] = static_cast<uint8_t>(std::clamp(128 + 90 * std::sin(u + v) + grain, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(
                std::clamp(128 + 80 * std::sin(u * 0.7 - v * 1.3) + grain, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(
                std::clamp(128 + 70 * std::cos(v * 2 + u * 0.3) + grain, 0.0, 255.0));
        }
    }
    vig::CPxImage image;
    image.Adopt(std::move(block), w, h);
    image.SetJpegQuality(92);
    return image.Save(path, vig::FormatJpg) == vig::ErrNone;
}

bool PrepareCorpus(Corpus* c) {
    char pattern[] = "/tmp/vigbench-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    c->root = pattern;
    c->photos = c->root / "photos";
    fs::create_directories(c->photos);

    std::vector<fs::path> originals;
    if (const char* dir = std::getenv("VIG_BENCH_PHOTOS"); dir != nullptr && *dir != '\0') {
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string ext = e.path().extension().string();
            if (e.is_regular_file() && (ext == ".jpg" || ext == ".JPG"))
                originals.push_back(e.path());
        }
        std::sort(originals.begin(), originals.end());
    } else {
        const fs::path drawn = c->root / "drawn";
        fs::create_directories(drawn);
        for (int i = 0; i < 10; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "s%d.jpg", i);
            const fs::path p = drawn / name;
            if (!DrawSyntheticPhoto(p.string(), i)) return false;
            originals.push_back(p);
        }
    }
    if (originals.empty()) return false;
    for (int i = 0; i < kPhotos; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%03d.jpg", i);
        fs::create_symlink(fs::absolute(originals[static_cast<size_t>(i) % originals.size()]),
                           c->photos / name);
    }
    // Read every file once so that no measurement pays for a cold disk.
    std::vector<char> buf(1 << 20);
    for (const fs::path& p : originals) {
        std::FILE* f = std::fopen(p.c_str(), "rb");
        if (f == nullptr) return false;
        while (std::fread(buf.data(), 1, buf.size(), f) == buf.size()) {
        }
        std::fclose(f);
    }
    return true;
}

void BM_BatchRun(benchmark::State& state) {
    const fs::path out = gCorpus->root / "thumbs";
    for (auto _ : state) {
        fs::remove_all(out);
        fs::create_directories(out);
        vig::BatchOptions o;
        o.MainSrcPath = gCorpus->photos.string();
        o.MainDestPath = out.string();
        o.MainWidth = 100;
        o.MainHeight = 100;
        o.MainResizeMethod = vig::BestFit;
        o.MainOutputFormat = vig::FormatJpg;
        o.OutputRenameStyle = vig::Overwrite;
        o.OpsSilentOperation = 1;
        vig::HeadlessHost host(nullptr);
        vig::BatchEngine engine(o, host);
        const auto t0 = std::chrono::steady_clock::now();
        const vig::BatchSummary s = engine.BatchRun();
        gBatchSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        if (s.processed != kPhotos || host.reportCount() != 0) state.SkipWithError("batch failed");
    }
    state.counters["images/s"] = kPhotos / gBatchSeconds;
    state.counters["MP/s"] = gCorpus->megapixels / gBatchSeconds;
}

void BM_DecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        double mp = 0;
        const auto t0 = std::chrono::steady_clock::now();
        for (const auto& e : fs::directory_iterator(gCorpus->photos)) {
            vig::CPxImage image;
            if (image.Load(e.path().string()) != vig::ErrNone) state.SkipWithError("decode failed");
            mp += image.width() * static_cast<double>(image.height()) / 1e6;
        }
        gDecodeSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        gCorpus->megapixels = mp;
    }
    state.counters["images/s"] = kPhotos / gDecodeSeconds;
    state.counters["MP/s"] = gCorpus->megapixels / gDecodeSeconds;
}

double RunMogrify(bool oneThread) {
    const fs::path out = gCorpus->root / "magick";
    fs::remove_all(out);
    fs::create_directories(out);
    const std::string cmd = std::string(oneThread ? "MAGICK_THREAD_LIMIT=1 " : "") +
                            "/usr/bin/mogrify -path '" + out.string() + "' -thumbnail 100x100 '" +
                            gCorpus->photos.string() + "'/*.jpg";
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = std::system(cmd.c_str());
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return rc == 0 ? s : -1;
}

void BM_MogrifyThumbnail(benchmark::State& state) {
    const bool oneThread = state.range(0) == 1;
    for (auto _ : state) {
        const double s = RunMogrify(oneThread);
        if (s < 0) state.SkipWithError("mogrify failed");
        (oneThread ? gMogrify1Seconds : gMogrifySeconds) = s;
    }
    const double s = oneThread ? gMogrify1Seconds : gMogrifySeconds;
    state.counters["images/s"] = kPhotos / s;
}

void BM_Scan100kFiles(benchmark::State& state) {
    const fs::path dir = gCorpus->root / "many";
    if (!fs::exists(dir)) {
        fs::create_directories(dir);
        for (int i = 0; i < 100000; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "f%d.jpg", (i * 7919) % 100000);
            const std::string p = (dir / name).string();
            const int fd = open(p.c_str(), O_CREAT | O_WRONLY, 0644);
            if (fd >= 0) close(fd);
        }
    }
    vig::BatchOptions o;
    o.OutputSortFiles = vig::Alphabetic;
    vig::HeadlessHost host(nullptr);
    for (auto _ : state) {
        vig::FileList list;
        vig::ScanSourceFolder(host, o, dir.string(), &list, false, "*", true, true, true, true,
                              true, true);
        if (list.size() != 100000) state.SkipWithError("scan incomplete");
    }
}

// One run of each: the figures are compared with each other, not averaged.
BENCHMARK(BM_DecodeOnly)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BatchRun)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MogrifyThumbnail)
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Scan100kFiles)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    Corpus corpus;
    if (!PrepareCorpus(&corpus)) {
        std::fprintf(stderr,
                     "engine_bench: no photos (set VIG_BENCH_PHOTOS to a folder of JPEGs)\n");
        return 1;
    }
    gCorpus = &corpus;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gBatchSeconds > 0) {
        std::printf("\n%d photos, %.1f megapixels each on average\n", kPhotos,
                    corpus.megapixels / kPhotos);
        std::printf("batch run: %.2f images/s; decoding is %.0f%% of its time\n",
                    kPhotos / gBatchSeconds,
                    gDecodeSeconds > 0 ? 100.0 * gDecodeSeconds / gBatchSeconds : 0.0);
        if (gMogrify1Seconds > 0)
            std::printf("against mogrify -thumbnail 100x100, one thread: %.2fx its speed\n",
                        gMogrify1Seconds / gBatchSeconds);
        if (gMogrifySeconds > 0)
            std::printf(
                "against mogrify -thumbnail 100x100, its default threads: %.2fx its speed\n",
                gMogrifySeconds / gBatchSeconds);
    }
    return 0;
}
