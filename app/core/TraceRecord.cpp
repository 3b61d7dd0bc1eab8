#include "TraceRecord.h"

#include "ScriptCipher.h"

#include <cstring>

namespace {
const char kIndent[] = "     "; // five spaces per call level
}

CString TracePayloadText(const void* data, DWORD size) {
    CString payload;
    int cb = (int)size;
    if (cb < 0 || data == nullptr) cb = 0;
    if (cb > 0) std::memcpy(payload.GetBufferSetLength(cb), data, (size_t)cb);
    payload.ReleaseBuffer(-1);
    return payload;
}

void CTraceRowRules::BuildRow(ULONG_PTR kind, const CString& payload, TraceRowText* row) {
    // Worked on a copy, so a record that runs out of memory halfway leaves the depth as it was.
    int level = depth;
    if (kind == TRACE_LEAVE) level--;

    CString name;
    AfxExtractSubString(name, payload, 0, '|');
    CString function;
    for (int i = 0; i < level; i++)
        function += kIndent;
    function += name;

    CString detail;
    const int bar = payload.Find('|');
    if (kind == TRACE_ENTER)
        detail = CString('-', 96);
    else if (bar >= 0) {
        detail = payload.Mid(bar + 1);
        // Two functions' details are never kept in clear: stored and listed encrypted.
        if (IsMaskedFunction(name)) detail = MaskTraceDetail(detail);
    } else
        detail = function;

    row->function = function;
    row->detail = detail;
    depth = kind == TRACE_ENTER ? level + 1 : level;
}

CString CTraceRowRules::DelayText(DWORD now) const {
    CString text;
    text.Format("%d", (int)(DWORD)(now - lastTick));
    return text;
}
