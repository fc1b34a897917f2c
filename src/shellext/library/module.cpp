#include "shellext/library/module.h"

#include <dlfcn.h>

#include "platform/files.h"
#include "platform/paths.h"

namespace vig::shell {
namespace {

int32_t gObjectCount = 0;

std::string LocateModule() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LocateModule), &info) == 0 || info.dli_fname == nullptr)
        return {};
    // A library opened by a relative name is found relative to the folder
    // current at loading time, which is now.
    return platform::AbsolutePath(info.dli_fname);
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
