// Source scanning: the list of files a batch processes, filtered by format,
// name and date and sorted per folder, and the copy of the source folder
// tree below the output folder. Paths in the lists are relative to the
// source folder; nothing changes the process's current folder.
#pragma once

#include <string>
#include <vector>

#include "options/batch_options.h"

namespace vig::engine {

class RunHost;

// Files of a batch, relative to the source folder, in processing order.
using FileList = std::vector<std::string>;

// "*" matches any run of characters, "?" exactly one; letters match
// ignoring case.
bool MatchesWildcard(const std::string& pattern, const std::string& name);

// Order used for names and folders: ASCII letters folded to lower case,
// then byte order, with the separator ranked as a backslash. Names equal
// that way compare equal here.
bool LessIgnoringCase(const std::string& a, const std::string& b);

// Appends every folder below sourceFolder/start (start "" is the source
// folder itself) as a path relative to the source folder, children before
// their parent. A link to a folder is followed only when that folder is not
// one of its own parents and has not been entered before. The run's own
// output folders are left out: the output folder (MainDestPath) when it lies
// below and is not the source folder, and with OutputBranchFromSrc every
// folder at the branch path.
void CollectSubfolders(RunHost& host, const options::BatchOptions& options,
                       const std::string& sourceFolder, std::vector<std::string>* list,
                       const std::string& start = "");

// The input formats (InputFormat codes) the format filter of `options` lets
// through (OutputFilterJPG ... OutputFilterWEBP).
std::vector<int> FilteredInputFormats(const options::BatchOptions& options);

// Empties and fills `list` (recurse and name filter as given; the files
// whose extension, in any letter case, is one of a reader of `formats`,
// searched in the reader table's order; date filter and sort from
// `options`). Failures are reported.
void ScanSourceFolder(RunHost& host, const options::BatchOptions& options,
                      const std::string& sourceFolder, FileList* list, bool recurse,
                      const std::string& nameFilter, const std::vector<int>& formats);

// Creates below outputFolder every folder found below sourceFolder. False
// only when the current or the source folder cannot be used.
bool CreateOutputTree(RunHost& host, const options::BatchOptions& options,
                      const std::string& sourceFolder, const std::string& outputFolder);

}  // namespace vig::engine
