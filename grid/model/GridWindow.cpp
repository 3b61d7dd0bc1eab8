// CGridMainWnd: window class, construction and destruction, attaching to a dialog's control, and
// the message map.
#include "GridMainWnd.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CGridMainWnd, COleWnd)
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SIZE()
ON_WM_SYSCOLORCHANGE()
ON_WM_HSCROLL()
ON_WM_VSCROLL()
ON_WM_DESTROY()
ON_WM_LBUTTONDOWN()
ON_WM_LBUTTONUP()
ON_WM_LBUTTONDBLCLK()
ON_WM_MOUSEMOVE()
ON_WM_RBUTTONDOWN()
ON_WM_MOUSEWHEEL()
ON_WM_TIMER()
ON_WM_CAPTURECHANGED()
ON_WM_GETDLGCODE()
ON_WM_KEYDOWN()
ON_WM_CHAR()
ON_WM_SETCURSOR()
ON_MESSAGE(WM_SETFONT, OnSetFont)
ON_MESSAGE(WM_GETFONT, OnGetFont)
ON_COMMAND(ID_EDIT_CUT, CmdCut)
ON_COMMAND(ID_EDIT_COPY, CmdCopy)
ON_COMMAND(ID_EDIT_PASTE, CmdPaste)
ON_COMMAND(ID_EDIT_SELECT_ALL, CmdSelectAll)
ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateCmdCut)
ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateCmdCopy)
ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateCmdPaste)
ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateCmdSelectAll)
ON_MESSAGE(WM_GRID_FILLLIST, OnListEditorOpening)
ON_MESSAGE(WM_GRID_FILLCOMBO, OnComboEditorOpening)
ON_NOTIFY_REFLECT_EX(GN_ENDCHANGE, OnEditorEnd)
END_MESSAGE_MAP()

BOOL CGridMainWnd::RegisterGridClass() {
    WNDCLASSA wc;
    HINSTANCE hInst = AfxGetInstanceHandle();
    if (::GetClassInfoA(hInst, GRID_CLASSNAME, &wc)) return TRUE;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW | CS_GLOBALCLASS;
    // Plain default processing: the grid object takes the window over when it subclasses it.
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInst;
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_3DFACE + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = GRID_CLASSNAME;
    if (!AfxRegisterClass(&wc)) AfxThrowResourceException();
    return TRUE;
}

// The system's message font with the face Gulim. The font is asked for with the size the
// structure had before Windows Vista added iPaddedBorderWidth (340 bytes): every Windows since
// accepts it. Should a system refuse that size, the current size is tried, and failing both the
// stock GUI font stands in for the message font.
static void GetDefaultGridFont(LOGFONTA* lf) {
    const UINT kClassicSize = 340;
    static_assert(sizeof(NONCLIENTMETRICSA) >= 340, "NONCLIENTMETRICSA holds the 340-byte layout");
    NONCLIENTMETRICSA ncm;
    std::memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = kClassicSize;
    BOOL ok = ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kClassicSize, &ncm, 0);
    if (!ok) {
        std::memset(&ncm, 0, sizeof ncm);
        ncm.cbSize = sizeof ncm;
        ok = ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    }
    if (ok) {
        *lf = ncm.lfMessageFont;
    } else if (::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTA), lf) == 0) {
        std::memset(lf, 0, sizeof(LOGFONTA));
    }
    std::memset(lf->lfFaceName, 0, sizeof lf->lfFaceName);
    std::strcpy(lf->lfFaceName, "굴림");
}

CGridMainWnd::CGridMainWnd(int nRows, int nCols, int nFixedRows, int nFixedCols) {
    clickDownCell = anchorCell = focusCell = CCellPos(-1, -1);

    RegisterGridClass();

    // OLE is initialised per grid: the framework has not initialised it for this thread (it has
    // no AfxOleInit), so every grid does it and undoes it in its destructor.
    oleInitialized = FALSE;
    if (SUCCEEDED(::OleInitialize(nullptr))) {
        oleInitialized = TRUE;
    } else {
        AfxMessageBox("OLE initialization failed. Make sure that the OLE libraries are the correct version",
                      MB_OK);
    }

    cellTextColor = RGB(0, 0, 0);
    cellBkColor = RGB(255, 255, 255);
    gridBkColor = RGB(198, 215, 215);
    selectionBkColor = RGB(255, 248, 231);
    fixedTextColor = RGB(0, 0, 0);
    fixedBkColor = RGB(192, 192, 192);
    gridLineColor = RGB(198, 215, 215);
    frameColor = RGB(27, 20, 100);
    fixedTopEdgeColor = RGB(255, 255, 255);
    fixedEdgeColor = RGB(95, 152, 155);
    gridLineStyle = 3;
    editable = TRUE;
    listMode = FALSE;
    singleRowSelection = FALSE;
    drawingEnabled = TRUE;
    selectionEnabled = TRUE;
    sortOnHeaderClick = TRUE;
    wantTabKey = TRUE;
    doubleBuffered = TRUE;
    titleTipsEnabled = TRUE;
    titleTipCreated = FALSE;
    drawFrame = TRUE;
    hoverTimer = 0;
    hoverTicks = 0;
    mouseMode = GMM_IDLE;
    scrollTimer = 0;
    scrollInterval = 25;
    dividerTolerance = 3;
    allowRowResize = TRUE;
    allowColumnResize = TRUE;
    wheelScrollLines = ReadWheelScrollLines();
    sortColumn = -1;
    sortAscending = TRUE;
    imageList = nullptr;

    rowCount = fixedRowCount = columnCount = fixedColumnCount = 0;
    defaultRowHeight = 10;
    defaultColumnWidth = 30;
    textMargin = 0;
    vertScrollMax = horzScrollMax = 0;
    keepColumnProportions = FALSE;
    changedFlag = FALSE;
    // The scroll bars are maintained unless the owner says otherwise with EnableScrollBars.
    vertScrollEnabled = horzScrollEnabled = TRUE;
    GetDefaultGridFont(&gridFont);

    SetNumRows(nRows);
    SetNumColumns(nCols);
    SetNumFixedRows(nFixedRows);
    SetNumFixedColumns(nFixedCols);

    selectedCells.RemoveAll();
    savedSelection.RemoveAll();
}

CGridMainWnd::~CGridMainWnd() {
    ClearGrid();
    DestroyWindow();
    gridFontObject.DeleteObject();
    if (oleInitialized) ::OleUninitialize();
}

void DDX_GridControl(CDataExchange* pDX, int nIDC, CGridMainWnd& grid) {
    if (grid.GetSafeHwnd() != nullptr) return; // the exchange may run several times
    HWND hWnd = pDX->PrepareCtrl(nIDC);
    if (!grid.SubclassGrid(hWnd)) AfxThrowNotSupportedException();
    if (pDX->m_pDlgWnd->GetSafeHwnd() != ::GetParent(hWnd)) grid.AttachControlSite(pDX->m_pDlgWnd);
}

BOOL CGridMainWnd::SubclassGrid(HWND hWnd) {
    if (!SubclassWindow(hWnd)) return FALSE;
    if (titleTipsEnabled && !::IsWindow(titleTip.GetSafeHwnd())) {
        titleTip.Create(this);
        titleTipCreated = TRUE;
    }
    if (hoverTimer != 0) {
        KillTimer(hoverTimer);
        hoverTimer = 0;
    }
    hoverTimer = SetTimer(GRID_HOVER_TIMER_ID, GRID_HOVER_TIMER_MS, nullptr);
    return TRUE;
}

void CGridMainWnd::PreSubclassWindow() {
    COleWnd::PreSubclassWindow();
    HFONT hFont = ::CreateFontIndirectA(&gridFont);
    ApplyFont(hFont);
    if (hFont != nullptr) ::DeleteObject(hFont);
    UpdateScrollBars();
}
