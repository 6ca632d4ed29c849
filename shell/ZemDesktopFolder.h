#pragma once
// An IShellFolder that forwards everything to the desktop folder but answers a
// request for IDataObject with the data object it was made with (so drag and drop
// can offer its own data). A COM object: make it with Create, which hands out the
// first reference; it dies with its last Release.
#include <windows.h>
#include <shlobj.h>

#include "framework/ComObject.h"
#include "framework/Handles.h"

namespace shell {

class TZemDesktopFolder : public fw::TComObject<IShellFolder, IID_IShellFolder> {
public:
    // Raises EPathfinchError "Pathfinch Components: Cannot open Shell!" when the
    // desktop folder cannot be had. DataObject may be null.
    static fw::ComPtr<IShellFolder> Create(IDataObject* DataObject);

    // IShellFolder
    HRESULT STDMETHODCALLTYPE ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPWSTR pszDisplayName, ULONG* pchEaten,
                                               PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes) override;
    HRESULT STDMETHODCALLTYPE EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) override;
    HRESULT STDMETHODCALLTYPE BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2) override;
    HRESULT STDMETHODCALLTYPE CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) override;
    HRESULT STDMETHODCALLTYPE GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut) override;
    HRESULT STDMETHODCALLTYPE GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid,
                                            UINT* rgfReserved, void** ppv) override;
    HRESULT STDMETHODCALLTYPE GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) override;
    HRESULT STDMETHODCALLTYPE SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF uFlags,
                                        PITEMID_CHILD* ppidlOut) override;

private:
    TZemDesktopFolder(fw::ComPtr<IShellFolder> Desktop, IDataObject* DataObject);
    fw::ComPtr<IShellFolder> desktop_;
    fw::ComPtr<IDataObject> dataObject_;
};

}  // namespace shell
