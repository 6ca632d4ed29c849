// The main window's listing request and everything around it: the options that
// restart it, the end of a search, sorting, view styles and the folder choices.
#include <windows.h>

#include "app/Unit1.h"

bool IsDirectory(const std::wstring& Path) {
    const DWORD attributes = GetFileAttributesW(Path.c_str());
    // Attributes that cannot be read say nothing: no directory.
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void TForm1::RefreshFileList(fw::TObject*) {
    ZSTChange(this, nullptr);
}

std::wstring TForm1::ListingFolder() {
    return listingFolder_;
}

void TForm1::SetListingFolder(const std::wstring& Path) {
    // As the tree does: a change of its folder is a listing request.
    if (Path == listingFolder_) return;
    listingFolder_ = Path;
    ZSTChange(this, nullptr);
}

void TForm1::ZSTChange(fw::TObject*, fw::TObject*) {
    if (formShown_) StartListing();
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
    try {
        const std::wstring path = ListingFolder();
        if (!path.empty()) {
            ZFL->StartSearch(path);
            started = 1;
        }
    } catch (...) {
        // A request that started nothing still ends: the window never stays busy.
        if (started == 0) ZFLEndSearch();
        throw;
    }
    if (started == 0) ZFLEndSearch();
}

void TForm1::ZFLDblClick(fw::TObject*) {
    shell::TZemFileListItem* item = ZFL->Selected();
    if (!item) return;
    const std::wstring path = item->FullPath();
    if (IsDirectory(path)) SetListingFolder(path);
}

void TForm1::StopSearchButtonClick(fw::TObject*) {
    ZFL->StopSearch();
}

void TForm1::ZFLAddItem(shell::TZemFileListItem*, bool&) {
    // Empty, and bound all the same: the list fills an item's details before
    // offering it only when this event is bound, and the output needs them.
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
