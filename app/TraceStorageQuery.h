// A benchmark's question to a running debugger, from another process: how many bytes its trace's
// storage takes, by what holds them. The benchmark registers the message by this name and sends
// it to the dialog with wParam one of the figures below; the answer is that figure.
#pragma once

#define TRACE_STORAGE_QUERY_MESSAGE "VkDebugerTraceStorageQuery"

enum TraceStorageFigure {
    TRACE_STORAGE_ROWS = 0,     // the number of scrolling rows (not bytes)
    TRACE_STORAGE_ROW_BLOCKS,   // the grid rows' compact blocks
    TRACE_STORAGE_CELL_LISTS,   // the rows' lists of cell objects
    TRACE_STORAGE_CELL_OBJECTS, // the cell objects made, with their texts
    TRACE_STORAGE_ROW_ARRAYS,   // the arrays with one entry a row
    TRACE_STORAGE_STYLES,       // the shared cell styles
    TRACE_STORAGE_DETAILS,      // the rows' full details
};
