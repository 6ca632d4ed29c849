// The grid's input side: mouse, keyboard, the in-place editor and messages.
#include "framework/CustomGrid.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/InplaceEdit.h"

namespace fw {

namespace {

int Clamp(int v, int lo, int hi) {
    return std::max(lo, std::min(v, hi));
}

}  // namespace

// ---- mouse ----

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (!HasState(csDesigning) && CanFocus() && !Focused() && !FocusInside()) SetFocus();
    if (Button == mbLeft) {
        const TGridCoord cell = MouseCoord(X, Y);
        int sizing;
        if ((Shift & ssDouble) && cell.X >= 0 && !IsFixedCell(cell.X, cell.Y)) {
            if (options_ & goEditing) SetEditorMode(true);
        } else if ((options_ & goColSizing) && (sizing = SizingCol(X, Y)) >= 0) {
            gridState_ = gsColSizing;
            sizingIndex_ = sizing;
            sizingStart_ = X;
            sizingOrigin_ = colWidths_[size_t(sizing)];
        } else if ((options_ & goRowSizing) && (sizing = SizingRow(X, Y)) >= 0) {
            gridState_ = gsRowSizing;
            sizingIndex_ = sizing;
            sizingStart_ = Y;
            sizingOrigin_ = rowHeights_[size_t(sizing)];
        } else if (cell.X >= 0) {
            if (IsFixedCell(cell.X, cell.Y)) {
                if ((options_ & goColMoving) && cell.Y < fixedRows_ && cell.X >= fixedCols_) {
                    gridState_ = gsColMoving;
                    moveIndex_ = moveTarget_ = cell.X;
                } else if ((options_ & goRowMoving) && cell.X < fixedCols_ && cell.Y >= fixedRows_) {
                    gridState_ = gsRowMoving;
                    moveIndex_ = moveTarget_ = cell.Y;
                }
            } else {
                const bool wasCurrent = cell.X == current_.X && cell.Y == current_.Y;
                const bool extend = (Shift & ssShift) && (options_ & goRangeSelect);
                MoveCurrent(cell.X, cell.Y, !extend, true);
                gridState_ = gsSelecting;
                // A click on the cell already current opens the editor.
                if (wasCurrent && !extend && (options_ & goEditing)) {
                    gridState_ = gsNormal;
                    SetEditorMode(true);
                }
            }
        }
        if (gridState_ != gsNormal) SetMouseCapture(true);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
    switch (gridState_) {
    case gsSelecting: {
        if (!(options_ & goRangeSelect)) break;
        // Outside the cells the selection follows the nearest edge (scrolling there).
        const RECT client = ClientRect();
        int x = Clamp(X, FixedWidth(), std::max(FixedWidth(), int(client.right) - 1));
        int y = Clamp(Y, FixedHeight(), std::max(FixedHeight(), int(client.bottom) - 1));
        TGridCoord cell = MouseCoord(x, y);
        if (Y >= client.bottom && current_.Y + 1 < rowCount_) cell = {cell.X < 0 ? current_.X : cell.X, current_.Y + 1};
        if (Y < FixedHeight() && current_.Y > fixedRows_) cell = {cell.X < 0 ? current_.X : cell.X, current_.Y - 1};
        if (X >= client.right && current_.X + 1 < colCount_) cell = {current_.X + 1, cell.Y < 0 ? current_.Y : cell.Y};
        if (X < FixedWidth() && current_.X > fixedCols_) cell = {current_.X - 1, cell.Y < 0 ? current_.Y : cell.Y};
        if (cell.X >= fixedCols_ && cell.Y >= fixedRows_ && !(cell == current_))
            MoveCurrent(cell.X, cell.Y, false, true);
        break;
    }
    case gsColSizing: SetColWidths(sizingIndex_, std::max(0, sizingOrigin_ + X - sizingStart_)); break;
    case gsRowSizing: SetRowHeights(sizingIndex_, std::max(0, sizingOrigin_ + Y - sizingStart_)); break;
    case gsColMoving: {
        const TGridCoord cell = MouseCoord(X, std::min(Y, std::max(0, FixedHeight() - 1)));
        if (cell.X >= fixedCols_) moveTarget_ = cell.X;
        break;
    }
    case gsRowMoving: {
        const TGridCoord cell = MouseCoord(std::min(X, std::max(0, FixedWidth() - 1)), Y);
        if (cell.Y >= fixedRows_) moveTarget_ = cell.Y;
        break;
    }
    case gsNormal: break;
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    const TGridState state = gridState_;
    gridState_ = gsNormal;
    if (state != gsNormal) SetMouseCapture(false);
    if (state == gsColMoving && moveTarget_ >= 0 && moveTarget_ != moveIndex_) MoveColumn(moveIndex_, moveTarget_);
    if (state == gsRowMoving && moveTarget_ >= 0 && moveTarget_ != moveIndex_) MoveRow(moveIndex_, moveTarget_);
    TCustomControl::MouseUp(Button, Shift, X, Y);
}

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    MoveTopLeft(topLeft_.X, topLeft_.Y - 3 * WheelDelta / WHEEL_DELTA);
    return true;
}

// ---- keyboard ----

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
    TCustomControl::KeyDown(Key, Shift);
    switch (Key) {
    case VK_TAB: TabKey(Key, Shift); return;
    case VK_F2:
    case VK_RETURN:
    case VK_ESCAPE: EditKey(Key); return;
    default: break;
    }
    const bool ctrl = Shift & ssCtrl;
    const bool extend = (Shift & ssShift) && (options_ & goRangeSelect);
    int c = current_.X, r = current_.Y;
    const int page = std::max(1, VisibleRowCount());
    switch (Key) {
    case VK_UP: --r; break;
    case VK_DOWN: ++r; break;
    case VK_LEFT:
    case VK_RIGHT:
        if (options_ & goRowSelect) {
            MoveTopLeft(topLeft_.X + (Key == VK_LEFT ? -1 : 1), topLeft_.Y);
            Key = 0;
            return;
        }
        c += Key == VK_LEFT ? -1 : 1;
        break;
    case VK_PRIOR: r -= page; break;
    case VK_NEXT: r += page; break;
    case VK_HOME:
        if (ctrl) r = fixedRows_;
        else c = fixedCols_;
        break;
    case VK_END:
        if (ctrl) r = rowCount_ - 1;
        else c = colCount_ - 1;
        break;
    default: return;
    }
    c = Clamp(c, fixedCols_, colCount_ - 1);
    r = Clamp(r, fixedRows_, rowCount_ - 1);
    if (c != current_.X || r != current_.Y) MoveCurrent(c, r, !extend, true);
    Key = 0;
}

void TCustomGrid::TabKey(WORD& Key, TShiftState Shift) {
    if (!(options_ & goTabs) || (Shift & ssCtrl)) return;
    int c = current_.X, r = current_.Y;
    if (Shift & ssShift) {
        if (--c < fixedCols_) {
            c = colCount_ - 1;
            --r;
        }
    } else if (++c >= colCount_) {
        c = fixedCols_;
        ++r;
    }
    if (r < fixedRows_ || r >= rowCount_) return;  // leaves the grid: the dialog moves the focus
    MoveCurrent(c, r, true, true);
    Key = 0;
}

void TCustomGrid::EditKey(WORD& Key) {
    if (Key == VK_F2) {
        SetEditorMode(true);
        Key = 0;
    } else if (Key == VK_RETURN) {
        if (EditorShown()) {
            HideEditor();
            editorMode_ = (options_ & goAlwaysShowEditor) != 0;
            if (editorMode_) UpdateEdit();
        } else if (options_ & goEditing) {
            SetEditorMode(true);
        }
        Key = 0;
    } else if (EditorShown()) {
        // Escape: the cell gets its text from before the edit back.
        SetEditText(editCell_.X, editCell_.Y, editOriginal_);
        inplaceEdit_->HideEdit();
        editCell_ = {-1, -1};
        editorMode_ = false;
        if (HandleAllocated()) ::SetFocus(Handle());
        InvalidateCell(current_.X, current_.Y);
        Key = 0;
    }
}

void TCustomGrid::KeyPress(wchar_t& Key) {
    TCustomControl::KeyPress(Key);
    if (Key < L' ' || !(options_ & goEditing) || (options_ & goRowSelect) || EditorShown()) return;
    // Typing into the grid opens the editor with the typed character.
    SetEditorMode(true);
    if (EditorShown()) {
        inplaceEdit_->SetText(L"");
        inplaceEdit_->Perform(WM_CHAR, WPARAM(Key), LPARAM(0));
        Key = 0;
    }
}

// ---- the in-place editor ----

TInplaceEdit* TCustomGrid::CreateEditor() {
    return new TInplaceEdit(this);
}

bool TCustomGrid::FocusInside() {
    if (!HandleAllocated()) return false;
    HWND focus = GetFocus();
    return focus && (focus == Handle() || IsChild(Handle(), focus));
}

bool TCustomGrid::CanEditShow() {
    return (options_ & (goRowSelect | goEditing)) == goEditing && editorMode_ && !HasState(csDesigning) &&
           HandleAllocated() && ((options_ & goAlwaysShowEditor) || FocusInside());
}

bool TCustomGrid::CanEditModify() {
    return true;
}

std::wstring TCustomGrid::GetEditText(int, int) {
    return {};
}

void TCustomGrid::SetEditText(int, int, const std::wstring&) {}

TEditStyle TCustomGrid::GetEditStyle(int, int) {
    return esSimple;
}

bool TCustomGrid::EditorShown() const {
    return inplaceEdit_ && editCell_.X >= 0;
}

void TCustomGrid::SetEditorMode(bool Value) {
    if (Value) {
        // Without the focus the editor shows once the grid gets it.
        ShowEditor();
    } else {
        if (!(options_ & goAlwaysShowEditor)) {
            HideEditor();
            editorMode_ = false;
        }
    }
}

void TCustomGrid::ShowEditor() {
    editorMode_ = true;
    UpdateEdit();
}

void TCustomGrid::HideEditor() {
    if (!EditorShown()) return;
    UpdateText();
    const bool hadFocus = inplaceEdit_->HandleAllocated() && GetFocus() == inplaceEdit_->Handle();
    inplaceEdit_->HideEdit();
    editCell_ = {-1, -1};
    if (hadFocus && HandleAllocated()) ::SetFocus(Handle());
    InvalidateCell(current_.X, current_.Y);
}

void TCustomGrid::InvalidateEditor() {
    if (EditorShown()) {
        editCell_ = {-1, -1};
        UpdateEdit();
    }
}

void TCustomGrid::UpdateEdit() {
    if (!editorMode_ || !CanEditShow()) {
        if (EditorShown()) {
            UpdateText();
            inplaceEdit_->HideEdit();
            editCell_ = {-1, -1};
        }
        return;
    }
    if (!inplaceEdit_) {
        inplaceEdit_ = CreateEditor();
        inplaceEdit_->SetGrid(this);
        inplaceEdit_->SetParent(this);
    }
    const RECT cell = CellRect(current_.X, current_.Y);
    if (cell.right <= cell.left) {
        if (EditorShown()) UpdateText();
        inplaceEdit_->HideEdit();
        editCell_ = {-1, -1};
        return;
    }
    const bool sameCell = editCell_ == current_;
    if (!sameCell) {
        editCell_ = current_;
        editOriginal_ = GetEditText(current_.X, current_.Y);
        loadingEditor_ = true;
        inplaceEdit_->UpdateContents();
        loadingEditor_ = false;
    }
    const bool hadFocus = FocusInside();
    inplaceEdit_->ShowAt(cell);
    if (!sameCell) {
        if (hadFocus && inplaceEdit_->HandleAllocated()) ::SetFocus(inplaceEdit_->Handle());
        inplaceEdit_->SelectAll();
    }
}

void TCustomGrid::UpdateText() {
    if (!EditorShown() || loadingEditor_ || !CanEditModify()) return;
    SetEditText(editCell_.X, editCell_.Y, inplaceEdit_->Text());
}

void TCustomGrid::Notification(TComponent* AComponent, TOperation Operation) {
    TCustomControl::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove && AComponent == inplaceEdit_) {
        inplaceEdit_ = nullptr;
        editCell_ = {-1, -1};
    }
}

// ---- messages ----

void TCustomGrid::WndProc(TMessage& Message) {
    switch (Message.Msg) {
    case WM_GETDLGCODE:
        Message.Result = DLGC_WANTARROWS | ((options_ & goTabs) ? DLGC_WANTTAB : 0) |
                         ((options_ & (goRowSelect | goEditing)) == goEditing ? DLGC_WANTCHARS : 0);
        return;
    case WM_ERASEBKGND: Message.Result = 1; return;
    case WM_HSCROLL:
        if (Message.LParam == 0) {
            ScrollMessage(SB_HORZ, LOWORD(Message.WParam));
            Message.Result = 0;
            return;
        }
        break;
    case WM_VSCROLL:
        if (Message.LParam == 0) {
            ScrollMessage(SB_VERT, LOWORD(Message.WParam));
            Message.Result = 0;
            return;
        }
        break;
    case WM_COMMAND:
        if (inplaceEdit_ && inplaceEdit_->HandleAllocated() && HWND(Message.LParam) == inplaceEdit_->Handle()) {
            if (HIWORD(Message.WParam) == EN_CHANGE) UpdateText();
            Message.Result = 0;
            return;
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(Message.LParam) == HTCLIENT && gridState_ == gsNormal && HandleAllocated()) {
            POINT p;
            GetCursorPos(&p);
            ::ScreenToClient(Handle(), &p);
            if (((options_ & goColSizing) && SizingCol(p.x, p.y) >= 0)) {
                ::SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
                Message.Result = 1;
                return;
            }
            if (((options_ & goRowSizing) && SizingRow(p.x, p.y) >= 0)) {
                ::SetCursor(LoadCursorW(nullptr, IDC_SIZENS));
                Message.Result = 1;
                return;
            }
        }
        break;
    case WM_CANCELMODE:
        if (gridState_ != gsNormal) {
            gridState_ = gsNormal;
            SetMouseCapture(false);
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::WndProc(Message);
        InvalidateCell(current_.X, current_.Y);
        InvalidateRect(Selection());
        if (Message.Msg == WM_SETFOCUS && editorMode_ && !EditorShown()) UpdateEdit();
        return;
    case WM_SIZE:
        TCustomControl::WndProc(Message);
        ClampPositions();
        UpdateScrollRange();
        UpdateEdit();
        return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
        TCustomControl::WndProc(Message);
        InvalidateGrid();
        return;
    default: break;
    }
    TCustomControl::WndProc(Message);
}

}  // namespace fw
