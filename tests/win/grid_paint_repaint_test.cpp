// Drawing single cells and rows now, scheduling cells for the next paint, moving the focus with
// its notifications and repaints, and the selection operations, on a real grid window.
#include "grid_paint_util.h"

#include <algorithm>
#include <utility>

using namespace painttest;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// Two fixed rows and one fixed column; every cell 60 x 20, all of them on screen:
// columns at x 0, 60, 120, 180, 240; rows at y 0, 20, ..., 140.
class GridPaintRepaint : public PaintTest {
protected:
    void SetUp() override {
        Attach(400, 200);
        Layout(8, 5, 2, 1);
        Redraw();
    }

    CRect UpdateRect() {
        CRect r;
        if (!::GetUpdateRect(grid.m_hWnd, &r, FALSE)) r.SetRectEmpty();
        return r;
    }
    void ValidateAll() { ::ValidateRect(grid.m_hWnd, nullptr); }

    std::vector<std::pair<int, int>> Selected() {
        std::vector<std::pair<int, int>> cells;
        grid.selectedCells.ForEachCell([&](int row, int col) { cells.emplace_back(row, col); });
        // The map and the state bits agree.
        int flagged = 0;
        for (int r = 0; r < grid.GetNumRows(); r++)
            for (int c = 0; c < grid.GetNumColumns(); c++)
                if (grid.GetCellState(r, c) & CELL_SELECTED) flagged++;
        EXPECT_EQ((int)cells.size(), flagged);
        return cells;
    }
    static std::vector<std::pair<int, int>> Span(int minRow, int minCol, int maxRow, int maxCol) {
        std::vector<std::pair<int, int>> cells;
        for (int r = minRow; r <= maxRow; r++)
            for (int c = minCol; c <= maxCol; c++)
                cells.emplace_back(r, c);
        return cells;
    }
    void Save(int row, int col) { grid.savedSelection.Add(row, col); }
};

// ---- RepaintCell, RepaintRow, InvalidateCell ------------------------------------------------

TEST_F(GridPaintRepaint, RepaintCellDrawsNowWithItsOwnBottomAndRightLines) {
    for (int style = 0; style <= 3; style++) {
        SCOPED_TRACE(style);
        grid.gridLineStyle = style;
        bool vertical = style == 2 || style == 3, horizontal = style == 1 || style == 3;
        SmearClient(grid.m_hWnd, kMagenta);
        EXPECT_TRUE(grid.RepaintCell(3, 2));
        EXPECT_TRUE(UpdateRect().IsRectEmpty());
        Canvas shot(400, 200, 0);
        CaptureClient(grid.m_hWnd, shot);
        // Cell (3, 2) is (120, 60) - (179, 79).
        EXPECT_EQ(kCellBk, shot.At(170, 65));
        EXPECT_EQ(vertical ? kLine : kCellBk, shot.At(179, 60));
        EXPECT_EQ(vertical ? kLine : kCellBk, shot.At(179, 70));
        EXPECT_EQ(horizontal ? kLine : kCellBk, shot.At(120, 79));
        EXPECT_EQ(horizontal ? kLine : kCellBk, shot.At(150, 79));
        EXPECT_EQ(horizontal || vertical ? kLine : kCellBk, shot.At(179, 79));
        // The neighbours' lines are not touched, nor anything outside the cell but the frame.
        EXPECT_EQ(kMagenta, shot.At(119, 70));
        EXPECT_EQ(kMagenta, shot.At(150, 59));
        EXPECT_EQ(kMagenta, shot.At(180, 70));
        EXPECT_EQ(kMagenta, shot.At(150, 80));
        EXPECT_EQ(kFrame, shot.At(0, 100));
        EXPECT_EQ(kFrame, shot.At(399, 0));
        EXPECT_EQ(kFrame, shot.At(200, 199));
        EXPECT_EQ(kMagenta, shot.At(1, 100));
    }

    grid.drawFrame = FALSE;
    SmearClient(grid.m_hWnd, kMagenta);
    EXPECT_TRUE(grid.RepaintCell(CCellPos(3, 2)));
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kMagenta, shot.At(0, 100));
    EXPECT_EQ(kCellBk, shot.At(170, 65));
}

TEST_F(GridPaintRepaint, RepaintCellOfAHeadingDrawsNoGridLines) {
    SmearClient(grid.m_hWnd, kMagenta);
    grid.recording = true;
    EXPECT_TRUE(grid.RepaintCell(1, 2));
    EXPECT_EQ("1,2", Describe(grid.calls));
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    // Heading (1, 2) is (120, 20) - (179, 39): its own edges, its last row left alone.
    EXPECT_EQ(RGB(198, 215, 215), shot.At(179, 30));
    EXPECT_EQ(kFixedBk, shot.At(170, 25));
    EXPECT_EQ(kMagenta, shot.At(150, 39));
}

TEST_F(GridPaintRepaint, RepaintCellOnAGivenContextTakesNoContextOfItsOwn) {
    Canvas cv(400, 200);
    SmearClient(grid.m_hWnd, kMagenta);
    AfxGdiCounters before = AfxGetGdiCounters();
    EXPECT_TRUE(grid.RepaintCell(3, 2, &cv.dc));
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(before.dcsAcquired, after.dcsAcquired);
    EXPECT_EQ(kCellBk, cv.At(170, 65));
    EXPECT_EQ(kLine, cv.At(179, 70));
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kMagenta, shot.At(170, 65));
}

TEST_F(GridPaintRepaint, RepaintCellRefusesCellsItCannotShow) {
    SmearClient(grid.m_hWnd, kMagenta);
    grid.recording = true;
    EXPECT_FALSE(grid.RepaintCell(8, 1));
    EXPECT_FALSE(grid.RepaintCell(3, 5));
    EXPECT_FALSE(grid.RepaintCell(-1, -1));
    grid.drawingEnabled = FALSE;
    EXPECT_FALSE(grid.RepaintCell(3, 2));
    grid.drawingEnabled = TRUE;
    EXPECT_TRUE(grid.calls.empty());
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kMagenta, shot.At(170, 65));
    EXPECT_EQ(kMagenta, shot.At(0, 100));
}

TEST_F(GridPaintRepaint, CellsScrolledOutOrPastTheEdgeAreNotRepainted) {
    Layout(40, 10, 2, 1);
    grid.SetScrollPosition(SB_VERT, 60); // rows 2..4 scrolled out above
    ASSERT_EQ(5, grid.GetFirstScrolledCell().row);
    grid.recording = true;
    EXPECT_FALSE(grid.RepaintCell(3, 2));
    EXPECT_FALSE(grid.RepaintCell(30, 2));
    EXPECT_TRUE(grid.RepaintCell(5, 2));
    EXPECT_EQ("5,2*", Describe(grid.calls));
    EXPECT_EQ(CRect(60 + 60, 40, 60 + 119, 59), grid.calls[0].rect);
}

TEST_F(GridPaintRepaint, RepaintRowPaintsEveryColumnOnOneContext) {
    grid.recording = true;
    AfxGdiCounters before = AfxGetGdiCounters();
    EXPECT_TRUE(grid.RepaintRow(3));
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ("3,0 3,1* 3,2* 3,3* 3,4*", Describe(grid.calls));
    EXPECT_EQ(1, after.dcsAcquired - before.dcsAcquired);
    EXPECT_EQ(1, after.dcsReleased - before.dcsReleased);
    EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);

    grid.calls.clear();
    EXPECT_FALSE(grid.RepaintRow(8));
    EXPECT_TRUE(grid.calls.empty());
}

TEST_F(GridPaintRepaint, RepaintRowGoesOnPastColumnsItCannotShow) {
    Layout(8, 10, 2, 1); // columns 7 to 9 lie right of the client area
    grid.recording = true;
    EXPECT_FALSE(grid.RepaintRow(3));
    EXPECT_EQ("3,0 3,1* 3,2* 3,3* 3,4* 3,5* 3,6*", Describe(grid.calls));
}

TEST_F(GridPaintRepaint, RepaintRowShowsNewTextAtOnce) {
    LOGFONTA lf = TestFont();
    for (int c = 0; c < 5; c++)
        grid.SetCellFont(4, c, &lf);
    grid.SetCellText(4, 2, "");
    grid.RepaintRow(4);
    Canvas before(400, 200, 0);
    CaptureClient(grid.m_hWnd, before);
    grid.SetCellText(4, 2, "WWW");
    EXPECT_TRUE(grid.RepaintRow(4));
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
    Canvas after(400, 200, 0);
    CaptureClient(grid.m_hWnd, after);
    // Cell (4, 2) is (120, 80) - (179, 99).
    int changed = 0;
    for (int y = 80; y < 100; y++)
        for (int x = 120; x < 180; x++)
            if (before.At(x, y) != after.At(x, y)) changed++;
    EXPECT_GT(changed, 20);
}

TEST_F(GridPaintRepaint, InvalidateCellSchedulesItsInclusiveRectangle) {
    ValidateAll();
    grid.recording = true;
    EXPECT_TRUE(grid.InvalidateCell(CCellPos(3, 2)));
    EXPECT_TRUE(grid.calls.empty());
    EXPECT_EQ(CRect(120, 60, 180, 80), UpdateRect());
    ::UpdateWindow(grid.m_hWnd);
    EXPECT_TRUE(UpdateRect().IsRectEmpty());

    EXPECT_FALSE(grid.InvalidateCell(CCellPos(8, 1)));
    grid.drawingEnabled = FALSE;
    EXPECT_FALSE(grid.InvalidateCell(CCellPos(3, 2)));
    grid.drawingEnabled = TRUE;
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
}

// ---- Focus ----------------------------------------------------------------------------------

struct FocusNote {
    int code;
    int row;
    int col;
    bool focusedThen; // the cell's CELL_FOCUSED bit while the notification is handled
};

class GridPaintFocus : public GridPaintRepaint {
protected:
    std::vector<FocusNote> notes;

    void SetUp() override {
        GridPaintRepaint::SetUp();
        gridtest::HostHook() = [this](HWND, UINT msg, WPARAM, LPARAM lParam) {
            if (msg != WM_NOTIFY) return;
            const GridNotifyInfo* info = (const GridNotifyInfo*)lParam;
            notes.push_back({(int)info->hdr.code, info->row, info->col,
                             (grid.GetCellState(info->row, info->col) & CELL_FOCUSED) != 0});
        };
    }
};

TEST_F(GridPaintFocus, NotificationsComeOnlyWhenTheFocusReallyChanges) {
    CCellPos previous = grid.MoveFocusTo(3, 2);
    EXPECT_EQ(CCellPos(-1, -1), previous);
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(GN_FOCUSENTER, notes[0].code);
    EXPECT_EQ(3, notes[0].row);
    EXPECT_EQ(2, notes[0].col);
    EXPECT_TRUE(notes[0].focusedThen);
    // The record names the grid and its control id.
    ASSERT_FALSE(gridtest::NotifyLog().empty());
    EXPECT_EQ(host, gridtest::NotifyLog().back().to);
    EXPECT_EQ(grid.m_hWnd, gridtest::NotifyLog().back().from);
    EXPECT_EQ(4048u, gridtest::NotifyLog().back().id);

    notes.clear();
    EXPECT_EQ(CCellPos(3, 2), grid.MoveFocusTo(CCellPos(3, 2)));
    EXPECT_TRUE(notes.empty());

    EXPECT_EQ(CCellPos(3, 2), grid.MoveFocusTo(4, 3));
    ASSERT_EQ(2u, notes.size());
    EXPECT_EQ(GN_FOCUSLEAVE, notes[0].code);
    EXPECT_EQ(3, notes[0].row);
    EXPECT_EQ(2, notes[0].col);
    EXPECT_TRUE(notes[0].focusedThen); // told before the bit is cleared
    EXPECT_EQ(GN_FOCUSENTER, notes[1].code);
    EXPECT_EQ(4, notes[1].row);
    EXPECT_EQ(3, notes[1].col);
    EXPECT_TRUE(notes[1].focusedThen);
    EXPECT_EQ(0u, grid.GetCellState(3, 2) & CELL_FOCUSED);
    EXPECT_EQ(CCellPos(4, 3), grid.GetFocusCell());

    notes.clear();
    EXPECT_EQ(CCellPos(4, 3), grid.MoveFocusTo(-1, -1));
    ASSERT_EQ(1u, notes.size());
    EXPECT_EQ(GN_FOCUSLEAVE, notes[0].code);
    EXPECT_EQ(4, notes[0].row);
    EXPECT_EQ(0u, grid.GetCellState(4, 3) & CELL_FOCUSED);

    notes.clear();
    EXPECT_EQ(CCellPos(-1, -1), grid.MoveFocusTo(-1, -1));
    EXPECT_TRUE(notes.empty());
}

TEST_F(GridPaintFocus, MovingTheFocusRepaintsTheCellsAndTheirHeadings) {
    grid.recording = true;
    grid.MoveFocusTo(3, 2);
    // The new column's headings from row 1 on, the new row's heading.
    EXPECT_EQ("3,2* 1,2 3,0", Describe(grid.calls));

    grid.calls.clear();
    grid.MoveFocusTo(4, 3);
    EXPECT_EQ("3,2* 0,2 1,2 3,0 4,3* 1,3 4,0", Describe(grid.calls));

    grid.calls.clear();
    grid.MoveFocusTo(4, 1); // same row: no row headings
    EXPECT_EQ("4,3* 0,3 1,3 4,1* 1,1", Describe(grid.calls));

    grid.calls.clear();
    grid.MoveFocusTo(6, 1); // same column: no column headings
    EXPECT_EQ("4,1* 4,0 6,1* 6,0", Describe(grid.calls));
}

TEST_F(GridPaintFocus, TheFocusRectangleMovesOnScreenAtOnce) {
    grid.MoveFocusTo(3, 2);
    Canvas first(400, 200, 0);
    CaptureClient(grid.m_hWnd, first);
    EXPECT_EQ(kBlack, first.At(120, 70));
    EXPECT_EQ(kBlack, first.At(178, 70));
    grid.MoveFocusTo(4, 3);
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
    Canvas second(400, 200, 0);
    CaptureClient(grid.m_hWnd, second);
    EXPECT_EQ(kCellBk, second.At(120, 70));
    EXPECT_EQ(kBlack, second.At(180, 90));
}

// ---- Selection ------------------------------------------------------------------------------

TEST_F(GridPaintRepaint, SelectSpanWithoutForceSchedulesTheCells) {
    ValidateAll();
    grid.recording = true;
    grid.SelectSpan(3, 1, 4, 2, FALSE);
    EXPECT_EQ(Span(3, 1, 4, 2), Selected());
    EXPECT_TRUE(grid.calls.empty());
    EXPECT_EQ(CRect(60, 60, 180, 100), UpdateRect());
    ::UpdateWindow(grid.m_hWnd);
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kSelection, shot.At(110, 65));
    EXPECT_EQ(kCellBk, shot.At(170, 105));
}

TEST_F(GridPaintRepaint, SelectSpanWithForceDrawsAtOnceOnOneContext) {
    ValidateAll();
    AfxGdiCounters before = AfxGetGdiCounters();
    grid.SelectSpan(3, 1, 4, 2, TRUE);
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(1, after.dcsAcquired - before.dcsAcquired);
    EXPECT_EQ(1, after.dcsReleased - before.dcsReleased);
    EXPECT_TRUE(UpdateRect().IsRectEmpty());
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kSelection, shot.At(110, 65));
    EXPECT_EQ(kSelection, shot.At(170, 95));
    EXPECT_EQ(kCellBk, shot.At(170, 105));

    // Moving the span: the cells that leave it, then every cell of the new span.
    grid.recording = true;
    grid.SelectSpan(4, 1, 5, 2, TRUE);
    EXPECT_EQ(Span(4, 1, 5, 2), Selected());
    ASSERT_EQ(6u, grid.calls.size());
    std::vector<std::pair<int, int>> left = {{grid.calls[0].row, grid.calls[0].col},
                                             {grid.calls[1].row, grid.calls[1].col}};
    std::sort(left.begin(), left.end());
    EXPECT_EQ(Span(3, 1, 3, 2), left);
    grid.calls.erase(grid.calls.begin(), grid.calls.begin() + 2);
    EXPECT_EQ("4,1* 4,2* 5,1* 5,2*", Describe(grid.calls));
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kCellBk, shot.At(110, 65));
    EXPECT_EQ(kSelection, shot.At(110, 105));
}

TEST_F(GridPaintRepaint, IllFormedSpanClearsTheSelectionButKeepsTheSavedOne) {
    grid.SelectSpan(3, 1, 4, 2, FALSE);
    Save(6, 3);
    Save(50, 50); // not a cell: skipped
    grid.SelectSpan(5, 1, 2, 2, FALSE);
    EXPECT_EQ(Span(6, 3, 6, 3), Selected());
    grid.SelectSpan(3, 1, 4, 5, FALSE); // past the last column
    EXPECT_EQ(Span(6, 3, 6, 3), Selected());
    grid.SelectSpan(-1, -1, -1, -1, FALSE);
    EXPECT_EQ(Span(6, 3, 6, 3), Selected());

    grid.singleRowSelection = TRUE;
    grid.SelectSpan(3, 1, 3, 2, FALSE);
    EXPECT_EQ(Span(3, 1, 3, 2), Selected());

    grid.selectionEnabled = FALSE;
    grid.SelectSpan(5, 1, 5, 4, TRUE);
    EXPECT_EQ(Span(3, 1, 3, 2), Selected());
}

TEST_F(GridPaintRepaint, SelectionByMouseMode) {
    grid.SelectAllCells();
    EXPECT_EQ(Span(2, 1, 7, 4), Selected());

    grid.anchorCell = CCellPos(3, 2);
    grid.SelectColumnsTo(CCellPos(5, 4));
    EXPECT_EQ(Span(2, 2, 7, 4), Selected());
    grid.SelectColumnsTo(CCellPos(5, 0)); // a heading column
    grid.SelectColumnsTo(CCellPos(5, 7)); // not a cell
    EXPECT_EQ(Span(2, 2, 7, 4), Selected());
    grid.SelectColumnsTo(CCellPos(5, 1));
    EXPECT_EQ(Span(2, 1, 7, 2), Selected());

    grid.SelectRowsTo(CCellPos(6, 1));
    EXPECT_EQ(Span(3, 1, 6, 4), Selected());
    grid.SelectRowsTo(CCellPos(1, 1)); // a heading row
    EXPECT_EQ(Span(3, 1, 6, 4), Selected());
    grid.SelectRowsTo(CCellPos(2, 3));
    EXPECT_EQ(Span(2, 1, 3, 4), Selected());
    grid.listMode = TRUE;
    grid.SelectRowsTo(CCellPos(6, 1));
    EXPECT_EQ(Span(3, 1, 6, 4), Selected());
    grid.singleRowSelection = TRUE;
    grid.SelectRowsTo(CCellPos(6, 1));
    EXPECT_EQ(Span(6, 1, 6, 4), Selected());
    grid.listMode = FALSE;
    grid.singleRowSelection = FALSE;

    grid.anchorCell = CCellPos(3, 3);
    grid.SelectCellsTo(CCellPos(5, 1));
    EXPECT_EQ(Span(3, 1, 5, 3), Selected());
    grid.SelectCellsTo(CCellPos(2, 4));
    EXPECT_EQ(Span(2, 3, 3, 4), Selected());
    grid.SelectCellsTo(CCellPos(1, 4));
    grid.SelectCellsTo(CCellPos(4, 0));
    EXPECT_EQ(Span(2, 3, 3, 4), Selected());

    grid.selectionEnabled = FALSE;
    grid.SelectAllCells();
    grid.SelectColumnsTo(CCellPos(5, 4));
    grid.SelectRowsTo(CCellPos(5, 4));
    grid.SelectCellsTo(CCellPos(5, 4));
    EXPECT_EQ(Span(2, 3, 3, 4), Selected());
}

TEST_F(GridPaintRepaint, SelectToCellFollowsTheMouseMode) {
    grid.anchorCell = CCellPos(3, 2);
    struct Case {
        int mode;
        std::vector<std::pair<int, int>> expected;
    } cases[] = {
        {GMM_PICK_ALL, Span(2, 1, 7, 4)},      {GMM_PICK_COLUMNS, Span(2, 2, 7, 3)},
        {GMM_PICK_ROWS, Span(3, 1, 5, 4)},     {GMM_PICK_CELLS, Span(3, 2, 5, 3)},
        {GMM_IDLE, Span(6, 1, 6, 1)},          {GMM_AT_ROW_EDGE, Span(6, 1, 6, 1)},
        {GMM_CLICKED_FOCUS, Span(6, 1, 6, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        grid.SelectSpan(6, 1, 6, 1, FALSE);
        grid.mouseMode = c.mode;
        grid.SelectToCell(CCellPos(5, 3));
        EXPECT_EQ(c.expected, Selected());
    }
    grid.selectionEnabled = FALSE;
    grid.mouseMode = GMM_PICK_ALL;
    grid.SelectToCell(CCellPos(5, 3));
    EXPECT_EQ(Span(6, 1, 6, 1), Selected());
    grid.mouseMode = GMM_IDLE;
}

} // namespace
