// The main window's output grid: the copy of the listing into MyGrid with the
// chosen columns, the column boxes that also show and hide the list's columns,
// the list handlers that adjust items, and the header option.
#include <windows.h>

#include "app/MainWindow.h"
#include "framework/SysUtils.h"

namespace {

// The text of sub-item Index, "" for a sub-item the item does not have (drive
// roots have no folder text; a failed fill leaves texts out).
const std::wstring& SubItemText(fw::TListItem* Item, int Index) {
    static const std::wstring none;
    fw::TListSubItems& texts = Item->SubItems();
    return Index >= 0 && Index < texts.Count() ? texts.Strings(Index) : none;
}

// The list's column Index, or nullptr when the list has fewer columns.
fw::TListColumn* ListColumn(fw::TCustomListView* List, int Index) {
    return Index >= 0 && Index < List->Columns()->Count() ? List->Columns()->Items(Index) : nullptr;
}

}  // namespace

// --- The copy into the grid ---------------------------------------------------------

void TForm1::ClearGrid() {
    for (int c = 0; c < MyGrid->ColCount(); ++c) MyGrid->Cols(c)->Clear();
}

std::wstring TForm1::OutputName(shell::TZemFileListItem* Item) const {
    std::wstring name = Item->Name();
    if (!cbExt->Checked()) name = fw::ChangeFileExt(name, L"");
    return name.insert(0, L"  ");
}

void TForm1::SetupGrid() {
    ClearGrid();
    MyGrid->SetFont(OutputFont());
    // The output fields in their fixed order: the four list fields (list columns
    // 1 to 4), then the full path.
    fw::TCheckBox* const boxes[] = {cbItem, cbSize, cbType, cbDate, cbFilePath};
    int columns = 1;
    for (fw::TCheckBox* box : boxes) columns += box->Checked() ? 1 : 0;
    MyGrid->SetColCount(columns);
    const int count = ZFL->Items()->Count();
    MyGrid->SetRowCount(count + 1);
    if (fw::TListColumn* name = ListColumn(ZFL, 0)) MyGrid->SetColWidths(0, name->Width());

    // Every row is read: the list fills all texts at once, folder by folder,
    // rather than row by row as they are read.
    if (columns > 1) ZFL->FillTexts();
    for (int i = 0; i < count; ++i) {
        shell::TZemFileListItem* item = ZFL->Items()->Item(i);
        // From the last column to the first, so a grid row is sized once.
        int col = columns;
        if (cbFilePath->Checked()) MyGrid->SetCells(--col, i, item->FullPath());
        for (int field = 3; field >= 0; --field)
            if (boxes[field]->Checked()) MyGrid->SetCells(--col, i, SubItemText(item, field));
        MyGrid->SetCells(0, i, OutputName(item));
    }
    // Widths once per column, and only with rows, as the list's own widths.
    if (count > 0) {
        int col = 0;
        for (int field = 0; field < 4; ++field) {
            if (!boxes[field]->Checked()) continue;
            fw::TListColumn* column = ListColumn(ZFL, field + 1);
            MyGrid->SetColWidths(++col, column ? column->Width() : 0);
        }
        if (cbFilePath->Checked()) MyGrid->AutoSizeCol(++col, 15);
    }
    if (cbHeaders->Checked()) AddCaptionRow(boxes);
}

void TForm1::AddCaptionRow(fw::TCheckBox* const (&Boxes)[5]) {
    MyGrid->InsertRow(0);
    MyGrid->InsertRow(0);
    fw::TListColumn* name = ListColumn(ZFL, 0);
    MyGrid->SetCells(0, 0, name ? name->Caption() : std::wstring());
    int col = 0;
    for (int field = 0; field < 4; ++field) {
        if (!Boxes[field]->Checked()) continue;
        fw::TListColumn* column = ListColumn(ZFL, field + 1);
        MyGrid->SetCells(++col, 0, column ? column->Caption() : std::wstring());
    }
    if (cbFilePath->Checked()) MyGrid->SetCells(++col, 0, L"Full FilePath");
    SGEXport->Captions()->Clear();
    for (int c = 0; c < MyGrid->ColCount(); ++c) SGEXport->Captions()->Add(MyGrid->Cells(c, 0));
}

// --- Column boxes --------------------------------------------------------------------

void TForm1::SetBoxColumn(int Field, int Width) {
    fw::TCheckBox* const boxes[] = {cbItem, cbSize, cbType, cbDate};
    // The column the box took its caption from at the first show (the last of that caption).
    fw::TListColumn* found = nullptr;
    const std::wstring& caption = boxCaptions_[size_t(Field)];
    for (int i = 0; i < ZFL->Columns()->Count() && !caption.empty(); ++i)
        if (ZFL->Columns()->Items(i)->Caption() == caption) found = ZFL->Columns()->Items(i);
    if (found) found->SetWidth(boxes[Field]->Checked() ? Width : 0);
    RefreshFileList(this);
}

void TForm1::cbItemClick(fw::TObject*) {
    SetBoxColumn(0, 150);
}

void TForm1::cbSizeClick(fw::TObject*) {
    SetBoxColumn(1, 70);
}

void TForm1::cbTypeClick(fw::TObject*) {
    SetBoxColumn(2, 105);
}

void TForm1::cbDateClick(fw::TObject*) {
    SetBoxColumn(3, 105);
}

void TForm1::cbFilePathClick(fw::TObject*) {
    bool found = false;
    for (int i = 0; i < ZFL->Columns()->Count(); ++i) {
        fw::TListColumn* column = ZFL->Columns()->Items(i);
        if (column->Caption() != L"Full Path") continue;
        column->SetWidth(cbFilePath->Checked() ? 120 : 0);
        found = true;
    }
    if (!found && cbFilePath->Checked()) ZFLCreateColumns(this);
    RefreshFileList(this);
}

void TForm1::cbHeadersClick(fw::TObject*) {
    ZFL->SetShowColumnHeaders(cbHeaders->Checked());
    zt::TztExportOptionSet options = SGEXport->Options();
    if (cbHeaders->Checked()) options.Include(zt::xoShowHeader);
    else options.Exclude(zt::xoShowHeader);
    SGEXport->SetOptions(options);
    RefreshFileList(this);
}

// --- File list handlers -----------------------------------------------------------------

void TForm1::ZFLCreateColumns(fw::TObject*) {
    if (!cbFilePath->Checked()) return;
    fw::TListColumn* column = ZFL->Columns()->Add();
    column->SetCaption(L"Full Path");
    column->SetWidth(120);
}

int TForm1::FullPathColumn() const {
    for (int i = ZFL->Columns()->Count() - 1; i > 0; --i)
        if (ZFL->Columns()->Items(i)->Caption() == L"Full Path") return i;
    return -1;
}

void TForm1::ZFLChange(fw::TObject*, fw::TListItem* Item, fw::TItemChange Change) {
    auto* item = static_cast<shell::TZemFileListItem*>(Item);
    if (!cbExt->Checked()) {
        const std::wstring name = item->Name();
        const std::wstring bare = name.substr(0, name.size() - fw::ExtractFileExt(name).size());
        // A caption already without extension is left alone: no change, no new notice.
        if (Item->Caption() != bare) Item->SetCaption(bare);
    }
    if (Change != fw::ctText || !cbFilePath->Checked()) return;
    // The full path goes into the "Full Path" column's own sub-item, once, however
    // often the list reports the item's texts.
    const int column = FullPathColumn();
    fw::TListSubItems& texts = Item->SubItems();
    if (column < 1) {
        texts.Add(item->FullPath());
        return;
    }
    while (texts.Count() < column - 1) texts.Add(L"");
    if (texts.Count() == column - 1) texts.Add(item->FullPath());
    else texts.SetStrings(column - 1, item->FullPath());
}

void TForm1::ZFLAdvancedCustomDraw(fw::TCustomListView*, const RECT&, fw::TCustomDrawStage, bool&) {
    // Only compared here: the boxes' changes (and the listing they request) run
    // after the paint, never emptying the list in the middle of drawing it.
    if (!FormShown || columnSyncPosted_ || !HandleAllocated()) return;
    if (ColumnBoxesOutOfStep()) {
        columnSyncPosted_ = true;
        PostMessageW(Handle(), CM_SYNCCOLUMNBOXES, 0, 0);
    }
}

fw::TCheckBox* TForm1::BoxOfColumn(const std::wstring& Caption) const {
    if (Caption.empty()) return nullptr;
    if (Caption == L"Full Path") return cbFilePath;
    fw::TCheckBox* const boxes[] = {cbItem, cbSize, cbType, cbDate};
    for (int field = 0; field < 4; ++field)
        if (boxCaptions_[size_t(field)] == Caption) return boxes[field];
    return nullptr;
}

bool TForm1::ColumnBoxesOutOfStep() const {
    for (int i = 0; i < ZFL->Columns()->Count(); ++i) {
        fw::TListColumn* column = ZFL->Columns()->Items(i);
        fw::TCheckBox* box = BoxOfColumn(column->Caption());
        if (!box) continue;
        if ((column->Width() > 0 && !box->Checked()) || (column->Width() == 0 && box->Checked())) return true;
    }
    return false;
}

void TForm1::SyncColumnBoxes() {
    columnSyncPosted_ = false;
    for (int i = 0; i < ZFL->Columns()->Count(); ++i) {
        fw::TListColumn* column = ZFL->Columns()->Items(i);
        fw::TCheckBox* box = BoxOfColumn(column->Caption());
        if (!box) continue;
        // Setting Checked runs the box's handler as a click would.
        if (column->Width() > 0 && !box->Checked()) box->SetChecked(true);
        else if (column->Width() == 0 && box->Checked()) box->SetChecked(false);
    }
}
