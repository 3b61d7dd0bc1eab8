// The title tip on real windows: the lines and the measured line, the colours, the hover area
// kept and left, moves, clicks and keys passed on to the grid at the right place, and the grid's
// hover timer showing it over a scrolling cell with the text of the row's last column.
#include "grid_mouse_fixture.h"

using gridinput::GridInputTest;

namespace {

// The client rectangle of a window in screen coordinates.
CRect ScreenRect(HWND wnd) {
    CRect rc;
    ::GetWindowRect(wnd, &rc);
    return rc;
}

// Whether some pixel of the tip's client area has the colour c.
bool TipShows(HWND tip, COLORREF c) {
    HDC dc = ::GetDC(tip);
    CRect rc;
    ::GetClientRect(tip, &rc);
    bool found = false;
    for (int y = 0; y < rc.bottom && !found; y++)
        for (int x = 0; x < rc.right && !found; x++)
            found = ::GetPixel(dc, x, y) == c;
    ::ReleaseDC(tip, dc);
    return found;
}

MSG Message(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = wnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
}

// Takes a message of the given kind posted to wnd out of the queue; FALSE when there is none.
bool TakePosted(HWND wnd, UINT message, MSG* msg) {
    return ::PeekMessageA(msg, wnd, message, message, PM_REMOVE | PM_NOYIELD) != 0;
}

} // namespace

class TitleTip : public GridInputTest {
protected:
    CTitleTipWnd* tip = nullptr;
    LOGFONTA font = {};

    void SetUp() override {
        GridInputTest::SetUp();
        Build(6, 3);
        ::SetForegroundWindow(host);
        grid.SetFocus();
        tip = &grid.titleTip;
        ASSERT_TRUE(::IsWindow(tip->m_hWnd));
        font = *grid.GetCellFont(1, 1);
    }
    void TearDown() override {
        tip->Hide();
        GridInputTest::TearDown();
    }
    // The width the tip takes for a line: its extent in the font, the overhang and 5 pixels.
    int WidthFor(const char* line) {
        HDC dc = ::GetDC(tip->m_hWnd);
        HFONT f = ::CreateFontIndirectA(&font);
        HGDIOBJ old = ::SelectObject(dc, f);
        SIZE size;
        ::GetTextExtentPoint32A(dc, line, (int)strlen(line), &size);
        TEXTMETRICA tm;
        ::GetTextMetricsA(dc, &tm);
        ::SelectObject(dc, old);
        ::DeleteObject(f);
        ::ReleaseDC(tip->m_hWnd, dc);
        return size.cx + tm.tmOverhang + 5;
    }
    CRect CellRect(int row, int col) {
        CRect rc;
        grid.GetCellBounds(row, col, &rc);
        return rc;
    }
    CRect GridToTip(CRect r) {
        CPoint a = GridToTip(r.TopLeft()), b = GridToTip(r.BottomRight());
        return CRect(a.x, a.y, b.x, b.y);
    }
    CPoint GridToTip(CPoint p) {
        ::ClientToScreen(grid.m_hWnd, &p);
        ::ScreenToClient(tip->m_hWnd, &p);
        return p;
    }
};

TEST_F(TitleTip, LinesAreSplitAtCrLfAndTheLongestEndedLineIsMeasured) {
    CRect cell = CellRect(2, 1);
    CRect screenCell = cell;
    ::ClientToScreen(grid.m_hWnd, (LPPOINT)&screenCell.left);
    const int lineHeight = cell.bottom - cell.top;

    tip->Show(cell, "a\r\nbbbb\r\ncc", 5, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->m_hWnd, ::GetCapture());
    CRect rc = ScreenRect(tip->m_hWnd);
    EXPECT_EQ(screenCell.left + 5, rc.left) << "5 pixels right of the cell, whatever the offset given";
    EXPECT_EQ(screenCell.top, rc.top);
    EXPECT_EQ(WidthFor("bbbb"), rc.Width());
    EXPECT_EQ(3 * lineHeight, rc.Height());
    EXPECT_EQ(NULL, ::GetWindow(tip->m_hWnd, GW_OWNER));
    EXPECT_TRUE(TipShows(tip->m_hWnd, RGB(0, 0, 0)));

    // A Show while up changes the hover area only.
    CRect other = CellRect(4, 2);
    tip->Show(other, "zzzzzzzzzzzzzzzzzzzz", 5, nullptr, &font);
    EXPECT_EQ(rc, ScreenRect(tip->m_hWnd));
    EXPECT_EQ(GridToTip(other), tip->GetHoverArea());

    tip->Hide();
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(NULL, ::GetCapture());

    // The last line is never the measured one: "aa" is, though "bbbbbb" is longer.
    tip->Show(cell, "aa\r\nbbbbbb", 5, nullptr, &font);
    rc = ScreenRect(tip->m_hWnd);
    EXPECT_EQ(WidthFor("aa"), rc.Width());
    EXPECT_EQ(2 * lineHeight, rc.Height());
    tip->Hide();

    // Nothing for an empty rectangle, nor without the focus.
    tip->Show(CRect(5, 5, 5, 30), "x", 5);
    EXPECT_FALSE(tip->IsWindowVisible());
    ::SetFocus(nullptr);
    tip->Show(cell, "x", 5);
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(NULL, ::GetCapture());
}

TEST_F(TitleTip, PlusShowsRedAndMinusBlue) {
    CRect cell = CellRect(1, 1);
    tip->Show(cell, "x-1", 5, nullptr, &font);
    EXPECT_TRUE(TipShows(tip->m_hWnd, RGB(0, 0, 255)));
    EXPECT_FALSE(TipShows(tip->m_hWnd, RGB(255, 0, 0)));
    tip->Hide();
    tip->Show(cell, "a-b+c", 5, nullptr, &font);
    EXPECT_TRUE(TipShows(tip->m_hWnd, RGB(255, 0, 0)));
    EXPECT_FALSE(TipShows(tip->m_hWnd, RGB(0, 0, 255)));
}

TEST_F(TitleTip, AMoveOutsideTheHoverAreaHidesItAndReachesTheGrid) {
    CRect cell = CellRect(3, 2);
    tip->Show(cell, "3,2", 5, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    FlushQueue();

    // Inside the hover area, to its last pixel, the tip stays.
    CPoint inside = GridToTip(CPoint(cell.right - 1, cell.bottom - 1));
    ::SendMessageA(tip->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_TRUE(tip->IsWindowVisible());

    // One pixel below: it goes, and the grid gets the move in its own coordinates.
    CPoint outside = GridToTip(CPoint(cell.right - 1, cell.bottom));
    ::SendMessageA(tip->m_hWnd, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(outside.x, outside.y));
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(NULL, ::GetCapture());
    MSG msg;
    ASSERT_TRUE(TakePosted(grid.m_hWnd, WM_MOUSEMOVE, &msg));
    EXPECT_EQ((WPARAM)MK_SHIFT, msg.wParam);
    EXPECT_EQ(cell.right - 1, (short)LOWORD(msg.lParam));
    EXPECT_EQ(cell.bottom, (short)HIWORD(msg.lParam));
}

TEST_F(TitleTip, AClickOnTheTipReachesTheGridAtTheSamePlace) {
    CRect cell = CellRect(4, 1);
    const UINT presses[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
    for (UINT press : presses) {
        tip->Show(cell, "4,1", 5, nullptr, &font);
        ASSERT_TRUE(tip->IsWindowVisible());
        FlushQueue();
        CPoint at = GridToTip(CPoint(cell.left + 10, cell.top + 5));
        MSG down = Message(tip->m_hWnd, press, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        EXPECT_TRUE(AfxPreTranslateMessage(&down)) << "the tip takes the press";
        EXPECT_FALSE(tip->IsWindowVisible());
        MSG msg;
        ASSERT_TRUE(TakePosted(grid.m_hWnd, press, &msg)) << press;
        EXPECT_EQ(cell.left + 10, (short)LOWORD(msg.lParam));
        EXPECT_EQ(cell.top + 5, (short)HIWORD(msg.lParam));
        if (press == WM_LBUTTONDOWN) {
            // Handled, the press is the grid's own click on that cell.
            ::DispatchMessageA(&msg);
            EXPECT_EQ(CCellPos(4, 1), grid.GetFocusCell());
            Up(CPoint(cell.left + 10, cell.top + 5));
        }
    }
}

TEST_F(TitleTip, AKeyHidesItAndGoesToTheGrid) {
    tip->Show(CellRect(2, 2), "2,2", 5, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    FlushQueue();
    MSG key = Message(grid.m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(AfxPreTranslateMessage(&key));
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(NULL, ::GetCapture());
    MSG msg;
    ASSERT_TRUE(TakePosted(grid.m_hWnd, WM_KEYDOWN, &msg));
    EXPECT_EQ((WPARAM)VK_DOWN, msg.wParam);
    // With the tip down, keys are the grid's as always.
    EXPECT_FALSE(AfxPreTranslateMessage(&key));

    // While no window of the application has the focus, anything for the tip hides it unseen.
    tip->Show(CellRect(2, 2), "2,2", 5, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    ::SetFocus(nullptr);
    MSG any = Message(tip->m_hWnd, WM_MOUSEWHEEL, 0, 0);
    EXPECT_TRUE(AfxPreTranslateMessage(&any));
    EXPECT_FALSE(tip->IsWindowVisible());
}

TEST_F(TitleTip, TheHoverTimerShowsTheRowsLastColumnAndScrollingHidesIt) {
    grid.SetCellText(3, 3, "last+column");
    CPoint rest = CellPoint(3, 1);
    CRect screen = ToScreen(Client());
    ASSERT_TRUE(::SetCursorPos(screen.left + rest.x, screen.top + rest.y));
    FlushQueue();
    Move(rest);
    for (int i = 0; i < 6; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, grid.hoverTimer, 0);
    ASSERT_TRUE(tip->IsWindowVisible()) << "six ticks of rest over a scrolling cell";
    CRect text;
    grid.GetCellTextBounds(3, 1, &text);
    CRect rc = ScreenRect(tip->m_hWnd);
    EXPECT_EQ(screen.left + text.left + 5, rc.left);
    EXPECT_EQ(WidthFor("last+column"), rc.Width()) << "the row's last column, not the one under the pointer";
    EXPECT_TRUE(TipShows(tip->m_hWnd, RGB(255, 0, 0)));
    EXPECT_EQ(0, grid.hoverTicks);

    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_FALSE(tip->IsWindowVisible());

    // The debugger's setting: no tip at all.
    grid.EnableTitleTips(FALSE);
    Move(rest);
    for (int i = 0; i < 6; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, grid.hoverTimer, 0);
    EXPECT_FALSE(tip->IsWindowVisible());
}
