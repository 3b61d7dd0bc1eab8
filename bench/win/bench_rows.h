// The trace rows the grid benchmarks append: the dialog's formatting, texts of the usual lengths,
// names indented by up to four call levels.
#pragma once

#include "GridMainWnd.h"
#include "TraceGrid.h"

#include <cstdio>

namespace bench {

// Makes `grid` a trace grid (the dialog's set-up) in a child window of `host` at the rectangle;
// false, with a message, when the window cannot be made.
inline bool CreateTraceGrid(CGridMainWnd& grid, HWND host, DWORD exStyle, int x, int y, int width,
                            int height) {
    HWND control = ::CreateWindowExA(exStyle, GRID_CLASSNAME, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y,
                                     width, height, host, (HMENU)4048, ::GetModuleHandleA(nullptr), nullptr);
    if (control == nullptr || !grid.SubclassGrid(control)) {
        std::fprintf(stderr, "cannot create the grid window\n");
        return false;
    }
    SetupTraceGrid(grid);
    return true;
}

// Appends trace row number i without bringing it into view, as the debugger appends a record's
// row (from the look of the rows before it, kept in *look); returns its index.
inline int AppendTraceRow(CGridMainWnd& grid, long i, CGridRowLook* look) {
    char name[48], delay[16], detail[128];
    std::snprintf(name, sizeof name, "%*sFunc%ld", (int)(i % 5) * 5, "", i % 97);
    std::snprintf(delay, sizeof delay, "%ld", i % 31);
    std::snprintf(detail, sizeof detail, "step %ld: value = %ld, state = running, buffer = 0123456789abcdef",
                  i, i * 7);
    const LPCTSTR texts[3] = {name, delay, detail};
    return ::AppendTraceRow(grid, texts, 0, look);
}

// The same with a look kept here (a look of another grid is not used: the row is then made the
// long way and the look taken from it).
inline int AppendTraceRow(CGridMainWnd& grid, long i) {
    static CGridRowLook look;
    return AppendTraceRow(grid, i, &look);
}

} // namespace bench
