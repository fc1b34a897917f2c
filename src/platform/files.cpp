#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>

#include "platform/paths.h"

namespace vig::platform {

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
    DIR* dir = opendir(path.empty() ? "." : path.c_str());
    if (dir == nullptr) return false;
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

bool CreateTempFileBeside(const std::string& target, std::string* tempPath) {
    tempPath->clear();
    static std::atomic<uint64_t> counter{0};
    const std::string folder = paths::Directory(target);
    const auto now =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        // A mixed value of time, process and counter: unique enough, and
        // O_EXCL makes sure no existing file is ever taken.
        uint64_t v = now ^ (static_cast<uint64_t>(getpid()) << 32) ^
                     (counter.fetch_add(1) * 0x9E3779B97F4A7C15ull);
        v ^= v >> 29;
        char name[32];
        std::snprintf(name, sizeof name, ".vig%08x.tmp", static_cast<unsigned>(v & 0xFFFFFFFFu));
        const std::string candidate =
            folder.empty() && target.find(paths::kSeparator) == std::string::npos
                ? std::string(name)
                : paths::Join(folder, name);
        const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            *tempPath = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool ReplaceFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

int64_t FileSize(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

}  // namespace vig::platform
