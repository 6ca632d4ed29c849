#pragma once
// The work items the shell controls queue on GlobalWorkerPool, and the viewer
// interfaces through which their results come back. Each item is made on the
// main thread with std::make_shared and handed to AddWorkItem; Execute runs on a
// worker, the delivery on the main thread, and nothing is delivered once the item
// has been aborted (its owner cancelled it or has gone). A viewer is an interface
// of the control that asked; the control cancels its items (by Tag) before it goes.
#include <windows.h>
#include <shlobj.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Bitmap.h"
#include "framework/Handles.h"
#include "shell/WorkItem.h"
#include "shell/ZemSelectionList.h"

namespace shell {

class TIconWorkItem;
class TThumbnailWorkItem;
class TPathExistsWorkItem;
class TCheckBoxWorkItem;

// Receives an icon index: Kind 0 normal icon, 1 overlay, 2 open icon.
class IIconViewer {
public:
    virtual ~IIconViewer() = default;
    virtual void IconLoaded(int IconIndex, uint8_t Kind, void* Owner) = 0;
};

// Receives a thumbnail (the viewer owns it from now on) for the image at Index.
class IThumbnailViewer {
public:
    virtual ~IThumbnailViewer() = default;
    virtual void ThumbnailReady(std::unique_ptr<fw::TBitmap> Bitmap, int Index, void* Owner) = 0;
};

class IPathExistsViewer {
public:
    virtual ~IPathExistsViewer() = default;
    virtual void PathExistsResult(TPathExistsWorkItem* Item) = 0;
};

class ICheckBoxViewer {
public:
    virtual ~ICheckBoxViewer() = default;
    virtual void CheckBoxStateLoaded(TCheckBoxWorkItem* Item) = 0;
};

// The small system icon of a path or of an item-ID list (Kind 0 normal, 2 open
// form), or its overlay image (Kind 1; -1 for none).
class TIconWorkItem : public TBasicWorkItem {
public:
    TIconWorkItem(const std::wstring& Path, uint8_t Kind, IIconViewer* Viewer, void* Owner, intptr_t Tag);
    // The item keeps its own copy of the list.
    TIconWorkItem(LPCITEMIDLIST IDList, uint8_t Kind, IIconViewer* Viewer, void* Owner, intptr_t Tag);

    void Execute() override;
    const std::wstring& Path() const { return path_; }
    uint8_t Kind() const { return kind_; }
    int IconIndex() const { return iconIndex_; }

protected:
    virtual void DoCompleted();

private:
    std::wstring path_;
    fw::PidlPtr idList_;
    uint8_t kind_;
    IIconViewer* viewer_;
    int iconIndex_ = -1;
};

// The thumbnail of an absolute item-ID list at a size, for the viewer's image
// ImageIndex; with IconFallback the large icon where the shell has no thumbnail.
class TThumbnailWorkItem : public TBasicWorkItem {
public:
    TThumbnailWorkItem(LPCITEMIDLIST IDList, int Width, int Height, bool IconFallback, int ImageIndex,
                       IThumbnailViewer* Viewer, void* Owner, intptr_t Tag);

    void Execute() override;
    int ImageIndex() const { return imageIndex_; }
    fw::TBitmap* Bitmap() const { return bitmap_.get(); }

protected:
    virtual void DoCompleted();

private:
    fw::PidlPtr idList_;
    int width_;
    int height_;
    bool iconFallback_;
    int imageIndex_;
    IThumbnailViewer* viewer_;
    std::unique_ptr<fw::TBitmap> bitmap_;
};

// Whether a path still exists (a bare server name counts as existing).
class TPathExistsWorkItem : public TBasicWorkItem {
public:
    TPathExistsWorkItem(const std::wstring& Path, IPathExistsViewer* Viewer, void* Owner, intptr_t Tag);

    void Execute() override;
    const std::wstring& Path() const { return path_; }
    bool Exists() const { return exists_; }

protected:
    virtual void DoCompleted();

private:
    std::wstring path_;
    IPathExistsViewer* viewer_;
    bool exists_ = false;
};

// The check state of an absolute item-ID list in a selection list, as the list
// stood when the item was made.
class TCheckBoxWorkItem : public TBasicWorkItem {
public:
    TCheckBoxWorkItem(LPCITEMIDLIST IDList, const TZemSelectionList* SelectionList, ICheckBoxViewer* Viewer,
                      void* Owner, intptr_t Tag);

    void Execute() override;
    LPCITEMIDLIST IDList() const { return idList_.get(); }
    TZemSelectionState State() const { return state_; }
    bool Inherited() const { return inherited_; }

protected:
    virtual void DoCompleted();

private:
    fw::PidlPtr idList_;
    std::shared_ptr<const TZemSelectionSnapshot> selection_;
    ICheckBoxViewer* viewer_;
    TZemSelectionState state_ = ssUnused;
    bool inherited_ = false;
};

// The size, file count and folder count of a path: a file counts itself; a folder
// (or "folder\*", or a drive root) counts itself and, when Recursive, everything
// below it, however deep. Links are followed only with FollowLinks (or below a
// followed link), never into the folder being summed or below it, never into a
// folder the walk is already inside (by its target's path or its file ID), and
// never more than MaxLinkHops links deep. A link whose target cannot be read is
// counted like any entry. The result comes through OnCompleted only.
class TZemFolderSizeWorkItem : public TBasicWorkItem {
public:
    static constexpr int MaxLinkHops = 32;

    TZemFolderSizeWorkItem(const std::wstring& Path, bool Recursive, bool FollowLinks, void* Owner = nullptr);

    void Execute() override;
    const std::wstring& Path() const { return path_; }
    int64_t Size() const { return size_; }
    int FileCount() const { return fileCount_; }
    int FolderCount() const { return folderCount_; }

private:
    struct TFrame;
    void SumFolderSize(const std::wstring& Folder, bool ParentIsLink);
    // Whether the link Name in the innermost folder of Chain may be entered.
    bool MayFollowLink(std::vector<TFrame>& Chain, const std::wstring& Name);

    std::wstring path_;
    bool recursive_;
    bool followLinks_;
    std::wstring root_;  // the folder being summed, without trailing backslash
    int64_t size_ = 0;
    int fileCount_ = 0;
    int folderCount_ = 0;
};

// The target of a junction or symbolic link, "\??\" removed; empty when the path
// is no link of those two kinds or its data cannot be read.
std::wstring ReadLinkTarget(const std::wstring& Path);
// The target held in the reparse data of a junction or symbolic link (only those
// two tags, only within Size bytes); empty otherwise.
std::wstring ParseReparseTarget(const void* Data, size_t Size);

}  // namespace shell
