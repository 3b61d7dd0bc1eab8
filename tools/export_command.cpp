// vktool export TRACE.vkp --chrome OUT.json | --folded OUT.txt: a trace's calls (found as
// trace_calls.h says) for the tools profiler users read them in.
// - --chrome: the Trace Event Format that timeline viewers open (chrome://tracing, Perfetto,
//   speedscope): every call a complete event ("ph":"X") with "ts" and "dur" in microseconds of the
//   summed delays, every plain trace line an instant event ("ph":"i") with its detail as an
//   argument; one process and one thread. Events are written as their calls end (a callee before
//   its caller); the viewers order them by time.
// - --folded: folded stacks, the input of flame-graph tools: one line per distinct stack with its
//   self milliseconds, "Main;CalcTotal;ReadRecord 12"; the time outside any call is the stack
//   "(root)". Stacks of 0 ms are left out: they would have no width.
// Both are UTF-8. Each file is written under a temporary name and put in place only once it is
// complete, so a failed export leaves the file that was there before.
#include "ByteCopy.h"
#include "trace_calls.h"
#include "utf8_text.h"
#include "vktool.h"

#include <array>
#include <cstring>
#include <initializer_list>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

const char kUsage[] = "usage: vktool export TRACE.vkp [--chrome OUT.json] [--folded OUT.txt]\n";
const size_t kFlushBytes = 1024 * 1024;

// An output file written under a temporary name in its folder, which replaces the file only when
// Commit succeeds.
class COutputFile {
public:
    explicit COutputFile(const char* path) : m_path(path) {
#ifdef _WIN32
        m_temp = m_path + ".vktool-" + std::to_string(_getpid()) + ".tmp";
#else
        m_temp = m_path + ".vktool-" + std::to_string(getpid()) + ".tmp";
#endif
    }
    ~COutputFile() {
        Abort();
    }
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    bool Open() {
        m_file = std::fopen(m_temp.c_str(), "wb");
        // The text comes in large pieces already: straight to the system, no copy on the way.
        if (m_file) std::setvbuf(m_file, nullptr, _IONBF, 0);
        return m_file != nullptr;
    }
    FILE* File() const {
        return m_file;
    }
    // FALSE once a write has failed.
    bool Write(const char* text, size_t length) {
        m_ok = m_ok && std::fwrite(text, 1, length, m_file) == length;
        return m_ok;
    }
    // Writes text and empties it.
    bool Write(std::string& text) {
        Write(text.data(), text.size());
        text.clear();
        return m_ok;
    }
    bool Commit() {
        const bool written = m_ok && std::fflush(m_file) == 0 && !std::ferror(m_file);
        const bool closed = std::fclose(m_file) == 0;
        m_file = nullptr;
#ifdef _WIN32
        if (written && closed && MoveFileExA(m_temp.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING))
            return true;
#else
        if (written && closed && std::rename(m_temp.c_str(), m_path.c_str()) == 0) return true;
#endif
        std::remove(m_temp.c_str());
        return false;
    }
    void Abort() {
        if (!m_file) return;
        std::fclose(m_file);
        m_file = nullptr;
        std::remove(m_temp.c_str());
    }

private:
    std::string m_path, m_temp;
    FILE* m_file = nullptr;
    bool m_ok = true;
};

// Whether two paths name the same existing file (an export must never replace its own trace).
bool SameFile(const char* a, const char* b) {
    struct stat sa, sb;
    if (stat(a, &sa) != 0 || stat(b, &sb) != 0) return false;
#ifdef _WIN32
    char fa[MAX_PATH], fb[MAX_PATH];
    return GetFullPathNameA(a, MAX_PATH, fa, nullptr) && GetFullPathNameA(b, MAX_PATH, fb, nullptr) &&
           lstrcmpiA(fa, fb) == 0;
#else
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
}

void AppendNumber(std::string& out, uint64_t value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = (char)('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        out += digits[--n];
}

// The Chrome file's text, gathered in a buffer of a fixed size that is written whenever it is
// full: the pieces of an event are copied in without the checks of a growing string.
class CEventText {
public:
    explicit CEventText(COutputFile& file) : m_file(file), m_buffer(kFlushBytes) {}

    void Put(const char* text, size_t length) {
        if (length > m_buffer.size() - m_used) {
            Flush();
            if (length > m_buffer.size()) {
                m_file.Write(text, length);
                return;
            }
        }
        CopyBytes(m_buffer.data() + m_used, text, length);
        m_used += length;
    }
    template <size_t N> void Put(const char (&text)[N]) { Put(text, N - 1); }
    void Put(const std::string& text) { Put(text.data(), text.size()); }
    // Milliseconds as the microseconds of the Trace Event Format (no product to overflow).
    void PutMicroseconds(uint64_t ms) {
        char digits[24];
        int n = (int)sizeof digits;
        if (ms != 0) {
            n -= 3;
            std::memcpy(digits + n, "000", 3);
        }
        do {
            digits[--n] = (char)('0' + ms % 10);
            ms /= 10;
        } while (ms != 0);
        Put(digits + n, sizeof digits - (size_t)n);
    }
    bool Flush() {
        const bool ok = m_file.Write(m_buffer.data(), m_used);
        m_used = 0;
        return ok;
    }

private:
    COutputFile& m_file;
    std::vector<char> m_buffer;
    size_t m_used = 0;
};

// Code page 949 text as the contents of a JSON string.
class CJsonText {
public:
    void Append(CEventText& out, const char* text, size_t length) {
        // Most texts are printable ASCII without a quote or backslash: copied as they are.
        static const std::array<bool, 256> plain = [] {
            std::array<bool, 256> t{};
            for (int c = 0x20; c < 0x80; c++)
                t[(size_t)c] = c != '"' && c != '\\';
            return t;
        }();
        size_t i = 0;
        // Eight bytes at a time while none is a control, non-ASCII, quote or backslash byte.
        const uint64_t ones = 0x0101010101010101ULL, highs = 0x8080808080808080ULL;
        const auto hasZero = [=](uint64_t v) { return (v - ones) & ~v & highs; };
        for (uint64_t w; i + 8 <= length; i += 8) {
            std::memcpy(&w, text + i, 8);
            if ((w & highs) | ((w - 0x20 * ones) & ~w & highs) | hasZero(w ^ ('"' * ones)) |
                hasZero(w ^ ('\\' * ones)))
                break;
        }
        while (i < length && plain[(unsigned char)text[i]])
            i++;
        if (i == length) {
            out.Put(text, length);
            return;
        }
        m_utf8.clear();
        m_utf8Text.Append(text, length, &m_utf8);
        static const char digits[] = "0123456789abcdef";
        m_escaped.clear();
        for (const char ch : m_utf8) {
            const unsigned char c = (unsigned char)ch;
            if (c == '"' || c == '\\') {
                m_escaped += '\\';
                m_escaped += ch;
            } else if (c == '\n') {
                m_escaped += "\\n";
            } else if (c == '\r') {
                m_escaped += "\\r";
            } else if (c == '\t') {
                m_escaped += "\\t";
            } else if (c < 0x20) {
                m_escaped += "\\u00";
                m_escaped += digits[c >> 4];
                m_escaped += digits[c & 15];
            } else {
                m_escaped += ch;
            }
        }
        out.Put(m_escaped);
    }

private:
    CUtf8Text m_utf8Text;
    std::string m_utf8, m_escaped;
};

// The Trace Event Format's JSON object, written as the calls end.
class CChromeWriter : public CTraceCalls::Listener {
public:
    explicit CChromeWriter(COutputFile& file) : m_text(file) {}

    void Begin(const char* tracePath) {
        // The process is named after the trace file (its name as given, where that is ASCII).
        const char* base = tracePath;
        for (const char* p = tracePath; *p; p++)
            if (*p == '/' || *p == '\\') base = p + 1;
        std::string name(base);
        for (const char c : name)
            if ((unsigned char)c >= 0x80) name.clear();
        if (name.empty()) name = "trace";
        m_text.Put(
            "{\"traceEvents\":[\n{\"name\":\"process_name\",\"ph\":\"M\",\"pid\":1,\"tid\":1,\"args\":{"
            "\"name\":\"");
        m_json.Append(m_text, name.data(), name.size());
        m_text.Put("\"}},\n{\"name\":\"thread_name\",\"ph\":\"M\",\"pid\":1,\"tid\":1,\"args\":{\"name\":"
                   "\"script\"}}");
    }
    bool End() {
        m_text.Put("\n],\"displayTimeUnit\":\"ms\"}\n");
        return m_text.Flush();
    }

    void OnCall(const TraceFunction& function, uint64_t startMs, uint64_t endMs,
                const TraceRowText* leave) override {
        const std::string& name = function.name;
        m_text.Put(",\n{\"name\":\"");
        m_json.Append(m_text, name.data(), name.size());
        m_text.Put("\",\"ph\":\"X\",\"ts\":");
        m_text.PutMicroseconds(startMs);
        m_text.Put(",\"dur\":");
        m_text.PutMicroseconds(endMs - startMs);
        m_text.Put(",\"pid\":1,\"tid\":1,\"args\":{");
        if (leave) {
            m_text.Put("\"detail\":\"");
            m_json.Append(m_text, leave->detail, (size_t)leave->detail.GetLength());
            m_text.Put("\"}}");
        } else {
            m_text.Put("\"unfinished\":true}}");
        }
    }
    void OnLine(std::string_view name, const TraceRowText& row, uint64_t timeMs) override {
        m_text.Put(",\n{\"name\":\"");
        m_json.Append(m_text, name.data(), name.size());
        m_text.Put("\",\"ph\":\"i\",\"s\":\"t\",\"ts\":");
        m_text.PutMicroseconds(timeMs);
        m_text.Put(",\"pid\":1,\"tid\":1,\"args\":{\"detail\":\"");
        m_json.Append(m_text, row.detail, (size_t)row.detail.GetLength());
        m_text.Put("\"}}");
    }

private:
    CEventText m_text;
    CJsonText m_json;
};

// A name as a frame of a folded stack: UTF-8, with the ";" that separates frames and the line
// breaks escaped as "\xNN".
std::string FoldedName(CUtf8Text& utf8, const std::string& name) {
    std::string converted, frame;
    utf8.Append(name.data(), name.size(), &converted);
    for (const char c : converted) {
        if (c == ';' || (unsigned char)c < 0x20) {
            static const char digits[] = "0123456789ABCDEF";
            frame += "\\x";
            frame += digits[(unsigned char)c >> 4];
            frame += digits[c & 15];
        } else {
            frame += c;
        }
    }
    return frame;
}

bool WriteFolded(COutputFile& file, const CTraceCalls& calls) {
    CUtf8Text utf8;
    std::vector<std::string> frames;
    for (const TraceFunction& f : calls.Functions())
        frames.push_back(FoldedName(utf8, f.name));
    const std::vector<TraceStack>& stacks = calls.Stacks();
    std::string text;
    std::vector<int> path;
    for (size_t s = 0; s < stacks.size(); s++) {
        if (stacks[s].selfMs == 0) continue;
        if (s == 0) text += "(root)";
        path.clear();
        for (int at = (int)s; at > 0; at = stacks[(size_t)at].parent)
            path.push_back(stacks[(size_t)at].function);
        for (size_t i = path.size(); i-- > 0;) {
            text += frames[(size_t)path[i]];
            if (i > 0) text += ';';
        }
        text += ' ';
        AppendNumber(text, stacks[s].selfMs);
        text += '\n';
        if (text.size() >= kFlushBytes && !file.Write(text)) return false;
    }
    return file.Write(text);
}

} // namespace

int VkExport(int argc, char** argv, FILE* /*out*/, FILE* err) {
    const char *path = nullptr, *chrome = nullptr, *folded = nullptr;
    for (int i = 0; i < argc; i++) {
        const bool hasValue = i + 1 < argc && argv[i + 1][0] != '\0';
        if (std::strcmp(argv[i], "--chrome") == 0 && hasValue && !chrome) {
            chrome = argv[++i];
        } else if (std::strcmp(argv[i], "--folded") == 0 && hasValue && !folded) {
            folded = argv[++i];
        } else if (!path && argv[i][0] != '-' && argv[i][0] != '\0') {
            path = argv[i];
        } else {
            std::fprintf(err, "vktool export: unexpected argument '%s'\n%s", argv[i], kUsage);
            return VK_EXIT_USAGE;
        }
    }
    if (!path || (!chrome && !folded)) {
        std::fputs(kUsage, err);
        return VK_EXIT_USAGE;
    }
    if (chrome && folded && (std::strcmp(chrome, folded) == 0 || SameFile(chrome, folded))) {
        std::fprintf(err, "vktool export: --chrome and --folded name the same file %s\n", chrome);
        return VK_EXIT_USAGE;
    }
    for (const char* output : {chrome, folded})
        if (output && SameFile(output, path)) {
            std::fprintf(err, "vktool export: %s is the trace itself; name another output file\n", output);
            return VK_EXIT_USAGE;
        }

    COutputFile chromeFile(chrome ? chrome : ""), foldedFile(folded ? folded : "");
    for (const auto& o : {std::make_pair(chrome, &chromeFile), std::make_pair(folded, &foldedFile)})
        if (o.first && !o.second->Open()) {
            std::fprintf(err, "vktool export: %s: cannot create the file\n", o.first);
            return VK_EXIT_FAILURE;
        }
    CChromeWriter writer(chromeFile);
    CTraceCalls calls(chrome ? &writer : nullptr, folded != nullptr);
    if (chrome) writer.Begin(path);
    if (!ReadTraceCalls("export", path, &calls, err)) return VK_EXIT_FAILURE;
    if (chrome && !(writer.End() && chromeFile.Commit())) {
        std::fprintf(err, "vktool export: %s: cannot write the file\n", chrome);
        return VK_EXIT_FAILURE;
    }
    if (folded && !(WriteFolded(foldedFile, calls) && foldedFile.Commit())) {
        std::fprintf(err, "vktool export: %s: cannot write the file\n", folded);
        return VK_EXIT_FAILURE;
    }
    return VK_EXIT_OK;
}

int VkExport(int argc, char** argv) {
    return VkExport(argc, argv, stdout, stderr);
}
