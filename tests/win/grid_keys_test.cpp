// Keyboard navigation on a real grid window: WM_GETDLGCODE, every navigation key with and
// without Shift, the Tab wraps, Page Up/Down, Home/End, Delete with its notifications, the Ctrl
// shortcuts, the scrolling and repainting after a move, and typing to start an edit.
#include "grid_mouse_fixture.h"

using gridinput::GridInputTest;
using gridinput::HeldKeys;

namespace {

typedef std::vector<std::pair<int, int>> Cells;

class GridKeys : public GridInputTest {
protected:
    CRect UpdateRect() {
        CRect rc;
        if (!::GetUpdateRect(grid.m_hWnd, &rc, FALSE)) rc.SetRectEmpty();
        return rc;
    }
    int VertPos() const { return grid.GetScrollPosition(SB_VERT, FALSE); }
    int HorzPos() const { return grid.GetScrollPosition(SB_HORZ, FALSE); }
    void Char(UINT ch) { ::SendMessageA(grid.m_hWnd, WM_CHAR, ch, 1); }
    // Puts the focus on a cell as a click does, and forgets the notifications so far.
    void FocusBy(int row, int col) {
        CRect bounds;
        ASSERT_TRUE(grid.GetCellBounds(row, col, &bounds)) << row << "," << col << " is scrolled away";
        Click(CPoint((bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2));
        ASSERT_EQ(CCellPos(row, col), grid.GetFocusCell());
        Collect();
        posted.clear();
        gridtest::NotifyLog().clear();
    }
};

} // namespace

TEST_F(GridKeys, DialogCodeAsksForArrowsCharsAndTab) {
    Build(5, 3);
    EXPECT_EQ((LRESULT)0x83, ::SendMessageA(grid.m_hWnd, WM_GETDLGCODE, 0, 0));
    {
        HeldKeys shift({VK_SHIFT});
        EXPECT_EQ((LRESULT)0x83, ::SendMessageA(grid.m_hWnd, WM_GETDLGCODE, 0, 0));
    }
    {
        HeldKeys ctrl({VK_CONTROL});
        EXPECT_EQ((LRESULT)0x81, ::SendMessageA(grid.m_hWnd, WM_GETDLGCODE, 0, 0))
            << "Ctrl+Tab leaves the grid";
    }
    grid.wantTabKey = FALSE;
    EXPECT_EQ((LRESULT)0x81, ::SendMessageA(grid.m_hWnd, WM_GETDLGCODE, 0, 0));
}

TEST_F(GridKeys, WithoutAFocusCellNoKeyDoesAnything) {
    Build(30, 5);
    const UINT keys[] = {VK_UP,    VK_DOWN, VK_LEFT, VK_RIGHT, VK_TAB,
                         VK_PRIOR, VK_NEXT, VK_HOME, VK_END,   VK_DELETE};
    for (UINT k : keys)
        Key(k);
    {
        HeldKeys shift({VK_SHIFT});
        for (UINT k : keys)
            Key(k);
    }
    {
        HeldKeys ctrl({VK_CONTROL});
        for (UINT k : {'A', 'C', 'V', 'X'})
            Key(k);
    }
    EXPECT_EQ(CCellPos(-1, -1), grid.GetFocusCell());
    EXPECT_TRUE(Selection().empty());
    EXPECT_EQ(0, VertPos());
    EXPECT_EQ(0, grid.selectAlls + grid.copies + grid.pastes + grid.cuts)
        << "no shortcut without a focus cell";
    EXPECT_TRUE(gridtest::NotifyLog().empty());
    EXPECT_STREQ("1,1", (LPCTSTR)grid.GetCellText(1, 1));
}

TEST_F(GridKeys, ArrowsMoveTheFocusAndSelectTheNewCell) {
    Build(30, 5);
    FocusBy(2, 3);
    Key(VK_DOWN);
    EXPECT_EQ(CCellPos(3, 3), grid.GetFocusCell());
    EXPECT_EQ(One(3, 3), Selection());
    EXPECT_EQ(CCellPos(3, 3), grid.anchorCell);
    EXPECT_EQ(GMM_IDLE, grid.mouseMode);
    ASSERT_EQ(2u, gridtest::NotifyLog().size());
    EXPECT_EQ(GN_FOCUSLEAVE, gridtest::NotifyLog()[0].code);
    EXPECT_EQ(2, gridtest::NotifyLog()[0].row);
    EXPECT_EQ(GN_FOCUSENTER, gridtest::NotifyLog()[1].code);
    EXPECT_EQ(3, gridtest::NotifyLog()[1].row);
    Key(VK_RIGHT);
    EXPECT_EQ(CCellPos(3, 4), grid.GetFocusCell());
    Key(VK_UP);
    EXPECT_EQ(CCellPos(2, 4), grid.GetFocusCell());
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(CCellPos(2, 2), grid.GetFocusCell());
    EXPECT_EQ(One(2, 2), Selection());
}

TEST_F(GridKeys, KeysStopAtTheEdgesOfTheScrollingCells) {
    Build(30, 5);
    FocusBy(1, 1);
    Key(VK_LEFT);
    Key(VK_UP);
    EXPECT_EQ(CCellPos(1, 1), grid.GetFocusCell());
    EXPECT_TRUE(gridtest::NotifyLog().empty()) << "no move, no notification";
    grid.SetScrollPosition(SB_VERT, 10000);
    FocusBy(30, 5);
    Key(VK_RIGHT);
    Key(VK_DOWN);
    EXPECT_EQ(CCellPos(30, 5), grid.GetFocusCell());
    EXPECT_EQ(One(30, 5), Selection());
    EXPECT_TRUE(gridtest::NotifyLog().empty());
}

TEST_F(GridKeys, ShiftArrowsExtendFromTheAnchor) {
    Build(30, 5);
    FocusBy(2, 3);
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_DOWN);
        Key(VK_DOWN);
    }
    EXPECT_EQ(Block(2, 3, 4, 3), Selection());
    EXPECT_EQ(CCellPos(2, 3), grid.anchorCell);
    EXPECT_EQ(CCellPos(4, 3), grid.GetFocusCell());
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_LEFT);
    }
    EXPECT_EQ(Block(2, 2, 4, 3), Selection());
    // A plain key starts over at the new cell.
    Key(VK_RIGHT);
    EXPECT_EQ(One(4, 3), Selection());
    EXPECT_EQ(CCellPos(4, 3), grid.anchorCell);
}

TEST_F(GridKeys, ListModeSelectsRowsAndLeftRightStillMoveTheColumn) {
    Build(30, 5);
    grid.SetListMode(TRUE);
    FocusBy(2, 3);
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_DOWN);
        Key(VK_DOWN);
    }
    EXPECT_EQ(Block(2, 1, 4, 5), Selection());
    Key(VK_RIGHT);
    EXPECT_EQ(CCellPos(4, 4), grid.GetFocusCell());
    EXPECT_EQ(Block(4, 1, 4, 5), Selection());
}

TEST_F(GridKeys, TabWrapsToTheNextRowAndShiftTabToThePrevious) {
    Build(30, 5);
    FocusBy(2, 4);
    Key(VK_TAB);
    EXPECT_EQ(CCellPos(2, 5), grid.GetFocusCell());
    Key(VK_TAB);
    EXPECT_EQ(CCellPos(3, 1), grid.GetFocusCell())
        << "past the last column: the next row's first scrolling column";
    EXPECT_EQ(One(3, 1), Selection());
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_TAB);
        EXPECT_EQ(CCellPos(2, 5), grid.GetFocusCell()) << "back to the previous row's last column";
        Key(VK_TAB);
        EXPECT_EQ(CCellPos(2, 4), grid.GetFocusCell());
    }
    EXPECT_EQ(One(2, 4), Selection()) << "Shift+Tab never extends the selection";
    EXPECT_EQ(CCellPos(2, 4), grid.anchorCell);
}

TEST_F(GridKeys, TabOnTheLastCellAndShiftTabOnTheFirstDoNothing) {
    Build(30, 5);
    FocusBy(1, 1);
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_TAB);
    }
    EXPECT_EQ(CCellPos(1, 1), grid.GetFocusCell());
    EXPECT_TRUE(gridtest::NotifyLog().empty());
    grid.SetScrollPosition(SB_VERT, 10000);
    FocusBy(30, 5);
    Key(VK_TAB);
    EXPECT_EQ(CCellPos(30, 5), grid.GetFocusCell());
    EXPECT_TRUE(gridtest::NotifyLog().empty());
}

TEST_F(GridKeys, TabWrapsScrollTheNewRowIntoView) {
    Build(30, 10, 400, 220); // ten 60-pixel columns: wider than the client area
    grid.SetScrollPosition(SB_HORZ, 10000);
    int farRight = HorzPos();
    ASSERT_GT(farRight, 0);
    FocusBy(2, 10);
    ::ValidateRect(grid.m_hWnd, nullptr);
    Key(VK_TAB);
    EXPECT_EQ(CCellPos(3, 1), grid.GetFocusCell());
    EXPECT_EQ(0, HorzPos()) << "back to the left edge";
    EXPECT_EQ(kRowHeight, VertPos()) << "and one line down";
    EXPECT_EQ(Client(), UpdateRect()) << "the whole grid is repainted";

    ::ValidateRect(grid.m_hWnd, nullptr);
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_TAB);
    }
    EXPECT_EQ(CCellPos(2, 10), grid.GetFocusCell());
    EXPECT_EQ(0, VertPos()) << "one line up";
    EXPECT_EQ(farRight, HorzPos()) << "to the far right";
    EXPECT_EQ(Client(), UpdateRect());
}

TEST_F(GridKeys, PageDownMovesByTheScrolledRowsAndStopsOnTheLastRow) {
    Build(30, 5, 400, 220);
    FocusBy(2, 2);
    Key(VK_NEXT);
    EXPECT_EQ(11, grid.GetFirstScrolledCell().row) << "a page is the 200 pixels below the heading";
    EXPECT_EQ(CCellPos(12, 2), grid.GetFocusCell());
    EXPECT_EQ(One(12, 2), Selection());
    Key(VK_NEXT);
    EXPECT_EQ(21, grid.GetFirstScrolledCell().row) << "the last page";
    EXPECT_EQ(CCellPos(22, 2), grid.GetFocusCell());
    Key(VK_NEXT);
    EXPECT_EQ(CCellPos(30, 2), grid.GetFocusCell()) << "on the last page: the last row";
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_PRIOR);
    }
    EXPECT_EQ(11, grid.GetFirstScrolledCell().row);
    EXPECT_EQ(CCellPos(20, 2), grid.GetFocusCell());
    EXPECT_EQ(Block(20, 2, 30, 2), Selection());
}

TEST_F(GridKeys, PageUpOnTheFirstPageGoesToTheFirstRow) {
    Build(30, 5, 400, 220);
    FocusBy(6, 3);
    Key(VK_PRIOR);
    EXPECT_EQ(CCellPos(1, 3), grid.GetFocusCell());
    grid.SetScrollPosition(SB_VERT, 5 * kRowHeight); // top row 6
    FocusBy(8, 3);
    Key(VK_PRIOR);
    EXPECT_EQ(1, grid.GetFirstScrolledCell().row);
    EXPECT_EQ(CCellPos(3, 3), grid.GetFocusCell()) << "up by the five rows scrolled";
}

TEST_F(GridKeys, HomeAndEndChangeOnlyTheRow) {
    Build(30, 5, 400, 220);
    FocusBy(5, 3);
    Key(VK_END);
    EXPECT_EQ(CCellPos(30, 3), grid.GetFocusCell());
    EXPECT_EQ(21, grid.GetFirstScrolledCell().row);
    Key(VK_HOME);
    EXPECT_EQ(CCellPos(1, 3), grid.GetFocusCell());
    EXPECT_EQ(0, VertPos());
    {
        HeldKeys ctrl({VK_CONTROL});
        Key(VK_END);
    }
    EXPECT_EQ(CCellPos(30, 3), grid.GetFocusCell()) << "Ctrl changes nothing";
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_HOME);
    }
    EXPECT_EQ(Block(1, 3, 30, 3), Selection());
}

TEST_F(GridKeys, AMoveOntoAShownCellRepaintsOnlyThatCell) {
    Build(30, 5, 400, 220);
    FocusBy(2, 2);
    ::ValidateRect(grid.m_hWnd, nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(0, VertPos());
    CRect update = UpdateRect();
    EXPECT_FALSE(update.IsRectEmpty());
    EXPECT_NE(Client(), update);
    EXPECT_EQ(CRect(100, 40, 160, 80), update) << "the cells whose selection changed";
}

TEST_F(GridKeys, AMoveOffTheBottomScrollsOneLineMoreAndRepaintsAll) {
    Build(30, 5, 400, 220); // rows 1 to 10 fill the client area
    FocusBy(10, 2);
    ::ValidateRect(grid.m_hWnd, nullptr);
    Key(VK_DOWN);
    EXPECT_EQ(CCellPos(11, 2), grid.GetFocusCell());
    EXPECT_EQ(3, grid.GetFirstScrolledCell().row) << "row 11 brought into view, and one line more";
    EXPECT_EQ(Client(), UpdateRect());
    grid.SetScrollPosition(SB_VERT, 10 * kRowHeight); // top row 11
    FocusBy(11, 2);
    Key(VK_UP);
    EXPECT_EQ(9, grid.GetFirstScrolledCell().row);
}

TEST_F(GridKeys, DeleteClearsTheFocusCellBetweenTheChangeNotifications) {
    Build(30, 5);
    FocusBy(2, 2);
    {
        HeldKeys shift({VK_SHIFT});
        Key(VK_RIGHT);
    }
    ASSERT_EQ(Block(2, 2, 2, 3), Selection());
    gridtest::NotifyLog().clear();
    std::vector<CString> textAtNotify;
    gridtest::HostHook() = [&](HWND, UINT msg, WPARAM, LPARAM) {
        if (msg == WM_NOTIFY) textAtNotify.push_back(grid.GetCellText(2, 3));
    };
    Key(VK_DELETE);
    EXPECT_STREQ("", (LPCTSTR)grid.GetCellText(2, 3));
    EXPECT_STREQ("2,2", (LPCTSTR)grid.GetCellText(2, 2)) << "only the focus cell is cleared";
    ASSERT_EQ(2u, gridtest::NotifyLog().size());
    EXPECT_EQ(GN_BEGINCHANGE, gridtest::NotifyLog()[0].code);
    EXPECT_EQ(GN_ENDCHANGE, gridtest::NotifyLog()[1].code);
    EXPECT_EQ(2, gridtest::NotifyLog()[1].row);
    EXPECT_EQ(3, gridtest::NotifyLog()[1].col);
    ASSERT_EQ(2u, textAtNotify.size());
    EXPECT_STREQ("2,3", (LPCTSTR)textAtNotify[0]) << "the begin notification comes before the change";
    EXPECT_STREQ("", (LPCTSTR)textAtNotify[1]);
    EXPECT_TRUE(grid.IsChanged());
    EXPECT_NE(0u, grid.GetCellState(2, 3) & CELL_CHANGED);
    EXPECT_EQ(CCellPos(2, 3), grid.GetFocusCell());
    EXPECT_EQ(Block(2, 2, 2, 3), Selection());
}

TEST_F(GridKeys, DeleteOnAReadOnlyCellOrANonEditableGridChangesNothing) {
    Build(30, 5);
    grid.SetCellState(2, 2, grid.GetCellState(2, 2) | CELL_READONLY);
    FocusBy(2, 2);
    Key(VK_DELETE);
    EXPECT_STREQ("2,2", (LPCTSTR)grid.GetCellText(2, 2));
    EXPECT_TRUE(gridtest::NotifyLog().empty());
    EXPECT_FALSE(grid.IsChanged());

    grid.SetEditable(FALSE);
    FocusBy(3, 3);
    Key(VK_DELETE);
    EXPECT_STREQ("3,3", (LPCTSTR)grid.GetCellText(3, 3));
    EXPECT_TRUE(gridtest::NotifyLog().empty());
    EXPECT_FALSE(grid.IsChanged());
}

TEST_F(GridKeys, CtrlShortcutsCallTheEditCommands) {
    Build(5, 3);
    FocusBy(2, 2);
    {
        HeldKeys ctrl({VK_CONTROL});
        Key('C');
        Key('V');
        Key('X');
        Key('X');
    }
    EXPECT_EQ(1, grid.copies);
    EXPECT_EQ(1, grid.pastes);
    EXPECT_EQ(2, grid.cuts);
    EXPECT_EQ(0, grid.selectAlls);
    EXPECT_EQ(One(2, 2), Selection());
    {
        HeldKeys ctrl({VK_CONTROL});
        Key('A');
    }
    EXPECT_EQ(1, grid.selectAlls);
    EXPECT_EQ(Block(1, 1, 5, 3), Selection());
    EXPECT_EQ(CCellPos(2, 2), grid.GetFocusCell());
    // The letters alone are no shortcuts.
    Key('A');
    Key('C');
    EXPECT_EQ(1, grid.selectAlls);
    EXPECT_EQ(1, grid.copies);
}

TEST_F(GridKeys, TypingStartsAnEditOfTheFocusCell) {
    Build(5, 3);
    Char('q');
    ASSERT_EQ(1u, grid.edits.size()) << "the editor checks the focus cell itself";
    EXPECT_EQ(-1, grid.edits[0].row);
    grid.edits.clear();

    FocusBy(2, 3);
    Char('x');
    ASSERT_EQ(1u, grid.edits.size());
    EXPECT_EQ(2, grid.edits[0].row);
    EXPECT_EQ(3, grid.edits[0].col);
    EXPECT_EQ((UINT)(GEC_TYPED | 'x'), grid.edits[0].nChar);

    Char('\t');
    EXPECT_EQ(1u, grid.edits.size()) << "Tab is navigation";
    {
        HeldKeys ctrl({VK_CONTROL});
        Char('x');
    }
    EXPECT_EQ(1u, grid.edits.size()) << "not with Ctrl";
    Down(CellPoint(4, 1));
    Char('x');
    EXPECT_EQ(1u, grid.edits.size()) << "not while the mouse drags";
    Up(CellPoint(4, 1));

    grid.wantTabKey = FALSE;
    Char('\t');
    ASSERT_EQ(2u, grid.edits.size());
    EXPECT_EQ((UINT)(GEC_TYPED | '\t'), grid.edits[1].nChar);
}
