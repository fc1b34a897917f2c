#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>

#include "platform/paths.h"
#include "platform/system.h"

namespace vig::platform {
namespace {

// Opens a folder for reading its entries. A folder whose path is longer
// than the system allows is reached one step at a time.
int OpenFolder(const std::string& path) {
    const char* name = path.empty() ? "." : path.c_str();
    int fd = open(name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;
    fd = open(path[0] == paths::kSeparator ? "/" : ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    size_t pos = 0;
    while (fd >= 0 && pos < path.size()) {
        size_t next = path.find(paths::kSeparator, pos);
        if (next == std::string::npos) next = path.size();
        const std::string step = path.substr(pos, next - pos);
        pos = next + 1;
        if (step.empty()) continue;
        const int inner = openat(fd, step.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        close(fd);
        fd = inner;
    }
    return fd;
}

// The folder a file of `target` lives in ("." for a bare name).
std::string FolderOfTarget(const std::string& target) {
    if (target.find(paths::kSeparator) == std::string::npos) return ".";
    const std::string folder = paths::Directory(target);
    return folder.empty() ? std::string(1, paths::kSeparator) : folder;
}

// A fresh random part for temporary names.
unsigned RandomPart() {
    static std::atomic<uint64_t> counter{0};
    uint64_t v =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
        (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
    v ^= v >> 29;
    v *= 0xBF58476D1CE4E5B9ull;
    v ^= v >> 32;
    return static_cast<unsigned>(v & 0xFFFFFFFFu);
}

// ".vig-<pid>-<random>.tmp" in `folder`.
std::string TemporaryName(const std::string& folder) {
    char name[48];
    std::snprintf(name, sizeof name, ".vig-%ld-%08x.tmp", static_cast<long>(getpid()),
                  RandomPart());
    return folder == "." ? std::string(name)
                         : paths::Join(paths::StripTrailingSeparator(folder), name);
}

// Exactly the names TemporaryName makes: ".vig-", a process number, "-",
// eight hexadecimal digits, ".tmp".
bool IsTemporaryName(std::string_view name) {
    constexpr std::string_view kStart = ".vig-", kEnd = ".tmp";
    if (name.size() < kStart.size() + 2 + 8 + kEnd.size() ||
        name.substr(0, kStart.size()) != kStart || name.substr(name.size() - kEnd.size()) != kEnd)
        return false;
    name = name.substr(kStart.size(), name.size() - kStart.size() - kEnd.size());
    const size_t dash = name.size() - 9;
    if (name[dash] != '-' || dash == 0) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool ok = i < dash ? (c >= '0' && c <= '9')
                                 : i == dash || (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
        if (!ok) return false;
    }
    return true;
}

// The age after which a hidden temporary that is empty and that no run
// holds is taken for a left-over too.
constexpr int64_t kUnheldTemporarySeconds = 60;

// A hidden temporary of ours that no run is writing any more. Every run
// holds a lock on each of its temporaries for as long as it has them (an
// unnamed file takes it before it gets its name, a named one right after
// it was made and before anything is written to it), so a temporary that
// nobody holds is the left-over of a run that was killed, whichever machine
// it ran on and whatever process has its number now. Only an empty one may
// still be a run's between making and locking it: such a one counts only
// once it is old.
bool IsLeftOverTemporary(int folderFd, const char* name) {
    const int fd =
        openat(folderFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool leftOver = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == getuid() &&
                    flock(fd, LOCK_SH | LOCK_NB) == 0;
    if (leftOver && st.st_size == 0)
        leftOver = static_cast<int64_t>(std::time(nullptr)) - static_cast<int64_t>(st.st_mtime) >=
                   kUnheldTemporarySeconds;
    // The name must still lead to the file that was looked at.
    struct stat now {};
    leftOver = leftOver && fstatat(folderFd, name, &now, AT_SYMLINK_NOFOLLOW) == 0 &&
               now.st_dev == st.st_dev && now.st_ino == st.st_ino;
    close(fd);
    return leftOver;
}

// Left-over hidden temporaries of ours are removed from a folder, once per
// folder and process. Only regular files of the current user with the
// exact name pattern are touched, and never one a run still holds.
void RemoveStaleTemporaries(const std::string& folder) {
    static std::mutex mutex;
    static std::set<std::string> cleaned;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!cleaned.insert(folder).second) return;
    }
    const int fd = OpenFolder(folder);
    if (fd < 0) return;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return;
    }
    while (const dirent* d = readdir(dir)) {
        if (IsTemporaryName(d->d_name) && IsLeftOverTemporary(dirfd(dir), d->d_name))
            unlinkat(dirfd(dir), d->d_name, 0);
    }
    closedir(dir);
}

// Holds the lock that tells other runs a temporary is in use. Another run
// may be looking at a named one for a moment (with a shared lock), so a
// busy lock is asked for again. A file system without locks leaves it
// unheld: runs there never take one of its temporaries for a left-over
// either, since they cannot lock it themselves.
void HoldTemporary(int fd) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0 || (errno != EWOULDBLOCK && errno != EINTR)) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

}  // namespace

int OpenRegularFile(const std::string& path) {
    // Non-blocking, so that opening a pipe without a writer returns at once.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return -1;
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularFileStream(const std::string& path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) return nullptr;
    std::FILE* file = fdopen(fd, "rb");
    if (file == nullptr) close(fd);
    return file;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return !path.empty() && lstat(path.c_str(), &st) == 0;
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CanEnterFolder(const std::string& path) {
    return IsFolder(path) && access(path.c_str(), X_OK) == 0;
}

CreateFolderResult CreateFolder(const std::string& path) {
    if (path.empty()) return CreateFolderResult::Failed;
    if (mkdir(path.c_str(), 0777) == 0) return CreateFolderResult::Created;
    const int err = errno;
    if (err == EEXIST && IsFolder(path)) return CreateFolderResult::Exists;
    return CreateFolderResult::Failed;
}

bool ListFolder(const std::string& path, std::vector<DirEntry>* entries) {
    entries->clear();
    const int fd = OpenFolder(path);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (dir == nullptr) {
        close(fd);
        return false;
    }
    const int dirFd = dirfd(dir);
    while (const dirent* d = readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        DirEntry e;
        e.name = name;
        struct stat st {};
        if (d->d_type == DT_LNK)
            e.link = true;
        else if (d->d_type == DT_UNKNOWN)
            e.link =
                fstatat(dirFd, d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
        // Links count as what they point to; a dangling one is neither.
        if (fstatat(dirFd, d->d_name, &st, 0) == 0) {
            if (S_ISREG(st.st_mode))
                e.kind = EntryKind::File;
            else if (S_ISDIR(st.st_mode))
                e.kind = EntryKind::Folder;
            e.modified = static_cast<int64_t>(st.st_mtime);
            e.device = static_cast<uint64_t>(st.st_dev);
            e.inode = static_cast<uint64_t>(st.st_ino);
        }
        entries->push_back(std::move(e));
    }
    closedir(dir);
    return true;
}

bool FolderIdentity(const std::string& path, uint64_t* device, uint64_t* inode) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    *device = static_cast<uint64_t>(st.st_dev);
    *inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool CurrentFolder(std::string* path) {
    std::vector<char> buf(4096);
    for (;;) {
        if (getcwd(buf.data(), buf.size()) != nullptr) {
            *path = buf.data();
            return true;
        }
        if (errno != ERANGE || buf.size() > (1u << 20)) return false;
        buf.resize(buf.size() * 2);
    }
}

PendingFile::~PendingFile() {
    Abandon();
}

bool PendingFile::Begin(const std::string& target) {
    Abandon();
    target_ = target;
    const std::string folder = FolderOfTarget(target);
    RemoveStaleTemporaries(folder);
    static const bool procUsable = access("/proc/self/fd", X_OK) == 0;
    if (procUsable) {
        fd_ = open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = true;
            writePath_ = "/proc/self/fd/" + std::to_string(fd_);
            HoldTemporary(fd_);
            return true;
        }
        // Only a file system without unnamed files falls back to a name.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = TemporaryName(folder);
        fd_ = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            unnamed_ = false;
            writePath_ = candidate;
            HoldTemporary(fd_);
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

std::FILE* PendingFile::stream() {
    if (stream_ == nullptr && fd_ >= 0) {
        const int copy = dup(fd_);
        if (copy < 0) return nullptr;
        stream_ = fdopen(copy, "wb");
        if (stream_ == nullptr) close(copy);
    }
    return stream_;
}

bool PendingFile::FinishWriting() {
    bool written = true;
    if (stream_ != nullptr) {
        if (std::fflush(stream_) != 0 || std::ferror(stream_) != 0) written = false;
        if (std::fclose(stream_) != 0) written = false;
        stream_ = nullptr;
    }
    return written;
}

void PendingFile::Named(int* keptFd) {
    if (keptFd != nullptr) {
        // The file is no temporary any more: its lock goes, the file stays open.
        flock(fd_, LOCK_UN);
        *keptFd = fd_;
    } else {
        close(fd_);
    }
    fd_ = -1;
    writePath_.clear();
}

PendingFile::Result PendingFile::Commit(int* keptFd) {
    if (fd_ < 0) return Result::WriteFailed;
    if (!FinishWriting()) {
        Abandon();
        return Result::WriteFailed;
    }
    if (!MayReplace(target_)) {
        Abandon();
        return Result::NotReplaceable;
    }
    std::string named = writePath_;
    if (unnamed_) {
        // An unnamed file gets a temporary name of its own, which then
        // replaces the target in one step.
        const std::string folder = FolderOfTarget(target_);
        bool linked = false;
        for (int attempt = 0; attempt < 100 && !linked; ++attempt) {
            named = TemporaryName(folder);
            if (linkat(AT_FDCWD, writePath_.c_str(), AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) ==
                0)
                linked = true;
            else if (errno != EEXIST)
                break;
        }
        if (!linked) {
            Abandon();
            return Result::NameFailed;
        }
    }
    if (std::rename(named.c_str(), target_.c_str()) != 0) {
        unlink(named.c_str());
        if (!unnamed_) writePath_.clear();
        Abandon();
        return Result::NameFailed;
    }
    Named(keptFd);
    return Result::Done;
}

PendingFile::Result PendingFile::CommitNew(const std::string& name) {
    if (fd_ < 0) return Result::WriteFailed;
    if (!FinishWriting()) {
        Abandon();
        return Result::WriteFailed;
    }
    // Neither a link nor a rename without replacing ever replaces anything:
    // the name and the complete file come into being together, or the name
    // is somebody else's.
    bool named = false;
    int err = 0;
    if (unnamed_) {
        named =
            linkat(AT_FDCWD, writePath_.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
        err = errno;
    } else if (renameat2(AT_FDCWD, writePath_.c_str(), AT_FDCWD, name.c_str(), RENAME_NOREPLACE) ==
               0) {
        writePath_.clear();
        named = true;
    } else if ((err = errno) != EEXIST) {
        named = link(writePath_.c_str(), name.c_str()) == 0;
        err = errno;
        if (!named && err != EEXIST) {
            // A file system with neither: the name is claimed, then replaced.
            const int claim =
                open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
            err = errno;
            if (claim >= 0) {
                close(claim);
                named = std::rename(writePath_.c_str(), name.c_str()) == 0;
                err = errno;
                if (named)
                    writePath_.clear();
                else
                    unlink(name.c_str());
            }
        }
    }
    if (!named) {
        if (err == EEXIST) return Result::Taken;
        Abandon();
        return Result::NameFailed;
    }
    if (!unnamed_ && !writePath_.empty()) unlink(writePath_.c_str());
    target_ = name;
    Named(nullptr);
    return Result::Done;
}

void PendingFile::Abandon() {
    if (stream_ != nullptr) {
        std::fclose(stream_);
        stream_ = nullptr;
    }
    if (fd_ >= 0) {
        close(fd_);
        fd_ = -1;
        if (!unnamed_ && !writePath_.empty()) unlink(writePath_.c_str());
    }
    writePath_.clear();
}

bool PendingFile::CopyFrom(int fd) {
    if (fd_ < 0 || fd < 0) return false;
    char buf[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t got = pread(fd, buf, sizeof buf, at);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        at += got;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(fd_, buf + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put <= 0) return false;
            done += put;
        }
    }
}

MemoryFile::~MemoryFile() {
    Close();
}

void MemoryFile::Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    writePath_.clear();
}

bool MemoryFile::Create() {
    if (fd_ >= 0) return true;
    static const bool procUsable = access("/proc/self/fd", X_OK) == 0;
    if (!procUsable) return false;
    fd_ = memfd_create("vignettor", MFD_CLOEXEC);
    // Without memory files an unnamed file in the temporary folder serves.
    if (fd_ < 0) fd_ = open(TempFolder().c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ < 0) return false;
    writePath_ = "/proc/self/fd/" + std::to_string(fd_);
    return true;
}

bool MayReplace(const std::string& path) {
    struct stat st {};
    // Nothing there (or nothing that can be examined: writing it fails on
    // its own account).
    if (lstat(path.c_str(), &st) != 0) return true;
    return S_ISREG(st.st_mode) || S_ISLNK(st.st_mode);
}

bool IdentityOf(const std::string& path, FileIdentity* id) {
    struct stat st {};
    if (path.empty() || stat(path.c_str(), &st) != 0) return false;
    id->device = static_cast<uint64_t>(st.st_dev);
    id->inode = static_cast<uint64_t>(st.st_ino);
    return true;
}

std::string FollowLinks(const std::string& path) {
    std::string current = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
        const ssize_t n = readlink(current.c_str(), buf.data(), buf.size());
        if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return current;
        const std::string target(buf.data(), static_cast<size_t>(n));
        if (target[0] == paths::kSeparator || current.find(paths::kSeparator) == std::string::npos)
            current = target;
        else
            current = paths::Join(FolderOfTarget(current), target);
    }
    return current;
}

std::string AbsolutePath(const std::string& path) {
    if (path.empty()) return path;
    std::filesystem::path p(path);
    if (p.is_relative()) {
        std::string current;
        if (!CurrentFolder(&current)) return path;
        p = std::filesystem::path(current) / p;
    }
    std::string out = p.lexically_normal().string();
    if (out.size() > 1 && out.back() == paths::kSeparator) out.pop_back();
    return out;
}

FolderLock::~FolderLock() {
    Unlock();
}

FolderLock::Result FolderLock::TryLock(const std::string& folder) {
    Unlock();
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return Result::Failed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        close(fd);
        return err == EWOULDBLOCK ? Result::Busy : Result::Failed;
    }
    fd_ = fd;
    return Result::Locked;
}

void FolderLock::Unlock() {
    if (fd_ >= 0) {
        close(fd_);  // releases the lock
        fd_ = -1;
    }
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool RemoveTree(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0) return errno == ENOENT;
    if (!S_ISDIR(st.st_mode)) return unlink(path.c_str()) == 0;
    std::vector<DirEntry> entries;
    if (!ListFolder(path, &entries)) return false;
    bool ok = true;
    for (const DirEntry& e : entries) ok = RemoveTree(path + "/" + e.name) && ok;
    return rmdir(path.c_str()) == 0 && ok;
}

MoveResult MoveFile(const std::string& from, const std::string& to, bool replace) {
    if (replace) return rename(from.c_str(), to.c_str()) == 0 ? MoveResult::Done : MoveResult::Failed;
    if (link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? MoveResult::Taken : MoveResult::Failed;
    unlink(from.c_str());
    return MoveResult::Done;
}

}  // namespace vig::platform
