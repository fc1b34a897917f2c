// A run over several machines (plan, shards, merge) against the run of one
// machine: the same bytes in every file, the same reports and status,
// whatever the number of shards and the order they run in; shards that are
// killed or stopped, records that are missing or damaged, other settings.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "cli/cli_runner.h"
#include "engine/engine_test_util.h"
#include "support/temp_dir.h"

namespace vig::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;
using Tree = std::map<std::string, std::vector<uint8_t>>;

// PNG files carry the time they were written (tIME): its bytes are zeroed.
void MaskPngTime(std::vector<uint8_t>* bytes) {
    static const uint8_t kTag[] = {'t', 'I', 'M', 'E'};
    auto it = std::search(bytes->begin(), bytes->end(), kTag, kTag + 4);
    if (it == bytes->end() || bytes->end() - it < 15) return;
    std::fill(it + 4, it + 15, 0);
}

// Every file below `root` (hidden ones too) by its relative path; the log's
// date line (its second line) is left out.
Tree Snapshot(const std::string& root) {
    Tree tree;
    if (!fs::exists(root)) return tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = fs::relative(e.path(), root).string();
        if (e.is_directory()) {
            tree[rel + "/"] = {};
            continue;
        }
        std::vector<uint8_t> bytes = ReadFileBytes(e.path().string());
        if (e.path().extension() == ".png" || e.path().extension() == ".PNG")
            MaskPngTime(&bytes);
        if (e.path().extension() == ".log") {
            std::string text(bytes.begin(), bytes.end());
            const size_t first = text.find('\n');
            const size_t second = text.find('\n', first + 1);
            if (first != std::string::npos && second != std::string::npos)
                text.erase(first + 1, second - first);
            bytes.assign(text.begin(), text.end());
        }
        tree[rel] = bytes;
    }
    return tree;
}

// The tree without the run's state folder.
Tree WithoutState(Tree tree) {
    for (auto it = tree.begin(); it != tree.end();)
        it = it->first.rfind(".vignettor", 0) == 0 ? tree.erase(it) : std::next(it);
    return tree;
}

void ExpectSameTree(const Tree& want, const Tree& got, const std::string& what) {
    for (const auto& [name, bytes] : want) {
        const auto it = got.find(name);
        if (it == got.end()) {
            ADD_FAILURE() << what << ": missing " << name;
        } else {
            EXPECT_TRUE(it->second == bytes) << what << ": differs " << name;
        }
    }
    for (const auto& entry : got)
        if (want.count(entry.first) == 0) ADD_FAILURE() << what << ": extra " << entry.first;
}

// One way of running: settings, switches, and whether the thumbnails go
// into the source folder itself.
struct RunSetup {
    const char* what;
    Args settings;
    Args switches;
    bool inPlace;
};

class ShardRun : public ::testing::Test {
protected:
    std::string Src() const { return box.dir() / "in"; }
    std::string Out(const RunSetup& s) const { return s.inPlace ? Src() : box.dir() / "out"; }

    // A picture in another format, converted by the program itself.
    void Convert(const std::string& from, const std::string& to, const char* formatCode) {
        ASSERT_EQ(box.Run({"/h", "/f", from, to, "/o", formatCode, "/r", "6"}).status, 0) << to;
    }

    // The mixed tree: pictures of several formats (so "same as input" gives
    // several output formats), titles shared by two inputs (their numbered
    // names collide), a file that cannot be read, sub-folders.
    void MakeTree(const RunSetup& s) {
        fs::remove_all(Src());
        fs::remove_all(box.dir() / "out");
        MakeFolder(Src());
        MakeFolder(Src() + "/sub");
        MakeFolder(Src() + "/sub/deep");
        MakeFolder(box.dir() / "out");
        const std::string seed = box.dir() / "seed.bmp";
        ASSERT_TRUE(WriteBmp(seed, 90, 60, [](int x, int y) {
            return static_cast<uint32_t>((x * 3) | ((y * 4) << 8) | (((x + y) & 0xFF) << 16));
        }));
        fs::copy_file(seed, Src() + "/a.bmp");
        Convert(seed, Src() + "/a.png", "8");
        Convert(seed, Src() + "/b.jpg", "3");
        Convert(seed, Src() + "/c.gif", "14");
        Convert(seed, Src() + "/sub/d.tif", "11");
        Convert(seed, Src() + "/sub/e.pcx", "16");
        Convert(seed, Src() + "/sub/deep/f.png", "9");
        fs::copy_file(seed, Src() + "/sub/deep/g.bmp");
        WriteFileText(Src() + "/broken.jpg", "not a picture");
        WriteFileText(Src() + "/sub/unreadable.bmp", "BM not either");
        // Names a numbered run must step over.
        if (!s.inPlace) WriteFileText(box.dir() / "out/a.bmp", "here before");
    }

    RunResult Step(const RunSetup& s, const Args& step) const {
        Args args{"/h", "/d", Src(), Out(s)};
        args.insert(args.end(), s.switches.begin(), s.switches.end());
        args.insert(args.end(), step.begin(), step.end());
        return box.Run(args);
    }
    pid_t StartStep(const RunSetup& s, const Args& step) const {
        Args args{"/h", "/d", Src(), Out(s)};
        args.insert(args.end(), s.switches.begin(), s.switches.end());
        args.insert(args.end(), step.begin(), step.end());
        return box.Start(args);
    }
    // The source and output folders.
    Tree Trees() const {
        Tree all;
        for (const char* folder : {"in", "out"})
            for (auto& [name, bytes] : Snapshot(box.dir() / folder))
                all[std::string(folder) + "/" + name] = std::move(bytes);
        return all;
    }
    static Args Shard(int k, int n) { return {"/shard", std::to_string(k) + "/" + std::to_string(n)}; }

    CliSandbox box;
};

const RunSetup kSetups[] = {
    {"numbered names, pages, log, sheets per folder, recursion",
     {"OutputRecurseSrc=1", "OutputDuplicateSrcTree=1", "HTMLLog=1", "HTMLMaxImages=3",
      "HTMLMakeIndex=1", "HTMLMakeSrcPages=1", "HTMLMakeSrcLink=1", "HTMLTable=1", "LogMakeLog=1",
      "LogHeader=1", "LogInputName=1", "LogInputDims=1", "LogOutName=1", "LogOutputDims=1",
      "CompositeMakeComposite=1", "CompositeRows=1", "CompositeCols=2", "CompositeWriteToRoot=0"},
     {"/nn", "/o", "0", "/s", "40", "40"},
     false},
    {"overwriting into the source folder, sheets in the root, a suffix",
     {"OutputRecurseSrc=1", "HTMLLog=1", "CompositeMakeComposite=1", "CompositeRows=2",
      "CompositeCols=2", "CompositeWriteToRoot=1", "LogMakeLog=1", "LogHeader=1",
      "LogOutName=1"},
     {"/no", "/o", "3", "/s", "30", "20", "/v", "40"},
     true},
    // "Same as input" in 8 bits and in grey: the other formats' writers.
    {"8-bit output of every input format", {"OutputRecurseSrc=1"}, {"/nn", "/o", "1"}, false},
    {"grey output of every input format, sheets", {"OutputRecurseSrc=1", "CompositeMakeComposite=1"},
     {"/nn", "/o", "2"}, false},
    {"suffixed names in branch folders, PNG and grey output",
     {"OutputRecurseSrc=1", "OutputBranchFromSrc=1", "HTMLLog=1", "HTMLMaxImages=2"},
     {"/ns", "_t", "/o", "10", "/cu"},
     false},
};

TEST_F(ShardRun, PlanShardsAndMergeWriteWhatOneMachineWrites) {
    for (const RunSetup& s : kSetups) {
        Args settings = s.settings;
        settings.push_back("LogPath=" + Out(s) + "/run.log");
        box.WriteSettings(settings);

        MakeTree(s);
        const RunResult whole = Step(s, {});
        ASSERT_EQ(whole.status, 1) << s.what << whole.err;  // the broken files are reported
        const Tree want = Trees();

        for (const int n : {1, 2, 3, 7}) {
            const std::string what = std::string(s.what) + ", " + std::to_string(n) + " shards";
            MakeTree(s);
            const RunResult plan = Step(s, {"/plan"});
            ASSERT_EQ(plan.status, 0) << what << plan.err;
            if (n == 3) {
                // At the same time.
                std::vector<pid_t> running;
                for (int k = 1; k <= n; ++k) running.push_back(StartStep(s, Shard(k, n)));
                for (const pid_t pid : running) EXPECT_EQ(box.Wait(pid).status, 0) << what;
            } else {
                // One after the other, the last first.
                for (int k = n; k >= 1; --k) EXPECT_EQ(Step(s, Shard(k, n)).status, 0) << what;
            }
            const RunResult merge = Step(s, {"/merge"});
            EXPECT_EQ(merge.status, whole.status) << what;
            EXPECT_EQ(merge.out, whole.out) << what;
            EXPECT_EQ(merge.err, whole.err) << what;
            ExpectSameTree(want, Trees(), what);
        }
    }
}

// Many copies of one larger picture, so that a shard is still at work when
// it is stopped.
class BusyShard : public ShardRun {
protected:
    const RunSetup setup{"busy", {}, {"/nn", "/o", "3", "/j", "1"}, false};

    void MakeBusyTree() {
        fs::remove_all(Src());
        fs::remove_all(box.dir() / "out");
        MakeFolder(Src());
        MakeFolder(box.dir() / "out");
        ASSERT_TRUE(WriteBmp(Src() + "/p0.bmp", 1000, 750));
        for (int i = 1; i < 120; ++i)
            fs::create_hard_link(Src() + "/p0.bmp", Src() + "/p" + std::to_string(i) + ".bmp");
    }
    std::string ShardFolder(int k, int n) const {
        return box.dir() / ("out/.vignettor/shard-" + std::to_string(k) + "-of-" +
                            std::to_string(n));
    }
    // Starts shard k/n and waits until it has made a few thumbnails.
    pid_t StartAndWaitForWork(int k, int n) {
        fs::remove_all(ShardFolder(k, n));
        const pid_t pid = StartStep(setup, Shard(k, n));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        const auto made = [&] {
            std::error_code error;
            size_t count = 0;
            for (auto it = fs::directory_iterator(ShardFolder(k, n), error);
                 !error && it != fs::directory_iterator(); it.increment(error))
                ++count;
            return count;
        };
        while (made() < 4 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return pid;
    }
};

TEST_F(BusyShard, AKilledShardRunAgainEndsWithTheSameRecordAndAStoppedOneWithNone) {
    box.WriteSettings({});
    MakeBusyTree();
    ASSERT_EQ(Step(setup, {}).status, 0);
    const Tree want = Trees();

    MakeBusyTree();
    ASSERT_EQ(Step(setup, {"/plan"}).status, 0);
    ASSERT_EQ(Step(setup, Shard(1, 2)).status, 0);
    const std::vector<uint8_t> record = ReadFileBytes(ShardFolder(1, 2) + "/record.txt");
    ASSERT_FALSE(record.empty());

    // Killed while at work, then run again.
    pid_t pid = StartAndWaitForWork(1, 2);
    kill(pid, SIGKILL);
    EXPECT_EQ(box.Wait(pid).status, 128 + SIGKILL);
    EXPECT_FALSE(fs::exists(ShardFolder(1, 2) + "/record.txt"));
    ASSERT_EQ(Step(setup, Shard(1, 2)).status, 0);
    EXPECT_TRUE(ReadFileBytes(ShardFolder(1, 2) + "/record.txt") == record);

    // Stopped: status 130, no record, and the merge names the shard.
    pid = StartAndWaitForWork(2, 2);
    kill(pid, SIGINT);
    EXPECT_EQ(box.Wait(pid).status, 130);
    EXPECT_FALSE(fs::exists(ShardFolder(2, 2) + "/record.txt"));
    const Tree before = WithoutState(Snapshot(box.dir() / "out"));
    const RunResult refused = Step(setup, {"/merge"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("shard 2/2"), std::string::npos) << refused.err;
    ExpectSameTree(before, WithoutState(Snapshot(box.dir() / "out")), "a merge without shard 2");

    ASSERT_EQ(Step(setup, Shard(2, 2)).status, 0);
    ASSERT_EQ(Step(setup, {"/merge"}).status, 0);
    ExpectSameTree(want, Trees(), "killed, stopped and run again");
}

TEST_F(ShardRun, MissingDamagedOrForeignRecordsAndOtherSettingsAreRefused) {
    const RunSetup s{"refusals", {"HTMLLog=1", "LogMakeLog=1"}, {"/nn", "/s", "30", "30"}, false};
    Args settings = s.settings;
    settings.push_back("LogPath=" + Out(s) + "/run.log");
    box.WriteSettings(settings);
    MakeTree(s);
    ASSERT_EQ(Step(s, {"/plan"}).status, 0);
    const std::string state = Out(s) + "/.vignettor";
    const std::string record1 = state + "/shard-1-of-3/record.txt";

    // Before anything ran, and with other settings.
    struct Refusal {
        const char* what;
        Args switches;
        int status;
        const char* says;
    };
    const Refusal early[] = {
        {"no shard yet", {"/nn", "/s", "30", "30", "/merge"}, 1, "no shard"},
        {"another size", {"/nn", "/s", "31", "30", "/shard", "1/3"}, 2, "MainWidth"},
        {"another naming", {"/no", "/s", "30", "30", "/merge"}, 2, "OutputRenameStyle"},
    };
    for (const Refusal& r : early) {
        Args args{"/h", "/d", Src(), Out(s)};
        args.insert(args.end(), r.switches.begin(), r.switches.end());
        const RunResult got = box.Run(args);
        EXPECT_EQ(got.status, r.status) << r.what << got.err;
        EXPECT_NE(got.err.find(r.says), std::string::npos) << r.what << got.err;
    }
    // Threads and memory are the machine's own: no refusal.
    ASSERT_EQ(Step(s, {"/j", "3", "/mem", "100", "/shard", "1/3"}).status, 0);
    ASSERT_EQ(Step(s, Shard(2, 3)).status, 0);
    ASSERT_EQ(Step(s, Shard(3, 3)).status, 0);
    const std::vector<uint8_t> good = ReadFileBytes(record1);

    // Each damage names shard 1/3, and the merge then writes nothing.
    const std::string text(good.begin(), good.end());
    struct Damage {
        const char* what;
        std::string record;  // "" removes the record
        const char* says;
    };
    const Damage damages[] = {
        {"missing", "", "shard 1/3: no record"},
        {"cut short", text.substr(0, text.size() / 2), "shard 1/3: damaged"},
        {"no end line", text.substr(0, text.rfind("end ")), "shard 1/3: damaged"},
        {"another plan", "vignettor-shard 1\nplan 0123456789ABCDEF\n" + text.substr(text.find("shard 1 3")),
         "another plan"},
        {"garbage", "\x01\x02 nonsense\n", "shard 1/3: damaged"},
    };
    const Tree before = WithoutState(Snapshot(Out(s)));
    // A thumbnail gone from the shard's folder.
    const std::string thumbnail = state + "/shard-1-of-3/0.thumb";
    const std::vector<uint8_t> kept = ReadFileBytes(thumbnail);
    fs::remove(thumbnail);
    const RunResult lost = Step(s, {"/merge"});
    EXPECT_EQ(lost.status, 1);
    EXPECT_NE(lost.err.find("shard 1/3: the thumbnail of file 0"), std::string::npos) << lost.err;
    ExpectSameTree(before, WithoutState(Snapshot(Out(s))), "a thumbnail missing");
    WriteFileBytes(thumbnail, kept);
    for (const Damage& d : damages) {
        if (d.record.empty())
            fs::remove(record1);
        else
            WriteFileText(record1, d.record);
        const RunResult got = Step(s, {"/merge"});
        EXPECT_EQ(got.status, 1) << d.what;
        EXPECT_NE(got.err.find(d.says), std::string::npos) << d.what << ": " << got.err;
        EXPECT_EQ(got.out, "") << d.what;
        ExpectSameTree(before, WithoutState(Snapshot(Out(s))), d.what);
    }

    // Shards of two different counts.
    WriteFileText(record1, text);
    ASSERT_EQ(Step(s, Shard(1, 1)).status, 0);
    const RunResult mixed = Step(s, {"/merge"});
    EXPECT_EQ(mixed.status, 1);
    EXPECT_NE(mixed.err.find("run the plan again"), std::string::npos) << mixed.err;
    fs::remove_all(state + "/shard-1-of-1");
    EXPECT_EQ(Step(s, {"/merge"}).status, 1);  // the broken files
    EXPECT_FALSE(fs::exists(state));
}

TEST_F(ShardRun, APlanWhoseThumbnailReplacesALaterInputIsRefused) {
    // Overwriting into the source folder: BMP files are read before JPEG
    // files, so q.bmp's thumbnail q.jpg replaces an input read later.
    box.WriteSettings({});
    const RunSetup s{"replaced input", {}, {"/no", "/o", "3"}, true};
    fs::remove_all(Src());
    MakeFolder(Src());
    ASSERT_TRUE(WriteBmp(Src() + "/q.bmp", 20, 20));
    Convert(Src() + "/q.bmp", Src() + "/q.jpg", "3");
    const RunResult plan = Step(s, {"/plan"});
    EXPECT_EQ(plan.status, 1);
    EXPECT_NE(plan.err.find("run it on one machine"), std::string::npos) << plan.err;
    EXPECT_FALSE(fs::exists(Src() + "/.vignettor/plan.txt"));
    EXPECT_EQ(Step(s, {}).status, 0);
}

}  // namespace
}  // namespace vig::test
