// The class factory of the context-menu object.
#pragma once

#include "shellext/shared/com_layout.h"

namespace vig::shell {

class CShellExtClassFactory final : public IClassFactory {
public:
    CShellExtClassFactory();
    ~CShellExtClassFactory();

    HRESULT QueryInterface(const IID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateInstance(IUnknown* outer, const IID& riid, void** ppv) override;
    HRESULT LockServer(int lock) override;

private:
    RefCount refs_;
};

}  // namespace vig::shell
