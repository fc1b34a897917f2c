#include "platform/files.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>

#include "support/temp_dir.h"

namespace vig::platform {
namespace {

using test::ReadFileText;
using test::TempDir;

size_t Entries(const std::string& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

// A pending file has no name in its folder until it is complete, so a run
// killed in the middle of a write leaves nothing behind.
TEST(PendingFile, HasNoNameUntilCommittedAndNoneAfterAKill) {
    TempDir dir;
    const std::string target = dir / "page.htm";
    {
        PendingFile file;
        ASSERT_TRUE(file.Begin(target));
        std::fputs("draft", file.stream());
        std::fflush(file.stream());
        EXPECT_EQ(Entries(dir.path()), 0u);
    }
    EXPECT_EQ(Entries(dir.path()), 0u) << "abandoned";

    const pid_t child = fork();
    if (child == 0) {
        PendingFile file;
        if (file.Begin(target)) std::fputs("half", file.stream());
        kill(getpid(), SIGKILL);
    }
    waitpid(child, nullptr, 0);
    EXPECT_EQ(Entries(dir.path()), 0u) << "killed";

    PendingFile file;
    ASSERT_TRUE(file.Begin(target));
    std::fputs("done", file.stream());
    EXPECT_EQ(file.Commit(), PendingFile::Result::Done);
    EXPECT_EQ(ReadFileText(target), "done");
    EXPECT_EQ(Entries(dir.path()), 1u);
}

// A link is replaced (its target stays as it was); a pipe is never.
TEST(PendingFile, ReplacesFilesAndLinksButNoSpecialFile) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "outside", "secret"));
    ASSERT_EQ(symlink((dir / "outside").c_str(), (dir / "link").c_str()), 0);
    ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
    for (const char* name : {"link", "pipe"}) {
        PendingFile file;
        ASSERT_TRUE(file.Begin(dir / name));
        std::fputs("new", file.stream());
        EXPECT_EQ(file.Commit(), std::string(name) == "pipe" ? PendingFile::Result::NotReplaceable
                                                           : PendingFile::Result::Done);
    }
    EXPECT_EQ(ReadFileText(dir / "outside"), "secret");
    EXPECT_EQ(ReadFileText(dir / "link"), "new");
    struct stat st {};
    EXPECT_TRUE(lstat((dir / "pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    EXPECT_EQ(Entries(dir.path()), 3u);
}

// A numbered name is given only to a complete file and never taken from
// what holds it already: a file, a link (even a dangling one), a folder.
TEST(PendingFile, ANewNameThatExistsIsLeftAsItWasAndTheFileWaitsForAnother) {
    TempDir dir;
    ASSERT_TRUE(test::WriteFileText(dir / "p1.jpg", "somebody's"));
    ASSERT_EQ(symlink((dir / "nowhere").c_str(), (dir / "p2.jpg").c_str()), 0);
    ASSERT_EQ(mkdir((dir / "p3.jpg").c_str(), 0777), 0);
    PendingFile file;
    ASSERT_TRUE(file.Begin(dir / "p1.jpg"));
    std::fputs("thumbnail", file.stream());
    for (const char* name : {"p1.jpg", "p2.jpg", "p3.jpg"})
        EXPECT_EQ(file.CommitNew(dir / name), PendingFile::Result::Taken) << name;
    EXPECT_EQ(file.CommitNew(dir / "p4.jpg"), PendingFile::Result::Done);
    EXPECT_EQ(ReadFileText(dir / "p1.jpg"), "somebody's");
    EXPECT_FALSE(std::filesystem::exists(dir / "nowhere"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "p3.jpg"));
    EXPECT_EQ(ReadFileText(dir / "p4.jpg"), "thumbnail");
    EXPECT_EQ(Entries(dir.path()), 4u);
}

// Hidden temporaries that no run holds are left-overs of killed runs: the
// first file a process begins in a folder removes them, whatever process
// has their number now. Held ones, empty ones younger than a minute (a run
// may not hold them yet) and other names stay.
TEST(PendingFile, LeftOverTemporariesGoAndHeldOnesStay) {
    TempDir dir;
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string dead = std::to_string(ended), alive = std::to_string(getpid());
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    const struct {
        std::string name;
        const char* text;
        bool held;
        int64_t age;
        bool goes;
    } rows[] = {
        {".vig-" + dead + "-0badf00d.tmp", "thumbnail", false, 0, true},
        {".vig-" + alive + "-0000abcd.tmp", "thumbnail", false, 0, true},  // a number reused
        {".vig-" + dead + "-00000001.tmp", "", false, 120, true},
        {".vig-" + dead + "-00000002.tmp", "", false, 0, false},
        {".vig-" + dead + "-00000003.tmp", "thumbnail", true, 3600, false},
        {".vig-" + alive + "-00000004.tmp", "", true, 3600, false},
        {".vig-" + dead + "-00000005.tmp.bak", "thumbnail", false, 3600, false},
        {".vig-" + dead + "-0000005.tmp", "thumbnail", false, 3600, false},
        {"vig-" + dead + "-00000006.tmp", "thumbnail", false, 3600, false},
        {".vig-x-00000007.tmp", "thumbnail", false, 3600, false},
    };
    std::vector<int> holders;
    for (const auto& row : rows) {
        const std::string path = dir / row.name;
        ASSERT_TRUE(test::WriteFileText(path, row.text));
        const timespec times[2] = {{now - row.age, 0}, {now - row.age, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        if (row.held) {
            holders.push_back(open(path.c_str(), O_RDWR));
            ASSERT_EQ(flock(holders.back(), LOCK_EX), 0);
        }
    }
    // Neither a link nor a folder of such a name is touched.
    const std::string link = dir / (".vig-" + dead + "-00000008.tmp");
    const std::string folder = dir / (".vig-" + dead + "-00000009.tmp");
    ASSERT_EQ(symlink((dir / rows[4].name).c_str(), link.c_str()), 0);
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);

    PendingFile file;
    ASSERT_TRUE(file.Begin(dir / "page.htm"));
    for (const auto& row : rows)
        EXPECT_EQ(std::filesystem::exists(dir / row.name), !row.goes) << row.name;
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    for (const int fd : holders) close(fd);
}

}  // namespace
}  // namespace vig::platform
