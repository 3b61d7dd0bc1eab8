// How trace rows reach the screen. A record that arrives a frame or more after the previous one
// is scrolled into view and painted before its answer returns. Records that arrive faster than
// that are only stored: the scroll bars' range, the scroll to the newest row and the painting
// are done once for all of them, by a timer a frame later or by the record that finds the update
// a frame old, so that an engine streaming records is not held to the pace of the screen. Where
// an update takes long (a large window, a slow system), the updates of a flood are spaced so that
// they take at most a tenth of the engine's time, but come at least four times a second.
// Anything that looks at the grid (input, commands, resizing, dropped files, the session prompt)
// brings the view up to date first, so it sees the grid as if every row had been shown at once.
//
// The view follows the newest row until the user scrolls away from it (wheel, scroll bar, keys);
// then new rows are stored, counted in the scroll bar and painted where they lie, and the rows on
// the screen stay where the user put them, until the user brings the view back to the end. While
// the user holds the mouse button in the grid (dragging a selection, a divider or the thumb) the
// view does not follow either, so the rows stay under the pointer; the drag's own auto-scroll
// moves it as on a still trace, and after the release the view follows again only if it was left
// at the end. The trace never takes the keyboard focus: the user may be selecting text in the
// detail box, or working in another program.
#include "DebuggerDlg.h"
#include "TraceGrid.h"

namespace {
const UINT_PTR kTraceViewTimer = 1;
// The timer looks at the waiting records every 10 ms: systems fire timers on their tick, up to a
// tick late, and a longer period would show the last records of a stream well after a frame.
const UINT kTraceViewTimerMs = 10;
const UINT kFrameMs = 16; // m_frameTicks in milliseconds
// While rows wait for the mouse button to be released, the release is looked for this often.
const UINT_PTR kReleaseTimer = 2;
const UINT kReleaseTimerMs = 30;
// An update of the view in a flood waits at least this many times its own last duration, so that
// updating takes at most a tenth of the time; but never longer than kLongestGapMs.
const LONGLONG kGapPerUpdate = 9;
const LONGLONG kLongestGapMs = 250;
} // namespace

BOOL CDebuggerDlg::BeginPendingView(LONGLONG now) {
    if (m_viewPendingFrom >= 0) return TRUE;
    // Without the timer the waiting rows would be shown only by the next record or input, which
    // may never come: the record is shown at once instead.
    if (!StartTraceViewTimer()) return FALSE;
    // The ranges of the rows that follow are not set and drawn one by one (several system calls
    // each): the flush sets them and draws the bars once. Whatever scrolls the grid brings the
    // view up to date first.
    m_grid.DeferScrollBarRedraw(TRUE);
    m_grid.SuspendScrollBarUpdates(TRUE);
    m_viewPendingFrom = m_grid.GetNumRows();
    m_viewPendingSince = now;
    return TRUE;
}

BOOL CDebuggerDlg::StartTraceViewTimer() {
    return SetTimer(kTraceViewTimer, kTraceViewTimerMs, nullptr) != 0;
}

int CDebuggerDlg::ViewPosition() const {
    return m_grid.m_hWnd != nullptr ? m_grid.GetScrollPosition(SB_VERT, FALSE) : 0;
}

void CDebuggerDlg::NoteUserScroll() {
    // Batched rows leave the view short of the end for a frame without moving it: only a
    // position the trace did not leave the view at is the user's doing, and only then is it
    // looked at. The user follows the trace by leaving the view at the end of the range, or
    // anywhere the newest row is wholly shown.
    const int pos = ViewPosition();
    if (pos == m_viewPos) return;
    m_viewPos = pos;
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    const int end = ::GetScrollInfo(m_grid.m_hWnd, SB_VERT, &si) ? si.nMax - (int)si.nPage + 1 : 0;
    m_following = pos >= end || m_grid.GetFullyShownCellSpan().maxRow >= m_grid.GetNumRows() - 1;
}

void CDebuggerDlg::FollowTrace() {
    m_following = TRUE;
    m_viewPos = ViewPosition();
}

BOOL CDebuggerDlg::MouseHeldInGrid() const {
    return m_grid.m_hWnd != nullptr && ::GetCapture() == m_grid.m_hWnd;
}

void CDebuggerDlg::WaitForRelease() {
    // Without the timer, the next record after the release brings the view to the end instead.
    if (!m_waitingForRelease && m_hWnd != nullptr)
        m_waitingForRelease = SetTimer(kReleaseTimer, kReleaseTimerMs, nullptr) != 0;
}

void CDebuggerDlg::ShowTraceRow(int row, BOOL burst) {
    if (!burst) {
        if (m_following && MouseHeldInGrid()) {
            WaitForRelease();
        } else if (m_following) {
            m_grid.ScrollCellIntoView(row, 0);
            m_viewPos = ViewPosition();
        }
        m_grid.RepaintRow(row);
        return;
    }
    // A steady stream never lets the timer's message through: the record that finds the update
    // a frame old makes it, so the view keeps moving at the screen's pace.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (now.QuadPart - m_viewPendingSince >= m_updateGap) FlushTraceView();
}

void CDebuggerDlg::FlushTraceView() {
    if (m_viewPendingFrom < 0) return;
    m_viewPendingFrom = -1;
    m_grid.SuspendScrollBarUpdates(FALSE);
    if (m_hWnd != nullptr) KillTimer(kTraceViewTimer);
    if (m_grid.m_hWnd == nullptr) {
        m_grid.DeferScrollBarRedraw(FALSE);
        return;
    }
    CGridMainWnd::FocusHold hold(m_grid);
    NoteUserScroll();
    const BOOL held = MouseHeldInGrid();
    if (held && m_following) WaitForRelease();
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    ShowNewTraceRows(m_grid, m_following && !held);
    ::QueryPerformanceCounter(&end);
    m_viewPos = ViewPosition();
    const LONGLONG longest = m_frameTicks * kLongestGapMs / kFrameMs;
    const LONGLONG gap = (end.QuadPart - start.QuadPart) * kGapPerUpdate;
    m_updateGap = gap < m_frameTicks ? m_frameTicks : gap > longest ? longest : gap;
}

void CDebuggerDlg::OnTimer(UINT_PTR nIDEvent) {
    if (nIDEvent == kReleaseTimer) {
        if (MouseHeldInGrid()) return;
        KillTimer(kReleaseTimer);
        m_waitingForRelease = FALSE;
        FlushTraceView();
        // The rows that came during the hold are shown now, if the view was left following.
        CGridMainWnd::FocusHold hold(m_grid);
        NoteUserScroll();
        const int newest = m_grid.GetNumRows() - 1;
        if (m_following && newest >= m_grid.GetNumFixedRows()) {
            m_grid.ScrollCellIntoView(newest, 0);
            m_viewPos = ViewPosition();
        }
        return;
    }
    if (nIDEvent != kTraceViewTimer) {
        CDialog::OnTimer(nIDEvent);
        return;
    }
    // The view is brought up to date a frame (or the gap a long update asks) after the first
    // waiting record, or as soon as the records have stopped for a tick: a paint per tick would
    // cost a streaming engine more than a paint per frame.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    if (now.QuadPart - m_viewPendingSince >= m_updateGap ||
        now.QuadPart - m_lastArrival >= m_frameTicks * (LONGLONG)kTraceViewTimerMs / kFrameMs)
        FlushTraceView();
}

LRESULT CDebuggerDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == StorageQueryMessage()) return AnswerStorageQuery(wParam);
    if (message == CFindReplaceDialog::GetFindReplaceMsg()) return OnFindMessage(wParam, lParam);
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
    if (PreTranslateFindKeys(pMsg)) return TRUE;
    if (m != WM_KEYDOWN || pMsg->hwnd != m_grid.m_hWnd) return CDialog::PreTranslateMessage(pMsg);
    // A key pressed in the grid: the dialog manager hands it to the grid, and the focus row it
    // moves to has its detail shown (OnGridFocusEnter).
    const BOOL outer = m_keyInGrid;
    m_keyInGrid = TRUE;
    BOOL taken;
    if (pMsg->wParam == VK_END && ::GetKeyState(VK_CONTROL) < 0) {
        // Ctrl+End goes to the newest row and the view follows again. With a focus cell the
        // grid's own End moves the focus and the selection there (Shift extends it); without one
        // there is no cell to move from, and the view alone goes to the end.
        if (m_grid.IsValidCell(m_grid.GetFocusCell()))
            m_grid.SendMessage(WM_KEYDOWN, pMsg->wParam, pMsg->lParam);
        else
            m_grid.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
        FollowTrace();
        taken = TRUE;
    } else {
        taken = CDialog::PreTranslateMessage(pMsg);
    }
    m_keyInGrid = outer;
    return taken;
}
