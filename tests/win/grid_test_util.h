// Helpers for the grid's tests: a host window that records the grid's notifications, a grid
// control of class "ZIDAZIDID" placed in it and attached to a grid object, and a grid class that
// lets tests read the grid's internal state.
#pragma once

#include "GridMainWnd.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace gridtest {

struct NotifyRecord {
    HWND to;
    HWND from;
    UINT_PTR id;
    int code;
    int row;
    int col;
};

inline std::vector<NotifyRecord>& NotifyLog() {
    static std::vector<NotifyRecord> log;
    return log;
}

// Called with every message a host window receives, when set.
inline std::function<void(HWND, UINT, WPARAM, LPARAM)>& HostHook() {
    static std::function<void(HWND, UINT, WPARAM, LPARAM)> hook;
    return hook;
}

inline LRESULT CALLBACK HostProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (HostHook()) HostHook()(hWnd, msg, wParam, lParam);
    if (msg == WM_NOTIFY) {
        const GridNotifyInfo* info = (const GridNotifyInfo*)lParam;
        NotifyLog().push_back(
            {hWnd, info->hdr.hwndFrom, info->hdr.idFrom, (int)info->hdr.code, info->row, info->col});
        return 77;
    }
    return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

// A top-level window that records every WM_NOTIFY it receives (and answers 77).
inline HWND CreateHostWindow(int width = 900, int height = 700) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = ::GetModuleHandleA(nullptr);
        wc.lpszClassName = "VkGridTestHost";
        wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
        ::RegisterClassA(&wc);
        registered = true;
    }
    return ::CreateWindowExA(0, "VkGridTestHost", "grid test host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                             width, height, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

// A borderless grid control, so that its client area is its window (until a scroll bar shows).
inline HWND CreateGridControl(HWND parent, int width, int height, int id = 4048) {
    return ::CreateWindowExA(0, GRID_CLASSNAME, "", WS_CHILD | WS_VISIBLE, 0, 0, width, height, parent,
                             (HMENU)(INT_PTR)id, ::GetModuleHandleA(nullptr), nullptr);
}

// The grid with its internal state readable.
class TestGrid : public CGridMainWnd {
public:
    using CGridMainWnd::anchorCell;
    using CGridMainWnd::CGridMainWnd;
    using CGridMainWnd::changedFlag;
    using CGridMainWnd::columnEditorKinds;
    using CGridMainWnd::columnIndex;
    using CGridMainWnd::columnWidths;
    using CGridMainWnd::defaultColumnWidth;
    using CGridMainWnd::defaultRowHeight;
    using CGridMainWnd::focusCell;
    using CGridMainWnd::GetCell;
    using CGridMainWnd::gridFont;
    using CGridMainWnd::gridFontObject;
    using CGridMainWnd::horzScrollEnabled;
    using CGridMainWnd::horzScrollMax;
    using CGridMainWnd::hoverTimer;
    using CGridMainWnd::keepColumnProportions;
    using CGridMainWnd::mouseMode;
    using CGridMainWnd::oleInitialized;
    using CGridMainWnd::OnGetFont;
    using CGridMainWnd::rowHeights;
    using CGridMainWnd::rowIndex;
    using CGridMainWnd::rows;
    using CGridMainWnd::savedColumnWidths;
    using CGridMainWnd::savedSelection;
    using CGridMainWnd::selectedCells;
    using CGridMainWnd::textMargin;
    using CGridMainWnd::titleTip;
    using CGridMainWnd::titleTipCreated;
    using CGridMainWnd::vertScrollEnabled;
    using CGridMainWnd::vertScrollMax;
    using CGridMainWnd::wheelScrollLines;
};

// A host window with one attached grid control, destroyed with the fixture.
class GridWindowTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    TestGrid grid;

    // Places a width x height grid control in a new host window and attaches the grid to it.
    void Attach(int width, int height) {
        host = CreateHostWindow();
        ASSERT_NE(nullptr, host);
        HWND control = CreateGridControl(host, width, height);
        ASSERT_NE(nullptr, control);
        ASSERT_TRUE(grid.SubclassGrid(control));
        NotifyLog().clear();
    }

    void TearDown() override {
        grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
    }

    int VertPos() const { return grid.GetScrollPosition(SB_VERT, FALSE); }
    int HorzPos() const { return grid.GetScrollPosition(SB_HORZ, FALSE); }
    SCROLLINFO Info(int bar) const {
        SCROLLINFO si = {};
        si.cbSize = sizeof si;
        si.fMask = SIF_ALL;
        ::GetScrollInfo(grid.m_hWnd, bar, &si);
        return si;
    }
    CRect Client() const {
        CRect rc;
        ::GetClientRect(grid.m_hWnd, &rc);
        return rc;
    }
};

} // namespace gridtest
