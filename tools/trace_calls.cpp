#include "trace_calls.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

const size_t kEntryDetailLength = 96; // an entry row's detail: this many "-"
static_assert(kEntryDetailLength % 8 == 0, "compared eight bytes at a time");

// Compared eight bytes at a time here: some C runtimes (Wine's) compare memory a byte at a time,
// and a quarter of a trace's rows are entries.
bool IsEntryDetail(const CString& detail) {
    if ((size_t)detail.GetLength() != kEntryDetailLength) return false;
    const char* p = detail;
    const uint64_t dashes = 0x2D2D2D2D2D2D2D2DULL;
    for (size_t i = 0; i < kEntryDetailLength; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        if (w != dashes) return false;
    }
    return true;
}

} // namespace

CTraceCalls::CTraceCalls(Listener* listener, bool keepStacks)
    : m_listener(listener), m_keepStacks(keepStacks) {
    m_stacks.push_back(TraceStack{-1, -1, 0});
}

// The debugger writes a delay as "%d" of the 32-bit count of milliseconds since the record before,
// so a negative number is that count above 2^31 and is read back as it. Anything else than an
// optional "-" and up to ten digits within an int's range is not a delay.
uint64_t CTraceCalls::Delay(const CString& text) {
    const char* p = text;
    const int n = text.GetLength();
    const bool negative = n > 0 && p[0] == '-';
    const int digits = n - (negative ? 1 : 0);
    int64_t value = 0;
    bool ok = digits >= 1 && digits <= 10;
    for (int i = negative ? 1 : 0; ok && i < n; i++) {
        ok = p[i] >= '0' && p[i] <= '9';
        value = value * 10 + (p[i] - '0');
    }
    if (ok && (negative ? value <= 2147483648LL : value <= 2147483647LL))
        return negative ? (uint64_t)(uint32_t)(-value) : (uint64_t)value;
    if (m_badDelays++ == 0) m_firstBadDelayRow = m_rows;
    return 0;
}

TraceFunction* CTraceCalls::FindFunction(std::string_view name) {
    const auto found = m_functionIds.find(name);
    if (found != m_functionIds.end()) return &m_functions[(size_t)found->second];
    m_functions.emplace_back();
    m_functions.back().name.assign(name.data(), name.size());
    const int id = (int)m_functions.size() - 1;
    m_functions.back().id = id;
    try {
        m_functionIds.emplace(std::string_view(m_functions.back().name), id);
    } catch (...) {
        m_functions.pop_back();
        throw;
    }
    return &m_functions.back();
}

int CTraceCalls::StackId(int parent, int function) {
    const uint64_t key = (uint64_t)(uint32_t)parent << 32 | (uint32_t)function;
    const auto found = m_stackIds.find(key);
    if (found != m_stackIds.end()) return found->second;
    m_stacks.push_back(TraceStack{parent, function, 0});
    const int id = (int)m_stacks.size() - 1;
    try {
        m_stackIds.emplace(key, id);
    } catch (...) {
        m_stacks.pop_back();
        throw;
    }
    return id;
}

void CTraceCalls::AddSelf(uint64_t ms) {
    if (m_open.empty()) {
        m_stacks[0].selfMs += ms;
        return;
    }
    const Frame& top = m_open.back();
    top.function->selfMs += ms;
    if (m_keepStacks) m_stacks[(size_t)top.stack].selfMs += ms;
}

void CTraceCalls::EndCall(uint64_t endMs, const TraceRowText* leave) {
    const Frame frame = m_open.back();
    m_open.pop_back();
    TraceFunction& f = *frame.function;
    const uint64_t ms = endMs - frame.startMs;
    // Only the outermost call of a recursion counts: the inner ones' time is inside it.
    if (--f.open == 0) {
        f.totalMs += ms;
        f.outerCalls++;
    }
    f.maxMs = std::max(f.maxMs, ms);
    if (leave == nullptr) {
        f.unfinished++;
        m_unfinished++;
    }
    if (m_listener) m_listener->OnCall(f, frame.startMs, endMs, leave);
}

void CTraceCalls::AddRow(const TraceRowText& row) {
    m_rows++;
    const uint64_t delay = Delay(row.delay);
    const char* function = row.function;
    const size_t length = (size_t)row.function.GetLength();
    size_t indent = 0;
    while (indent < length && function[indent] == ' ')
        indent++;
    const std::string_view name(function + indent, length - indent);

    // The calls this row closes, the innermost first; its own leave row ends the call after its
    // delay, every other closing row before it. An entry row is never a leave row: where a trace
    // continues after a session that broke off (a capture goes on in the same file), the new
    // session's first call starts at the indentation of the old one's.
    const bool entry = IsEntryDetail(row.detail);
    while (!m_open.empty() && m_open.back().indent >= indent) {
        if (!entry && m_open.back().indent == indent && m_open.back().function->name == name) {
            m_now += delay;
            AddSelf(delay);
            EndCall(m_now, &row);
            return;
        }
        EndCall(m_now, nullptr);
    }
    m_now += delay;
    AddSelf(delay);
    if (entry) {
        TraceFunction* f = FindFunction(name);
        const int stack = m_keepStacks ? StackId(m_open.empty() ? 0 : m_open.back().stack, f->id) : 0;
        m_open.push_back(Frame{f, stack, indent, m_now});
        f->calls++;
        f->open++;
        m_calls++;
    } else if (m_listener) {
        m_listener->OnLine(name, row, m_now);
    }
}

void CTraceCalls::Finish() {
    while (!m_open.empty())
        EndCall(m_now, nullptr);
}

bool ReadTraceCalls(const char* command, const char* path, CTraceCalls* calls, FILE* err) {
    // A missing file and a folder are named as such, as `vktool show` names them.
    struct stat st;
    if (stat(path, &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fprintf(err, "vktool %s: %s: cannot open the file: %s\n", command, path,
                     stat(path, &st) != 0 ? "there is no such file" : "it is a folder");
        return false;
    }
    const TraceFileResult r = ReadTraceRows(
        path, [](TraceRowText& row, void* context) { ((CTraceCalls*)context)->AddRow(row); }, calls);
    if (r != TRACE_FILE_OK) {
        std::fprintf(err, "vktool %s: %s: %s\n", command, path, DescribeTraceFileResult(r));
        return false;
    }
    calls->Finish();
    if (calls->BadDelays() > 0) {
        const uint64_t n = calls->BadDelays();
        std::fprintf(err, "vktool %s: %s: %s %s a delay that is not a number, counted as 0 ms (%srow %s)\n",
                     command, path, std::to_string(n).c_str(), n == 1 ? "row has" : "rows have",
                     n == 1 ? "" : "the first is ", std::to_string(calls->FirstBadDelayRow()).c_str());
    }
    return true;
}
