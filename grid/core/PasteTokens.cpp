#include "PasteTokens.h"

namespace {
bool IsPasteDelimiter(char c) {
    return c == '\t' || c == ',' || c == '\n';
}
} // namespace

void SplitPasteLine(const char* p, const char* end, CStringArray& tokens) {
    while (p < end) {
        while (p < end && IsPasteDelimiter(*p))
            p++;
        if (p >= end) break;
        const char* start = p;
        while (p < end && !IsPasteDelimiter(*p))
            p += (AfxIsLeadByte((BYTE)*p) && p + 1 < end) ? 2 : 1;
        tokens.Add(CString(start, (int)(p - start)));
    }
}
