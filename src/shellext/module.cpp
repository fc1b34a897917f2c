#include "shellext/module.h"

#include <dlfcn.h>

#include <filesystem>

#include "platform/files.h"
#include "platform/paths.h"

namespace vig::shell {
namespace {

int32_t gObjectCount = 0;

std::string LocateModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LocateModule), &info) == 0 || info.dli_fname == nullptr)
        return {};
    std::string path = info.dli_fname;
    // A library opened by a relative name is found relative to the folder
    // current at loading time, which is now.
    std::string current;
    if (!path.empty() && path[0] != paths::kSeparator && platform::CurrentFolder(&current))
        path = paths::Join(paths::StripTrailingSeparator(current), path);
    return std::filesystem::path(path).lexically_normal().string();
}

// Worked out while the library is being loaded, before anyone can change
// the current folder.
const std::string gModulePath = LocateModule();

}  // namespace

void ModuleObjectCreated() {
    ++gObjectCount;
}
void ModuleObjectDestroyed() {
    --gObjectCount;
}
int32_t ModuleObjectCount() {
    return gObjectCount;
}

std::string ModulePath() {
    return gModulePath;
}

std::string ModuleFolder() {
    return paths::StripTrailingSeparator(paths::Directory(gModulePath));
}

}  // namespace vig::shell
