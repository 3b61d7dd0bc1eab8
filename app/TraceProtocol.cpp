// The trace protocol: one WM_COPYDATA record from the script engine becomes one grid row and one
// entry of m_details, or, for a session start, a question to the user and an empty trace.
#include "DebuggerDlg.h"
#include "TraceGrid.h"
#include "vktrace.h"

#include <new>

BOOL CDebuggerDlg::OnCopyData(CWnd* /*pWnd*/, COPYDATASTRUCT* pCopyDataStruct) {
    // No record at all, or one larger than the protocol allows: refused before any of it is read.
    // A refusal for size says nothing about the trace: the next record is taken as ever.
    if (pCopyDataStruct == nullptr || pCopyDataStruct->cbData > VKTRACE_MAX_RECORD_BYTES) return FALSE;
    // A message box's loop (the session prompt, a load's error) still delivers records from other
    // senders. They are not taken: the user's OK would empty the trace they were added to, a
    // second session start would open a second prompt, and the rollback of a failing record or
    // load would remove them after their TRUE.
    if (m_traceBusy) return FALSE;
    // The trace is full once a record within the size limit could not be stored for want of
    // memory: records are refused until the trace is emptied or replaced.
    if (m_traceFull && pCopyDataStruct->dwData != TRACE_SESSION_START) return FALSE;
    // A record never moves the keyboard focus: not when it scrolls the grid, nor when it makes
    // the grid's scroll bar appear.
    CGridMainWnd::FocusHold hold(m_grid);

    // A trace record that follows the previous one within a frame is shown with the records
    // after it (TraceView.cpp). A session start shows the trace as it is before asking.
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    BOOL burst = FALSE;
    if (pCopyDataStruct->dwData == TRACE_SESSION_START) {
        FlushTraceView();
    } else {
        // Whether to follow is settled before the row changes the scroll range.
        NoteUserScroll();
        burst = m_viewPendingFrom >= 0 || now.QuadPart - m_lastArrival < m_frameTicks;
        m_lastArrival = now.QuadPart;
        if (burst) burst = BeginPendingView(now.QuadPart);
    }

    // A record is taken whole or not at all: when memory runs out on the way, whatever of it was
    // stored is taken back and the sender is answered FALSE, so that every row keeps its own
    // detail.
    const int depth = m_rows.depth;
    const INT_PTR details = m_details.GetSize();
    const int rows = m_grid.GetNumRows();
    m_traceBusy = TRUE;
    try {
        const BOOL taken = TakeRecord(pCopyDataStruct, burst);
        m_traceBusy = FALSE;
        return taken;
    } catch (CException* e) {
        e->Delete();
    } catch (const std::bad_alloc&) {
    }
    m_rows.depth = depth;
    if (m_grid.GetNumRows() > rows) {
        while (m_grid.GetNumRows() > rows)
            m_grid.RemoveRow(m_grid.GetNumRows() - 1);
        // The row may have been scrolled into view, the rows above it moved up, before its paint
        // failed: the whole grid is drawn again, at the next paint, as it now is.
        if (m_grid.m_hWnd != nullptr) m_grid.Invalidate(TRUE);
    }
    m_details.SetSize(details);
    m_traceBusy = FALSE;
    // The user is told once, after the sender has its answer: no engine waits on the message.
    if (!m_traceFull) {
        m_traceFull = TRUE;
        PostMessage(WM_TRACE_FULL);
    }
    return FALSE;
}

LRESULT CDebuggerDlg::OnTraceFull(WPARAM, LPARAM) {
    AfxMessageBox("메모리가 부족하여 더 이상 추적을 받을 수 없습니다. 새 파일로 추적을 비우거나 다른 추적 "
                  "파일을 여십시오.",
                  MB_OK | MB_ICONEXCLAMATION);
    return 0;
}

BOOL CDebuggerDlg::TakeRecord(const COPYDATASTRUCT* pCopyDataStruct, BOOL burst) {
    // The payload need not be NUL-terminated; a NUL inside it ends the text there.
    const CString payload = TracePayloadText(pCopyDataStruct->lpData, pCopyDataStruct->cbData);

    if (pCopyDataStruct->dwData == TRACE_SESSION_START) {
        if (m_details.GetSize() > 0) return FALSE;
        CString prompt;
        prompt.Format("SID [%s]스크립트를 디버깅하시겠습니까", (LPCTSTR)payload);
        const int answer = MessageBox(prompt, nullptr, MB_OKCANCEL);
        if (answer != IDOK) return FALSE; // Cancel, or no prompt could be shown
        m_grid.RemoveScrollingRows();
        m_details.SetSize(0);
        m_traceFull = FALSE;
        m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        m_rows.StartSession(::GetTickCount());
        return TRUE;
    }

    TraceRowText text;
    m_rows.BuildRow(pCopyDataStruct->dwData, payload, &text);
    // The function name is kept with the detail, where a find reads it, and shown from there.
    LPCTSTR name = nullptr;
    const LPCTSTR detail = m_details.Add(text.detail, text.function, &name);
    text.delay = m_rows.DelayText(::GetTickCount());
    const int row = AppendTraceFileRow(m_grid, text, detail, name, &m_traceRowLook);

    ShowTraceRow(row, burst);

    m_rows.lastTick = ::GetTickCount();
    return TRUE;
}
