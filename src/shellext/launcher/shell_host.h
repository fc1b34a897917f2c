// The file manager's part of the conversation with the context-menu
// library, as the launcher plays it: find and load the library, hand the
// selection over as a data object, ask for the menu and run the command.
#pragma once

#include <string>
#include <vector>

#include "shellext/shared/com_layout.h"

namespace vig::shell {

// A data object carrying paths as file-drop data. Starts with one
// reference, held by its creator.
class CFileDataObject final : public IDataObject {
public:
    explicit CFileDataObject(const std::vector<std::string>& paths);

    HRESULT QueryInterface(const IID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) override;

private:
    friend class RefCount;
    ~CFileDataObject() = default;

    RefCount refs_{1};
    std::string drop_;  // the paths, each ended by a zero byte, then one more
};

// The registered handler: its class and its library, when the registration
// store names a library file that exists.
struct RegisteredHandler {
    CLSID clsid = CLSID_ShellExtension;
    std::string library;
};
bool FindRegisteredHandler(RegisteredHandler* handler);

// The library of the running launcher's installation: beside it, else in
// the installation's library folder; "" when neither has it.
std::string InstalledLibrary();

// The library loaded with its exports; unloaded on destruction when it
// answers that it may be.
class ShellLibrary {
public:
    ShellLibrary() = default;
    ~ShellLibrary();
    ShellLibrary(const ShellLibrary&) = delete;
    ShellLibrary& operator=(const ShellLibrary&) = delete;

    // False, with the reason in *error, when the library cannot be loaded or
    // lacks one of the four exports.
    bool Open(const std::string& path, std::string* error);

    DllCanUnloadNowFn canUnloadNow = nullptr;
    DllGetClassObjectFn getClassObject = nullptr;
    DllRegisterServerFn registerServer = nullptr;
    DllUnregisterServerFn unregisterServer = nullptr;

private:
    void* handle_ = nullptr;
};

// What the file manager does on a right-click and a choice of our item:
// create the object, initialise it with the paths, build the menu with
// CMF_NORMAL and, when the item was offered, invoke it. Success when the
// conversation went through (whether or not the item was offered).
HRESULT RunContextMenu(ShellLibrary& library, const CLSID& clsid,
                       const std::vector<std::string>& paths);

// The launcher's command line; gives the exit status.
int LauncherMain(const std::vector<std::string>& args);

}  // namespace vig::shell
