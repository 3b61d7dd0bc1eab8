// The trace grid's look, shared by the dialog and the benchmarks that measure the same grid:
// one heading row ("Function", "Delay", "Result") in the heading colour, three columns kept in
// proportion, list mode, a vertical scroll bar only, and read-only white trace rows 20 pixels
// high.
#pragma once

#include "GridMainWnd.h"
#include "TraceFile.h"

// The dialog's trace grid: the grid control, and a message box of the debugger's own when a copy
// the user asked for (Ctrl+C, Ctrl+Insert or the edit command) did not reach the clipboard, which
// the grid itself lets pass silently.
class CTraceGridWnd : public CGridMainWnd {
public:
    using CGridMainWnd::CGridMainWnd;
    void CmdCopy() override;
    // The trace grid shows its stored texts as they are: fitting and copying may read them.
    BOOL ShowsStoredTexts() const override { return TRUE; }
};

// FALSE when the grid could not take its rows and columns (the error has been reported).
BOOL SetupTraceGrid(CGridMainWnd& grid);
// Gives a freshly added row the body look and its height, and sets the scroll range for it.
void FormatTraceGridRow(CGridMainWnd& grid, int row);
// AddRow("", -1) for a row that FormatTraceGridRow formats next: the scroll bars are drawn by the
// formatting, not twice.
int AddEmptyTraceRow(CGridMainWnd& grid);
// Shows the rows added while the scroll bars' drawing was deferred, all at once: the range for
// every row, the newest row placed in view where the line scrolls of each row would have put it,
// and one paint of the whole grid, scroll bars included, instead of a blit, a strip and a
// scroll-bar drawing per row. The deferral ends. Unless placeNewest, the view stays where it is.
void ShowNewTraceRows(CGridMainWnd& grid, BOOL placeNewest = TRUE);
// Appends a trace row with the texts of its three columns (those in `sharedColumns` shared, as
// ShareCellText shares them): the body look, its height and the scroll range, as AddEmptyTraceRow,
// FormatTraceGridRow and SetRowTexts give them. With `look`, the row is made from the look of the
// trace rows in one step when the look still fits the grid; otherwise it is made the long way and
// its look kept in *look for the rows after it.
int AppendTraceRow(CGridMainWnd& grid, const LPCTSTR* texts, UINT sharedColumns,
                   CGridRowLook* look = nullptr);
// Appends one row of a trace file as Open File shows it, through AppendTraceRow: the function and
// delay columns, and the first 100 characters of the detail (shared with `stored` when the detail
// is that short and `stored` holds a copy of it that outlives the row; a double-byte character may
// be cut) and the function name (shared with storedName when given). Returns the row.
int AppendTraceFileRow(CGridMainWnd& grid, const TraceRowText& text, LPCTSTR stored = nullptr,
                       LPCTSTR storedName = nullptr, CGridRowLook* look = nullptr);
