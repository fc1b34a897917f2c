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

// Opens a regular file for reading: -1 for anything else (a folder, a pipe,
// a device), without ever blocking on a pipe that has no writer.
int OpenRegularFile(const std::string& path);
// The same as a stdio stream in binary mode; nullptr on failure.
std::FILE* OpenRegularFileStream(const std::string& path);

// Any entry of that name (file, folder, link, even a dangling one).
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
// Folders deeper than the system's path limit are listed too. False when
// the folder cannot be read.
bool ListFolder(const std::string& path, std::vector<DirEntry>* entries);

// Device and inode of a folder; false when it cannot be examined.
bool FolderIdentity(const std::string& path, uint64_t* device, uint64_t* inode);

// The current folder of the process; false when it cannot be read.
bool CurrentFolder(std::string* path);

// A file written under no name and put at its target only when complete:
// a run that is killed, or a write that fails, leaves neither a partial
// target nor a stray temporary behind. Where the file system cannot make
// unnamed files, a hidden temporary ".vig-<pid>-<random>.tmp" beside the
// target stands in. A run holds a lock on each of its temporaries while it
// has them (a named one may also appear for a moment between the link and
// the rename of a commit); temporaries that no run holds are left-overs of
// killed runs, and every run removes those of the folders it writes to.
class PendingFile {
public:
    enum class Result { Done, WriteFailed, NotReplaceable, NameFailed, Taken };

    PendingFile() = default;
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    // Starts an empty file for `target` in the target's folder. False when
    // it cannot be made (no such folder, no permission, no space).
    bool Begin(const std::string& target);
    bool active() const { return fd_ >= 0; }
    const std::string& target() const { return target_; }
    // A path by which a writer may open the file anew (and truncate it).
    const std::string& writePath() const { return writePath_; }
    // The file, open for reading and writing (-1 when inactive).
    int fd() const { return fd_; }
    // A stream for writing, owned by this object (nullptr when inactive).
    std::FILE* stream();
    // Closes the stream (every write checked) and names the file: an
    // existing regular file or symbolic link at the target is replaced,
    // anything else (a folder, pipe, device or socket) never is. With
    // `keptFd`, a file that was named stays open: its descriptor is handed
    // over there, for the caller to write on and close.
    Result Commit(int* keptFd = nullptr);
    // Closes the stream and gives the complete file the name `name`, in the
    // target's folder, only when nothing of that name exists: the name never
    // stands for an empty or partial file. Taken when the name exists; the
    // file is then kept, for another name.
    Result CommitNew(const std::string& name);
    // Throws the file away.
    void Abandon();
    // Writes the whole contents of the open file `fd` (from its start) to
    // this one, unbuffered, so a full disk shows at once. Not to be mixed
    // with stream(). False when a read or a write failed.
    bool CopyFrom(int fd);

private:
    bool FinishWriting();
    void Named(int* keptFd);

    int fd_ = -1;
    bool unnamed_ = false;  // made with O_TMPFILE
    std::FILE* stream_ = nullptr;
    std::string target_;
    std::string writePath_;
};

// A file in memory only, with no name in any folder: bytes made ahead of
// the moment they may go where they belong. Writers open it by its
// writePath() as they would open any file.
class MemoryFile {
public:
    MemoryFile() = default;
    ~MemoryFile();
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    // False when the system can make no such file.
    bool Create();
    // Throws the contents away.
    void Close();
    bool active() const { return fd_ >= 0; }
    int fd() const { return fd_; }
    const std::string& writePath() const { return writePath_; }

private:
    int fd_ = -1;
    std::string writePath_;
};

// True when nothing stands at `path` or what stands there is a regular
// file or a symbolic link: what an output may replace.
bool MayReplace(const std::string& path);

// Identity of the file a path names (links followed); false when there is
// none.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
    auto operator<=>(const FileIdentity&) const = default;
};
bool IdentityOf(const std::string& path, FileIdentity* id);

// The path a chain of symbolic links at `path` ends at (`path` itself when
// it is no link; a dangling link's target when that is missing).
std::string FollowLinks(const std::string& path);

// `path` joined to the current folder when relative, without "." and ".."
// steps or doubled separators (worked out on the text; links are not
// resolved).
std::string AbsolutePath(const std::string& path);

// An advisory lock on a folder, held until Unlock or destruction. Other
// processes that ask for the same folder's lock wait or are refused.
class FolderLock {
public:
    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    enum class Result { Locked, Busy, Failed };
    Result TryLock(const std::string& folder);
    void Unlock();
    // The descriptor that holds the lock, -1 when none is held. A process
    // that is handed a copy of it holds the lock too, until both have let
    // it go.
    int fd() const { return fd_; }

private:
    int fd_ = -1;
};

bool RemoveFile(const std::string& path);
// Removes a folder and everything below it (links are removed, never
// followed). True when nothing of it is left (also when there was none).
bool RemoveTree(const std::string& path);

// Gives the complete file at `from` the name `to` in the same file system:
// with `replace`, by a rename over what is there; without, only when
// nothing has that name (Taken otherwise). Failed when the file systems
// differ or the name cannot be given; `from` then stays as it was.
enum class MoveResult { Done, Taken, Failed };
MoveResult MoveFile(const std::string& from, const std::string& to, bool replace);

}  // namespace vig::platform
