// The title tip on real windows: its lines and measured line, its colours, the hover area kept
// and left, moves, clicks and keys passed on to the grid at the right place, and the grid's hover
// timer showing it with the text of the row's last column.
#include "grid_mouse_fixture.h"

namespace {

CRect WindowRect(HWND wnd) {
    CRect rc;
    ::GetWindowRect(wnd, &rc);
    return rc;
}

// Whether some pixel of the window's client area has the colour c.
bool Shows(HWND wnd, COLORREF c) {
    HDC dc = ::GetDC(wnd);
    CRect rc;
    ::GetClientRect(wnd, &rc);
    bool found = false;
    for (int y = 0; y < rc.bottom && !found; y++)
        for (int x = 0; x < rc.right && !found; x++)
            found = ::GetPixel(dc, x, y) == c;
    ::ReleaseDC(wnd, dc);
    return found;
}

MSG Msg(HWND wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG msg = {};
    msg.hwnd = wnd, msg.message = message, msg.wParam = wParam, msg.lParam = lParam;
    return msg;
}

} // namespace

class TitleTip : public gridinput::GridInputTest {
protected:
    CTitleTipWnd* tip = nullptr;
    LOGFONTA font = {};

    void SetUp() override {
        GridInputTest::SetUp();
        Build(6, 3);
        ::SetForegroundWindow(host);
        grid.SetFocus();
        tip = &grid.titleTip;
        font = *grid.GetCellFont(1, 1);
    }
    void TearDown() override {
        tip->Hide();
        GridInputTest::TearDown();
    }
    // The tip's width for a line: its extent in the font, the overhang and 5 pixels.
    int WidthFor(const char* line) {
        CClientDC dc(tip);
        CFont f;
        f.CreateFontIndirect(&font);
        HGDIOBJ old = dc.SelectObject(&f);
        TEXTMETRICA tm;
        dc.GetTextMetrics(&tm);
        int width = dc.GetTextExtent(line, (int)strlen(line)).cx + tm.tmOverhang + 5;
        dc.SelectObject(old);
        return width;
    }
    CRect Cell(int row, int col) {
        CRect rc;
        grid.GetCellBounds(row, col, &rc);
        return rc;
    }
    CPoint ToTip(CPoint p) {
        ::ClientToScreen(grid.m_hWnd, &p);
        ::ScreenToClient(tip->m_hWnd, &p);
        return p;
    }
    // The message of that kind the tip posted to the grid, with its point in grid coordinates.
    CPoint Posted(UINT message, WPARAM* wParam = nullptr) {
        MSG msg;
        if (!::PeekMessageA(&msg, grid.m_hWnd, message, message, PM_REMOVE)) return CPoint(-999, -999);
        if (wParam) *wParam = msg.wParam;
        return CPoint(msg.lParam);
    }
};

TEST_F(TitleTip, LinesWidthHeightAndColours) {
    CRect cell = Cell(2, 1);
    CPoint corner = cell.TopLeft();
    ::ClientToScreen(grid.m_hWnd, &corner);
    tip->Show(cell, "a\r\nbbbb\r\ncc", 99, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    EXPECT_EQ(tip->m_hWnd, ::GetCapture());
    EXPECT_EQ(nullptr, ::GetWindow(tip->m_hWnd, GW_OWNER));
    // 5 pixels right of the cell whatever the offset given; the width of "bbbb"; 3 cell heights.
    EXPECT_EQ(CRect(corner.x + 5, corner.y, corner.x + 5 + WidthFor("bbbb"), corner.y + 3 * cell.Height()),
              WindowRect(tip->m_hWnd));
    EXPECT_TRUE(Shows(tip->m_hWnd, RGB(0, 0, 0)));
    // A Show while up moves the hover area only.
    tip->Show(Cell(4, 2), "zzzzzzzzzzzzzzzzzzzz", 5, nullptr, &font);
    EXPECT_EQ(WidthFor("bbbb"), WindowRect(tip->m_hWnd).Width());
    CPoint a = ToTip(Cell(4, 2).TopLeft()), b = ToTip(Cell(4, 2).BottomRight());
    EXPECT_EQ(CRect(a.x, a.y, b.x, b.y), tip->GetHoverArea());
    tip->Hide();
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(nullptr, ::GetCapture());

    // The last line is never measured: "aa" is, though "bbbbbb" is longer. A minus: blue.
    tip->Show(cell, "aa\r\nb-bbbb", 5, nullptr, &font);
    EXPECT_EQ(CSize(WidthFor("aa"), 2 * cell.Height()),
              CSize(WindowRect(tip->m_hWnd).Width(), WindowRect(tip->m_hWnd).Height()));
    EXPECT_TRUE(Shows(tip->m_hWnd, RGB(0, 0, 255)));
    EXPECT_FALSE(Shows(tip->m_hWnd, RGB(255, 0, 0)));
    tip->Hide();
    // A plus wins over a minus: red.
    tip->Show(cell, "a-b+c", 5, nullptr, &font);
    EXPECT_TRUE(Shows(tip->m_hWnd, RGB(255, 0, 0)));
    EXPECT_FALSE(Shows(tip->m_hWnd, RGB(0, 0, 255)));
    tip->Hide();

    // Nothing for an empty rectangle, nor while no window has the focus.
    tip->Show(CRect(5, 5, 5, 30), "x", 5);
    EXPECT_FALSE(tip->IsWindowVisible());
    ::SetFocus(nullptr);
    tip->Show(cell, "x", 5);
    EXPECT_FALSE(tip->IsWindowVisible());
}

TEST_F(TitleTip, MovesClicksAndKeysGoOnToTheGrid) {
    // Inside the hover area, to its last pixel, the tip stays; one pixel below it goes and the
    // grid gets the move in its own coordinates.
    CRect cell = Cell(3, 2);
    tip->Show(cell, "3,2", 5, nullptr, &font);
    ASSERT_TRUE(tip->IsWindowVisible());
    FlushQueue();
    CPoint inside = ToTip(CPoint(cell.right - 1, cell.bottom - 1)),
           below = ToTip(CPoint(cell.right - 1, cell.bottom));
    ::SendMessageA(tip->m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(inside.x, inside.y));
    EXPECT_TRUE(tip->IsWindowVisible());
    ::SendMessageA(tip->m_hWnd, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(below.x, below.y));
    EXPECT_FALSE(tip->IsWindowVisible());
    EXPECT_EQ(nullptr, ::GetCapture());
    WPARAM flags = 0;
    EXPECT_EQ(CPoint(cell.right - 1, cell.bottom), Posted(WM_MOUSEMOVE, &flags));
    EXPECT_EQ((WPARAM)MK_SHIFT, flags);

    // Each button press on the tip reaches the grid at the same place.
    CRect target = Cell(4, 1);
    const CPoint at(target.left + 10, target.top + 5);
    for (UINT press : {WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_LBUTTONDOWN}) {
        tip->Show(target, "4,1", 5, nullptr, &font);
        FlushQueue();
        CPoint p = ToTip(at);
        MSG down = Msg(tip->m_hWnd, press, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        EXPECT_TRUE(AfxPreTranslateMessage(&down));
        EXPECT_FALSE(tip->IsWindowVisible());
        EXPECT_EQ(at, Posted(press)) << press;
    }
    Click(at);
    EXPECT_EQ(CCellPos(4, 1), grid.GetFocusCell()) << "the press is the grid's own click";

    // A key goes to the tip first, which hides and passes it back to the grid.
    tip->Show(Cell(2, 2), "2,2", 5, nullptr, &font);
    FlushQueue();
    MSG key = Msg(grid.m_hWnd, WM_KEYDOWN, VK_DOWN, 1);
    EXPECT_TRUE(AfxPreTranslateMessage(&key));
    EXPECT_FALSE(tip->IsWindowVisible());
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, grid.m_hWnd, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
    EXPECT_EQ((WPARAM)VK_DOWN, msg.wParam);
    EXPECT_FALSE(AfxPreTranslateMessage(&key)) << "with the tip down, keys are the grid's";

    // With no focus in the application, anything for the tip hides it and is dropped.
    tip->Show(Cell(2, 2), "2,2", 5, nullptr, &font);
    ::SetFocus(nullptr);
    MSG any = Msg(tip->m_hWnd, WM_MOUSEWHEEL, 0, 0);
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
    EXPECT_EQ(screen.left + text.left + 5, WindowRect(tip->m_hWnd).left);
    EXPECT_EQ(WidthFor("last+column"), WindowRect(tip->m_hWnd).Width()) << "not the text under the pointer";
    EXPECT_TRUE(Shows(tip->m_hWnd, RGB(255, 0, 0)));
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_FALSE(tip->IsWindowVisible());

    // The debugger's setting: no tip.
    grid.EnableTitleTips(FALSE);
    Move(rest);
    for (int i = 0; i < 6; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, grid.hoverTimer, 0);
    EXPECT_FALSE(tip->IsWindowVisible());
}

TEST_F(TitleTip, NoTipWhileAButtonIsDownAndKeysOrCaptureElsewhereHideIt) {
    CPoint rest = CellPoint(3, 1), corner = ToScreen(Client()).TopLeft();
    ASSERT_TRUE(::SetCursorPos(corner.x + rest.x, corner.y + rest.y));
    Click(rest);
    grid.edits.clear();
    Down(rest); // on the focus cell: its release opens the editor
    for (int i = 0; i < 7; i++)
        ::SendMessageA(grid.m_hWnd, WM_TIMER, grid.hoverTimer, 0);
    // The release goes where the system sends it: to the window holding the mouse.
    HWND capture = ::GetCapture();
    ::SendMessageA(capture != nullptr ? capture : grid.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(rest.x, rest.y));
    EXPECT_EQ(1u, grid.edits.size());
    // A key taken from the queue for another window of the thread, or the capture taken, hides it.
    MSG msg;
    for (int way = 0; way < 2; way++) {
        tip->Show(Cell(2, 2), "2,2", 5, nullptr, &font);
        ASSERT_TRUE(tip->IsWindowVisible());
        if (way == 0 && ::PostMessageA(host, WM_KEYDOWN, 'A', 1))
            ::PeekMessageA(&msg, host, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
        else
            ::SetCapture(host);
        EXPECT_FALSE(tip->IsWindowVisible()) << way;
    }
}
