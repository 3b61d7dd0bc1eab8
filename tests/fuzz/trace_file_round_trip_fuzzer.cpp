// A whole trace file round trip: any rows (the input's NUL-separated texts, three to a row) written
// by the trace writer are read back by the loader as the same rows, in the same order. The format
// cannot carry a "|" in the first two columns nor the two characters "\n" (they come back as a
// line feed), so backslashes and those bars are turned into "/" first.
#include "TraceFile.h"
#include "fuzz_util.h"

#include <vector>

static FuzzFile g_file(".vkp");

static CString Field(const char*& p, const char* end, bool column) {
    const char* start = p;
    while (p < end && *p != '\0')
        p++;
    CString text(start, (int)(p - start));
    if (p < end) p++;
    text.Replace('\\', '/');
    if (column) text.Replace('|', '/');
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    std::vector<TraceRowText> rows;
    const char* p = (const char*)data;
    const char* end = p + size;
    while (p < end) {
        TraceRowText row;
        row.function = Field(p, end, true);
        row.delay = Field(p, end, true);
        row.detail = Field(p, end, false);
        rows.push_back(row);
    }
    const char* path = g_file.Write(data, 0);
    FUZZ_CHECK(WriteTraceFile(path, rows) == TRACE_FILE_OK);
    std::vector<TraceRowText> read;
    FUZZ_CHECK(ReadTraceFile(path, &read) == TRACE_FILE_OK);
    FUZZ_CHECK(read.size() == rows.size());
    for (size_t i = 0; i < rows.size(); i++) {
        FUZZ_CHECK(read[i].function == rows[i].function);
        FUZZ_CHECK(read[i].delay == rows[i].delay);
        FUZZ_CHECK(read[i].detail == rows[i].detail);
    }
    return 0;
}
