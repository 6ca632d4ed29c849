#pragma once
// An image list whose handle is the shell's system image list, so the icon index
// the shell reports for any object can be drawn directly; and the class-level
// lookups of the icon index of an item-ID list, a path or a file type, with
// fallbacks for paths the shell cannot answer. A component (new with an owner).
// With ShareImages (the default) the list uses the system handle and never
// destroys it; without, it holds its own copy of the images.
// The lookups may run on any thread that has COM.
#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string>

#include "framework/ImageList.h"

namespace fw {
class TBitmap;
class TFiler;
class TReader;
class TWriter;
}  // namespace fw

namespace shell {

enum TZemImageListSize {
    si_small,
    si_large,
    si_extralarge,
    si_jumbo
};

class TZemSystemImageList : public fw::TCustomImageList {
public:
    explicit TZemSystemImageList(fw::TComponent* AOwner);

    TZemImageListSize Size() const { return size_; }
    void SetSize(TZemImageListSize Value);
    using fw::TCustomImageList::SetSize;
    bool ShareImages() const { return fw::TCustomImageList::ShareImages(); }
    // Off gives the list its own copy of the system images.
    void SetShareImages(bool Value);

    // The shell's icon index of an absolute item-ID list (0 when the shell fails).
    static int GetIconIndex(LPCITEMIDLIST Pidl, TZemImageListSize Size, bool Open);
    // The shell's icon index of a path; with UseAttributes the path need not exist.
    // -1 when the shell fails.
    static int GetIconIndexOfPath(const std::wstring& Path, TZemImageListSize Size, bool UseAttributes, bool Open);
    // What the controls call: the path's own icon, else the folder icon for an
    // existing directory, else the icon its name suggests.
    static int GetIconIndexByPath(const std::wstring& Path, TZemImageListSize Size, bool Open);
    // The folder icon for roots and folder-like names, else the icon of the extension.
    static int GetIconIndexByName(const std::wstring& Path, TZemImageListSize Size, bool Open);
    // The icon of a file type, by a sample name on the Windows drive.
    static int GetIconIndexOfType(const std::wstring& Ext, TZemImageListSize Size, bool Open);
    // The icon of the temporary (else the Windows) folder, found once per process.
    static int GetFolderIconIndex(bool Open);

    // A new Width x Height bitmap (the caller owns it), filled with FillColor unless
    // that is clNone, with image Index of ImageList drawn in its centre.
    static fw::TBitmap* MakeIconBitmap(fw::TCustomImageList* ImageList, int Width, int Height, fw::TColor FillColor,
                                       fw::TColor BkColor, int Index);
    // On Windows Vista or later gives the list a new, empty 32-bit handle.
    static void MakeAlphaImageList(fw::TCustomImageList* ImageList);

    // Size, ShareImages, DrawingStyle and BkColor, each stored when it differs
    // from its default (si_small, true, dsTransparent, $FFFFFF).
    void DefineProperties(fw::TFiler& Filer) override;
    // Read: the handle follows the properties read.
    void ReadState(fw::TReader& Reader) override;
    // Written without a handle, so the system's images never go into a stream.
    void WriteState(fw::TWriter& Writer) override;

protected:
    std::wstring ClassName() const override { return L"TZemSystemImageList"; }

private:
    void UpdateHandle();

    TZemImageListSize size_ = si_small;
    // ShareImages as a stream reads or writes it, while the handle is set aside.
    std::optional<bool> streamedShare_;
};

}  // namespace shell
