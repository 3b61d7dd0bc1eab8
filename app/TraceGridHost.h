// CTraceGridHost: the debugger's trace grid without the debugger's dialog, for printing a saved
// trace (vktool print). A hidden window captioned as the dialog holds a grid control of the
// dialog's grid size, attached and set up as the dialog sets up its grid, and filled with a trace
// file's rows as Open File fills it.
//
// That window is a child of an untitled message-only window: neither an engine nor anything else
// that looks for the debugger's window by its caption or class finds it.
#pragma once

#include "GridMainWnd.h"
#include "TraceFile.h"

#include <vector>

class CTraceGridHost {
public:
    CTraceGridHost() = default;
    ~CTraceGridHost();
    CTraceGridHost(const CTraceGridHost&) = delete;
    CTraceGridHost& operator=(const CTraceGridHost&) = delete;

    // Makes the hidden window and the grid; FALSE when either cannot be made or set up.
    BOOL Create();
    // Appends the rows in order; they are moved from as they go into the grid.
    void AddRows(std::vector<TraceRowText>& rows);

    CGridMainWnd& Grid() { return m_grid; }
    // Pixels of x by y dialog units of the debugger's dialog (its font is 9-point Gulim).
    static CSize DialogUnits(int x, int y);

private:
    HWND m_hWnd = nullptr;
    CGridMainWnd m_grid;
};
