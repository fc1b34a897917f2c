// Registration through the library's exports into a temporary home: the
// rows of the registration store and the menu entries of the file managers.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "menu_readers.h"
#include "shell_test_util.h"
#include "shellext/shared/registry_file.h"
#include "shellext/shared/shell_texts.h"

extern char** environ;

namespace vig::shell {
namespace {

using test::Library;
using test::ReadFileText;
using test::TempHome;
using test::WriteFileText;

const std::string kId = "{6F1D3C52-8B27-4E9A-A41F-3D95C27B60E8}";
const std::string kHandler = "*/shellex/ContextMenuHandlers/Vignettor";

struct Entry {
    std::string path;  // below the temporary home
    unsigned mode;
};
const Entry kEntries[] = {
    {"data/kio/servicemenus/vignettor-snapshrink.desktop", 0755},
    {"data/nautilus/scripts/Snapshrink...", 0755},
    {"data/nemo/actions/vignettor-snapshrink.nemo_action", 0644},
    {"config/caja/scripts/Snapshrink...", 0755},
};

std::string Launcher() {
    return std::filesystem::path(VIGSHELL_LIBRARY).parent_path().string() + "/vigshell";
}

unsigned Mode(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 ? st.st_mode & 0777u : 0u;
}

std::string Value(const std::string& key, const std::string& name) {
    RegistryFile store;
    std::string data = "<missing>";
    EXPECT_TRUE(store.Load());
    store.GetValue(key, name, &data);
    return data;
}

// A file of custom actions with two actions of the user, laid out as
// Thunar writes it.
const char kUserActions[] =
    "<?xml encoding=\"UTF-8\" version=\"1.0\"?>\n<actions>\n<action>\n"
    "\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1600000000000000-1</unique-id>\n\t<command>exo-open --working-directory %f"
    "</command>\n\t<description>Example &amp; more</description>\n\t<patterns>*</patterns>\n"
    "\t<startup-notify/>\n\t<directories/>\n</action>\n<action>\n\t<icon></icon>\n"
    "\t<name>Mine</name>\n\t<unique-id>1600000000000000-2</unique-id>\n"
    "\t<command>echo %F</command>\n\t<description></description>\n"
    "\t<patterns>*.txt</patterns>\n\t<text-files/>\n</action>\n</actions>\n";

TEST(Registration, WritesTheRowsAndTheMenuEntriesAndRemovesThemAgain) {
    TempHome home;
    ASSERT_EQ(Library().registerServer(), S_OK);
    EXPECT_EQ(RegistryFile::DefaultPath(), home / "config/Ostrel Software/vigshell-registry.conf");
    EXPECT_EQ(Value("CLSID/" + kId, ""), "Vignettor");
    EXPECT_EQ(Value("CLSID/" + kId + "/InProcServer32", ""), VIGSHELL_LIBRARY);
    EXPECT_EQ(Value("CLSID/" + kId + "/InProcServer32", "ThreadingModel"), "Apartment");
    EXPECT_EQ(Value(kHandler, ""), kId);

    for (const Entry& e : kEntries) {
        const std::string text = ReadFileText(home / e.path);
        EXPECT_NE(text.find(Launcher()), std::string::npos) << e.path;
        EXPECT_EQ(Mode(home / e.path), e.mode) << e.path;
    }
    const std::string dolphin = ReadFileText(home / kEntries[0].path);
    EXPECT_NE(
        dolphin.find("Name=Snapshrink...\nIcon=vignettor\nExec=\"" + Launcher() + "\" -- %F\n"),
        std::string::npos);
    EXPECT_NE(dolphin.find("\nX-KDE-Priority=TopLevel\n"), std::string::npos)
        << "at the top level of the menu, not under Actions";
    EXPECT_NE(dolphin.find("Comment=Create image thumbnail using Vignettor\n"), std::string::npos);
    const std::string nemo = ReadFileText(home / kEntries[2].path);
    EXPECT_NE(nemo.find("Exec='" + Launcher() + "' -- %F\n"), std::string::npos);
    EXPECT_NE(nemo.find("\nIcon-Name=vignettor\n"), std::string::npos);
    EXPECT_NE(nemo.find("Extensions=jpg;bmp;png;gif;tif;pcx;heic;heif;hif;avif;webp;\n"),
              std::string::npos);
    EXPECT_NE(dolphin.find("MimeType=image/jpeg;image/bmp;image/png;image/gif;image/tiff;"
                           "image/vnd.zbrush.pcx;image/x-pcx;image/heic;image/heif;image/avif;"
                           "image/webp;\n"),
              std::string::npos);
    const std::string script = ReadFileText(home / kEntries[1].path);
    EXPECT_EQ(script.rfind("#!/bin/sh\n# Vignettor context-menu entry\n", 0), 0u);
    EXPECT_NE(script.find("exec '" + Launcher() + "' -- \"$@\""), std::string::npos);
    EXPECT_EQ(ReadFileText(home / kEntries[3].path), script) << "Caja's script is Nautilus's";
    const std::string thunar = ReadFileText(home / "config/Thunar/uca.xml");
    EXPECT_NE(thunar.find("<command>'" + Launcher() + "' -- %F</command>"), std::string::npos);
    EXPECT_NE(thunar.find("<icon>vignettor</icon>"), std::string::npos);
    EXPECT_NE(thunar.find("<patterns>*.jpg;*.Jpg;*.jPg;*.JPg;*.jpG;*.JpG;*.jPG;*.JPG;*.bmp;"),
              std::string::npos);
    // Every spelling of every extension: 2^length of each.
    const size_t open = thunar.find("<patterns>"), close = thunar.find("</patterns>");
    ASSERT_LT(open, close);
    const std::string patterns = thunar.substr(open + 10, close - open - 10);
    EXPECT_EQ(std::count(patterns.begin(), patterns.end(), ';') + 1, 6 * 8 + 4 * 16 + 8);
    for (const char* spelled : {"*.HeIc;", "*.heif;", "*.HIF;", "*.aViF;", "*.WebP;", "*.WEBP"})
        EXPECT_NE(patterns.find(spelled), std::string::npos) << spelled;

    ASSERT_EQ(Library().unregisterServer(), S_OK);
    for (const Entry& e : kEntries) EXPECT_FALSE(test::FileExists(home / e.path)) << e.path;
    EXPECT_EQ(ReadFileText(home / "config/Thunar/uca.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
    EXPECT_EQ(Value(kHandler, ""), "<missing>");
    EXPECT_EQ(Value("CLSID/" + kId, ""), "<missing>");
    // Nothing left to remove is no failure.
    EXPECT_EQ(Library().unregisterServer(), S_OK);
}

TEST(Registration, TheServiceMenuIsAValidDesktopEntry) {
    if (access("/usr/bin/desktop-file-validate", X_OK) != 0)
        GTEST_SKIP() << "desktop-file-validate is not installed";
    TempHome home;
    ASSERT_EQ(Library().registerServer(), S_OK);
    const std::string command =
        "/usr/bin/desktop-file-validate '" + (home / kEntries[0].path) + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    EXPECT_EQ(pclose(pipe), 0) << output;
    EXPECT_EQ(output, "");
}

TEST(Registration, LeavesTheUsersOtherThunarActionsAsTheyWere) {
    TempHome home;
    const std::string uca = home / "config/Thunar/uca.xml";
    std::filesystem::create_directories(home / "config/Thunar");
    ASSERT_TRUE(WriteFileText(uca, kUserActions));
    ASSERT_EQ(Library().registerServer(), S_OK);
    ASSERT_EQ(Library().registerServer(), S_OK);  // again: still one action of ours
    const std::string both = ReadFileText(uca);
    const std::string users(kUserActions);
    EXPECT_EQ(both.substr(0, users.size() - 11), users.substr(0, users.size() - 11));
    size_t ours = 0;
    for (size_t at = 0; (at = both.find("vignettor-snapshrink", at)) != std::string::npos; ++at)
        ++ours;
    EXPECT_EQ(ours, 1u);
    ASSERT_EQ(Library().unregisterServer(), S_OK);
    EXPECT_EQ(ReadFileText(uca), users);
}

// Whether anything of a registration is in the home: an entry file, our
// Thunar action, a row of the store.
std::string LeftOfRegistration(const TempHome& home) {
    std::string left;
    for (const Entry& e : kEntries) {
        const std::string text = ReadFileText(home / e.path);
        if (text.find("# Vignettor context-menu entry") != std::string::npos &&
            text.find(Launcher()) != std::string::npos)
            left += e.path + " ";
    }
    if (ReadFileText(home / "config/Thunar/uca.xml").find("vignettor-snapshrink") !=
        std::string::npos)
        left += "uca.xml ";
    RegistryFile store;
    std::string data;
    if (store.Load() && (store.GetValue(kHandler, "", &data) || store.HasKey("CLSID/" + kId)))
        left += "store ";
    return left;
}

TEST(Registration, IsMadeWholeOrNotAtAll) {
    const struct {
        const char* path;  // a file put there first
        const char* text;
        bool registeredBefore;
    } rows[] = {
        // Found before anything is written.
        {"config/Thunar/uca.xml", "<html><body>not actions</body></html>", false},
        {"config/Thunar/uca.xml", "<actions><action>", false},
        {"config/Thunar/uca.xml", "\x01\x02 binary", false},
        {"data/nautilus/scripts/Snapshrink...", "#!/bin/sh\necho the user's own\n", false},
        // Found only in writing: what was written is taken back.
        {"config/Ostrel Software", "a file where the store's folder belongs", false},
        {"config/Thunar", "a file where Thunar's folder belongs", false},
        {"data/nemo", "a file where Nemo's folder belongs", false},
        {"data/nemo", "a file where Nemo's folder belongs", true},
    };
    for (const auto& r : rows) {
        TempHome home;
        std::string earlier;
        if (r.registeredBefore) {
            ASSERT_EQ(Library().registerServer(), S_OK);
            // An earlier version's Dolphin entry, to be put back.
            earlier = "# Vignettor context-menu entry\n[Desktop Entry]\nName=an earlier one\n";
            ASSERT_TRUE(WriteFileText(home / kEntries[0].path, earlier));
            std::filesystem::remove_all(home / r.path);
        }
        std::filesystem::create_directories(std::filesystem::path(home / r.path).parent_path());
        ASSERT_TRUE(WriteFileText(home / r.path, r.text));
        EXPECT_EQ(Library().registerServer(), SELFREG_E_CLASS) << r.path;
        EXPECT_EQ(ReadFileText(home / r.path), r.text);
        if (r.registeredBefore) {
            EXPECT_EQ(ReadFileText(home / kEntries[0].path), earlier);
            EXPECT_EQ(Mode(home / kEntries[0].path), 0755u);
            EXPECT_EQ(Value(kHandler, ""), kId);
        } else {
            EXPECT_EQ(LeftOfRegistration(home), "") << r.path;
        }
    }
}

TEST(Registration, UnregisteringRemovesEverythingOfOursWhateverTheStoreSays) {
    const std::string store = "config/Ostrel Software/vigshell-registry.conf";
    const auto dropKey = [](const std::string& key) {
        RegistryFile f;
        ASSERT_TRUE(f.Load());
        ASSERT_TRUE(f.DeleteKey(key));
        ASSERT_TRUE(f.Save());
    };
    const struct {
        const char* damage;
        std::function<void(const TempHome&)> apply;
        bool warns;
    } rows[] = {
        {"store deleted", [&](const TempHome& h) { std::filesystem::remove(h / store); }, false},
        {"one bad line",
         [&](const TempHome& h) {
             std::string text = ReadFileText(h / store);
             text.insert(text.find("\n[") + 1, "this line is damaged\n");
             WriteFileText(h / store, text);
         },
         true},
        {"every line bad", [&](const TempHome& h) { WriteFileText(h / store, "\x01\x02\n[x\n"); },
         true},
        {"handler row gone", [&](const TempHome&) { dropKey(kHandler); }, false},
        {"server key gone", [&](const TempHome&) { dropKey("CLSID/" + kId + "/InProcServer32"); },
         false},
    };
    for (const auto& r : rows) {
        TempHome home;
        ASSERT_EQ(Library().registerServer(), S_OK);
        r.apply(home);
        testing::internal::CaptureStderr();
        EXPECT_EQ(Library().unregisterServer(), S_OK) << r.damage;
        const std::string warning = testing::internal::GetCapturedStderr();
        EXPECT_EQ(LeftOfRegistration(home), "") << r.damage;
        for (const Entry& e : kEntries) EXPECT_FALSE(test::FileExists(home / e.path)) << r.damage;
        EXPECT_EQ(warning.find(home / store) != std::string::npos, r.warns)
            << r.damage << ": " << warning;
        // The store left behind reads without a warning.
        RegistryFile after;
        ASSERT_TRUE(after.Load());
        EXPECT_TRUE(after.skippedLines().empty()) << r.damage;
    }
}

TEST(Registration, RegisteringRewritesADamagedStoreKeepingItsGoodRows) {
    TempHome home;
    const std::string store = home / "config/Ostrel Software/vigshell-registry.conf";
    std::filesystem::create_directories(home / "config/Ostrel Software");
    ASSERT_TRUE(WriteFileText(store,
                              "; Vignettor context-menu registration\n\n[Other/Key]\n"
                              "@=\"kept\"\ndamaged line\n[" +
                                  kHandler + "]\n@=\"{stale}\"\n"));
    testing::internal::CaptureStderr();
    ASSERT_EQ(Library().registerServer(), S_OK);
    const std::string warning = testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find(store), std::string::npos) << warning;
    EXPECT_NE(warning.find("line 5"), std::string::npos) << warning;
    EXPECT_EQ(Value("Other/Key", ""), "kept");
    EXPECT_EQ(Value(kHandler, ""), kId);
    EXPECT_EQ(ReadFileText(store).find("damaged"), std::string::npos);
}

// Thunar's file as Thunar reads it: whatever the user's file held (nothing,
// an empty list, our action twice), registering leaves exactly one action
// of ours beside the user's, and unregistering none.
TEST(Registration, ThunarReadsOneActionOfOursAfterRegisteringAndNoneAfter) {
    const std::string ours =
        "<action>\n\t<icon></icon>\n\t<name>Snapshrink...</name>\n"
        "\t<unique-id>vignettor-snapshrink</unique-id>\n"
        "\t<command>'/old/vigshell' %F</command>\n</action>\n";
    const std::string users(kUserActions);
    const std::string twice = users.substr(0, users.size() - 11) + ours +
                              "<action>\n\t<name>Mine too</name>\n\t<unique-id>3</unique-id>\n"
                              "\t<command>echo</command>\n</action>\n" +
                              ours + "</actions>\n";
    const struct {
        std::string before;
        std::vector<std::string> usersActions;
    } rows[] = {
        {"", {}},
        {"  \n\t\n", {}},
        {"<actions/>", {}},
        {"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions />\n", {}},
        {users, {"1600000000000000-1", "1600000000000000-2"}},
        {twice, {"1600000000000000-1", "1600000000000000-2", "3"}},
    };
    // Unregistering from the file as it is, registering into it, then
    // unregistering again.
    const struct {
        bool fromBefore, registering;
    } steps[] = {{true, false}, {true, true}, {false, false}};
    for (const auto& r : rows) {
        TempHome home;
        const std::string uca = home / "config/Thunar/uca.xml";
        std::filesystem::create_directories(home / "config/Thunar");
        for (const auto& step : steps) {
            if (step.fromBefore) ASSERT_TRUE(WriteFileText(uca, r.before));
            ASSERT_EQ(step.registering ? Library().registerServer() : Library().unregisterServer(),
                      S_OK)
                << r.before;
            const std::string text = ReadFileText(uca);
            // With nothing of ours in it, unregistering leaves the file alone.
            if (step.fromBefore && !step.registering &&
                r.before.find("vignettor-snapshrink") == std::string::npos) {
                EXPECT_EQ(text, r.before);
                continue;
            }
            std::vector<test::ThunarActionRead> actions;
            std::string error;
            bool glibMissing = false;
            const bool read = test::ReadThunarActions(text, &actions, &error, &glibMissing);
            if (glibMissing) GTEST_SKIP() << "GLib cannot be loaded";
            ASSERT_TRUE(read) << error << "\n" << text;
            std::vector<std::string> ids;
            for (const auto& a : actions)
                if (a.uniqueId != "vignettor-snapshrink") ids.push_back(a.uniqueId);
            EXPECT_EQ(ids, r.usersActions);
            EXPECT_EQ(actions.size() - ids.size(), step.registering ? 1u : 0u) << text;
            for (const auto& a : actions) {
                if (a.uniqueId != "vignettor-snapshrink") continue;
                EXPECT_EQ(a.name, "Snapshrink...");
                EXPECT_EQ(a.command, "'" + Launcher() + "' -- %F");
                EXPECT_TRUE(a.imageFiles);
            }
        }
    }
}

// Runs argv (argv[0] a path) in folder cwd and waits for it.
int RunProgram(const std::vector<std::string>& args, const std::string& cwd) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Each menu entry, run as its file manager runs it, hands the launcher its
// own path and then the selected files exactly, with "--" before them: from
// a folder whose name holds a quote, a percent sign and spaces, for file
// names like options, quotes, dollars and percent signs.
TEST(Registration, EveryEntryRunsTheLauncherWithTheExactFiles) {
    TempHome home;
    // The library copied into the odd folder, with a stand-in launcher that
    // writes down its arguments.
    const std::string folder = home / "it's 100% mine";
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(VIGSHELL_LIBRARY, folder + "/libvigshell.so");
    const std::string launcher = folder + "/vigshell";
    const std::string record = home / "arguments";
    ASSERT_TRUE(
        WriteFileText(launcher, "#!/bin/sh\nprintf '%s\\0' \"$0\" \"$@\" > '" + record + "'\n"));
    chmod(launcher.c_str(), 0755);
    ShellLibrary copy;
    std::string error;
    ASSERT_TRUE(copy.Open(folder + "/libvigshell.so", &error)) << error;
    ASSERT_EQ(copy.registerServer(), S_OK);

    const std::string photos = home / "photos";
    std::filesystem::create_directories(photos);
    const std::vector<std::string> names = {"--unregister", "a b.jpg",   "it's.png",
                                            "-x.bmp",       "$HOME.gif", "100%.tif"};
    std::vector<std::string> paths;
    for (const auto& n : names) paths.push_back(photos + "/" + n);
    const auto recorded = [&] {
        std::vector<std::string> args;
        const std::string text = ReadFileText(record);
        for (size_t at = 0; at < text.size();) {
            const size_t end = text.find('\0', at);
            args.push_back(text.substr(at, end - at));
            at = end + 1;
        }
        std::filesystem::remove(record);
        return args;
    };
    const auto expected = [&](const std::vector<std::string>& files) {
        std::vector<std::string> args = {launcher, "--"};
        args.insert(args.end(), files.begin(), files.end());
        return args;
    };

    // Nautilus and Caja run the script with the bare names in the folder.
    for (const char* script :
         {"data/nautilus/scripts/Snapshrink...", "config/caja/scripts/Snapshrink..."}) {
        std::vector<std::string> args = {home / script};
        args.insert(args.end(), names.begin(), names.end());
        ASSERT_EQ(RunProgram(args, photos), 0) << script;
        EXPECT_EQ(recorded(), expected(names)) << script;
    }
    // Dolphin reads the Exec key of the desktop entry and runs no shell.
    std::vector<std::string> dolphin;
    ASSERT_TRUE(test::DesktopExecArguments(
        test::KeyFileUnescape(test::KeyFileValue(ReadFileText(home / kEntries[0].path), "Exec")),
        paths, &dolphin));
    EXPECT_EQ(dolphin, expected(paths));
    ASSERT_EQ(RunProgram(dolphin, photos), 0);
    EXPECT_EQ(recorded(), expected(paths));
    // Nemo's Exec key and Thunar's command are shell command lines once the
    // field codes are replaced.
    std::vector<std::string> commands = {
        test::KeyFileUnescape(test::KeyFileValue(ReadFileText(home / kEntries[2].path), "Exec"))};
    std::vector<test::ThunarActionRead> actions;
    bool glibMissing = false;
    test::ReadThunarActions(ReadFileText(home / "config/Thunar/uca.xml"), &actions, &error,
                            &glibMissing);
    if (!glibMissing) {
        ASSERT_EQ(actions.size(), 1u) << error;
        commands.push_back(actions[0].command);
    }
    for (const std::string& command : commands) {
        std::string line;
        ASSERT_TRUE(test::ShellCommandLine(command, paths, &line)) << command;
        ASSERT_EQ(RunProgram({"/bin/sh", "-c", line}, photos), 0) << line;
        EXPECT_EQ(recorded(), expected(paths)) << command;
    }
    if (glibMissing) GTEST_SKIP() << "GLib cannot be loaded to read Thunar's command";
}

// Nautilus and Caja offer their scripts for any selection: without a
// picture among the files the script runs no launcher and says so through
// the first tool that works (a notification, else a message box), and ends.
TEST(Registration, TheScriptsSayWhenNoPictureIsSelected) {
    TempHome home;
    ASSERT_EQ(Library().registerServer(), S_OK);
    const std::string bin = home / "bin";
    const std::string record = home / "said";
    const std::string folder = home / "notes";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(folder);
    const auto tool = [&](const std::string& name, int status) {
        const std::string path = bin + "/" + name;
        ASSERT_TRUE(WriteFileText(path, "#!/bin/sh\nprintf '%s\\n' \"${0##*/}\" \"$@\" >> '" +
                                            record + "'\nexit " + std::to_string(status) + "\n"));
        chmod(path.c_str(), 0755);
    };
    const struct {
        std::vector<std::pair<std::string, int>> tools;  // name, exit status
        std::string said;                                // the lines written, tool by tool
    } rows[] = {
        {{{"notify-send", 0}, {"zenity", 0}},
         std::string("notify-send\n-a\nVignettor\n-i\nvignettor\nVignettor\n") +
             kNoPicturesSelected + "\n"},
        {{{"notify-send", 1}, {"xmessage", 0}},
         std::string("notify-send\n-a\nVignettor\n-i\nvignettor\nVignettor\n") +
             kNoPicturesSelected + "\nxmessage\n-center\n-timeout\n30\n" + kNoPicturesSelected +
             "\n"},
        {{{"kdialog", 0}},
         std::string("kdialog\n--title\nVignettor\n--passivepopup\n") + kNoPicturesSelected +
             "\n10\n"},
        {{}, ""},
    };
    const char* const oldPath = std::getenv("PATH");
    const std::string keptPath = oldPath != nullptr ? oldPath : "";
    setenv("PATH", bin.c_str(), 1);
    for (const auto& r : rows) {
        std::filesystem::remove_all(bin);
        std::filesystem::create_directories(bin);
        std::filesystem::remove(record);
        for (const auto& [name, status] : r.tools) tool(name, status);
        for (const char* script :
             {"data/nautilus/scripts/Snapshrink...", "config/caja/scripts/Snapshrink..."}) {
            EXPECT_EQ(RunProgram({home / script, "notes.txt", "photo.jpeg.bak", "README"}, folder),
                      0)
                << script;
        }
        const std::string said = test::FileExists(record) ? ReadFileText(record) : "";
        EXPECT_EQ(said, r.said + r.said) << "both scripts, tools " << r.tools.size();
    }
    setenv("PATH", keptPath.c_str(), 1);
}

}  // namespace
}  // namespace vig::shell
