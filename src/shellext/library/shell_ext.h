// The context-menu object: takes the selection from the file manager,
// offers "&Snapshrink..." when an image is among it, and runs the command.
#pragma once

#include <string>
#include <vector>

#include "shellext/shared/com_layout.h"

namespace vig::shell {

// Whether a selection qualifies: some path ends in an extension a reader of
// the codec table takes (from its last dot, letter case ignored).
bool SelectionOffersCommand(const std::vector<std::string>& selection);

class CShellExt final : public IContextMenu, public IShellExtInit {
public:
    CShellExt();
    ~CShellExt();

    // One reference count for both interfaces; IShellExtInit's forward here.
    HRESULT QueryInterface(const IID& riid, void** ppv) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Initialize(LPCITEMIDLIST folder, IDataObject* data, HKEY programKey) override;

    HRESULT QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                             UINT flags) override;
    HRESULT InvokeCommand(CMINVOKECOMMANDINFO* info) override;
    HRESULT GetCommandString(uintptr_t idCmd, UINT type, UINT* reserved, char* name,
                             UINT cchMax) override;

private:
    RefCount refs_;
    IDataObject* dataObject_ = nullptr;
    std::vector<std::string> SelectionList;
};

}  // namespace vig::shell
