// The four entry points of libvigshell.so, the only symbols it exports.
#include <new>

#include "shellext/library/class_factory.h"
#include "shellext/library/module.h"
#include "shellext/library/registration.h"
#include "shellext/library/trace.h"
#include "shellext/shared/com_layout.h"
#include "shellext/shared/shell_texts.h"

using namespace vig::shell;

#define VIG_EXPORT extern "C" __attribute__((visibility("default")))

VIG_EXPORT HRESULT DllCanUnloadNow() {
    Trace(trace::kCanUnloadNow);
    return ModuleObjectCount() == 0 ? S_OK : S_FALSE;
}

VIG_EXPORT HRESULT DllGetClassObject(const CLSID& clsid, const IID& riid, void** ppv) {
    Trace(trace::kGetClassObject);
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (!IsEqualGUID(clsid, CLSID_ShellExtension)) return CLASS_E_CLASSNOTAVAILABLE;
    auto* factory = new (std::nothrow) CShellExtClassFactory;
    if (factory == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, ppv);
    // A factory nobody holds goes at once rather than keep the library
    // loaded for good.
    if (!Succeeded(hr)) delete factory;
    return hr;
}

VIG_EXPORT HRESULT DllRegisterServer() {
    return RegisterServer();
}

VIG_EXPORT HRESULT DllUnregisterServer() {
    return UnregisterServer();
}
