// The main window's listing request and everything around it: the options that
// restart it, the end of a search, sorting, view styles and the folder choices.
#include <windows.h>

#include <utility>

#include "app/MainWindow.h"
#include "framework/Application.h"
#include "shell/LongPathFind.h"
#include "shell/PathUtils.h"
#include "shell/SpecialFolders.h"

namespace {

// A folder of the file system that the system cannot find: deleted, moved, or on
// a drive that is gone. Virtual folders have no path to test.
bool FolderIsMissing(const std::wstring& Path) {
    if (!shell::IsQualifiedPath(Path)) return false;
    if (GetFileAttributesW(shell::MakeLongPath(Path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

bool IsDirectory(const std::wstring& Path) {
    // The long form: a plain path loses a last dot or blank of its name (and so
    // names another object, or none) and may not pass the classic length limit.
    const DWORD attributes = GetFileAttributesW(shell::MakeLongPath(Path).c_str());
    // Attributes that cannot be read say nothing: no directory.
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void TForm1::RefreshFileList(fw::TObject*) {
    ZSTChange(this, ZST->Items()->GetFirstNode());
}

std::wstring TForm1::ListingFolder() {
    return ZST->SelectedFolder();
}

void TForm1::SetListingFolder(const std::wstring& Path) {
    // The tree's change (when it selects another folder) is the listing request.
    ZST->SetSelectedFolder(Path);
}

void TForm1::ZSTChange(fw::TObject*, fw::TTreeNode*) {
    if (FormShown) StartListing();
    for (int i = 0; i < ZFL->Columns()->Count(); ++i) ZFL->Columns()->Items(i)->SetAutoSize(true);
}

void TForm1::StartListing() {
    // Stopping delivers the old search's end, which makes the window idle: only
    // after it is the window busy with the new one.
    ZFL->StopSearch();
    ZFL->Clear();
    StopSearchButton->SetEnabled(true);
    fw::Screen()->SetCursor(fw::crAppStart);
    shell::TZemSearchOptions* options = ZFL->SearchOptions();
    options->SetRecursiveSearch(SearchSubfoldes->Checked());
    options->SetFilesOnly(SearchFilesOnly->Checked());
    options->SetIncludeHidden(cbHidden->Checked());
    options->SetFilter(edMask->Text());
    int started = 0;
    missingFolder_.clear();
    try {
        // The combo box's text only decides the branch: the folder searched is the tree's.
        if (!ZFC->GetEditText().empty()) {
            const std::wstring folder = ZST->SelectedFolder();
            // A missing folder lists as empty all the same; the user is told why,
            // after the request (the tree may still be changing its selection).
            if (FolderIsMissing(folder) && HandleAllocated()) {
                missingFolder_ = folder;
                PostMessageW(Handle(), CM_FOLDERNOTFOUND, 0, 0);
            }
            ZFL->StartSearch(folder);
            started = 1;
        } else if (ZFC->ItemIndex() >= 0) {
            SearchSpecialFolder(started);
        }
    } catch (...) {
        // A request that started nothing still ends: the window never stays busy.
        // Searches that did start end it themselves, when they end.
        if (started == 0) ZFLEndSearch();
        else if (HandleAllocated()) PostMessageW(Handle(), CM_SHOWLISTINGBUSY, 0, 0);
        throw;
    }
    if (started == 0) {
        ZFLEndSearch();
        return;
    }
    // The tree puts its own cursor back after the selection that made this
    // request: the busy cursor is shown again once that has happened.
    if (HandleAllocated()) PostMessageW(Handle(), CM_SHOWLISTINGBUSY, 0, 0);
}

void TForm1::SearchSpecialFolder(int& Started) {
    auto* entry = dynamic_cast<shell::TZemComboItem*>(ZFC->Items()->Objects(ZFC->ItemIndex()));
    if (!entry || !entry->IDList()) return;
    // Owned by the form, and freed when the walk ends, however it ends.
    std::unique_ptr<shell::TPathfinch> browser(new shell::TPathfinch(this));
    browser->SetSpecialFolder(shell::PidlToShellFolder(entry->IDList()));
    while (browser->EnumNextObject()) {
        const std::wstring name = browser->ObjectName();
        if (name.empty()) continue;
        ZFL->StartSearch(name);
        ++Started;
    }
}

void TForm1::ShowMissingFolder() {
    const std::wstring folder = std::exchange(missingFolder_, std::wstring());
    if (folder.empty()) return;
    fw::Application()->MessageBox(L"The folder " + folder + L" could not be found.", L"", MB_OK | MB_ICONSTOP,
                                  Handle());
}

void TForm1::ZFCChange(fw::TObject*) {
    ZST->SetSelectedFolder(ZFC->GetEditText());
}

void TForm1::ZSCChange(fw::TObject*) {
    edPrintCaption->SetText(ZFC->Text());
}

void TForm1::ZFLDblClick(fw::TObject*) {
    shell::TZemFileListItem* item = ZFL->Selected();
    if (!item) return;
    // A name holding a backslash (made on another system) has no path of its
    // own: its path names another folder, or none.
    if (item->Name().find(L'\\') != std::wstring::npos) return;
    const std::wstring path = item->FullPath();
    if (IsDirectory(path)) SetListingFolder(path);
}

void TForm1::StopSearchButtonClick(fw::TObject*) {
    ZFL->StopSearch();
}

void TForm1::ZFLEndSearch() {
    StopSearchButton->SetEnabled(false);
    fw::Screen()->SetCursor(fw::crDefault);
    cbSortClick(nullptr);
    StatusBar1->Panels()->Items(0)->SetText(L"Items: " + std::to_wstring(ZFL->Items()->Count()));
}

void TForm1::cbSortClick(fw::TObject*) {
    if (!cbSort->Checked()) return;
    const int column = gpSort->ItemIndex();
    ZFL->SortColumn(column);
    // The list flips its direction when the same column is sorted again: once
    // more sets it back to the chosen direction.
    if (ZFL->Descending() != btnDescend->Checked()) ZFL->SortColumn(column);
}

void TForm1::btnViewStyleClick(fw::TObject*) {
    if (spIcons->Down()) {
        ZFL->SetViewStyle(fw::vsIcon);
    } else if (spList->Down()) {
        ZFL->SetViewStyle(fw::vsList);
        if (ZFL->Columns()->Count() > 0) ZFL->Columns()->Items(0)->SetWidth(ZFL->Width() - 5);
    } else if (spReport->Down()) {
        ZFL->SetViewStyle(fw::vsReport);
    }
}
