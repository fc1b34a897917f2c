#include "shellext/library/class_factory.h"

#include <new>

#include "shellext/library/module.h"
#include "shellext/library/shell_ext.h"
#include "shellext/library/trace.h"
#include "shellext/shared/shell_texts.h"

namespace vig::shell {

CShellExtClassFactory::CShellExtClassFactory() {
    Trace(trace::kFactoryCreated);
    ModuleObjectCreated();
}

CShellExtClassFactory::~CShellExtClassFactory() {
    ModuleObjectDestroyed();
}

HRESULT CShellExtClassFactory::QueryInterface(const IID& riid, void** ppv) {
    Trace(trace::kFactoryQueryInterface);
    return QueryOneInterface<IClassFactory>(this, IID_IClassFactory, riid, ppv);
}

ULONG CShellExtClassFactory::AddRef() {
    return refs_.Add();
}

ULONG CShellExtClassFactory::Release() {
    return refs_.Release(this);
}

HRESULT CShellExtClassFactory::CreateInstance(IUnknown* outer, const IID& riid, void** ppv) {
    Trace(trace::kFactoryCreateInstance);
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    auto* object = new (std::nothrow) CShellExt;
    if (object == nullptr) return E_OUTOFMEMORY;
    const HRESULT hr = object->QueryInterface(riid, ppv);
    // Nobody holds an object whose interface was refused: it goes at once
    // rather than keep the library loaded for good.
    if (!Succeeded(hr)) delete object;
    return hr;
}

HRESULT CShellExtClassFactory::LockServer(int) {
    return S_OK;
}

}  // namespace vig::shell
