// The grid's geometry on real windows with real scroll bars: the worked examples, and a property
// test that drives random changes of counts, sizes (zero sizes and negative widths included),
// fixed counts, window sizes and scroll positions and compares every query with a plain
// implementation that sums the row heights and column widths the way the walks are written.
#include "grid_test_util.h"

#include <climits>
#include <cstring>
#include <random>

using gridtest::GridWindowTest;
using gridtest::TestGrid;

namespace {

// The geometry written as walks over the stored sizes.
struct NaiveGeometry {
    const CGridMainWnd& g;

    int Pos(int bar) const {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_POS;
        return ::GetScrollInfo(g.m_hWnd, bar, &si) ? si.nPos : 0;
    }
    RECT Client() const {
        RECT rc = {0, 0, 0, 0};
        ::GetClientRect(g.m_hWnd, &rc);
        return rc;
    }
    int H(int r) const { return g.GetRowHeight(r); }
    int W(int c) const { return g.GetColumnWidth(c); }
    int FixedH() const {
        int s = 0;
        for (int r = 0; r < g.GetNumFixedRows(); r++)
            s += H(r);
        return s;
    }
    int FixedW() const {
        int s = 0;
        for (int c = 0; c < g.GetNumFixedColumns(); c++)
            s += W(c);
        return s;
    }
    int TotalH() const {
        int s = 0;
        for (int r = 0; r < g.GetNumRows(); r++)
            s += H(r);
        return s;
    }
    int TotalW() const {
        int s = 0;
        for (int c = 0; c < g.GetNumColumns(); c++)
            s += W(c);
        return s;
    }

    CCellPos First() const {
        int hpos = Pos(SB_HORZ), vpos = Pos(SB_VERT);
        int col = g.GetNumFixedColumns(), passed = 0;
        while (passed < hpos && col < g.GetNumColumns() - 1)
            passed += W(col++);
        int row = g.GetNumFixedRows();
        passed = 0;
        while (passed < vpos && row < g.GetNumRows() - 1)
            passed += H(row++);
        return CCellPos(row, col);
    }

    CCellPos Hit(CPoint p, BOOL allowFixed) const {
        CCellPos first = First();
        CCellPos result;
        // Column.
        int fixedW = FixedW();
        if (p.x < 0) {
            result.col = -1;
        } else if (p.x < fixedW) {
            if (!allowFixed) {
                result.col = -1;
            } else {
                int col = 0, edge = 0;
                for (; col < g.GetNumFixedColumns(); col++) {
                    edge += W(col);
                    if (edge > p.x) break;
                }
                result.col = col;
            }
        } else {
            int col = first.col, edge = fixedW;
            for (; col < g.GetNumColumns(); col++) {
                edge += W(col);
                if (edge > p.x) break;
            }
            result.col = col >= g.GetNumColumns() ? -1 : col;
        }
        // Row.
        int fixedH = FixedH();
        if (p.y < 0) {
            result.row = -1;
        } else if (p.y < fixedH) {
            if (!allowFixed) {
                result.row = -1;
            } else {
                int row = 0, edge = 0;
                for (; row < g.GetNumFixedRows(); row++) {
                    edge += H(row);
                    if (edge > p.y) break;
                }
                result.row = row;
            }
        } else {
            int row = first.row, edge = fixedH;
            for (; row < g.GetNumRows(); row++) {
                edge += H(row);
                if (edge > p.y) break;
            }
            result.row = row >= g.GetNumRows() ? -1 : row;
        }
        return result;
    }

    bool TopLeft(int row, int col, CPoint* pt) const {
        if (!g.IsValidCell(row, col) || W(col) < 1) return false;
        CCellPos first = First();
        int fc = g.GetNumFixedColumns(), fr = g.GetNumFixedRows();
        if ((col >= fc && col < first.col) || (row >= fr && row < first.row)) return false;
        int x = 0, y = 0;
        if (col < fc) {
            for (int c = 0; c < col; c++)
                x += W(c);
        } else {
            x = FixedW();
            for (int c = first.col; c < col; c++)
                x += W(c);
        }
        if (row < fr) {
            for (int r = 0; r < row; r++)
                y += H(r);
        } else {
            y = FixedH();
            for (int r = first.row; r < row; r++)
                y += H(r);
        }
        *pt = CPoint(x, y);
        return true;
    }

    // The shown walk: returns the span and the covered area, and the raw far edges.
    CCellSpan Shown(CRect* area, int* rowEdge, int* colEdge) const {
        CCellPos first = First();
        RECT client = Client();
        int bottom = FixedH(), row = first.row;
        bool reachedRow = false;
        for (; row < g.GetNumRows(); row++) {
            bottom += H(row);
            if (bottom >= client.bottom) {
                reachedRow = true;
                break;
            }
        }
        int right = FixedW(), col = first.col;
        bool reachedCol = false;
        for (; col < g.GetNumColumns(); col++) {
            right += W(col);
            if (right >= client.right) {
                reachedCol = true;
                break;
            }
        }
        *rowEdge = bottom;
        *colEdge = right;
        if (area) area->SetRect(0, 0, reachedCol ? client.right : right, reachedRow ? client.bottom : bottom);
        int maxRow = row < g.GetNumRows() - 1 ? row : g.GetNumRows() - 1;
        int maxCol = col < g.GetNumColumns() - 1 ? col : g.GetNumColumns() - 1;
        return CCellSpan(first.row, first.col, maxRow, maxCol);
    }

    CCellSpan Fully() const {
        int rowEdge, colEdge;
        CCellSpan s = Shown(nullptr, &rowEdge, &colEdge);
        RECT client = Client();
        if (s.maxRow > 0 && rowEdge > client.bottom) s.maxRow--;
        if (s.maxCol > 0 && colEdge > client.right) s.maxCol--;
        return s;
    }

    bool IsShown(int row, int col) const {
        if (!::IsWindow(g.m_hWnd) || !g.IsValidCell(row, col)) return false;
        CCellPos first = First();
        int fc = g.GetNumFixedColumns(), fr = g.GetNumFixedRows();
        if ((col >= fc && col < first.col) || (row >= fr && row < first.row)) return false;
        RECT client = Client();
        int x = col < fc ? 0 : FixedW();
        for (int c = col < fc ? 0 : first.col; c <= col; c++) {
            if (x >= client.right) return false;
            x += W(c);
        }
        int y = row < fr ? 0 : FixedH();
        for (int r = row < fr ? 0 : first.row; r <= row; r++) {
            if (y >= client.bottom) return false;
            y += H(r);
        }
        return true;
    }

    bool OverRowDivider(CPoint p) const {
        if (p.x >= FixedW()) return false;
        CCellPos cell = Hit(p, TRUE);
        CPoint start;
        if (!TopLeft(cell.row, cell.col, &start)) return false;
        if (p.y - start.y <= g.dividerTolerance && cell.row != 0) return true;
        return start.y + H(cell.row) - p.y <= g.dividerTolerance;
    }

    bool OverColumnDivider(CPoint p) const {
        if (p.y >= FixedH()) return false;
        CCellPos cell = Hit(p, TRUE);
        CPoint start;
        if (!TopLeft(cell.row, cell.col, &start)) return false;
        if (p.x - start.x <= g.dividerTolerance && cell.col != 0) return true;
        return start.x + W(cell.col) - p.x <= g.dividerTolerance;
    }
};

class GridGeometry : public GridWindowTest {};

} // namespace

TEST_F(GridGeometry, FirstScrolledCellAtPositionZeroIsTheFirstScrollingCell) {
    Attach(300, 200);
    grid.SetNumRows(10);
    grid.SetNumColumns(4);
    grid.SetNumFixedRows(2);
    grid.SetNumFixedColumns(1);
    EXPECT_EQ(CCellPos(2, 1), grid.GetFirstScrolledCell());
}

TEST_F(GridGeometry, APositionInsideARowShowsTheNextRow) {
    Attach(300, 100);
    grid.SetNumColumns(2);
    grid.SetNumRows(20);
    grid.SetNumFixedRows(1);
    for (int r = 0; r < 20; r++)
        grid.SetRowHeight(r, 20);
    grid.RefreshLayout();
    grid.SetScrollPosition(SB_VERT, 5, FALSE);
    ASSERT_EQ(5, VertPos());
    EXPECT_EQ(2, grid.GetFirstScrolledCell().row);
    grid.SetScrollPosition(SB_VERT, 20, FALSE);
    EXPECT_EQ(2, grid.GetFirstScrolledCell().row);
    grid.SetScrollPosition(SB_VERT, 21, FALSE);
    EXPECT_EQ(3, grid.GetFirstScrolledCell().row);
}

TEST_F(GridGeometry, FirstScrolledCellNeverPassesTheLastRow) {
    Attach(300, 100);
    grid.SetNumColumns(1);
    grid.SetNumRows(3);
    grid.SetNumFixedRows(1);
    // Drawing off: the grid leaves the scroll bar as set here (showing the bar resizes the
    // client area, and the size handler would otherwise recompute the range).
    grid.EnableDrawing(FALSE);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100000, 1, 5000, 0};
    ::SetScrollInfo(grid.m_hWnd, SB_VERT, &si, FALSE);
    ASSERT_EQ(5000, VertPos());
    EXPECT_EQ(2, grid.GetFirstScrolledCell().row);
    grid.SetNumRows(1); // no scrolling rows: the fixed count itself
    ::SetScrollInfo(grid.m_hWnd, SB_VERT, &si, FALSE);
    EXPECT_EQ(1, grid.GetFirstScrolledCell().row);
}

TEST_F(GridGeometry, HitTestCell) {
    Attach(400, 300);
    grid.SetNumRows(5);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    grid.EnableScrollBars(FALSE, FALSE);
    for (int r = 0; r < 5; r++)
        grid.SetRowHeight(r, 20);
    grid.SetColumnWidth(0, 40);
    grid.SetColumnWidth(1, 50);
    grid.SetColumnWidth(2, 60);
    EXPECT_EQ(CCellPos(-1, -1), grid.HitTestCell(CPoint(-1, -1)));
    EXPECT_EQ(CCellPos(0, 0), grid.HitTestCell(CPoint(0, 0)));
    EXPECT_EQ(CCellPos(-1, -1), grid.HitTestCell(CPoint(10, 10), FALSE));
    EXPECT_EQ(CCellPos(1, -1), grid.HitTestCell(CPoint(10, 25), FALSE));
    EXPECT_EQ(CCellPos(1, 1), grid.HitTestCell(CPoint(40, 20)));
    // A point on a cell's right edge (x = left + width) is in the next column.
    EXPECT_EQ(CCellPos(1, 1), grid.HitTestCell(CPoint(89, 39)));
    EXPECT_EQ(CCellPos(1, 2), grid.HitTestCell(CPoint(90, 39)));
    EXPECT_EQ(CCellPos(2, 2), grid.HitTestCell(CPoint(149, 40)));
    // Right of the last column, and below the last row.
    EXPECT_EQ(CCellPos(2, -1), grid.HitTestCell(CPoint(150, 40)));
    EXPECT_EQ(CCellPos(-1, 2), grid.HitTestCell(CPoint(120, 100)));
    EXPECT_EQ(CCellPos(4, -1), grid.HitTestCell(CPoint(399, 99)));
}

TEST_F(GridGeometry, ZeroSizedRowsAreNeverHit) {
    Attach(400, 300);
    grid.SetNumRows(6);
    grid.SetNumColumns(2);
    grid.SetNumFixedRows(2);
    grid.EnableScrollBars(FALSE, FALSE);
    int heights[] = {0, 10, 0, 0, 15, 0};
    for (int r = 0; r < 6; r++)
        grid.SetRowHeight(r, heights[r]);
    EXPECT_EQ(1, grid.HitTestCell(CPoint(1, 0)).row);
    EXPECT_EQ(1, grid.HitTestCell(CPoint(1, 9)).row);
    EXPECT_EQ(4, grid.HitTestCell(CPoint(1, 10)).row);
    EXPECT_EQ(4, grid.HitTestCell(CPoint(1, 24)).row);
    EXPECT_EQ(-1, grid.HitTestCell(CPoint(1, 25)).row);
}

TEST_F(GridGeometry, CellCornersAndBounds) {
    Attach(400, 300);
    grid.SetNumRows(4);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.EnableScrollBars(FALSE, FALSE);
    for (int r = 0; r < 4; r++)
        grid.SetRowHeight(r, 20 + r);
    grid.SetColumnWidth(0, 40);
    grid.SetColumnWidth(1, 0);
    grid.SetColumnWidth(2, 60);
    CPoint p(-7, -7);
    EXPECT_TRUE(grid.GetCellTopLeft(2, 2, &p));
    EXPECT_EQ(CPoint(40, 41), p);
    p = CPoint(-7, -7);
    EXPECT_FALSE(grid.GetCellTopLeft(2, 1, &p)); // a column of width 0
    EXPECT_EQ(CPoint(-7, -7), p);
    EXPECT_FALSE(grid.GetCellTopLeft(4, 0, &p));
    CRect rc;
    EXPECT_TRUE(grid.GetCellBounds(3, 2, &rc));
    EXPECT_EQ(CRect(40, 63, 99, 85), rc);
    EXPECT_FALSE(grid.GetCellBounds(3, 1, &rc));
    EXPECT_EQ(CRect(INT_MAX, INT_MAX, INT_MIN, INT_MIN), rc);
    EXPECT_TRUE(grid.GetCellTextBounds(3, 2, &rc)); // no image list: the cell bounds
    EXPECT_EQ(CRect(40, 63, 99, 85), rc);
}

TEST_F(GridGeometry, TextBoundsLeaveRoomForTheImage) {
    Attach(400, 300);
    grid.SetNumRows(2);
    grid.SetNumColumns(2);
    grid.EnableScrollBars(FALSE, FALSE);
    CImageList images;
    ASSERT_TRUE(images.Create(16, 12, ILC_COLOR24, 2, 1));
    ::ImageList_SetImageCount(images.m_hImageList, 2);
    grid.SetImageList(&images);
    GridItemDesc d;
    d.row = 1;
    d.col = 1;
    d.mask = DESC_IMAGE;
    d.image = 1;
    grid.SetCellDesc(&d);
    CRect bounds, text;
    ASSERT_TRUE(grid.GetCellBounds(1, 1, &bounds));
    ASSERT_TRUE(grid.GetCellTextBounds(1, 1, &text));
    IMAGEINFO info;
    ASSERT_TRUE(images.GetImageInfo(1, &info));
    EXPECT_EQ(bounds.left + grid.textMargin + (info.rcImage.right - info.rcImage.left) + 1, text.left);
    EXPECT_EQ(bounds.right, text.right);
    d.image = 5; // the list does not know it: no room
    grid.SetCellDesc(&d);
    ASSERT_TRUE(grid.GetCellTextBounds(1, 1, &text));
    EXPECT_EQ(bounds, text);
    grid.SetImageList(nullptr);
}

TEST_F(GridGeometry, ScrolledOutCellsHaveNoCorner) {
    Attach(300, 100);
    grid.SetNumColumns(2);
    grid.SetNumRows(10);
    grid.SetNumFixedRows(1);
    for (int r = 0; r < 10; r++)
        grid.SetRowHeight(r, 20);
    grid.RefreshLayout();
    grid.SetScrollPosition(SB_VERT, 40, FALSE);
    ASSERT_EQ(3, grid.GetFirstScrolledCell().row);
    CPoint p;
    EXPECT_FALSE(grid.GetCellTopLeft(2, 0, &p));
    EXPECT_TRUE(grid.GetCellTopLeft(0, 0, &p));
    EXPECT_EQ(CPoint(0, 0), p);
    EXPECT_TRUE(grid.GetCellTopLeft(3, 1, &p));
    EXPECT_EQ(20, p.y);
    EXPECT_TRUE(grid.GetCellTopLeft(9, 0, &p)); // below the client area: still a corner
    EXPECT_EQ(20 + 6 * 20, p.y);
    EXPECT_FALSE(grid.IsCellShown(9, 0));
    EXPECT_FALSE(grid.IsCellShown(2, 0));
    EXPECT_TRUE(grid.IsCellShown(0, 1));
    EXPECT_TRUE(grid.IsCellShown(6, 1));  // top at 20 + 3 * 20 = 80
    EXPECT_FALSE(grid.IsCellShown(7, 1)); // top at 100, the client's bottom edge
}

// One 20-pixel fixed row and scrolling rows of 20 pixels in a 70-pixel client: row 3 ends at 80,
// so it is shown but not wholly.
TEST_F(GridGeometry, ShownAndWhollyShownSpans) {
    Attach(300, 70);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(2);
    grid.SetNumRows(4);
    grid.SetNumFixedRows(1);
    for (int r = 0; r < 4; r++)
        grid.SetRowHeight(r, 20);
    grid.SetColumnWidth(0, 100);
    grid.SetColumnWidth(1, 100);
    ASSERT_EQ(70, Client().bottom);
    CRect area;
    CCellSpan shown = grid.GetShownCellSpan(&area);
    EXPECT_EQ(CCellSpan(1, 0, 3, 1), shown);
    EXPECT_EQ(CRect(0, 0, 200, 70), area);
    EXPECT_EQ(CCellSpan(1, 0, 2, 1), grid.GetFullyShownCellSpan());
    // A row that ends exactly on the bottom edge counts as wholly shown.
    grid.SetRowHeight(3, 10);
    EXPECT_EQ(3, grid.GetFullyShownCellSpan().maxRow);
    // Rows that run out before the edge: the covered height is their sum.
    grid.SetNumRows(3);
    EXPECT_EQ(CCellSpan(1, 0, 2, 1), grid.GetShownCellSpan(&area));
    EXPECT_EQ(CRect(0, 0, 200, 60), area);
}

TEST_F(GridGeometry, AFirstRowTallerThanTheClientIsNotWhollyShown) {
    Attach(300, 70);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(1);
    grid.SetNumRows(3);
    grid.SetNumFixedRows(1);
    grid.SetRowHeight(0, 20);
    grid.SetRowHeight(1, 200);
    CCellSpan fully = grid.GetFullyShownCellSpan();
    EXPECT_EQ(0, fully.maxRow);
    EXPECT_FALSE(grid.IsValidSpan(fully));
}

TEST_F(GridGeometry, IsCellShownTestsTheTopLeftCorner) {
    Attach(200, 100);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(3);
    grid.SetNumRows(3);
    for (int c = 0; c < 3; c++)
        grid.SetColumnWidth(c, 100);
    for (int r = 0; r < 3; r++)
        grid.SetRowHeight(r, 50);
    EXPECT_TRUE(grid.IsCellShown(1, 1));
    EXPECT_FALSE(grid.IsCellShown(1, 2)); // starts at x = 200, the client's right edge
    EXPECT_FALSE(grid.IsCellShown(2, 0));
    EXPECT_FALSE(grid.IsCellShown(3, 0));
    TestGrid windowless(2, 2);
    EXPECT_FALSE(windowless.IsCellShown(0, 0));
}

TEST_F(GridGeometry, DividerTests) {
    Attach(400, 300);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumRows(4);
    grid.SetNumColumns(4);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    for (int r = 0; r < 4; r++)
        grid.SetRowHeight(r, 20);
    for (int c = 0; c < 4; c++)
        grid.SetColumnWidth(c, 50);
    // Row dividers only in the fixed columns.
    EXPECT_TRUE(grid.IsOverRowDivider(CPoint(10, 40)));  // top edge of row 2
    EXPECT_TRUE(grid.IsOverRowDivider(CPoint(10, 43)));  // 3 below it
    EXPECT_FALSE(grid.IsOverRowDivider(CPoint(10, 44))); // 4 below it
    EXPECT_TRUE(grid.IsOverRowDivider(CPoint(10, 57)));  // 3 above the bottom edge (60)
    EXPECT_FALSE(grid.IsOverRowDivider(CPoint(10, 56)));
    EXPECT_FALSE(grid.IsOverRowDivider(CPoint(60, 40)));
    EXPECT_FALSE(grid.IsOverRowDivider(CPoint(10, 1))); // the top of row 0 is no divider
    EXPECT_FALSE(grid.IsOverRowDivider(CPoint(10, 150)));
    // Column dividers only in the fixed rows.
    EXPECT_TRUE(grid.IsOverColumnDivider(CPoint(100, 5)));
    EXPECT_TRUE(grid.IsOverColumnDivider(CPoint(97, 5)));
    EXPECT_FALSE(grid.IsOverColumnDivider(CPoint(96, 5)));
    EXPECT_FALSE(grid.IsOverColumnDivider(CPoint(100, 25)));
    EXPECT_FALSE(grid.IsOverColumnDivider(CPoint(2, 5)));
    grid.dividerTolerance = 0;
    EXPECT_TRUE(grid.IsOverColumnDivider(CPoint(100, 5)));
    EXPECT_FALSE(grid.IsOverColumnDivider(CPoint(101, 5)));
}

TEST_F(GridGeometry, ScrollRangeMaximumAndHiddenBar) {
    Attach(300, 100);
    grid.EnableScrollBars(FALSE, TRUE);
    grid.SetNumColumns(2);
    grid.SetNumRows(1);
    grid.SetNumFixedRows(1);
    grid.SetRowHeight(0, 20);
    grid.SetColumnWidth(0, 100);
    grid.SetColumnWidth(1, 100);
    // Page: the window's height less the fixed area = 80.
    for (int i = 0; i < 4; i++)
        grid.SetRowHeight(grid.AddRow("", -1), 20);
    grid.RefreshLayout();
    EXPECT_EQ(0, grid.vertScrollMax);
    EXPECT_EQ(0u, grid.GetStyle() & WS_VSCROLL);
    grid.SetRowHeight(grid.AddRow("", -1), 20);
    grid.RefreshLayout();
    EXPECT_EQ(99, grid.vertScrollMax); // scrolling rows 100 pixels high
    EXPECT_EQ(99, Info(SB_VERT).nMax);
    EXPECT_EQ(80u, Info(SB_VERT).nPage);
    EXPECT_NE(0u, grid.GetStyle() & WS_VSCROLL);
    EXPECT_EQ(0, grid.horzScrollMax);
    EXPECT_EQ(0u, grid.GetStyle() & WS_HSCROLL);
    // Shrinking clamps the position.
    grid.SetScrollPosition(SB_VERT, 20, FALSE);
    ASSERT_EQ(20, VertPos());
    grid.RemoveRow(5);
    EXPECT_EQ(0, grid.vertScrollMax);
    EXPECT_EQ(0, VertPos());
    EXPECT_EQ(0u, grid.GetStyle() & WS_VSCROLL);
}

TEST_F(GridGeometry, ScrollBarsAreLeftAloneWithoutScrollingRowsOrWhileDrawingIsOff) {
    Attach(300, 100);
    grid.SetNumColumns(1);
    grid.SetNumRows(10);
    for (int r = 0; r < 10; r++)
        grid.SetRowHeight(r, 30);
    grid.RefreshLayout();
    ASSERT_EQ(299, grid.vertScrollMax);
    grid.EnableDrawing(FALSE);
    grid.SetNumRows(20);
    EXPECT_EQ(299, Info(SB_VERT).nMax);
    grid.EnableDrawing(TRUE);
    grid.SetNumFixedRows(20); // no scrolling row: the fully shown span is not valid
    grid.RefreshLayout();
    EXPECT_EQ(299, Info(SB_VERT).nMax);
    EXPECT_EQ(299, grid.vertScrollMax);
}

TEST_F(GridGeometry, SpreadColumnsToWidth) {
    Attach(600, 100);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(3);
    grid.SetNumRows(1);
    grid.SetColumnWidth(0, 150);
    grid.SetColumnWidth(1, 35);
    grid.SetColumnWidth(2, 500);
    grid.SpreadColumnsToWidth();
    EXPECT_EQ(121, grid.GetColumnWidth(0));
    EXPECT_EQ(7, grid.GetColumnWidth(1));
    EXPECT_EQ(472, grid.GetColumnWidth(2));
    EXPECT_EQ(600, grid.GetTotalWidth());
    // Slack to give: the remainder goes to the first columns.
    grid.SetColumnWidth(0, 100);
    grid.SetColumnWidth(1, 100);
    grid.SetColumnWidth(2, 100);
    grid.SpreadColumnsToWidth(); // slack 300
    EXPECT_EQ(200, grid.GetColumnWidth(0));
    grid.SetColumnWidth(0, 0);
    grid.SetColumnWidth(1, 0);
    grid.SetColumnWidth(2, 598);
    grid.SpreadColumnsToWidth(); // slack 2: 0 each and one more for the first two
    EXPECT_EQ(1, grid.GetColumnWidth(0));
    EXPECT_EQ(1, grid.GetColumnWidth(1));
    EXPECT_EQ(598, grid.GetColumnWidth(2));
    // No lower bound.
    grid.SetColumnWidth(0, 0);
    grid.SetColumnWidth(1, 10);
    grid.SetColumnWidth(2, 1000);
    grid.SpreadColumnsToWidth(); // slack -410: -136 each, one more off the first two
    EXPECT_EQ(-137, grid.GetColumnWidth(0));
    EXPECT_EQ(-127, grid.GetColumnWidth(1));
    EXPECT_EQ(864, grid.GetColumnWidth(2));
    EXPECT_EQ(600, grid.GetTotalWidth());
    TestGrid empty;
    empty.SpreadColumnsToWidth();
    EXPECT_EQ(0, empty.GetNumColumns());
}

TEST_F(GridGeometry, ScaleColumnsToWidth) {
    Attach(300, 100);
    grid.SetNumColumns(3);
    grid.SetNumRows(1);
    for (int c = 0; c < 3; c++)
        grid.SetColumnWidth(c, 100);
    grid.SetKeepColumnProportions(TRUE);
    ASSERT_EQ(3, grid.savedColumnWidths.GetSize());
    grid.ScaleColumnsToWidth(400);
    EXPECT_EQ(133, grid.GetColumnWidth(0));
    EXPECT_EQ(133, grid.GetColumnWidth(1));
    EXPECT_EQ(134, grid.GetColumnWidth(2));
    grid.ScaleColumnsToWidth(250);
    EXPECT_EQ(100, grid.GetColumnWidth(0));
    EXPECT_EQ(100, grid.GetColumnWidth(1));
    EXPECT_EQ(100, grid.GetColumnWidth(2));
    grid.SetKeepColumnProportions(FALSE);
    EXPECT_EQ(0, grid.savedColumnWidths.GetSize());
}

TEST_F(GridGeometry, ColumnsFollowTheWindowWidthWhileProportionsAreKept) {
    Attach(300, 100);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(2);
    grid.SetNumRows(1);
    grid.SetColumnWidth(0, 100);
    grid.SetColumnWidth(1, 200);
    grid.SetKeepColumnProportions(TRUE);
    ::MoveWindow(grid.m_hWnd, 0, 0, 600, 100, FALSE);
    EXPECT_EQ(200, grid.GetColumnWidth(0));
    EXPECT_EQ(400, grid.GetColumnWidth(1));
    EXPECT_EQ(grid.m_hWnd, ::GetFocus());
    ::MoveWindow(grid.m_hWnd, 0, 0, 200, 100, FALSE);
    EXPECT_EQ(100, grid.GetColumnWidth(0));
    EXPECT_EQ(200, grid.GetColumnWidth(1));
    grid.SetKeepColumnProportions(FALSE);
    ::MoveWindow(grid.m_hWnd, 0, 0, 500, 100, FALSE);
    EXPECT_EQ(100, grid.GetColumnWidth(0));
}

TEST_F(GridGeometry, FittingToText) {
    Attach(500, 300);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetNumColumns(3);
    grid.SetNumRows(3);
    grid.SetNumFixedRows(1);
    grid.SetCellText(0, 0, "Function");
    grid.SetCellText(1, 0, "x");
    grid.SetCellText(2, 0, "a much longer text than the heading");
    grid.SetCellText(1, 1, "W");
    CDC* dc = grid.GetDC();
    ASSERT_NE(nullptr, dc);
    CSize heading = grid.GetCellExtent(0, 0, dc);
    CSize longest = grid.GetCellExtent(2, 0, dc);
    CSize w = grid.GetCellExtent(1, 1, dc);
    CSize empty = grid.GetCellExtent(2, 2, dc);
    grid.ReleaseDC(dc);
    EXPECT_GT(longest.cx, heading.cx);
    EXPECT_EQ(2 * grid.textMargin, empty.cx);
    EXPECT_TRUE(grid.FitColumnToText(0));
    EXPECT_EQ(longest.cx, grid.GetColumnWidth(0));
    EXPECT_FALSE(grid.FitColumnToText(3));
    EXPECT_FALSE(grid.FitRowToText(-1));
    EXPECT_TRUE(grid.FitRowToText(1));
    EXPECT_EQ(w.cy, grid.GetRowHeight(1));
    grid.SetColumnWidth(2, 77);
    grid.FitAllToText();
    EXPECT_EQ(longest.cx, grid.GetColumnWidth(0));
    EXPECT_EQ(w.cx, grid.GetColumnWidth(1));
    EXPECT_EQ(empty.cx, grid.GetColumnWidth(2));
    EXPECT_EQ(heading.cy, grid.GetRowHeight(0));
    EXPECT_EQ(grid.GetTotalWidth(), longest.cx + w.cx + empty.cx);
}

TEST_F(GridGeometry, FixedCellsAreMeasuredInALightFont) {
    Attach(500, 300);
    grid.SetNumColumns(2);
    grid.SetNumRows(2);
    grid.SetNumFixedRows(1);
    LOGFONTA bold = grid.gridFont;
    std::strcpy(bold.lfFaceName, "DejaVu Sans"); // a face with a bold and a regular variant
    bold.lfCharSet = ANSI_CHARSET;
    bold.lfWeight = 900;
    bold.lfHeight = -40;
    grid.SetCellFont(0, 1, &bold);
    grid.SetCellFont(1, 1, &bold);
    grid.SetCellText(0, 1, "WWWWWWWW");
    grid.SetCellText(1, 1, "WWWWWWWW");
    CDC* dc = grid.GetDC();
    CSize fixedExtent = grid.GetCellExtent(0, 1, dc);
    CSize bodyExtent = grid.GetCellExtent(1, 1, dc);
    grid.ReleaseDC(dc);
    EXPECT_LT(fixedExtent.cx, bodyExtent.cx);
}

// Cells measured by the table of character widths get the extents GetCellExtent gives them:
// texts of every kind, Hangul and broken double-byte sequences among them, in several fonts, in
// body and heading cells, compact cells and cell objects.
TEST_F(GridGeometry, WidthTableGivesTheSystemsExtents) {
    Attach(500, 300);
    const char* texts[] = {"",
                           "x",
                           "a much longer text than the heading",
                           "WWWW iiii ....",
                           "\t\x01 ~\x7f",
                           "\x80\xA0\xFF",
                           "한글 텍스트와 ASCII 섞기",
                           "가나다라마바사아자차카타파하",
                           "똠방각하 쀍 힣",
                           "\xB0",
                           "\xB0\x20",
                           "\xC8\x41",
                           "(a, b) => 12:34:56.789"};
    const int n = (int)(sizeof texts / sizeof texts[0]);
    grid.SetNumColumns(3);
    grid.SetNumRows(n + 1);
    grid.SetNumFixedRows(1);
    grid.SetNumFixedColumns(1);
    LOGFONTA fonts[3] = {grid.gridFont, grid.gridFont, grid.gridFont};
    std::strcpy(fonts[1].lfFaceName, "DejaVu Sans");
    fonts[1].lfWeight = FW_BOLD;
    fonts[1].lfItalic = TRUE;
    std::strcpy(fonts[2].lfFaceName, "굴림");
    fonts[2].lfHeight = -17;
    for (int row = 0; row <= n; row++)
        for (int col = 0; col < 3; col++) {
            grid.SetCellText(row, col, texts[(row + col) % n]);
            if (col == 2) grid.GetCell(row, col); // a cell object
        }
    CDC* dc = grid.GetDC();
    int byTable = 0;
    for (const LOGFONTA& font : fonts) {
        SCOPED_TRACE(font.lfFaceName);
        for (int row = 0; row <= n; row++)
            for (int col = 0; col < 3; col++) {
                grid.SetCellFont(row, col, &font);
                TestGrid::FitMemo memo;
                memo.byTable = TRUE;
                EXPECT_EQ(grid.GetCellExtent(row, col, dc), grid.FitExtent(row, col, dc, memo))
                    << row << " " << col << " " << texts[(row + col) % n];
                byTable += memo.table != nullptr ? 1 : 0;
            }
    }
    grid.ReleaseDC(dc);
    EXPECT_GT(byTable, 3 * (n + 1) * 2); // the fonts are measured by table
}

TEST_F(GridGeometry, MeasureText) {
    Attach(300, 100);
    CSize plain = grid.MeasureText("Hello", FALSE);
    CSize heading = grid.MeasureText("Hello", TRUE);
    EXPECT_GT(plain.cx, 2 * grid.textMargin);
    EXPECT_GT(heading.cy, 2 * grid.textMargin);
    EXPECT_EQ(2 * grid.textMargin, grid.MeasureText("", FALSE).cx);
    EXPECT_EQ(grid.MeasureText(nullptr, TRUE), grid.MeasureText("", TRUE));
}

// Random changes, each followed by every query at random and boundary points, all compared with
// the walks over the stored sizes.
TEST_F(GridGeometry, PropertyQueriesMatchTheWalks) {
    Attach(260, 180);
    std::mt19937 rng(20261208);
    auto pick = [&](int n) { return n <= 0 ? 0 : (int)(rng() % (unsigned)n); };
    const int sizes[] = {0, 0, 1, 2, 5, 20, 20, 33};
    auto size = [&] { return sizes[pick(8)]; };
    grid.SetNumColumns(3);
    grid.SetNumRows(5);
    NaiveGeometry naive{grid};

    for (int step = 0; step < 1500; step++) {
        int rows = grid.GetNumRows(), cols = grid.GetNumColumns();
        switch (pick(17)) {
        case 0:
            grid.SetNumRows(pick(40));
            for (int r = 0; r < grid.GetNumRows(); r++)
                grid.SetRowHeight(r, size());
            break;
        case 1:
            grid.SetNumColumns(pick(7));
            break;
        case 2:
        case 3:
            grid.SetRowHeight(grid.AddRow(pick(3) ? "" : "Text", pick(4) ? -1 : pick(rows + 1)), size());
            break;
        case 4:
            grid.RemoveRow(pick(rows + 1));
            break;
        case 5:
        case 6:
            grid.SetRowHeight(pick(rows), size());
            break;
        case 7:
            grid.SetColumnWidth(pick(cols), size() * 3);
            break;
        case 8:
            grid.SetNumFixedRows(pick(4));
            break;
        case 9:
            grid.SetNumFixedColumns(pick(3));
            break;
        case 10:
            grid.SpreadColumnsToWidth(); // may leave negative widths
            break;
        case 11:
            grid.SetKeepColumnProportions(TRUE);
            grid.ScaleColumnsToWidth(pick(400));
            grid.SetKeepColumnProportions(FALSE);
            break;
        case 12:
            for (int r = 0; r < rows; r++)
                grid.SetCellText(r, 0, pick(2) ? "b" : "a");
            grid.SortRowsByColumn(0, pick(2));
            break;
        case 13:
            ::MoveWindow(grid.m_hWnd, 0, 0, 60 + pick(300), 40 + pick(250), FALSE);
            break;
        case 14:
            if (pick(10) == 0) grid.RemoveScrollingRows();
            break;
        case 15:
            if (pick(20) == 0) grid.ClearGrid();
            break;
        default:
            grid.FitRowToText(pick(rows));
            break;
        }
        rows = grid.GetNumRows();
        cols = grid.GetNumColumns();

        // Scroll positions anywhere, beyond the content too. Drawing is off while the queries
        // run, so that the grid keeps these positions (it would recompute the ranges when the
        // bars appear and resize the client area).
        grid.EnableDrawing(FALSE);
        SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 100000, 1, 0, 0};
        int vpos = pick(naive.TotalH() + 10);
        int hpos = pick(3) == 0 ? 0 : pick(naive.TotalW() + 10);
        si.nPos = vpos;
        ::SetScrollInfo(grid.m_hWnd, SB_VERT, &si, FALSE);
        si.nPos = hpos;
        ::SetScrollInfo(grid.m_hWnd, SB_HORZ, &si, FALSE);
        ASSERT_EQ(vpos, VertPos());
        ASSERT_EQ(hpos, HorzPos());

        ASSERT_EQ(naive.FixedH(), grid.GetFixedAreaHeight()) << step;
        ASSERT_EQ(naive.FixedW(), grid.GetFixedAreaWidth()) << step;
        ASSERT_EQ(naive.TotalH(), grid.GetTotalHeight()) << step;
        ASSERT_EQ(naive.TotalW(), grid.GetTotalWidth()) << step;
        ASSERT_EQ(naive.First(), grid.GetFirstScrolledCell()) << step;

        CRect area, naiveArea;
        int rowEdge, colEdge;
        CCellSpan shown = grid.GetShownCellSpan(&area);
        ASSERT_EQ(naive.Shown(&naiveArea, &rowEdge, &colEdge), shown) << step;
        ASSERT_EQ(naiveArea, area) << step;
        ASSERT_EQ(naive.Fully(), grid.GetFullyShownCellSpan()) << step;

        // Points: random ones and the edges of random cells, one pixel either side.
        for (int q = 0; q < 30; q++) {
            CPoint p(pick(400) - 20, pick(400) - 20);
            if (q % 2 == 1) {
                CPoint corner;
                int r = pick(rows), c = pick(cols);
                if (naive.TopLeft(r, c, &corner))
                    p = CPoint(corner.x + (pick(2) ? grid.GetColumnWidth(c) : 0) + pick(3) - 1,
                               corner.y + (pick(2) ? grid.GetRowHeight(r) : 0) + pick(3) - 1);
            }
            BOOL allowFixed = pick(2);
            ASSERT_EQ(naive.Hit(p, allowFixed), grid.HitTestCell(p, allowFixed))
                << step << " " << p.x << "," << p.y;
            ASSERT_EQ(naive.OverRowDivider(p), grid.IsOverRowDivider(p) != FALSE) << step;
            ASSERT_EQ(naive.OverColumnDivider(p), grid.IsOverColumnDivider(p) != FALSE) << step;
        }
        for (int q = 0; q < 12; q++) {
            int r = pick(rows + 2) - 1, c = pick(cols + 2) - 1;
            CPoint expected(-5, -5), actual(-5, -5);
            bool ok = naive.TopLeft(r, c, &expected);
            ASSERT_EQ(ok, grid.GetCellTopLeft(r, c, &actual) != FALSE) << step << " cell " << r << "," << c;
            if (ok) {
                ASSERT_EQ(expected, actual) << step;
                CRect rc;
                ASSERT_TRUE(grid.GetCellBounds(r, c, &rc));
                ASSERT_EQ(CRect(expected.x, expected.y, expected.x + grid.GetColumnWidth(c) - 1,
                                expected.y + grid.GetRowHeight(r) - 1),
                          rc);
            }
            ASSERT_EQ(naive.IsShown(r, c), grid.IsCellShown(r, c) != FALSE)
                << step << " cell " << r << "," << c;
        }
        grid.EnableDrawing(TRUE);
    }
}
