// vktool show FILE.vkp: a trace file printed as a table, so a trace can be read without the
// debugger: the function column with its indentation, the delay right-aligned, and the full
// detail with its line breaks (line feeds and "^", as the debugger's detail box shows them), each
// further line of a detail indented to the detail's column. The text is written in the user's
// encoding, or as its code page 949 bytes with --raw.
#include "TraceFile.h"
#include "text_encoding.h"
#include "vktool.h"

#include <algorithm>
#include <new>
#include <string>
#include <vector>

namespace {

// Columns wider than these are not padded further: a long name pushes its own row's delay right
// rather than every row's.
const int kMaxFunctionWidth = 40;
const int kMaxDelayWidth = 10;

void AppendPadded(std::string& out, const CString& text, int width, bool right) {
    const int pad = std::max(0, width - text.GetLength());
    if (right) out.append((size_t)pad, ' ');
    out.append((LPCTSTR)text, (size_t)text.GetLength());
    if (!right) out.append((size_t)pad, ' ');
}

} // namespace

int VkShowTrace(const char* path, bool raw, FILE* out, FILE* err) {
    std::vector<TraceRowText> rows;
    const TraceFileResult r = ReadTraceFile(path, &rows);
    if (r != TRACE_FILE_OK) {
        std::fprintf(err, "vktool show: %s: %s\n", path, DescribeTraceFileResult(r));
        return VK_EXIT_FAILURE;
    }
    int functionWidth = 8, delayWidth = 5; // "Function", "Delay"
    for (const TraceRowText& row : rows) {
        functionWidth = std::max(functionWidth, std::min(kMaxFunctionWidth, row.function.GetLength()));
        delayWidth = std::max(delayWidth, std::min(kMaxDelayWidth, row.delay.GetLength()));
    }
    const std::string continuation((size_t)(functionWidth + 2 + delayWidth + 2), ' ');
    try {
        std::string text;
        AppendPadded(text, "Function", functionWidth, false);
        text += "  ";
        AppendPadded(text, "Delay", delayWidth, true);
        text += "  Result\n";
        text += std::string((size_t)functionWidth, '-') + "  " + std::string((size_t)delayWidth, '-') + "  " +
                std::string(6, '-') + "\n";
        for (const TraceRowText& row : rows) {
            AppendPadded(text, row.function, functionWidth, false);
            text += "  ";
            AppendPadded(text, row.delay, delayWidth, true);
            text += "  ";
            const char* d = row.detail;
            for (int i = 0, n = row.detail.GetLength(); i < n; i++) {
                if (d[i] == '\n' || d[i] == '^') {
                    text += '\n';
                    text += continuation;
                } else {
                    text += d[i];
                }
            }
            text += '\n';
            if (text.size() >= 65536) {
                if (!WriteCp949Text(out, text, raw)) break;
                text.clear();
            }
        }
        if (!text.empty()) WriteCp949Text(out, text, raw);
    } catch (const std::bad_alloc&) {
        std::fprintf(err, "vktool show: %s: out of memory\n", path);
        return VK_EXIT_FAILURE;
    }
    if (std::ferror(out) || std::fflush(out) != 0) {
        std::fputs("vktool show: cannot write the output\n", err);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}
