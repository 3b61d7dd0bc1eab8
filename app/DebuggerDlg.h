// The debugger's main dialog: the trace grid over the detail box. Trace records arrive from the
// script engine by WM_COPYDATA; each one becomes a grid row and an entry of m_details.
#pragma once

#include "afxdlgs.h"
#include "afxwin.h"
#include "GridMainWnd.h"
#include "TraceDetails.h"
#include "TraceGrid.h"
#include "TraceSearch.h"
#include "TraceRecord.h"
#include "resource.h"

// Posted to the dialog itself when memory runs out for a trace record.
#define WM_TRACE_FULL (WM_APP + 24)

class CDebuggerDlg : public CDialog {
public:
    explicit CDebuggerDlg(CWnd* pParent = nullptr);

    // Find (TraceFind.cpp): Ctrl+F opens the system's Find dialog; FindNextMatch searches from the
    // focus row the given way, wrapping at the end, and makes the row found the focused and only
    // selected row, in view, its detail in the detail box.
    void OnEditFind();
    void FindNextMatch(BOOL down);

    // The one-time grid set-up of OnInitDialog.
    void SetupGrid();

    // File > Open File and File > Save File: the system's dialogs, then LoadTraceFile or
    // SaveTraceFile of the chosen path.
    void OnFileOpen();
    void OnFileSave();
    // Replaces the trace with the rows of a trace file; a file that cannot be opened or read
    // leaves the trace as it was and says so. The call depth and the time of the previous record
    // are kept.
    void LoadTraceFile(CString path);
    // Writes the trace to a trace file, replacing the file only when every row is written; on
    // failure the file stays as it was and a message says so.
    void SaveTraceFile(CString path);

    // Scrolls the newest row into view and repaints the grid when records are waiting to be
    // shown; nothing otherwise.
    void FlushTraceView();
    BOOL IsTraceViewPending() const { return m_viewPendingFrom >= 0; }

    // Read access for tests and tools that inspect the trace.
    CGridMainWnd& Grid() { return m_grid; }
    const CTraceDetails& Details() const { return m_details; }
    int Depth() const { return m_rows.depth; }

    // Dropped files and the two script viewers.
    void OnDropFiles(HDROP hDrop);
    CString GetFileExtension(CString path);
    void DisplayScriptListing(CString path);
    void DisplayCompiledScript(CString path);

protected:
    // Full detail of every scrolling row: entry i is row i + 1. The Result cells of short details
    // show these characters, so a row goes from the grid before its detail goes from here (and
    // the grid, declared after it, is destroyed first).
    CTraceDetails m_details;
    CTraceGridWnd m_grid; // the trace grid, control 4048
    // The look every trace row gets, taken from the first record's row: the rows after it are
    // made from it in one step (AppendTraceRow).
    CGridRowLook m_traceRowLook;
    CTraceRowRules m_rows; // the call depth and the GetTickCount of the previous record
    CEdit m_editDetail;    // the detail box, control 1001
    HICON m_hIcon;         // icon 128
    // A record is being taken (its session prompt may be open) or a file loaded. Another record
    // that arrives meanwhile, through a message box's loop, is refused: the change under way could
    // still be taken back, and with it a record already answered TRUE.
    BOOL m_traceBusy;
    // Memory ran out for a record within the size limit (a larger one is refused and leaves this
    // alone): records are refused until New File or a load frees memory.
    BOOL m_traceFull;

    // Records that arrive less than a frame apart are scrolled into view and painted together,
    // for the newest of them, a frame later or, when painting takes long, later (TraceView.cpp).
    int m_viewPendingFrom;       // first row added since the view was last brought up to date, or -1
    LONGLONG m_lastArrival;      // performance counter at the previous trace record
    LONGLONG m_viewPendingSince; // performance counter when m_viewPendingFrom was set
    LONGLONG m_frameTicks;       // one display frame in performance-counter ticks
    LONGLONG m_updateGap;        // ticks a flood's records wait to be shown: a frame, or more
    // Following the newest row (TraceView.cpp). Only the user's scrolling changes it: the view's
    // position is remembered wherever the trace leaves it, and a different position found later
    // is the user's.
    BOOL m_following;
    int m_viewPos; // vertical scroll position the trace last left the view at
    // Rows came while the user held the mouse button in the grid and the view follows: the view
    // is brought to the newest row once the button is released (TraceView.cpp).
    BOOL m_waitingForRelease;
    // A key pressed in the grid is being handled: the focus row it moves to has its detail shown.
    BOOL m_keyInGrid;

    // The Find dialog and the last search's text and options (kept for the run).
    CFindReplaceDialog m_find;
    TraceFindQuery m_findQuery;
    BOOL m_findDown = TRUE;
    LRESULT OnFindMessage(WPARAM wParam, LPARAM lParam);
    // Ctrl+F and F3 / Shift+F3 in the dialog or the Find dialog, and the Find dialog's own keys.
    BOOL PreTranslateFindKeys(MSG* pMsg);

    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void LayoutControls(int cx, int cy);

    void OnPaint();
    HCURSOR OnQueryDragIcon();
    BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct);
    BOOL TakeRecord(const COPYDATASTRUCT* pCopyDataStruct, BOOL burst);
    void OnSize(UINT nType, int cx, int cy);
    void OnFileNew();

    // The view of the trace: a record's row shown at once, or with the records that follow it
    // within a frame; the pending update is carried out before anything else looks at the grid.
    void ShowTraceRow(int row, BOOL burst);
    // Starts waiting to show the rows that follow; FALSE when no timer can be set for it, and the
    // record is then shown at once.
    BOOL BeginPendingView(LONGLONG now);
    // The timer that shows waiting rows a frame later; FALSE when the system sets none.
    virtual BOOL StartTraceViewTimer();
    void NoteUserScroll();
    void FollowTrace();
    int ViewPosition() const;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnTimer(UINT_PTR nIDEvent);
    LRESULT OnGridSelChange(WPARAM wParam, LPARAM lParam);
    void OnGridFocusEnter(NMHDR* pNotify, LRESULT* pResult);
    // Shows a row's full detail in the detail box; nothing for a row without one.
    void ShowRowDetail(int row);
    // The user holds the mouse button in the grid: a selection or a divider is dragged, or the
    // scroll bar's thumb (the grid has the capture in each case).
    BOOL MouseHeldInGrid() const;
    // The view, held still while the button was down, follows again once it is released.
    void WaitForRelease();
    // A benchmark's question how many bytes the trace's storage takes (TraceStorageQuery.h).
    static UINT StorageQueryMessage();
    LRESULT AnswerStorageQuery(WPARAM figure);
    CGridStorageUse m_storageUse; // the grid's last measured storage, for further questions
    int m_storageRows = -1;       // the rows it was measured at; -1 before the first question
    DWORD m_storageTick = 0;      // when it was measured
    DWORD m_storageWait = 250;    // how long it serves once the rows change, in ms
    // Posted when a record found memory full: tells the user, after the sender has its answer.
    LRESULT OnTraceFull(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()
};
