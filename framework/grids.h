// The grid: a window of our own class drawing rows and columns of cells,
// fixed ones at the top and left, scrolled by whole rows and columns.
#pragma once
#include <windows.h>

#include <functional>
#include <vector>

#include "framework/controls.h"
#include "framework/forms.h"
#include "framework/std_controls.h"

namespace quorvane {

enum TGridDrawStateKind { gdSelected, gdFocused, gdFixed };
using TGridDrawState = unsigned;  // SetOf<TGridDrawStateKind>
enum TGridOption {
    goFixedVertLine,
    goFixedHorzLine,
    goVertLine,
    goHorzLine,
    goRangeSelect,
    goDrawFocusSelected,
    goRowSizing,
    goColSizing,
    goRowMoving,
    goColMoving,
    goEditing,
    goTabs,
    goRowSelect,
    goAlwaysShowEditor,
    goThumbTracking
};
using TGridOptions = unsigned;  // SetOf<TGridOption>

class TCustomGrid;
// Draws a cell into sender's Canvas (bound to the paint's DC).
using TDrawCellEvent = std::function<void(TObject* sender, int col, int row, const RECT& rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;

class TCustomGrid : public TCustomControl {
    QUORVANE_CLASS(TCustomGrid)
public:
    explicit TCustomGrid(TComponent* owner);

    int ColCount() const { return colCount_; }
    void SetColCount(int value);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int value);
    int FixedCols() const { return fixedCols_; }
    void SetFixedCols(int value);
    int FixedRows() const { return fixedRows_; }
    void SetFixedRows(int value);
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int value);
    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int value);
    int ColWidths(int col) const;
    void SetColWidths(int col, int width);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int height);
    TColor FixedColor() const { return fixedColor_; }
    void SetFixedColor(TColor color);
    int GridLineWidth() const { return gridLineWidth_; }
    void SetGridLineWidth(int value);
    TGridOptions Options() const { return options_; }
    void SetOptions(TGridOptions options);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle value);
    TFormBorderStyle BorderStyle() const { return borderStyle_; }  // bsNone or bsSingle
    void SetBorderStyle(TFormBorderStyle style);
    bool DefaultDrawing() const { return defaultDrawing_; }
    void SetDefaultDrawing(bool value) { defaultDrawing_ = value; }

    // The current cell.
    int Col() const { return col_; }
    void SetCol(int col) { MoveCurrent(col, row_, true); }
    int Row() const { return row_; }
    void SetRow(int row) { MoveCurrent(col_, row, true); }
    // The first scrollable column and row on screen.
    int LeftCol() const { return leftCol_; }
    void SetLeftCol(int col);
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // Scrollable rows and columns wholly on screen (at least one).
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // A cell's rectangle in client coordinates; empty when off screen.
    RECT CellRect(int col, int row) const;
    // The cell under a client point; false when there is none.
    bool MouseToCell(int x, int y, int& col, int& row) const;

    void Paint(HDC dc) override;
    void WndProc(TMessage& message) override;
    // Bound to the paint's DC while OnDrawCell runs.
    TCanvas* Canvas() { return &canvas_; }

    TDrawCellEvent OnDrawCell;
    TSelectCellEvent OnSelectCell;

protected:
    void CreateParams(TCreateParams& params) override;
    void InitializeWindow() override;
    virtual void DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state);
    virtual bool SelectCell(int col, int row);

private:
    // Left edge of column `col` (or top edge of row) as drawn now; -1 when
    // it is scrolled out of view.
    int ColumnX(int col) const;
    int RowY(int row) const;
    void MoveCurrent(int col, int row, bool program);
    void ScrollIntoView(int col, int row);
    void UpdateScrollBars();
    void Scroll(bool vertical, int request);
    void KeyDown(WORD key);
    void DrawRaisedEdge(HDC dc, const RECT& rect) const;

    int colCount_ = 5, rowCount_ = 5, fixedCols_ = 1, fixedRows_ = 1;
    int defaultColWidth_ = 64, defaultRowHeight_ = 24;
    std::vector<int> colWidths_, rowHeights_;
    TColor fixedColor_ = clBtnFace;
    int gridLineWidth_ = 1;
    TGridOptions options_ = SetOf({goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect});
    TScrollStyle scrollBars_ = ssBoth;
    TFormBorderStyle borderStyle_ = bsSingle;
    bool defaultDrawing_ = true;
    int col_ = 1, row_ = 1, leftCol_ = 1, topRow_ = 1;
    TCanvas canvas_;
};

class TDrawGrid : public TCustomGrid {
    QUORVANE_CLASS(TDrawGrid)
public:
    explicit TDrawGrid(TComponent* owner);
};

}  // namespace quorvane
