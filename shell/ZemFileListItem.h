#pragma once
// The rows of the file list. TZemCheckableListItem is a list-view row that knows
// its object's item-ID lists (made on demand, owned) and its check state (the
// state image). TZemFileListItem stands for one path: it holds the path and,
// when the row came from a search, what the folder listing said of the object
// (attributes, size, time of the last change), which the list sorts on. Its
// column texts are filled once, the first time anyone reads them (the list's
// FillItemDetails), so rows nobody looks at cost no shell call.
// Rows are made by the file list (CreateListItem) and freed by its TListItems;
// a row cancels its pending work items when it goes.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <string>

#include "framework/Handles.h"
#include "framework/ListView.h"
#include "shell/ZemSelectionList.h"

namespace shell {

class TPathExistsWorkItem;
class TZemCustomFileList;

class TZemCheckableListItem : public fw::TListItem {
public:
    explicit TZemCheckableListItem(fw::TListItems* AOwner);
    ~TZemCheckableListItem() override;

    virtual void EnsureIDList() = 0;
    virtual TZemSelectionState GetCheckState();
    virtual void SetCheckState(TZemSelectionState Value);
    virtual bool IsChecked();
    virtual void SetChecked(bool Value);
    virtual std::wstring GetFullPath() = 0;

    // The object's lists (after EnsureIDList); owned by the row.
    LPCITEMIDLIST RelativeIDList() const { return relativeIDList_.get(); }
    LPCITEMIDLIST AbsoluteIDList() const { return absoluteIDList_.get(); }

    void NoteQueuedWork() { queuedWork_ = true; }

protected:
    bool queuedWork_ = false;
    fw::PidlPtr relativeIDList_;
    fw::PidlPtr absoluteIDList_;
};

// What the folder listing said of an object.
struct TZemFindData {
    DWORD Attributes = 0;
    int64_t Size = 0;
    FILETIME LastWriteTime{};
};

class TZemFileListItem : public TZemCheckableListItem {
public:
    explicit TZemFileListItem(fw::TListItems* AOwner);
    ~TZemFileListItem() override;

    void EnsureIDList() override;
    TZemSelectionState GetCheckState() override;
    void SetChecked(bool Value) override;
    std::wstring GetFullPath() override { return fullPath_; }
    // The row's thumbnail is made afresh: the image it holds is given up and
    // a picture still on its way is dropped.
    virtual void ResetThumbnail();

    const std::wstring& FullPath() const { return fullPath_; }
    // The path; NameStart, when given, is where its folder ends and its name
    // begins (as a folder listing joined them); else the last delimiter tells.
    void SetFullPath(const std::wstring& Value, size_t NameStart = 0);
    // The object's name (a drive root's is its root path) and its folder, with
    // its delimiter (empty for a drive root).
    std::wstring Name() const;
    std::wstring Folder() const;
    // The object was renamed: the row stands for NewPath, and its lists, listing
    // data and texts are read afresh.
    void Renamed(const std::wstring& NewPath);
    // The object changed: the same, read afresh.
    void Changed() { Renamed(std::wstring(fullPath_)); }
    TZemCustomFileList* FileList() const;
    bool Updated() const { return updated_; }
    void SetUpdated(bool Value) { updated_ = Value; }
    TPathExistsWorkItem* PendingExistsCheck() const { return pendingExistsCheck_; }
    void SetPendingExistsCheck(TPathExistsWorkItem* Value) { pendingExistsCheck_ = Value; }

    // The listing's data of the object; read from the file system the first
    // time when the row did not come from a search. Found() is false when the
    // object could not be read.
    const TZemFindData& FindData();
    bool Found();
    void SetFindData(const TZemFindData& Value);
    bool IsFolder() { return (FindData().Attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

    // Whether the column texts have been filled; the list's fill sets it.
    bool TextsFilled() const { return textsFilled_; }
    void SetTextsFilled(bool Value) { textsFilled_ = Value; }
    // The texts as they stand, without filling them.
    const std::wstring& HeldCaption() { return RawCaption(); }
    void SetHeldCaption(const std::wstring& Value) { RawCaption() = Value; }
    fw::TListSubItems& HeldSubItems() { return RawSubItems(); }
    // Whether an overlay was looked up for the row.
    bool OverlayDone() const { return overlayDone_; }
    void SetOverlayDone(bool Value) { overlayDone_ = Value; }

protected:
    void NeedTexts() override;

private:
    std::wstring fullPath_;
    uint32_t nameStart_ = 0;  // 0: where the last delimiter is
    TZemFindData findData_;
    TPathExistsWorkItem* pendingExistsCheck_ = nullptr;  // the pool owns it
    bool updated_ = false;
    bool textsFilled_ = false;
    bool findDataKnown_ = false;
    bool found_ = false;
    bool overlayDone_ = false;
};

// The list's rows, typed.
class TZemFileListItems : public fw::TListItems {
public:
    using fw::TListItems::TListItems;
    TZemFileListItem* Item(int Index) const { return static_cast<TZemFileListItem*>(fw::TListItems::Item(Index)); }
    TZemFileListItem* operator[](int Index) const { return Item(Index); }
};

}  // namespace shell
