// The grid's clipboard on the real OLE clipboard: the bytes Copy puts there (read back as another
// program reads them, and as Unicode text for Korean), Cut on editable and read-only cells, the
// paste tokens (commas, collapsed delimiters, CR LF, a trailing LF, text without a NUL, clipping
// at the grid's edge), the cells paste starts at, the grid-wide editable switch, and the older
// shortcuts.
#include "grid_mouse_fixture.h"

#include <cstring>
#include <string>

using gridinput::HeldKeys;
using gridtest::NotifyLog;

namespace {

// Text on the clipboard as another program puts it there: exactly these bytes, no NUL added.
bool PutClipboardBytes(const std::string& bytes) {
    if (!::OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h != nullptr) {
        std::memcpy(::GlobalLock(h), bytes.data(), bytes.size());
        ::GlobalUnlock(h);
        if (!::SetClipboardData(CF_TEXT, h)) ::GlobalFree(h);
    }
    ::CloseClipboard();
    return h != nullptr;
}

// The whole block of a clipboard format, as another program reads it.
std::string ClipboardBytes(UINT format = CF_TEXT) {
    std::string bytes = "<no clipboard>";
    if (!::OpenClipboard(nullptr)) return bytes;
    bytes = "<no data>";
    HANDLE h = ::GetClipboardData(format);
    if (h != nullptr) {
        const char* p = (const char*)::GlobalLock(h);
        bytes.assign(p, ::GlobalSize(h));
        ::GlobalUnlock(h);
    }
    ::CloseClipboard();
    return bytes;
}

class GridClipboard : public gridtest::GridWindowTest {
protected:
    // 4 body rows and 3 body columns under a heading row and column; cell (r, c) holds "r,c".
    void SetUp() override {
        grid.SetNumRows(5);
        grid.SetNumColumns(4);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        Attach(400, 200);
        for (int r = 0; r < 5; r++)
            for (int c = 0; c < 4; c++) {
                char text[16];
                std::snprintf(text, sizeof text, "%d,%d", r, c);
                grid.SetCellText(r, c, text);
            }
    }
    std::string Cell(int r, int c) const { return (LPCTSTR)grid.GetCellText(r, c); }
    void Select(int r, int c) { grid.SetCellState(r, c, grid.GetCellState(r, c) | CELL_SELECTED); }
    void Command(UINT id) { ::SendMessageA(grid.m_hWnd, WM_COMMAND, id, 0); }
};

} // namespace

TEST_F(GridClipboard, CopyWritesTheSelectionsRectangleAsTabbedLines) {
    grid.SetCellText(1, 1, "a");
    grid.SetCellText(1, 2, "");
    grid.SetCellText(2, 1, "b");
    grid.SetCellText(2, 2, "c");
    Select(1, 1);
    Select(1, 2);
    Select(2, 2);
    Command(ID_EDIT_COPY);
    EXPECT_EQ(std::string("a\t \n\tc\0", 7), ClipboardBytes()) << "no CR, one NUL, the block trimmed";

    // Through OLE the same bytes; and no other format than text is offered.
    COleDataObject data;
    ASSERT_TRUE(data.AttachClipboard());
    EXPECT_TRUE(data.IsDataAvailable(CF_TEXT));
    EXPECT_FALSE(data.IsDataAvailable(CF_BITMAP));
    HGLOBAL h = data.GetGlobalData(CF_TEXT);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(std::string("a\t \n\tc", 6), std::string((const char*)::GlobalLock(h)));
    ::GlobalUnlock(h);
    ::GlobalFree(h);
    data.Release();

    // Heading cells count like any other; Korean text reaches Unicode readers intact.
    grid.ClearSelection();
    grid.SetCellText(0, 1, "이름");
    grid.SetCellText(1, 1, "한글 값");
    Select(0, 1);
    Select(1, 1);
    Command(ID_EDIT_COPY);
    EXPECT_EQ(std::string("이름\n한글 값\0", 1 + std::strlen("이름\n한글 값")), ClipboardBytes());
    const std::string unicode = ClipboardBytes(CF_UNICODETEXT);
    const wchar_t expected[] = L"\xC774\xB984\n\xD55C\xAE00 \xAC12";
    ASSERT_GE(unicode.size(), sizeof expected - sizeof(wchar_t));
    EXPECT_EQ(0, std::memcmp(unicode.data(), expected, sizeof expected - sizeof(wchar_t)));
}

TEST_F(GridClipboard, CopyOfNothingLeavesTheClipboardAndNotEditableStillCopies) {
    ASSERT_TRUE(PutClipboardBytes(std::string("keep\0", 5)));
    grid.ClearSelection();
    Command(ID_EDIT_COPY);
    EXPECT_FALSE(grid.CopySelection() || grid.LastCopyFailed()) << "nothing to copy is no failure";
    Command(ID_EDIT_CUT);
    EXPECT_EQ(std::string("keep\0", 5), ClipboardBytes());

    grid.SetEditable(FALSE);
    Select(3, 3);
    Command(ID_EDIT_CUT);
    EXPECT_EQ(std::string("keep\0", 5), ClipboardBytes())
        << "Cut does nothing in a grid that is not editable";
    Command(ID_EDIT_COPY);
    EXPECT_EQ(std::string("3,3\0", 4), ClipboardBytes());
    grid.MoveFocusTo(1, 1);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("1,1", Cell(1, 1)) << "nor does Paste";
    EXPECT_EQ("3,3", Cell(3, 3));
}

TEST_F(GridClipboard, CutCopiesEverythingAndClearsOnlyTheEditableCells) {
    grid.SetCellState(1, 2, CELL_READONLY);
    grid.SelectSpan(1, 1, 1, 2, FALSE);
    NotifyLog().clear();
    Command(ID_EDIT_CUT);
    EXPECT_EQ(std::string("1,1\t1,2\0", 8), ClipboardBytes());
    EXPECT_EQ("", Cell(1, 1));
    EXPECT_EQ("1,2", Cell(1, 2)) << "a read-only cell is copied, not cleared";
    EXPECT_EQ((UINT)CELL_CHANGED, grid.GetCellState(1, 1));
    ASSERT_EQ(2u, NotifyLog().size());
    EXPECT_EQ(GN_BEGINCHANGE, NotifyLog()[0].code);
    EXPECT_EQ(GN_ENDCHANGE, NotifyLog()[1].code);

    // Cells selected one at a time, in no order: cut row by row, left to right.
    grid.ClearSelection();
    for (CCellPos cell : {CCellPos(3, 2), CCellPos(2, 3), CCellPos(2, 1), CCellPos(3, 1)})
        Select(cell.row, cell.col);
    NotifyLog().clear();
    Command(ID_EDIT_CUT);
    std::string order;
    for (const gridtest::NotifyRecord& n : NotifyLog())
        if (n.code == GN_BEGINCHANGE) order += std::to_string(n.row) + "," + std::to_string(n.col) + " ";
    EXPECT_EQ("2,1 2,3 3,1 3,2 ", order);
}

// The clipboard held open elsewhere refuses the text: a Cut then erases nothing.
TEST_F(GridClipboard, ACutTheClipboardRefusedLeavesTheCells) {
    grid.SelectSpan(1, 1, 1, 2, FALSE);
    ASSERT_TRUE(::OpenClipboard(nullptr));
    Command(ID_EDIT_CUT);
    EXPECT_TRUE(!grid.CopySelection() && grid.LastCopyFailed()) << "the owner can tell a copy failed";
    ::CloseClipboard();
    EXPECT_EQ("1,1", Cell(1, 1));
    EXPECT_EQ("1,2", Cell(1, 2));
    EXPECT_EQ((UINT)CELL_SELECTED, grid.GetCellState(1, 1) & (CELL_SELECTED | CELL_CHANGED));
}

TEST_F(GridClipboard, PasteSplitsAtCommasTabsAndLineFeedsIntoCellsFromTheFocus) {
    ASSERT_TRUE(PutClipboardBytes(std::string("x,y\n\na\t\tb\r\n  c  ,d\n\0", 21)));
    Select(1, 1);
    grid.MoveFocusTo(1, 1);
    grid.MarkChanged(FALSE);
    NotifyLog().clear();
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("x", Cell(1, 1));
    EXPECT_EQ("y", Cell(1, 2));
    EXPECT_EQ("1,3", Cell(1, 3));
    EXPECT_EQ("", Cell(2, 1)) << "an empty line writes one empty cell";
    EXPECT_EQ("2,2", Cell(2, 2));
    EXPECT_EQ("a", Cell(3, 1));
    EXPECT_EQ("b", Cell(3, 2)) << "runs of delimiters count as one, and the CR goes";
    EXPECT_EQ("c", Cell(4, 1));
    EXPECT_EQ("d", Cell(4, 2));
    EXPECT_EQ((UINT)(CELL_CHANGED | CELL_FOCUSED), grid.GetCellState(1, 1)) << "unselected and changed";
    EXPECT_TRUE(grid.IsChanged());
    ASSERT_EQ(14u, NotifyLog().size()) << "a begin and an end for each of 7 cells";
    EXPECT_EQ(GN_BEGINCHANGE, NotifyLog()[12].code);
    EXPECT_EQ(4, NotifyLog()[13].row);
    EXPECT_EQ(2, NotifyLog()[13].col);
}

TEST_F(GridClipboard, PasteNearTheCornerDropsWhatFallsOutside) {
    ASSERT_TRUE(PutClipboardBytes("p,q\nr")); // no NUL: the block's size ends the text
    grid.SetCellState(4, 3, 0);
    grid.MoveFocusTo(4, 3);
    grid.SetCellState(4, 2, CELL_READONLY);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("p", Cell(4, 3));
    EXPECT_EQ(5, grid.GetNumRows());
    EXPECT_EQ(4, grid.GetNumColumns());

    // Only the start cell must be editable.
    ASSERT_TRUE(PutClipboardBytes(std::string("s,t\0", 4)));
    grid.MoveFocusTo(4, 1);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("s", Cell(4, 1));
    EXPECT_EQ("t", Cell(4, 2));
    grid.SetCellState(3, 1, CELL_READONLY);
    grid.MoveFocusTo(3, 1);
    COleDataObject data;
    ASSERT_TRUE(data.AttachClipboard());
    EXPECT_FALSE(grid.PasteTextAt(3, 1, &data));
    EXPECT_FALSE(grid.PasteTextAt(9, 9, &data));
    EXPECT_EQ("3,1", Cell(3, 1));
}

TEST_F(GridClipboard, PasteWithoutAFocusStartsAtTheFirstShownScrollingCell) {
    ASSERT_TRUE(PutClipboardBytes(std::string("first\0", 6)));
    for (int r = 0; r < 5; r++)
        grid.SetRowHeight(r, 60);
    grid.RefreshLayout();
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    CCellPos top = grid.GetFirstScrolledCell();
    ASSERT_EQ(CCellPos(2, 1), top);
    Command(ID_EDIT_PASTE);
    EXPECT_EQ("first", Cell(2, 1));
    EXPECT_EQ("1,1", Cell(1, 1));
}

TEST_F(GridClipboard, TheOlderShortcutsCopyPasteAndCut) {
    grid.SetCellText(2, 2, "p");
    grid.SetCellText(2, 3, "q");
    grid.SetCellText(1, 3, "r");
    grid.MoveFocusTo(2, 2);
    grid.SelectSpan(2, 2, 2, 3, FALSE);
    {
        HeldKeys ctrl({VK_CONTROL});
        ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, VK_INSERT, 1);
    }
    EXPECT_EQ(std::string("p\tq\0", 4), ClipboardBytes());
    grid.MoveFocusTo(3, 1);
    {
        HeldKeys shift({VK_SHIFT});
        ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, VK_INSERT, 1);
    }
    EXPECT_EQ("p", Cell(3, 1));
    EXPECT_EQ("q", Cell(3, 2));
    grid.ClearSelection();
    grid.SelectSpan(1, 3, 1, 3, FALSE);
    grid.MoveFocusTo(4, 1);
    {
        HeldKeys shift({VK_SHIFT});
        ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, VK_DELETE, 1);
    }
    EXPECT_EQ(std::string("r\0", 2), ClipboardBytes());
    EXPECT_EQ("", Cell(1, 3));
    EXPECT_EQ("4,1", Cell(4, 1)) << "Shift+Delete cuts; it does not clear the focus cell";
    BYTE none[256] = {};
    ::SetKeyboardState(none);
}
