// The record path over any record: the first byte is the kind (0 plain, 1 enter, 2 leave) and the
// call depth before it, the rest the payload as the engine sends it. The payload is cut at its
// NUL, split, masked and formatted into a row, and the row's line reads back as the same row.
#include "ScriptCipher.h"
#include "TraceFile.h"
#include "TraceRecord.h"
#include "fuzz_util.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    if (size == 0) return 0;
    const ULONG_PTR kind = data[0] % 3;
    CTraceRowRules rules;
    rules.depth = (data[0] >> 2) % 8 - 2; // unbalanced leave records take it below 0
    const int depth = rules.depth;
    const CString payload = TracePayloadText(data + 1, (DWORD)(size - 1));
    FUZZ_CHECK((size_t)payload.GetLength() == strnlen((const char*)data + 1, size - 1));

    TraceRowText row;
    rules.BuildRow(kind, payload, &row);
    FUZZ_CHECK(rules.depth == depth + (kind == TRACE_ENTER) - (kind == TRACE_LEAVE));
    const int level = depth - (kind == TRACE_LEAVE);
    const int bar = payload.Find('|');
    const CString name = bar < 0 ? payload : payload.Left(bar);
    FUZZ_CHECK(row.function == CString(' ', 5 * (level > 0 ? level : 0)) + name);
    if (kind == TRACE_ENTER) {
        FUZZ_CHECK(row.detail == CString('-', 96));
    } else if (bar < 0) {
        FUZZ_CHECK(row.detail == row.function);
    } else if (IsMaskedFunction(name)) {
        // Upper-case hexadecimal, whole blocks, that decrypts to the detail (the decoder drops
        // the padding with any white space the detail ended with).
        FUZZ_CHECK(row.detail.GetLength() % 32 == 0);
        FUZZ_CHECK(row.detail.str().find_first_not_of("0123456789ABCDEF") == std::string::npos);
        CScriptCipher cipher;
        cipher.SetKey(SCRIPT_PASS_PHRASE);
        CString clear, detail = payload.Mid(bar + 1);
        cipher.DecryptFromHex(row.detail, &clear);
        detail.TrimRight();
        FUZZ_CHECK(clear == detail);
    } else {
        FUZZ_CHECK(row.detail == payload.Mid(bar + 1));
    }

    // The row's line, as the debugger saves it and vktool capture writes it, reads back as the
    // row unless one of its texts holds the two characters "\n".
    row.delay = rules.DelayText((DWORD)size * 7919u);
    TraceRowText back;
    FUZZ_CHECK(ParseTraceLine(FormatTraceLine(row.function, row.delay, row.detail), &back));
    if (row.function.Find("\\n") < 0 && row.detail.Find("\\n") < 0) {
        FUZZ_CHECK(back.function == row.function);
        FUZZ_CHECK(back.delay == row.delay);
        FUZZ_CHECK(back.detail == row.detail);
    }
    return 0;
}
