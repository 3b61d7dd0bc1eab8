// The trace grid as it appears on the screen: the real debugger is fed records and clicked from
// this process, and its grid is read back from the display, pixel by pixel, at the places whose
// colours are fixed: the heading row and its edges, the frame, the grid lines, the indentation
// and margins of the text, and the look of the selected row and the focused cell.
#include "e2e_fixture.h"
#include "e2e_input.h"

#include <string>
#include <vector>

using e2e::KIND_ENTER;
using e2e::KIND_LEAVE;
using e2e::KIND_TRACE;

namespace {

constexpr COLORREF kHeadingFill = RGB(169, 206, 208);
constexpr COLORREF kHeadingEdge = RGB(95, 152, 155);
constexpr COLORREF kFrame = RGB(27, 20, 100);
constexpr COLORREF kGridLine = RGB(198, 215, 215);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kSelection = RGB(255, 248, 231);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr int kRowHeight = 20;

// A picture of a window's client area as the display shows it.
struct Shot {
    int w = 0;
    int h = 0;
    std::vector<COLORREF> px;
    COLORREF At(int x, int y) const {
        return x >= 0 && y >= 0 && x < w && y < h ? px[y * w + x] : CLR_INVALID;
    }
    bool operator==(const Shot& o) const { return w == o.w && h == o.h && px == o.px; }
};

// Copies the client area from the screen, as a screenshot does.
Shot Capture(HWND wnd) {
    Shot shot;
    RECT rc = {0, 0, 0, 0};
    POINT origin = {0, 0};
    if (!GetClientRect(wnd, &rc) || !ClientToScreen(wnd, &origin)) return shot;
    const int w = rc.right, h = rc.bottom;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h; // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bmp != nullptr) {
        HGDIOBJ old = SelectObject(mem, bmp);
        if (BitBlt(mem, 0, 0, w, h, screen, origin.x, origin.y, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            shot.w = w;
            shot.h = h;
            shot.px.resize(static_cast<size_t>(w) * h);
            for (size_t i = 0; i < shot.px.size(); ++i)
                shot.px[i] = RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF);
        }
        SelectObject(mem, old);
        DeleteObject(bmp);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return shot;
}

// Text pixels, anti-aliased edges included; every background and line colour is lighter.
bool Dark(COLORREF c) {
    return c != CLR_INVALID && GetRValue(c) < 170 && GetGValue(c) < 170 && GetBValue(c) < 170;
}

class ScreenTest : public DebuggerTest {
protected:
    HWND Grid() const { return dbg.Item(e2e::GRID_CONTROL_ID); }

    // The grid once everything sent so far is handled and on the display: the program draws
    // while it handles a record, and the display gets the picture when the program goes idle,
    // so two equal pictures in a row are the settled one.
    Shot Settled() {
        EXPECT_TRUE(dbg.Sync());
        Shot last = Capture(Grid());
        e2e::WaitUntil(
            [&] {
                Sleep(50);
                Shot next = Capture(Grid());
                const bool same = next == last;
                last = std::move(next);
                return same;
            },
            5000);
        EXPECT_GT(last.w, 0) << "the grid could not be read from the screen";
        return last;
    }

    // The x of every vertical grid line, read in the top pixel row of the first trace row
    // (above its text): the columns' right edges.
    static std::vector<int> ColumnLines(const Shot& s) {
        std::vector<int> xs;
        for (int x = 1; x < s.w - 1; ++x)
            if (s.At(x, kRowHeight + 1) == kGridLine) xs.push_back(x);
        return xs;
    }

    // The leftmost dark (text) pixel in the band of trace row n (0 = the first), between
    // x = from and x = to; -1 when the band has no text there.
    static int FirstInk(const Shot& s, int n, int from, int to) {
        const int top = kRowHeight * (n + 1);
        for (int x = from; x < to; ++x)
            for (int y = top + 2; y < top + kRowHeight - 1; ++y)
                if (Dark(s.At(x, y))) return x;
        return -1;
    }

    bool Click(int x, int y, HWND to = nullptr) const {
        HWND g = to ? to : Grid();
        return PostMessageA(g, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)) &&
               PostMessageA(g, WM_LBUTTONUP, 0, MAKELPARAM(x, y)) && dbg.Sync() && dbg.Sync();
    }
};

} // namespace

TEST_F(ScreenTest, HeadingFrameLinesAndIndentedTrace) {
    ASSERT_EQ(TRUE, StartSession("77", IDOK));
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "Outer|a"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Inner|hello"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|secret"));
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "Outer|done"));
    const Shot s = Settled();
    ASSERT_GT(s.w, 200);
    ASSERT_GT(s.h, 6 * kRowHeight);

    // The last column may end under the frame.
    const std::vector<int> lines = ColumnLines(s);
    ASSERT_GE(lines.size(), 2u) << "the right edges of the columns";
    const int col1 = lines[0] + 1, col2 = lines[1] + 1;

    // The heading row: the dialog's heading colour, its edges in the colour that goes with it
    // (bottom edge on the row's second last pixel row, the left edge of the later columns one
    // pixel left of the column), the frame over the top edge and the first column's left edge.
    EXPECT_EQ(kHeadingFill, s.At(col2 + 30, 8));
    EXPECT_EQ(kHeadingEdge, s.At(col2 + 30, kRowHeight - 2));
    EXPECT_EQ(kHeadingEdge, s.At(col2 - 1, 8));
    EXPECT_EQ(kHeadingEdge, s.At(col1 - 1, 8));
    EXPECT_EQ(kFrame, s.At(0, 8));
    EXPECT_EQ(kFrame, s.At(col2 + 30, 0));

    // The frame along the other edges, over the rows and below them.
    EXPECT_EQ(kFrame, s.At(s.w - 1, kRowHeight + 5));
    EXPECT_EQ(kFrame, s.At(s.w - 1, s.h / 2));
    EXPECT_EQ(kFrame, s.At(s.w / 2, s.h - 1));
    EXPECT_EQ(kFrame, s.At(0, s.h - 2));

    // Grid lines on every row's last pixel row, right across the three columns and over text.
    for (int n = 1; n <= 4; ++n)
        for (int x : {3, col1 + 2, col2 + 5, s.w - 3})
            EXPECT_EQ(kGridLine, s.At(x, kRowHeight * (n + 1) - 1)) << "row " << n << ", x " << x;
    // Below the four rows: the dialog's white, no lines.
    for (int x : {3, col1 + 2, col2 + 5, s.w - 3})
        EXPECT_EQ(kWhite, s.At(x, 5 * kRowHeight + 10)) << "x " << x;

    // Left-aligned text 5 pixels into the cell; the nested record indented by a call level;
    // the leave record back at the outer level.
    const int outer = FirstInk(s, 0, 1, col1 - 1);
    const int inner = FirstInk(s, 1, 1, col1 - 1);
    const int masked = FirstInk(s, 2, 1, col1 - 1);
    const int leave = FirstInk(s, 3, 1, col1 - 1);
    EXPECT_GE(outer, 5);
    EXPECT_LE(outer, 8);
    EXPECT_GE(inner, outer + 10) << "five spaces of indentation";
    EXPECT_EQ(inner, masked);
    EXPECT_EQ(outer, leave);
    // The delay and detail columns' text starts 5 pixels in as well.
    for (int n = 0; n < 4; ++n) {
        const int delay = FirstInk(s, n, col1, col2 - 1);
        const int detail = FirstInk(s, n, col2, s.w - 1);
        EXPECT_GE(delay, col1 + 5) << "row " << n + 1;
        EXPECT_LE(delay, col1 + 8) << "row " << n + 1;
        EXPECT_GE(detail, col2 + 5) << "row " << n + 1;
        EXPECT_LE(detail, col2 + 8) << "row " << n + 1;
    }
}

TEST_F(ScreenTest, ClickedRowIsSelectedAroundTheFocusedCell) {
    for (int i = 1; i <= 3; ++i)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, "F" + std::to_string(i) + "|d"));
    const Shot before = Settled();
    const std::vector<int> lines = ColumnLines(before);
    ASSERT_GE(lines.size(), 2u);
    const int col1 = lines[0] + 1, col2 = lines[1] + 1;
    const int rowTop = 2 * kRowHeight; // the second trace row

    // A click in the detail column of the second row selects the row and focuses the cell.
    ASSERT_TRUE(Click(col2 + 40, rowTop + 10));
    const Shot s = Settled();
    // The other cells of the row: the selection colour, from the cell's first pixel.
    EXPECT_EQ(kSelection, s.At(1, rowTop + 1));
    EXPECT_EQ(kSelection, s.At(col1 - 2, rowTop + 1));
    EXPECT_EQ(kSelection, s.At(col1 + 2, rowTop + 1));
    // The focused cell: its own white background inside a black one-pixel rectangle.
    EXPECT_EQ(kBlack, s.At(col2, rowTop + 5));
    EXPECT_EQ(kBlack, s.At(col2 + 40, rowTop));
    EXPECT_EQ(kBlack, s.At(col2 + 40, rowTop + kRowHeight - 2));
    EXPECT_EQ(kWhite, s.At(col2 + 2, rowTop + 2));
    // The rows around it are not selected.
    EXPECT_EQ(kWhite, s.At(col1 - 2, rowTop - kRowHeight + 1));
    EXPECT_EQ(kWhite, s.At(col1 - 2, rowTop + kRowHeight + 1));

    // A click on the third row moves both; the second row is drawn as before the first click.
    ASSERT_TRUE(Click(col2 + 40, rowTop + kRowHeight + 10));
    const Shot after = Settled();
    for (int x : {1, col1 - 2, col1 + 2, col2, col2 + 2, col2 + 40})
        for (int y : {rowTop, rowTop + 1, rowTop + 5, rowTop + kRowHeight - 2})
            EXPECT_EQ(before.At(x, y), after.At(x, y)) << "x " << x << ", y " << y;
    EXPECT_EQ(kSelection, after.At(1, rowTop + kRowHeight + 1));
    EXPECT_EQ(kBlack, after.At(col2, rowTop + kRowHeight + 5));
}

TEST_F(ScreenTest, StreamedTraceKeepsTheNewestRowInView) {
    const int records = 120;
    for (int i = 1; i <= records; ++i)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, (i == records ? "WWWWWWWWWWWW|last" : "s|step")));
    const Shot s = Settled();
    // The heading row stays at the top and the rows fill the grid down to its bottom edge, each
    // whole one with its grid line. The widest name, the last record's, is in the lowest row
    // shown.
    EXPECT_EQ(kHeadingFill, s.At(s.w / 2, 8));
    const int bands = (s.h - 1 - kRowHeight + kRowHeight - 1) / kRowHeight;
    ASSERT_GT(bands, 3);
    int widest = -1, widestInk = 0, secondInk = 0, lowestInked = -1;
    for (int n = 0; n < bands; ++n) {
        const int top = kRowHeight * (n + 1);
        if (top + kRowHeight < s.h - 1) {
            EXPECT_EQ(kGridLine, s.At(3, top + kRowHeight - 1)) << "row " << n;
        }
        int ink = 0;
        for (int y = top + 2; y < top + kRowHeight - 1 && y < s.h - 1; ++y)
            for (int x = 1; x < 80; ++x)
                ink += Dark(s.At(x, y));
        if (ink > 0) lowestInked = n;
        if (ink > widestInk) {
            secondInk = widestInk;
            widestInk = ink;
            widest = n;
        } else if (ink > secondInk) {
            secondInk = ink;
        }
    }
    EXPECT_GE(lowestInked, bands - 2) << "the rows do not reach the bottom edge";
    EXPECT_EQ(lowestInked, widest) << "the last record is not the lowest row shown";
    EXPECT_GT(widestInk, 2 * secondInk);

    // The newest row is drawn whole: its own bottom grid line shows above the frame's bottom
    // edge, and it stays so once the stream has stopped.
    const int lastLine = kRowHeight * (lowestInked + 2) - 1;
    EXPECT_LT(lastLine, s.h - 1) << "the newest row is cut by the bottom edge";
    EXPECT_EQ(kGridLine, s.At(3, lastLine));
    Sleep(500);
    EXPECT_TRUE(Settled() == s) << "the picture changed after the stream stopped";
}

TEST_F(ScreenTest, ScrolledAwayTheRowsStayWhileTheTraceGrowsAndCtrlEndFollowsAgain) {
    // Text selected in the detail box keeps the focus while records scroll the grid.
    HWND edit = dbg.Item(e2e::DETAIL_CONTROL_ID);
    ASSERT_TRUE(dbg.SetDetailText("selected text") && Click(5, 5, edit));
    SendMessageA(edit, EM_SETSEL, 0, 8);
    for (int i = 1; i <= 120; ++i)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, "r|row " + std::to_string(i)));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    EXPECT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(dbg.Window(), nullptr), &gui) &&
                gui.hwndFocus == edit);

    // The wheel turned up: the same rows stay for a second of records, and a click shows its row.
    const int y = 3 * kRowHeight + 10;
    ASSERT_TRUE(PostMessageA(Grid(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0) && dbg.Sync() &&
                Click(40, y) && Send(KIND_TRACE, "f|flood") == TRUE);
    const std::string shown = dbg.DetailText();
    const Shot before = Settled();
    std::thread flood([&] {
        for (DWORD end = GetTickCount() + 1000; GetTickCount() < end;)
            EXPECT_EQ(TRUE, Send(KIND_TRACE, "f|flood"));
    });
    Sleep(900);
    EXPECT_TRUE(Settled() == before && Click(40, y)) << "the rows moved";
    EXPECT_EQ(shown, dbg.DetailText());
    flood.join();

    // Ctrl+End after a click and a record goes to the newest row, and
    // the next record moves the rows up again.
    ASSERT_TRUE(Click(40, y) && Send(KIND_TRACE, "f|flood") == TRUE && e2e::BringToFront(dbg.Window()));
    const Shot clicked = Settled();
    ASSERT_TRUE(e2e::PressKeys({VK_CONTROL, VK_END}));
    EXPECT_TRUE(e2e::WaitUntil([&] { return !(Capture(Grid()) == clicked); }, e2e::SYNC_TIMEOUT_MS));
    const Shot end = Settled();
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "r|newest"));
    EXPECT_FALSE(Settled() == end) << "the newest row is not followed";
}
