// How trace rows reach the screen. A record that arrives a frame or more after the previous one
// is scrolled into view and painted before its answer returns. Records that arrive faster than
// that are only stored: the scroll bars' range, the scroll to the newest row and the painting
// are done once for all of them, by a timer a frame later or by the record that finds the update
// a frame old, so that an engine streaming records is not held to the pace of the screen.
// Anything that looks at the grid (input, commands, resizing, dropped files, the session prompt)
// brings the view up to date first, so it sees the grid as if every row had been shown at once.
#include "DebuggerDlg.h"
#include "TraceGrid.h"

namespace {
const UINT_PTR kTraceViewTimer = 1;
// The timer looks at the waiting records every 10 ms: systems fire timers on their tick, up to a
// tick late, and a longer period would show the last records of a stream well after a frame.
const UINT kTraceViewTimerMs = 10;
const UINT kFrameMs = 16; // m_frameTicks in milliseconds
} // namespace

BOOL CDebuggerDlg::BeginPendingView(LONGLONG now) {
    if (m_viewPendingFrom >= 0) return TRUE;
    // Without the timer the waiting rows would be shown only by the next record or input, which
    // may never come: the record is shown at once instead.
    if (!StartTraceViewTimer()) return FALSE;
    // Range changes of the rows that follow are not drawn one by one: the flush draws the bars.
    m_grid.DeferScrollBarRedraw(TRUE);
    m_viewPendingFrom = m_grid.GetNumRows();
    m_viewPendingSince = now;
    return TRUE;
}

BOOL CDebuggerDlg::StartTraceViewTimer() {
    return SetTimer(kTraceViewTimer, kTraceViewTimerMs, nullptr) != 0;
}

void CDebuggerDlg::ShowTraceRow(int row, BOOL burst) {
    if (!burst) {
        m_grid.ScrollCellIntoView(row, 0);
        m_grid.RepaintRow(row);
        return;
    }
    // A steady stream never lets the timer's message through: the record that finds the update
    // a frame old makes it, so the view keeps moving at the screen's pace.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (now.QuadPart - m_viewPendingSince >= m_frameTicks) FlushTraceView();
}

void CDebuggerDlg::FlushTraceView() {
    if (m_viewPendingFrom < 0) return;
    m_viewPendingFrom = -1;
    if (m_hWnd != nullptr) KillTimer(kTraceViewTimer);
    if (m_grid.m_hWnd == nullptr) {
        m_grid.DeferScrollBarRedraw(FALSE);
        return;
    }
    ShowNewTraceRows(m_grid);
}

void CDebuggerDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent != kTraceViewTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    // The view is brought up to date a frame after the first waiting record, or as soon as the
    // records have stopped for a tick: a paint per tick would cost a streaming engine more than a
    // paint per frame.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (now.QuadPart - m_viewPendingSince >= m_frameTicks ||
        now.QuadPart - m_lastArrival >= m_frameTicks * (LONGLONG)kTraceViewTimerMs / kFrameMs)
        FlushTraceView();
}

LRESULT CDebuggerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_SYSCOMMAND:
    case WM_SIZE:
    case WM_DROPFILES:
    case WM_DESTROY:
        FlushTraceView();
        break;
    default:
        break;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

BOOL CDebuggerDlg::PreTranslateMessage(MSG* pMsg) {
    // Keys, clicks, the wheel and the scroll bars act on the rows where the user sees them.
    const UINT m = pMsg->message;
    if ((m >= WM_KEYFIRST && m <= WM_KEYLAST) || (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) ||
        (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK))
        FlushTraceView();
    return CDialog::PreTranslateMessage(pMsg);
}
