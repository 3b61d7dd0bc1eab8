// Find: Ctrl+F opens the system's Find dialog over the trace; its Find Next (or Enter), F3 and
// Shift+F3 go to the next or previous row whose function name or full detail holds the text.
// The search (core/TraceSearch) reads the stored rows in place, in slices of a few milliseconds.
// Between slices it takes the records that engines have sent meanwhile, so that none waits for a
// long search, but it pumps no other message: a click, a key or a posted message handled in the
// middle could move, change or free the rows being read. A record only appends a row; a trace
// that shrinks meanwhile (a record rolled back) ends the search. A long search shows the wait
// cursor and gives up when Esc is held down.
#include "DebuggerDlg.h"

#include <optional>

namespace {
const char kNotFound[] = "\"%s\"을(를) 찾을 수 없습니다.";

// Asked between slices of the search.
struct FindProgress {
    const CTraceDetails* details;
    INT_PTR count;                   // the entries when the search began
    std::optional<CWaitCursor> wait; // from the first slice on
    bool abandoned = false;
    FindProgress(const CTraceDetails& store) : details(&store), count(store.GetSize()) {}
    static bool Cancel(void* context) {
        FindProgress* self = (FindProgress*)context;
        if (!self->wait) self->wait.emplace();
        // Only messages sent from other threads (the engines' records) are handled here.
        MSG msg;
        ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        if (self->details->GetSize() < self->count) {
            self->abandoned = true;
            return true;
        }
        return (::GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0;
    }
};
} // namespace

void CDebuggerDlg::OnEditFind() {
    if (HWND open = m_find.GetSafeHwnd()) {
        ::SetActiveWindow(open);
        return;
    }
    DWORD flags = m_findDown ? FR_DOWN : 0;
    if (m_findQuery.matchCase) flags |= FR_MATCHCASE;
    if (m_findQuery.wholeWord) flags |= FR_WHOLEWORD;
    m_find.Create(TRUE, m_findQuery.text.c_str(), nullptr, flags, this);
}

LRESULT CDebuggerDlg::OnFindMessage(WPARAM, LPARAM lParam) {
    CFindReplaceDialog* dialog = CFindReplaceDialog::GetNotifier(lParam);
    if (dialog != &m_find || m_find.IsTerminating() || !m_find.FindNext()) return 0;
    m_findQuery.text = (LPCTSTR)m_find.GetFindString();
    m_findQuery.matchCase = m_find.MatchCase() != FALSE;
    m_findQuery.wholeWord = m_find.MatchWholeWord() != FALSE;
    m_findDown = m_find.SearchDown();
    FindNextMatch(m_findDown);
    return 0;
}

void CDebuggerDlg::FindNextMatch(BOOL down) {
    if (m_findQuery.text.empty()) {
        OnEditFind();
        return;
    }
    FlushTraceView();
    const int fixedRows = m_grid.GetNumFixedRows();
    const int focusRow = m_grid.GetFocusCell().row;
    const INT_PTR start = focusRow >= fixedRows ? focusRow - fixedRows : -1;
    CTraceFinder::Result found;
    bool abandoned;
    {
        FindProgress progress(m_details);
        found = CTraceFinder(m_details, m_findQuery)
                    .FindFrom(start, down != FALSE, FindProgress::Cancel, &progress);
        abandoned = progress.abandoned;
    }
    if (abandoned) return; // the rows it was reading are gone
    if (found.cancelled) {
        // The Esc that gave the search up is not also a press of Cancel in either dialog.
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE) && msg.wParam == VK_ESCAPE)
            ::PeekMessageA(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
        return;
    }
    // Messages and beeps go to the Find dialog while it is open, as the system's programs do.
    HWND owner = m_find.GetSafeHwnd() != nullptr ? m_find.GetSafeHwnd() : m_hWnd;
    if (found.index < 0 || found.index + fixedRows >= m_grid.GetNumRows()) {
        CString message;
        message.Format(kNotFound, m_findQuery.text.c_str());
        ::MessageBoxA(owner, message, AfxGetAppName(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (found.wrapped) ::MessageBeep(MB_OK);

    // Records taken during the search are shown first: the view is about to move.
    FlushTraceView();
    // As a click on the row: the focus cell, the row alone selected, its detail shown; the view
    // moves to show it whole, and the keyboard focus stays where the user has it.
    const int row = (int)found.index + fixedRows;
    CGridMainWnd::FocusHold hold(m_grid);
    m_grid.SelectSpan(row, 0, row, m_grid.GetNumColumns() - 1, FALSE);
    m_grid.MoveFocusTo(row, 0);
    m_grid.ScrollCellIntoView(row, 0);
    // A row found away from the end stops the view following new records.
    NoteUserScroll();
    m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    ShowRowDetail(row);
}

BOOL CDebuggerDlg::PreTranslateFindKeys(MSG* pMsg) {
    HWND findWnd = m_find.GetSafeHwnd();
    const auto within = [pMsg](HWND top) {
        return top != nullptr && (pMsg->hwnd == top || ::IsChild(top, pMsg->hwnd));
    };
    if (pMsg->message == WM_KEYDOWN && (within(m_hWnd) || within(findWnd))) {
        const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, shift = ::GetKeyState(VK_SHIFT) < 0;
        const bool alt = ::GetKeyState(VK_MENU) < 0;
        if (pMsg->wParam == 'F' && ctrl && !alt && !shift) {
            OnEditFind();
            return TRUE;
        }
        if (pMsg->wParam == VK_F3 && !ctrl && !alt) {
            FindNextMatch(!shift);
            return TRUE;
        }
    }
    return m_find.PreTranslateMessage(pMsg);
}
