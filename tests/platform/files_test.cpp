#include "platform/files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace
}  // namespace vig::platform
