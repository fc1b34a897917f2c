// The command from end to end, in processes as the desktop runs it: a menu
// entry starts the launcher with the selected files, the launcher loads the
// library, the quick dialog is answered by a preloaded test seam, and the
// program makes the thumbnails under the busy window (offscreen Qt).
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/engine_test_util.h"
#include "platform/files.h"
#include "support/temp_dir.h"

extern char** environ;

namespace vig::test {
namespace {

namespace fs = std::filesystem;

class Desktop {
public:
    Desktop() {
        fs::create_directories(dir_ / "config/Ostrel Software");
        fs::create_directories(dir_ / "photos");
        fs::create_directories(dir_ / "thumbs out");
    }
    std::string operator/(const std::string& name) const { return dir_ / name; }

    void WriteSettings(const std::vector<std::string>& lines) const {
        std::string text = "[vignettor]\n";
        for (const auto& l : lines) text += l + "\n";
        ASSERT_TRUE(WriteFileText(SettingsFile(), text));
    }
    std::string SettingsFile() const { return dir_ / "config/Ostrel Software/vignettor.conf"; }
    std::string SeamLog() const { return ReadFileText(dir_ / "seam.log"); }

    // Runs argv in folder cwd with this desktop's environment and the seam
    // preloaded; the exit status (-1 when it had to be stopped).
    int Run(const std::vector<std::string>& args, const std::string& cwd,
            const std::vector<std::string>& extraEnv = {}) const {
        return Wait(Start(args, cwd, extraEnv), args[0]);
    }

    // The same in two steps: the process started (its id, -1 when it could
    // not be), then waited for.
    pid_t Start(const std::vector<std::string>& args, const std::string& cwd,
                const std::vector<std::string>& extraEnv = {}) const {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string s = *e;
            const std::string name = s.substr(0, s.find('='));
            if (name != "HOME" && name.rfind("XDG_", 0) != 0 && name != "QT_QPA_PLATFORM" &&
                name != "LD_PRELOAD" && name.rfind("VIGTEST_", 0) != 0 && name != "ASAN_OPTIONS")
                env.push_back(s);
        }
        for (const std::string& e :
             {"HOME=" + dir_.path(), "XDG_CONFIG_HOME=" + (dir_ / "config"),
              "XDG_DATA_HOME=" + (dir_ / "data"), "XDG_CONFIG_DIRS=" + (dir_ / "xdg"),
              "XDG_RUNTIME_DIR=" + dir_.path(), std::string("QT_QPA_PLATFORM=offscreen"),
              std::string("LD_PRELOAD=") + VIGTEST_SEAM, "VIGTEST_SEAM_LOG=" + (dir_ / "seam.log"),
              std::string("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0")})
            env.push_back(e);
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());

        std::vector<char*> argv, envp;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
        pid_t pid = 0;
        const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        return rc != 0 ? -1 : pid;
    }

    int Wait(pid_t pid, const std::string& name) const {
        if (pid < 0) return -1;
        int status = 0;
        for (int waited = 0; waitpid(pid, &status, WNOHANG) == 0; waited += 20) {
            if (waited > 60000) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                ADD_FAILURE() << name << " did not end";
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    TempDir dir_;
};

std::vector<std::string> Files(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(SnapshrinkRun, AMenuEntryMakesOneThumbnailPerImageWhateverTheNames) {
    Desktop desk;
    ASSERT_EQ(desk.Run({VIGSHELL_LAUNCHER, "--register"}, desk / ""), 0);
    desk.WriteSettings({"MainDestPath=" + (desk / "thumbs out"), "MainWidth=40", "MainHeight=30",
                        "MainOutputFormat=4"});
    const std::vector<std::string> images = {"a b.bmp", "it's.bmp", "plain.BMP"};
    for (const auto& name : images) ASSERT_TRUE(WriteBmp(desk / ("photos/" + name), 80, 60));
    WriteFileText(desk / "photos/notes.txt", "no image");

    // Nautilus runs its script in the folder with the names as arguments.
    std::vector<std::string> args = {desk / "data/nautilus/scripts/Snapshrink..."};
    args.insert(args.end(), images.begin(), images.end());
    args.push_back("notes.txt");
    ASSERT_EQ(desk.Run(args, desk / "photos"), 0);

    EXPECT_EQ(desk.SeamLog(), "dialog\n");
    EXPECT_EQ(Files(desk / "thumbs out"),
              (std::vector<std::string>{"a b.jpg", "it's.jpg", "plain.jpg"}));
    for (const auto& name : Files(desk / "thumbs out"))
        EXPECT_EQ(ImageSize(desk / ("thumbs out/" + name)), std::make_pair(40, 30)) << name;
    EXPECT_EQ(Files(desk / "photos").size(), 4u);
}

TEST(SnapshrinkRun, CancelDuringTheThirdOfTenFilesEndsAfterIt) {
    Desktop desk;
    // A stand-in for the program: notes its input, takes a while, copies.
    const std::string program = desk / "fake vignettor";
    ASSERT_TRUE(WriteFileText(program,
                              "#!/bin/sh\necho \"$3\" >> \"$VIGTEST_RUN_LOG\"\nsleep 0.4\n"
                              "cp \"$3\" \"$4\"\n"));
    chmod(program.c_str(), 0755);
    desk.WriteSettings({"VignettorApp=" + program, "MainDestPath=" + (desk / "thumbs out")});
    const std::string settings = ReadFileText(desk.SettingsFile());
    std::vector<std::string> args = {VIGSHELL_LAUNCHER};
    for (int i = 1; i <= 10; ++i) {
        const std::string name = desk / ("photos/" + std::to_string(100 + i) + ".png");
        WriteFileText(name, "x");
        args.push_back(name);
    }
    ASSERT_EQ(desk.Run(args, desk / "",
                       {"VIGTEST_CANCEL_AT=3", "VIGTEST_RUN_LOG=" + (desk / "runs.log")}),
              0);
    EXPECT_EQ(desk.SeamLog(),
              "dialog\ncancelled during: Processing file 3 of 10; waiting shown: yes; "
              "cancel enabled: no\n");
    EXPECT_EQ(
        ReadFileText(desk / "runs.log"),
        (desk / "photos/101.png\n") + (desk / "photos/102.png\n") + (desk / "photos/103.png\n"));
    EXPECT_EQ(Files(desk / "thumbs out"),
              (std::vector<std::string>{"101.jpg", "102.jpg", "103.jpg"}));
    EXPECT_EQ(ReadFileText(desk.SettingsFile()), settings);  // nothing stored
}

TEST(SnapshrinkRun, NothingRunsWithoutAnImageOrWithoutTheProgram) {
    Desktop desk;
    WriteFileText(desk / "photos/a.txt", "text");
    WriteFileText(desk / "photos/b.jpeg", "jpeg");
    EXPECT_EQ(desk.Run({VIGSHELL_LAUNCHER, "a.txt", "b.jpeg"}, desk / "photos"), 0);
    EXPECT_EQ(desk.SeamLog(), "");

    // A launcher and library with no program beside them and none stored.
    fs::create_directories(desk / "alone");
    fs::copy_file(VIGSHELL_LAUNCHER, desk / "alone/vigshell");
    fs::copy_file(VIGSHELL_LIBRARY, desk / "alone/libvigshell.so");
    WriteFileText(desk / "photos/c.jpg", "jpeg");
    EXPECT_EQ(desk.Run({desk / "alone/vigshell", "c.jpg"}, desk / "photos"), 0);
    EXPECT_EQ(desk.SeamLog(),
              "message: Unable to find Vignettor\nPlease run the main Vignettor program.\n");
    EXPECT_EQ(Files(desk / "thumbs out").size(), 0u);
}

// The launcher's options end at "--" or at the first file, so a file named
// like an option stays a file; relative names are taken in the launcher's
// current folder, wherever the launcher itself lies.
TEST(SnapshrinkRun, FileNamesNeverActAsOptions) {
    const struct {
        std::vector<std::string> args;  // after the launcher or script
        bool script;                    // through Nautilus's script, else the launcher
        int status;
        std::vector<std::string> thumbnails;
    } rows[] = {
        {{"--unregister"}, true, 0, {}},
        {{"--register"}, true, 0, {}},
        {{"--", "--unregister"}, false, 0, {}},
        {{"-a.bmp", "--unregister", "b c.bmp"}, true, 0, {"-a.jpg", "b c.jpg"}},
        {{"-a.bmp", "sub/-d.bmp"}, true, 0, {"-a.jpg", "-d.jpg"}},
        {{"--", "-a.bmp", "sub/-d.bmp", "../photos/b c.bmp"},
         false,
         0,
         {"-a.jpg", "-d.jpg", "b c.jpg"}},
        {{"b c.bmp", "--unregister"}, false, 0, {"b c.jpg"}},
        {{"--bogus", "b c.bmp"}, false, 2, {}},
        {{"--register", "b c.bmp"}, false, 2, {}},
        {{"--"}, false, 2, {}},
    };
    for (const auto& r : rows) {
        Desktop desk;
        ASSERT_EQ(desk.Run({VIGSHELL_LAUNCHER, "--register"}, desk / ""), 0);
        const std::string script = desk / "data/nautilus/scripts/Snapshrink...";
        const std::string entry = desk / "data/nemo/actions/vignettor-snapshrink.nemo_action";
        // The launcher's own registration would not be told from none: the
        // Nemo entry is taken away, and must neither come back nor the
        // others go.
        fs::remove(entry);
        desk.WriteSettings({"MainDestPath=" + (desk / "thumbs out"), "MainWidth=40",
                            "MainHeight=30", "MainOutputFormat=4"});
        fs::create_directories(desk / "photos/sub");
        for (const char* name : {"--unregister", "--register", "--bogus"})
            WriteFileText(desk / ("photos/" + std::string(name)), "not an image");
        for (const char* name : {"-a.bmp", "b c.bmp", "sub/-d.bmp"})
            ASSERT_TRUE(WriteBmp(desk / ("photos/" + std::string(name)), 80, 60));

        std::vector<std::string> args = {r.script ? script : VIGSHELL_LAUNCHER};
        args.insert(args.end(), r.args.begin(), r.args.end());
        EXPECT_EQ(desk.Run(args, desk / "photos"), r.status) << args[1];
        EXPECT_EQ(Files(desk / "thumbs out"), r.thumbnails) << args[1];
        EXPECT_TRUE(fs::exists(script)) << args[1];
        EXPECT_FALSE(fs::exists(entry)) << args[1];
    }
}

// "vigshell --unregister" takes every entry away with the registration
// deleted or damaged.
TEST(SnapshrinkRun, TheLauncherUnregistersWhateverTheStoreHolds) {
    for (const char* damage : {"", "[damaged\n", "@=\"a value of no key\"\n"}) {
        Desktop desk;
        ASSERT_EQ(desk.Run({VIGSHELL_LAUNCHER, "--register"}, desk / ""), 0);
        const std::string store = desk / "config/Ostrel Software/vigshell-registry.conf";
        if (*damage == '\0')
            fs::remove(store);
        else
            WriteFileText(store, damage + ReadFileText(store));
        EXPECT_EQ(desk.Run({VIGSHELL_LAUNCHER, "--unregister"}, desk / ""), 0) << damage;
        for (const char* entry : {"data/kio/servicemenus/vignettor-snapshrink.desktop",
                                  "data/nautilus/scripts/Snapshrink...",
                                  "data/nemo/actions/vignettor-snapshrink.nemo_action",
                                  "config/caja/scripts/Snapshrink..."})
            EXPECT_FALSE(fs::exists(desk / entry)) << damage << entry;
        EXPECT_EQ(ReadFileText(desk / "config/Thunar/uca.xml").find("vignettor-snapshrink"),
                  std::string::npos);
    }
}

// Runs of the command into one folder with numbered names take turns, so
// that no run takes a name another is writing; nothing is left under a
// thumbnail's name by a run that did not finish.
TEST(SnapshrinkRun, NumberedNamesOfCommandsAtOnceNeverMeet) {
    Desktop desk;
    desk.WriteSettings({"MainDestPath=" + (desk / "thumbs out"), "MainWidth=40", "MainHeight=30",
                        "MainOutputFormat=4", "OutputRenameStyle=3"});
    std::vector<std::string> args = {VIGSHELL_LAUNCHER, "--"};
    for (int i = 0; i < 20; ++i) {
        const std::string name = std::string("photo ") + static_cast<char>('a' + i) + ".bmp";
        ASSERT_TRUE(WriteBmp(desk / ("photos/" + name), 80, 60));
        args.push_back(name);
    }
    const pid_t first = desk.Start(args, desk / "photos");
    const pid_t second = desk.Start(args, desk / "photos");
    EXPECT_EQ(desk.Wait(first, "the first command"), 0);
    EXPECT_EQ(desk.Wait(second, "the second command"), 0);
    const std::vector<std::string> made = Files(desk / "thumbs out");
    EXPECT_EQ(made.size(), 40u);
    for (const auto& name : made)
        EXPECT_EQ(ImageSize(desk / ("thumbs out/" + name)), std::make_pair(40, 30)) << name;
}

TEST(SnapshrinkRun, AFolderLockedByAnotherRunIsWaitedForAndCancelEndsTheWait) {
    Desktop desk;
    // A stand-in for the program: copies, or dies before it has written
    // anything.
    const std::string program = desk / "fake vignettor";
    // Or says it has started and takes a second.
    ASSERT_TRUE(WriteFileText(program,
                              "#!/bin/sh\n[ -z \"$VIGTEST_DIE\" ] || kill -9 $$\n"
                              "[ -z \"$VIGTEST_SLOW\" ] || { : > \"$VIGTEST_SLOW\"; "
                              "sleep 1; }\ncp \"$3\" \"$4\"\n"));
    chmod(program.c_str(), 0755);
    desk.WriteSettings({"VignettorApp=" + program, "MainDestPath=" + (desk / "thumbs out"),
                        "OutputRenameStyle=3"});
    WriteFileText(desk / "photos/a.png", "x");
    WriteFileText(desk / "photos/b.png", "x");
    const std::vector<std::string> args = {VIGSHELL_LAUNCHER, desk / "photos/a.png",
                                           desk / "photos/b.png"};
    {
        // A batch run holds the folder: the command waits, and is cancelled.
        platform::FolderLock lock;
        ASSERT_EQ(lock.TryLock(desk / "thumbs out"), platform::FolderLock::Result::Locked);
        EXPECT_EQ(desk.Run(args, desk / "", {"VIGTEST_CANCEL_AT=1"}), 0);
        EXPECT_EQ(desk.SeamLog(),
                  "dialog\ncancelled during: Processing file 1 of 2; waiting shown: yes; "
                  "cancel enabled: no\n");
        EXPECT_EQ(Files(desk / "thumbs out").size(), 0u);
    }
    // Runs killed before they wrote leave no name taken.
    EXPECT_EQ(desk.Run(args, desk / "", {"VIGTEST_DIE=1"}), 0);
    EXPECT_EQ(Files(desk / "thumbs out").size(), 0u);
    // The folder free, both are made.
    EXPECT_EQ(desk.Run(args, desk / ""), 0);
    EXPECT_EQ(Files(desk / "thumbs out"), (std::vector<std::string>{"a.jpg", "b.jpg"}));

    // A command ended while its program runs: the program keeps the
    // folder, and the next command waits for it and takes the next name.
    const std::string started = desk / "started";
    const pid_t ended = desk.Start({VIGSHELL_LAUNCHER, desk / "photos/a.png"}, desk / "",
                                   {"VIGTEST_SLOW=" + started});
    for (int waited = 0; !fs::exists(started) && waited < 10000; waited += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(started));
    kill(ended, SIGKILL);
    desk.Wait(ended, "the command ended");
    EXPECT_EQ(desk.Run({VIGSHELL_LAUNCHER, desk / "photos/a.png"}, desk / ""), 0);
    EXPECT_EQ(Files(desk / "thumbs out"),
              (std::vector<std::string>{"a.jpg", "a1.jpg", "a2.jpg", "b.jpg"}));
}

}  // namespace
}  // namespace vig::test
