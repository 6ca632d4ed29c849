#include "shell/ZemDesktopFolder.h"

#include "shell/Pathfinch.h"

namespace shell {

fw::ComPtr<IShellFolder> TZemDesktopFolder::Create(IDataObject* DataObject) {
    fw::ComPtr<IShellFolder> desktop;
    if (FAILED(SHGetDesktopFolder(desktop.put())) || !desktop)
        throw EPathfinchError(L"Pathfinch Components: Cannot open Shell!");
    fw::ComPtr<IShellFolder> result;
    result.attach(new TZemDesktopFolder(std::move(desktop), DataObject));
    return result;
}

TZemDesktopFolder::TZemDesktopFolder(fw::ComPtr<IShellFolder> Desktop, IDataObject* DataObject)
    : desktop_(std::move(Desktop)), dataObject_(DataObject) {}

HRESULT TZemDesktopFolder::ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPWSTR pszDisplayName, ULONG* pchEaten,
                                            PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes) {
    return desktop_->ParseDisplayName(hwnd, pbc, pszDisplayName, pchEaten, ppidl, pdwAttributes);
}

HRESULT TZemDesktopFolder::EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) {
    if (ppenumIDList) *ppenumIDList = nullptr;
    return desktop_->EnumObjects(hwnd, grfFlags, ppenumIDList);
}

HRESULT TZemDesktopFolder::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) {
    return desktop_->BindToObject(pidl, pbc, riid, ppv);
}

HRESULT TZemDesktopFolder::BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) {
    return desktop_->BindToStorage(pidl, pbc, riid, ppv);
}

HRESULT TZemDesktopFolder::CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2) {
    return desktop_->CompareIDs(lParam, pidl1, pidl2);
}

HRESULT TZemDesktopFolder::CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) {
    return desktop_->CreateViewObject(hwndOwner, riid, ppv);
}

HRESULT TZemDesktopFolder::GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut) {
    return desktop_->GetAttributesOf(cidl, apidl, rgfInOut);
}

HRESULT TZemDesktopFolder::GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                         UINT* rgfReserved, void** ppv) {
    if (IsEqualIID(riid, IID_IDataObject) && dataObject_) {
        if (!ppv) return E_POINTER;
        return dataObject_.CopyTo(reinterpret_cast<IDataObject**>(ppv));
    }
    return desktop_->GetUIObjectOf(hwndOwner, cidl, apidl, riid, rgfReserved, ppv);
}

HRESULT TZemDesktopFolder::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) {
    return desktop_->GetDisplayNameOf(pidl, uFlags, pName);
}

HRESULT TZemDesktopFolder::SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF uFlags,
                                     PITEMID_CHILD* ppidlOut) {
    return desktop_->SetNameOf(hwnd, pidl, pszName, uFlags, ppidlOut);
}

}  // namespace shell
