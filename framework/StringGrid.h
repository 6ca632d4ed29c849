#pragma once
// TDrawGrid (cells drawn by the owner through OnDrawCell) and TStringGrid (a text
// and an object per cell, with rows and columns seen as TStrings). A TStringGrid
// that never gets a parent keeps and returns its cells, counts, sizes, options and
// selection without creating a window.
#include <memory>
#include <string>
#include <vector>

#include "framework/CustomGrid.h"
#include "framework/StringList.h"

namespace fw {

class TDrawGrid : public TCustomGrid {
public:
    explicit TDrawGrid(TComponent* AOwner) : TCustomGrid(AOwner) {}

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;
    TGetEditEvent OnGetEditText;
    TSetEditEvent OnSetEditText;
    TMovedEvent OnColumnMoved;
    TMovedEvent OnRowMoved;

protected:
    std::wstring ClassName() const override { return L"TDrawGrid"; }
    // Fires OnDrawCell.
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
    bool SelectCell(int ACol, int ARow) override;
    std::wstring GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::wstring& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;
};

// ---------------------------------------------------------------------------

class TStringGrid : public TDrawGrid {
public:
    explicit TStringGrid(TComponent* AOwner);
    ~TStringGrid() override;

    // Cells outside the grid read as empty; writes outside it are ignored.
    std::wstring Cells(int ACol, int ARow) const;
    // The same text without a copy (for reading every cell of a large grid);
    // valid until the grid's cells change.
    const std::wstring& CellText(int ACol, int ARow) const;
    void SetCells(int ACol, int ARow, const std::wstring& Value);
    TObject* Objects(int ACol, int ARow) const;
    void SetObjects(int ACol, int ARow, TObject* Value);

    // A row or a column as a list of texts with objects, owned by the grid and valid
    // while that row or column exists. Assigning one line to another copies every
    // cell's text and object; Clear empties the line. EInvalidGridOperation for an
    // index outside the grid.
    TStrings* Rows(int Index);
    TStrings* Cols(int Index);
    void SetRows(int Index, TStrings* Value) { Rows(Index)->Assign(Value); }
    void SetCols(int Index, TStrings* Value) { Cols(Index)->Assign(Value); }

protected:
    std::wstring ClassName() const override { return L"TStringGrid"; }
    // The cell's text at (2, 2) inside the cell (default drawing), then OnDrawCell.
    void DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) override;
    void SizeChanged(int OldColCount, int OldRowCount) override;
    std::wstring GetEditText(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const std::wstring& Value) override;
    void ColumnMoved(int FromIndex, int ToIndex) override;
    void RowMoved(int FromIndex, int ToIndex) override;

private:
    friend class TStringGridStrings;
    struct CellRow {
        std::vector<std::wstring> texts;
        std::vector<TObject*> objects;
    };
    // One entry per row; a row's vectors grow only when a cell of it is written.
    std::vector<CellRow> rows_;
    // Line views, made on first request.
    std::vector<std::unique_ptr<TStrings>> rowLines_;
    std::vector<std::unique_ptr<TStrings>> colLines_;
};

// One row or column of a TStringGrid seen as TStrings (what Rows and Cols return).
class TStringGridStrings : public TStrings {
public:
    TStringGridStrings(TStringGrid* Grid, int Index, bool IsRow) : grid_(Grid), index_(Index), isRow_(IsRow) {}

    void Put(int Index, const std::wstring& S) override;
    void PutObject(int Index, TObject* AObject) override;
    // Writes into the first cell that has no text and no object; -1 when none is left.
    int Add(const std::wstring& S) override { return AddObject(S, nullptr); }
    int AddObject(const std::wstring& S, TObject* AObject) override;
    // Lines have a fixed length: inserting and deleting raise EInvalidGridOperation.
    void Insert(int Index, const std::wstring& S) override;
    void Delete(int Index) override;
    // Empties every cell of the line.
    void Clear() override;
    // From another TStrings: cell i takes line i (text and object); cells past its
    // end are emptied.
    void Assign(TPersistent* Source) override;

protected:
    std::wstring Get(int Index) const override;
    int GetCount() const override;
    TObject* GetObject(int Index) const override;
    std::wstring ClassName() const override { return L"TStringGridStrings"; }

private:
    int Col(int i) const { return isRow_ ? i : index_; }
    int Row(int i) const { return isRow_ ? index_ : i; }

    TStringGrid* grid_;
    int index_;
    bool isRow_;
};

}  // namespace fw
