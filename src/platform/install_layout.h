// Where the parts of Vignettor lie relative to each other. The programs
// (vignettor, vigshell) share one folder. The context-menu library and the
// manual are looked for beside them first, as the build folder keeps them,
// then where an installation puts them: the library in a private folder
// (lib/vignettor), the manual with the documentation (share/doc/vignettor),
// the translations with the program's data (share/vignettor).
// The steps between those folders come from the build's installation
// folders, so an installation under any prefix finds its own parts.
#pragma once

#include <string>
#include <vector>

namespace vig::platform {

inline constexpr const char* kShellLibraryFileName = "libvigshell.so";

// Folders that may hold the context-menu library, best first, for the
// programs in programFolder.
std::vector<std::string> LibraryFolders(const std::string& programFolder);

// Folders that may hold the programs, best first, for the library in
// libraryFolder.
std::vector<std::string> ProgramFolders(const std::string& libraryFolder);

// Folders that may hold the manual, best first, for the programs in
// programFolder.
std::vector<std::string> HelpFolders(const std::string& programFolder);

// Folders that may hold the translations (vignettor_<language>.qm), best
// first, for the programs in programFolder: translations/ beside them, then
// share/vignettor/translations.
std::vector<std::string> TranslationFolders(const std::string& programFolder);

// `name` in the first of `folders` that has a file (not a folder) of that
// name; "" when none has one.
std::string FindFileIn(const std::vector<std::string>& folders, const std::string& name);

}  // namespace vig::platform
