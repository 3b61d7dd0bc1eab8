// The trace files the benchmarks load: rows like those a script session gives.
#pragma once

#include "TraceFile.h"

#include <cstdio>
#include <string>

namespace bench {

// Writes a trace file of n rows: names indented by up to four call levels, short delays, details
// of usual lengths (some with a line feed, some masked-looking hexadecimal). Returns the file's
// size in bytes, or -1 when it cannot be written.
inline long long WriteSampleTrace(const std::string& path, long n) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return -1;
    long long bytes = 0;
    char name[64], delay[16], detail[160];
    for (long i = 0; i < n; i++) {
        std::snprintf(name, sizeof name, "%*sFunc%ld", (int)(i % 5) * 5, "", i % 97);
        std::snprintf(delay, sizeof delay, "%ld", i % 31);
        if (i % 10 == 9)
            std::snprintf(detail, sizeof detail, "83A83D03FA14A3EC6266C626DCDEC251%08lX", (unsigned long)i);
        else
            std::snprintf(detail, sizeof detail,
                          "step %ld: value = %ld, state = running\nbuffer = 0123456789abcdef", i, i * 7);
        CString line = FormatTraceLine(name, delay, detail);
        line.Replace("\n", "\r\n");
        bytes += (long long)std::fwrite((LPCTSTR)line, 1, (size_t)line.GetLength(), f);
    }
    if (std::fclose(f) != 0) return -1;
    return bytes;
}

} // namespace bench
