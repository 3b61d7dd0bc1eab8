// Find over a large trace: the debugger's search (the same store and scan as its Find dialog, F3
// and vktool find) over the rows of a trace file, loaded as the debugger loads them, with two
// marker texts added: " mark1000" at the end of every thousandth row's detail, and one more row
// at the end holding "lastneedle". Measured, best of the repeats and in MB/s of stored text:
//   nowhere      a text found nowhere, down and up, with and without match case
//   last row     the search from the first row that finds the row at the end
//   every 1000   F3 walking from match to match (ms per search), and all the matches counted
//
//   /work/shared/tools/gen-trace 10000000 big.vkp
//   scripts/wine-run build/win64/bin/find_bench.exe big.vkp [--repeat N]
#include "bench_util.h"
#include "TraceFile.h"
#include "TraceSearch.h"

#include <string>

namespace {
const char kUsage[] = "usage: find_bench FILE.vkp [--repeat N]\n"
                      "Times the debugger's Find over the file's rows (10,000,000 rows: gen-trace "
                      "10000000 big.vkp);\nloading such a file takes a minute under Wine, the searches "
                      "seconds.\n";

struct Load {
    CTraceDetails rows;
    INT_PTR count = 0;
    size_t bytes = 0; // names and details, with their NULs
};

void KeepRow(TraceRowText& row, void* context) {
    Load* load = (Load*)context;
    CString detail = row.detail;
    if (++load->count % 1000 == 0) detail += " mark1000";
    load->rows.Add(detail, row.function);
    load->bytes += (size_t)detail.GetLength() + row.function.GetLength() + 2;
}

template <class Search> double BestMs(int repeat, const Search& search) {
    double best = 1e30;
    for (int i = 0; i < repeat; i++) {
        const double start = bench::Now();
        search();
        best = std::min(best, (bench::Now() - start) * 1000.0);
    }
    return best;
}
} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(argc, argv, kUsage)) return 0;
    const char* path = nullptr;
    int repeat = 5;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++i]));
        else
            path = argv[i];
    }
    if (path == nullptr) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    Load load;
    bench::Progress("loading %s", path);
    const TraceFileResult r = ReadTraceRows(path, KeepRow, &load);
    if (r != TRACE_FILE_OK) {
        std::fprintf(stderr, "find_bench: %s: %s\n", path, DescribeTraceFileResult(r));
        return 1;
    }
    load.rows.Add("the row with the lastneedle", "LastRow");
    const INT_PTR n = load.rows.GetSize();
    const double mb = (double)load.bytes / 1e6;
    std::printf("find_bench: %ld rows, %.0f MB of names and details, %d-bit build, best of %d\n", (long)n, mb,
                (int)sizeof(void*) * 8, repeat);

    const auto line = [&](const char* what, double ms, const char* extra = "") {
        std::printf("  %-34s %9.1f ms  %7.0f MB/s%s\n", what, ms, mb / (ms / 1000.0), extra);
    };
    struct {
        const char* name;
        bool matchCase, down;
    } nowhere[] = {{"nowhere, down", false, true},
                   {"nowhere, up", false, false},
                   {"nowhere, down, match case", true, true},
                   {"nowhere, down, whole word", false, true}};
    for (const auto& c : nowhere) {
        TraceFindQuery q;
        q.text = "no such text";
        q.matchCase = c.matchCase;
        q.wholeWord = std::strstr(c.name, "word") != nullptr;
        const CTraceFinder f(load.rows, q);
        INT_PTR index = 0;
        const double ms = BestMs(repeat, [&] { index = f.FindFrom(-1, c.down).index; });
        line(c.name, ms, index < 0 ? "" : "  (found: wrong)");
    }
    {
        TraceFindQuery q;
        q.text = "LASTNEEDLE";
        const CTraceFinder f(load.rows, q);
        INT_PTR index = -1;
        const double ms = BestMs(repeat, [&] { index = f.FindFrom(0, true).index; });
        line("last row, from the first", ms, index == n - 1 ? "" : "  (not the last row: wrong)");
    }
    {
        TraceFindQuery q;
        q.text = "mark1000";
        const CTraceFinder f(load.rows, q);
        INT_PTR matches = 0;
        const double all = BestMs(repeat, [&] {
            matches = 0;
            for (INT_PTR i = f.Find(0, n, false); i >= 0; i = f.Find(i + 1, n, false))
                matches++;
        });
        char extra[96];
        std::snprintf(extra, sizeof extra, "  %ld matches, %.4f ms per F3", (long)matches,
                      matches > 0 ? all / (double)matches : 0.0);
        line("every 1000 rows, all matches", all, extra);
    }
    return 0;
}
