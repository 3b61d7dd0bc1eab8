// The sample's frame: creating the grid control, Print and Exit, and keeping the "Codes" column
// current.
#include "GridPrintJob.h"
#include "SampleFrame.h"
#include "resource.h"

BEGIN_MESSAGE_MAP(CSampleFrame, CFrameWnd)
ON_WM_CREATE()
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_APP_EXIT, OnAppExit)
ON_NOTIFY(GN_ENDCHANGE, IDC_SAMPLE_GRID, OnGridEndChange)
END_MESSAGE_MAP()

BOOL CSampleFrame::CreateSample() {
    return Create(nullptr, "Grid Sample", WS_OVERLAPPEDWINDOW, CRect(60, 40, 60 + 820, 40 + 420), nullptr,
                  IDR_SAMPLE_MENU);
}

int CSampleFrame::OnCreate(LPCREATESTRUCTA) {
    if (Default() == -1) return -1;
    HWND hGrid = ::CreateWindowExA(0, GRID_CLASSNAME, "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, 0, 0,
                                   m_hWnd, (HMENU)(UINT_PTR)IDC_SAMPLE_GRID, AfxGetInstanceHandle(), nullptr);
    if (hGrid == nullptr || !m_grid.SubclassGrid(hGrid)) return -1;
    m_grid.Populate();
    SetActiveView(&m_grid);
    return 0;
}

// The standard print dialog, then the grid's pages on the chosen printer.
void CSampleFrame::OnFilePrint() {
    PrintGridWithDialog(this, m_grid, "Grid Sample");
}

void CSampleFrame::OnAppExit() {
    SendMessage(WM_CLOSE);
}

// A cell's text changed. An edit's chosen entry data is stored right after this notification,
// so the "Codes" cell is repainted (and read) once the message is done.
void CSampleFrame::OnGridEndChange(NMHDR* pNotify, LRESULT* pResult) {
    const GridNotifyInfo* info = (const GridNotifyInfo*)pNotify;
    if (info->col == CSampleGrid::COL_COLOUR || info->col == CSampleGrid::COL_PRIORITY)
        m_grid.InvalidateCell(CCellPos(info->row, CSampleGrid::COL_CODES));
    *pResult = 0;
}
