#pragma once
// The back/forward history of absolute item-ID lists that a tree keeps.
// The history owns every list it is given (Add takes it over in every case) and
// frees them with the shell's allocator.
#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace shell {

class TPidlHistory {
public:
    TPidlHistory() = default;
    TPidlHistory(const TPidlHistory&) = delete;
    TPidlHistory& operator=(const TPidlHistory&) = delete;
    virtual ~TPidlHistory();

    // Takes Pidl over. Nil is ignored; the same object as the current entry is
    // freed and not added; otherwise everything after the current entry goes and
    // Pidl becomes the last and current entry.
    virtual void Add(LPITEMIDLIST Pidl);
    virtual void Delete(int Index);
    virtual void Forward(int Steps);
    virtual void Back(int Steps);
    void Clear();

    int Count() const { return int(items_.size()); }
    LPCITEMIDLIST Items(int Index) const;
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int Value) { itemIndex_ = Value; }
    // The entry at ItemIndex; nullptr when the history is empty.
    LPCITEMIDLIST Current() const;

private:
    std::vector<LPITEMIDLIST> items_;
    int itemIndex_ = 0;
};

}  // namespace shell
