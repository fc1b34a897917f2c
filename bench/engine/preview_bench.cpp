// Draft decoding through embedded previews, in one run each:
//
// JPEG: photos made into camera-style files (the photo itself, a JPEG
// preview of 1920 pixels on the long side appended and listed in an MPF
// index, a 160-pixel EXIF thumbnail) become 100 x 100 JPEG thumbnails with
// /fast, against the same photos without the previews, on one thread and on
// all cores. The thumbnail's box wants at least 200 x 134 pixels of a 3:2
// photo, which the EXIF thumbnail does not have and the preview has: the
// preview is decoded (at 1/8 of its size) instead of the photo.
//
// HEIC (with VIG_BENCH_HEIC=DIR, made by make-heic-corpus.sh): files with a
// 320-pixel thumbnail against the same photos without, with /fast; the files
// with thumbnails with default settings (which take a thumbnail large enough
// too); and the same through vipsthumbnail (libvips-tools), which also takes
// a thumbnail large enough by itself.
//
//   VIG_BENCH_PHOTOS=DIR [VIG_BENCH_HEIC=DIR] build/bench/engine/preview_bench
//
// VIG_BENCH_PHOTOS holds the photos (JPEG; the corpus script's jpeg/
// folder); without it six synthetic 6000 x 4000 (24 MP) photos are drawn.
// VIG_BENCH_JPEG=0 leaves the JPEG part out. Every contender runs
// VIG_BENCH_ROUNDS times (3 by default), in turns, and its best time
// counts. The goals: with previews at least 5 times faster than without;
// at most vipsthumbnail's time.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

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
#include "synthetic_photo.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Corpus {
    fs::path root;    // scratch folder, removed at the end
    fs::path camera;  // the photos with their previews
    fs::path alone;   // the same photos without
    int files = 0;
    double megapixels = 0;
    double photoBytes = 0;    // of the photos (JPEG part)
    double previewBytes = 0;  // of their MPF previews
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

// The JPEG bytes of `image` reduced to `longSide` pixels on its long side.
std::vector<uint8_t> Reduced(const vig::image::CPxImage& image, int longSide, int quality,
                             const fs::path& scratch) {
    vig::image::CPxImage copy;
    vig::image::PixelBlock block;
    if (!block.AllocateRgb(image.width(), image.height())) return {};
    std::copy(image.data(), image.data() + block.size(), block.data());
    copy.Adopt(std::move(block), image.width(), image.height());
    const bool wide = image.width() >= image.height();
    const int w =
        wide ? longSide
             : static_cast<int>(std::lround(1.0 * longSide * image.width() / image.height()));
    const int h =
        wide ? static_cast<int>(std::lround(1.0 * longSide * image.height() / image.width()))
             : longSide;
    copy.SetJpegQuality(quality);
    if (copy.Resize(w, h, vig::processing::ResampleBoxKind) != vig::image::ErrNone ||
        copy.Save(scratch.string(), vig::options::FormatJpg) != vig::image::ErrNone)
        return {};
    return ReadBytes(scratch);
}

// One camera file and one plain file per photo.
bool AddPhoto(Corpus* c, const vig::image::CPxImage& image, std::vector<uint8_t> bytes) {
    const fs::path scratch = c->root / "scratch.jpg";
    if (bytes.empty()) {
        vig::image::CPxImage copy;
        vig::image::PixelBlock block;
        if (!block.AllocateRgb(image.width(), image.height())) return false;
        std::copy(image.data(), image.data() + block.size(), block.data());
        copy.Adopt(std::move(block), image.width(), image.height());
        copy.SetJpegQuality(92);
        if (copy.Save(scratch.string(), vig::options::FormatJpg) != vig::image::ErrNone)
            return false;
        bytes = ReadBytes(scratch);
    }
    const std::vector<uint8_t> preview = Reduced(image, 1920, 85, scratch);
    const std::vector<uint8_t> thumbnail = Reduced(image, 160, 75, scratch);
    if (preview.empty() || thumbnail.empty()) return false;
    char name[32];
    std::snprintf(name, sizeof name, "photo%03d.jpg", c->files);
    if (!WriteBytes(c->camera / name, vig::test::CameraJpeg({bytes, 1, thumbnail, {{preview}}})) ||
        !WriteBytes(c->alone / name, vig::test::CameraJpeg({bytes, 1})))
        return false;
    ++c->files;
    c->megapixels += image.width() * static_cast<double>(image.height()) / 1e6;
    c->photoBytes += static_cast<double>(bytes.size());
    c->previewBytes += static_cast<double>(preview.size());
    return true;
}

// The scratch folder, and the JPEG files when `photos`.
bool PrepareCorpus(Corpus* c, bool photos) {
    char pattern[] = "/tmp/vigpreview-XXXXXX";
    if (mkdtemp(pattern) == nullptr) return false;
    c->root = pattern;
    c->camera = c->root / "camera";
    c->alone = c->root / "alone";
    fs::create_directories(c->camera);
    fs::create_directories(c->alone);
    if (!photos) return true;
    if (const char* dir = std::getenv("VIG_BENCH_PHOTOS"); dir != nullptr && *dir != '\0') {
        std::vector<fs::path> photos;
        for (const auto& e : fs::directory_iterator(dir)) {
            const std::string ext = e.path().extension().string();
            if (e.is_regular_file() && (ext == ".jpg" || ext == ".JPG")) photos.push_back(e.path());
        }
        std::sort(photos.begin(), photos.end());
        for (const fs::path& p : photos) {
            vig::image::CPxImage image;
            if (image.Load(p.string()) != vig::image::ErrNone || !AddPhoto(c, image, ReadBytes(p)))
                return false;
        }
    } else {
        for (int i = 0; i < 6; ++i) {
            vig::image::CPxImage image;
            if (!vig::bench::SyntheticPhoto(6000, 4000, i, &image) || !AddPhoto(c, image, {}))
                return false;
        }
    }
    return c->files > 0;
}

Corpus* gCorpus = nullptr;

// Makes 100 x 100 JPEG thumbnails (quality 75) of the `files` pictures in
// `source`; the seconds it took, or -1 when a file failed.
double RunOurs(const fs::path& source, int files, int threads, bool draft) {
    const fs::path out = gCorpus->root / "out";
    fs::remove_all(out);
    fs::create_directories(out);
    vig::options::BatchOptions o;
    o.MainSrcPath = source.string();
    o.MainDestPath = out.string();
    o.MainWidth = 100;
    o.MainHeight = 100;
    o.MainResizeMethod = vig::options::BestFit;
    o.MainOutputFormat = vig::options::FormatJpg;
    o.JPGQuality = 75;
    o.OutputRenameStyle = vig::options::Overwrite;
    o.OpsSilentOperation = 1;
    o.OpsThreads = threads;
    o.JPGDraftDecode = draft ? 1 : 0;
    vig::engine::HeadlessHost host(nullptr);
    vig::engine::BatchEngine engine(o, host);
    const auto t0 = Clock::now();
    const vig::engine::BatchSummary s = engine.BatchRun();
    const double seconds = Since(t0);
    return s.processed == files && host.reportCount() == 0 ? seconds : -1;
}

// Runs a program with its output on /dev/null; the seconds it took, or -1
// when it failed.
double RunProgram(const std::vector<std::string>& args) {
    std::vector<std::string> store(args);
    std::vector<char*> argv;
    for (auto& a : store) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto t0 = Clock::now();
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    const bool ok =
        rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return ok ? Since(t0) : -1;
}

struct Contender {
    std::string name;
    std::function<double()> run;
    double best = -1;
};

// Runs every contender `rounds` times in turns and prints their best times.
void Race(std::vector<Contender>& list, int rounds) {
    for (int r = 0; r < rounds; ++r) {
        for (Contender& c : list) {
            const double s = c.run();
            if (s >= 0 && (c.best < 0 || s < c.best)) c.best = s;
        }
    }
    std::printf("best of %d rounds, %d cores\n\n", rounds, vig::platform::ProcessorCount());
    std::printf("%-66s %9s\n", "", "seconds");
    for (const Contender& c : list) {
        if (c.best < 0)
            std::printf("%-66s %9s\n", c.name.c_str(), "failed");
        else
            std::printf("%-66s %9.3f\n", c.name.c_str(), c.best);
    }
}

// How many times faster `fast` is than `slow`, with the goal it is held to.
void Ratio(const char* what, const Contender& fast, const Contender& slow, double goal) {
    if (fast.best <= 0 || slow.best <= 0) return;
    const double ratio = slow.best / fast.best;
    std::printf("  %s: %.2fx faster, %s\n", what, ratio, ratio >= goal ? "met" : "NOT met");
}

// Our time as a share of a peer's, with the most it may be.
void TimeShare(const char* what, const Contender& ours, const Contender& peer, double most) {
    if (ours.best <= 0 || peer.best <= 0) return;
    const double share = ours.best / peer.best;
    std::printf("  %s: %.2fx its time, %s\n", what, share, share <= most ? "met" : "NOT met");
}

std::string AllCores() {
    return "all cores (" + std::to_string(vig::platform::ProcessorCount()) + ")";
}

void JpegRace(Corpus& corpus, int rounds) {
    const int n = corpus.files;
    std::vector<Contender> list = {
        {"/fast, with previews, " + AllCores(), [&] { return RunOurs(corpus.camera, n, 0, true); }},
        {"/fast, without previews, " + AllCores(),
         [&] { return RunOurs(corpus.alone, n, 0, true); }},
        {"/fast, with previews, one thread", [&] { return RunOurs(corpus.camera, n, 1, true); }},
        {"/fast, without previews, one thread", [&] { return RunOurs(corpus.alone, n, 1, true); }},
        {"default settings, with previews (not used), " + AllCores(),
         [&] { return RunOurs(corpus.camera, n, 0, false); }},
    };
    std::printf(
        "\nJPEG: %d photos, %.1f megapixels each on average, with a 1920-pixel MPF preview "
        "and a 160-pixel EXIF thumbnail, to 100 x 100 JPEG at quality 75\n",
        n, corpus.megapixels / n);
    Race(list, rounds);
    std::printf("\ngoal: /fast with previews at least 5x faster than without\n");
    Ratio("all cores", list[0], list[1], 5);
    Ratio("one thread", list[2], list[3], 5);
    // Both decodes read every coded byte of what they decode (a reduced
    // scale of a baseline JPEG still needs all its entropy data), so the
    // gain is bounded by how much larger the photos are than the previews.
    if (corpus.previewBytes > 0)
        std::printf(
            "  the photos hold %.2fx the bytes of their previews (%.0f KB against %.0f KB "
            "on average): the bound of the gain\n",
            corpus.photoBytes / corpus.previewBytes, corpus.photoBytes / n / 1024,
            corpus.previewBytes / n / 1024);
}

// The HEIC files of the corpus of make-heic-corpus.sh: DIR/thumb (with a
// 320-pixel thumbnail) and DIR/plain (without), the names both have.
std::vector<std::string> HeicNames(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir / "thumb")) {
        const std::string name = e.path().filename().string();
        if (e.path().extension() == ".heic" && fs::is_regular_file(dir / "plain" / name))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void HeicRace(Corpus& corpus, const fs::path& dir, int rounds) {
    const std::vector<std::string> names = HeicNames(dir);
    if (names.empty()) {
        std::printf("\nHEIC: no files in %s/thumb and %s/plain\n", dir.c_str(), dir.c_str());
        return;
    }
    // Links to the files both folders have, in two folders of our own.
    const fs::path thumb = corpus.root / "heic-thumb", plain = corpus.root / "heic-plain";
    fs::create_directories(thumb);
    fs::create_directories(plain);
    std::vector<std::string> thumbFiles;
    for (const std::string& name : names) {
        fs::create_symlink(fs::absolute(dir / "thumb" / name), thumb / name);
        fs::create_symlink(fs::absolute(dir / "plain" / name), plain / name);
        thumbFiles.push_back((thumb / name).string());
        std::vector<uint8_t> warm = ReadBytes(thumb / name);  // no cold disk in any measure
        warm = ReadBytes(plain / name);
    }
    const int n = static_cast<int>(names.size());
    const auto vips = [&](const std::vector<std::string>& env) {
        return [&, env] {
            const fs::path out = corpus.root / "vips";
            fs::remove_all(out);
            fs::create_directories(out);
            std::vector<std::string> args = {"env"};
            args.insert(args.end(), env.begin(), env.end());
            args.insert(args.end(),
                        {"vipsthumbnail", "-s", "100x100", "-o", (out / "%s.jpg[Q=75]").string()});
            args.insert(args.end(), thumbFiles.begin(), thumbFiles.end());
            return RunProgram(args);
        };
    };
    std::vector<Contender> list = {
        {"/fast, with thumbnails, " + AllCores(), [&] { return RunOurs(thumb, n, 0, true); }},
        {"/fast, without thumbnails, " + AllCores(), [&] { return RunOurs(plain, n, 0, true); }},
        {"/fast, with thumbnails, one thread", [&] { return RunOurs(thumb, n, 1, true); }},
        {"/fast, without thumbnails, one thread", [&] { return RunOurs(plain, n, 1, true); }},
        {"default settings (thumbnails stand in), with thumbnails, " + AllCores(),
         [&] { return RunOurs(thumb, n, 0, false); }},
        {"vipsthumbnail -s 100x100, with thumbnails, its threads", vips({})},
        {"vipsthumbnail -s 100x100, with thumbnails, one thread", vips({"VIPS_CONCURRENCY=1"})},
    };
    std::printf(
        "\nHEIC: %d photos (heif-enc -q 50, a 320-pixel thumbnail or none), to 100 x 100 "
        "JPEG at quality 75\n",
        n);
    Race(list, rounds);
    std::printf(
        "\ngoals: /fast with thumbnails at least 5x faster than without; at most 1.0x "
        "vipsthumbnail's time (all cores)\n");
    Ratio("all cores", list[0], list[1], 5);
    Ratio("one thread", list[2], list[3], 5);
    TimeShare("/fast against vipsthumbnail, all cores", list[0], list[5], 1);
    TimeShare("default settings against vipsthumbnail, all cores", list[4], list[5], 1);
}

}  // namespace

int main() {
    Corpus corpus;
    const char* heic = std::getenv("VIG_BENCH_HEIC");
    const char* jpeg = std::getenv("VIG_BENCH_JPEG");
    const bool jpegPart = jpeg == nullptr || std::string(jpeg) != "0";
    if (!PrepareCorpus(&corpus, jpegPart)) {
        std::fprintf(stderr, "preview_bench: the photos could not be prepared\n");
        return 1;
    }
    gCorpus = &corpus;
    const char* roundsText = std::getenv("VIG_BENCH_ROUNDS");
    const int rounds =
        roundsText != nullptr && std::atoi(roundsText) > 0 ? std::atoi(roundsText) : 3;
    if (jpegPart) JpegRace(corpus, rounds);
    if (heic != nullptr && *heic != '\0') HeicRace(corpus, heic, rounds);
    return 0;
}
