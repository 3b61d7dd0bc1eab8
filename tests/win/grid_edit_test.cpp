// The in-place editors on a real grid: an edit box, list box and combo box opened over a cell by
// typing and clicking, driven with real key and mouse messages; what they store, where the focus
// goes after Tab, Return, arrows and Escape, the notifications, the fields that shape the edit
// box, the cells that never open one, and the route of the end record through a parent of the
// framework.
#include "grid_mouse_fixture.h"

#include "afxole.h"

using gridinput::HeldKeys;

namespace {

constexpr LPARAM kDownArrowData = VK_DOWN; // an entry whose item data equals an arrow key's code

class EditGrid : public gridtest::TestGrid {
public:
    using gridtest::TestGrid::TestGrid;
    int fills = 0;
    void FillEditorChoices(int kind, int col, CWnd* editor) override {
        fills++;
        if (kind == GEK_LIST) {
            CListBox* list = (CListBox*)editor;
            for (const char* s : {"pear", "apple", "fig"}) {
                int i = list->AddString(s);
                list->SendMessage(LB_SETITEMDATA, (WPARAM)i, 100 + s[0]);
            }
        } else if (kind == GEK_COMBO) {
            CComboBox* combo = (CComboBox*)editor;
            int i = combo->AddString("low");
            combo->SendMessage(CB_SETITEMDATA, (WPARAM)i, 5);
            i = combo->AddString("down");
            combo->SendMessage(CB_SETITEMDATA, (WPARAM)i, kDownArrowData);
        }
        (void)col;
    }
};

class GridEdit : public ::testing::Test {
protected:
    HWND host = nullptr;
    EditGrid grid;

    void TearDown() override {
        if (grid.m_hWnd != nullptr) grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
        BYTE state[256] = {};
        ::SetKeyboardState(state);
    }

    // 4 body rows and 3 body columns (60 x 20 cells) under a heading row and column; column 1
    // edit boxes, column 2 lists, column 3 combos unless a test changes them.
    void SetUp() override {
        host = gridtest::CreateHostWindow();
        ASSERT_NE(nullptr, host);
        ASSERT_TRUE(grid.SubclassGrid(gridtest::CreateGridControl(host, 400, 220)));
        grid.SetNumColumns(4);
        grid.SetNumRows(5);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        for (int r = 0; r < 5; r++) {
            grid.SetRowHeight(r, 20);
            for (int c = 0; c < 4; c++) {
                char text[16];
                std::snprintf(text, sizeof text, "%d,%d", r, c);
                grid.SetCellText(r, c, text);
            }
        }
        for (int c = 0; c < 4; c++)
            grid.SetColumnWidth(c, 60);
        grid.SetColumnEditorKind(1, GEK_EDIT);
        grid.SetColumnEditorKind(2, GEK_LIST);
        grid.SetColumnEditorKind(3, GEK_COMBO);
        grid.RefreshLayout();
        ::SetFocus(grid.m_hWnd);
        gridtest::NotifyLog().clear();
    }
    HWND Editor(int id) const { return ::GetDlgItem(grid.m_hWnd, id); }
    std::string Text(HWND w) const {
        char buf[256] = {};
        ::GetWindowTextA(w, buf, sizeof buf);
        return buf;
    }
    std::string Cell(int r, int c) const { return (LPCTSTR)grid.GetCellText(r, c); }
    LPARAM Param(int r, int c) {
        GridItemDesc desc;
        desc.row = r;
        desc.col = c;
        desc.mask = DESC_PARAM;
        grid.GetCellDesc(&desc);
        return desc.param;
    }
    void Focus(int r, int c) {
        grid.MoveFocusTo(r, c);
        gridtest::NotifyLog().clear();
    }
    // A key pressed in a window as the message loop delivers it: offered to PreTranslateMessage
    // first, then dispatched.
    static void Press(HWND w, UINT vk, UINT message = WM_KEYDOWN) {
        MSG msg = {w, message, vk, 1, 0, {0, 0}};
        if (!AfxPreTranslateMessage(&msg)) ::SendMessageA(w, message, vk, 1);
    }
    std::vector<int> Codes() const {
        std::vector<int> codes;
        for (const auto& n : gridtest::NotifyLog())
            codes.push_back(n.code);
        return codes;
    }
};

} // namespace

TEST_F(GridEdit, TypingOpensTheEditBoxAndTabStoresAndMovesOn) {
    Focus(1, 1);
    ::SendMessageA(grid.m_hWnd, WM_CHAR, 'x', 1);
    HWND box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(box, ::GetFocus());
    EXPECT_EQ("x", Text(box)) << "the typed character replaces the text";
    DWORD start = 0, end = 0;
    ::SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(1u, start);
    EXPECT_EQ(1u, end);
    CRect bounds, rc;
    ASSERT_TRUE(grid.GetCellBounds(1, 1, &bounds));
    ::GetWindowRect(box, &rc);
    ::MapWindowPoints(nullptr, grid.m_hWnd, (LPPOINT)&rc, 2);
    EXPECT_EQ(bounds.left, rc.left);
    EXPECT_EQ(bounds.top, rc.top);
    EXPECT_EQ((LRESULT)grid.SendMessage(WM_GETFONT), ::SendMessageA(box, WM_GETFONT, 0, 0));
    ::SendMessageA(box, WM_CHAR, 'y', 1);

    Press(box, VK_TAB);
    EXPECT_EQ("xy", Cell(1, 1));
    EXPECT_EQ((std::vector<int>{GN_ENDCHANGE, GN_FOCUSLEAVE, GN_FOCUSENTER}), Codes())
        << "the end, then the move";
    EXPECT_TRUE(grid.IsChanged());
    EXPECT_EQ(CCellPos(1, 2), grid.GetFocusCell());
    // Column 2 opens its list, on the entry that matches "1,2" (none): nothing chosen.
    HWND list = Editor(IDC_CELL_LIST);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(nullptr, Editor(IDC_CELL_EDIT)) << "the first editor is gone";
    EXPECT_EQ(list, ::GetFocus());
    // The release of that Tab reaches the new editor: it does not end it.
    Press(list, VK_TAB, WM_KEYUP);
    EXPECT_EQ(list, Editor(IDC_CELL_LIST));
    ::SetFocus(grid.m_hWnd);
    EXPECT_EQ(nullptr, Editor(IDC_CELL_LIST));
    EXPECT_EQ("1,2", Cell(1, 2)) << "no entry chosen: the old text stays";
}

TEST_F(GridEdit, ReturnStaysArrowsMoveEscapeRestoresAndBackspaceDeletes) {
    Focus(2, 1);
    ::SendMessageA(grid.m_hWnd, WM_CHAR, VK_RETURN, 1);
    HWND box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("2,1", Text(box));
    ::SendMessageA(box, WM_CHAR, '!', 1);
    Press(box, VK_RETURN);
    EXPECT_EQ("2,1!", Cell(2, 1));
    EXPECT_EQ(CCellPos(2, 1), grid.GetFocusCell());
    EXPECT_EQ(nullptr, Editor(IDC_CELL_EDIT)) << "Return opens no new editor";

    // Down stores and opens the cell below with its whole text selected.
    ::SendMessageA(grid.m_hWnd, WM_CHAR, 'q', 1);
    Press(Editor(IDC_CELL_EDIT), VK_DOWN);
    EXPECT_EQ("q", Cell(2, 1));
    EXPECT_EQ(CCellPos(3, 1), grid.GetFocusCell());
    box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    DWORD start = 9, end = 9;
    ::SendMessageA(box, EM_GETSEL, (WPARAM)&start, (LPARAM)&end);
    EXPECT_EQ(0u, start);
    EXPECT_EQ(3u, end);

    // Escape: the old text back, no move, the grid-wide flag not set; the notification still goes.
    grid.MarkChanged(FALSE);
    ::SendMessageA(box, WM_CHAR, 'z', 1);
    gridtest::NotifyLog().clear();
    Press(box, VK_ESCAPE);
    // Its character then reaches the grid, which must not open the editor again.
    ::SendMessageA(grid.m_hWnd, WM_CHAR, VK_ESCAPE, 1);
    EXPECT_EQ(nullptr, Editor(IDC_CELL_EDIT));
    EXPECT_EQ("3,1", Cell(3, 1));
    EXPECT_FALSE(grid.IsChanged());
    EXPECT_EQ(CCellPos(3, 1), grid.GetFocusCell());
    EXPECT_EQ(std::vector<int>{GN_ENDCHANGE}, Codes());

    // Backspace opens the box with the last character deleted; a click elsewhere stores it.
    ::SendMessageA(grid.m_hWnd, WM_CHAR, VK_BACK, 1);
    ASSERT_NE(nullptr, Editor(IDC_CELL_EDIT));
    EXPECT_EQ("3,", Text(Editor(IDC_CELL_EDIT)));
    ::SendMessageA(grid.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(150, 90));
    ::SendMessageA(grid.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(150, 90));
    EXPECT_EQ("3,", Cell(3, 1));
    EXPECT_EQ(nullptr, Editor(IDC_CELL_EDIT));
}

// '(' and '!' share their codes with Down and Page Up; a Hangul syllable comes as two bytes, and
// its lead byte opens no editor before the trail byte.
TEST_F(GridEdit, PunctuationAndHangulTypedFirstArriveWhole) {
    const char* typed[] = {"(x!y", "\xB0\xA1\xB3\xAA"};
    for (int r = 1; r <= 2; r++) {
        Focus(r, 1);
        for (const char* p = typed[r - 1]; *p != '\0'; p++)
            ::SendMessageA(Editor(IDC_CELL_EDIT) ? Editor(IDC_CELL_EDIT) : grid.m_hWnd, WM_CHAR, (BYTE)*p, 1);
        Press(Editor(IDC_CELL_EDIT), VK_RETURN);
        EXPECT_EQ(typed[r - 1], Cell(r, 1));
    }
}

TEST_F(GridEdit, CellsThatNeverOpenAnEditor) {
    grid.SetCellState(1, 1, CELL_READONLY);
    struct {
        int row, col;
    } cells[] = {{1, 1}, {0, 1}, {2, 0}, {-1, -1}, {9, 1}};
    for (auto c : cells) {
        grid.BeginCellEdit(c.row, c.col, 'a');
        EXPECT_EQ(nullptr, Editor(IDC_CELL_EDIT)) << c.row << "," << c.col;
    }
    grid.SetColumnEditorKind(1, GEK_NONE);
    grid.BeginCellEdit(2, 1, 'a');
    grid.SetColumnEditorKind(1, 3); // no kind
    grid.BeginCellEdit(2, 1, 'a');
    EXPECT_EQ(nullptr, ::GetWindow(grid.m_hWnd, GW_CHILD));
    EXPECT_FALSE(grid.SetColumnEditorKind(4, GEK_EDIT));
    EXPECT_EQ((UINT)GEK_NONE, grid.GetColumnEditorKind(-1));
    grid.SetColumnEditorKind(1, GEK_EDIT);
    grid.SetEditable(FALSE);
    grid.BeginCellEdit(2, 1, 'a');
    EXPECT_EQ(nullptr, ::GetWindow(grid.m_hWnd, GW_CHILD));
    EXPECT_EQ("2,1", Cell(2, 1));
}

TEST_F(GridEdit, TheCellShapesTheEditBoxWhichWidensWithItsText) {
    grid.SetCellState(1, 1, CELL_MASKED | CELL_DIGITSONLY);
    GridItemDesc desc;
    desc.row = 1;
    desc.col = 1;
    desc.mask = DESC_FORMAT;
    desc.format = DT_RIGHT | DT_CENTER;
    grid.SetCellDesc(&desc);
    grid.BeginCellEdit(1, 1, VK_LBUTTON);
    HWND box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    DWORD style = (DWORD)::GetWindowLongPtrA(box, GWL_STYLE);
    EXPECT_EQ((DWORD)(WS_CHILD | WS_VISIBLE), style & (WS_CHILD | WS_VISIBLE));
    EXPECT_TRUE(style & ES_PASSWORD);
    EXPECT_TRUE(style & ES_NUMBER);
    EXPECT_EQ((DWORD)ES_RIGHT, style & (ES_RIGHT | ES_CENTER));
    EXPECT_FALSE(style & ES_AUTOHSCROLL);
    EXPECT_EQ(IDC_CELL_EDIT, ::GetDlgCtrlID(box));
    // Typing past the width widens the box, never past the grid's right edge.
    CRect before, after;
    ::GetWindowRect(box, &before);
    for (int i = 0; i < 40; i++)
        ::SendMessageA(box, WM_CHAR, '8', 1);
    ::GetWindowRect(box, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.Height(), after.Height());
    EXPECT_GT(after.Width(), before.Width());
    CRect client;
    ::GetClientRect(grid.m_hWnd, &client);
    ::MapWindowPoints(nullptr, grid.m_hWnd, (LPPOINT)&after, 2);
    EXPECT_LE(after.right, client.right);
    ::SetFocus(grid.m_hWnd);
    // Opened on text wider than the cell, the box makes room before the first character.
    grid.SetCellText(3, 1, "WWWWWWWWWW");
    grid.BeginCellEdit(3, 1, VK_LBUTTON);
    ::SendMessageA(Editor(IDC_CELL_EDIT), WM_CHAR, 'Z', 1);
    EXPECT_EQ("WWWWWWWWWWZ", Text(Editor(IDC_CELL_EDIT)));
    ::SetFocus(grid.m_hWnd);

    grid.SetCellState(2, 1, CELL_EDITSCROLL);
    grid.BeginCellEdit(2, 1, VK_LBUTTON);
    box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    style = (DWORD)::GetWindowLongPtrA(box, GWL_STYLE);
    EXPECT_TRUE(style & ES_AUTOHSCROLL);
    EXPECT_EQ((DWORD)ES_LEFT, style & (ES_RIGHT | ES_CENTER));
}

TEST_F(GridEdit, AListClickStoresTheEntryAndItsDataAndStays) {
    grid.SetCellText(2, 2, "fig");
    Focus(2, 2);
    grid.BeginCellEdit(2, 2, VK_LBUTTON);
    HWND list = Editor(IDC_CELL_LIST);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(1, grid.fills);
    EXPECT_EQ(3, (int)::SendMessageA(list, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, (int)::SendMessageA(list, LB_GETCURSEL, 0, 0)) << "sorted: apple, fig, pear";
    EXPECT_EQ(19, (int)::SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    CRect rc;
    ::GetWindowRect(list, &rc);
    // Lowered by a scroll bar and five rows (the list keeps a whole number of rows).
    EXPECT_LE(rc.Height(), 19 + ::GetSystemMetrics(SM_CYHSCROLL) + 19 * 5);
    EXPECT_GT(rc.Height(), 19 * 5);
    // Escape after moving the choice keeps the text and the cell's own data.
    grid.SetCellParam(2, 2, 77);
    Press(list, VK_DOWN);
    EXPECT_EQ(2, (int)::SendMessageA(list, LB_GETCURSEL, 0, 0)) << "arrows move the choice";
    EXPECT_EQ(list, Editor(IDC_CELL_LIST));
    Press(list, VK_ESCAPE);
    EXPECT_EQ("fig", Cell(2, 2));
    EXPECT_EQ(77, Param(2, 2));

    grid.BeginCellEdit(2, 2, VK_LBUTTON);
    list = Editor(IDC_CELL_LIST);
    ASSERT_NE(nullptr, list);
    // A click on the first entry ("apple") ends the edit at once.
    ::SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    ::SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(nullptr, Editor(IDC_CELL_LIST));
    EXPECT_EQ("apple", Cell(2, 2));
    EXPECT_EQ(100 + 'a', Param(2, 2));
    EXPECT_EQ(CCellPos(2, 2), grid.GetFocusCell());
}

// An entry whose item data equals the Down key's code is stored as data; the Tab that ended the
// edit moves the focus right, not down.
TEST_F(GridEdit, AComboStoresItsDataAndMovesOnByItsEndingKey) {
    Focus(1, 3);
    ::SendMessageA(grid.m_hWnd, WM_CHAR, 'z', 1);
    HWND combo = Editor(IDC_CELL_COMBO);
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(2, (int)::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(-1, (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0)) << "no entry \"1,3\"";
    ::SendMessageA(combo, CB_SETCURSEL, 1, 0); // "down"
    grid.MarkChanged(FALSE);
    Press(combo, VK_TAB);
    EXPECT_EQ("down", Cell(1, 3));
    EXPECT_EQ(kDownArrowData, Param(1, 3));
    EXPECT_EQ(CCellPos(2, 1), grid.GetFocusCell()) << "Tab wraps to the next row's first column";
    EXPECT_TRUE(grid.IsChanged());
    HWND box = Editor(IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    ::SetFocus(grid.m_hWnd);
    // The combo opens on the matching entry; Ctrl+Right ends it and moves right.
    grid.SetCellText(3, 3, "low");
    Focus(3, 3);
    grid.BeginCellEdit(3, 3, VK_LBUTTON);
    combo = Editor(IDC_CELL_COMBO);
    ASSERT_NE(nullptr, combo);
    EXPECT_EQ(0, (int)::SendMessageA(combo, CB_GETCURSEL, 0, 0));
    {
        HeldKeys ctrl({VK_CONTROL});
        Press(combo, VK_LEFT);
    }
    EXPECT_EQ(CCellPos(3, 2), grid.GetFocusCell());
    EXPECT_NE(nullptr, Editor(IDC_CELL_LIST)) << "the cell to the left opened its list";
}

// Inside a frame of the framework the record travels by the parent's reflection, and the grid's
// own GN_ENDCHANGE still reaches the frame.
namespace {
class NotifyFrame : public CFrameWnd {
public:
    int endChanges = 0;
    std::vector<int> rows;
    void OnEndChange(NMHDR* pNotify, LRESULT* pResult) {
        endChanges++;
        rows.push_back(((GridNotifyInfo*)pNotify)->row);
        *pResult = 0;
    }
    DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(NotifyFrame, CFrameWnd)
ON_NOTIFY(GN_ENDCHANGE, 4048, OnEndChange)
END_MESSAGE_MAP()
} // namespace

TEST(GridEditInFrame, RecordsAreReflectedAndTheGridsOwnNotificationsGoOn) {
    NotifyFrame* frame = new NotifyFrame;
    frame->m_bAutoDelete = FALSE;
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 500, 300)));
    EditGrid grid(3, 3, 1, 1);
    ASSERT_TRUE(grid.SubclassGrid(gridtest::CreateGridControl(frame->m_hWnd, 400, 200)));
    grid.SetColumnEditorKind(1, GEK_EDIT);
    frame->SetActiveView(&grid);
    grid.SetFocus();
    grid.MoveFocusTo(1, 1);
    ::SendMessageA(grid.m_hWnd, WM_CHAR, 'k', 1);
    HWND box = ::GetDlgItem(grid.m_hWnd, IDC_CELL_EDIT);
    ASSERT_NE(nullptr, box);
    // The Edit menu acts on the open box's text, not on the cells under it.
    for (UINT id : {ID_EDIT_SELECT_ALL, ID_EDIT_CUT, ID_EDIT_PASTE, ID_EDIT_PASTE})
        frame->SendMessage(WM_COMMAND, id);
    ::SendMessageA(box, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_STREQ("kk", grid.GetCellText(1, 1));
    EXPECT_EQ(1, frame->endChanges) << "the grid's own notification, not the record";
    // While a list is open the commands are greyed and change nothing.
    grid.SetColumnEditorKind(2, GEK_LIST);
    grid.BeginCellEdit(1, 2, VK_LBUTTON);
    CCmdUI selectAll;
    selectAll.m_nID = ID_EDIT_SELECT_ALL;
    selectAll.DoUpdate(frame, TRUE);
    EXPECT_FALSE(selectAll.m_bEnabled);
    frame->SendMessage(WM_COMMAND, ID_EDIT_PASTE);
    grid.SetFocus();
    EXPECT_STREQ("kk", grid.GetCellText(1, 1)) << "no paste into the focus cell";
    ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, VK_DELETE, 1);
    EXPECT_EQ(3, frame->endChanges);

    grid.DestroyWindow();
    frame->DestroyWindow();
    delete frame;
}
