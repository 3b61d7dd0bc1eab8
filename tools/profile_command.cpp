// vktool profile TRACE.vkp: where the script spent its time. One line per function of the trace:
// its calls, total (inclusive) and self (exclusive) milliseconds, the mean and the slowest call,
// its share of the trace's time and its unfinished calls; sorted by total time (or --sort calls,
// self, max), the first 30 (--top N, 0 for all). The calls are found as trace_calls.h says.
#include "text_encoding.h"
#include "trace_calls.h"
#include "vktool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const int kDefaultTop = 30;
const int kMaxNameWidth = 40; // a longer name pushes its own row's numbers right

enum SortKey { SORT_TOTAL, SORT_CALLS, SORT_SELF, SORT_MAX };

const char kUsage[] = "usage: vktool profile TRACE.vkp [--sort total|calls|self|max] [--top N]\n";

bool ParseSort(const char* text, SortKey* key) {
    static const struct {
        const char* name;
        SortKey key;
    } keys[] = {{"total", SORT_TOTAL}, {"calls", SORT_CALLS}, {"self", SORT_SELF}, {"max", SORT_MAX}};
    for (const auto& k : keys)
        if (std::strcmp(text, k.name) == 0) {
            *key = k.key;
            return true;
        }
    return false;
}

bool ParseCount(const char* text, int* count) {
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value > 1000000000L) return false;
    *count = (int)value;
    return true;
}

uint64_t SortValue(const TraceFunction& f, SortKey key) {
    switch (key) {
    case SORT_CALLS:
        return f.calls;
    case SORT_SELF:
        return f.selfMs;
    case SORT_MAX:
        return f.maxMs;
    default:
        return f.totalMs;
    }
}

// "1 call", "2 calls".
std::string Count(uint64_t n, const char* noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

std::string Fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

void Pad(std::string& line, const std::string& text, size_t width, bool right) {
    const size_t pad = text.size() < width ? width - text.size() : 0;
    if (right) line.append(pad, ' ');
    line += text;
    if (!right) line.append(pad, ' ');
}

} // namespace

int VkProfile(int argc, char** argv, FILE* out, FILE* err) {
    const char* path = nullptr;
    SortKey key = SORT_TOTAL;
    int top = kDefaultTop;
    for (int i = 0; i < argc; i++) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--sort") == 0 && hasValue && ParseSort(argv[i + 1], &key)) {
            i++;
        } else if (std::strcmp(argv[i], "--top") == 0 && hasValue && ParseCount(argv[i + 1], &top)) {
            i++;
        } else if (!path && argv[i][0] != '-') {
            path = argv[i];
        } else {
            std::fprintf(err, "vktool profile: unexpected argument '%s'\n%s", argv[i], kUsage);
            return VK_EXIT_USAGE;
        }
    }
    if (!path) {
        std::fputs(kUsage, err);
        return VK_EXIT_USAGE;
    }

    CTraceCalls calls(nullptr, false);
    if (!ReadTraceCalls("profile", path, &calls, err)) return VK_EXIT_FAILURE;

    std::vector<const TraceFunction*> order;
    for (const TraceFunction& f : calls.Functions())
        order.push_back(&f);
    std::sort(order.begin(), order.end(), [key](const TraceFunction* a, const TraceFunction* b) {
        const uint64_t va = SortValue(*a, key), vb = SortValue(*b, key);
        return va != vb ? va > vb : a->name < b->name;
    });
    const size_t shown = top == 0 ? order.size() : std::min(order.size(), (size_t)top);

    std::string text = Count(calls.Rows(), "row") + ", " + Count(calls.Calls(), "call") + " (" +
                       std::to_string(calls.Unfinished()) + " unfinished), " +
                       std::to_string(calls.TotalMs()) + " ms (" + std::to_string(calls.OutsideMs()) +
                       " ms outside any call)\n\n";
    static const char* const headings[] = {"Calls",  "Total ms", "Self ms",   "Mean ms",
                                           "Max ms", "Total %",  "Unfinished"};
    const size_t columns = sizeof headings / sizeof headings[0];
    // Every cell's text first, so that each column is as wide as its widest.
    std::vector<std::string> cells;
    size_t nameWidth = 8; // "Function"
    size_t widths[columns];
    for (size_t c = 0; c < columns; c++)
        widths[c] = std::strlen(headings[c]);
    const double traceMs = (double)calls.TotalMs();
    for (size_t i = 0; i < shown; i++) {
        const TraceFunction& f = *order[i];
        nameWidth = std::max(nameWidth, std::min((size_t)kMaxNameWidth, f.name.size()));
        const std::string row[columns] = {
            std::to_string(f.calls),
            std::to_string(f.totalMs),
            std::to_string(f.selfMs),
            Fixed(f.outerCalls ? (double)f.totalMs / (double)f.outerCalls : 0.0, 2),
            std::to_string(f.maxMs),
            Fixed(traceMs > 0 ? 100.0 * (double)f.totalMs / traceMs : 0.0, 1),
            std::to_string(f.unfinished)};
        for (size_t c = 0; c < columns; c++) {
            widths[c] = std::max(widths[c], row[c].size());
            cells.push_back(row[c]);
        }
    }
    Pad(text, "Function", nameWidth, false);
    for (size_t c = 0; c < columns; c++)
        Pad(text += "  ", headings[c], widths[c], true);
    text += '\n' + std::string(nameWidth, '-');
    for (size_t c = 0; c < columns; c++)
        text += "  " + std::string(widths[c], '-');
    text += '\n';
    for (size_t i = 0; i < shown; i++) {
        Pad(text, order[i]->name, nameWidth, false);
        for (size_t c = 0; c < columns; c++)
            Pad(text += "  ", cells[i * columns + c], widths[c], true);
        text += '\n';
    }
    if (shown < order.size())
        text += "(" + Count(order.size() - shown, "more function") + ": --top 0 lists them all)\n";
    if (!WriteCp949Text(out, text, false) || std::fflush(out) != 0) {
        std::fputs("vktool profile: cannot write the output\n", err);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int VkProfile(int argc, char** argv) {
    return VkProfile(argc, argv, stdout, stderr);
}
