// File-system operations the engine needs: existence tests, folder creation
// that tells an existing folder apart from a failure, directory listings with
// kinds and last-write times, and the temporary file that an output is
// written to before it replaces its target.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vig::platform {

// Any entry of that name (file, folder, link, even a dangling one).
// Opens a regular file for reading: -1 for anything else (a folder, a pipe,
// a device), without ever blocking on a pipe that has no writer.
int OpenRegularFile(const std::string& path);
// The same as a stdio stream in binary mode; nullptr on failure.
std::FILE* OpenRegularFileStream(const std::string& path);

bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
// A folder that can be entered (searched), as a current folder must be.
bool CanEnterFolder(const std::string& path);

enum class CreateFolderResult { Created, Exists, Failed };
// Creates one folder. Exists only when a folder of that name is already
// there; a file of that name is a failure.
CreateFolderResult CreateFolder(const std::string& path);

enum class EntryKind { File, Folder, Other };

struct DirEntry {
    std::string name;
    EntryKind kind = EntryKind::Other;  // links count as what they point to
    bool link = false;                  // the entry itself is a symbolic link
    int64_t modified = 0;               // last-write time, seconds since 1970 UTC
    uint64_t device = 0;                // identity of a folder, for loop checks
    uint64_t inode = 0;
};

// The entries of a folder without "." and "..", in no particular order.
// False when the folder cannot be read.
bool ListFolder(const std::string& path, std::vector<DirEntry>* entries);

// Device and inode of a folder; false when it cannot be examined.
bool FolderIdentity(const std::string& path, uint64_t* device, uint64_t* inode);

// The current folder of the process; false when it cannot be read.
bool CurrentFolder(std::string* path);

// Creates a new, empty file with a unique name in the folder of `target`
// ("." + "vig" + random + ".tmp"), never an existing one. False (and "" in
// *tempPath) when it cannot be created.
bool CreateTempFileBeside(const std::string& target, std::string* tempPath);
// Moves `from` over `to` in one step (an existing `to` is replaced).
bool ReplaceFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Size in bytes, or -1 when there is no such file.
int64_t FileSize(const std::string& path);

}  // namespace vig::platform
