#include "framework/DataObject.h"

#include <cstring>

namespace fw {

namespace {

bool IsContentRequest(const FORMATETC* Format) {
    return Format && (Format->tymed & TYMED_HGLOBAL) && Format->dwAspect == DVASPECT_CONTENT &&
           (Format->lindex == -1 || Format->lindex == 0);
}

// The formats the object holds, enumerated for OLE and the shell.
class TFormatEnumerator : public TComObject<IEnumFORMATETC, IID_IEnumFORMATETC> {
public:
    TFormatEnumerator(std::vector<FORMATETC> Formats, ULONG Position)
        : formats_(std::move(Formats)), position_(Position) {}
    HRESULT STDMETHODCALLTYPE Next(ULONG celt, FORMATETC* rgelt, ULONG* pceltFetched) override {
        if (!rgelt || (celt > 1 && !pceltFetched)) return E_POINTER;
        ULONG fetched = 0;
        while (fetched < celt && position_ < formats_.size()) rgelt[fetched++] = formats_[position_++];
        if (pceltFetched) *pceltFetched = fetched;
        return fetched == celt ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG celt) override {
        const ULONG left = ULONG(formats_.size()) - position_;
        position_ += celt < left ? celt : left;
        return celt <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** ppenum) override {
        if (!ppenum) return E_POINTER;
        *ppenum = new TFormatEnumerator(formats_, position_);
        return S_OK;
    }

private:
    std::vector<FORMATETC> formats_;
    ULONG position_;
};

}  // namespace

GlobalHandle CopyGlobalBlock(HGLOBAL Block) {
    const SIZE_T size = Block ? GlobalSize(Block) : 0;
    if (size == 0) return GlobalHandle();
    GlobalHandle copy(GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, size));
    if (!copy) return copy;
    const GlobalLockGuard from(Block);
    const GlobalLockGuard to(copy.get());
    if (!from.Data() || !to.Data()) return GlobalHandle();
    std::memcpy(to.Data(), from.Data(), size);
    return copy;
}

ComPtr<TDataObject> TDataObject::Create() {
    ComPtr<TDataObject> result;
    result.attach(new TDataObject());
    return result;
}

void TDataObject::SetBlock(CLIPFORMAT Format, GlobalHandle Block) {
    for (Entry& entry : entries_)
        if (entry.Format == Format) {
            entry.Block = std::move(Block);
            return;
        }
    entries_.push_back(Entry{Format, std::move(Block)});
}

const TDataObject::Entry* TDataObject::Find(CLIPFORMAT Format) const {
    for (const Entry& entry : entries_)
        if (entry.Format == Format && entry.Block) return &entry;
    return nullptr;
}

bool TDataObject::HasFormat(CLIPFORMAT Format) const {
    return Find(Format) != nullptr;
}

HRESULT TDataObject::GetData(FORMATETC* pformatetcIn, STGMEDIUM* pmedium) {
    if (!pformatetcIn || !pmedium) return E_INVALIDARG;
    *pmedium = STGMEDIUM{};
    if (!IsContentRequest(pformatetcIn)) return DV_E_FORMATETC;
    const Entry* entry = Find(pformatetcIn->cfFormat);
    if (!entry) return DV_E_FORMATETC;
    GlobalHandle copy = CopyGlobalBlock(entry->Block.get());
    if (!copy) return E_OUTOFMEMORY;
    pmedium->tymed = TYMED_HGLOBAL;
    pmedium->hGlobal = copy.release();
    pmedium->pUnkForRelease = nullptr;
    return S_OK;
}

HRESULT TDataObject::GetDataHere(FORMATETC*, STGMEDIUM*) {
    return E_NOTIMPL;
}

HRESULT TDataObject::QueryGetData(FORMATETC* pformatetc) {
    if (!IsContentRequest(pformatetc)) return DV_E_FORMATETC;
    return Find(pformatetc->cfFormat) ? S_OK : DV_E_FORMATETC;
}

HRESULT TDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pformatetcOut) {
    if (pformatetcOut) pformatetcOut->ptd = nullptr;
    return E_NOTIMPL;
}

HRESULT TDataObject::SetData(FORMATETC* pformatetc, STGMEDIUM* pmedium, BOOL fRelease) {
    if (!pformatetc || !pmedium) return E_INVALIDARG;
    if (pformatetc->dwAspect != DVASPECT_CONTENT || pmedium->tymed != TYMED_HGLOBAL || !pmedium->hGlobal)
        return DV_E_FORMATETC;
    if (fRelease && !pmedium->pUnkForRelease) {
        SetBlock(pformatetc->cfFormat, GlobalHandle(pmedium->hGlobal));
        return S_OK;
    }
    // Not ours to keep: hold a copy, and let the caller's medium go as it says.
    GlobalHandle copy = CopyGlobalBlock(pmedium->hGlobal);
    if (!copy) return E_OUTOFMEMORY;
    SetBlock(pformatetc->cfFormat, std::move(copy));
    if (fRelease) ReleaseStgMedium(pmedium);
    return S_OK;
}

HRESULT TDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppenumFormatEtc) {
    if (!ppenumFormatEtc) return E_POINTER;
    *ppenumFormatEtc = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    std::vector<FORMATETC> formats;
    for (const Entry& entry : entries_)
        if (entry.Block) formats.push_back(FORMATETC{entry.Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
    *ppenumFormatEtc = new TFormatEnumerator(std::move(formats), 0);
    return S_OK;
}

HRESULT TDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TDataObject::DUnadvise(DWORD) {
    return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT TDataObject::EnumDAdvise(IEnumSTATDATA**) {
    return OLE_E_ADVISENOTSUPPORTED;
}

}  // namespace fw
