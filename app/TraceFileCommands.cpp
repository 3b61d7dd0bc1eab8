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
    CWaitCursor wait; // reading or writing millions of rows takes seconds
    try {
        // The trace grid shows the texts it keeps, so they are written from where they are kept:
        // two string copies a row were most of a long trace's save.
        const BOOL stored = m_grid.ShowsStoredTexts();
        const int fixedRows = m_grid.GetNumFixedRows();
        const int rows = m_grid.GetNumRows();
        for (int r = fixedRows; r < rows; r++) {
            const INT_PTR i = r - fixedRows;
            const LPCTSTR detail = i < m_details.GetSize() ? m_details.GetText(i) : "";
            if (stored)
                file.WriteRow(m_grid.GetStoredCellText(r, 0), m_grid.GetStoredCellText(r, 1), detail);
            else
                file.WriteRow(m_grid.GetCellText(r, 0), m_grid.GetCellText(r, 1), detail);
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
    if (written) written = file.Commit();
    wait.Restore();
    if (!written) {
        file.Abort();
        AfxMessageBox(kCannotOpen, MB_OK);
    }
}

namespace {
// The load under way: the file's rows are appended after the trace shown, as they are read, and
// their details kept apart from the trace's until the whole file is in.
struct LoadTarget {
    CGridMainWnd* grid;
    CTraceDetails* details;
    CGridRowLook look; // of the rows loaded: all but the first are made from it
};

void AppendLoadedRow(TraceRowText& text, void* context) {
    LoadTarget* target = (LoadTarget*)context;
    LPCTSTR storedName = nullptr;
    const LPCTSTR stored = target->details->Add(text.detail, text.function, &storedName);
    const int rows = target->grid->GetNumRows();
    try {
        AppendTraceFileRow(*target->grid, text, stored, storedName, &target->look);
    } catch (...) {
        // Every row keeps its detail and every detail its row: a row that cannot be made goes
        // with its detail (the row first: its Result cell may show the detail).
        if (target->grid->GetNumRows() > rows)
            target->grid->RemoveRows(rows, target->grid->GetNumRows() - rows);
        target->details->SetSize(target->details->GetSize() - 1);
        throw;
    }
}
} // namespace

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

    // The file is read a line at a time and its rows appended after the trace shown: the old
    // trace is dropped only once the whole file is in, so a file that cannot be read, or does not
    // fit beside it, leaves the trace as it was, and the file itself is never held whole.
    const int fixedRows = m_grid.GetNumFixedRows();
    const int oldRows = m_grid.GetNumRows();
    CTraceDetails loaded;
    LoadTarget target{&m_grid, &loaded, CGridRowLook()};

    // Appending and formatting a row each set the scroll ranges and, here, nothing needs them
    // before the last row: they are set and the bars drawn once, at the end (a third of a row's
    // time otherwise).
    m_grid.SuspendScrollBarUpdates(TRUE);
    CWaitCursor wait; // reading or writing millions of rows takes seconds
    const TraceFileResult result = ReadTraceRows(path, AppendLoadedRow, &target);
    // Rows go before the details their Result cells may show.
    if (result == TRACE_FILE_OK) {
        m_grid.RemoveRows(fixedRows, oldRows - fixedRows);
        m_details.Swap(loaded);
        loaded.RemoveAll();
        SetDlgItemText(IDC_EDIT_DETAIL, "");
        m_traceFull = FALSE;
    } else {
        m_grid.RemoveRows(oldRows, m_grid.GetNumRows() - oldRows);
        loaded.RemoveAll();
    }
    m_grid.SuspendScrollBarUpdates(FALSE);
    // A loaded trace is shown from its first row, with its own scroll range (none for an empty
    // file), as removing the old rows before reading the file would leave it.
    if (result == TRACE_FILE_OK) m_grid.ResetVerticalScroll();
    m_grid.UpdateScrollBars();
    m_grid.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    wait.Restore();
    if (result == TRACE_FILE_OK) {
        // The loaded trace is shown from its first row; the next record is followed to the end.
        FollowTrace();
    } else if (result == TRACE_FILE_OUT_OF_MEMORY) {
        CMemoryException e;
        e.ReportError();
    } else {
        AfxMessageBox(kCannotOpen, MB_OK);
    }
}
