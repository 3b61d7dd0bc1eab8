// The trace grid's look: the set-up the dialog gives its grid and the format of one trace row.
#include "TraceGrid.h"

namespace {
const char kCopyFailed[] = "메모리가 부족하여 선택한 행을 클립보드에 복사할 수 없습니다.";
} // namespace

void CTraceGridWnd::CmdCopy() {
    // The grid's copy leaves the clipboard as it was when the text cannot be had; nothing
    // selected copies nothing, and that is no failure.
    CopySelection();
    if (LastCopyFailed()) AfxMessageBox(kCopyFailed, MB_OK | MB_ICONEXCLAMATION);
}

BOOL SetupTraceGrid(CGridMainWnd& grid) {
    grid.fixedTextColor = RGB(0, 0, 0);
    grid.cellTextColor = RGB(0, 0, 0);
    grid.fixedBkColor = RGB(169, 206, 208);
    grid.cellBkColor = RGB(255, 255, 255);
    grid.gridLineColor = RGB(198, 215, 215);
    grid.gridBkColor = RGB(255, 255, 255);

    grid.editable = TRUE;
    grid.listMode = TRUE;
    grid.ClearSelection();
    grid.selectionEnabled = TRUE;
    grid.ClearSelection();
    grid.singleRowSelection = FALSE;
    grid.EnableScrollBars(TRUE, TRUE);
    grid.sortOnHeaderClick = FALSE;
    grid.titleTipsEnabled = FALSE;

    try {
        grid.SetNumFixedRows(1);
        grid.SetNumFixedColumns(0);
        grid.SetNumRows(1);
        grid.SetNumColumns(3);
    } catch (CMemoryException* e) {
        e->ReportError();
        e->Delete();
        return FALSE;
    }

    static const char* const headings[] = {"Function", "Delay", "Result"};
    for (int col = 0; col < 3; col++) {
        GridItemDesc desc;
        desc.mask = DESC_TEXT | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
        desc.row = 0;
        desc.col = col;
        desc.state = CELL_READONLY;
        desc.format = DT_CENTER | DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE;
        desc.bkColor = RGB(169, 206, 208);
        desc.textColor = RGB(0, 0, 0);
        desc.text = headings[col];
        grid.SetCellDesc(&desc);
    }
    grid.SetRowHeight(0, 20);
    grid.EnableScrollBars(FALSE, TRUE);
    grid.FitAllToText();
    grid.SetColumnWidth(0, 150);
    grid.SetColumnWidth(1, 35);
    grid.SetColumnWidth(2, 500);
    grid.SetKeepColumnProportions(TRUE);
    grid.SpreadColumnsToWidth();
    grid.RefreshLayout();
    return TRUE;
}

void FormatTraceGridRow(CGridMainWnd& grid, int row) {
    for (int col = 0; col < grid.GetNumColumns(); col++) {
        GridItemDesc desc;
        desc.mask = DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
        desc.row = row;
        desc.col = col;
        desc.state = CELL_READONLY | CELL_EDITSCROLL;
        desc.format = DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE;
        desc.bkColor = RGB(255, 255, 255);
        desc.textColor = RGB(0, 0, 0);
        grid.SetCellDesc(&desc);
    }
    grid.SetRowHeight(row, 20);
    // SetRowHeight leaves the scroll range alone, and AddRow set it for the row's empty heading,
    // a few pixels high: set it for the real height, or the newest row could never be scrolled
    // fully into view.
    grid.UpdateScrollBars();
}

int AddEmptyTraceRow(CGridMainWnd& grid) {
    // The formatting sets the scroll range again at once, so AddRow's setting is not drawn: one
    // drawing of the bars per row is enough, and each costs hundreds of microseconds.
    // A caller that defers the drawing itself (a whole file loaded) keeps its deferral.
    const BOOL deferred = grid.IsScrollBarRedrawDeferred();
    grid.DeferScrollBarRedraw(TRUE);
    int row;
    try {
        row = grid.AddRow("", -1);
    } catch (...) {
        grid.DeferScrollBarRedraw(deferred);
        throw;
    }
    grid.DeferScrollBarRedraw(deferred);
    return row;
}

void ShowNewTraceRows(CGridMainWnd& grid, BOOL placeNewest) {
    grid.UpdateScrollBars();
    grid.DeferScrollBarRedraw(FALSE);
    const int newest = grid.GetNumRows() - 1;
    if (placeNewest && newest >= grid.GetNumFixedRows()) grid.PlaceCellInView(newest, 0);
    grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
}

namespace {
// The Result column shows this many bytes of the detail (a double-byte character may be cut).
const int kResultBytes = 100;
} // namespace

int AppendTraceRow(CGridMainWnd& grid, const LPCTSTR* texts, UINT sharedColumns, CGridRowLook* look) {
    const int count = grid.GetNumColumns() < 3 ? grid.GetNumColumns() : 3;
    sharedColumns &= (1u << count) - 1;
    if (look != nullptr) {
        const int row = grid.AppendRowWithLook(*look, count, texts, sharedColumns);
        if (row >= 0) return row;
    }
    const int row = AddEmptyTraceRow(grid);
    FormatTraceGridRow(grid, row);
    grid.SetRowTexts(row, count, texts, sharedColumns);
    // The row is as every trace row is made, and nothing else has touched it yet.
    if (look != nullptr && !grid.CaptureRowLook(row, look)) look->styles.clear();
    return row;
}

int AppendTraceFileRow(CGridMainWnd& grid, const TraceRowText& text, LPCTSTR stored, LPCTSTR storedName,
                       CGridRowLook* look) {
    // The three texts at once: the row's storage is made once, not once a cell.
    const BOOL shares = stored != nullptr && text.detail.GetLength() <= kResultBytes;
    const CString cut = shares ? CString() : text.detail.Left(kResultBytes);
    const LPCTSTR texts[3] = {storedName != nullptr ? storedName : (LPCTSTR)text.function, text.delay,
                              shares ? stored : (LPCTSTR)cut};
    return AppendTraceRow(grid, texts, (shares ? 1u << 2 : 0u) | (storedName != nullptr ? 1u : 0u), look);
}
