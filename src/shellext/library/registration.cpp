#include "shellext/library/registration.h"

#include "platform/install_layout.h"
#include "platform/paths.h"
#include "shellext/library/menu_entries.h"
#include "shellext/library/module.h"
#include "shellext/shared/registry_file.h"
#include "shellext/shared/shell_texts.h"
#include "shellext/shared/user_folders.h"

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
    // The store is read first (its damaged lines dropped), and the menu
    // entries are checked before anything is written; should a write fail
    // all the same, every file written is put back as it was.
    RegistryFile store;
    if (!store.Load()) return SELFREG_E_CLASS;
    store.WarnOfSkippedLines();
    for (const std::string& key : {ClsidKey(), InProcServerKey(), std::string(kHandlerKey)})
        store.CreateKey(key);
    store.SetValue(ClsidKey(), "", kServerName);
    store.SetValue(InProcServerKey(), "", ModulePath());
    store.SetValue(InProcServerKey(), kThreadingModelName, kThreadingModel);
    store.SetValue(kHandlerKey, "", GuidToString(CLSID_ShellExtension));
    FileChanges changes;
    if (!WriteMenuEntries(LauncherPath(), changes) ||
        !changes.Write(store.path(), store.ToText(), 0644)) {
        changes.Undo();
        return SELFREG_E_CLASS;
    }
    // No approval list here: this is not a system of the NT family.
    return S_OK;
}

HRESULT UnregisterServer() {
    // The menu entries go whatever the store says: it may be gone, damaged
    // or hold only some of the rows.
    bool ok = RemoveMenuEntries();
    RegistryFile store;
    if (!store.Load()) return SELFREG_E_CLASS;
    store.WarnOfSkippedLines();
    bool changed = !store.skippedLines().empty();
    for (const std::string& key : {InProcServerKey(), ClsidKey(), std::string(kHandlerKey)}) {
        if (!store.HasKey(key)) continue;
        if (store.DeleteKey(key))
            changed = true;
        else
            ok = false;  // a key of someone else's below ours
    }
    if (changed && !store.Save()) ok = false;
    return ok ? S_OK : SELFREG_E_CLASS;
}

}  // namespace vig::shell
