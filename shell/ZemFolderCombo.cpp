#include "shell/ZemFolderCombo.h"

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "framework/Application.h"
#include "framework/Graphics.h"
#include "shell/Pathfinch.h"
#include "shell/PathUtils.h"
#include "shell/Pidl.h"
#include "shell/ShellEntryPoints.h"
#include "shell/SpecialFolders.h"
#include "shell/ZemShellChangeNotifier.h"
#include "shell/ZemSystemImageList.h"

namespace shell {

namespace {

// Posted to itself: entries added as plain text get their objects after drawing.
constexpr UINT WM_CONVERTENTRIES = WM_APP + 0x145;
constexpr LONG kComboEvents = SHCNE_DRIVEADD | SHCNE_DRIVEREMOVED | SHCNE_DRIVEADDGUI | SHCNE_MEDIAINSERTED |
                              SHCNE_MEDIAREMOVED | SHCNE_NETSHARE | SHCNE_NETUNSHARE;

bool SameText(const std::wstring& A, const std::wstring& B) {
    return CompareStringOrdinal(A.c_str(), int(A.size()), B.c_str(), int(B.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

// ---- TZemComboItem ---------------------------------------------------------------

TZemComboItem::TZemComboItem(const std::wstring& Path, const std::wstring& DisplayName, int Indent, int ImageIndex)
    : DisplayName(DisplayName), Indent(Indent), imageIndex_(ImageIndex) {
    SetPath(Path);
}

void TZemComboItem::SetPath(const std::wstring& Value) {
    path_ = Value;
    UseDisplayName = IsDriveRoot(Value);
}

int TZemComboItem::ImageIndex() {
    if (imageIndex_ < 0 && idList_) imageIndex_ = TZemSystemImageList::GetIconIndex(idList_.get(), si_small, false);
    return imageIndex_;
}

void TZemComboItem::SetIDList(LPCITEMIDLIST Value) {
    idList_.reset(Value ? PidlClone(Value) : nullptr);
}

// ---- TZemCustomEditComboBox ------------------------------------------------------------

TZemCustomEditComboBox::TZemCustomEditComboBox(fw::TComponent* AOwner) : fw::TCustomComboBox(AOwner) {}

TZemCustomEditComboBox::~TZemCustomEditComboBox() = default;

void TZemCustomEditComboBox::FreeEditControl() {
    delete edit_;
    edit_ = nullptr;
}

void TZemCustomEditComboBox::CreateEditControl() {
    FreeEditControl();
    edit_ = new fw::TEdit(this);
    edit_->SetBorderStyle(fw::bsNone);
    edit_->SetBounds(24, 3, edit_->Width(), edit_->Height());
    edit_->SetParent(this);
    edit_->OnKeyPress = [this](fw::TObject* Sender, wchar_t& Key) { EditKeyPress(Sender, Key); };
    edit_->OnKeyDown = [this](fw::TObject* Sender, WORD& Key, fw::TShiftState Shift) {
        EditKeyDown(Sender, Key, Shift);
    };
    edit_->OnKeyUp = [this](fw::TObject* Sender, WORD& Key, fw::TShiftState Shift) { EditKeyUp(Sender, Key, Shift); };
    edit_->OnEnter = [this](fw::TObject*) {
        if (edit_) edit_->SelectAll();
    };
    ResizeEdit();
}

void TZemCustomEditComboBox::ResizeEdit() {
    if (!edit_) return;
    const int edge = GetSystemMetrics(SM_CXEDGE);
    edit_->SetBounds(edit_->Left(), edit_->Top(), Width() - edit_->Left() - 2 * edge - GetSystemMetrics(SM_CXVSCROLL),
                     Height() - edit_->Top() - edge);
}

void TZemCustomEditComboBox::EditKeyPress(fw::TObject*, wchar_t& Key) {
    if (OnKeyPress && Key != 0) OnKeyPress(this, Key);
}

void TZemCustomEditComboBox::EditKeyDown(fw::TObject*, WORD& Key, fw::TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 65 && Shift == fw::ssCtrl) {
        SelectEditText();
        Key = 0;
    }
}

void TZemCustomEditComboBox::EditKeyUp(fw::TObject*, WORD& Key, fw::TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TZemCustomEditComboBox::SelectEditText() {
    if (!edit_) return;
    edit_->SelectAll();
    if (edit_->CanFocus()) edit_->SetFocus();
}

void TZemCustomEditComboBox::SetEditText(const std::wstring& Value) {
    if (edit_) {
        edit_->SetText(Value);
        edit_->Repaint();
    } else if (Value != fw::TCustomComboBox::Text()) {
        fw::TCustomComboBox::SetText(Value);
    }
}

void TZemCustomEditComboBox::Change() {
    fw::TCustomComboBox::Change();
    if (edit_) SetEditText(fw::TCustomComboBox::Text());
}

void TZemCustomEditComboBox::Select() {
    if (edit_) SetEditText(fw::TCustomComboBox::Text());
    fw::TCustomComboBox::Select();
}

void TZemCustomEditComboBox::SetItemIndex(int Value) {
    fw::TCustomComboBox::SetItemIndex(Value);
    Select();
}

void TZemCustomEditComboBox::ChooseIndex(int Index) {
    fw::TCustomComboBox::SetItemIndex(Index);
    if (edit_) SetEditText(fw::TCustomComboBox::Text());
}

void TZemCustomEditComboBox::DropDown() {
    if (HandleAllocated() && !Focused() && CanFocus()) SetFocus();
    if (HandleAllocated() && Width() < 250) SendMessageW(Handle(), CB_SETDROPPEDWIDTH, 250, 0);
    fw::TCustomComboBox::DropDown();
}

void TZemCustomEditComboBox::Resize() {
    fw::TCustomComboBox::Resize();
    ResizeEdit();
}

void TZemCustomEditComboBox::CreateParams(fw::TCreateParams& Params) {
    fw::TCustomComboBox::CreateParams(Params);
    // Without it the face, repainted after a choice, hides the edit until the edit paints again.
    Params.Style |= WS_CLIPCHILDREN;
}

void TZemCustomEditComboBox::CreateWnd() {
    fw::TCustomComboBox::CreateWnd();
    ResizeEdit();
}

void TZemCustomEditComboBox::Loaded() {
    fw::TCustomComboBox::Loaded();
    Change();
    if (useSystemFont_) SetIconTitleFont(Font());
}

// ---- TZemCustomFolderCombo -------------------------------------------------------------

TZemCustomFolderCombo::TZemCustomFolderCombo(fw::TComponent* AOwner) : TZemCustomEditComboBox(AOwner) {
    browser_ = new TPathfinch(this);
    images_ = new TZemSystemImageList(this);
    SetStyle(fw::csOwnerDrawFixed);
}

TZemCustomFolderCombo::~TZemCustomFolderCombo() {
    // The window's deletion notices are kept out: the objects go here.
    DestroyHandle();
    FreeKeptObjects();
}

void TZemCustomFolderCombo::FreeKeptObjects() {
    if (HandleAllocated()) return;
    fw::TStrings* items = Items();
    for (int i = 0; i < items->Count(); ++i) {
        delete items->Objects(i);
        items->PutObject(i, nullptr);
    }
}

TZemComboItem* TZemCustomFolderCombo::Item(int Index) const {
    fw::TStrings* items = Items();
    if (Index < 0 || Index >= items->Count()) return nullptr;
    return dynamic_cast<TZemComboItem*>(items->Objects(Index));
}

void TZemCustomFolderCombo::Clear() {
    if (!Parent()) return;
    if (!HandleAllocated()) FreeKeptObjects();
    // In the window each deleted entry's object goes with its deletion notice.
    fw::TStrings* items = Items();
    for (int i = items->Count() - 1; i >= 0; --i) items->Delete(i);
}

void TZemCustomFolderCombo::CreateWnd() {
    keepObjects_ = false;
    TZemCustomEditComboBox::CreateWnd();
    autoCompleteSet_ = false;
}

void TZemCustomFolderCombo::DestroyWnd() {
    // The entries move into the object with their objects; the window's notices must not free them.
    keepObjects_ = true;
    TZemCustomEditComboBox::DestroyWnd();
}

void TZemCustomFolderCombo::EditKeyPress(fw::TObject* Sender, wchar_t& Key) {
    if (!autoCompleteSet_ && AutoComplete() && EditControl()) {
        shell::SetAutoComplete(EditControl()->Handle(), true, false);
        autoCompleteSet_ = true;
    }
    TZemCustomEditComboBox::EditKeyPress(Sender, Key);
}

void TZemCustomFolderCombo::WndProc(fw::TMessage& Message) {
    if (Message.Msg == fw::CN_DELETEITEM) {
        auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
        if (!keepObjects_) delete reinterpret_cast<fw::TObject*>(item->itemData);
        Message.Result = TRUE;
        return;
    }
    TZemCustomEditComboBox::WndProc(Message);
}

// ---- TZemFolderCombo ------------------------------------------------------------------

TZemFolderCombo::TZemFolderCombo(fw::TComponent* AOwner) : TZemCustomFolderCombo(AOwner) {
    notifier_ = new TZemShellChangeNotifier(this);
    SetFolderWatch(std::make_unique<TZemNotifierFolderWatch>(notifier_));
}

TZemFolderCombo::~TZemFolderCombo() {
    watch_.reset();
    delete notifier_;
}

void TZemFolderCombo::SetFolderWatch(std::unique_ptr<IZemFolderWatch> Value) {
    watch_ = std::move(Value);
    if (!watch_) return;
    watch_->SetWatchedEvents(kComboEvents);
    watch_->SetWatchedIDList(DesktopPidl());
    watch_->SetOnNotice([this](LONG Event, LPCITEMIDLIST A, LPCITEMIDLIST B) { ShellChangeNotice(Event, A, B); });
    watch_->SetWatchEnabled(automaticRefresh_);
}

void TZemFolderCombo::SetIncludeDrives(bool Value) {
    if (!Value && includeDrives_) Clear();
    includeDrives_ = Value;
    FillItems();
}

void TZemFolderCombo::SetIncludeRemovableDrives(bool Value) {
    if (!Value && includeRemovableDrives_) Clear();
    includeRemovableDrives_ = Value;
    FillItems();
}

void TZemFolderCombo::SetIncludeMyDocuments(bool Value) {
    includeMyDocuments_ = Value;
    FillItems();
}

void TZemFolderCombo::SetAutomaticRefresh(bool Value) {
    automaticRefresh_ = Value;
    if (watch_) watch_->SetWatchEnabled(Value);
}

void TZemFolderCombo::SetEnabled(bool Value) {
    if (Value == Enabled()) return;
    TZemCustomFolderCombo::SetEnabled(Value);
    if (Value) {
        FillItems();
        SetColor(savedColor_);
    } else {
        savedColor_ = Color();
        SetColor(fw::clBtnFace);
    }
}

void TZemFolderCombo::SetEditable(bool Value) {
    if (Value) CreateEditControl();
    else FreeEditControl();
    Change();
}

std::wstring TZemFolderCombo::Text() const {
    if (EditControl()) {
        const std::wstring text = EditControl()->Text();
        if (!text.empty()) return text;
    }
    return fw::TCustomComboBox::Text();
}

void TZemFolderCombo::SetText(const std::wstring& Value) {
    SetEditText(Value);
    fw::TCustomComboBox::SetText(Value);
}

std::wstring TZemFolderCombo::GetEditText() {
    if (EditControl()) return EditControl()->Text();
    return fw::TCustomComboBox::Text();
}

bool TZemFolderCombo::SelectPath(const std::wstring& Path) {
    if (!Enabled()) return false;
    int index = Items()->IndexOf(Path);
    if (index < 0 && !Path.empty()) index = AddPathItem(Path);
    // One choice, one OnChange.
    ChooseIndex(index);
    if (OnChange) OnChange(this);
    return true;
}

int TZemFolderCombo::AddPathItem(const std::wstring& Path) {
    if (Items()->IndexOf(Path) >= 0) return -1;
    SHFILEINFOW info{};
    TErrorModeGuard errorMode(SEM_FAILCRITICALERRORS);
    SHGetFileInfoW(Path.c_str(), 0, &info, sizeof(info), SHGFI_SYSICONINDEX | SHGFI_DISPLAYNAME | SHGFI_SMALLICON);
    auto item = std::make_unique<TZemComboItem>(Path, info.szDisplayName, 0, info.iIcon);
    fw::PidlPtr pidl(PathToPidl(nullptr, Path));
    item->SetIDList(pidl.get());
    return Items()->AddObject(Path, item.release());
}

std::vector<TZemFolderCombo::Entry> TZemFolderCombo::CollectEntries() {
    std::vector<Entry> entries;
    TPathfinch* browser = Browser();
    browser->FileSystemOnly = true;
    browser->SetSpecialFolder(SF_DRIVES);
    const DWORD present = GetLogicalDrives();
    while (browser->EnumNextObject()) {
        const std::wstring name = browser->ObjectName();
        if (!includeDrives_ || name.size() < 2 || name[1] != L':') continue;
        const bool seen =
            std::any_of(entries.begin(), entries.end(), [&](const Entry& e) { return SameText(e.path, name); });
        if (seen) continue;
        // A drive the shell still lists after it went is not offered.
        const wchar_t letter = wchar_t(towupper(name[0]));
        if (letter >= L'A' && letter <= L'Z' && !((present >> (letter - L'A')) & 1)) continue;
        const UINT type = GetDriveTypeW(name.c_str());
        if (!includeRemovableDrives_ && (type == DRIVE_REMOVABLE || type == DRIVE_CDROM)) continue;
        std::wstring display;
        browser->GetDisplayName(false, display);
        fw::PidlPtr pidl(PidlClone(browser->AbsoluteObjectIDList()));
        entries.push_back(Entry{name, display, -1, std::move(pidl), IsDriveRoot(name)});
    }
    if (includeMyDocuments_) {
        browser->SetSpecialFolder(SF_PERSONAL);
        browser->SelectFolderAsObject();
        std::wstring display;
        browser->GetDisplayName(false, display);
        fw::PidlPtr pidl(PidlClone(browser->AbsoluteObjectIDList()));
        entries.insert(entries.begin(), Entry{GetSpecialFolderPath(SF_PERSONAL), display, -1, std::move(pidl), true});
    }
    return entries;
}

bool TZemFolderCombo::SameEntries(const std::vector<Entry>& Entries) const {
    fw::TStrings* items = Items();
    if (items->Count() != int(Entries.size())) return false;
    for (int i = 0; i < items->Count(); ++i) {
        TZemComboItem* item = Item(i);
        const Entry& e = Entries[size_t(i)];
        if (!item || item->Path() != e.path) return false;
        // An appended path is known by its path alone.
        if (!e.displayName.empty() && item->DisplayName != e.displayName) return false;
    }
    return true;
}

void TZemFolderCombo::FillItems() {
    if (!Enabled() || HasState(fw::csDesigning) || HasState(fw::csLoading) || !HandleAllocated()) return;
    const int selected = ItemIndex();
    const std::wstring remembered = selected >= 0 ? Items()->Strings(selected) : std::wstring();
    std::vector<Entry> entries = CollectEntries();
    const auto listed =
        std::find_if(entries.begin(), entries.end(), [&](const Entry& e) { return SameText(e.path, remembered); });
    // A remembered path that is no entry stays appended while it exists; a gone one is not added again.
    // A drive root is offered by the drive list alone: one no longer there has gone.
    const bool keepRemembered =
        !remembered.empty() && listed == entries.end() && !IsDriveRoot(remembered) && PathExists(remembered);
    if (keepRemembered) entries.push_back(Entry{remembered, std::wstring(), -1, fw::PidlPtr(), false});
    if (SameEntries(entries)) return;
    if (keepRemembered) entries.pop_back();

    Items()->BeginUpdate();
    try {
        Clear();
        for (Entry& e : entries) {
            auto item = std::make_unique<TZemComboItem>(e.path, e.displayName, 0, e.imageIndex);
            item->UseDisplayName = e.useDisplayName;
            item->SetIDList(e.idList.get());
            Items()->AddObject(e.path, item.release());
        }
    } catch (...) {
        Items()->EndUpdate();
        throw;
    }
    Items()->EndUpdate();
    int index = -1;
    if (keepRemembered) index = AddPathItem(remembered);
    else if (!remembered.empty()) index = Items()->IndexOf(remembered);
    if (index < 0 && !remembered.empty()) {
        index = Items()->IndexOf(L"C:\\");
        if (index < 0 && Items()->Count() > 0) index = 0;
    }
    ChooseIndex(index);
    // Listing again is only asked for when the chosen folder changed.
    if (OnChange && GetEditText() != remembered && !remembered.empty()) OnChange(this);
}

void TZemFolderCombo::CreateWnd() {
    TZemCustomFolderCombo::CreateWnd();
    FillItems();
    int index = Items()->IndexOf(L"C:\\");
    if (index < 0) index = 1;
    ChooseIndex(index);
    if (OnChange) OnChange(this);
}

void TZemFolderCombo::CloseUp() {
    const int index = ItemIndex();
    if (index >= 0) SetEditText(Items()->Strings(index));
    TZemCustomFolderCombo::CloseUp();
}

void TZemFolderCombo::DrawItem(int Index, const RECT& Rect, fw::TOwnerDrawState State) {
    fw::TCanvas* canvas = Canvas();
    TZemComboItem* item = Item(Index);
    if (!item) {
        // A plain text entry from outside: drawn as it is; it gets its object after the paint.
        canvas->FillRect(Rect);
        canvas->TextOut(Rect.left + 2, Rect.top, Items()->Strings(Index));
        if (!conversionPosted_ && HandleAllocated()) {
            conversionPosted_ = true;
            PostMessageW(Handle(), WM_CONVERTENTRIES, 0, 0);
        }
        return;
    }
    // The row keeps the combo's colour; a selected entry's text alone stands on the highlight.
    const bool highlighted = (State & fw::odSelected) && !(State & fw::odComboBoxEdit);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(Rect);
    if (highlighted) canvas->Brush()->SetColor(fw::clHighlight);
    int x = Rect.left + 2 + 6;
    if (Images()) {
        const int imageIndex = item->ImageIndex();
        const int y = (Rect.top + Rect.bottom - Images()->Height()) / 2;
        if (imageIndex >= 0)
            ImageList_Draw(Images()->Handle(), imageIndex, canvas->Handle(), Rect.left + 2, y,
                           highlighted ? (ILD_TRANSPARENT | ILD_BLEND50) : ILD_TRANSPARENT);
        x += Images()->Width();
    }
    if (State & fw::odSelected) canvas->Brush()->SetColor(fw::clHighlight);
    if (item->Path().empty()) return;
    const std::wstring text = item->UseDisplayName ? item->DisplayName : item->Path();
    const int y = Rect.top + (Rect.bottom - Rect.top - canvas->TextHeight(text)) / 2;
    canvas->TextOut(x, y, text);
}

void TZemFolderCombo::ConvertPlainEntries() {
    conversionPosted_ = false;
    const int selected = ItemIndex();
    std::wstring selectedText = selected >= 0 ? Items()->Strings(selected) : std::wstring();
    bool converted = false;
    for (int i = Items()->Count() - 1; i >= 0; --i) {
        if (Item(i)) continue;
        const std::wstring text = Items()->Strings(i);
        Items()->Delete(i);
        AddPathItem(text);
        converted = true;
    }
    if (converted && selected >= 0) ChooseIndex(Items()->IndexOf(selectedText));
}

void TZemFolderCombo::ShellChangeNotice(LONG ShellEvent, LPCITEMIDLIST IDList1, LPCITEMIDLIST) {
    switch (ShellEvent) {
    case SHCNE_DRIVEADD:
    case SHCNE_DRIVEADDGUI: {
        const std::wstring path = PidlToPath(IDList1);
        if (path.empty() || Items()->IndexOf(path) < 0) FillItems();
        break;
    }
    case SHCNE_DRIVEREMOVED:
    case SHCNE_MEDIAINSERTED:
    case SHCNE_MEDIAREMOVED:
    case SHCNE_NETSHARE:
    case SHCNE_NETUNSHARE: FillItems(); break;
    default: break;
    }
}

void TZemFolderCombo::WndProc(fw::TMessage& Message) {
    if (Message.Msg == WM_CONVERTENTRIES) {
        ConvertPlainEntries();
        return;
    }
    TZemCustomFolderCombo::WndProc(Message);
    if (Message.Msg == WM_RBUTTONDOWN && !PopupMenu())
        ShowFolderMenu(ClientToScreen(POINT{short(LOWORD(Message.LParam)), short(HIWORD(Message.LParam))}));
}

void TZemFolderCombo::ShowFolderMenu(POINT ScreenPos) {
    TPathfinch* browser = Browser();
    try {
        browser->SetFolder(Text());
        browser->SelectFolderAsObject();
    } catch (const fw::Exception&) {
        return;  // no folder behind the text: no menu
    }
    std::wstring verb;
    browser->ShowShellContextMenu(ScreenPos, nullptr, nullptr, verb);
    fw::SetGlobalCursor(fw::crDefault);
}

}  // namespace shell
