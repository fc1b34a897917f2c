// Whole-batch speed: a folder of photos becomes 100 x 100 JPEG thumbnails
// (quality 75) through the batch run, with the default settings and with
// draft decoding, on one thread and on all cores; measured in the same run
// against the time libjpeg-turbo's djpeg takes to decode the same files one
// after another at full size (the floor), and against the thumbnailers of
// GraphicsMagick, ImageMagick and libvips doing the same job:
//
//   VIG_BENCH_PHOTOS=DIR build/bench/engine/engine_bench
//
// DIR holds the photos (JPEG), used once each in name order: the corpus of
// the project's corpus script (its jpeg/ folder). Without VIG_BENCH_PHOTOS
// the benchmark draws ten synthetic 4000 x 3000 photos of its own. Every
// contender runs VIG_BENCH_ROUNDS times (3 by default), in turns, and its
// best time counts; a peer that is not installed is left out. The table
// ends with the ratios to the floor and the goals they are held to.
//
// With Google Benchmark's arguments (--benchmark_filter=. for all) it then
// also measures decoding alone and the scan of a folder of 100,000 files.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
#include "engine/source_scan.h"
#include "image/cpx_image.h"
#include "platform/system.h"
#include "synthetic_photo.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Corpus {
    fs::path root;                   // scratch folder, removed at the end
    fs::path photos;                 // links to the originals
    std::vector<std::string> files;  // the links, in name order
    double megapixels = 0;
    ~Corpus() {
        std::error_code ec;
        if (!root.empty()) fs::remove_all(root, ec);
    }
};

Corpus* gCorpus = nullptr;

double Since(Clock::time_point t0) {
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

// A synthetic photo of 4000 x 3000 as a JPEG of our own writer.
bool DrawSyntheticPhoto(const std::string& path, int seed) {
    vig::image::CPxImage image;
    if (!vig::bench::SyntheticPhoto(4000, 3000, seed, &image)) return false;
    image.SetJpegQuality(92);
    return image.Save(path, vig::options::FormatJpg) == vig::image::ErrNone;
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
    std::vector<char> buf(1 << 20);
    for (size_t i = 0; i < originals.size(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo%03zu.jpg", i);
        const fs::path link = c->photos / name;
        fs::create_symlink(fs::absolute(originals[i]), link);
        c->files.push_back(link.string());
        // Read every file once, so that no measurement pays for a cold disk.
        std::FILE* f = std::fopen(originals[i].c_str(), "rb");
        if (f == nullptr) return false;
        while (std::fread(buf.data(), 1, buf.size(), f) == buf.size()) {
        }
        std::fclose(f);
        vig::image::CPxImage image;
        vig::image::DecodeInfo info;
        if (image.Load(link.string(), vig::image::DecodeHints(), &info) != vig::image::ErrNone)
            return false;
        c->megapixels += info.fullWidth * static_cast<double>(info.fullHeight) / 1e6;
    }
    return true;
}

fs::path FreshFolder(const std::string& name) {
    const fs::path out = gCorpus->root / name;
    fs::remove_all(out);
    fs::create_directories(out);
    return out;
}

// The full path of a program on PATH, "" when there is none.
std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= dirs.size()) {
        const size_t end = std::min(dirs.find(':', at), dirs.size());
        const std::string candidate = dirs.substr(at, end - at) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        at = end + 1;
    }
    return "";
}

// Runs a program with extra environment variables and its output on
// /dev/null; false unless it exits with 0.
bool Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env = {}) {
    std::vector<std::string> envStore(env);
    for (char** e = environ; *e != nullptr; ++e) envStore.push_back(*e);
    std::vector<char*> argv, envp;
    std::vector<std::string> argStore(args);
    for (auto& a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);
    for (auto& e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return rc == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// One contender: its time for the whole folder, or a negative value when
// it failed.
struct Contender {
    std::string name;
    std::function<double()> run;
    bool ours = false;
    bool draft = false;
    bool peer = false;
    double best = -1;
};

double RunOurs(int threads, bool draft) {
    const fs::path out = FreshFolder("ours");
    vig::options::BatchOptions o;
    o.MainSrcPath = gCorpus->photos.string();
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
    const int total = static_cast<int>(gCorpus->files.size());
    return s.processed == total && host.reportCount() == 0 ? seconds : -1;
}

double RunDjpeg(const std::string& djpeg) {
    const auto t0 = Clock::now();
    for (const std::string& f : gCorpus->files)
        if (!Spawn({djpeg, "-outfile", "/dev/null", f})) return -1;
    return Since(t0);
}

double RunPeer(std::vector<std::string> args, const std::vector<std::string>& env,
               bool filesLast = true) {
    if (filesLast) args.insert(args.end(), gCorpus->files.begin(), gCorpus->files.end());
    const auto t0 = Clock::now();
    return Spawn(args, env) ? Since(t0) : -1;
}

std::vector<Contender> Contenders(int cores) {
    std::vector<Contender> list;
    const std::string djpeg = FindProgram("djpeg");
    if (!djpeg.empty())
        list.push_back({"djpeg, full size, one file after another (the floor)",
                        [djpeg] { return RunDjpeg(djpeg); }});
    const std::string all = "all cores (" + std::to_string(cores) + ")";
    list.push_back({"vignettor, default settings, " + all, [] { return RunOurs(0, false); }, true});
    list.push_back(
        {"vignettor, default settings, one thread", [] { return RunOurs(1, false); }, true});
    list.push_back(
        {"vignettor /fast (draft decoding), " + all, [] { return RunOurs(0, true); }, true, true});
    list.push_back({"vignettor /fast (draft decoding), one thread", [] { return RunOurs(1, true); },
                    true, true});

    // The peers, each on one thread and with its default threads. {}
    // stands for the output folder.
    const struct {
        const char* program;
        const char* label;
        std::vector<std::string> args;
        const char* oneThread;  // the environment that holds it to one thread
    } peers[] = {
        {"gm",
         "gm mogrify -size 200x200 -thumbnail 100x100",
         {"mogrify", "-output-directory", "{}", "-create-directories", "-size", "200x200",
          "-thumbnail", "100x100", "-quality", "75"},
         "OMP_NUM_THREADS=1"},
        {"mogrify",
         "mogrify -define jpeg:size=200x200 -thumbnail 100x100",
         {"-path", "{}", "-define", "jpeg:size=200x200", "-thumbnail", "100x100", "-quality", "75"},
         "MAGICK_THREAD_LIMIT=1"},
        {"vipsthumbnail",
         "vipsthumbnail -s 100x100",
         {"-s", "100x100", "-o", "{}/%s.jpg[Q=75]"},
         "VIPS_CONCURRENCY=1"},
    };
    for (const auto& peer : peers) {
        const std::string path = FindProgram(peer.program);
        if (path.empty()) continue;  // not installed: left out
        const std::string name = peer.label;
        for (const bool one : {true, false}) {
            const std::vector<std::string> env =
                one ? std::vector<std::string>{peer.oneThread} : std::vector<std::string>{};
            list.push_back({name + (one ? ", one thread" : ", its default threads"),
                            [path, args = peer.args, env] {
                                const fs::path out = FreshFolder("peer");
                                std::vector<std::string> line{path};
                                for (std::string a : args) {
                                    if (const size_t at = a.find("{}"); at != std::string::npos)
                                        a.replace(at, 2, out.string());
                                    line.push_back(a);
                                }
                                return RunPeer(line, env);
                            }});
            list.back().peer = true;
        }
    }
    return list;
}

// Runs every contender `rounds` times in turns and prints the table of best
// times and ratios, then the goals.
void RunRace(int rounds) {
    const int cores = vig::platform::ProcessorCount();
    std::vector<Contender> list = Contenders(cores);
    for (int r = 0; r < rounds; ++r) {
        for (Contender& c : list) {
            const double s = c.run();
            if (s >= 0 && (c.best < 0 || s < c.best)) c.best = s;
        }
    }
    const double floor = list.front().ours ? -1 : list.front().best;
    std::printf("\n%zu photos, %.1f megapixels each on average, to 100 x 100 JPEG at quality 75\n",
                gCorpus->files.size(), gCorpus->megapixels / gCorpus->files.size());
    std::printf("best of %d rounds, %d cores\n\n", rounds, cores);
    std::printf("%-74s %9s %9s\n", "", "seconds", "x floor");
    for (const Contender& c : list) {
        if (c.best < 0) {
            std::printf("%-74s %9s\n", c.name.c_str(), "failed");
            continue;
        }
        if (floor > 0)
            std::printf("%-74s %9.2f %9.2f\n", c.name.c_str(), c.best, c.best / floor);
        else
            std::printf("%-74s %9.2f %9s\n", c.name.c_str(), c.best, "-");
    }
    if (floor <= 0) {
        std::printf("\nno djpeg: no ratios (install libjpeg-turbo-progs)\n");
        return;
    }
    const auto ratio = [&](size_t i) { return list[i].best > 0 ? list[i].best / floor : 1e9; };
    // list[1..4]: ours all cores, one thread, draft all cores, draft one thread.
    std::printf("\ngoals:\n");
    std::printf("  default settings, all cores, at most 0.60 x the floor: %.2f, %s\n", ratio(1),
                ratio(1) <= 0.60 ? "met" : "NOT met");
    std::printf("  default settings, one thread, at most 1.15 x the floor: %.2f, %s\n", ratio(2),
                ratio(2) <= 1.15 ? "met" : "NOT met");
    for (size_t i = 0; i < list.size(); ++i) {
        if (!list[i].peer || list[i].best < 0) continue;
        const bool met = ratio(3) < ratio(i) && ratio(4) < ratio(i);
        std::printf("  /fast faster than %s (%.2f): %.2f and %.2f, %s\n", list[i].name.c_str(),
                    ratio(i), ratio(3), ratio(4), met ? "met" : "NOT met");
    }
}

void BM_DecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& f : gCorpus->files) {
            vig::image::CPxImage image;
            if (image.Load(f) != vig::image::ErrNone) state.SkipWithError("decode failed");
        }
    }
    state.counters["images/s"] = benchmark::Counter(static_cast<double>(gCorpus->files.size()),
                                                    benchmark::Counter::kIsIterationInvariantRate);
    state.counters["MP/s"] =
        benchmark::Counter(gCorpus->megapixels, benchmark::Counter::kIsIterationInvariantRate);
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
    vig::options::BatchOptions o;
    o.OutputSortFiles = vig::options::Alphabetic;
    vig::engine::HeadlessHost host(nullptr);
    for (auto _ : state) {
        vig::engine::FileList list;
        vig::engine::ScanSourceFolder(host, o, dir.string(), &list, false, "*",
                                      vig::engine::FilteredInputFormats(o));
        if (list.size() != 100000) state.SkipWithError("scan incomplete");
    }
}

BENCHMARK(BM_DecodeOnly)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
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
    const char* rounds = std::getenv("VIG_BENCH_ROUNDS");
    RunRace(rounds != nullptr && std::atoi(rounds) > 0 ? std::atoi(rounds) : 3);
    std::fflush(stdout);
    if (argc > 1) {
        benchmark::Initialize(&argc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    return 0;
}
