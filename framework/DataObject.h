#pragma once
// TDataObject: a small in-process IDataObject that carries blocks of global
// memory, one per clipboard format, for the clipboard and drag and drop.
// A COM object: Create hands out the first reference and it dies with its last
// Release. It owns the blocks it holds; GetData hands each caller a copy, so a
// reader may release its medium freely. Only TYMED_HGLOBAL and DVASPECT_CONTENT
// are offered. Use it on one thread at a time.
#include <windows.h>
#include <objidl.h>

#include <vector>

#include "framework/ComObject.h"
#include "framework/Handles.h"

namespace fw {

class TDataObject : public TComObject<IDataObject, IID_IDataObject> {
public:
    static ComPtr<TDataObject> Create();

    // Takes Block over for Format (a block already held for it is freed).
    void SetBlock(CLIPFORMAT Format, GlobalHandle Block);
    bool HasFormat(CLIPFORMAT Format) const;

    // IDataObject
    HRESULT STDMETHODCALLTYPE GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC* pformatetc, STGMEDIUM* pmedium) override;
    HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC* pformatetc) override;
    HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC* pformatectIn, FORMATETC* pformatetcOut) override;
    HRESULT STDMETHODCALLTYPE SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) override;
    HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) override;
    HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC* pformatetc, DWORD advf, IAdviseSink* pAdvSink,
                                      DWORD* pdwConnection) override;
    HRESULT STDMETHODCALLTYPE DUnadvise(DWORD dwConnection) override;
    HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA** ppenumAdvise) override;

private:
    TDataObject() = default;
    struct Entry {
        CLIPFORMAT Format;
        GlobalHandle Block;
    };
    const Entry* Find(CLIPFORMAT Format) const;

    std::vector<Entry> entries_;
};

// A copy of a global block (same size and contents); empty when it cannot be made.
GlobalHandle CopyGlobalBlock(HGLOBAL Block);

}  // namespace fw
