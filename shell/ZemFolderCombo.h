#pragma once
// TZemFolderCombo: an owner-drawn combo box of the user's drives and personal
// documents folder, each with its small shell icon, and optionally an edit field
// of its own for a typed path. It refills itself when drives or media come and
// go (through its folder watch, AutomaticRefresh), keeping the selected path.
// A control: new TZemFolderCombo(owner), placed with SetParent; the entries exist
// while the window does: making the window fills them, selects "C:\" and raises
// OnChange. Each entry carries a TZemComboItem (Items()->Objects(i)) that the combo
// owns, with the entry's path and item-ID list.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Edit.h"
#include "framework/Handles.h"
#include "framework/StdCtrls.h"

namespace shell {

class TPathfinch;
class TZemSystemImageList;
class IZemFolderWatch;
class TZemShellChangeNotifier;

// The object of one entry.
class TZemComboItem : public fw::TObject {
public:
    TZemComboItem(const std::wstring& Path, const std::wstring& DisplayName, int Indent, int ImageIndex);

    const std::wstring& Path() const { return path_; }
    // A drive root is shown by its display name.
    void SetPath(const std::wstring& Value);
    bool UseDisplayName = false;
    std::wstring DisplayName;
    int Indent = 0;
    // The small system icon; fetched from the item-ID list when first asked for.
    int ImageIndex();
    void SetImageIndex(int Value) { imageIndex_ = Value; }
    LPCITEMIDLIST IDList() const { return idList_.get(); }
    // Takes a copy.
    void SetIDList(LPCITEMIDLIST Value);

private:
    std::wstring path_;
    int imageIndex_ = -1;
    fw::PidlPtr idList_;
};

// A combo box whose text is edited in an edit control laid over it.
class TZemCustomEditComboBox : public fw::TCustomComboBox {
public:
    explicit TZemCustomEditComboBox(fw::TComponent* AOwner);
    ~TZemCustomEditComboBox() override;

    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool Value) { useSystemFont_ = Value; }
    std::wstring Version() const { return ClassName() + L" V7.2.0.544"; }
    void SetVersion(const std::wstring&) {}
    fw::TEdit* EditControl() const { return edit_; }
    // Selects as a choice does (Select): the edit shows the entry's text and
    // OnChange fires.
    void SetItemIndex(int Value) override;
    void SetEditText(const std::wstring& Value);

protected:
    virtual void CreateEditControl();
    void FreeEditControl();
    void ResizeEdit();
    virtual void EditKeyPress(fw::TObject* Sender, wchar_t& Key);
    virtual void EditKeyDown(fw::TObject* Sender, WORD& Key, fw::TShiftState Shift);
    virtual void EditKeyUp(fw::TObject* Sender, WORD& Key, fw::TShiftState Shift);
    virtual void SelectEditText();
    // Selects Index without an event; the edit shows the entry's text.
    void ChooseIndex(int Index);
    void Loaded() override;
    // The face is drawn around the edit, never over it.
    void CreateParams(fw::TCreateParams& Params) override;
    void CreateWnd() override;
    void Change() override;
    void Select() override;
    void DropDown() override;
    void Resize() override;
    std::wstring ClassName() const override { return L"TZemCustomEditComboBox"; }

private:
    bool useSystemFont_ = true;
    fw::TEdit* edit_ = nullptr;
};

class TZemCustomFolderCombo : public TZemCustomEditComboBox {
public:
    explicit TZemCustomFolderCombo(fw::TComponent* AOwner);
    ~TZemCustomFolderCombo() override;

    TPathfinch* Browser() const { return browser_; }
    TZemSystemImageList* Images() const { return images_; }
    // The entry object of Index, or nullptr.
    TZemComboItem* Item(int Index) const;
    // Deletes every entry (their objects go with them).
    virtual void Clear();
    virtual std::wstring GetEditText() = 0;
    virtual bool SelectPath(const std::wstring& Path) = 0;
    // With AutoComplete, the first key press after the window was made asks the
    // shell to complete file-system paths in the edit; this tells whether it did.
    bool AutoCompleteSet() const { return autoCompleteSet_; }

    void WndProc(fw::TMessage& Message) override;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void EditKeyPress(fw::TObject* Sender, wchar_t& Key) override;
    std::wstring ClassName() const override { return L"TZemCustomFolderCombo"; }

private:
    void FreeKeptObjects();

    TPathfinch* browser_ = nullptr;
    TZemSystemImageList* images_ = nullptr;
    bool autoCompleteSet_ = false;
    bool keepObjects_ = false;
};

class TZemFolderCombo : public TZemCustomFolderCombo {
public:
    explicit TZemFolderCombo(fw::TComponent* AOwner);
    ~TZemFolderCombo() override;

    bool IncludeDrives() const { return includeDrives_; }
    void SetIncludeDrives(bool Value);
    bool IncludeRemovableDrives() const { return includeRemovableDrives_; }
    void SetIncludeRemovableDrives(bool Value);
    bool IncludeMyDocuments() const { return includeMyDocuments_; }
    void SetIncludeMyDocuments(bool Value);
    bool AutomaticRefresh() const { return automaticRefresh_; }
    void SetAutomaticRefresh(bool Value);
    void SetEnabled(bool Value) override;
    bool Editable() const { return EditControl() != nullptr; }
    void SetEditable(bool Value);
    // The edit's text when there is one and it is not empty, else the combo's.
    std::wstring Text() const;
    void SetText(const std::wstring& Value) override;

    std::wstring GetEditText() override;
    // Selects (appending when needed) the entry of Path and raises OnChange;
    // false while the combo is disabled.
    bool SelectPath(const std::wstring& Path) override;
    // Appends an entry for Path with its shell name and icon; -1 when it is one already.
    int AddPathItem(const std::wstring& Path);
    // Builds the entries again, keeping the selected path.
    void FillItems();
    // The shell's context menu of the folder the text names (what a right click
    // shows when the combo has no popup menu of its own).
    void ShowFolderMenu(POINT ScreenPos);

    IZemFolderWatch* FolderWatch() const { return watch_.get(); }
    void SetFolderWatch(std::unique_ptr<IZemFolderWatch> Value);
    // What the folder watch reports (ShellEvent: the shell's SHCNE_* bit).
    void ShellChangeNotice(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST IDList2);

    void WndProc(fw::TMessage& Message) override;

protected:
    void CreateWnd() override;
    void DrawItem(int Index, const RECT& Rect, fw::TOwnerDrawState State) override;
    void CloseUp() override;
    std::wstring ClassName() const override { return L"TZemFolderCombo"; }

private:
    struct Entry {
        std::wstring path;
        std::wstring displayName;
        int imageIndex;
        fw::PidlPtr idList;
        bool useDisplayName;
    };
    std::vector<Entry> CollectEntries();
    bool SameEntries(const std::vector<Entry>& Entries) const;
    void ConvertPlainEntries();

    bool includeDrives_ = false;
    bool includeRemovableDrives_ = false;
    bool includeMyDocuments_ = false;
    bool automaticRefresh_ = true;
    fw::TColor savedColor_ = fw::clWindow;
    // The change notifier (owned) and the watch over it.
    TZemShellChangeNotifier* notifier_ = nullptr;
    std::unique_ptr<IZemFolderWatch> watch_;
    bool conversionPosted_ = false;
};

}  // namespace shell
