// The trace grid's look, shared by the dialog and the benchmarks that measure the same grid:
// one heading row ("Function", "Delay", "Result") in the heading colour, three columns kept in
// proportion, list mode, a vertical scroll bar only, and read-only white trace rows 20 pixels
// high.
#pragma once

#include "GridMainWnd.h"

// FALSE when the grid could not take its rows and columns (the error has been reported).
BOOL SetupTraceGrid(CGridMainWnd& grid);
void FormatTraceGridRow(CGridMainWnd& grid, int row);
