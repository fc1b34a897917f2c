#include "shellext/shared/user_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "platform/paths.h"
#include "platform/qt_profile_store.h"

namespace vig::shell {
namespace {

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != paths::kSeparator) return {};
    return paths::StripTrailingSeparator(value);
}

}  // namespace

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] != '\0') return paths::StripTrailingSeparator(home);
    const passwd* pw = getpwuid(getuid());
    return pw != nullptr && pw->pw_dir != nullptr ? pw->pw_dir : "";
}

std::string UserConfigFolder() {
    const std::string env = AbsoluteEnv("XDG_CONFIG_HOME");
    return env.empty() ? HomeFolder() + "/.config" : env;
}

std::string UserDataFolder() {
    const std::string env = AbsoluteEnv("XDG_DATA_HOME");
    return env.empty() ? HomeFolder() + "/.local/share" : env;
}

std::string SystemConfigFile(const std::string& relativePath) {
    const char* env = std::getenv("XDG_CONFIG_DIRS");
    std::string dirs = env != nullptr && env[0] != '\0' ? env : "/etc/xdg";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = dirs.substr(start, end - start);
        if (!dir.empty() && dir[0] == paths::kSeparator) {
            const std::string candidate =
                paths::Join(paths::StripTrailingSeparator(dir), relativePath);
            if (platform::Exists(candidate) && !platform::IsFolder(candidate)) return candidate;
        }
        start = end + 1;
    }
    return {};
}

std::string CompanyFolder() {
    return paths::Join(UserConfigFolder(), platform::kCompanyKey);
}

bool MakeFolders(const std::string& path) {
    if (path.empty() || platform::IsFolder(path)) return true;
    const std::string parent = paths::Directory(path);
    if (!parent.empty() && parent != path && !MakeFolders(parent)) return false;
    return platform::CreateFolder(path) != platform::CreateFolderResult::Failed;
}

bool WriteFileWhole(const std::string& path, const std::string& text, unsigned mode) {
    platform::PendingFile file;
    if (!file.Begin(path)) return false;
    std::FILE* f = file.stream();
    if (f == nullptr || std::fwrite(text.data(), 1, text.size(), f) != text.size()) {
        file.Abandon();
        return false;
    }
    return file.Commit() == platform::PendingFile::Result::Done &&
           chmod(path.c_str(), static_cast<mode_t>(mode)) == 0;
}

unsigned FileMode(const std::string& path, unsigned fallback) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) return fallback;
    return static_cast<unsigned>(st.st_mode) & 07777u;
}

bool ReadFileWhole(const std::string& path, std::string* text) {
    std::FILE* f = platform::OpenRegularFileStream(path);
    if (f == nullptr) return false;
    text->clear();
    char buffer[8192];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) text->append(buffer, n);
    const bool ok = std::ferror(f) == 0;
    std::fclose(f);
    return ok;
}

bool FileChanges::Write(const std::string& path, const std::string& text, unsigned mode) {
    Before before{path, platform::Exists(path), {}, FileMode(path, 0644)};
    if (before.existed && !ReadFileWhole(path, &before.text)) return false;
    before_.push_back(std::move(before));
    return MakeFolders(paths::Directory(path)) && WriteFileWhole(path, text, mode);
}

void FileChanges::Undo() {
    for (auto it = before_.rbegin(); it != before_.rend(); ++it) {
        if (it->existed)
            WriteFileWhole(it->path, it->text, it->mode);
        else
            platform::RemoveFile(it->path);
    }
    before_.clear();
}

}  // namespace vig::shell
