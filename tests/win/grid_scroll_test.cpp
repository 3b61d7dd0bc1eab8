// Scrolling by WM_VSCROLL / WM_HSCROLL for every code, the strips repainted after a line
// scroll, and bringing cells into view the way the trace dialog does after each new row.
#include "grid_paint_util.h"
#include "grid_test_util.h"

#include <algorithm>

using gridtest::GridWindowTest;

namespace {

class GridScroll : public GridWindowTest {
protected:
    // A 300 x 200 grid with one 20-pixel fixed row and `rows` scrolling rows of 20 pixels;
    // vertical bar only.
    void Build(int rows, int width = 300, int height = 200) {
        Attach(width, height);
        grid.EnableScrollBars(FALSE, TRUE);
        grid.SetNumColumns(2);
        grid.SetNumRows(rows + 1);
        grid.SetNumFixedRows(1);
        for (int r = 0; r <= rows; r++)
            grid.SetRowHeight(r, 20);
        grid.SetColumnWidth(0, 100);
        grid.SetColumnWidth(1, 100);
        grid.RefreshLayout();
        grid.RefreshLayout(); // the page is kept once the range allows it
    }
    void V(UINT code) { ::SendMessageA(grid.m_hWnd, WM_VSCROLL, MAKEWPARAM(code, 0), 0); }
    void H(UINT code) { ::SendMessageA(grid.m_hWnd, WM_HSCROLL, MAKEWPARAM(code, 0), 0); }
    CRect UpdateRect() {
        CRect rc;
        if (!::GetUpdateRect(grid.m_hWnd, &rc, FALSE)) rc.SetRectEmpty();
        return rc;
    }
};

} // namespace

TEST_F(GridScroll, LineDownMovesByTheTopRowAndRepaintsTheBottomStrip) {
    Build(30);
    ASSERT_EQ(599, grid.vertScrollMax);
    ::SetFocus(host);
    ::ValidateRect(grid.m_hWnd, nullptr);
    grid.SetRowHeight(1, 25);
    V(SB_LINEDOWN);
    EXPECT_EQ(25, VertPos());
    EXPECT_EQ(2, grid.GetFirstScrolledCell().row);
    EXPECT_EQ(grid.m_hWnd, ::GetFocus()); // the grid takes the keyboard focus
    CRect client = Client();
    CRect update = UpdateRect();
    EXPECT_EQ(client.bottom - 1 - 25, update.top);
    EXPECT_EQ(client.bottom - 1, update.bottom);
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_LINEDOWN);
    EXPECT_EQ(45, VertPos());
}

TEST_F(GridScroll, LineDownAtTheMaximumDoesNothing) {
    Build(30);
    grid.SetScrollPosition(SB_VERT, grid.vertScrollMax);
    int pos = VertPos(); // clamped by the system to the range less the page
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_LINEDOWN);
    EXPECT_EQ(pos, VertPos());
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
}

TEST_F(GridScroll, LineUpStepsByTheRowAboveAndRepaintsTheTopStrip) {
    Build(30);
    grid.SetRowHeight(3, 15);
    grid.SetScrollPosition(SB_VERT, 55);
    ASSERT_EQ(4, grid.GetFirstScrolledCell().row);
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_LINEUP);
    EXPECT_EQ(40, VertPos());
    CRect update = UpdateRect();
    EXPECT_EQ(20, update.top) << "from the first pixel row under the heading";
    EXPECT_EQ(20 + 15, update.bottom);
    grid.SetScrollPosition(SB_VERT, 10); // 10 pixels into row 1: the first scrolled row is 2
    ASSERT_EQ(2, grid.GetFirstScrolledCell().row);
    V(SB_LINEUP); // row 1 is 20 high: not below 0
    EXPECT_EQ(0, VertPos());
}

// With the first scrolled row at the first scrolling row, SB_LINEUP does nothing even though the
// position is not 0 (one scrolling row, scrolled into).
TEST_F(GridScroll, LineUpAtTheFirstScrollingRowDoesNothing) {
    Build(1);
    grid.SetRowHeight(1, 1000);
    grid.RefreshLayout();
    EXPECT_EQ(0, grid.vertScrollMax); // that row is never wholly shown: the bar is left alone
    grid.EnableDrawing(FALSE);
    SCROLLINFO si = {sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 999, 180, 100, 0};
    ::SetScrollInfo(grid.m_hWnd, SB_VERT, &si, FALSE);
    ASSERT_EQ(100, VertPos());
    ASSERT_EQ(1, grid.GetFirstScrolledCell().row);
    V(SB_LINEUP);
    EXPECT_EQ(100, VertPos());
}

TEST_F(GridScroll, PageDownStopsAtTheMaximum) {
    Build(30);
    int page = Client().bottom - 20;
    V(SB_PAGEDOWN);
    EXPECT_EQ(page, VertPos());
    grid.SetScrollPosition(SB_VERT, 400);
    V(SB_PAGEDOWN); // 400 + page is beyond the maximum, which the system clamps further
    EXPECT_EQ(grid.vertScrollMax - (int)Info(SB_VERT).nPage + 1, VertPos());
    // With a page of one the position is the maximum itself.
    grid.EnableDrawing(FALSE);
    SCROLLINFO si = {sizeof si, SIF_PAGE | SIF_POS, 0, 0, 1, 590, 0};
    ::SetScrollInfo(grid.m_hWnd, SB_VERT, &si, FALSE);
    ASSERT_EQ(590, VertPos());
    V(SB_PAGEDOWN);
    EXPECT_EQ(grid.vertScrollMax, VertPos());
    V(SB_PAGEDOWN);
    EXPECT_EQ(599, VertPos());
}

TEST_F(GridScroll, PageUpStopsAtZeroAndRepaintsTheScrollingArea) {
    Build(30);
    int page = Client().bottom - 20;
    grid.SetScrollPosition(SB_VERT, 300);
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_PAGEUP);
    EXPECT_EQ(300 - page, VertPos());
    CRect update = UpdateRect();
    EXPECT_EQ(20, update.top);
    EXPECT_EQ(Client().bottom, update.bottom);
    V(SB_PAGEUP);
    EXPECT_EQ(0, VertPos());
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_PAGEUP);
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
}

TEST_F(GridScroll, TopAndBottom) {
    Build(30);
    V(SB_BOTTOM);
    EXPECT_EQ(grid.vertScrollMax - (int)Info(SB_VERT).nPage + 1, VertPos());
    ::ValidateRect(grid.m_hWnd, nullptr);
    V(SB_TOP);
    EXPECT_EQ(0, VertPos());
    EXPECT_EQ(Client(), UpdateRect());
}

// The thumb codes take the bar's tracking position; the message's own position is ignored.
TEST_F(GridScroll, ThumbCodesUseTheTrackingPosition) {
    Build(30);
    grid.SetScrollPosition(SB_VERT, 40);
    ::ValidateRect(grid.m_hWnd, nullptr);
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0);
    EXPECT_EQ(40, VertPos());
    EXPECT_TRUE(UpdateRect().IsRectEmpty()); // the first scrolled cell did not change
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 300), 0);
    EXPECT_EQ(40, VertPos());
}

TEST_F(GridScroll, EndScrollOnlyTakesTheFocus) {
    Build(30);
    grid.SetScrollPosition(SB_VERT, 40);
    ::SetFocus(host);
    V(SB_ENDSCROLL);
    EXPECT_EQ(40, VertPos());
    EXPECT_EQ(grid.m_hWnd, ::GetFocus());
}

TEST_F(GridScroll, HorizontalLines) {
    Attach(250, 100);
    grid.EnableScrollBars(TRUE, FALSE);
    grid.SetNumRows(2);
    grid.SetNumColumns(6);
    grid.SetNumFixedColumns(1);
    int widths[] = {40, 50, 60, 70, 80, 90};
    for (int c = 0; c < 6; c++)
        grid.SetColumnWidth(c, widths[c]);
    grid.RefreshLayout();
    grid.RefreshLayout();
    ASSERT_EQ(349, grid.horzScrollMax);
    ::ValidateRect(grid.m_hWnd, nullptr);
    H(SB_LINERIGHT); // at position 0 the step is the column after the first scrolled one
    EXPECT_EQ(60, HorzPos());
    ASSERT_EQ(3, grid.GetFirstScrolledCell().col); // 60 is inside column 2
    CRect update = UpdateRect();
    EXPECT_EQ(Client().right - 1 - 110, update.left) << "the body moves by columns 1 and 2, as the layout";
    EXPECT_EQ(Client().right - 1, update.right);
    H(SB_LINERIGHT); // then the first scrolled column itself
    EXPECT_EQ(130, HorzPos());
    ASSERT_EQ(4, grid.GetFirstScrolledCell().col);
    ::ValidateRect(grid.m_hWnd, nullptr);
    H(SB_LINELEFT); // the column before the first scrolled one
    EXPECT_EQ(60, HorzPos());
    update = UpdateRect();
    EXPECT_EQ(40, update.left) << "from the first pixel column right of the heading column";
    EXPECT_EQ(40 + 70, update.right);
    grid.SetScrollPosition(SB_HORZ, 30); // inside column 1: the first scrolled column is 2
    H(SB_LINELEFT);
    EXPECT_EQ(0, HorzPos());
    grid.SetScrollPosition(SB_HORZ, 0);
    H(SB_LINELEFT);
    EXPECT_EQ(0, HorzPos());
    H(SB_PAGERIGHT); // one page (the client less the fixed columns), clamped by the system
    int last = grid.horzScrollMax - (int)Info(SB_HORZ).nPage + 1;
    EXPECT_EQ(std::min((int)Client().right - 40, last), HorzPos());
    H(SB_PAGELEFT);
    EXPECT_EQ(0, HorzPos());
    H(SB_RIGHT);
    EXPECT_EQ(last, HorzPos());
    H(SB_LEFT);
    EXPECT_EQ(0, HorzPos());
}

TEST_F(GridScroll, ScrollBarsThatAreNotMaintainedKeepNoMaximum) {
    Build(30);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.RefreshLayout();
    EXPECT_EQ(0, grid.vertScrollMax);
    V(SB_LINEDOWN);
    EXPECT_EQ(0, VertPos());
}

// Rows appended the way the trace dialog does (empty heading, formatted to 20 pixels, brought
// into view): every new row is on screen when the next one arrives.
TEST_F(GridScroll, AppendedRowsAreBroughtIntoView) {
    Attach(400, 200);
    grid.EnableScrollBars(FALSE, TRUE);
    grid.SetNumRows(1);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    grid.SetRowHeight(0, 20);
    for (int i = 0; i < 80; i++) {
        int row = grid.AddRow("", -1);
        ASSERT_EQ(i + 1, row);
        grid.SetRowHeight(row, 20);
        grid.SetCellText(row, 0, "function");
        grid.ScrollCellIntoView(row, 0);
        grid.RepaintRow(row);
        ASSERT_TRUE(grid.IsCellShown(row, 0)) << row;
        if (row > 1) {
            CRect rc;
            ASSERT_TRUE(grid.GetCellBounds(row - 1, 0, &rc));
            EXPECT_LE(rc.bottom, Client().bottom) << row;
        }
    }
    EXPECT_GT(VertPos(), 0);
    // A row above the view comes back as the first scrolled row.
    grid.ScrollCellIntoView(3, 0);
    EXPECT_EQ(3, grid.GetFirstScrolledCell().row);
    EXPECT_TRUE(grid.IsCellShown(3, 1));
}

TEST_F(GridScroll, RepaintRowDrawsEveryColumnOfAShownRow) {
    Build(30);
    EXPECT_TRUE(grid.RepaintRow(1));
    EXPECT_TRUE(grid.RepaintRow(0));
    EXPECT_FALSE(grid.RepaintRow(29)); // below the client area
    grid.EnableDrawing(FALSE);
    EXPECT_FALSE(grid.RepaintRow(1));
    EXPECT_FALSE(grid.RepaintCell(1, 1));
    EXPECT_FALSE(grid.InvalidateCell(CCellPos(1, 1)));
    grid.EnableDrawing(TRUE);
    ::ValidateRect(grid.m_hWnd, nullptr);
    EXPECT_TRUE(grid.InvalidateCell(CCellPos(2, 1)));
    EXPECT_EQ(CRect(100, 40, 200, 60), UpdateRect());
    EXPECT_FALSE(grid.InvalidateCell(CCellPos(40, 0)));
}

TEST_F(GridScroll, RepaintingReleasesWhatItTakes) {
    Build(30);
    grid.SelectSpan(1, 0, 3, 1, TRUE);
    grid.MoveFocusTo(2, 1);
    AfxGdiCounters before = AfxGetGdiCounters();
    for (int r = 0; r < 8; r++)
        grid.RepaintRow(r);
    grid.SelectSpan(2, 0, 5, 1, TRUE);
    grid.MoveFocusTo(4, 0);
    grid.ScrollCellIntoView(25, 0);
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_GT(after.objectsCreated, before.objectsCreated);
    EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
    EXPECT_GT(after.dcsAcquired, before.dcsAcquired);
    EXPECT_EQ(after.dcsAcquired - before.dcsAcquired, after.dcsReleased - before.dcsReleased);
}

// After a line scroll the screen shows what a full repaint draws: under a heading the body moves
// from its first pixel row (the focus rectangle's top edge included), and by no more than the
// first shown row moved (near the end of the range, after the thumb stopped between two rows).
TEST_F(GridScroll, LineScrollsLeaveTheScreenAsAFullRepaintDrawsIt) {
    Build(30);
    for (int r = 1; r <= 30; r++)
        grid.SetCellText(r, 0, ("row " + std::to_string(r)).c_str());
    grid.MoveFocusTo(1, 0);
    const CRect client = Client();
    auto sameAsRepaint = [&] {
        ::UpdateWindow(grid.m_hWnd);
        painttest::Canvas scrolled(client.Width(), client.Height()),
            repainted(client.Width(), client.Height());
        painttest::CaptureClient(grid.m_hWnd, scrolled);
        ::RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        painttest::CaptureClient(grid.m_hWnd, repainted);
        for (int y = 0; y < client.Height(); y++)
            for (int x = 0; x < client.Width(); x++)
                if (scrolled.At(x, y) != repainted.At(x, y))
                    return "differs first at y " + std::to_string(y) + " x " + std::to_string(x) + ": " +
                           std::to_string(scrolled.At(x, y)) + " vs " + std::to_string(repainted.At(x, y));
        return std::string();
    };
    ASSERT_EQ("", sameAsRepaint());
    V(SB_LINEDOWN);
    EXPECT_EQ("", sameAsRepaint()) << "line down";
    V(SB_LINEUP);
    EXPECT_EQ("", sameAsRepaint()) << "line up";

    SCROLLINFO si = Info(SB_VERT);
    const int last = si.nMax - (int)si.nPage + 1;
    grid.SetScrollPosition(SB_VERT, last);
    const int lastFirst = grid.GetFirstScrolledCell().row;
    int pos = last - 1;
    for (; pos > 0; pos--) {
        grid.SetScrollPosition(SB_VERT, pos);
        if (grid.GetFirstScrolledCell().row != lastFirst) break;
    }
    grid.SetScrollPosition(SB_VERT, pos + 1); // the same first row as at the end, less far
    ASSERT_LT(pos + 1, last);
    ::RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    V(SB_LINEDOWN);
    EXPECT_EQ(last, VertPos());
    EXPECT_EQ("", sameAsRepaint()) << "clamped line down";
}

// A cell far below the view (a trace's newest row after a load) is brought into view without a
// message for every row on the way, and ends where those line steps would have left it: rows of
// every height on the way, some of none, and the end of the range.
TEST_F(GridScroll, FarCellsEndWhereEveryLineStepWouldLeaveThem) {
    Build(300);
    for (int r = 1; r <= 300; r++)
        grid.SetRowHeight(r, r % 7 == 0 ? 0 : 10 + r % 13);
    grid.RefreshLayout();
    for (int row : {150, 299, 300, -1, -2, -100}) { // negative: that row, up from the end
        SCOPED_TRACE(row);
        const bool up = row < 0;
        row = std::abs(row);
        const UINT start = up ? SB_BOTTOM : SB_TOP;
        V(start);
        const CCellSpan shown = grid.GetShownCellSpan();
        for (int i = 0; i < (up ? shown.minRow - row : row - shown.maxRow); i++)
            V(up ? SB_LINEUP : SB_LINEDOWN);
        CRect rc; // rows of no height can take the steps past the row: its bounds are then stale
        grid.GetCellBounds(row, 0, &rc);
        if (rc.bottom > Client().bottom) V(SB_LINEDOWN);
        const int expected = VertPos();
        ASSERT_GT(expected, up ? -1 : 0);
        V(start);
        grid.ScrollCellIntoView(row, 0);
        EXPECT_EQ(expected, VertPos());
        V(start);
        grid.PlaceCellInView(row, 0);
        EXPECT_EQ(expected, VertPos());
    }
}

// The positions line steps lead to, against the steps taken one at a time: rows of mixed
// heights, some of none, runs of short rows, every position (inside rows too), up to the end.
TEST_F(GridScroll, LinePositionsAreThoseOfSingleSteps) {
    Build(2000);
    for (int r = 1; r <= 2000; r++)
        grid.SetRowHeight(r, r % 97 == 0 ? 0 : r % 300 < 40 ? 1 + r % 3 : 10 + (r * 7) % 23);
    grid.RefreshLayout();
    const SCROLLINFO si = Info(SB_VERT);
    const int end = si.nMax - (int)si.nPage + 1;
    auto walk = [&](int pos, int steps, bool down) {
        for (int i = 0; i < steps; i++) {
            const int first = grid.FirstScrolledRowAt(pos);
            if (down ? pos >= std::min(end, grid.vertScrollMax) : pos <= 0 || first <= 1) break;
            const int height = grid.GetRowHeight(down ? first : first - 1);
            if (height <= 0) break;
            pos = down ? std::min(pos + height, end) : std::max(pos - height, 0);
        }
        return pos;
    };
    for (int pos = 0; pos <= end; pos += 1 + pos % 13)
        for (int steps : {1, 3, 40, 900}) {
            grid.SetScrollPosition(SB_VERT, pos);
            ASSERT_EQ(walk(pos, steps, true), grid.LinesDownPosition(steps)) << pos << " down " << steps;
            ASSERT_EQ(walk(pos, steps, false), grid.LinesUpPosition(steps)) << pos << " up " << steps;
        }
}

// A key pressed with the focus far from the view, above or below it, brings the focus into view
// with a bounded number of scroll messages, however far it is (where they end: the test above).
TEST_F(GridScroll, KeysFarFromTheViewScrollInBoundedSteps) {
    static int scrolls = 0;
    struct Count {
        static LRESULT CALLBACK Proc(int code, WPARAM wParam, LPARAM lParam) {
            if (code == HC_ACTION && ((CWPSTRUCT*)lParam)->message == WM_VSCROLL) scrolls++;
            return ::CallNextHookEx(nullptr, code, wParam, lParam);
        }
    };
    const int rows = 200000;
    Build(rows);
    struct Case {
        int focus;
        UINT key;
        UINT view; // where the view is when the key is pressed
        int next;  // the focus after the key
    } cases[] = {
        {2, VK_DOWN, SB_BOTTOM, 3}, {rows, VK_UP, SB_TOP, rows - 1},   {rows - 5, VK_DOWN, SB_TOP, rows - 4},
        {5, VK_UP, SB_BOTTOM, 4},   {rows - 5, VK_NEXT, SB_TOP, rows}, {5, VK_PRIOR, SB_BOTTOM, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.focus) + " key " + std::to_string(c.key));
        grid.MoveFocusTo(c.focus, 0);
        V(c.view);
        scrolls = 0;
        HHOOK hook = ::SetWindowsHookExA(WH_CALLWNDPROC, Count::Proc, nullptr, ::GetCurrentThreadId());
        ASSERT_NE(nullptr, hook);
        ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, c.key, 0);
        ::UnhookWindowsHookEx(hook);
        EXPECT_EQ(CCellPos(c.next, 0), grid.GetFocusCell());
        EXPECT_LT(scrolls, 40);
    }
}
