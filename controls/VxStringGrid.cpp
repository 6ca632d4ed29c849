#include "controls/VxStringGrid.h"

#include <algorithm>

#include "controls/VxDrawing.h"
#include "framework/Handles.h"

namespace vx {

// ===========================================================================
// TExInplaceEditList

TExInplaceEditList::TExInplaceEditList(fw::TComponent* AOwner) : TVxExPubInplaceEditList(AOwner) {}

TVxStringGrid* TExInplaceEditList::VxGrid() const {
    return dynamic_cast<TVxStringGrid*>(Grid());
}

void TExInplaceEditList::UpdateContents() {
    TVxExPubInplaceEditList::UpdateContents();
    TVxStringGrid* grid = VxGrid();
    if (!grid) throw EAssertionFailed(L"Assertion failure (VxStringGrid, line 301)");
    if (EditStyle() == fw::esPickList) {
        SetActiveList(PickList());
        PickList()->Items()->Assign(grid->PickListStrings());
    }
}

void TExInplaceEditList::CreateParams(fw::TCreateParams& Params) {
    TVxExPubInplaceEditList::CreateParams(Params);
    if (TVxStringGrid* grid = VxGrid()) {
        switch (grid->Alignment()) {
        case fw::taLeftJustify: Params.Style |= ES_LEFT; break;
        case fw::taRightJustify: Params.Style |= ES_RIGHT; break;
        case fw::taCenter: Params.Style |= ES_CENTER; break;
        }
    }
}

void TExInplaceEditList::DoEnter() {
    if (TVxStringGrid* grid = VxGrid()) {
        column_ = grid->Col();
        row_ = grid->Row();
    }
    TVxExPubInplaceEditList::DoEnter();
}

void TExInplaceEditList::DoExit() {
    if (TVxStringGrid* grid = VxGrid()) grid->ExitCell(Text(), column_, row_);
    TVxExPubInplaceEditList::DoExit();
}

void TExInplaceEditList::CloseUp(bool Accept) {
    TVxExPubInplaceEditList::CloseUp(Accept);
    if (TVxStringGrid* grid = VxGrid()) grid->DoListBoxCloseUp();
}

void TExInplaceEditList::DoEditButtonClick() {
    if (TVxStringGrid* grid = VxGrid()) grid->DoEditButtonClick();
}

// ===========================================================================
// TVxStringGrid

TVxStringGrid::TVxStringGrid(fw::TComponent* AOwner)
    : TVxExStringGrid(AOwner),
      pickListStrings_(std::make_unique<fw::TStringList>()),
      fixedFont_(std::make_unique<fw::TFont>()) {
    fixedFont_->Assign(Font());
    fixedFont_->OnChange = [this](fw::TObject*) { Invalidate(); };
}

TVxStringGrid::~TVxStringGrid() {
    // The editor (a component of the grid) may still read the pick-list strings.
    DestroyComponents();
}

fw::TStrings* TVxStringGrid::InsertRow(int Index) {
    SetRowCount(RowCount() + 1);
    if (Index < 0) Index = 0;
    if (Index >= RowCount()) Index = RowCount() - 1;
    fw::TStrings* result = Rows(Index);
    if (RowCount() == 1) return result;
    for (int i = RowCount() - 2; i >= Index; --i) Rows(i + 1)->Assign(Rows(i));
    result->Clear();
    return result;
}

void TVxStringGrid::RemoveRow(int Index) {
    if (Index < 0) Index = 0;
    if (Index >= RowCount()) Index = RowCount() - 1;
    for (int i = Index + 1; i < RowCount(); ++i) Rows(i - 1)->Assign(Rows(i));
    if (RowCount() > 1) SetRowCount(RowCount() - 1);
}

namespace {

// The larger of Width and the widest text of rows [FromRow, ToRow) of column
// Col in Font, plus 8; a failed measurement counts for nothing.
int WidestCell(const TVxStringGrid& Grid, HDC DC, HFONT Font, int Col, int FromRow, int ToRow, int Width) {
    if (FromRow >= ToRow) return Width;
    const fw::SelectObjectGuard select(DC, Font);
    for (int r = FromRow; r < ToRow; ++r) {
        const std::wstring text = Grid.Cells(Col, r);
        SIZE size{};
        if (GetTextExtentPoint32W(DC, text.c_str(), int(text.size()), &size)) Width = std::max(Width, int(size.cx) + 8);
    }
    return Width;
}

}  // namespace

void TVxStringGrid::AutoSizeCol(int Col, int MinWidth) {
    const bool every = Col < 0 || Col >= ColCount();
    const int first = every ? 0 : Col;
    const int last = every ? ColCount() - 1 : Col;
    // Fixed cells are drawn in FixedFont and the others in Font, whatever an
    // earlier drawing left selected in the canvas: each is measured in its own.
    HDC dc = Canvas()->Handle();
    for (int c = first; c <= last; ++c) {
        const int fixedRows = c < FixedCols() ? RowCount() : std::min(FixedRows(), RowCount());
        int width = MinWidth < 0 ? DefaultColWidth() : MinWidth;
        width = WidestCell(*this, dc, fixedFont_->Handle(), c, 0, fixedRows, width);
        width = WidestCell(*this, dc, Font()->Handle(), c, fixedRows, RowCount(), width);
        SetColWidths(c, width);
    }
}

void TVxStringGrid::SetAlignment(fw::TAlignment Value) {
    if (Value == alignment_) return;
    alignment_ = Value;
    Invalidate();
    // The editor's window takes its text alignment when it is made.
    if (InplaceEditor()) InplaceEditor()->RecreateWnd();
}

void TVxStringGrid::ExitCell(const std::wstring& EditText, int AColumn, int ARow) {
    if (OnExitCell) OnExitCell(this, AColumn, ARow, EditText);
}

void TVxStringGrid::SetCanvasProperties(int ACol, int ARow, const RECT& Rect, fw::TGridDrawState State) {
    if (OnSetCanvasProperties) OnSetCanvasProperties(this, ACol, ARow, Rect, State);
}

fw::TAlignment TVxStringGrid::GetCellAlignment(int ACol, int ARow, fw::TGridDrawState State) {
    fw::TAlignment result = alignment_;
    if (OnGetCellAlignment) OnGetCellAlignment(this, ACol, ARow, State, result);
    return result;
}

void TVxStringGrid::DefaultDrawCell(int ACol, int ARow, const RECT& Rect, fw::TGridDrawState State) {
    fw::TCanvas* canvas = Canvas();
    // A row too low for the font is left alone, background included.
    if (RowHeights(ARow) < CanvasMaxTextHeight(canvas)) return;
    canvas->FillRect(Rect);
    const std::wstring text = Cells(ACol, ARow);
    if (text.empty()) return;
    RECT r{Rect.left + 2, Rect.top + 2, Rect.right - 2, Rect.bottom - 2};
    UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER;
    switch (GetCellAlignment(ACol, ARow, State)) {
    case fw::taLeftJustify: flags |= DT_LEFT; break;
    case fw::taRightJustify: flags |= DT_RIGHT; break;
    case fw::taCenter: flags |= DT_CENTER; break;
    }
    DrawTextNoModify(canvas, text, -1, flags, r);
}

void TVxStringGrid::DrawCell(int ACol, int ARow, const RECT& ARect, fw::TGridDrawState AState) {
    if (ACol < FixedCols() || ARow < FixedRows()) Canvas()->SetFont(fixedFont_.get());
    if (OnDrawCell) {
        TVxExStringGrid::DrawCell(ACol, ARow, ARect, AState);
        return;
    }
    SetCanvasProperties(ACol, ARow, ARect, AState);
    DefaultDrawCell(ACol, ARow, ARect, AState);
    Canvas()->SetFont(Font());
    Canvas()->SetBrush(Brush());
}

void TVxStringGrid::CaptionClick(int AColumn, int ARow) {
    if (OnCaptionClick) OnCaptionClick(this, AColumn, ARow);
}

void TVxStringGrid::DoListBoxCloseUp() {
    if (OnListBoxCloseUp) OnListBoxCloseUp(this);
}

void TVxStringGrid::DoEditButtonClick() {
    if (OnEditButtonClick) OnEditButtonClick(this);
}

fw::TInplaceEdit* TVxStringGrid::CreateEditor() {
    return new TExInplaceEditList(this);
}

bool TVxStringGrid::CanEditShow() {
    bool result = TVxExStringGrid::CanEditShow();
    if (result && OnShowEditor) {
        bool allow = true;
        OnShowEditor(this, Col(), Row(), allow);
        if (!allow) {
            SetEditorMode(false);
            result = false;
        }
    }
    return result;
}

fw::TEditStyle TVxStringGrid::GetEditStyle(int ACol, int ARow) {
    editStyle_ = fw::esSimple;
    if (OnGetEditStyle) {
        pickListStrings_->Clear();
        OnGetEditStyle(this, ACol, ARow, pickListStrings_.get(), editStyle_);
    }
    return editStyle_;
}

void TVxStringGrid::ColWidthsChanged() {
    TVxExStringGrid::ColWidthsChanged();
    if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TVxStringGrid::MouseDown(fw::TMouseButton Button, TShiftState Shift, int X, int Y) {
    TVxExStringGrid::MouseDown(Button, Shift, X, Y);
    pressed_ = Button == fw::mbLeft ? MouseCoord(X, Y) : fw::TGridCoord{-1, -1};
}

void TVxStringGrid::MouseUp(fw::TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == fw::mbLeft) {
        const fw::TGridCoord released = MouseCoord(X, Y);
        // Only a press and release on the same fixed cell is a caption click;
        // outside the cells there is no cell to report.
        if (CompareMemory(&released, &pressed_, sizeof(fw::TGridCoord)) && released.X >= 0 && released.Y >= 0 &&
            (released.X < FixedCols() || released.Y < FixedRows()))
            CaptionClick(released.X, released.Y);
    }
    pressed_ = {-1, -1};
    TVxExStringGrid::MouseUp(Button, Shift, X, Y);
}

void TVxStringGrid::WndProc(fw::TMessage& Message) {
    switch (Message.Msg) {
    case WM_HSCROLL:
        TVxExStringGrid::WndProc(Message);
        if (OnHorizontalScroll) OnHorizontalScroll(this);
        return;
    case WM_VSCROLL:
        TVxExStringGrid::WndProc(Message);
        if (OnVerticalScroll) OnVerticalScroll(this);
        return;
    case WM_COMMAND: {
        const HWND from = reinterpret_cast<HWND>(Message.LParam);
        fw::TInplaceEdit* editor = InplaceEditor();
        if (EditorMode() && editor && editor->HandleAllocated() && from == editor->Handle()) break;
        if (from) {
            Message.Result = SendMessageW(from, fw::CN_COMMAND, Message.WParam, Message.LParam);
            return;
        }
        break;
    }
    case WM_VXACTIVATECELL: {
        // Only a cell of the scrollable part can become current; other values are ignored.
        const WPARAM col = Message.WParam;
        const LPARAM row = Message.LParam;
        if (col < WPARAM(FixedCols()) || col >= WPARAM(ColCount()) || row < FixedRows() || row >= RowCount()) return;
        SetCol(int(col));
        SetRow(int(row));
        SetEditorMode(true);
        if (fw::TInplaceEdit* editor = InplaceEditor(); editor && editor->HandleAllocated())
            SendMessageW(editor->Handle(), EM_SETSEL, 0, -1);
        return;
    }
    default: break;
    }
    TVxExStringGrid::WndProc(Message);
}

}  // namespace vx
