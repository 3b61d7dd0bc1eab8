// Shared constants and small value types of the grid: cell state bits, descriptor mask bits,
// notification codes, mouse modes, editor kinds, cell positions and spans, and the WM_NOTIFY
// record the grid sends its owner.
#pragma once

#include "afxwin.h"

// Cell state bits (CGridItem::state).
#define CELL_FOCUSED 0x01
#define CELL_SELECTED 0x02
#define CELL_FRAMED 0x04
#define CELL_READONLY 0x08
#define CELL_CHANGED 0x20
#define CELL_MASKED 0x40
#define CELL_EDITSCROLL 0x80
#define CELL_DIGITSONLY 0x100

// Colour marker meaning "use the grid's colour".
#define CELL_DEFAULT_COLOR ((COLORREF)0xFF000000)

// GridItemDesc::mask bits.
#define DESC_TEXT 0x01
#define DESC_IMAGE 0x02
#define DESC_PARAM 0x04
#define DESC_STATE 0x08
#define DESC_BKCOLOR 0x10
#define DESC_TEXTCOLOR 0x20
#define DESC_FORMAT 0x40
#define DESC_FONT 0x80

// WM_NOTIFY codes sent to the owner.
#define GN_FOCUSLEAVE (-100)
#define GN_FOCUSENTER (-101)
#define GN_BEGINCHANGE (-105)
#define GN_ENDCHANGE (-106)

// The private notification posted to the owner, and its codes.
#define WM_GRID_SELCHANGE (WM_USER + 2000)
#define GSC_CLICK 1
#define GSC_RIGHTCLICK 2
#define GSC_DOUBLECLICK 3

// What the left mouse button is doing (mouseMode). 5 is not used.
#define GMM_IDLE 0
#define GMM_PICK_ALL 1
#define GMM_PICK_COLUMNS 2
#define GMM_PICK_ROWS 3
#define GMM_PICK_CELLS 4
#define GMM_AT_ROW_EDGE 6
#define GMM_SIZING_ROW 7
#define GMM_AT_COLUMN_EDGE 8
#define GMM_SIZING_COLUMN 9
#define GMM_CLICKED_FOCUS 10

// In-place editor kind of a column (columnEditorKinds); any other value means no editing.
#define GEK_NONE 0
#define GEK_EDIT 1
#define GEK_LIST 2
#define GEK_COMBO 4

// Added to BeginCellEdit's nChar when the edit starts with a typed character: its low 16 bits are
// then the character (one byte, or a double-byte character as lead byte << 8 | trail byte), never
// a key. The characters ! " # $ % & ' ( share their codes with the page and arrow keys, which open
// the editor with its text selected instead. Without the flag nChar is 1 for the mouse or the key
// that opened the editor; typed and pressed Return (13), Backspace (8) and Tab (9) act alike.
#define GEC_TYPED 0x10000

// The in-place editors' control ids.
#define IDC_CELL_LIST 7
#define IDC_CELL_EDIT 8
#define IDC_CELL_COMBO 9

// Sent to the grid by a list or combo editor as it opens: wParam the column, lParam the editor
// (CWnd*), whose entries the grid adds before the message returns.
#define WM_GRID_FILLLIST (WM_USER + 1000)
#define WM_GRID_FILLCOMBO (WM_USER + 1001)

// The grid's timers.
#define GRID_HOVER_TIMER_ID 601
#define GRID_HOVER_TIMER_MS 100
#define GRID_SCROLL_TIMER_ID 513

// A cell position; (-1, -1) names no cell, and either part may be -1 alone.
class CCellPos {
public:
    int row;
    int col;

    CCellPos(int nRow = -1, int nCol = -1) : row(nRow), col(nCol) {}
    bool operator==(const CCellPos& other) const { return row == other.row && col == other.col; }
    bool operator!=(const CCellPos& other) const { return !(*this == other); }
};

// An inclusive range of cells. It names real cells only when IsValidSpan says so.
class CCellSpan {
public:
    int minRow;
    int minCol;
    int maxRow;
    int maxCol;

    CCellSpan(int nMinRow = -1, int nMinCol = -1, int nMaxRow = -1, int nMaxCol = -1)
        : minRow(nMinRow), minCol(nMinCol), maxRow(nMaxRow), maxCol(nMaxCol) {}
    bool operator==(const CCellSpan& o) const {
        return minRow == o.minRow && minCol == o.minCol && maxRow == o.maxRow && maxCol == o.maxCol;
    }
    bool operator!=(const CCellSpan& o) const { return !(*this == o); }
};

// The WM_NOTIFY record: the header, then the cell it is about.
struct GridNotifyInfo {
    NMHDR hdr;
    int row;
    int col;
};

// Two LOGFONTs name the same font: every field equal, the face names compared up to their end
// (what follows the terminating zero is left over and means nothing).
bool IsSameLogFont(const LOGFONTA& a, const LOGFONTA& b);
