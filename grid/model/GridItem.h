// One grid cell, and the descriptor that reads or writes several of its attributes at once.
#pragma once

#include "GridDefs.h"

class CGridItem : public CObject {
public:
    UINT state = 0;                          // CELL_* bits
    UINT format = 0;                         // DrawText flags
    CString text;                            // the cell's text
    int image = -1;                          // image list index, -1 for none
    COLORREF bkColor = CELL_DEFAULT_COLOR;   // background, or the grid's
    COLORREF textColor = CELL_DEFAULT_COLOR; // text colour, or the grid's
    LOGFONTA font{};                         // the cell's font, by value
    LPARAM param = 0;                        // the caller's value, never interpreted
};

// The fields named by mask (DESC_* bits) are the ones read or written.
struct GridItemDesc {
    int row = 0;
    int col = 0;
    UINT mask = 0;
    UINT state = 0;
    UINT format = 0;
    CString text;
    int image = -1;
    COLORREF bkColor = CELL_DEFAULT_COLOR;
    COLORREF textColor = CELL_DEFAULT_COLOR;
    LPARAM param = 0;
    LOGFONTA font{};
};
