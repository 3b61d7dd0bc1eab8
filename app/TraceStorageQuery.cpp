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
    // so one walk answers every question until the number of rows has changed and twenty times
    // as long as the walk took has passed (a quarter of a second at least): a flood of questions
    // takes at most a twentieth of the thread's time however long the trace is, and one walk in
    // all while the trace stands still. The figures are for a benchmark's breakdown, asked once
    // the trace is in, and stay close enough meanwhile.
    const DWORD now = ::GetTickCount();
    if (m_storageRows < 0 || (m_storageRows != m_grid.GetNumRows() && now - m_storageTick >= m_storageWait)) {
        m_storageUse = m_grid.MeasureStorage();
        m_storageRows = m_grid.GetNumRows();
        m_storageTick = ::GetTickCount();
        const DWORD took = m_storageTick - now;
        m_storageWait = took < 250 / 20 ? 250 : 20 * took;
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
