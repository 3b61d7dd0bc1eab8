// The mouse: clicks that move the focus and select, drags that extend the selection (with the
// auto-scroll timer while the pointer is outside the cells), dragging and double-clicking the
// dividers of the heading area, the wheel, and the notifications that tell the owner which
// cell was clicked. Also the hover count of the title tip.
#include "GridMainWnd.h"

namespace {

// The window the grid reports to: its owner when one is set, else its parent; NULL when that
// is not a window.
HWND NotifyTarget(CGridMainWnd* grid) {
    CWnd* owner = grid->GetOwner();
    HWND target = owner != nullptr ? owner->m_hWnd : ::GetParent(grid->m_hWnd);
    return target != nullptr && ::IsWindow(target) ? target : nullptr;
}

// A 2-pixel strip inverted on the client area: a full-height one at x for a column divider, a
// full-width one at y for a row divider. Inverting it again erases it.
void InvertTrackingStrip(CGridMainWnd* grid, bool column, int at) {
    CRect client;
    grid->GetClientRect(&client);
    CRect strip =
        column ? CRect(at, client.top, at + 2, client.bottom) : CRect(client.left, at, client.right, at + 2);
    CDC* pDC = grid->GetDC();
    if (pDC == nullptr) return;
    ::InvertRect(pDC->m_hDC, &strip);
    grid->ReleaseDC(pDC);
}

// Confines the cursor to the client area, less what lies left of (or above) a divider's cell.
void ClipCursorToClient(CGridMainWnd* grid, int left, int top) {
    CRect clip;
    grid->GetClientRect(&clip);
    if (left >= 0) clip.left = left;
    if (top >= 0) clip.top = top;
    CPoint topLeft(clip.left, clip.top), bottomRight(clip.right, clip.bottom);
    grid->ClientToScreen(&topLeft);
    grid->ClientToScreen(&bottomRight);
    CRect screen(topLeft.x, topLeft.y, bottomRight.x, bottomRight.y);
    ::ClipCursor(&screen);
}

// The top-left corner of the cell whose divider is dragged. A column narrower than a pixel has
// no corner of its own: it starts where the next column starts, so it can be dragged wide again.
bool GetDividerCellStart(const CGridMainWnd* grid, CCellPos cell, CPoint* start) {
    if (grid->GetCellTopLeft(cell, start)) return true;
    return grid->GetColumnWidth(cell.col) == 0 && grid->GetCellTopLeft(cell.row, cell.col + 1, start);
}

void SetStandardCursor(LPCSTR id) {
    ::SetCursor(::LoadCursorA(nullptr, id));
}

int Clamp(int value, int low, int high) {
    return value < low ? low : (value > high ? high : value);
}

// WM_GRID_SELCHANGE to the owner: wParam = (control id, code), lParam = (row, column), each cut
// to 16 bits. Posted, never sent, and only to a window that exists.
void PostSelChange(CGridMainWnd* grid, int code, CCellPos cell) {
    HWND target = NotifyTarget(grid);
    if (target == nullptr) return;
    ::PostMessageA(target, WM_GRID_SELCHANGE, MAKEWPARAM(grid->GetDlgCtrlID(), code),
                   MAKELPARAM((WORD)cell.row, (WORD)cell.col));
}

} // namespace

void CGridMainWnd::OnLButtonDown(UINT nFlags, CPoint point) {
    clickDownPoint = point;
    clickDownCell = HitTestCell(point, TRUE);
    if (!IsValidCell(clickDownCell)) return;

    // Shift+click selects from the focus cell; with no focus (a row inserted clears it, say)
    // from the anchor of the clicks before, or, with none, from the cell clicked.
    if (!(nFlags & MK_SHIFT))
        anchorCell = clickDownCell;
    else if (IsValidCell(focusCell))
        anchorCell = focusCell;
    else if (!IsValidCell(anchorCell))
        anchorCell = clickDownCell;
    SetFocus();
    titleTip.Hide();

    // The owner hears of the click before the focus and the selection change.
    lastClickedCell = clickDownCell;
    PostSelChange(this, GSC_CLICK, clickDownCell);

    // A press on the focus cell opens its editor when the button comes up.
    if (clickDownCell == focusCell) {
        mouseMode = GMM_CLICKED_FOCUS;
        return;
    }

    if (mouseMode != GMM_AT_COLUMN_EDGE && mouseMode != GMM_AT_ROW_EDGE) {
        // A heading cell puts the focus on the first scrolling row or column.
        MoveFocusTo(-1, -1);
        MoveFocusTo(clickDownCell.row > fixedRowCount ? clickDownCell.row : fixedRowCount,
                    clickDownCell.col > fixedColumnCount ? clickDownCell.col : fixedColumnCount);
    }

    SetCapture();

    if (mouseMode == GMM_IDLE) {
        if (allowColumnResize && IsOverColumnDivider(point)) {
            SetStandardCursor((LPCSTR)IDC_SIZEWE);
            mouseMode = GMM_AT_COLUMN_EDGE;
        } else if (allowRowResize && IsOverRowDivider(point)) {
            SetStandardCursor((LPCSTR)IDC_SIZENS);
            mouseMode = GMM_AT_ROW_EDGE;
        }
    }

    if (mouseMode == GMM_AT_COLUMN_EDGE) {
        // A divider whose cell has no corner is not dragged: the press ends there, with no
        // mode, capture or strip left behind.
        CPoint start;
        if (!GetDividerCellStart(this, CCellPos(0, clickDownCell.col), &start)) return AbandonPress();
        // Near a column's left edge the divider belongs to the column on its left.
        if (point.x - start.x <= dividerTolerance) {
            clickDownCell.col--;
            if (!GetDividerCellStart(this, CCellPos(0, clickDownCell.col), &start)) return AbandonPress();
        }
        mouseMode = GMM_SIZING_COLUMN;
        InvertTrackingStrip(this, true, point.x);
        ClipCursorToClient(this, start.x, -1);
    } else if (mouseMode == GMM_AT_ROW_EDGE) {
        CPoint start;
        if (!GetCellTopLeft(clickDownCell, &start)) return AbandonPress();
        if (point.y - start.y <= dividerTolerance) {
            clickDownCell.row--;
            if (!GetCellTopLeft(clickDownCell.row, 0, &start)) return AbandonPress();
        }
        mouseMode = GMM_SIZING_ROW;
        InvertTrackingStrip(this, false, point.y);
        ClipCursorToClient(this, -1, start.y);
    } else {
        // A selection. With Ctrl the selection so far is kept and the new one is added to it.
        savedSelection.RemoveAll();
        if ((nFlags & MK_CONTROL) && !selectedCells.IsEmpty()) savedSelection = selectedCells;
        if (clickDownCell.row < fixedRowCount) {
            ClickFixedRowCell(clickDownCell);
        } else if (clickDownCell.col < fixedColumnCount) {
            ClickFixedColumnCell(clickDownCell);
        } else {
            mouseMode = listMode ? GMM_PICK_ROWS : GMM_PICK_CELLS;
            SelectToCell(clickDownCell);
        }
        // While the button is held the grid scrolls when the pointer leaves the cells. Without
        // the timer the drag still works, only without scrolling. A press that began no
        // selection (a heading in list mode) starts none: its ticks would walk the focus down
        // the list with no click reported.
        if (mouseMode >= GMM_PICK_ALL && mouseMode <= GMM_PICK_CELLS)
            scrollTimer = SetTimer(GRID_SCROLL_TIMER_ID, scrollInterval, nullptr);
    }

    lastMousePoint = point;
}

void CGridMainWnd::AbandonPress() {
    mouseMode = GMM_IDLE;
    SetStandardCursor((LPCSTR)IDC_ARROW);
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
}

void CGridMainWnd::OnMouseMove(UINT nFlags, CPoint point) {
    hoverTicks = 0; // the title tip waits for the pointer to rest again

    if ((nFlags & MK_LBUTTON) && mouseMode != GMM_IDLE) {
        if (IsValidCell(clickDownCell)) {
            switch (mouseMode) {
            case GMM_PICK_COLUMNS:
            case GMM_PICK_ROWS:
            case GMM_PICK_CELLS: {
                CCellPos cell = HitTestCell(point, TRUE);
                if (!IsValidCell(cell)) return;
                if (cell != focusCell) {
                    SelectToCell(cell);
                    if (cell.row >= fixedRowCount && cell.col >= fixedColumnCount) MoveFocusTo(cell);
                }
                break;
            }
            case GMM_SIZING_ROW:
                InvertTrackingStrip(this, false, lastMousePoint.y);
                InvertTrackingStrip(this, false, point.y);
                break;
            case GMM_SIZING_COLUMN:
                InvertTrackingStrip(this, true, lastMousePoint.x);
                InvertTrackingStrip(this, true, point.x);
                break;
            default:
                break;
            }
        }
    } else if (allowColumnResize && IsOverColumnDivider(point)) {
        if (mouseMode != GMM_AT_COLUMN_EDGE) {
            SetStandardCursor((LPCSTR)IDC_SIZEWE);
            mouseMode = GMM_AT_COLUMN_EDGE;
        }
    } else if (allowRowResize && IsOverRowDivider(point)) {
        if (mouseMode != GMM_AT_ROW_EDGE) {
            SetStandardCursor((LPCSTR)IDC_SIZENS);
            mouseMode = GMM_AT_ROW_EDGE;
        }
    } else if (mouseMode != GMM_IDLE) {
        SetStandardCursor((LPCSTR)IDC_ARROW);
        mouseMode = GMM_IDLE;
    }

    lastMousePoint = point;
}

void CGridMainWnd::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == hoverTimer) {
        // The title tip shows once the pointer has rested on a cell for six ticks. Not while a
        // button is down or the mouse drags, clicks or sizes: the tip would take the mouse and
        // the release would never reach the grid. The rest then counts from the release.
        if (mouseMode != GMM_IDLE || ::GetKeyState(VK_LBUTTON) < 0 || ::GetKeyState(VK_RBUTTON) < 0 ||
            ::GetKeyState(VK_MBUTTON) < 0) {
            hoverTicks = 0;
            return;
        }
        hoverTicks++;
        if (hoverTicks <= 5) return;
        CPoint cursor;
        if (!::GetCursorPos(&cursor)) return;
        ScreenToClient(&cursor);
        if (cursor != lastMousePoint || !titleTipsEnabled) return;
        if (!titleTipCreated) {
            titleTip.Create(this);
            titleTipCreated = TRUE;
        }
        CCellPos cell = HitTestCell(lastMousePoint, TRUE);
        if (!IsValidCell(cell) || cell.row < fixedRowCount || cell.col < fixedColumnCount) return;
        CRect textBounds, cellBounds;
        if (!GetCellTextBounds(cell.row, cell.col, &textBounds) || !GetCellBounds(cell, &cellBounds)) return;
        // The tip's text is that of the row's last column, not of the column under the pointer.
        titleTip.Show(textBounds, GetCellText(cell.row, columnCount - 1), 5, &cellBounds,
                      GetCellFont(cell.row, cell.col));
        hoverTicks = 0;
        return;
    }

    // Auto-scroll while a drag is outside the cells: one line per tick, by the arrow keys, and
    // the selection follows to the cell at the edge.
    CPoint point;
    if (!::GetCursorPos(&point)) return;
    ScreenToClient(&point);
    CRect client;
    GetClientRect(&client);
    int fixedHeight = GetFixedAreaHeight();
    int fixedWidth = GetFixedAreaWidth();

    int x = Clamp(point.x, client.left, client.right);
    if (point.y > client.bottom) {
        SendMessage(WM_KEYDOWN, VK_DOWN, 0);
        SelectToCell(HitTestCell(CPoint(x, client.bottom), TRUE));
    } else if (point.y < fixedHeight) {
        SendMessage(WM_KEYDOWN, VK_UP, 0);
        SelectToCell(HitTestCell(CPoint(x, fixedHeight + 1), TRUE));
    }

    int y = Clamp(point.y, client.top, client.bottom);
    if (point.x > client.right) {
        SendMessage(WM_KEYDOWN, VK_RIGHT, 0);
        SelectToCell(HitTestCell(CPoint(client.right, y), TRUE));
    } else if (point.x < fixedWidth) {
        SendMessage(WM_KEYDOWN, VK_LEFT, 0);
        SelectToCell(HitTestCell(CPoint(fixedWidth + 1, y), TRUE));
    }
}

void CGridMainWnd::OnLButtonUp(UINT nFlags, CPoint point) {
    COleWnd::OnLButtonUp(nFlags, point);
    ::ClipCursor(nullptr);

    if (::GetCapture() == m_hWnd) {
        ::ReleaseCapture();
        KillTimer(scrollTimer);
        scrollTimer = 0;
    }

    if (mouseMode == GMM_CLICKED_FOCUS) {
        BeginCellEdit(focusCell.row, focusCell.col, VK_LBUTTON);
    } else if (mouseMode == GMM_SIZING_COLUMN) {
        InvertTrackingStrip(this, true, lastMousePoint.x);
        CPoint start;
        if (point != clickDownPoint && GetDividerCellStart(this, clickDownCell, &start))
            SetColumnWidth(clickDownCell.col, point.x - start.x);
        UpdateScrollBars();
        Invalidate(TRUE);
    } else if (mouseMode == GMM_SIZING_ROW) {
        InvertTrackingStrip(this, false, lastMousePoint.y);
        CPoint start;
        if (point != clickDownPoint && GetCellTopLeft(clickDownCell, &start))
            SetRowHeight(clickDownCell.row, point.y - start.y);
        UpdateScrollBars();
        Invalidate(TRUE);
    }

    mouseMode = GMM_IDLE;
    SetStandardCursor((LPCSTR)IDC_ARROW);

    if (IsValidCell(clickDownCell)) {
        HWND target = NotifyTarget(this);
        if (target != nullptr)
            ::PostMessageA(target, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), (LPARAM)m_hWnd);
    }
}

void CGridMainWnd::OnLButtonDblClk(UINT nFlags, CPoint point) {
    if (mouseMode == GMM_AT_COLUMN_EDGE) {
        // Fits the column left of the divider: the clicked one, or the one before it when the
        // point is at the clicked column's left edge.
        CCellPos cell = HitTestCell(point, TRUE);
        CPoint start;
        if (!GetCellTopLeft(0, cell.col, &start)) return;
        FitColumnToText(point.x - start.x <= dividerTolerance ? cell.col - 1 : cell.col);
        Invalidate(TRUE);
    } else if (mouseMode == GMM_AT_ROW_EDGE) {
        CCellPos cell = HitTestCell(point, TRUE);
        CPoint start;
        if (!GetCellTopLeft(cell.row, 0, &start)) return;
        FitRowToText(point.y - start.y <= dividerTolerance ? cell.row - 1 : cell.row);
        Invalidate(TRUE);
    } else if (mouseMode == GMM_IDLE) {
        if (IsValidCell(clickDownCell) && clickDownCell.row >= fixedRowCount &&
            clickDownCell.col >= fixedColumnCount) {
            BeginCellEdit(focusCell.row, focusCell.col, VK_LBUTTON);
        } else if (listMode) {
            CCellPos cell = HitTestCell(point, TRUE);
            if (IsValidCell(cell) && cell.row >= fixedRowCount && cell.col < fixedColumnCount)
                BeginCellEdit(cell.row, cell.col, VK_LBUTTON);
        }
    }

    PostSelChange(this, GSC_DOUBLECLICK, clickDownCell);
    lastMousePoint = point;
    COleWnd::OnLButtonDblClk(nFlags, point);
}

void CGridMainWnd::OnRButtonDown(UINT nFlags, CPoint point) {
    CCellPos cell = HitTestCell(point, TRUE);
    titleTip.Hide();
    SetFocus();
    // Outside every cell this clears the focus. The selection stays as it is.
    MoveFocusTo(cell);
    PostSelChange(this, GSC_RIGHTCLICK, cell);
    COleWnd::OnRButtonDown(nFlags, point);
}

BOOL CGridMainWnd::OnMouseWheel(UINT nFlags, short zDelta, CPoint pt) {
    // One notch is 120 units. Turning the wheel away from the user scrolls up. The scrolls are
    // posted, so they run after this message.
    if (wheelScrollLines == -1) {
        int pages = zDelta / 120;
        for (int i = 0; i < pages; i++)
            PostMessage(WM_VSCROLL, SB_PAGEUP, 0);
        for (int i = 0; i < -pages; i++)
            PostMessage(WM_VSCROLL, SB_PAGEDOWN, 0);
    } else {
        int lines = (zDelta * wheelScrollLines) / 120;
        for (int i = 0; i < lines; i++)
            PostMessage(WM_VSCROLL, SB_LINEUP, 0);
        for (int i = 0; i < -lines; i++)
            PostMessage(WM_VSCROLL, SB_LINEDOWN, 0);
    }
    return COleWnd::OnMouseWheel(nFlags, zDelta, pt);
}

void CGridMainWnd::OnCaptureChanged(CWnd* pWnd) {
    // Another window took the mouse: the drag is over, and so is its auto-scroll.
    if ((pWnd == nullptr || pWnd->m_hWnd != m_hWnd) && scrollTimer != 0) {
        KillTimer(scrollTimer);
        scrollTimer = 0;
    }
}
