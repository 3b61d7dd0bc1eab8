// Open File and Save File: the trace shown in the grid saved to a trace file and loaded back
// (the line format, the reader and the writer are in core/TraceFile).
#include "DebuggerDlg.h"
#include "TraceFile.h"
#include "TraceGrid.h"
#include "afxdlgs.h"

#include <new>
#include <utility>
#include <vector>

namespace {
const char kCannotOpen[] = "파일을 오픈할 수 없습니다.";
// The trace files the program writes come first: the dialogs show them at once, and the save
// dialog gives a name typed without an extension the selected type's extension, ".vkp".
const char kTraceFilter[] = "Valkorine Trace Files (*.vkp)|*.vkp|Valkorine Debugging Files (*.vdf)|*.vdf||";
const char kTraceExt[] = "vkp";
} // namespace

void CDebuggerDlg::OnFileOpen() {
    CFileDialog dlg(TRUE, kTraceExt, "", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    kTraceFilter, nullptr);
    if (dlg.DoModal() != IDOK) return;
    LoadTraceFile(dlg.GetPathName());
}

void CDebuggerDlg::OnFileSave() {
    CFileDialog dlg(FALSE, kTraceExt, "noname", OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                    kTraceFilter, nullptr);
    if (dlg.DoModal() != IDOK) return;
    SaveTraceFile(dlg.GetPathName());
}

void CDebuggerDlg::SaveTraceFile(CString path) {
    // The rows go to a temporary file beside the target, which takes the target's place only
    // when every line is on the disk: a failure halfway leaves the earlier file as it was.
    CTraceFileWriter file;
    if (!file.Open(path)) {
        AfxMessageBox(kCannotOpen, MB_OK);
        return;
    }
    BOOL written = TRUE;
    try {
        const int fixedRows = m_grid.GetNumFixedRows();
        for (int r = fixedRows; r < m_grid.GetNumRows(); r++) {
            INT_PTR i = r - fixedRows;
            file.WriteRow(m_grid.GetCellText(r, 0), m_grid.GetCellText(r, 1),
                          i < m_details.GetSize() ? m_details[i] : CString());
        }
    } catch (CFileException* e) {
        e->Delete();
        written = FALSE;
    } catch (CMemoryException* e) {
        e->Delete();
        written = FALSE;
    } catch (const std::bad_alloc&) {
        written = FALSE;
    }
    if (!written || !file.Commit()) {
        file.Abort();
        AfxMessageBox(kCannotOpen, MB_OK);
    }
}

void CDebuggerDlg::LoadTraceFile(CString path) {
    // Rows still waiting to be shown are shown now, on the trace they belong to: their update
    // must not come after the load and scroll the loaded trace to its end.
    FlushTraceView();
    // Records that arrive during the load (through its message boxes) are refused, not added to
    // a trace that is being replaced.
    struct Busy {
        BOOL& flag;
        const BOOL was;
        explicit Busy(BOOL& f) : flag(f), was(f) { flag = TRUE; }
        ~Busy() { flag = was; }
    } busy(m_traceBusy);

    // The whole file is read before the trace is touched: a file that cannot be read, wholly,
    // leaves the trace as it was.
    std::vector<TraceRowText> rows;
    if (ReadTraceFile(path, &rows) != TRACE_FILE_OK) {
        AfxMessageBox(kCannotOpen, MB_OK);
        return;
    }

    m_details.SetSize(0);
    m_grid.RemoveScrollingRows();
    SetDlgItemText(IDC_EDIT_DETAIL, "");

    // Appending and formatting a row each set the scroll ranges and, here, nothing needs them
    // before the last row: they are set and the bars drawn once, at the end (a third of a row's
    // time otherwise).
    m_grid.SuspendScrollBarUpdates(TRUE);
    try {
        for (TraceRowText& text : rows) {
            AppendTraceFileRow(m_grid, text);
            INT_PTR i = m_details.Add(CString());
            m_details[i] = std::move(text.detail);
            // This row's texts are in the grid now: free them as the load goes.
            TraceRowText spent(std::move(text));
        }
    } catch (CMemoryException* e) {
        // The rows loaded so far stay.
        e->ReportError();
        e->Delete();
    } catch (const std::bad_alloc&) {
        CMemoryException e;
        e.ReportError();
    }
    // A row whose detail could not be stored goes again: every row keeps its detail.
    while (m_grid.GetNumRows() - m_grid.GetNumFixedRows() > m_details.GetSize())
        m_grid.RemoveRow(m_grid.GetNumRows() - 1);
    m_grid.SuspendScrollBarUpdates(FALSE);
    m_grid.UpdateScrollBars();
    m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}
