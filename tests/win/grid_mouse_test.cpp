// The grid's mouse handling on a real window: clicks with and without Shift and Ctrl, heading
// clicks, list mode, dragging with auto-scroll, resizing by the dividers, double clicks, the
// right button, the wheel, and the owner notifications, with the capture, the timers and the
// cursor clip checked after each.
#include "grid_mouse_fixture.h"

#include <algorithm>

using gridinput::GridInputTest;
using gridinput::HeldKeys;
using gridinput::Posted;

namespace {

typedef std::vector<std::pair<int, int>> Cells;

class GridMouse : public GridInputTest {};

} // namespace

TEST_F(GridMouse, ClickPostsTheCellThenFocusesAndSelectsIt) {
    Build(30, 5);
    // When the grid tells the owner that the focus entered the cell, the click message must be
    // queued already.
    bool clickQueuedAtFocus = false;
    gridtest::HostHook() = [&](HWND, UINT msg, WPARAM, LPARAM lParam) {
        if (msg == WM_NOTIFY && ((NMHDR*)lParam)->code == (UINT)GN_FOCUSENTER) {
            MSG m;
            clickQueuedAtFocus =
                ::PeekMessageA(&m, host, WM_GRID_SELCHANGE, WM_GRID_SELCHANGE, PM_NOREMOVE) != 0;
        }
    };

    Down(CellPoint(3, 2));
    EXPECT_TRUE(clickQueuedAtFocus);
    EXPECT_EQ(CCellPos(3, 2), grid.GetFocusCell());
    EXPECT_EQ(One(3, 2), Selection());
    EXPECT_EQ(GMM_PICK_CELLS, grid.mouseMode);
    EXPECT_EQ(CCellPos(3, 2), grid.anchorCell);
    EXPECT_EQ(grid.m_hWnd, ::GetCapture());
    EXPECT_EQ(grid.m_hWnd, ::GetFocus());
    EXPECT_EQ((UINT_PTR)GRID_SCROLL_TIMER_ID, grid.scrollTimer);
    EXPECT_EQ(CellPoint(3, 2), grid.lastMousePoint);

    std::vector<Posted> clicks = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ(host, clicks[0].hWnd);
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, GSC_CLICK), clicks[0].wParam);
    EXPECT_EQ((LPARAM)MAKELPARAM(3, 2), clicks[0].lParam);
    EXPECT_EQ(CCellPos(3, 2), grid.GetLastClickedCell());
    EXPECT_TRUE(Take(WM_COMMAND).empty()) << "the command comes with the release";

    Up(CellPoint(3, 2));
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0u, grid.scrollTimer);
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID)) << "timer 513 is killed on release";
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    std::vector<Posted> commands = Take(WM_COMMAND);
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(host, commands[0].hWnd);
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, 0), commands[0].wParam);
    EXPECT_EQ((LPARAM)grid.m_hWnd, commands[0].lParam);
    EXPECT_EQ(One(3, 2), Selection()) << "the release keeps the selection";
}

TEST_F(GridMouse, NotificationsGoToTheOwnerWhenOneIsSet) {
    Build(30, 5);
    HWND owner = gridtest::CreateHostWindow(200, 100);
    CWnd ownerWnd;
    ownerWnd.Attach(owner);
    grid.SetOwner(&ownerWnd);
    Click(CellPoint(2, 2));
    std::vector<Posted> clicks = Take(WM_GRID_SELCHANGE);
    std::vector<Posted> commands = Take(WM_COMMAND);
    ASSERT_EQ(1u, clicks.size());
    ASSERT_EQ(1u, commands.size());
    EXPECT_EQ(owner, clicks[0].hWnd);
    EXPECT_EQ(owner, commands[0].hWnd);
    grid.SetOwner(nullptr);
    ownerWnd.Detach();
    ::DestroyWindow(owner);
}

TEST_F(GridMouse, PressOutsideEveryCellDoesNothing) {
    Build(3, 2);
    Click(CellPoint(2, 2));
    Collect();
    posted.clear();
    gridtest::NotifyLog().clear();

    CPoint beyond(kFixedWidth + 2 * kColumnWidth + 30, CellPoint(2, 1).y); // right of the last column
    Down(beyond);
    EXPECT_EQ(CCellPos(2, -1), grid.clickDownCell);
    EXPECT_EQ(CCellPos(2, 2), grid.GetFocusCell());
    EXPECT_EQ(One(2, 2), Selection());
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0u, grid.scrollTimer);
    EXPECT_TRUE(gridtest::NotifyLog().empty());
    EXPECT_TRUE(Take(WM_GRID_SELCHANGE).empty());
    Up(beyond);
    EXPECT_TRUE(Take(WM_COMMAND).empty()) << "no command after a press outside the cells";
    EXPECT_EQ(CCellPos(2, 2), grid.GetLastClickedCell());
}

TEST_F(GridMouse, ShiftClickSelectsTheRectangleFromTheOldFocus) {
    Build(30, 5);
    Click(CellPoint(2, 2));
    Click(CellPoint(4, 3), MK_SHIFT);
    EXPECT_EQ(Block(2, 2, 4, 3), Selection());
    EXPECT_EQ(CCellPos(4, 3), grid.GetFocusCell());
    EXPECT_EQ(CCellPos(2, 2), grid.anchorCell);
    // Shift+click upwards and to the left of the anchor.
    Click(CellPoint(1, 1), MK_SHIFT);
    EXPECT_EQ(Block(1, 1, 4, 3), Selection()) << "the anchor is the focus before the click, (4,3)";
}

TEST_F(GridMouse, CtrlClickKeepsThePreviousSelection) {
    Build(30, 5);
    Click(CellPoint(2, 2));
    Click(CellPoint(4, 3), MK_SHIFT);
    Down(CellPoint(6, 5), MK_CONTROL);
    EXPECT_EQ(6, (int)grid.savedSelection.GetCount());
    EXPECT_TRUE(grid.savedSelection.Contains(3, 2));
    Up(CellPoint(6, 5), MK_CONTROL);
    Cells expected = Block(2, 2, 4, 3);
    expected.push_back({6, 5});
    EXPECT_EQ(expected, Selection());

    // Ctrl+drag adds a block to the kept cells.
    Down(CellPoint(8, 1), MK_CONTROL);
    Move(CellPoint(9, 2), MK_LBUTTON | MK_CONTROL);
    Up(CellPoint(9, 2), MK_CONTROL);
    Cells more = expected;
    for (const auto& cell : Block(8, 1, 9, 2))
        more.push_back(cell);
    EXPECT_EQ(more, Selection());

    // Without Ctrl the previous selection goes.
    Click(CellPoint(5, 5));
    EXPECT_EQ(One(5, 5), Selection());
    EXPECT_EQ(0, (int)grid.savedSelection.GetCount());
}

TEST_F(GridMouse, PressOnTheFocusCellOpensItsEditorOnRelease) {
    Build(30, 5);
    Click(CellPoint(2, 2));
    Move(CellPoint(2, 3));
    Collect();
    posted.clear();
    CPoint before = grid.lastMousePoint;

    Down(CellPoint(2, 2));
    EXPECT_EQ(GMM_CLICKED_FOCUS, grid.mouseMode);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(0u, grid.scrollTimer);
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID));
    EXPECT_EQ(before, grid.lastMousePoint);
    EXPECT_TRUE(grid.edits.empty()) << "the editor opens on release";
    std::vector<Posted> clicks = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, clicks.size()) << "the click is reported all the same";
    EXPECT_EQ((LPARAM)MAKELPARAM(2, 2), clicks[0].lParam);

    Up(CellPoint(2, 2));
    ASSERT_EQ(1u, grid.edits.size());
    EXPECT_EQ(2, grid.edits[0].row);
    EXPECT_EQ(2, grid.edits[0].col);
    EXPECT_EQ(1u, grid.edits[0].nChar);
    EXPECT_EQ(One(2, 2), Selection());
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
}

TEST_F(GridMouse, DragSelectsTheRectangleAndMovesTheFocus) {
    Build(30, 5);
    Down(CellPoint(2, 2));
    Move(CellPoint(4, 4), MK_LBUTTON);
    EXPECT_EQ(Block(2, 2, 4, 4), Selection());
    EXPECT_EQ(CCellPos(4, 4), grid.GetFocusCell());
    // Back over the heading column: the selection stops at the first scrolling column, the
    // focus stays on the last scrolling cell.
    Move(CellPoint(3, 0), MK_LBUTTON);
    EXPECT_EQ(Block(2, 2, 4, 4), Selection());
    EXPECT_EQ(CCellPos(4, 4), grid.GetFocusCell());
    Move(CellPoint(3, 1), MK_LBUTTON);
    EXPECT_EQ(Block(2, 1, 3, 2), Selection());
    // A move outside every cell changes nothing and is not remembered.
    CPoint last = grid.lastMousePoint;
    Move(CPoint(kFixedWidth + 5 * kColumnWidth + 5, 50), MK_LBUTTON);
    EXPECT_EQ(last, grid.lastMousePoint);
    EXPECT_EQ(Block(2, 1, 3, 2), Selection());
    Up(CellPoint(3, 1));
    EXPECT_EQ(nullptr, ::GetCapture());
    // Without the button a move selects nothing.
    Move(CellPoint(6, 5));
    EXPECT_EQ(Block(2, 1, 3, 2), Selection());
}

TEST_F(GridMouse, HeadingClicksSelectColumnsRowsOrEverything) {
    Build(5, 4);
    Down(CellPoint(0, 3));
    EXPECT_EQ(GMM_PICK_COLUMNS, grid.mouseMode);
    EXPECT_EQ(CCellPos(1, 3), grid.GetFocusCell()) << "the focus goes to the first scrolling row";
    EXPECT_EQ(Block(1, 3, 5, 3), Selection());
    Move(CellPoint(0, 4), MK_LBUTTON);
    EXPECT_EQ(Block(1, 3, 5, 4), Selection());
    Up(CellPoint(0, 4));

    Click(CellPoint(4, 0));
    EXPECT_EQ(CCellPos(4, 1), grid.GetFocusCell());
    EXPECT_EQ(Block(4, 1, 4, 4), Selection());

    Down(CellPoint(0, 0));
    EXPECT_EQ(GMM_PICK_ALL, grid.mouseMode);
    EXPECT_EQ(CCellPos(1, 1), grid.GetFocusCell());
    EXPECT_EQ(Block(1, 1, 5, 4), Selection());
    Up(CellPoint(0, 0));
}

TEST_F(GridMouse, ListModeSelectsWholeRows) {
    Build(30, 5);
    grid.SetListMode(TRUE);
    Down(CellPoint(3, 2));
    EXPECT_EQ(GMM_PICK_ROWS, grid.mouseMode);
    EXPECT_EQ(Block(3, 1, 3, 5), Selection());
    Move(CellPoint(6, 4), MK_LBUTTON);
    EXPECT_EQ(Block(3, 1, 6, 5), Selection());
    EXPECT_EQ(CCellPos(6, 4), grid.GetFocusCell());
    Up(CellPoint(6, 4));
    Click(CellPoint(8, 1), MK_SHIFT);
    EXPECT_EQ(Block(6, 1, 8, 5), Selection()) << "Shift+click: rows from the old focus row";
    Click(CellPoint(10, 3), MK_CONTROL);
    Cells expected = Block(6, 1, 8, 5);
    for (const auto& cell : Block(10, 1, 10, 5))
        expected.push_back(cell);
    EXPECT_EQ(expected, Selection());
}

TEST_F(GridMouse, ListModeHeadingClickSortsAndASecondClickReverses) {
    Build(4, 2);
    grid.SetListMode(TRUE);
    const char* texts[] = {"pear", "apple", "fig", "kiwi"};
    for (int r = 1; r <= 4; r++)
        grid.SetCellText(r, 2, texts[r - 1]);

    Click(CellPoint(0, 2));
    EXPECT_EQ(2, grid.sortColumn);
    EXPECT_TRUE(grid.sortAscending);
    EXPECT_STREQ("apple", (LPCTSTR)grid.GetCellText(1, 2));
    EXPECT_STREQ("fig", (LPCTSTR)grid.GetCellText(2, 2));
    EXPECT_STREQ("kiwi", (LPCTSTR)grid.GetCellText(3, 2));
    EXPECT_STREQ("pear", (LPCTSTR)grid.GetCellText(4, 2));
    EXPECT_STREQ("2,1", (LPCTSTR)grid.GetCellText(1, 1)) << "whole rows move";
    EXPECT_STREQ("1,1", (LPCTSTR)grid.GetCellText(4, 1));

    Click(CellPoint(0, 2));
    EXPECT_FALSE(grid.sortAscending);
    EXPECT_STREQ("pear", (LPCTSTR)grid.GetCellText(1, 2));
    EXPECT_STREQ("apple", (LPCTSTR)grid.GetCellText(4, 2));

    // Another column sorts ascending again.
    Click(CellPoint(0, 1));
    EXPECT_EQ(1, grid.sortColumn);
    EXPECT_TRUE(grid.sortAscending);
    EXPECT_STREQ("1,1", (LPCTSTR)grid.GetCellText(1, 1));

    // With header sorting off a heading click sorts nothing and selects nothing, and a press
    // there starts no auto-scroll that would walk the focus.
    grid.SetSortOnHeaderClick(FALSE);
    Down(CellPoint(0, 1));
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID));
    Up(CellPoint(0, 1));
    Click(CellPoint(4, 2));
    Cells before = Selection();
    Click(CellPoint(0, 2), MK_SHIFT);
    EXPECT_EQ(1, grid.sortColumn);
    EXPECT_STREQ("1,1", (LPCTSTR)grid.GetCellText(1, 1));
    EXPECT_EQ(before, Selection());
}

TEST_F(GridMouse, DraggingAColumnsLeftEdgeResizesTheColumnToItsLeft) {
    Build(30, 5);
    CRect unclipped = UnclippedCursor();
    const int edge = kFixedWidth + kColumnWidth; // left edge of column 2
    CPoint press(edge + 2, 10);
    Move(press);
    EXPECT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);

    Down(press);
    EXPECT_EQ(GMM_SIZING_COLUMN, grid.mouseMode);
    EXPECT_EQ(CCellPos(0, 1), grid.clickDownCell) << "the divider belongs to column 1";
    EXPECT_EQ(grid.m_hWnd, ::GetCapture());
    EXPECT_EQ(0u, grid.scrollTimer) << "no auto-scroll while resizing";
    EXPECT_TRUE(Selection().empty());
    CRect client = Client();
    client.left = kFixedWidth; // column 1's left edge
    EXPECT_TRUE(ClipIs(ToScreen(client)));
    std::vector<Posted> clicks = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ((LPARAM)MAKELPARAM(0, 2), clicks[0].lParam) << "the click reports the cell pressed";

    Move(CPoint(press.x + 30, 12), MK_LBUTTON);
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(1)) << "nothing changes before the release";
    Up(CPoint(press.x + 30, 12));
    EXPECT_EQ(press.x + 30 - kFixedWidth, grid.GetColumnWidth(1));
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(2));
    EXPECT_TRUE(ClipIs(unclipped)) << "the cursor is free again";
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    EXPECT_EQ(1u, Take(WM_COMMAND).size());
}

TEST_F(GridMouse, DraggingAColumnsRightEdgeResizesThatColumn) {
    Build(30, 5);
    CRect unclipped = UnclippedCursor();
    const int right = kFixedWidth + 2 * kColumnWidth; // right edge of column 2
    CPoint press(right - 2, 5);
    Move(press);
    ASSERT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);
    Down(press);
    EXPECT_EQ(CCellPos(0, 2), grid.clickDownCell);
    CRect client = Client();
    client.left = kFixedWidth + kColumnWidth;
    EXPECT_TRUE(ClipIs(ToScreen(client)));
    Move(CPoint(press.x - 25, 5), MK_LBUTTON);
    Up(CPoint(press.x - 25, 5));
    EXPECT_EQ(press.x - 25 - (kFixedWidth + kColumnWidth), grid.GetColumnWidth(2));
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(1));
    EXPECT_TRUE(ClipIs(unclipped));
}

TEST_F(GridMouse, ReleasingAtThePressPointDoesNotResize) {
    Build(30, 5);
    CRect unclipped = UnclippedCursor();
    CPoint press(kFixedWidth + kColumnWidth + 1, 10);
    Move(press);
    Down(press);
    ASSERT_EQ(GMM_SIZING_COLUMN, grid.mouseMode);
    Move(CPoint(press.x + 40, 10), MK_LBUTTON);
    Move(press, MK_LBUTTON);
    Up(press);
    for (int c = 1; c <= 5; c++)
        EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(c)) << c;
    EXPECT_TRUE(ClipIs(unclipped));
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(GridMouse, TrackingStripIsInvertedAndErased) {
    Build(30, 5);
    ::UpdateWindow(grid.m_hWnd);
    HDC dc = ::GetDC(grid.m_hWnd);
    ASSERT_NE(nullptr, dc);
    const int y = 150;
    auto pixel = [&](int x) { return ::GetPixel(dc, x, y) & 0xFFFFFF; };
    CPoint press(kFixedWidth + kColumnWidth + 1, 10);
    const int x1 = press.x, x2 = press.x + 30;
    COLORREF before1 = pixel(x1), before2 = pixel(x2), beside = pixel(x1 + 3);

    Move(press);
    Down(press);
    EXPECT_EQ(before1 ^ 0xFFFFFF, pixel(x1));
    EXPECT_EQ(before1 ^ 0xFFFFFF, pixel(x1 + 1)) << "the strip is 2 pixels wide";
    EXPECT_EQ(beside, pixel(x1 + 3));
    Move(CPoint(x2, 10), MK_LBUTTON);
    EXPECT_EQ(before1, pixel(x1)) << "the old strip is erased";
    EXPECT_EQ(before2 ^ 0xFFFFFF, pixel(x2));
    Up(CPoint(x2, 10));
    EXPECT_EQ(before2, pixel(x2)) << "the release erases the strip";
    ::ReleaseDC(grid.m_hWnd, dc);
}

TEST_F(GridMouse, DraggingARowDividerResizesTheRow) {
    Build(30, 5);
    CRect unclipped = UnclippedCursor();
    // Just above row 3's bottom edge, in the heading column.
    CPoint press(10, 4 * kRowHeight - 2);
    Move(press);
    ASSERT_EQ(GMM_AT_ROW_EDGE, grid.mouseMode);
    Down(press);
    EXPECT_EQ(GMM_SIZING_ROW, grid.mouseMode);
    EXPECT_EQ(CCellPos(3, 0), grid.clickDownCell);
    CRect client = Client();
    client.top = 3 * kRowHeight;
    EXPECT_TRUE(ClipIs(ToScreen(client)));
    Move(CPoint(12, press.y + 15), MK_LBUTTON);
    Up(CPoint(12, press.y + 15));
    EXPECT_EQ(press.y + 15 - 3 * kRowHeight, grid.GetRowHeight(3));
    EXPECT_EQ(kRowHeight, grid.GetRowHeight(4));
    EXPECT_TRUE(ClipIs(unclipped));

    // Near a row's top edge the divider belongs to the row above.
    const int row6Top = 6 * kRowHeight + (grid.GetRowHeight(3) - kRowHeight);
    CPoint top(10, row6Top + 1);
    Move(top);
    ASSERT_EQ(GMM_AT_ROW_EDGE, grid.mouseMode);
    Down(top);
    EXPECT_EQ(CCellPos(5, 0), grid.clickDownCell);
    Up(CPoint(10, row6Top + 10));
    EXPECT_EQ(kRowHeight + 10, grid.GetRowHeight(5));
    EXPECT_EQ(kRowHeight, grid.GetRowHeight(6));
    EXPECT_TRUE(ClipIs(unclipped));
}

// A column dragged to no width: the columns right of it are still drawn, and its divider drags
// it wide again.
TEST_F(GridMouse, AZeroWidthColumnHidesNothingAndCanBeDraggedBack) {
    Build(30, 5);
    grid.SetColumnWidth(2, 0);
    ::RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    const int edge = kFixedWidth + kColumnWidth; // columns 2 and 3 start here
    HDC dc = ::GetDC(grid.m_hWnd);
    int ink = 0;
    for (int x = edge + 1; x < edge + kColumnWidth - 1; x++)
        for (int y = kRowHeight + 2; y < 2 * kRowHeight - 2; y++)
            ink += (::GetPixel(dc, x, y) & 0xFFFFFF) == 0;
    ::ReleaseDC(grid.m_hWnd, dc);
    EXPECT_GT(ink, 0) << "column 3's text is drawn";

    CPoint press(edge + 1, 10);
    Move(press);
    ASSERT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);
    Down(press);
    EXPECT_EQ(GMM_SIZING_COLUMN, grid.mouseMode);
    EXPECT_EQ(CCellPos(0, 2), grid.clickDownCell) << "the divider belongs to the narrow column";
    Move(CPoint(press.x + 30, 10), MK_LBUTTON);
    Up(CPoint(press.x + 30, 10));
    EXPECT_EQ(31, grid.GetColumnWidth(2));
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(3));
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
}

// The selected-cell map (what Copy takes) and the highlighted cells stay in step: a new row after
// a Ctrl+click leaves nothing highlighted, removed rows take their selection along and move the
// rows below with theirs, and Shift+click with no focus (as after every new trace row) selects
// from the click before.
TEST_F(GridMouse, SelectionMapAndHighlightStayInStep) {
    Build(30, 5);
    grid.SetListMode(TRUE);
    auto mapped = [&] {
        Cells cells;
        grid.selectedCells.ForEachCell([&](int row, int col) { cells.push_back({row, col}); });
        return cells;
    };
    Click(CellPoint(2, 2));
    Click(CellPoint(4, 2), MK_CONTROL);
    Cells picked = Block(2, 1, 2, 5);
    for (const auto& cell : Block(4, 1, 4, 5))
        picked.push_back(cell);
    ASSERT_EQ(picked, Selection());
    grid.AddRow("", 29); // among the rows, below those clicked
    EXPECT_EQ(Cells(), Selection()) << "a row inserted clears the whole selection";
    EXPECT_EQ(Cells(), mapped());

    Click(CellPoint(3, 2));
    grid.AddRow("", 29);
    ASSERT_FALSE(grid.IsValidCell(grid.GetFocusCell()));
    Click(CellPoint(6, 2), MK_SHIFT);
    EXPECT_EQ(Block(3, 1, 6, 5), Selection());
    grid.RemoveRow(1);
    EXPECT_EQ(Block(2, 1, 5, 5), Selection());
    EXPECT_EQ(Selection(), mapped());
    grid.SetNumRows(4);
    EXPECT_EQ(Block(2, 1, 3, 5), Selection());
    EXPECT_EQ(Selection(), mapped());
}

TEST_F(GridMouse, DividersStayPutWhenResizingIsOff) {
    Build(30, 5);
    grid.allowColumnResize = FALSE;
    grid.allowRowResize = FALSE;
    Move(CPoint(kFixedWidth + kColumnWidth + 1, 10));
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    Move(CPoint(10, 4 * kRowHeight - 1));
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    Down(CPoint(kFixedWidth + kColumnWidth + 1, 10));
    EXPECT_EQ(GMM_PICK_COLUMNS, grid.mouseMode) << "the press is a heading click";
    Up(CPoint(kFixedWidth + kColumnWidth + 1, 10));
}

TEST_F(GridMouse, MovingOffADividerRestoresTheIdleMode) {
    Build(30, 5);
    Move(CPoint(kFixedWidth + kColumnWidth - 1, 10));
    EXPECT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);
    Move(CPoint(10, 2 * kRowHeight + 1));
    EXPECT_EQ(GMM_AT_ROW_EDGE, grid.mouseMode);
    Move(CellPoint(5, 3));
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    EXPECT_EQ(CellPoint(5, 3), grid.lastMousePoint);
}

TEST_F(GridMouse, DoubleClickOnAColumnDividerFitsTheColumnLeftOfIt) {
    Build(5, 3);
    grid.SetCellText(2, 1, "a rather long text that needs a wide column");
    CPoint divider(kFixedWidth + kColumnWidth + 1, 10); // left edge of column 2
    Move(divider);
    Click(divider);
    Move(divider); // the system's move after the capture goes back
    ASSERT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);
    Collect();
    posted.clear();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, divider);
    int fitted = grid.GetColumnWidth(1);
    EXPECT_GT(fitted, 2 * kColumnWidth);
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(2));
    std::vector<Posted> doubles = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, doubles.size());
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, GSC_DOUBLECLICK), doubles[0].wParam);
    EXPECT_EQ((LPARAM)MAKELPARAM(0, 1), doubles[0].lParam)
        << "the cell of the press, moved to the divider's column";

    // At the right edge of a column it fits that column.
    grid.SetCellText(4, 3, "another long text, in the last column this time");
    CPoint right(kFixedWidth + fitted + 2 * kColumnWidth - 1, 10);
    Move(right);
    ASSERT_EQ(GMM_AT_COLUMN_EDGE, grid.mouseMode);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, right);
    EXPECT_GT(grid.GetColumnWidth(3), 2 * kColumnWidth);
    EXPECT_EQ(kColumnWidth, grid.GetColumnWidth(2));
    EXPECT_EQ(fitted, grid.GetColumnWidth(1));
}

TEST_F(GridMouse, DoubleClickOnARowDividerFitsTheRowAboveIt) {
    Build(5, 3);
    LOGFONTA big = *grid.GetCellFont(2, 2);
    big.lfHeight = -40;
    grid.SetCellFont(2, 2, &big);
    CPoint divider(10, 3 * kRowHeight + 1); // top edge of row 3
    Move(divider);
    ASSERT_EQ(GMM_AT_ROW_EDGE, grid.mouseMode);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, divider);
    EXPECT_GE(grid.GetRowHeight(2), 40) << "row 2 fits its 40-pixel font";
    EXPECT_EQ(kRowHeight, grid.GetRowHeight(3));
    EXPECT_EQ(kRowHeight, grid.GetRowHeight(1));
}

TEST_F(GridMouse, DoubleClickOnACellOpensTheEditorOfTheFocusCell) {
    Build(5, 3);
    Click(CellPoint(2, 2));
    Collect();
    posted.clear();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(2, 2));
    ASSERT_EQ(1u, grid.edits.size());
    EXPECT_EQ(2, grid.edits[0].row);
    EXPECT_EQ(2, grid.edits[0].col);
    EXPECT_EQ(1u, grid.edits[0].nChar);
    std::vector<Posted> doubles = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, doubles.size());
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, GSC_DOUBLECLICK), doubles[0].wParam);
    EXPECT_EQ((LPARAM)MAKELPARAM(2, 2), doubles[0].lParam);
    EXPECT_EQ(CellPoint(2, 2), grid.lastMousePoint);

    // A double click after a heading click opens nothing outside list mode ...
    Click(CellPoint(3, 0));
    grid.edits.clear();
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(3, 0));
    EXPECT_TRUE(grid.edits.empty());
    // ... and in list mode opens the heading column's cell of the row.
    grid.SetListMode(TRUE);
    Send(WM_LBUTTONDBLCLK, MK_LBUTTON, CellPoint(3, 0));
    ASSERT_EQ(1u, grid.edits.size());
    EXPECT_EQ(3, grid.edits[0].row);
    EXPECT_EQ(0, grid.edits[0].col);
}

TEST_F(GridMouse, RightClickMovesTheFocusAndKeepsTheSelection) {
    Build(30, 5);
    Click(CellPoint(2, 2));
    Click(CellPoint(3, 3), MK_SHIFT);
    Collect();
    posted.clear();
    gridtest::NotifyLog().clear();
    ::SetFocus(host);

    Send(WM_RBUTTONDOWN, MK_RBUTTON, CellPoint(5, 4));
    EXPECT_EQ(CCellPos(5, 4), grid.GetFocusCell());
    EXPECT_EQ(Block(2, 2, 3, 3), Selection());
    EXPECT_EQ(grid.m_hWnd, ::GetFocus());
    EXPECT_EQ(nullptr, ::GetCapture());
    std::vector<Posted> rights = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, rights.size());
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, GSC_RIGHTCLICK), rights[0].wParam);
    EXPECT_EQ((LPARAM)MAKELPARAM(5, 4), rights[0].lParam);
    EXPECT_EQ(CCellPos(3, 3), grid.GetLastClickedCell()) << "only left clicks are recorded";
}

TEST_F(GridMouse, RightClickOutsideEveryCellClearsTheFocus) {
    Build(4, 2, 400, 220);
    Click(CellPoint(2, 2));
    Collect();
    posted.clear();
    gridtest::NotifyLog().clear();
    Send(WM_RBUTTONDOWN, MK_RBUTTON, CPoint(300, 200)); // right of the last column, below the last row
    EXPECT_EQ(CCellPos(-1, -1), grid.GetFocusCell());
    EXPECT_EQ(0u, grid.GetCellState(2, 2) & CELL_FOCUSED);
    ASSERT_EQ(1u, gridtest::NotifyLog().size());
    EXPECT_EQ(GN_FOCUSLEAVE, gridtest::NotifyLog()[0].code);
    std::vector<Posted> rights = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, rights.size());
    EXPECT_EQ((LPARAM)0xFFFFFFFF, rights[0].lParam);
    EXPECT_EQ((WPARAM)MAKEWPARAM(4048, GSC_RIGHTCLICK), rights[0].wParam);
}

TEST_F(GridMouse, WheelPostsLineScrolls) {
    Build(30, 5);
    grid.wheelScrollLines = 3;
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), CPoint(100, 100));
    std::vector<Posted> scrolls = Take(WM_VSCROLL);
    ASSERT_EQ(3u, scrolls.size());
    for (const Posted& p : scrolls) {
        EXPECT_EQ(grid.m_hWnd, p.hWnd);
        EXPECT_EQ((WPARAM)SB_LINEDOWN, p.wParam);
    }
    EXPECT_EQ(0, grid.GetScrollPosition(SB_VERT)) << "posted, not yet handled";
    for (const Posted& p : scrolls)
        ::SendMessageA(p.hWnd, p.message, p.wParam, p.lParam);
    EXPECT_EQ(3 * kRowHeight, grid.GetScrollPosition(SB_VERT));
    posted.clear();

    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), CPoint(100, 100));
    scrolls = Take(WM_VSCROLL);
    ASSERT_EQ(6u, scrolls.size()) << "two notches of three lines";
    for (const Posted& p : scrolls)
        EXPECT_EQ((WPARAM)SB_LINEUP, p.wParam);
    posted.clear();

    // Less than a notch: 60 x 3 / 120 = 1 line; 30 x 3 / 120 truncates to nothing.
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), CPoint(100, 100));
    EXPECT_EQ(1u, Take(WM_VSCROLL).size());
    posted.clear();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-30), CPoint(100, 100));
    EXPECT_EQ(0u, Take(WM_VSCROLL).size());
}

TEST_F(GridMouse, WheelWithAPagePerNotchPostsPageScrolls) {
    Build(30, 5);
    grid.wheelScrollLines = -1;
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, (WORD)(short)-120), CPoint(100, 100));
    std::vector<Posted> scrolls = Take(WM_VSCROLL);
    ASSERT_EQ(1u, scrolls.size());
    EXPECT_EQ((WPARAM)SB_PAGEDOWN, scrolls[0].wParam);
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, scrolls[0].wParam, 0);
    EXPECT_EQ(Client().bottom - kRowHeight, grid.GetScrollPosition(SB_VERT));
    posted.clear();

    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 360), CPoint(100, 100));
    scrolls = Take(WM_VSCROLL);
    ASSERT_EQ(3u, scrolls.size());
    for (const Posted& p : scrolls)
        EXPECT_EQ((WPARAM)SB_PAGEUP, p.wParam);
    posted.clear();
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 119), CPoint(100, 100));
    EXPECT_EQ(0u, Take(WM_VSCROLL).size()) << "less than a notch is no page";
}

// The drag goes below the grid: every tick of the auto-scroll timer moves the focus one row
// down (the arrow key), and the selection reaches the row at the client's bottom edge. The
// arrow key brings the new focus row into view and scrolls one line more, so the grid scrolls
// two lines every second tick.
TEST_F(GridMouse, DragBelowTheGridScrollsAndExtendsTheSelectionEveryTick) {
    Build(30, 5, 400, 220); // rows 1 to 10 fill the client area
    ASSERT_EQ(220, Client().bottom);
    Down(CellPoint(2, 2));
    Move(CellPoint(10, 2), MK_LBUTTON);
    ASSERT_EQ(Block(2, 2, 10, 2), Selection());
    ASSERT_EQ(CCellPos(10, 2), grid.GetFocusCell());

    CRect screen = ToScreen(Client());
    ASSERT_TRUE(::SetCursorPos(screen.left + CellPoint(2, 2).x, screen.bottom + 40));

    const int focusRow[] = {11, 12, 13, 14, 15, 16};
    const int topRow[] = {3, 3, 5, 5, 7, 7};
    const int lastSelected[] = {13, 13, 15, 15, 17, 17};
    for (int tick = 0; tick < 6; tick++) {
        ::SendMessageA(grid.m_hWnd, WM_TIMER, GRID_SCROLL_TIMER_ID, 0);
        EXPECT_EQ(CCellPos(focusRow[tick], 2), grid.GetFocusCell()) << "tick " << tick;
        EXPECT_EQ(topRow[tick], grid.GetFirstScrolledCell().row) << "tick " << tick;
        EXPECT_EQ(Block(2, 2, lastSelected[tick], 2), Selection()) << "tick " << tick;
        EXPECT_EQ(CCellPos(2, 2), grid.anchorCell);
    }
    // Back inside the grid the timer does nothing.
    ASSERT_TRUE(::SetCursorPos(screen.left + CellPoint(3, 2).x, screen.top + CellPoint(3, 2).y));
    ::SendMessageA(grid.m_hWnd, WM_TIMER, GRID_SCROLL_TIMER_ID, 0);
    EXPECT_EQ(CCellPos(16, 2), grid.GetFocusCell());
    EXPECT_EQ(Block(2, 2, 17, 2), Selection());

    Up(CellPoint(3, 2));
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID));
    EXPECT_EQ(nullptr, ::GetCapture());
}

TEST_F(GridMouse, DragAboveTheCellsScrollsUp) {
    Build(30, 5, 400, 220);
    grid.SetScrollPosition(SB_VERT, 10 * kRowHeight);
    ASSERT_EQ(11, grid.GetFirstScrolledCell().row);
    Down(CPoint(CellPoint(1, 3).x, 3 * kRowHeight + 10));         // row 13
    Move(CPoint(CellPoint(1, 3).x, kRowHeight + 10), MK_LBUTTON); // row 11
    ASSERT_EQ(Block(11, 3, 13, 3), Selection());
    CRect screen = ToScreen(Client());
    ASSERT_TRUE(::SetCursorPos(screen.left + CellPoint(1, 3).x, screen.top + 5)); // over the heading row

    ::SendMessageA(grid.m_hWnd, WM_TIMER, GRID_SCROLL_TIMER_ID, 0);
    EXPECT_EQ(CCellPos(10, 3), grid.GetFocusCell());
    EXPECT_EQ(9, grid.GetFirstScrolledCell().row) << "row 10 brought into view, and one line more";
    EXPECT_EQ(Block(9, 3, 13, 3), Selection()) << "to the row just below the heading";
    Up(CellPoint(1, 3));
}

TEST_F(GridMouse, DragRightOfTheGridScrollsRight) {
    Build(5, 10, 400, 220); // columns 1 to 10 are 640 pixels wide
    CRect client = Client();
    Down(CellPoint(2, 2));
    Move(CPoint(client.right - 5, CellPoint(2, 2).y), MK_LBUTTON);
    ASSERT_EQ(400, client.right);
    ASSERT_EQ(CCellPos(2, 6), grid.GetFocusCell());
    ASSERT_EQ(Block(2, 2, 2, 6), Selection());
    CRect screen = ToScreen(client);
    ASSERT_TRUE(::SetCursorPos(screen.right + 30, screen.top + CellPoint(2, 2).y));

    // Column 7 is brought into view and one more column scrolled: the first scrolled column is
    // 3, and the client's right edge (x 400) falls in column 9.
    ::SendMessageA(grid.m_hWnd, WM_TIMER, GRID_SCROLL_TIMER_ID, 0);
    EXPECT_EQ(CCellPos(2, 7), grid.GetFocusCell());
    EXPECT_EQ(3, grid.GetFirstScrolledCell().col);
    EXPECT_EQ(Block(2, 2, 2, 9), Selection());
    Up(CellPoint(2, 2));
}

TEST_F(GridMouse, LosingTheCaptureStopsTheAutoScroll) {
    Build(30, 5);
    Down(CellPoint(2, 2));
    ASSERT_EQ((UINT_PTR)GRID_SCROLL_TIMER_ID, grid.scrollTimer);
    ::SetCapture(host);
    EXPECT_EQ(0u, grid.scrollTimer);
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID));
    ::ReleaseCapture();
    Up(CellPoint(2, 2));
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
}

TEST_F(GridMouse, CaptureTakenAgainByTheGridKeepsTheTimer) {
    Build(30, 5);
    Down(CellPoint(2, 2));
    ::SendMessageA(grid.m_hWnd, WM_CAPTURECHANGED, 0, (LPARAM)grid.m_hWnd);
    EXPECT_EQ((UINT_PTR)GRID_SCROLL_TIMER_ID, grid.scrollTimer);
    Up(CellPoint(2, 2));
    EXPECT_EQ(0u, grid.scrollTimer);
    EXPECT_FALSE(TimerWasRunning(GRID_SCROLL_TIMER_ID));
}

TEST_F(GridMouse, HoverTicksCountWhileThePointerRests) {
    Build(30, 5);
    CRect screen = ToScreen(Client());
    CPoint rest = CellPoint(3, 3);
    ASSERT_TRUE(::SetCursorPos(screen.left + rest.x, screen.top + rest.y));
    FlushQueue();
    Move(rest);
    ASSERT_EQ(0, grid.hoverTicks);
    const UINT_PTR hover = grid.hoverTimer;
    ASSERT_EQ((UINT_PTR)GRID_HOVER_TIMER_ID, hover);

    for (int i = 1; i <= 5; i++) {
        ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
        EXPECT_EQ(i, grid.hoverTicks);
    }
    // The sixth tick over a scrolling cell is the tip's turn; the count starts again.
    ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
    EXPECT_EQ(0, grid.hoverTicks);
    EXPECT_TRUE(grid.titleTipCreated);

    // A move starts the count again.
    for (int i = 0; i < 3; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
    EXPECT_EQ(3, grid.hoverTicks);
    Move(rest);
    EXPECT_EQ(0, grid.hoverTicks);

    // Where the pointer is not where the grid last saw it, or with title tips off, the count
    // goes on.
    Move(CellPoint(4, 4));
    for (int i = 0; i < 8; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
    EXPECT_EQ(8, grid.hoverTicks);
    Move(rest);
    grid.EnableTitleTips(FALSE);
    for (int i = 0; i < 8; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
    EXPECT_EQ(8, grid.hoverTicks);
    // Over a heading cell nothing is shown either.
    grid.EnableTitleTips(TRUE);
    CPoint heading = CellPoint(0, 2);
    ASSERT_TRUE(::SetCursorPos(screen.left + heading.x, screen.top + heading.y));
    Move(heading);
    for (int i = 0; i < 8; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, hover, 0);
    EXPECT_EQ(8, grid.hoverTicks);
    EXPECT_EQ(GMM_IDLE, grid.mouseMode) << "the hover timer is no auto-scroll";
}

TEST_F(GridMouse, DestroyStopsTheHoverTimer) {
    Build(3, 3);
    HWND wnd = grid.m_hWnd;
    ASSERT_NE(0u, grid.hoverTimer);
    grid.DestroyWindow();
    EXPECT_EQ(0u, grid.hoverTimer);
    EXPECT_FALSE(::IsWindow(wnd));
}

TEST_F(GridMouse, ClickOnRowsBeyond65535RecordsTheWholeRow) {
    Build(70000, 2, 400, 220);
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_BOTTOM, 0);
    CCellPos top = grid.GetFirstScrolledCell();
    ASSERT_GT(top.row, 65536);
    Click(CellPoint(1, 1));
    std::vector<Posted> clicks = Take(WM_GRID_SELCHANGE);
    ASSERT_EQ(1u, clicks.size());
    EXPECT_EQ((LPARAM)MAKELPARAM(top.row & 0xFFFF, 1), clicks[0].lParam) << "the message keeps 16 bits";
    EXPECT_EQ(CCellPos(top.row, 1), grid.GetLastClickedCell());
    EXPECT_EQ(CCellPos(top.row, 1), grid.GetFocusCell());
}
