#include "platform/install_layout.h"

#include <climits>
#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"

// VIG_BIN_TO_PKGLIB, VIG_PKGLIB_TO_BIN, VIG_BIN_TO_DOC and VIG_BIN_TO_DATA: the relative
// steps between the installation's folders, worked out by the build from
// the folders it installs into.

namespace vig::platform {
namespace {

// `folder` itself, then the folder `step` leads to from it when that
// exists, with links and ".." resolved (the program's folder may be reached
// through a link, and "bin/.." is not always the prefix then).
std::vector<std::string> BesideThenInstalled(const std::string& folder, const char* step) {
    if (folder.empty()) return {};
    std::vector<std::string> out = {paths::StripTrailingSeparator(folder)};
    char resolved[PATH_MAX];
    if (realpath(paths::Join(out.front(), step).c_str(), resolved) != nullptr &&
        out.front() != resolved)
        out.emplace_back(resolved);
    return out;
}

}  // namespace

std::vector<std::string> LibraryFolders(const std::string& programFolder) {
    return BesideThenInstalled(programFolder, VIG_BIN_TO_PKGLIB);
}

std::vector<std::string> ProgramFolders(const std::string& libraryFolder) {
    return BesideThenInstalled(libraryFolder, VIG_PKGLIB_TO_BIN);
}

std::vector<std::string> HelpFolders(const std::string& programFolder) {
    std::vector<std::string> folders = BesideThenInstalled(programFolder, VIG_BIN_TO_DOC);
    for (std::string& f : folders) f = paths::Join(f, "help");
    return folders;
}

std::vector<std::string> TranslationFolders(const std::string& programFolder) {
    std::vector<std::string> folders = BesideThenInstalled(programFolder, VIG_BIN_TO_DATA);
    for (std::string& f : folders) f = paths::Join(f, "translations");
    return folders;
}

std::string FindFileIn(const std::vector<std::string>& folders, const std::string& name) {
    for (const std::string& folder : folders) {
        const std::string path = paths::Join(folder, name);
        if (Exists(path) && !IsFolder(path)) return path;
    }
    return {};
}

}  // namespace vig::platform
