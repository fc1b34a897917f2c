// The program under hostile and unlucky conditions: special files where its
// outputs go, two runs into one folder, inputs named like its documents, a
// full disk, signals, a settings file it must not rewrite, folders deeper
// than the system's path limit.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "cli/cli_runner.h"
#include "engine/engine_test_util.h"

namespace vig::test {
namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

int CountFiles(const std::string& folder, const std::string& extension) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(folder))
        if (e.path().extension() == extension) ++n;
    return n;
}

bool IsFifo(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISFIFO(st.st_mode);
}

// The path of the i-th numbered copy of a file in `folder`.
std::string Numbered(const std::string& folder, const char* stem, int i, const char* ext) {
    std::string name = folder;
    name.append(stem).append(std::to_string(i)).append(ext);
    return name;
}

// The "Input" and "Output" lines of a log, in order.
std::vector<std::string> FileLines(const std::string& log) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("Input   : ", 0) == 0 || line.rfind("Output  : ", 0) == 0)
            lines.push_back(line);
    return lines;
}

// A page ends with its closing tag (and blank lines).
bool PageComplete(const std::string& path) {
    const std::string text = ReadFileText(path);
    const size_t end = text.rfind("</html>");
    return end != std::string::npos && text.find_first_not_of("\n", end + 7) == std::string::npos;
}

// The number of a process that has ended.
pid_t EndedProcess() {
    const pid_t pid = fork();
    if (pid == 0) _exit(0);
    waitpid(pid, nullptr, 0);
    return pid;
}

class Hostile : public ::testing::Test {
protected:
    Hostile() {
        MakeFolder(In(""));
        MakeFolder(Out(""));
        WriteBmp(In("a.bmp"), 64, 32);
        WriteBmp(In("b.bmp"), 32, 64);
    }
    std::string In(const std::string& name) const { return box.dir() / ("in/" + name); }
    std::string Out(const std::string& name) const { return box.dir() / ("out/" + name); }
    Args Dir(Args switches = {}) const {
        Args args{"/h", "/d", In(""), Out("")};
        args.insert(args.end(), switches.begin(), switches.end());
        return args;
    }
    // A run that must end by itself: one that hangs is killed and fails.
    RunResult RunBounded(const Args& args, const RunLimits& limits = {}) const {
        const pid_t pid = box.Start(args, limits);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                RunResult r;
                r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
                r.out = ReadFileText(box.dir() / limits.stdoutName);
                r.err = ReadFileText(box.dir() / limits.stderrName);
                return r;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        kill(pid, SIGKILL);
        ADD_FAILURE() << "the run hung";
        return box.Wait(pid, limits);
    }
    CliSandbox box;
};

TEST_F(Hostile, SpecialFilesWhereOutputsGoAreNeitherWaitedOnNorReplaced) {
    for (const char* name : {"Thumbs0.htm", "index.htm", "run.log", "a.jpg"})
        ASSERT_EQ(mkfifo(Out(name).c_str(), 0644), 0);
    box.WriteSettings(
        {"HTMLLog=1", "HTMLMakeIndex=1", "LogMakeLog=1", "LogPath=" + Out("run.log")});
    RunResult r = RunBounded(Dir());
    EXPECT_EQ(r.status, 1);
    for (const char* context : {"Write HTML page", "Write HTML index", "Write batch log"})
        EXPECT_TRUE(Contains(r.err, context)) << context;
    // A single file written onto a pipe (or a device) fails and leaves it.
    r = RunBounded({"/h", "/f", In("a.bmp"), Out("a.jpg")});
    EXPECT_EQ(r.status, 1);
    for (const char* name : {"Thumbs0.htm", "index.htm", "run.log", "a.jpg"})
        EXPECT_TRUE(IsFifo(Out(name))) << name;
}

TEST_F(Hostile, RunsIntoOneFolderKeepEveryNumberedThumbnail) {
    // Photos that take a while to read, so that the two runs overlap.
    WriteBmp(box.dir() / "photo.bmp", 1200, 900,
             [](int x, int y) { return x * 7919u ^ y * 104729u; });
    image::CPxImage photo;
    ASSERT_EQ(photo.Load(box.dir() / "photo.bmp"), image::ErrNone);
    ASSERT_EQ(photo.Save(In("p.jpg"), options::FormatJpg), image::ErrNone);
    for (int i = 1; i < 40; ++i) fs::copy_file(In("p.jpg"), Numbered(In(""), "p", i, ".jpg"));
    RunLimits second;
    second.stdoutName = ".out2";
    second.stderrName = ".err2";
    const pid_t a = box.Start(Dir({"/nn"}));
    const pid_t b = box.Start(Dir({"/nn"}), second);
    EXPECT_EQ(box.Wait(a).status, 0);
    EXPECT_EQ(box.Wait(b, second).status, 0);
    EXPECT_EQ(CountFiles(Out(""), ".jpg"), 84);
}

TEST_F(Hostile, DocumentsNeverReplaceInputsOrEachOther) {
    // A sheet named like a photo of the folder it is written into.
    MakeFolder(box.dir() / "same");
    WriteBmp(box.dir() / "same/x.bmp", 20, 20);
    ASSERT_TRUE(WriteFileText(box.dir() / "same/Comp0.jpg", "a photo"));
    box.WriteSettings({"CompositeMakeComposite=1", "MainWidth=10", "MainHeight=10"});
    RunResult r = RunBounded({"/h", "/d", box.dir() / "same", box.dir() / "same", "/nn"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "Context : Save composite image"));
    EXPECT_EQ(ReadFileText(box.dir() / "same/Comp0.jpg"), "a photo");

    // Inputs named like the gallery page and the index, with source pages;
    // links planted where the pages go are replaced, never followed.
    WriteBmp(In("Thumbs0.bmp"), 20, 20);
    WriteBmp(In("index.bmp"), 20, 20);
    ASSERT_TRUE(WriteFileText(box.dir() / "secret", "outside"));
    for (const char* name : {"Thumbs0.htm", "index.htm"})
        ASSERT_EQ(symlink((box.dir() / "secret").c_str(), Out(name).c_str()), 0);
    box.WriteSettings({"HTMLLog=1", "HTMLMakeIndex=1", "HTMLMakeSrcLink=1", "HTMLMakeSrcPages=2"});
    r = RunBounded(Dir());
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(ReadFileText(box.dir() / "secret"), "outside");
    EXPECT_TRUE(Contains(ReadFileText(Out("Thumbs0.htm")), "<title>thumbnails</title>"));
    EXPECT_TRUE(Contains(ReadFileText(Out("index.htm")), "Master Index"));
    EXPECT_TRUE(FileExists(Out("a.htm"))) << "other source pages are written";
}

TEST_F(Hostile, FailedWritesAreReportedAndKeepTheGalleryThatWasThere) {
    box.WriteSettings({"HTMLLog=1", "HTMLMakeIndex=1"});
    ASSERT_EQ(RunBounded(Dir()).status, 0);
    const std::string page = ReadFileText(Out("Thumbs0.htm"));
    // A header too large for the space left: the disk fills up.
    ASSERT_TRUE(WriteFileText(box.dir() / "header.txt", std::string(300000, 'x')));
    box.WriteSettings({"HTMLLog=1", "HTMLMakeIndex=1", "HTMLUseHeaderPath=1",
                       "HTMLHeaderPath=" + (box.dir() / "header.txt")});
    RunLimits fullDisk;
    fullDisk.maxFileBytes = 200000;
    const RunResult r = RunBounded(Dir(), fullDisk);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(Contains(r.err, "Error : Unable to write file\nFile : " + Out("Thumbs0.htm")));
    EXPECT_TRUE(Contains(r.err, "Context : Write HTML index"));
    EXPECT_EQ(ReadFileText(Out("Thumbs0.htm")), page);
}

TEST_F(Hostile, SignalsEndTheRunWithTheirStatusAndCountFinishedFiles) {
    WriteBmp(In("big.bmp"), 2000, 1500);
    for (int i = 0; i < 40; ++i)
        ASSERT_EQ(symlink(In("big.bmp").c_str(), Numbered(In(""), "l", i, ".bmp").c_str()), 0);
    for (const int signal : {SIGTERM, SIGINT}) {
        fs::remove_all(Out(""));
        MakeFolder(Out(""));
        const pid_t pid = box.Start(Dir({"/nn"}));
        while (CountFiles(Out(""), ".jpg") == 0 && waitpid(pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        kill(pid, signal);
        const RunResult r = box.Wait(pid);
        EXPECT_EQ(r.status, 128 + signal);
        const int made = CountFiles(Out(""), ".jpg");
        EXPECT_LT(made, 43);
        EXPECT_EQ(r.out, "Processed " + std::to_string(made) + " of 43 files\n");
    }
}

TEST_F(Hostile, KilledAndHungUpRunsKeepTheLogOfFinishedFilesAndNoEmptyName) {
    fs::remove(In("a.bmp"));
    fs::remove(In("b.bmp"));
    WriteBmp(In("big.bmp"), 1200, 900);
    for (int i = 0; i < 30; ++i)
        ASSERT_EQ(symlink(In("big.bmp").c_str(), Numbered(In(""), "l", i, ".bmp").c_str()), 0);
    const Args numbered = Dir({"/nn", "/j", "2"});
    const std::string old = "the last run's log\n";
    struct Case {
        int signal;
        bool append;
        bool ignored;  // a hang-up that nohup has the program ignore
    };
    for (const Case c :
         {Case{SIGKILL, false, false}, Case{SIGHUP, true, false}, Case{SIGHUP, false, true}}) {
        SCOPED_TRACE(std::to_string(c.signal) + (c.append ? " append" : " replace"));
        fs::remove_all(Out(""));
        MakeFolder(Out(""));
        ASSERT_TRUE(WriteFileText(Out("run.log"), old));
        box.WriteSettings({"LogMakeLog=1", "LogPath=" + Out("run.log"),
                           "LogAppend=" + std::to_string(c.append), "LogHeader=1", "LogInputName=1",
                           "LogInputDims=1", "LogOutName=1", "LogOutputDims=1", "HTMLLog=1",
                           "HTMLMakeIndex=1"});
        RunLimits limits;
        limits.hangUpIgnored = c.ignored;
        const pid_t pid = box.Start(numbered, limits);
        while (CountFiles(Out(""), ".jpg") < 3 && waitpid(pid, nullptr, WNOHANG) == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        kill(pid, c.signal);
        const RunResult r = box.Wait(pid, limits);
        EXPECT_EQ(r.status, c.ignored ? 0 : 128 + c.signal);

        // The log holds every finished file's lines, whole and in order,
        // after the old log (appended) or in its place.
        const std::string log = ReadFileText(Out("run.log"));
        EXPECT_EQ(log.rfind((c.append ? old : "") + "Vignettor Log\n", 0), 0u);
        const std::vector<std::string> lines = FileLines(log);
        ASSERT_EQ(lines.size() % 2, 0u);
        const int made = CountFiles(Out(""), ".jpg");
        const int entries = static_cast<int>(lines.size() / 2);
        if (c.signal == SIGKILL)
            EXPECT_TRUE(made == entries || made == entries + 1) << made << " " << entries;
        else
            EXPECT_EQ(entries, made);
        EXPECT_EQ(made == 31, c.ignored);
        for (int i = 0; i < entries; ++i) {
            const std::string& output = lines[2 * i + 1];
            EXPECT_EQ(lines[2 * i].substr(lines[2 * i].size() - 16), "  ( 1200 x 900 )");
            const size_t end = output.find("  ( 100 x 75 )");
            ASSERT_NE(end, std::string::npos) << output;
            EXPECT_GT(fs::file_size(output.substr(10, end - 10)), 0u) << output;
        }
        for (const auto& e : fs::directory_iterator(Out(""))) {
            if (e.path().extension() == ".jpg") {
                EXPECT_GT(e.file_size(), 0u) << e.path();
            } else if (e.path().extension() == ".htm") {
                // Pages and index may be missing, never cut short.
                EXPECT_TRUE(PageComplete(e.path())) << e.path();
            }
        }
        EXPECT_EQ(FileExists(Out("index.htm")), c.signal != SIGKILL);

        // Left-over temporaries of dead runs go with the next run, one that a
        // run holds (on another machine, say) stays.
        const std::string leftOver =
            Out(".vig-" + std::to_string(EndedProcess()) + "-0badf00d.tmp");
        const std::string held = Out(".vig-" + std::to_string(EndedProcess()) + "-0000beef.tmp");
        ASSERT_TRUE(WriteFileText(leftOver, "a thumbnail"));
        ASSERT_TRUE(WriteFileText(held, "a thumbnail"));
        const int holder = open(held.c_str(), O_RDWR);
        ASSERT_EQ(flock(holder, LOCK_EX), 0);
        const RunResult next = RunBounded(numbered);
        close(holder);
        EXPECT_EQ(next.status, 0) << next.err;
        EXPECT_FALSE(FileExists(leftOver));
        EXPECT_TRUE(FileExists(held));
        fs::remove(held);
        int temporaries = 0;
        for (const auto& e : fs::directory_iterator(Out(""))) {
            temporaries += e.path().filename().string().rfind(".vig-", 0) == 0;
            if (e.path().extension() == ".jpg") {
                EXPECT_GT(e.file_size(), 0u) << e.path();
            }
        }
        EXPECT_EQ(temporaries, 0);
        EXPECT_EQ(CountFiles(Out(""), ".jpg"), made + 31);
        // The next run reads the files in the same order.
        const std::vector<std::string> all = FileLines(ReadFileText(Out("run.log")));
        ASSERT_EQ(all.size(), (c.append ? lines.size() : 0) + 62);
        const auto nextRun = all.end() - 62;
        for (int i = 0; i < entries; ++i) EXPECT_EQ(nextRun[2 * i], lines[2 * i]);
    }
}

TEST_F(Hostile, AFullDiskCutsTheLogBackToWholeLinesAndSaysSo) {
    for (int i = 0; i < 12; ++i) WriteBmp(Numbered(In(""), "c", i, ".bmp"), 16, 16);
    const std::string old(1000, 'o');
    ASSERT_TRUE(WriteFileText(Out("run.log"), old));
    box.WriteSettings({"LogMakeLog=1", "LogPath=" + Out("run.log"), "LogAppend=1", "LogInputName=1",
                       "LogInputDims=1", "LogOutName=1", "LogOutputDims=1"});
    RunLimits fullDisk;
    fullDisk.maxFileBytes = 1000 + 600;  // room for the lines of a few files
    const RunResult r = RunBounded(Dir(), fullDisk);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Processed 14 of 14 files\n");
    const std::string report =
        "Error : Unable to write file\nFile : " + Out("run.log") + "\nContext : Write batch log";
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 4) << r.err;
    EXPECT_TRUE(Contains(r.err, report)) << r.err;
    const std::string log = ReadFileText(Out("run.log"));
    EXPECT_EQ(log.substr(0, 1000), old);
    EXPECT_EQ(log.back(), '\n');
    const std::vector<std::string> lines = FileLines(log.substr(1000));
    EXPECT_GT(lines.size(), 2u) << "the lines of the files before the disk filled up";
    EXPECT_LT(lines.size(), 28u);
    EXPECT_EQ(lines.size() % 2, 0u);
    size_t size = 1000;
    for (const std::string& line : lines) size += line.size() + 1;
    EXPECT_EQ(log.size(), size) << "nothing but whole lines";
}

TEST_F(Hostile, SettingsFileIsLeftAsItWas) {
    const std::string settings =
        "; kept by hand\n[vignettor]\nVignettorApp=" + std::string(VIG_PROGRAM) +
        "\nOutputExtraText=caf\xe9\n";
    fs::create_directories(box.ConfigHome() + "/Ostrel Software");
    ASSERT_TRUE(WriteFileText(box.ConfigFile(), settings));
    for (const Args& args : {Dir(), Args{"/h", "/d"}, Args{"/h", "/f", In("a.bmp"), Out("x.jpg")}})
        RunBounded(args);
    EXPECT_EQ(ReadFileText(box.ConfigFile()), settings);
}

TEST_F(Hostile, RecursiveRunsLeaveTheirOwnOutputFoldersOut) {
    box.WriteSettings({"OutputRecurseSrc=1", "OutputCreateFolder=1"});
    const Args below{"/h", "/d", In(""), In("thumbs")};
    RunBounded(below);
    RunBounded(below);
    EXPECT_EQ(CountFiles(In("thumbs"), ".jpg"), 2);
    EXPECT_FALSE(fs::exists(In("thumbs/thumbs")));
    // Branch folders likewise.
    fs::remove_all(In("thumbs"));
    box.WriteSettings({"OutputRecurseSrc=1", "OutputBranchFromSrc=1", "OutputBranchPath=Thumb"});
    RunBounded(Dir());
    const RunResult r = RunBounded(Dir());
    EXPECT_EQ(r.out, "Processed 2 of 2 files\n");
    EXPECT_EQ(CountFiles(In("Thumb"), ".jpg"), 2);
}

TEST_F(Hostile, RelativeFoldersKeepTheirLinks) {
    box.WriteSettings({"HTMLLog=1", "HTMLMakeSrcLink=1"});
    const RunResult r = RunBounded({"/h", "/d", "in", "out"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(Contains(ReadFileText(Out("Thumbs0.htm")), "<a href=\"../in/a.bmp\">"));
}

TEST_F(Hostile, FilesDeeperThanThePathLimitAreReported) {
    // Folders made one step at a time, each name as long as names go.
    int fd = open(In("").c_str(), O_RDONLY | O_DIRECTORY);
    std::string deep = In("");
    const std::string name(250, 'd');
    for (int i = 0; i < 20 && fd >= 0; ++i, deep += "/" + name) {
        mkdirat(fd, name.c_str(), 0777);
        const int inner = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
        close(fd);
        fd = inner;
    }
    ASSERT_GE(fd, 0);
    const std::string bmp = ReadFileText(In("a.bmp"));
    const int file = openat(fd, "deep.bmp", O_WRONLY | O_CREAT, 0644);
    ASSERT_EQ(write(file, bmp.data(), bmp.size()), static_cast<ssize_t>(bmp.size()));
    close(file);
    close(fd);
    box.WriteSettings({"OutputRecurseSrc=1"});
    const RunResult r = RunBounded(Dir());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Processed 3 of 3 files\n");
    EXPECT_TRUE(Contains(r.err, "File : " + deep + "/deep.bmp\nContext : File Process"));
}

TEST_F(Hostile, EmptyFoldersAreUsageErrorsAndUnknownArgumentsAreNamed) {
    for (const Args& args : {Args{"/h", "/d", In(""), ""}, Args{"/h", "/d", "", Out("")},
                             Args{"/h", "/f", In("a.bmp"), ""}})
        EXPECT_EQ(RunBounded(args).status, 2);
    EXPECT_EQ(fs::directory_iterator(Out("")), fs::directory_iterator());
    const RunResult r = RunBounded(Dir({"/q", "1000", "/s120", "/s", "9", "9", "/s", "8", "8"}));
    EXPECT_EQ(r.status, 0);
    std::string expected;
    for (const char* arg : {"/q", "1000", "/s120", "/s", "8", "8"})
        expected += "vignettor: warning: ignoring argument \"" + std::string(arg) + "\"\n";
    EXPECT_EQ(r.err, expected);
    EXPECT_EQ(ImageSize(Out("a.jpg")), std::make_pair(9, 4));
}

}  // namespace
}  // namespace vig::test
