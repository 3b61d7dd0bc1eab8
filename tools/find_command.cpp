// vktool find FILE.vkp TEXT [--case] [--word]: the rows of a trace file that the debugger's Find
// finds for TEXT, one line each: the row number (1 for the first trace row), the function, the
// delay and the full detail, separated by tabs, the detail's line breaks written as "\n" (as the
// file writes them), in the terminal's encoding. The rows are loaded as the debugger loads them
// and searched with the debugger's own search.
#include "TraceFile.h"
#include "TraceSearch.h"
#include "text_encoding.h"
#include "vktool.h"

#include <cstring>
#include <new>

namespace {
struct FindLoad {
    CTraceDetails rows;   // names and details, as the debugger keeps them
    CTraceDetails delays; // the delay column
};

void KeepRow(TraceRowText& row, void* context) {
    FindLoad* load = (FindLoad*)context;
    load->rows.Add(row.detail, row.function);
    load->delays.Add(row.delay);
}

const char kUsage[] = "usage: vktool find FILE.vkp TEXT [--case] [--word]\n";
} // namespace

int VkFind(int argc, char** argv, FILE* out, FILE* err) {
    const char* path = nullptr;
    const char* text = nullptr;
    TraceFindQuery query;
    for (int i = 0; i < argc; i++) {
        if (std::strcmp(argv[i], "--case") == 0)
            query.matchCase = true;
        else if (std::strcmp(argv[i], "--word") == 0)
            query.wholeWord = true;
        else if (path == nullptr)
            path = argv[i];
        else if (text == nullptr)
            text = argv[i];
        else
            text = nullptr, path = nullptr, i = argc;
    }
    if (path == nullptr || text == nullptr || text[0] == '\0') {
        std::fputs(kUsage, err);
        return VK_EXIT_USAGE;
    }
    std::string error;
    if (!ArgumentToCp949(text, &query.text, &error)) {
        std::fprintf(err, "vktool find: %s\n", error.c_str());
        return VK_EXIT_USAGE;
    }
    FindLoad load;
    const TraceFileResult r = ReadTraceRows(path, KeepRow, &load);
    if (r != TRACE_FILE_OK) {
        std::fprintf(err, "vktool find: %s: %s\n", path, DescribeTraceFileResult(r));
        return VK_EXIT_FAILURE;
    }
    const CTraceFinder finder(load.rows, query);
    const INT_PTR count = load.rows.GetSize();
    std::string lines;
    INT_PTR found = 0;
    try {
        for (INT_PTR i = finder.Find(0, count, false); i >= 0; i = finder.Find(i + 1, count, false)) {
            found++;
            lines += std::to_string((long long)i + 1) + "\t" + load.rows.GetName(i) + "\t" +
                     load.delays.GetText(i) + "\t";
            for (const char* d = load.rows.GetText(i); *d != '\0'; d++)
                lines += *d == '\n' ? std::string("\\n") : std::string(1, *d);
            lines += '\n';
            if (lines.size() >= 65536) {
                if (!WriteCp949Text(out, lines, false)) return VK_EXIT_FAILURE;
                lines.clear();
            }
        }
    } catch (const std::bad_alloc&) {
        std::fputs("vktool find: out of memory\n", err);
        return VK_EXIT_FAILURE;
    }
    if (!WriteCp949Text(out, lines, false) || std::fflush(out) != 0) return VK_EXIT_FAILURE;
    if (found == 0) {
        std::fprintf(err, "vktool find: no row of %s holds the text\n", path);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int VkFind(int argc, char** argv) {
    return VkFind(argc, argv, stdout, stderr);
}
