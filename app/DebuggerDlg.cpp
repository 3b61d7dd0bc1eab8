// The main dialog: start-up, grid set-up, layout, icon, New File and the click notification.
// The trace records themselves are handled in TraceProtocol.cpp.
#include "DebuggerDlg.h"
#include "TraceGrid.h"

BEGIN_MESSAGE_MAP(CDebuggerDlg, CDialog)
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_COPYDATA()
ON_WM_SIZE()
ON_WM_TIMER()
ON_WM_DROPFILES()
ON_COMMAND(ID_FILE_OPEN, OnFileOpen)
ON_COMMAND(ID_FILE_SAVE, OnFileSave)
ON_COMMAND(ID_APP_EXIT, OnOK)
ON_COMMAND(ID_FILE_NEW, OnFileNew)
ON_MESSAGE(WM_GRID_SELCHANGE, OnGridSelChange)
ON_NOTIFY(GN_FOCUSENTER, IDC_TRACE_GRID, OnGridFocusEnter)
ON_MESSAGE(WM_TRACE_FULL, OnTraceFull)
END_MESSAGE_MAP()

CDebuggerDlg::CDebuggerDlg(CWnd* pParent)
    : CDialog(IDD_VKDEBUGER_DIALOG, pParent), m_grid(0, 0, 0, 0), m_traceBusy(FALSE), m_traceFull(FALSE),
      m_viewPendingFrom(-1), m_lastArrival(0), m_viewPendingSince(0), m_following(TRUE), m_viewPos(0),
      m_waitingForRelease(FALSE), m_keyInGrid(FALSE) {
    // The delay of the first record is measured from the dialog's creation.
    m_rows.StartSession(::GetTickCount());
    LARGE_INTEGER freq;
    ::QueryPerformanceFrequency(&freq);
    m_frameTicks = freq.QuadPart * 16 / 1000; // one frame at 60 Hz
    m_updateGap = m_frameTicks;
    // The first record finds the previous one long gone.
    m_lastArrival = -m_frameTicks;
    m_hIcon = ::LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void CDebuggerDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_EDIT_DETAIL, m_editDetail);
    DDX_GridControl(pDX, IDC_TRACE_GRID, m_grid);
}

BOOL CDebuggerDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    SendMessage(WM_SETICON, ICON_BIG, (LPARAM)m_hIcon);
    SendMessage(WM_SETICON, ICON_SMALL, (LPARAM)m_hIcon);
    DragAcceptFiles(TRUE);
    SetupGrid();

    CRect rc;
    GetClientRect(&rc);
    LayoutControls(rc.Width(), rc.Height());
    return TRUE;
}

void CDebuggerDlg::SetupGrid() {
    if (SetupTraceGrid(m_grid)) m_grid.InvalidateRect(nullptr, TRUE);
}

// The grid takes the upper two thirds, the detail box the rest, with 4-pixel margins.
void CDebuggerDlg::LayoutControls(int cx, int cy) {
    m_grid.MoveWindow(4, 4, cx - 8, (2 * cy) / 3 - 8, TRUE);
    m_editDetail.MoveWindow(4, (2 * cy) / 3, cx - 8, cy / 3 - 8, TRUE);
}

void CDebuggerDlg::OnSize(UINT nType, int cx, int cy) {
    CDialog::OnSize(nType, cx, cy);
    if (m_grid.m_hWnd != nullptr) LayoutControls(cx, cy);
}

void CDebuggerDlg::OnPaint() {
    if (IsIconic()) {
        CPaintDC dc(this);
        SendMessage(WM_ICONERASEBKGND, (WPARAM)dc.GetSafeHdc(), 0);
        int cxIcon = ::GetSystemMetrics(SM_CXICON);
        int cyIcon = ::GetSystemMetrics(SM_CYICON);
        CRect rect;
        GetClientRect(&rect);
        int x = (rect.Width() - cxIcon + 1) / 2;
        int y = (rect.Height() - cyIcon + 1) / 2;
        ::DrawIcon(dc.m_hDC, x, y, m_hIcon);
    } else {
        CDialog::OnPaint();
    }
}

HCURSOR CDebuggerDlg::OnQueryDragIcon() {
    return (HCURSOR)m_hIcon;
}

void CDebuggerDlg::OnFileNew() {
    m_grid.RemoveScrollingRows();
    m_details.SetSize(0);
    m_traceFull = FALSE;
    SetDlgItemText(IDC_EDIT_DETAIL, "");
    m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    FollowTrace();
}

LRESULT CDebuggerDlg::OnGridSelChange(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) != IDC_TRACE_GRID) return 0;
    int row = LOWORD(lParam);
    // The message carries the row in 16 bits, too few for a trace past row 65,535. The grid
    // keeps the whole cell of its last click: when the message is that click's, take its row.
    CCellPos clicked = m_grid.GetLastClickedCell();
    if (clicked.row >= 0 && LOWORD(clicked.row) == LOWORD(lParam) && LOWORD(clicked.col) == HIWORD(lParam))
        row = clicked.row;
    int fixedRows = m_grid.GetNumFixedRows();
    if (row < fixedRows) return 0;
    if (HIWORD(wParam) != GSC_CLICK) return 1;
    ShowRowDetail(row);
    return 1;
}

void CDebuggerDlg::OnGridFocusEnter(NMHDR* pNotify, LRESULT* pResult) {
    *pResult = 0;
    // The detail box follows the focus row as the user walks the trace with the keys, as a click
    // on the row would show it. Only a key the user pressed in the grid counts: a right click, a
    // drag (its auto-scroll too) and the trace's own changes leave the detail box as it is.
    if (!m_keyInGrid) return;
    const GridNotifyInfo* info = (const GridNotifyInfo*)pNotify;
    ShowRowDetail(info->row);
}

void CDebuggerDlg::ShowRowDetail(int row) {
    // The click message is posted: the trace may have shrunk since, and a row without a detail
    // any more shows nothing.
    const INT_PTR index = row - m_grid.GetNumFixedRows();
    if (index < 0 || index >= m_details.GetSize()) return;
    CString text = m_details[index];
    text.Replace("\n", "\r\n");
    text.Replace("^", "\r\n");
    SetDlgItemText(IDC_EDIT_DETAIL, text);
}
