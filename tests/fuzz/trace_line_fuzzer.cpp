// The trace file's reader over any bytes: no crash or hang, the skip rule, fields without their
// separators, and a row written back by the writer reads as the same row. The same bytes as a
// whole file go through ReadTraceFile, which splits them into lines as text mode does.
#include "TraceFile.h"
#include "fuzz_util.h"

#include <cstring>
#include <vector>

static FuzzFile g_file(".vkp");

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const CString line((const char*)data, (int)size);
    TraceRowText row;
    const BOOL parsed = ParseTraceLine(line, &row);
    FUZZ_CHECK(parsed == (size > 2));
    if (parsed) {
        FUZZ_CHECK(row.function.Find('|') < 0);
        FUZZ_CHECK(row.delay.Find('|') < 0);
        // The writer escapes the detail's line feeds only: a row whose first two columns hold none
        // comes back from its own line unchanged.
        if (row.function.Find('\n') < 0 && row.delay.Find('\n') < 0 && row.detail.Find("\\n") < 0 &&
            std::memchr((LPCTSTR)row.detail, '\0', (size_t)row.detail.GetLength()) == nullptr) {
            TraceRowText again;
            FUZZ_CHECK(ParseTraceLine(FormatTraceLine(row.function, row.delay, row.detail), &again));
            FUZZ_CHECK(again.function == row.function);
            FUZZ_CHECK(again.delay == row.delay);
            FUZZ_CHECK(again.detail == row.detail);
        }
    }

    std::vector<TraceRowText> rows;
    FUZZ_CHECK(ReadTraceFile(g_file.Write(data, size), &rows) == TRACE_FILE_OK);
    size_t lineFeeds = 0;
    for (size_t i = 0; i < size; i++)
        lineFeeds += data[i] == '\n';
    FUZZ_CHECK(rows.size() <= lineFeeds + 1);
    for (const TraceRowText& r : rows)
        FUZZ_CHECK(std::strlen(r.detail) == (size_t)r.detail.GetLength());
    return 0;
}
