#include "shellext/library/shell_ext.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "image/codec_table.h"
#include "platform/paths.h"
#include "shellext/library/module.h"
#include "shellext/library/snapshrink_command.h"
#include "shellext/library/trace.h"
#include "shellext/shared/shell_texts.h"

namespace vig::shell {
bool SelectionOffersCommand(const std::vector<std::string>& selection) {
    for (const std::string& path : selection)
        if (image::InputFormatOf(paths::Extension(path)) != image::InputNone) return true;
    return false;
}

CShellExt::CShellExt() {
    Trace(trace::kCreated);
    ModuleObjectCreated();
}

CShellExt::~CShellExt() {
    if (dataObject_ != nullptr) dataObject_->Release();
    ModuleObjectDestroyed();
}

HRESULT CShellExt::QueryInterface(const IID& riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    *ppv = nullptr;
    if (IsEqualGUID(riid, IID_IShellExtInit) || IsEqualGUID(riid, IID_IUnknown)) {
        Trace(trace::kQueryInit);
        *ppv = static_cast<IShellExtInit*>(this);
    } else if (IsEqualGUID(riid, IID_IContextMenu)) {
        Trace(trace::kQueryMenu);
        *ppv = static_cast<IContextMenu*>(this);
    } else {
        Trace(trace::kQueryUnknown);
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CShellExt::AddRef() {
    Trace(trace::kAddRef);
    return refs_.Add();
}

ULONG CShellExt::Release() {
    Trace(trace::kRelease);
    return refs_.Release(this);
}

HRESULT CShellExt::Initialize(LPCITEMIDLIST, IDataObject* data, HKEY) {
    Trace(trace::kInitialize);
    // The new reference first: the same object handed in again survives.
    if (data != nullptr) data->AddRef();
    if (dataObject_ != nullptr) dataObject_->Release();
    dataObject_ = data;
    if (dataObject_ == nullptr) return S_OK;

    SelectionList.clear();
    const FORMATETC format = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!Succeeded(dataObject_->GetData(&format, &medium))) return S_OK;
    // One walk through the block: asking for each path by its index would
    // scan the block from its start every time.
    const auto drop = static_cast<HDROP>(medium.hGlobal);
    if (drop != nullptr) {
        for (const char* p = drop; *p != '\0';) {
            const size_t length = std::strlen(p);
            SelectionList.emplace_back(p, length);
            p += length + 1;
        }
    }
    ReleaseStgMedium(&medium);
    return S_OK;
}

HRESULT CShellExt::QueryContextMenu(HMENU menu, UINT indexMenu, UINT idCmdFirst, UINT, UINT flags) {
    Trace(trace::kQueryContextMenu);
    const UINT low = flags & 0x000Fu;
    if (low == CMF_NORMAL) {
        Trace(trace::kNormal);
    } else if ((low & CMF_VERBSONLY) != 0) {
        Trace(trace::kVerbsOnly);
    } else if ((low & CMF_EXPLORE) != 0) {
        Trace(trace::kExplore);
    } else if ((low & CMF_DEFAULTONLY) != 0) {
        Trace(trace::kDefaultOnly);
        return 0;
    } else {
        Trace(trace::kDefault);
        char line[40];
        std::snprintf(line, sizeof line, trace::kFlagsFormat, static_cast<int>(flags));
        Trace(line);
        return 0;
    }
    if (menu == nullptr || !SelectionOffersCommand(SelectionList)) return 0;
    menu->InsertItemByPosition(indexMenu, idCmdFirst, kMenuText);
    return 1;
}

HRESULT CShellExt::InvokeCommand(CMINVOKECOMMANDINFO* info) {
    Trace(trace::kInvokeCommand);
    if (info == nullptr || !IsIntVerb(info->lpVerb) ||
        reinterpret_cast<uintptr_t>(info->lpVerb) != 0)
        return S_OK;
    RunSnapshrinkCommand(SelectionList, info->hwnd);
    return S_OK;
}

HRESULT CShellExt::GetCommandString(uintptr_t idCmd, UINT type, UINT*, char* name, UINT cchMax) {
    Trace(trace::kGetCommandString);
    const char* text = nullptr;
    if (idCmd == 0 && type == GCS_VERBA) text = kMenuVerb;
    if (idCmd == 0 && type == GCS_HELPTEXTA) text = kMenuHelpText;
    if (text == nullptr || name == nullptr || cchMax == 0) return S_OK;
    const size_t n = std::min<size_t>(std::strlen(text), cchMax - 1);
    std::memcpy(name, text, n);
    name[n] = '\0';
    return S_OK;
}

}  // namespace vig::shell
