#include "shellext/registration.h"

#include <cstdio>

#include "platform/install_layout.h"
#include "platform/paths.h"
#include "shellext/menu_entries.h"
#include "shellext/module.h"
#include "shellext/registry_file.h"
#include "shellext/shell_texts.h"

namespace vig::shell {
namespace {

std::string WithClsid(const char* keyFormat) {
    const std::string id = GuidToString(CLSID_ShellExtension);
    std::string key = keyFormat;
    key.replace(key.find("%s"), 2, id);
    return key;
}

}  // namespace

std::string ClsidKey() {
    return WithClsid(kClsidKey);
}
std::string InProcServerKey() {
    return WithClsid(kInProcServerKey);
}

std::string LauncherPath() {
    const std::string found =
        platform::FindFileIn(platform::ProgramFolders(ModuleFolder()), kLauncherFileName);
    return found.empty() ? paths::Join(ModuleFolder(), kLauncherFileName) : found;
}

HRESULT RegisterServer() {
    const std::string id = GuidToString(CLSID_ShellExtension);
    // The rows in their order; a row that cannot be written ends the
    // registration with the rows before it in place.
    if (!RegistryCreateKeyWithValue(ClsidKey(), "", kServerName) ||
        !RegistryCreateKeyWithValue(InProcServerKey(), "", ModulePath()) ||
        !RegistryCreateKeyWithValue(InProcServerKey(), kThreadingModelName, kThreadingModel) ||
        !RegistryCreateKeyWithValue(kHandlerKey, "", id) || !WriteMenuEntries(LauncherPath()))
        return SELFREG_E_CLASS;
    // No approval list here: this is not a system of the NT family.
    return S_OK;
}

HRESULT UnregisterServer() {
    if (!RegistryDeleteKey(InProcServerKey()) || !RegistryDeleteKey(ClsidKey()))
        return SELFREG_E_CLASS;
    // The menu entries belong to the handler's row and go with it, even
    // when the row itself is gone already.
    const bool entriesRemoved = RemoveMenuEntries();
    if (!RegistryDeleteKey(kHandlerKey) || !entriesRemoved) return SELFREG_E_CLASS;
    return S_OK;
}

}  // namespace vig::shell
