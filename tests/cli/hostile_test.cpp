// The program under hostile and unlucky conditions: special files where its
// outputs go, two runs into one folder, inputs named like its documents, a
// full disk, signals, a settings file it must not rewrite, folders deeper
// than the system's path limit.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
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
    CPxImage photo;
    ASSERT_EQ(photo.Load(box.dir() / "photo.bmp"), ErrNone);
    ASSERT_EQ(photo.Save(In("p.jpg"), FormatJpg), ErrNone);
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
