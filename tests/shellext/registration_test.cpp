// Registration through the library's exports into a temporary home: the
// rows of the registration store and the menu entries of the file managers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "shell_test_util.h"
#include "shellext/registry_file.h"

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
    EXPECT_NE(dolphin.find("Name=Snapshrink...\nExec=\"" + Launcher() + "\" %F\n"),
              std::string::npos);
    EXPECT_NE(dolphin.find("Comment=Create image thumbnail using Vignettor\n"), std::string::npos);
    const std::string nemo = ReadFileText(home / kEntries[2].path);
    EXPECT_NE(nemo.find("Exec='" + Launcher() + "' %F\n"), std::string::npos);
    EXPECT_NE(nemo.find("Extensions=jpg;bmp;png;gif;tif;pcx;heic;heif;hif;avif;webp;\n"),
              std::string::npos);
    EXPECT_NE(dolphin.find("MimeType=image/jpeg;image/bmp;image/png;image/gif;image/tiff;"
                           "image/vnd.zbrush.pcx;image/x-pcx;image/heic;image/heif;image/avif;"
                           "image/webp;\n"),
              std::string::npos);
    EXPECT_EQ(ReadFileText(home / kEntries[1].path),
              "#!/bin/sh\n# Vignettor context-menu entry\nexec '" + Launcher() + "' \"$@\"\n");
    const std::string thunar = ReadFileText(home / "config/Thunar/uca.xml");
    EXPECT_NE(thunar.find("<command>'" + Launcher() + "' %F</command>"), std::string::npos);
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
    EXPECT_EQ(Library().unregisterServer(), SELFREG_E_CLASS);
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

TEST(Registration, FailsAtARowThatCannotBeWrittenAndLeavesForeignFilesAlone) {
    const struct {
        const char* path;  // a file put there first
        const char* text;
        bool rowsWritten;  // the registry rows before the menu entries
    } rows[] = {
        {"config/Ostrel Software", "a file where the folder belongs", false},
        {"config/Thunar/uca.xml", "<html><body>not actions</body></html>", true},
        {"config/Thunar/uca.xml", "<actions><action>", true},
        {"config/Thunar/uca.xml", "\x01\x02 binary", true},
        {"data/nautilus/scripts/Snapshrink...", "#!/bin/sh\necho the user's own\n", true},
    };
    for (const auto& r : rows) {
        TempHome home;
        std::filesystem::create_directories(std::filesystem::path(home / r.path).parent_path());
        ASSERT_TRUE(WriteFileText(home / r.path, r.text));
        EXPECT_EQ(Library().registerServer(), SELFREG_E_CLASS) << r.path;
        EXPECT_EQ(ReadFileText(home / r.path), r.text);
        EXPECT_EQ(Value(kHandler, "") == kId, r.rowsWritten) << r.path;
    }
}

TEST(Registration, UnregistrationStopsAtTheFirstMissingKey) {
    const auto dropKey = [](const std::string& key) {
        RegistryFile store;
        ASSERT_TRUE(store.Load());
        ASSERT_TRUE(store.DeleteKey(key));
        ASSERT_TRUE(store.Save());
    };
    {
        // The handler row gone: the two class keys are deleted all the same,
        // and so are the menu entries that belong to the row.
        TempHome home;
        ASSERT_EQ(Library().registerServer(), S_OK);
        dropKey(kHandler);
        EXPECT_EQ(Library().unregisterServer(), SELFREG_E_CLASS);
        EXPECT_EQ(Value("CLSID/" + kId, ""), "<missing>");
        for (const Entry& e : kEntries) EXPECT_FALSE(test::FileExists(home / e.path));
    }
    {
        // The server key gone: nothing after it is attempted.
        TempHome home;
        ASSERT_EQ(Library().registerServer(), S_OK);
        dropKey("CLSID/" + kId + "/InProcServer32");
        EXPECT_EQ(Library().unregisterServer(), SELFREG_E_CLASS);
        EXPECT_EQ(Value("CLSID/" + kId, ""), "Vignettor");
        EXPECT_EQ(Value(kHandler, ""), kId);
        EXPECT_TRUE(test::FileExists(home / kEntries[0].path));
    }
}

}  // namespace
}  // namespace vig::shell
