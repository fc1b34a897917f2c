#include "platform/install_layout.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace vig::platform {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

// Where each program looks for the other parts, in the build folder (all
// together), in an installation under a prefix (the build's own install
// folders), in both at once (the build folder's copy wins), and in an
// installation reached through a link to its bin folder.
TEST(InstallLayout, FindsThePartsBesideFirstThenWhereTheyAreInstalled) {
    TempDir dir;
    const std::string root = fs::canonical(dir.path()).string();
    const std::string bin = root + "/prefix/" VIG_TEST_BINDIR;
    const std::string lib = root + "/prefix/" VIG_TEST_PKGLIBDIR;
    const std::string help = root + "/prefix/" VIG_TEST_DOCDIR "/help";
    const std::string catalogues = root + "/prefix/" VIG_TEST_DATADIR "/translations";
    const std::string build = root + "/build";
    for (const std::string& file :
         {bin + "/vignettor", bin + "/vigshell", lib + "/libvigshell.so", help + "/index.html",
          catalogues + "/vignettor_de.qm", build + "/vignettor", build + "/vigshell",
          build + "/help/index.html", build + "/translations/vignettor_de.qm"}) {
        fs::create_directories(fs::path(file).parent_path());
        ASSERT_TRUE(test::WriteFileText(file, ""));
    }
    fs::create_directories(root + "/elsewhere");
    fs::create_directory_symlink(bin, root + "/elsewhere/bin");

    struct Row {
        std::string programs, library;                    // folders looked from
        std::string wantLibrary, wantLauncher, wantHelp;  // "" when not found
        std::string wantCatalogue;
    };
    const std::string qm = "/vignettor_de.qm";
    const Row rows[] = {
        {build, build, "", build + "/vigshell", build + "/help/index.html",
         build + "/translations" + qm},
        {bin, lib, lib + "/libvigshell.so", bin + "/vigshell", help + "/index.html",
         catalogues + qm},
        {bin + "/", lib + "/", lib + "/libvigshell.so", bin + "/vigshell", help + "/index.html",
         catalogues + qm},
        {root + "/elsewhere/bin", lib, lib + "/libvigshell.so", bin + "/vigshell",
         help + "/index.html", catalogues + qm},
        {root + "/nowhere", root + "/nowhere", "", "", "", ""},
        {"", "", "", "", "", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.programs);
        EXPECT_EQ(FindFileIn(LibraryFolders(r.programs), kShellLibraryFileName), r.wantLibrary);
        EXPECT_EQ(FindFileIn(ProgramFolders(r.library), "vigshell"), r.wantLauncher);
        EXPECT_EQ(FindFileIn(HelpFolders(r.programs), "index.html"), r.wantHelp);
        EXPECT_EQ(FindFileIn(TranslationFolders(r.programs), "vignettor_de.qm"), r.wantCatalogue);
    }

    // A library beside the programs wins over the installed one, and a
    // folder of the name is no file.
    ASSERT_TRUE(test::WriteFileText(bin + "/libvigshell.so", ""));
    EXPECT_EQ(FindFileIn(LibraryFolders(bin), kShellLibraryFileName), bin + "/libvigshell.so");
    fs::create_directory(lib + "/vigshell");
    EXPECT_EQ(FindFileIn(ProgramFolders(lib), "vigshell"), bin + "/vigshell");
}

}  // namespace
}  // namespace vig::platform
