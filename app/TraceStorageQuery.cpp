// The answer to a benchmark's storage question (TraceStorageQuery.h).
#include "DebuggerDlg.h"
#include "TraceStorageQuery.h"

UINT CDebuggerDlg::StorageQueryMessage() {
    static const UINT message = ::RegisterWindowMessageA(TRACE_STORAGE_QUERY_MESSAGE);
    return message;
}

LRESULT CDebuggerDlg::AnswerStorageQuery(WPARAM figure) {
    const CGridStorageUse use = m_grid.MeasureStorage();
    switch (figure) {
    case TRACE_STORAGE_ROWS:
        return (LRESULT)m_details.GetSize();
    case TRACE_STORAGE_ROW_BLOCKS:
        return (LRESULT)use.rowBlocks;
    case TRACE_STORAGE_CELL_LISTS:
        return (LRESULT)use.cellLists;
    case TRACE_STORAGE_CELL_OBJECTS:
        return (LRESULT)use.cellObjects;
    case TRACE_STORAGE_ROW_ARRAYS:
        return (LRESULT)use.rowArrays;
    case TRACE_STORAGE_STYLES:
        return (LRESULT)use.styles;
    case TRACE_STORAGE_DETAILS:
        return (LRESULT)m_details.MemoryBytes();
    default:
        return 0;
    }
}
