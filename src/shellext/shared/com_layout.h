// The binary conversation between a file manager's host and the context-menu
// library: 16-byte identifiers, result codes with their Windows values, and
// interfaces whose tables start with QueryInterface, AddRef and Release in
// that order. Each interface is a class of pure virtual functions without a
// virtual destructor, so that its table holds exactly the slots declared,
// in declaration order. Both sides (libvigshell.so and the launcher) compile
// this header; nothing in it allocates across the boundary.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

namespace vig::shell {

using HRESULT = int32_t;
using ULONG = uint32_t;
using UINT = uint32_t;

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT S_FALSE = 1;
inline constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
inline constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
inline constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
inline constexpr HRESULT DV_E_FORMATETC = static_cast<HRESULT>(0x80040064u);
inline constexpr HRESULT CLASS_E_NOAGGREGATION = static_cast<HRESULT>(0x80040110u);
inline constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = static_cast<HRESULT>(0x80040111u);
inline constexpr HRESULT SELFREG_E_CLASS = static_cast<HRESULT>(0x80040201u);

inline constexpr bool Succeeded(HRESULT hr) {
    return hr >= 0;
}

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);
using IID = GUID;
using CLSID = GUID;

inline bool IsEqualGUID(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case digits.
std::string GuidToString(const GUID& guid);
// The reverse, letter case ignored; false for any other text.
bool GuidFromString(const std::string& text, GUID* guid);

// The interface identifiers keep their Windows values.
inline constexpr IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IClassFactory = {
    0x00000001, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IDataObject = {
    0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IShellExtInit = {
    0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
inline constexpr IID IID_IContextMenu = {
    0x000214E4, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// The class of the context-menu object, generated once for this program.
inline constexpr CLSID CLSID_ShellExtension = {
    0x6F1D3C52, 0x8B27, 0x4E9A, {0xA4, 0x1F, 0x3D, 0x95, 0xC2, 0x7B, 0x60, 0xE8}};

class IUnknown {
public:
    virtual HRESULT QueryInterface(const IID& riid, void** ppv) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

// The reference count of one of our objects: its AddRef and Release
// forward here, and the Release that takes the count to 0 deletes it.
class RefCount {
public:
    explicit RefCount(ULONG initial = 0) : count_(initial) {}
    ULONG Add() { return ++count_; }
    template <class Object>
    ULONG Release(Object* object) {
        if (--count_ != 0) return count_;
        delete object;
        return 0;
    }

private:
    ULONG count_;
};

// The QueryInterface of an object of ours that has one interface besides
// IUnknown: `object` as that interface, with a new reference.
template <class Interface, class Object>
HRESULT QueryOneInterface(Object* object, const IID& iid, const IID& riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, iid)) return E_NOINTERFACE;
    *ppv = static_cast<Interface*>(object);
    object->AddRef();
    return S_OK;
}

class IClassFactory : public IUnknown {
public:
    virtual HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) = 0;
    virtual HRESULT LockServer(int lock) = 0;

protected:
    ~IClassFactory() = default;
};

// Selections travel as file-drop data: a block of paths, each ended by a
// zero byte, the whole ended by one more zero byte.
inline constexpr uint16_t CF_HDROP = 15;
inline constexpr uint32_t DVASPECT_CONTENT = 1;
inline constexpr uint32_t TYMED_HGLOBAL = 1;
using HDROP = const char*;

struct FORMATETC {
    uint16_t cfFormat;
    void* ptd;
    uint32_t dwAspect;
    int32_t lindex;
    uint32_t tymed;
};

struct STGMEDIUM {
    uint32_t tymed;
    const void* hGlobal;
    // Released by ReleaseStgMedium; the block lives as long as it does.
    IUnknown* pUnkForRelease;
};

class IDataObject : public IUnknown {
public:
    virtual HRESULT GetData(const FORMATETC* format, STGMEDIUM* medium) = 0;

protected:
    ~IDataObject() = default;
};

// Hands the medium back to the data object that gave it.
void ReleaseStgMedium(STGMEDIUM* medium);

// The folder and the program's registry key handed to Initialize; unused
// here.
using HKEY = void*;
using LPCITEMIDLIST = const void*;

class IShellExtInit : public IUnknown {
public:
    virtual HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, HKEY programKey) = 0;

protected:
    ~IShellExtInit() = default;
};

// The menu a host builds: items inserted by position, each with a command
// identifier and its text.
class IMenu {
public:
    virtual bool InsertItemByPosition(UINT position, UINT commandId, const char* text) = 0;

protected:
    ~IMenu() = default;
};
using HMENU = IMenu*;

inline constexpr UINT CMF_NORMAL = 0x0;
inline constexpr UINT CMF_DEFAULTONLY = 0x1;
inline constexpr UINT CMF_VERBSONLY = 0x2;
inline constexpr UINT CMF_EXPLORE = 0x4;
inline constexpr UINT CMF_NOVERBS = 0x8;

inline constexpr UINT GCS_VERBA = 0x0;
inline constexpr UINT GCS_HELPTEXTA = 0x1;

// The window of the host that invoked a command: a QWidget* when the host
// is a Qt program, nullptr when it has no window.
using HWND = void*;

struct CMINVOKECOMMANDINFO {
    uint32_t cbSize;
    uint32_t fMask;
    HWND hwnd;
    // A verb text, or a command offset when its bits above the low 16 are 0.
    const char* lpVerb;
    const char* lpParameters;
    const char* lpDirectory;
    int32_t nShow;
    uint32_t dwHotKey;
    void* hIcon;
};

inline const char* MakeIntVerb(UINT offset) {
    return reinterpret_cast<const char*>(static_cast<uintptr_t>(offset & 0xFFFF));
}
inline bool IsIntVerb(const char* verb) {
    return (reinterpret_cast<uintptr_t>(verb) >> 16) == 0;
}

class IContextMenu : public IUnknown {
public:
    // Success, with the number of items added as the code.
    virtual HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                     UINT flags) = 0;
    virtual HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) = 0;
    virtual HRESULT GetCommandString(uintptr_t idCmd, UINT type, UINT* reserved, char* name,
                                     UINT cchMax) = 0;

protected:
    ~IContextMenu() = default;
};

// The exports of the library, looked up by name.
extern "C" {
using DllCanUnloadNowFn = HRESULT (*)();
using DllGetClassObjectFn = HRESULT (*)(const CLSID& clsid, const IID& riid, void** ppv);
using DllRegisterServerFn = HRESULT (*)();
using DllUnregisterServerFn = HRESULT (*)();
}

}  // namespace vig::shell
