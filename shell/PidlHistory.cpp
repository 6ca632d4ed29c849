#include "shell/PidlHistory.h"

#include "framework/Exception.h"

namespace shell {

namespace {

// Whether the desktop folder sees both lists as the same object.
bool SameObject(LPCITEMIDLIST A, LPCITEMIDLIST B) {
    IShellFolder* desktop = nullptr;
    if (FAILED(SHGetDesktopFolder(&desktop)) || !desktop) return false;
    const HRESULT hr = desktop->CompareIDs(0, A, B);
    desktop->Release();
    return SUCCEEDED(hr) && HRESULT_CODE(hr) == 0;
}

}  // namespace

TPidlHistory::~TPidlHistory() {
    Clear();
}

void TPidlHistory::Clear() {
    for (LPITEMIDLIST p : items_) CoTaskMemFree(p);
    items_.clear();
    itemIndex_ = 0;
}

void TPidlHistory::Add(LPITEMIDLIST Pidl) {
    if (!Pidl) return;
    if (LPCITEMIDLIST current = Current(); current && SameObject(Pidl, current)) {
        CoTaskMemFree(Pidl);
        return;
    }
    for (int i = Count() - 1; i > itemIndex_; --i) Delete(i);
    items_.push_back(Pidl);
    itemIndex_ = Count() - 1;
}

void TPidlHistory::Delete(int Index) {
    if (Index < 0 || Index >= Count())
        throw fw::EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    CoTaskMemFree(items_[Index]);
    items_.erase(items_.begin() + Index);
}

void TPidlHistory::Forward(int Steps) {
    for (int i = 0; i < Steps && itemIndex_ < Count() - 1; ++i) ++itemIndex_;
}

void TPidlHistory::Back(int Steps) {
    for (int i = 0; i < Steps && itemIndex_ >= 1; ++i) --itemIndex_;
}

LPCITEMIDLIST TPidlHistory::Items(int Index) const {
    if (Index < 0 || Index >= Count())
        throw fw::EListError(L"List index out of bounds (" + std::to_wstring(Index) + L")");
    return items_[Index];
}

LPCITEMIDLIST TPidlHistory::Current() const {
    if (itemIndex_ < 0 || itemIndex_ >= Count()) return nullptr;
    return items_[itemIndex_];
}

}  // namespace shell
