// Geometry: where cells lie in the client area, which cell lies under a point, which cells are
// on screen, the divider tests and the selection's bounds.
//
// Every answer is the one the walk over the row heights / column widths would give (the walks
// are written out beside each search below), found by a search on the prefix sums instead. The
// searches need sizes that are not negative; column widths can become negative through
// SpreadColumnsToWidth, and for such a list the walk itself is run.
#include "GridMainWnd.h"

#include <climits>

namespace {
// The first scrolled index: from `fixed` on, pass sizes while the sizes passed sum below `pos`
// and the index is below count - 1.
int FirstScrolledIndex(const CSizeIndex& index, const CUIntArray& sizes, int fixed, int count, int pos) {
    if (fixed >= count - 1 || pos <= 0) return fixed;
    if (index.HasNegative()) {
        int i = fixed;
        long long passed = 0;
        while (passed < pos && i < count - 1)
            passed += (int)sizes[i++];
        return i;
    }
    // The smallest k with Prefix(k) >= Prefix(fixed) + pos, but at most count - 1.
    long long target = index.Prefix(fixed) + pos;
    int k = index.CountWithin(target - 1) + 1;
    return k < count - 1 ? k : count - 1;
}

// The index under coordinate `at`: in the fixed part, the first fixed index whose far edge is
// beyond `at`; in the scrolling part, the same walk from the first scrolled index starting at
// the fixed extent, -1 when it runs past the last index.
int HitIndex(const CSizeIndex& index, const CUIntArray& sizes, int fixed, int count, int first,
             long long fixedExtent, int at, BOOL allowFixed) {
    if (at < 0) return -1;
    if (at < fixedExtent) {
        if (!allowFixed) return -1;
        if (index.HasNegative()) {
            long long edge = 0;
            int i = 0;
            for (; i < fixed; i++) {
                edge += (int)sizes[i];
                if (edge > at) break;
            }
            return i;
        }
        return index.CountWithin(at);
    }
    if (index.HasNegative()) {
        long long edge = fixedExtent;
        for (int i = first; i < count; i++) {
            edge += (int)sizes[i];
            if (edge > at) return i;
        }
        return -1;
    }
    int m = index.CountWithin(at - fixedExtent + index.Prefix(first));
    return m >= count ? -1 : m;
}

// The walk of the shown cells: from `first`, starting at the fixed extent, add sizes until the
// far edge reaches `limit` (that index is the last, counted even if cut off) or the list ends.
struct ShownWalk {
    int last;       // the index the walk stopped at, before limiting to count - 1
    long long edge; // the far edge the walk reached
    bool reached;   // the edge reached the limit
};

ShownWalk WalkShown(const CSizeIndex& index, const CUIntArray& sizes, int first, int count,
                    long long fixedExtent, int limit) {
    ShownWalk w{first, fixedExtent, false};
    if (first >= count) return w;
    if (index.HasNegative()) {
        int i = first;
        for (; i < count; i++) {
            w.edge += (int)sizes[i];
            if (w.edge >= limit) {
                w.reached = true;
                break;
            }
        }
        w.last = i;
        return w;
    }
    // The smallest k > first with fixedExtent + Range(first, k) >= limit; the walk stops at k - 1.
    long long base = index.Prefix(first);
    long long target = (long long)limit - fixedExtent + base;
    int k = target <= base ? first + 1 : index.CountWithin(target - 1) + 1;
    if (k < first + 1) k = first + 1;
    if (k <= count) {
        w.last = k - 1;
        w.edge = fixedExtent + index.Prefix(k) - base;
        w.reached = true;
    } else {
        w.last = count;
        w.edge = fixedExtent + index.Total() - base;
    }
    return w;
}

// Whether the leading edges of the indices start .. at, laid out from `origin`, all stay before
// `limit`. With sizes that are not negative the last edge is the largest.
bool LeadingEdgesBefore(const CSizeIndex& index, const CUIntArray& sizes, int start, int at, long long origin,
                        int limit) {
    if (index.HasNegative()) {
        long long edge = origin;
        for (int i = start; i <= at; i++) {
            if (edge >= limit) return false;
            edge += (int)sizes[i];
        }
        return true;
    }
    return origin + index.Range(start, at) < limit;
}
} // namespace

BOOL CGridMainWnd::IsValidSpan(const CCellSpan& span) const {
    return span.minRow >= 0 && span.minCol >= 0 && span.maxRow >= 0 && span.maxCol >= 0 &&
           span.maxRow < rowCount && span.maxCol < columnCount && span.minRow <= span.maxRow &&
           span.minCol <= span.maxCol;
}

int CGridMainWnd::GetFixedAreaHeight() const {
    return (int)rowIndex.Prefix(fixedRowCount);
}
int CGridMainWnd::GetFixedAreaWidth() const {
    return (int)columnIndex.Prefix(fixedColumnCount);
}
int CGridMainWnd::GetTotalHeight() const {
    return (int)rowIndex.Total();
}
int CGridMainWnd::GetTotalWidth() const {
    return (int)columnIndex.Total();
}

int CGridMainWnd::FirstScrolledRowAt(int vpos) const {
    return FirstScrolledIndex(rowIndex, rowHeights, fixedRowCount, rowCount, vpos);
}

CCellPos CGridMainWnd::GetFirstScrolledCell() const {
    int vpos = GetScrollPosition(SB_VERT, FALSE);
    int hpos = GetScrollPosition(SB_HORZ, FALSE);
    return CCellPos(FirstScrolledIndex(rowIndex, rowHeights, fixedRowCount, rowCount, vpos),
                    FirstScrolledIndex(columnIndex, columnWidths, fixedColumnCount, columnCount, hpos));
}

CCellPos CGridMainWnd::HitTestCell(CPoint point, BOOL allowFixed) const {
    CCellPos first = GetFirstScrolledCell();
    int col = HitIndex(columnIndex, columnWidths, fixedColumnCount, columnCount, first.col,
                       columnIndex.Prefix(fixedColumnCount), point.x, allowFixed);
    int row = HitIndex(rowIndex, rowHeights, fixedRowCount, rowCount, first.row,
                       rowIndex.Prefix(fixedRowCount), point.y, allowFixed);
    return CCellPos(row, col);
}

BOOL CGridMainWnd::GetCellTopLeft(int row, int col, CPoint* point) const {
    if (!IsValidCell(row, col) || GetColumnWidth(col) < 1) return FALSE;
    CCellPos first = GetFirstScrolledCell();
    // Scrolled out of view above or to the left.
    if ((col >= fixedColumnCount && col < first.col) || (row >= fixedRowCount && row < first.row))
        return FALSE;
    long long x = col < fixedColumnCount ? columnIndex.Prefix(col)
                                         : GetFixedAreaWidth() + columnIndex.Range(first.col, col);
    long long y =
        row < fixedRowCount ? rowIndex.Prefix(row) : GetFixedAreaHeight() + rowIndex.Range(first.row, row);
    if (point != nullptr) *point = CPoint((int)x, (int)y);
    return TRUE;
}

BOOL CGridMainWnd::GetCellBounds(int row, int col, CRect* rect) const {
    CPoint topLeft;
    if (!GetCellTopLeft(row, col, &topLeft)) {
        if (rect != nullptr) rect->SetRect(INT_MAX, INT_MAX, INT_MIN, INT_MIN);
        return FALSE;
    }
    if (rect != nullptr)
        rect->SetRect(topLeft.x, topLeft.y, topLeft.x + GetColumnWidth(col) - 1,
                      topLeft.y + GetRowHeight(row) - 1);
    return TRUE;
}

BOOL CGridMainWnd::GetCellTextBounds(int row, int col, CRect* rect) const {
    CRect bounds;
    if (!GetCellBounds(row, col, &bounds)) return FALSE;
    int image = GetCellImage(row, col);
    IMAGEINFO info;
    if (imageList != nullptr && image >= 0 && imageList->GetImageInfo(image, &info))
        bounds.left += textMargin + (info.rcImage.right - info.rcImage.left) + 1;
    if (rect != nullptr) *rect = bounds;
    return TRUE;
}

CCellSpan CGridMainWnd::GetShownCellSpan(CRect* area) const {
    CCellPos first = GetFirstScrolledCell();
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);

    ShownWalk rowsWalk =
        WalkShown(rowIndex, rowHeights, first.row, rowCount, rowIndex.Prefix(fixedRowCount), client.bottom);
    ShownWalk colsWalk = WalkShown(columnIndex, columnWidths, first.col, columnCount,
                                   columnIndex.Prefix(fixedColumnCount), client.right);

    CCellSpan span(first.row, first.col, rowsWalk.last < rowCount - 1 ? rowsWalk.last : rowCount - 1,
                   colsWalk.last < columnCount - 1 ? colsWalk.last : columnCount - 1);
    if (area != nullptr)
        area->SetRect(0, 0, colsWalk.reached ? client.right : (int)colsWalk.edge,
                      rowsWalk.reached ? client.bottom : (int)rowsWalk.edge);
    return span;
}

CCellSpan CGridMainWnd::GetFullyShownCellSpan() const {
    CCellPos first = GetFirstScrolledCell();
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);

    ShownWalk rowsWalk =
        WalkShown(rowIndex, rowHeights, first.row, rowCount, rowIndex.Prefix(fixedRowCount), client.bottom);
    ShownWalk colsWalk = WalkShown(columnIndex, columnWidths, first.col, columnCount,
                                   columnIndex.Prefix(fixedColumnCount), client.right);

    int maxRow = rowsWalk.last < rowCount - 1 ? rowsWalk.last : rowCount - 1;
    int maxCol = colsWalk.last < columnCount - 1 ? colsWalk.last : columnCount - 1;
    // A row or column cut off by the client edge is not wholly shown; one ending exactly on the
    // edge is.
    if (maxRow > 0 && rowsWalk.edge > client.bottom) maxRow--;
    if (maxCol > 0 && colsWalk.edge > client.right) maxCol--;
    return CCellSpan(first.row, first.col, maxRow, maxCol);
}

BOOL CGridMainWnd::IsCellShown(int row, int col) const {
    if (!::IsWindow(m_hWnd) || !IsValidCell(row, col)) return FALSE;
    CCellPos first = GetFirstScrolledCell();
    if ((col >= fixedColumnCount && col < first.col) || (row >= fixedRowCount && row < first.row))
        return FALSE;
    RECT client = {0, 0, 0, 0};
    ::GetClientRect(m_hWnd, &client);
    bool fixedCol = col < fixedColumnCount, fixedRow = row < fixedRowCount;
    // Shown when the cell's top-left corner lies inside the client area.
    return LeadingEdgesBefore(columnIndex, columnWidths, fixedCol ? 0 : first.col, col,
                              fixedCol ? 0 : columnIndex.Prefix(fixedColumnCount), client.right) &&
           LeadingEdgesBefore(rowIndex, rowHeights, fixedRow ? 0 : first.row, row,
                              fixedRow ? 0 : rowIndex.Prefix(fixedRowCount), client.bottom);
}

BOOL CGridMainWnd::IsOverRowDivider(CPoint point) const {
    if (point.x >= GetFixedAreaWidth()) return FALSE;
    CCellPos cell = HitTestCell(point, TRUE);
    CPoint start;
    if (!GetCellTopLeft(cell, &start)) return FALSE;
    if (point.y - start.y <= dividerTolerance && cell.row != 0) return TRUE;
    int end = start.y + GetRowHeight(cell.row);
    return end - point.y <= dividerTolerance;
}

BOOL CGridMainWnd::IsOverColumnDivider(CPoint point) const {
    if (point.y >= GetFixedAreaHeight()) return FALSE;
    CCellPos cell = HitTestCell(point, TRUE);
    CPoint start;
    if (!GetCellTopLeft(cell, &start)) return FALSE;
    if (point.x - start.x <= dividerTolerance && cell.col != 0) return TRUE;
    int end = start.x + GetColumnWidth(cell.col);
    return end - point.x <= dividerTolerance;
}

CCellSpan CGridMainWnd::GetSelectionBounds() const {
    CCellSpan bounds(rowCount, columnCount, -1, -1);
    selectedCells.GetBounds(&bounds);
    return bounds;
}

BOOL CGridMainWnd::HasSelection() const {
    CCellSpan span = GetSelectionBounds();
    return IsValidSpan(span) &&
           (long long)(span.maxCol - span.minCol + 1) * (span.maxRow - span.minRow + 1) != 0;
}
