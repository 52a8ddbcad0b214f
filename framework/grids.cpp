#include "framework/grids.h"

#include <windowsx.h>

#include <algorithm>

namespace quorvane {

const TClassInfo& TCustomGrid::StaticClass()
{
    static const TClassInfo& info =
        DescribeClass<TCustomGrid>("TCustomGrid", &TCustomControl::StaticClass(), [](PropRegistrar<TCustomGrid>& p) {
            p.Integer("ColCount", &TCustomGrid::ColCount, &TCustomGrid::SetColCount);
            p.Integer("RowCount", &TCustomGrid::RowCount, &TCustomGrid::SetRowCount);
            p.Integer("FixedCols", &TCustomGrid::FixedCols, &TCustomGrid::SetFixedCols);
            p.Integer("FixedRows", &TCustomGrid::FixedRows, &TCustomGrid::SetFixedRows);
            p.Integer("DefaultColWidth", &TCustomGrid::DefaultColWidth, &TCustomGrid::SetDefaultColWidth);
            p.Integer("DefaultRowHeight", &TCustomGrid::DefaultRowHeight, &TCustomGrid::SetDefaultRowHeight);
            p.Integer("FixedColor", &TCustomGrid::FixedColor, &TCustomGrid::SetFixedColor);
            p.Integer("GridLineWidth", &TCustomGrid::GridLineWidth, &TCustomGrid::SetGridLineWidth);
            p.Set("Options",
                  {"goFixedVertLine", "goFixedHorzLine", "goVertLine", "goHorzLine", "goRangeSelect",
                   "goDrawFocusSelected", "goRowSizing", "goColSizing", "goRowMoving", "goColMoving", "goEditing",
                   "goTabs", "goRowSelect", "goAlwaysShowEditor", "goThumbTracking"},
                  &TCustomGrid::Options, &TCustomGrid::SetOptions);
            p.Enumeration("ScrollBars", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"}, &TCustomGrid::ScrollBars,
                          &TCustomGrid::SetScrollBars);
            p.Enumeration("BorderStyle", {"bsNone", "bsSingle"}, &TCustomGrid::BorderStyle, &TCustomGrid::SetBorderStyle);
            p.Boolean("DefaultDrawing", &TCustomGrid::DefaultDrawing, &TCustomGrid::SetDefaultDrawing);
            p.Integer("Col", &TCustomGrid::Col, &TCustomGrid::SetCol);
            p.Integer("Row", &TCustomGrid::Row, &TCustomGrid::SetRow);
            p.Integer("LeftCol", &TCustomGrid::LeftCol, &TCustomGrid::SetLeftCol);
            p.Integer("TopRow", &TCustomGrid::TopRow, &TCustomGrid::SetTopRow);
            p.Method("OnDrawCell", [](const TCustomGrid& g) { return static_cast<bool>(g.OnDrawCell); });
            p.Method("OnSelectCell", [](const TCustomGrid& g) { return static_cast<bool>(g.OnSelectCell); });
        });
    return info;
}

TCustomGrid::TCustomGrid(TComponent* owner) : TCustomControl(owner)
{
    StoreBounds(0, 0, 320, 120);
    SetTabStop(true);
    SetColor(clWindow);
}

void TCustomGrid::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) params.style |= WS_VSCROLL;
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) params.style |= WS_HSCROLL;
    if (borderStyle_ == bsSingle) params.exStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::InitializeWindow()
{
    UpdateScrollBars();
}

int TCustomGrid::ColWidths(int col) const
{
    if (col >= 0 && col < static_cast<int>(colWidths_.size()) && colWidths_[static_cast<size_t>(col)] >= 0)
        return colWidths_[static_cast<size_t>(col)];
    return defaultColWidth_;
}

int TCustomGrid::RowHeights(int row) const
{
    if (row >= 0 && row < static_cast<int>(rowHeights_.size()) && rowHeights_[static_cast<size_t>(row)] >= 0)
        return rowHeights_[static_cast<size_t>(row)];
    return defaultRowHeight_;
}

void TCustomGrid::SetColWidths(int col, int width)
{
    if (col < 0 || col >= colCount_) return;
    if (static_cast<int>(colWidths_.size()) < colCount_) colWidths_.resize(static_cast<size_t>(colCount_), -1);
    colWidths_[static_cast<size_t>(col)] = std::max(width, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetRowHeights(int row, int height)
{
    if (row < 0 || row >= rowCount_) return;
    if (static_cast<int>(rowHeights_.size()) < rowCount_) rowHeights_.resize(static_cast<size_t>(rowCount_), -1);
    rowHeights_[static_cast<size_t>(row)] = std::max(height, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetColCount(int value)
{
    value = std::max(value, 1);
    if (value == colCount_) return;
    colCount_ = value;
    fixedCols_ = std::min(fixedCols_, colCount_ - 1);
    if (static_cast<int>(colWidths_.size()) > colCount_) colWidths_.resize(static_cast<size_t>(colCount_));
    leftCol_ = std::clamp(leftCol_, fixedCols_, colCount_ - 1);
    MoveCurrent(std::clamp(col_, fixedCols_, colCount_ - 1), row_, true);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetRowCount(int value)
{
    value = std::max(value, 1);
    if (value == rowCount_) return;
    rowCount_ = value;
    fixedRows_ = std::min(fixedRows_, rowCount_ - 1);
    if (static_cast<int>(rowHeights_.size()) > rowCount_) rowHeights_.resize(static_cast<size_t>(rowCount_));
    topRow_ = std::clamp(topRow_, fixedRows_, rowCount_ - 1);
    MoveCurrent(col_, std::clamp(row_, fixedRows_, rowCount_ - 1), true);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetFixedCols(int value)
{
    fixedCols_ = std::clamp(value, 0, colCount_ - 1);
    leftCol_ = std::max(leftCol_, fixedCols_);
    col_ = std::max(col_, fixedCols_);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetFixedRows(int value)
{
    fixedRows_ = std::clamp(value, 0, rowCount_ - 1);
    topRow_ = std::max(topRow_, fixedRows_);
    row_ = std::max(row_, fixedRows_);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetDefaultColWidth(int value)
{
    defaultColWidth_ = std::max(value, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetDefaultRowHeight(int value)
{
    defaultRowHeight_ = std::max(value, 0);
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetFixedColor(TColor color)
{
    if (color == fixedColor_) return;
    fixedColor_ = color;
    Invalidate();
}

void TCustomGrid::SetGridLineWidth(int value)
{
    gridLineWidth_ = std::max(value, 0);
    Invalidate();
}

void TCustomGrid::SetOptions(TGridOptions options)
{
    options_ = options;
    Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle value)
{
    if (value == scrollBars_) return;
    scrollBars_ = value;
    RecreateWnd();
}

void TCustomGrid::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_ || (style != bsNone && style != bsSingle)) return;
    borderStyle_ = style;
    RecreateWnd();
}

int TCustomGrid::ColumnX(int col) const
{
    int x = 0;
    for (int c = 0; c < fixedCols_; ++c) {
        if (c == col) return x;
        x += ColWidths(c) + gridLineWidth_;
    }
    if (col < leftCol_) return -1;
    for (int c = leftCol_; c < col; ++c) x += ColWidths(c) + gridLineWidth_;
    return x;
}

int TCustomGrid::RowY(int row) const
{
    int y = 0;
    for (int r = 0; r < fixedRows_; ++r) {
        if (r == row) return y;
        y += RowHeights(r) + gridLineWidth_;
    }
    if (row < topRow_) return -1;
    // Rows far below the screen are not walked one by one.
    const int height = ClientHeight();
    for (int r = topRow_; r < row; ++r) {
        y += RowHeights(r) + gridLineWidth_;
        if (y > height) return y;
    }
    return y;
}

RECT TCustomGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= colCount_ || row < 0 || row >= rowCount_) return {};
    const int x = ColumnX(col), y = RowY(row);
    if (x < 0 || y < 0 || x >= ClientWidth() || y >= ClientHeight()) return {};
    return {x, y, x + ColWidths(col), y + RowHeights(row)};
}

bool TCustomGrid::MouseToCell(int x, int y, int& col, int& row) const
{
    col = row = -1;
    int left = 0;
    for (int c = 0; c < colCount_ && left <= x; ++c) {
        if (c == fixedCols_) c = std::max(c, leftCol_);
        if (c >= colCount_) break;
        const int right = left + ColWidths(c) + gridLineWidth_;
        if (x < right) {
            col = c;
            break;
        }
        left = right;
    }
    int top = 0;
    for (int r = 0; r < rowCount_ && top <= y; ++r) {
        if (r == fixedRows_) r = std::max(r, topRow_);
        if (r >= rowCount_) break;
        const int bottom = top + RowHeights(r) + gridLineWidth_;
        if (y < bottom) {
            row = r;
            break;
        }
        top = bottom;
    }
    return col >= 0 && row >= 0;
}

int TCustomGrid::VisibleColCount() const
{
    int width = ClientWidth();
    for (int c = 0; c < fixedCols_; ++c) width -= ColWidths(c) + gridLineWidth_;
    int count = 0;
    for (int c = leftCol_; c < colCount_; ++c) {
        width -= ColWidths(c) + gridLineWidth_;
        if (width < 0) break;
        ++count;
    }
    return std::max(count, 1);
}

int TCustomGrid::VisibleRowCount() const
{
    int height = ClientHeight();
    for (int r = 0; r < fixedRows_; ++r) height -= RowHeights(r) + gridLineWidth_;
    int count = 0;
    for (int r = topRow_; r < rowCount_; ++r) {
        height -= RowHeights(r) + gridLineWidth_;
        if (height < 0) break;
        ++count;
    }
    return std::max(count, 1);
}

void TCustomGrid::SetLeftCol(int col)
{
    col = std::clamp(col, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    if (col == leftCol_) return;
    leftCol_ = col;
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::SetTopRow(int row)
{
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    if (row == topRow_) return;
    topRow_ = row;
    UpdateScrollBars();
    Invalidate();
}

void TCustomGrid::UpdateScrollBars()
{
    HWND window = WindowHandle();
    if (!window) return;
    const auto put = [window](int bar, int first, int last, int page, int position) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        info.nMin = first;
        info.nMax = last;
        info.nPage = static_cast<UINT>(page);
        info.nPos = position;
        SetScrollInfo(window, bar, &info, TRUE);
    };
    if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
        put(SB_VERT, fixedRows_, rowCount_ - 1, VisibleRowCount(), topRow_);
    if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
        put(SB_HORZ, fixedCols_, colCount_ - 1, VisibleColCount(), leftCol_);
}

void TCustomGrid::Scroll(bool vertical, int request)
{
    const int first = vertical ? topRow_ : leftCol_;
    const int page = vertical ? VisibleRowCount() : VisibleColCount();
    int target = first;
    switch (request) {
    case SB_LINEUP:
        target = first - 1;
        break;
    case SB_LINEDOWN:
        target = first + 1;
        break;
    case SB_PAGEUP:
        target = first - page;
        break;
    case SB_PAGEDOWN:
        target = first + page;
        break;
    case SB_THUMBTRACK:
        if (!InSet(options_, goThumbTracking)) return;
        [[fallthrough]];
    case SB_THUMBPOSITION: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), vertical ? SB_VERT : SB_HORZ, &info);
        target = info.nTrackPos;
        break;
    }
    case SB_TOP:
        target = 0;
        break;
    case SB_BOTTOM:
        target = vertical ? rowCount_ : colCount_;
        break;
    default:
        return;
    }
    // The last page ends with the last row (column) on screen.
    const int count = vertical ? rowCount_ : colCount_;
    target = std::min(target, std::max(count - page, vertical ? fixedRows_ : fixedCols_));
    if (vertical)
        SetTopRow(target);
    else
        SetLeftCol(target);
}

bool TCustomGrid::SelectCell(int col, int row)
{
    bool canSelect = true;
    if (OnSelectCell) OnSelectCell(this, col, row, canSelect);
    return canSelect;
}

void TCustomGrid::ScrollIntoView(int col, int row)
{
    if (row >= fixedRows_) {
        if (row < topRow_)
            SetTopRow(row);
        else if (row >= topRow_ + VisibleRowCount())
            SetTopRow(row - VisibleRowCount() + 1);
    }
    if (col >= fixedCols_) {
        if (col < leftCol_)
            SetLeftCol(col);
        else if (col >= leftCol_ + VisibleColCount())
            SetLeftCol(col - VisibleColCount() + 1);
    }
}

void TCustomGrid::MoveCurrent(int col, int row, bool program)
{
    col = std::clamp(col, fixedCols_, std::max(fixedCols_, colCount_ - 1));
    row = std::clamp(row, fixedRows_, std::max(fixedRows_, rowCount_ - 1));
    if (col == col_ && row == row_) return;
    if (!program && !SelectCell(col, row)) return;
    col_ = col;
    row_ = row;
    ScrollIntoView(col, row);
    Invalidate();
}

void TCustomGrid::KeyDown(WORD key)
{
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    int col = col_, row = row_;
    switch (key) {
    case VK_UP:
        --row;
        break;
    case VK_DOWN:
        ++row;
        break;
    case VK_LEFT:
        --col;
        break;
    case VK_RIGHT:
        ++col;
        break;
    case VK_PRIOR:
        row -= VisibleRowCount();
        break;
    case VK_NEXT:
        row += VisibleRowCount();
        break;
    case VK_HOME:
        if (ctrl) row = fixedRows_;
        col = fixedCols_;
        break;
    case VK_END:
        if (ctrl) row = rowCount_ - 1;
        col = colCount_ - 1;
        break;
    default:
        return;
    }
    MoveCurrent(col, row, false);
}

// A fixed cell's raised edge in the grid's resolved light and shadow: the
// platform's DrawEdge takes the system's own, white on a dark face.
void TCustomGrid::DrawRaisedEdge(HDC dc, const RECT& rect) const
{
    HWND window = WindowHandle();
    UniqueBrush light(CreateSolidBrush(SystemColourFor(window, COLOR_BTNHIGHLIGHT)));
    UniqueBrush shadow(CreateSolidBrush(SystemColourFor(window, COLOR_BTNSHADOW)));
    const RECT top{rect.left, rect.top, rect.right - 1, rect.top + 1};
    const RECT left{rect.left, rect.top, rect.left + 1, rect.bottom - 1};
    const RECT bottom{rect.left, rect.bottom - 1, rect.right, rect.bottom};
    const RECT right{rect.right - 1, rect.top, rect.right, rect.bottom};
    FillRect(dc, &top, light.get());
    FillRect(dc, &left, light.get());
    FillRect(dc, &bottom, shadow.get());
    FillRect(dc, &right, shadow.get());
}

void TCustomGrid::DrawCell(HDC dc, int col, int row, const RECT& rect, TGridDrawState state)
{
    if (defaultDrawing_) {
        const bool fixed = InSet(state, gdFixed);
        const bool selected = InSet(state, gdSelected) && (!InSet(state, gdFocused) || InSet(options_, goDrawFocusSelected) ||
                                                           InSet(options_, goRowSelect));
        UniqueBrush brush(CreateSolidBrush(ColorToRGB(fixed ? fixedColor_ : selected ? clHighlight : Color())));
        FillRect(dc, &rect, brush.get());
        if (fixed) DrawRaisedEdge(dc, rect);
    }
    if (OnDrawCell) {
        canvas_.SetHandle(dc);
        canvas_.Font()->Assign(*Font());
        canvas_.SetBrushColor(InSet(state, gdFixed) ? fixedColor_ : Color());
        try {
            OnDrawCell(this, col, row, rect, state);
        } catch (...) {
            canvas_.SetHandle(nullptr);
            throw;
        }
        canvas_.SetHandle(nullptr);
    }
}

void TCustomGrid::Paint(HDC dc)
{
    const int width = ClientWidth(), height = ClientHeight();
    const bool focused = Focused();
    // Silver and black lines, or, where the window's colours are answered
    // by someone else (a skin), its shadow and dark shadow: silver lines are
    // brighter than the text on a dark field.
    HWND window = WindowHandle();
    const bool resolved = SystemColourFor(window, COLOR_BTNSHADOW) != GetSysColor(COLOR_BTNSHADOW);
    UniqueBrush lines(CreateSolidBrush(resolved ? SystemColourFor(window, COLOR_BTNSHADOW) : ColorToRGB(clSilver)));
    UniqueBrush fixedLines(CreateSolidBrush(resolved ? SystemColourFor(window, COLOR_3DDKSHADOW) : ColorToRGB(clBlack)));
    int y = 0;
    for (int row = 0; row < rowCount_ && y < height; ++row) {
        if (row == fixedRows_) row = topRow_;
        if (row >= rowCount_) break;
        const int rowHeight = RowHeights(row);
        int x = 0;
        for (int col = 0; col < colCount_ && x < width; ++col) {
            if (col == fixedCols_) col = leftCol_;
            if (col >= colCount_) break;
            const int colWidth = ColWidths(col);
            const RECT cell{x, y, x + colWidth, y + rowHeight};
            const bool fixed = row < fixedRows_ || col < fixedCols_;
            TGridDrawState state = 0;
            if (fixed) state |= 1u << gdFixed;
            const bool current = col == col_ && row == row_;
            if (!fixed && (current || (InSet(options_, goRowSelect) && row == row_))) state |= 1u << gdSelected;
            if (current && focused) state |= 1u << gdFocused;
            if (RectVisible(dc, &cell)) {
                SavedDcState saved(dc);
                IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
                DrawCell(dc, col, row, cell, state);
            }
            if (gridLineWidth_ > 0) {
                const bool vert = InSet(options_, fixed ? goFixedVertLine : goVertLine);
                const bool horz = InSet(options_, fixed ? goFixedHorzLine : goHorzLine);
                HBRUSH brush = fixed ? fixedLines.get() : lines.get();
                const RECT right{cell.right, cell.top, cell.right + gridLineWidth_, cell.bottom + gridLineWidth_};
                const RECT bottom{cell.left, cell.bottom, cell.right + gridLineWidth_, cell.bottom + gridLineWidth_};
                FillRect(dc, &right, vert ? brush : ColorBrush());
                FillRect(dc, &bottom, horz ? brush : ColorBrush());
            }
            if (current && focused && !InSet(options_, goRowSelect)) DrawFocusRect(dc, &cell);
            x += colWidth + gridLineWidth_;
        }
        // The rest of the row right of the last column.
        if (x < width) {
            const RECT rest{x, y, width, y + rowHeight + gridLineWidth_};
            FillRect(dc, &rest, ColorBrush());
        }
        y += rowHeight + gridLineWidth_;
    }
    if (y < height) {
        const RECT rest{0, y, width, height};
        FillRect(dc, &rest, ColorBrush());
    }
}

void TCustomGrid::WndProc(TMessage& message)
{
    switch (message.msg) {
    case WM_ERASEBKGND:
        // Paint covers every pixel.
        message.result = 1;
        return;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (message.lParam == 0) {
            Scroll(message.msg == WM_VSCROLL, LOWORD(message.wParam));
            message.result = 0;
            return;
        }
        break;
    case WM_MOUSEWHEEL: {
        const int notches = static_cast<short>(HIWORD(message.wParam)) / WHEEL_DELTA;
        SetTopRow(std::min(topRow_ - notches * 3, std::max(rowCount_ - VisibleRowCount(), fixedRows_)));
        message.result = 0;
        return;
    }
    case WM_GETDLGCODE:
        message.result = DLGC_WANTARROWS;
        return;
    case WM_LBUTTONDOWN: {
        if (CanFocus() && HandleAllocated() && !Focused()) SetFocus();
        int col = 0, row = 0;
        if (MouseToCell(GET_X_LPARAM(message.lParam), GET_Y_LPARAM(message.lParam), col, row) && col >= fixedCols_ &&
            row >= fixedRows_)
            MoveCurrent(col, row, false);
        break;
    }
    case WM_KEYDOWN: {
        // OnKeyDown may free the grid.
        const std::weak_ptr<const bool> alive = Liveness();
        TCustomControl::WndProc(message);
        if (!alive.expired()) KeyDown(static_cast<WORD>(message.wParam));
        return;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Invalidate();
        break;
    case WM_SIZE:
        TCustomControl::WndProc(message);
        UpdateScrollBars();
        return;
    default:
        break;
    }
    TCustomControl::WndProc(message);
}

const TClassInfo& TDrawGrid::StaticClass()
{
    static const TClassInfo& info = DescribeClass("TDrawGrid", &TCustomGrid::StaticClass());
    return info;
}

TDrawGrid::TDrawGrid(TComponent* owner) : TCustomGrid(owner) {}

}  // namespace quorvane
