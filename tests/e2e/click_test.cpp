// Row clicks on the real debugger: mouse messages to the trace grid (control 4048) and real
// pointer clicks on the virtual display, with the detail box read back. A left click on any cell
// of a trace row shows that row's detail; right clicks, the second code of a double click and
// heading clicks leave the box as it was; and rows past 65,535 show their own detail.
#include "e2e_fixture.h"
#include "e2e_input.h"

#include <cstdio>
#include <string>
#include <vector>

using e2e::KIND_TRACE;

namespace {

constexpr int kHeadingHeight = 20; // the heading row
constexpr int kRowHeight = 20;     // every trace row

// The detail of trace record n.
std::string DetailOf(long n) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "detail of record %ld", n);
    return buf;
}

class RowClickTest : public DebuggerTest {
protected:
    HWND Grid() const { return dbg.Item(e2e::GRID_CONTROL_ID); }

    RECT GridClient() const {
        RECT rc = {0, 0, 0, 0};
        GetClientRect(Grid(), &rc);
        return rc;
    }

    // x inside column 0, 1 or 2. The dialog's columns keep the proportions 150 : 35 : 500 of
    // its set-up (scaled up when the grid is wider than 685 pixels).
    int ColumnX(int col) const {
        const long width = GridClient().right;
        const long scale = width > 685 ? width : 685;
        const long middles[] = {75, 167, 400};
        long x = middles[col] * scale / 685;
        if (x > width - 5) x = width - 5;
        return static_cast<int>(x);
    }

    // y inside the n-th shown trace row (0 is the row just below the heading).
    static int ShownRowY(int n) { return kHeadingHeight + n * kRowHeight + kRowHeight / 2; }

    // Waits until the messages posted so far and the notifications they post in turn are
    // handled: the grid posts its click notification while it handles the button press, behind
    // the first marker.
    bool Settle() const { return dbg.Sync() && dbg.Sync(); }

    bool Post(UINT message, WPARAM flags, int x, int y) const {
        return PostMessageA(Grid(), message, flags, MAKELPARAM(x, y)) != 0;
    }

    // A left click (press and release) at a client point of the grid, handled before this
    // returns.
    bool LeftClick(int x, int y, WPARAM flags = 0) const {
        return Post(WM_LBUTTONDOWN, MK_LBUTTON | flags, x, y) && Post(WM_LBUTTONUP, flags, x, y) && Settle();
    }

    // What the detail box shows after a left click at (x, y), starting from a marker text.
    std::string DetailAfterClick(int x, int y, WPARAM flags = 0) {
        if (!dbg.SetDetailText("<unchanged>")) return "<the detail box did not take the marker>";
        if (!LeftClick(x, y, flags)) return "<the click was not handled>";
        return dbg.DetailText();
    }

    // Starts xdotool on the display the program runs on. Wine runs a Linux program it is asked
    // to start, without a handle to wait on: the caller waits for the effect.
    static bool RunXdotool(const std::vector<std::string>& args) {
        std::string commandLine = "xdotool";
        for (const std::string& a : args)
            commandLine += " " + a;
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessA("Z:\\usr\\bin\\xdotool", line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi))
            return false;
        if (pi.hThread) CloseHandle(pi.hThread);
        if (pi.hProcess) CloseHandle(pi.hProcess);
        return true;
    }

    void StreamRecords(long count) {
        for (long n = 1; n <= count; ++n) {
            const e2e::Reply r = dbg.Send(KIND_TRACE, "Step|" + DetailOf(n));
            ASSERT_TRUE(r.answered && r.result == TRUE)
                << "record " << n << ": " << e2e::LastErrorText(r.error);
        }
    }
};

} // namespace

TEST_F(RowClickTest, LeftClickOnAnyCellOfARowShowsItsDetail) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "First|one\nline^two"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Second|second detail"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Third|한글 세 번째"));
    const std::string expected[] = {"one\r\nline\r\ntwo", "second detail", "한글 세 번째"};
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            EXPECT_EQ(expected[row], DetailAfterClick(ColumnX(col), ShownRowY(row)))
                << "row " << row + 1 << ", column " << col;
    // Shift and Ctrl change the selection, not what a click shows.
    EXPECT_EQ(expected[0], DetailAfterClick(ColumnX(2), ShownRowY(0), MK_SHIFT));
    EXPECT_EQ(expected[1], DetailAfterClick(ColumnX(1), ShownRowY(1), MK_CONTROL));
}

TEST_F(RowClickTest, ClicksBelowTheLastRowShowNothing) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Only|the one row"));
    EXPECT_EQ("the one row", DetailAfterClick(ColumnX(0), ShownRowY(0)));
    EXPECT_EQ("<unchanged>", DetailAfterClick(ColumnX(0), ShownRowY(3)));
}

TEST_F(RowClickTest, HeadingRightAndSecondDoubleClicksLeaveTheDetail) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "A|alpha"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "B|beta"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "C|gamma"));

    // A click on the heading row.
    for (int col = 0; col < 3; ++col)
        EXPECT_EQ("<unchanged>", DetailAfterClick(ColumnX(col), kHeadingHeight / 2)) << "column " << col;

    // A right click on a trace row.
    ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
    ASSERT_TRUE(Post(WM_RBUTTONDOWN, MK_RBUTTON, ColumnX(0), ShownRowY(1)));
    ASSERT_TRUE(Post(WM_RBUTTONUP, 0, ColumnX(0), ShownRowY(1)));
    ASSERT_TRUE(Settle());
    EXPECT_EQ("<unchanged>", dbg.DetailText());

    // A double click: its first click shows the row, its second code changes nothing more.
    ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
    const int x = ColumnX(2), y = ShownRowY(2);
    ASSERT_TRUE(LeftClick(x, y));
    EXPECT_EQ("gamma", dbg.DetailText());
    ASSERT_TRUE(dbg.SetDetailText("<after the first click>"));
    ASSERT_TRUE(Post(WM_LBUTTONDBLCLK, MK_LBUTTON, x, y));
    ASSERT_TRUE(Post(WM_LBUTTONUP, 0, x, y));
    ASSERT_TRUE(Settle());
    EXPECT_EQ("<after the first click>", dbg.DetailText());

    // The box still follows the next left click.
    EXPECT_EQ("alpha", DetailAfterClick(ColumnX(1), ShownRowY(0)));
}

// 70,000 records: the rows past 65,535 do not fit the 16 bits the click message gives a row.
// The debugger window is hidden while the records stream in: under Wine each row painted on a
// visible window costs some 20 ms, and a hidden one takes the same code path without the
// drawing. It is shown again before the clicks.
TEST_F(RowClickTest, RowsPast65535ShowTheirOwnDetail) {
    const long count = 70000;
    ShowWindow(dbg.Window(), SW_HIDE);
    ASSERT_TRUE(dbg.Sync());
    ASSERT_NO_FATAL_FAILURE(StreamRecords(count));
    ShowWindow(dbg.Window(), SW_SHOW);

    // The debugger shows the newest rows; make sure of it, as a person would with the scroll bar.
    ASSERT_TRUE(PostMessageA(Grid(), WM_VSCROLL, SB_BOTTOM, 0));
    ASSERT_TRUE(Settle());

    // The shown rows are consecutive records; the first one tells where the view is.
    const std::string first = DetailAfterClick(ColumnX(0), ShownRowY(0));
    long top = 0;
    ASSERT_EQ(1, std::sscanf(first.c_str(), "detail of record %ld", &top)) << first;
    ASSERT_GT(top, 65535) << "the view is at the end of the trace";
    const int bottom = GridClient().bottom;
    const long whole = (bottom - kHeadingHeight) / kRowHeight; // rows wholly in view
    ASSERT_GT(whole, 2);
    for (long n = 1; n < whole && top + n <= count; ++n)
        EXPECT_EQ(DetailOf(top + n),
                  DetailAfterClick(ColumnX(static_cast<int>(n % 3)), ShownRowY(static_cast<int>(n))))
            << "shown row " << n;

    // The last record, near the bottom edge (perhaps cut off by it).
    const int lastY = kHeadingHeight + static_cast<int>(count - top) * kRowHeight + 2;
    ASSERT_LT(lastY, bottom) << "the last record is in view";
    // (The 16 bits of the message alone would name record 70,000 - 65,536.)
    EXPECT_EQ(DetailOf(count), DetailAfterClick(ColumnX(2), lastY));

    // Rows below 65,536 still show theirs.
    ASSERT_TRUE(PostMessageA(Grid(), WM_VSCROLL, SB_TOP, 0));
    ASSERT_TRUE(Settle());
    EXPECT_EQ(DetailOf(1), DetailAfterClick(ColumnX(0), ShownRowY(0)));
    EXPECT_EQ(DetailOf(2), DetailAfterClick(ColumnX(1), ShownRowY(1)));
}

// Real pointer clicks on the virtual display (xdotool), reaching the program as the mouse does.
TEST_F(RowClickTest, RealPointerClicksShowTheRowDetail) {
    if (!e2e::FileExists("Z:\\usr\\bin\\xdotool")) GTEST_SKIP() << "xdotool is not installed";
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "One|first row"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Two|second row"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Three|third row"));
    const char* expected[] = {"first row", "second row", "third row"};
    const int order[] = {1, 0, 2};
    for (int i = 0; i < 3; ++i) {
        const int row = order[i];
        ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
        POINT p = {ColumnX(i), ShownRowY(row)};
        ASSERT_TRUE(ClientToScreen(Grid(), &p));
        ASSERT_TRUE(RunXdotool({"mousemove", std::to_string(p.x), std::to_string(p.y), "click", "1"}));
        EXPECT_TRUE(e2e::WaitUntil([&] { return dbg.DetailText() != "<unchanged>"; }, e2e::SYNC_TIMEOUT_MS))
            << "the click on row " << row + 1 << " showed nothing";
        EXPECT_EQ(expected[row], dbg.DetailText()) << "row " << row + 1;
    }
    // A real double click shows the row as its first click does.
    ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
    POINT p = {ColumnX(0), ShownRowY(1)};
    ASSERT_TRUE(ClientToScreen(Grid(), &p));
    ASSERT_TRUE(RunXdotool({"mousemove", std::to_string(p.x), std::to_string(p.y), "click", "--repeat", "2",
                            "--delay", "50", "1"}));
    EXPECT_TRUE(e2e::WaitUntil([&] { return dbg.DetailText() != "<unchanged>"; }, e2e::SYNC_TIMEOUT_MS));
    EXPECT_EQ("second row", dbg.DetailText());
    EXPECT_TRUE(dbg.Running());
}

// While records stream: keys walk from the clicked row (the detail follows) and copy; a drag past
// the bottom edge scrolls on with no jump to the newest row, and released at the end follows.
TEST_F(RowClickTest, KeysAndADragWorkWhileRecordsStream) {
    ASSERT_NO_FATAL_FAILURE(StreamRecords(100));
    ASSERT_TRUE(PostMessageA(Grid(), WM_VSCROLL, SB_TOP, 0) && e2e::BringToFront(dbg.Window()));
    std::atomic<long> sent{100};
    std::atomic<DWORD> pause{5}; // fast while keys are pressed, slower than the drag's scroll then
    std::thread sender([&] {
        for (; pause > 0; Sleep(pause))
            dbg.Send(KIND_TRACE, "Step|" + DetailOf(++sent));
    });
    auto copied = [&](std::vector<long> records = {}) { // ("detail of record " is 17 bytes)
        if (e2e::EmptyTheClipboard() && e2e::PressKeys({VK_CONTROL, 'C'}))
            for (const auto& fields : e2e::SplitCopiedText(e2e::WaitForClipboardText()))
                records.push_back(std::atol(fields.back().c_str() + 17));
        return records;
    };
    EXPECT_TRUE(LeftClick(ColumnX(0), ShownRowY(0)));
    for (int i = 0; i < 8; ++i) // Down three times, then Shift+Down five times
        EXPECT_TRUE((i < 3 ? e2e::PressKeys({VK_DOWN}) : e2e::PressKeys({VK_SHIFT, VK_DOWN})) && Settle() &&
                    (i != 2 || dbg.DetailText() == DetailOf(4)));
    EXPECT_EQ(std::vector<long>({4, 5, 6, 7, 8, 9}), copied());
    pause = 200;
    POINT p[2] = {{ColumnX(0), ShownRowY(2)}, {ColumnX(0), GridClient().bottom + 30}};
    EXPECT_TRUE(MapWindowPoints(Grid(), nullptr, p, 2) && e2e::MoveMouseTo(p[0]));
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0); // a real press, held
    EXPECT_TRUE(Settle() && e2e::MoveMouseTo(p[1]));
    Sleep(1000);
    const std::vector<long> dragged = copied(); // the button held: row 3 to the one at the edge
    const long whole = (GridClient().bottom - kHeadingHeight) / kRowHeight;
    EXPECT_TRUE(dragged.size() > 2 && dragged[0] == 3 && dragged.back() > whole + 3) << dragged.size();
    EXPECT_LT(dragged.empty() ? 0 : dragged.back(), sent - 5) << "the view jumped to the newest row";
    Sleep(5000); // the auto-scroll reaches the newest row
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    Sleep(1000);
    pause = 0;
    sender.join();
    EXPECT_GE(std::atol(DetailAfterClick(ColumnX(0), ShownRowY(0)).c_str() + 17) + whole, sent.load());
}
