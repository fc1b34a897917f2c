// Draft decoding with embedded previews: photos made into camera-style
// files (the photo itself, a JPEG preview of 1920 pixels on the long side
// appended and listed in an MPF index, a 160-pixel EXIF thumbnail) become
// 100 x 100 JPEG thumbnails with /fast, against the same photos without the
// previews, on one thread and on all cores, in one run:
//
//   VIG_BENCH_PHOTOS=DIR build/bench/engine/preview_bench
//
// DIR holds the photos (JPEG; the corpus script's jpeg/ folder). Without
// it the benchmark draws six synthetic 6000 x 4000 (24 MP) photos. Every
// contender runs VIG_BENCH_ROUNDS times (3 by default), in turns, and its
// best time counts. The thumbnail's box wants at least 200 x 134 pixels
// of a 3:2 photo, which the thumbnail does not have and the preview has: the
// preview is decoded (at 1/8 of its size as a draft) instead of the photo.
// The goal: the files with previews at least 5 times faster.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/batch_engine.h"
#include "engine/headless_host.h"
#include "image/cpx_image.h"
#include "platform/system.h"
#include "processing/resample.h"
#include "support/preview_jpeg.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Corpus {
    fs::path root;     // scratch folder, removed at the end
    fs::path camera;   // the photos with their previews
    fs::path alone;    // the same photos without
    int files = 0;
    double megapixels = 0;
    ~Corpus() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::vector<uint8_t> bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return bytes;
    uint8_t buffer[1 << 16];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;)
        bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
    return bytes;
}

bool WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A smooth, photo-like field with some grain (as the batch benchmark's).
bool SyntheticPhoto(int seed, vig::CPxImage* image) {
    const int w = 6000, h = 4000;
    vig::PixelBlock block;
    if (!block.AllocateRgb(w, h)) return false;
    uint8_t* p = block.data();
    uint32_t noise = 2463534242u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, p += 3) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const double u = x / 600.0 + seed, v = y / 400.0;
            const int grain = static_cast<int>(noise & 15) - 8;
            p[0] = static_cast<uint8_t>(std::clamp(128 + 90 * std::sin(u + v) + grain, 0.0, 255.0));
            p[1] = static_cast<uint8_t>(
                std::clamp(128 + 80 * std::sin(u * 0.7 - v * 1.3) + grain, 0.0, 255.0));
            p[2] = static_cast<uint8_t>(
                std::clamp(128 + 70 * std::cos(v * 2 + u * 0.3) + grain, 0.0, 255.0));
        }
    }
    image->Adopt(std::move(block), w, h);
    return true;
}

// The JPEG bytes of `image` reduced to `longSide` pixels on its long side.
std::vector<uint8_t> Reduced(const vig::CPxImage& image, int longSide, int quality,
                             const fs::path& scratch) {
    vig::CPxImage copy;
    vig::PixelBlock block;
    if (!block.AllocateRgb(image.width(), image.height())) return {};
    std::copy(image.data(), image.data() + block.size(), block.data());
    copy.Adopt(std::move(block), image.width(), image.height());
    const bool wide = image.width() >= image.height();
    const int w = wide ? longSide : static_cast<int>(std::lround(1.0 * longSide * image.width() /
                                                                  image.height()));
    const int h = wide ? static_cast<int>(std::lround(1.0 * longSide * image.height() /
                                                      image.width()))
                       : longSide;
    copy.SetJpegQuality(quality);
    if (copy.Resize(w, h, vig::processing::ResampleBoxKind) != vig::ErrNone ||
        copy.Save(scratch.string(), vig::FormatJpg) != vig::ErrNone)
        return {};
    return ReadBytes(scratch);
}

// One camera file and one plain file per photo.
bool AddPhoto(Corpus* c, const vig::CPxImage& image, std::vector<uint8_t> bytes) {
    const fs::path scratch = c->root / "scratch.jpg";
    if (bytes.empty()) {
        vig::CPxImage copy;
        vig::PixelBlock block;
        if (!block.AllocateRgb(image.width(), image.height())) return false;
        std::copy(image.data(), image.data() + block.size(), block.data());
        copy.Adopt(std::move(block), image.width(), image.height());
        copy.SetJpegQuality(92);
        if (copy.Save(scratch.string(), vig::FormatJpg) != vig::ErrNone) return false;
        bytes = ReadBytes(scratch);
    }
    const std::vector<uint8_t> preview = Reduced(image, 1920, 85, scratch);
    const std::vector<uint8_t> thumbnail = Reduced(image, 160, 75, scratch);
    if (preview.empty() || thumbnail.empty()) return false;
    char name[32];
    std::snprintf(name, sizeof name, "photo%03d.jpg", c->files);
    if (!WriteBytes(c->camera / name,
                                   vig::test::CameraJpeg({bytes, 1, thumbnail, {{preview}}})) ||
        !WriteBytes(c->alone / name,
                                   vig::test::CameraJpeg({bytes, 1})))
        return false;
    ++c->files;
    c->megapixels += image.width() * static_cast<double>(image.height()) / 1e6;
    return true;
}

bool PrepareCorpus(Corpus* c) {
    char pattern[] = "/tmp/vigpreview-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    c->root = pattern;
    c->camera = c->root / "camera";
    c->alone = c->root / "alone";
    fs::create_directories(c->camera);
    fs::create_directories(c->alone);
    if (const char* dir = std::getenv("VIG_BENCH_PHOTOS"); dir != nullptr && *dir != '\0') {
        std::vector<fs::path> photos;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string ext = e.path().extension().string();
            if (e.is_regular_file() && (ext == ".jpg" || ext == ".JPG")) photos.push_back(e.path());
        }
        std::sort(photos.begin(), photos.end());
        for (const fs::path& p : photos) {
            vig::CPxImage image;
            if (image.Load(p.string()) != vig::ErrNone ||
                !AddPhoto(c, image, ReadBytes(p)))
                return false;
        }
    } else {
        for (int i = 0; i < 6; ++i) {
            vig::CPxImage image;
            if (!SyntheticPhoto(i, &image) || !AddPhoto(c, image, {})) return false;
        }
    }
    return c->files > 0;
}

Corpus* gCorpus = nullptr;

double RunOurs(const fs::path& source, int threads, bool draft) {
    const fs::path out = gCorpus->root / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    vig::BatchOptions o;
    o.MainSrcPath = source.string();
    o.MainDestPath = out.string();
    o.MainWidth = 100;
    o.MainHeight = 100;
    o.MainResizeMethod = vig::BestFit;
    o.MainOutputFormat = vig::FormatJpg;
    o.JPGQuality = 75;
    o.OutputRenameStyle = vig::Overwrite;
    o.OpsSilentOperation = 1;
    o.OpsThreads = threads;
    o.JPGDraftDecode = draft ? 1 : 0;
    vig::HeadlessHost host(nullptr);
    vig::BatchEngine engine(o, host);
    const auto t0 = Clock::now();
    const vig::BatchSummary s = engine.BatchRun();
    const double seconds = Since(t0);
    return s.processed == gCorpus->files && host.reportCount() == 0 ? seconds : -1;
}

struct Contender {
    std::string name;
    std::function<double()> run;
    double best = -1;
};

}  // namespace

int main() {
    Corpus corpus;
    if (!PrepareCorpus(&corpus)) {
        std::fprintf(stderr, "preview_bench: the photos could not be prepared\n");
        return 1;
    }
    gCorpus = &corpus;
    const char* roundsText = std::getenv("VIG_BENCH_ROUNDS");
    const int rounds = roundsText != nullptr && std::atoi(roundsText) > 0 ? std::atoi(roundsText) : 3;
    const int cores = vig::platform::ProcessorCount();
    const std::string all = "all cores (" + std::to_string(cores) + ")";
    std::vector<Contender> list = {
        {"/fast, with previews, " + all, [&] { return RunOurs(corpus.camera, 0, true); }},
        {"/fast, without previews, " + all, [&] { return RunOurs(corpus.alone, 0, true); }},
        {"/fast, with previews, one thread", [&] { return RunOurs(corpus.camera, 1, true); }},
        {"/fast, without previews, one thread", [&] { return RunOurs(corpus.alone, 1, true); }},
        {"default settings, with previews (not used), " + all,
         [&] { return RunOurs(corpus.camera, 0, false); }},
    };
    for (int r = 0; r < rounds; ++r) {
        for (Contender& c : list) {
            const double s = c.run();
            if (s >= 0 && (c.best < 0 || s < c.best)) c.best = s;
        }
    }
    std::printf("\n%d photos, %.1f megapixels each on average, with a 1920-pixel MPF preview and a "
                "160-pixel EXIF thumbnail, to 100 x 100 JPEG at quality 75\n",
                corpus.files, corpus.megapixels / corpus.files);
    std::printf("best of %d rounds, %d cores\n\n", rounds, cores);
    std::printf("%-60s %9s\n", "", "seconds");
    for (const Contender& c : list) {
        if (c.best < 0)
            std::printf("%-60s %9s\n", c.name.c_str(), "failed");
        else
            std::printf("%-60s %9.2f\n", c.name.c_str(), c.best);
    }
    std::printf("\ngoal: /fast with previews at least 5x faster than without\n");
    for (size_t i = 0; i + 1 < 4; i += 2) {
        if (list[i].best <= 0 || list[i + 1].best <= 0) continue;
        const double ratio = list[i + 1].best / list[i].best;
        std::printf("  %s: %.1fx, %s\n", i == 0 ? "all cores" : "one thread", ratio,
                    ratio >= 5 ? "met" : "NOT met");
    }
    return 0;
}
