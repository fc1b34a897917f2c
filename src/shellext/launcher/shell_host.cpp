#include "shellext/launcher/shell_host.h"

#include <dlfcn.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/install_layout.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "shellext/shared/registry_file.h"
#include "shellext/shared/shell_texts.h"

namespace vig::shell {
namespace {

constexpr UINT kFirstCommandId = 1;
constexpr UINT kLastCommandId = 0x7FFF;

// The menu of the host: remembers the items put in.
class HostMenu final : public IMenu {
public:
    bool InsertItemByPosition(UINT, UINT commandId, const char*) override {
        ids.push_back(commandId);
        return true;
    }
    std::vector<UINT> ids;
};

template <typename T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p != nullptr) p->Release();
    }
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "vigshell: %s\n", message.c_str());
    return 1;
}

// A usage error, naming the option not known when there is one.
int Usage(const std::string& unknownOption) {
    if (!unknownOption.empty())
        std::fprintf(stderr, "vigshell: %s\n",
                     FillIn(Tr(kUnknownOptionFormat), {unknownOption}).c_str());
    std::fputs(Tr(kLauncherUsage).c_str(), stderr);
    return 2;
}

}  // namespace

CFileDataObject::CFileDataObject(const std::vector<std::string>& paths) {
    for (const std::string& p : paths) {
        if (p.empty()) continue;
        drop_ += p;
        drop_ += '\0';
    }
    drop_ += '\0';
}

HRESULT CFileDataObject::QueryInterface(const IID& riid, void** ppv) {
    return QueryOneInterface<IDataObject>(this, IID_IDataObject, riid, ppv);
}

ULONG CFileDataObject::AddRef() {
    return refs_.Add();
}

ULONG CFileDataObject::Release() {
    return refs_.Release(this);
}

HRESULT CFileDataObject::GetData(const FORMATETC* format, STGMEDIUM* medium) {
    if (format == nullptr || medium == nullptr) return E_POINTER;
    if (format->cfFormat != CF_HDROP || (format->tymed & TYMED_HGLOBAL) == 0) return DV_E_FORMATETC;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = drop_.c_str();
    medium->pUnkForRelease = this;
    AddRef();
    return S_OK;
}

bool FindRegisteredHandler(RegisteredHandler* handler) {
    RegistryFile store;
    std::string id, library;
    CLSID clsid{};
    if (!store.Load() || !store.GetValue(kHandlerKey, "", &id) || !GuidFromString(id, &clsid) ||
        !store.GetValue("CLSID/" + GuidToString(clsid) + "/InProcServer32", "", &library) ||
        !platform::Exists(library))
        return false;
    handler->clsid = clsid;
    handler->library = library;
    return true;
}

std::string InstalledLibrary() {
    return platform::FindFileIn(platform::LibraryFolders(paths::Directory(platform::ProgramPath())),
                                platform::kShellLibraryFileName);
}

ShellLibrary::~ShellLibrary() {
    if (handle_ == nullptr) return;
    if (canUnloadNow() == S_OK) dlclose(handle_);
}

bool ShellLibrary::Open(const std::string& path, std::string* error) {
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
        const char* why = dlerror();
        *error = why != nullptr ? why : path;
        return false;
    }
    canUnloadNow = reinterpret_cast<DllCanUnloadNowFn>(dlsym(handle_, "DllCanUnloadNow"));
    getClassObject = reinterpret_cast<DllGetClassObjectFn>(dlsym(handle_, "DllGetClassObject"));
    registerServer = reinterpret_cast<DllRegisterServerFn>(dlsym(handle_, "DllRegisterServer"));
    unregisterServer =
        reinterpret_cast<DllUnregisterServerFn>(dlsym(handle_, "DllUnregisterServer"));
    if (canUnloadNow != nullptr && getClassObject != nullptr && registerServer != nullptr &&
        unregisterServer != nullptr)
        return true;
    *error = path + " is not the context-menu library";
    dlclose(handle_);
    handle_ = nullptr;
    return false;
}

HRESULT RunContextMenu(ShellLibrary& library, const CLSID& clsid,
                       const std::vector<std::string>& paths) {
    Released<IClassFactory> factory;
    HRESULT hr =
        library.getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory.p));
    if (!Succeeded(hr)) return hr;
    Released<IShellExtInit> init;
    hr = factory.p->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init.p));
    if (!Succeeded(hr)) return hr;

    auto* data = new CFileDataObject(paths);
    hr = init.p->Initialize(nullptr, data, nullptr);
    data->Release();
    if (!Succeeded(hr)) return hr;

    Released<IContextMenu> menu;
    hr = init.p->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu.p));
    if (!Succeeded(hr)) return hr;
    HostMenu items;
    hr = menu.p->QueryContextMenu(&items, 0, kFirstCommandId, kLastCommandId, CMF_NORMAL);
    if (!Succeeded(hr) || hr == 0 || items.ids.empty()) return hr;

    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = MakeIntVerb(items.ids.front() - kFirstCommandId);
    return menu.p->InvokeCommand(&info);
}

int LauncherMain(const std::vector<std::string>& args) {
    LoadCatalogues(platform::TranslationFolders(paths::Directory(platform::ProgramPath())));
    // Options come first; "--", or the first argument that is none, ends
    // them, so that a file named like an option stays a file.
    bool reg = false, unreg = false, options = true;
    std::vector<std::string> files;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            if (a == "--register")
                reg = true;
            else if (a == "--unregister")
                unreg = true;
            else
                return Usage(a);
        } else {
            options = false;
            files.push_back(a);
        }
    }
    // Exactly one thing to do: register, unregister or run on files.
    if (static_cast<int>(reg) + static_cast<int>(unreg) + static_cast<int>(!files.empty()) != 1)
        return Usage("");

    // Registration takes this installation's library; the command and
    // unregistration the registered one, else this installation's.
    RegisteredHandler handler;
    if (reg || !FindRegisteredHandler(&handler)) handler.library = InstalledLibrary();
    if (handler.library.empty()) return Fail(Tr(kLibraryMissing));

    ShellLibrary library;
    std::string error;
    if (!library.Open(handler.library, &error)) return Fail(error);
    if (reg || unreg) {
        const HRESULT hr = reg ? library.registerServer() : library.unregisterServer();
        if (hr == S_OK) return 0;
        char code[16];
        std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
        return Fail(FillIn(Tr(reg ? QT_TRANSLATE_NOOP("vig::shell", "registration failed (%1)")
                                  : QT_TRANSLATE_NOOP("vig::shell", "unregistration failed (%1)")),
                           {code}));
    }

    // The command shows windows; without a display say so instead of
    // letting the toolkit abort.
    if (!platform::HasDisplay()) return Fail(Tr(kNoDisplay));

    // The file managers hand over paths, some relative to the folder they
    // start us in; the command wants them whole (and none of them then
    // begins with '-').
    std::vector<std::string> selection;
    for (const std::string& file : files) selection.push_back(platform::AbsolutePath(file));
    const HRESULT hr = RunContextMenu(library, handler.clsid, selection);
    if (Succeeded(hr)) return 0;
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    return Fail(
        FillIn(Tr(QT_TRANSLATE_NOOP("vig::shell", "the context-menu object failed (%1)")), {code}));
}

}  // namespace vig::shell
