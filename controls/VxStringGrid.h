#pragma once
// TVxStringGrid: the framework's string grid plus a default text alignment, a
// font for fixed cells, row insertion and removal, column auto-sizing, click
// events on fixed cells, scroll and column-width events, and an in-place editor
// (TExInplaceEditList) whose pick list and edit style come from events.
// Created with an owner like any control; it owns its FixedFont, its pick-list
// strings and its editor. Used without a window it still keeps, inserts, removes
// and sizes its cells (sizing then measures on a memory context).
#include <functional>
#include <memory>
#include <string>

#include "controls/VxExGrids.h"
#include "framework/Exception.h"

namespace vx {

class TVxStringGrid;

class EAssertionFailed : public fw::Exception {
public:
    using fw::Exception::Exception;
};

using TGetCellAlignmentEvent = std::function<void(TVxStringGrid* Sender, int AColumn, int ARow,
                                                  fw::TGridDrawState State, fw::TAlignment& CellAlignment)>;
using TCaptionClickEvent = std::function<void(TVxStringGrid* Sender, int AColumn, int ARow)>;
using TExitCellEvent = std::function<void(TVxStringGrid* Sender, int AColumn, int ARow, const std::wstring& EditText)>;
using TProgress = std::function<void(fw::TObject* Sender, int Progression, int Total)>;
using TEditShowEvent = std::function<void(TVxStringGrid* Sender, int ACol, int ARow, bool& AllowEdit)>;
using TVxOnGetEditStyleEvent = std::function<void(TVxStringGrid* Sender, int AColumn, int ARow,
                                                  fw::TStrings* PickListStrings, fw::TEditStyle& EditStyle)>;

// The message that makes a cell current and opens the editor on it
// (wParam = column, lParam = row).
constexpr UINT WM_VXACTIVATECELL = WM_USER + 123;

// The grid's in-place editor: remembers the cell it edits, reports leaving it,
// takes its alignment, pick list and button events from the grid.
class TExInplaceEditList : public TVxExPubInplaceEditList {
public:
    explicit TExInplaceEditList(fw::TComponent* AOwner);

    void UpdateContents() override;
    void CloseUp(bool Accept) override;
    int EditedColumn() const { return column_; }
    int EditedRow() const { return row_; }

protected:
    std::wstring ClassName() const override { return L"TExInplaceEditList"; }
    void CreateParams(fw::TCreateParams& Params) override;
    void DoEnter() override;
    void DoExit() override;
    void DoEditButtonClick() override;

private:
    TVxStringGrid* VxGrid() const;

    int column_ = 0;
    int row_ = 0;
};

class TVxStringGrid : public TVxExStringGrid {
public:
    explicit TVxStringGrid(fw::TComponent* AOwner);
    ~TVxStringGrid() override;

    void WndProc(fw::TMessage& Message) override;

    // Inserts an empty row at Index (clamped into the grid) and returns it; rows
    // from Index on move down by one, fixed rows like the others.
    fw::TStrings* InsertRow(int Index);
    // Removes row Index (clamped); a grid of one row keeps its row and contents.
    void RemoveRow(int Index);
    // Fits column Col (every column when Col is outside the grid) to the widest
    // cell text plus 8, starting from MinWidth (DefaultColWidth when MinWidth < 0).
    // Fixed cells are measured in FixedFont, the others in Font.
    void AutoSizeCol(int Col, int MinWidth);

    fw::TAlignment Alignment() const { return alignment_; }
    void SetAlignment(fw::TAlignment Value);
    fw::TFont* FixedFont() const { return fixedFont_.get(); }
    // Takes the attributes of Value; the grid keeps its own font object.
    void SetFixedFont(fw::TFont* Value) { fixedFont_->Assign(Value); }
    fw::TEditStyle EditStyle() const { return editStyle_; }
    fw::TStrings* PickListStrings() const { return pickListStrings_.get(); }

    // The editor left a cell: fires OnExitCell.
    virtual void ExitCell(const std::wstring& EditText, int AColumn, int ARow);

    TExitCellEvent OnExitCell;
    fw::TDrawCellEvent OnSetCanvasProperties;
    TGetCellAlignmentEvent OnGetCellAlignment;
    TCaptionClickEvent OnCaptionClick;
    TNotifyEvent OnColWidthsChanged;
    TProgress OnLoadProgress;
    TProgress OnSaveProgress;
    TNotifyEvent OnVerticalScroll;
    TNotifyEvent OnHorizontalScroll;
    TEditShowEvent OnShowEditor;
    TVxOnGetEditStyleEvent OnGetEditStyle;
    TNotifyEvent OnEditButtonClick;
    TNotifyEvent OnListBoxCloseUp;

protected:
    friend class TExInplaceEditList;
    std::wstring ClassName() const override { return L"TVxStringGrid"; }

    virtual void SetCanvasProperties(int ACol, int ARow, const RECT& Rect, fw::TGridDrawState State);
    virtual fw::TAlignment GetCellAlignment(int ACol, int ARow, fw::TGridDrawState State);
    virtual void DefaultDrawCell(int ACol, int ARow, const RECT& Rect, fw::TGridDrawState State);
    virtual void CaptionClick(int AColumn, int ARow);
    virtual void DoListBoxCloseUp();
    virtual void DoEditButtonClick();

    fw::TInplaceEdit* CreateEditor() override;
    bool CanEditShow() override;
    void DrawCell(int ACol, int ARow, const RECT& ARect, fw::TGridDrawState AState) override;
    fw::TEditStyle GetEditStyle(int ACol, int ARow) override;
    void ColWidthsChanged() override;
    void MouseDown(fw::TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseUp(fw::TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    fw::TAlignment alignment_ = fw::taLeftJustify;
    fw::TGridCoord pressed_{-1, -1};
    fw::TEditStyle editStyle_ = fw::esSimple;
    std::unique_ptr<fw::TStringList> pickListStrings_;
    std::unique_ptr<fw::TFont> fixedFont_;
};

}  // namespace vx
