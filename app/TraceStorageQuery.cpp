// The answer to a benchmark's storage question (TraceStorageQuery.h).
#include "DebuggerDlg.h"
#include "TraceStorageQuery.h"

UINT CDebuggerDlg::StorageQueryMessage() {
    static const UINT message = ::RegisterWindowMessageA(TRACE_STORAGE_QUERY_MESSAGE);
    return message;
}

LRESULT CDebuggerDlg::AnswerStorageQuery(WPARAM figure) {
    if (figure == TRACE_STORAGE_ROWS) return (LRESULT)m_details.GetSize();
    if (figure == TRACE_STORAGE_DETAILS) return (LRESULT)m_details.MemoryBytes();
    if (figure > TRACE_STORAGE_DETAILS) return 0;
    // The grid's figures are found by a walk over every row, on this thread. Any process may ask,
    // so one walk answers every question until the number of rows has changed and a quarter of a
    // second has passed: a flood of questions costs at most four walks a second, and one in all
    // while the trace stands still. The figures are for a benchmark's breakdown, asked once the
    // trace is in, and stay close enough meanwhile.
    const DWORD now = ::GetTickCount();
    if (m_storageRows < 0 || (m_storageRows != m_grid.GetNumRows() && now - m_storageTick >= 250)) {
        m_storageUse = m_grid.MeasureStorage();
        m_storageRows = m_grid.GetNumRows();
        m_storageTick = ::GetTickCount();
    }
    switch (figure) {
    case TRACE_STORAGE_ROW_BLOCKS:
        return (LRESULT)m_storageUse.rowBlocks;
    case TRACE_STORAGE_CELL_LISTS:
        return (LRESULT)m_storageUse.cellLists;
    case TRACE_STORAGE_CELL_OBJECTS:
        return (LRESULT)m_storageUse.cellObjects;
    case TRACE_STORAGE_ROW_ARRAYS:
        return (LRESULT)m_storageUse.rowArrays;
    default:
        return (LRESULT)m_storageUse.styles;
    }
}
