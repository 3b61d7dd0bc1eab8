// How one trace record of the engine becomes one trace row: the function column indented by the
// call depth, the detail (the enter dash line, the masked details of two functions, the indented
// name when the record has no detail) and the delay column. The debugger's dialog and
// `vktool capture` both build their rows here, so a capture file holds what the debugger would
// save for the same records.
#pragma once

#include "TraceFile.h"

// Kinds of trace record (COPYDATASTRUCT::dwData); any other kind is a plain trace line.
enum {
    TRACE_ENTER = 1,
    TRACE_LEAVE = 2,
    TRACE_SESSION_START = 9999,
};

// The payload text of a record: exactly size bytes, up to the first NUL if it holds one. No data
// (or a size that does not fit an int) gives an empty text.
CString TracePayloadText(const void* data, DWORD size);

// The rows of one trace: the call depth and the time of the previous record carry from one record
// to the next.
class CTraceRowRules {
public:
    // An accepted session start: the depth back to 0, delays counted from now.
    void StartSession(DWORD now) {
        depth = 0;
        lastTick = now;
    }

    // The function column and the detail of a record of any kind but the session start, and the
    // depth moved past it: a leave record goes one level out before its row (it is indented like
    // its enter record), an enter record one level in after it. row->delay is left alone.
    void BuildRow(ULONG_PTR kind, const CString& payload, TraceRowText* row);

    // The delay column: the milliseconds from the previous record to now ("%d" of the 32-bit
    // difference, so a wrapped tick count still gives the small true delay).
    CString DelayText(DWORD now) const;

    int depth = 0;      // call depth; unbalanced leave records take it below 0
    DWORD lastTick = 0; // tick count at the previous record or session start
};
