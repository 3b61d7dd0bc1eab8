// Fixture of the grid's mouse and keyboard tests: a grid control in a host window, driven by
// real window messages, with the notifications the grid posts to its owner collected from the
// host's queue, the keyboard state set for Shift and Ctrl, and a grid class that records the
// editor and clipboard hooks the input handlers call.
#pragma once

#include "grid_test_util.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace gridinput {

// The grid with the input state readable and the hooks of later features recorded.
class InputGrid : public gridtest::TestGrid {
public:
    using CGridMainWnd::clickDownCell;
    using CGridMainWnd::clickDownPoint;
    using CGridMainWnd::hoverTicks;
    using CGridMainWnd::lastClickedCell;
    using CGridMainWnd::lastMousePoint;
    using CGridMainWnd::scrollTimer;
    using CGridMainWnd::sortAscending;
    using CGridMainWnd::sortColumn;
    using TestGrid::TestGrid;

    struct EditCall {
        int row;
        int col;
        UINT nChar;
    };
    std::vector<EditCall> edits;
    int copies = 0, pastes = 0, cuts = 0, selectAlls = 0;

    void BeginCellEdit(int row, int col, UINT nChar) override { edits.push_back({row, col, nChar}); }
    void CmdCopy() override { copies++; }
    void CmdPaste() override { pastes++; }
    void CmdCut() override { cuts++; }
    void CmdSelectAll() override {
        selectAlls++;
        CGridMainWnd::CmdSelectAll();
    }
};

// One message the grid posted.
struct Posted {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Holds keys down in this thread's keyboard state (what GetKeyState reads) while it lives.
class HeldKeys {
public:
    explicit HeldKeys(std::initializer_list<int> keys) {
        ::GetKeyboardState(saved);
        BYTE state[256];
        std::memcpy(state, saved, sizeof state);
        for (int k : keys)
            state[k] |= 0x80;
        ::SetKeyboardState(state);
    }
    ~HeldKeys() { ::SetKeyboardState(saved); }
    HeldKeys(const HeldKeys&) = delete;
    HeldKeys& operator=(const HeldKeys&) = delete;

private:
    BYTE saved[256];
};

// A grid of 1 fixed row and 1 fixed column: fixed column 40 wide, scrolling columns 60 wide,
// all rows 20 high; cell (r, c) holds the text "r,c".
class GridInputTest : public ::testing::Test {
protected:
    static constexpr int kFixedWidth = 40;
    static constexpr int kColumnWidth = 60;
    static constexpr int kRowHeight = 20;

    HWND host = nullptr;
    InputGrid grid;

    void SetUp() override { ClearKeyboard(); }

    void Build(int rows, int cols, int width = 400, int height = 220) {
        host = gridtest::CreateHostWindow();
        ASSERT_NE(nullptr, host);
        HWND control = gridtest::CreateGridControl(host, width, height);
        ASSERT_NE(nullptr, control);
        ASSERT_TRUE(grid.SubclassGrid(control));
        grid.SetNumColumns(cols + 1);
        grid.SetNumRows(rows + 1);
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(1);
        for (int r = 0; r <= rows; r++)
            grid.SetRowHeight(r, kRowHeight);
        grid.SetColumnWidth(0, kFixedWidth);
        for (int c = 1; c <= cols; c++)
            grid.SetColumnWidth(c, kColumnWidth);
        for (int r = 0; r <= rows; r++)
            for (int c = 0; c <= cols; c++) {
                char text[32];
                std::snprintf(text, sizeof text, "%d,%d", r, c);
                grid.SetCellText(r, c, text);
            }
        grid.RefreshLayout();
        grid.RefreshLayout();
        FlushQueue();
        gridtest::NotifyLog().clear();
        posted.clear();
    }

    void TearDown() override {
        gridtest::HostHook() = nullptr;
        ::ClipCursor(nullptr);
        ::ReleaseCapture();
        if (grid.m_hWnd != nullptr) grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
        FlushQueue();
        ClearKeyboard();
    }

    static void ClearKeyboard() {
        BYTE state[256] = {};
        ::SetKeyboardState(state);
    }

    // Drops the input and posted messages queued for this thread without handling them.
    static void FlushQueue() {
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT | PM_QS_POSTMESSAGE)) {
        }
    }

    // Takes the notifications the grid posted (WM_GRID_SELCHANGE and WM_COMMAND to the host, the
    // wheel's scroll messages to the grid) out of the queue, in order. Timers and input stay
    // queued: the tests send those themselves.
    void Collect() {
        MSG msg;
        for (;;) {
            bool got = ::PeekMessageA(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE) ||
                       ::PeekMessageA(&msg, nullptr, WM_VSCROLL, WM_VSCROLL, PM_REMOVE) ||
                       ::PeekMessageA(&msg, nullptr, WM_GRID_SELCHANGE, WM_GRID_SELCHANGE, PM_REMOVE);
            if (!got) break;
            posted.push_back({msg.hwnd, msg.message, msg.wParam, msg.lParam});
        }
    }

    std::vector<Posted> Take(UINT message) {
        Collect();
        std::vector<Posted> found;
        for (const Posted& p : posted)
            if (p.message == message) found.push_back(p);
        return found;
    }

    // The client point in the middle of a cell, as laid out at scroll position 0.
    static CPoint CellPoint(int row, int col) {
        int x = col == 0 ? kFixedWidth / 2 : kFixedWidth + (col - 1) * kColumnWidth + kColumnWidth / 2;
        return CPoint(x, row * kRowHeight + kRowHeight / 2);
    }

    LRESULT Send(UINT message, WPARAM wParam, CPoint point) {
        return ::SendMessageA(grid.m_hWnd, message, wParam, MAKELPARAM(point.x, point.y));
    }
    void Down(CPoint p, UINT flags = 0) { Send(WM_LBUTTONDOWN, MK_LBUTTON | flags, p); }
    void Up(CPoint p, UINT flags = 0) { Send(WM_LBUTTONUP, flags, p); }
    void Move(CPoint p, UINT flags = 0) { Send(WM_MOUSEMOVE, flags, p); }
    void Click(CPoint p, UINT flags = 0) {
        Down(p, flags);
        Up(p, flags);
    }
    void Key(UINT vk) { ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, vk, 1); }

    // The selected cells, as (row, col) pairs sorted by row then column.
    std::vector<std::pair<int, int>> Selection() {
        std::vector<std::pair<int, int>> cells;
        for (int r = 0; r < grid.GetNumRows(); r++)
            for (int c = 0; c < grid.GetNumColumns(); c++)
                if (grid.GetCellState(r, c) & CELL_SELECTED) cells.push_back({r, c});
        return cells;
    }
    static std::vector<std::pair<int, int>> One(int row, int col) { return {{row, col}}; }
    // Every cell of rows r0..r1 and columns c0..c1.
    static std::vector<std::pair<int, int>> Block(int r0, int c0, int r1, int c1) {
        std::vector<std::pair<int, int>> cells;
        for (int r = r0; r <= r1; r++)
            for (int c = c0; c <= c1; c++)
                cells.push_back({r, c});
        return cells;
    }

    CRect Client() const {
        CRect rc;
        ::GetClientRect(grid.m_hWnd, &rc);
        return rc;
    }
    // The screen rectangle of a client rectangle of the grid.
    CRect ToScreen(CRect rc) const {
        POINT a = {rc.left, rc.top}, b = {rc.right, rc.bottom};
        ::ClientToScreen(grid.m_hWnd, &a);
        ::ClientToScreen(grid.m_hWnd, &b);
        return CRect(a.x, a.y, b.x, b.y);
    }
    // The cursor clip rectangle when nothing confines the cursor: the whole screen. Taken
    // before a test starts.
    static CRect UnclippedCursor() {
        CRect rc;
        ::ClipCursor(nullptr);
        ::GetClipCursor(&rc);
        return rc;
    }
    CRect CurrentClip() const {
        CRect rc;
        ::GetClipCursor(&rc);
        return rc;
    }
    // Whether the cursor is clipped to want. When GetClipCursor reports another rectangle, the
    // platform is asked whether it reports want when the clip is set directly: 32-bit Wine 8.0
    // accepts ClipCursor but keeps reporting the whole screen. Where it does not, the clip
    // cannot be checked: the test says so once and checks everything else.
    bool ClipIs(const CRect& want) {
        const CRect got = CurrentClip();
        if (got == want) return true;
        ::ClipCursor(&want);
        if (CurrentClip() == want) {
            std::printf("cursor clip (%ld,%ld)-(%ld,%ld), expected (%ld,%ld)-(%ld,%ld)\n", (long)got.left,
                        (long)got.top, (long)got.right, (long)got.bottom, (long)want.left, (long)want.top,
                        (long)want.right, (long)want.bottom);
            return false;
        }
        if (!clipNoted)
            std::printf("[   NOTE   ] GetClipCursor does not report the clip ClipCursor sets on this platform: "
                        "the cursor clip is not checked\n");
        clipNoted = true;
        return true;
    }
    // TRUE when the grid still had a timer with this id (the call kills it).
    BOOL TimerWasRunning(UINT_PTR id) { return ::KillTimer(grid.m_hWnd, id); }

    std::vector<Posted> posted;
    bool clipNoted = false;
};

} // namespace gridinput
