// vktool capture OUT.vkp: receives trace records as the debugger does, with nobody watching, and
// writes each one's row to a trace file as it arrives (Windows only).
//
// The receiver is a hidden dialog-class window captioned as the debugger's, so the engine client,
// vktool send and the engines built on them find it as they find the debugger. Each record's line
// is handed to the system (WriteFile) before the record is answered TRUE: a capture that is
// killed leaves every record it answered TRUE in the file, in whole lines, and nothing is held in
// memory however long the run. A record whose line cannot be written is answered FALSE, and the
// capture ends with a failure status. A record larger than the protocol allows
// (VKTRACE_MAX_RECORD_BYTES, 16 MiB) is answered FALSE and not written; the capture goes on.
#include "TraceRecord.h"
#include "vktool.h"

#include "vktrace.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

const char CAPTURE_USAGE[] =
    "usage: vktool capture OUT.vkp [--first | --refuse] [--append | --overwrite] [--count N]\n"
    "                      [--seconds S] [--quiet]\n"
    "Receives trace records as the debugger does, with nobody watching, and writes each one's row\n"
    "to the trace file OUT.vkp as it arrives: the lines the debugger's File > Save File writes.\n"
    "Run it instead of the debugger (one receiver at a time), run the engine, then stop it with\n"
    "Ctrl+C; open the file in the debugger or print it with vktool show.\n"
    "  --first        accept only the first session start, as the debugger does (default: accept\n"
    "                 every one; the rows of all sessions continue the same file)\n"
    "  --refuse       refuse every session start (the engine is answered FALSE)\n"
    "  --append       continue an existing OUT.vkp\n"
    "  --overwrite    replace an existing OUT.vkp (without one of the two it is kept and capture\n"
    "                 stops)\n"
    "  --count N      stop after N trace records (session starts are not counted)\n"
    "  --seconds S    stop after S seconds\n"
    "  --quiet        no progress line (there is none either when the output is not a console)\n"
    "Exit status: 0 when stopped, 1 when a record could not be written or the capture could not\n"
    "start, 2 for a usage error.\n";

enum SessionRule { ACCEPT_EVERY, ACCEPT_FIRST, REFUSE_ALL };
enum ExistingFile { KEEP_EXISTING, APPEND_EXISTING, OVERWRITE_EXISTING };

struct CaptureOptions {
    const char* path = nullptr;
    SessionRule sessions = ACCEPT_EVERY;
    ExistingFile existing = KEEP_EXISTING;
    unsigned long long count = 0; // 0: no limit
    double seconds = 0;           // 0: no limit
    bool quiet = false;
    bool help = false;
};

// A whole positive number, or a positive number of seconds.
bool ParseCount(const char* text, unsigned long long* value) {
    if (text == nullptr || *text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    *value = std::strtoull(text, &end, 10);
    return errno == 0 && *end == '\0' && *value > 0;
}

bool ParseSeconds(const char* text, double* value) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    *value = std::strtod(text, &end);
    // At most a year: the limit becomes a tick count.
    return *end == '\0' && *value > 0 && *value <= 366.0 * 24 * 3600;
}

// Takes one of two options that exclude each other (field still `unset`, or already `rule`).
template <class Rule> bool TakeOneOfTwo(Rule rule, Rule unset, Rule* field) {
    if (*field != unset && *field != rule) return false;
    *field = rule;
    return true;
}

bool ParseCaptureArguments(int argc, char** argv, CaptureOptions* o, std::string* error) {
    for (int i = 0; i < argc; i++) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            o->help = true;
        } else if (a == "--first" || a == "--refuse") {
            if (!TakeOneOfTwo(a == "--first" ? ACCEPT_FIRST : REFUSE_ALL, ACCEPT_EVERY, &o->sessions)) {
                *error = "--first and --refuse exclude each other";
                return false;
            }
        } else if (a == "--append" || a == "--overwrite") {
            if (!TakeOneOfTwo(a == "--append" ? APPEND_EXISTING : OVERWRITE_EXISTING, KEEP_EXISTING,
                              &o->existing)) {
                *error = "--append and --overwrite exclude each other";
                return false;
            }
        } else if (a == "--count") {
            if (!ParseCount(i + 1 < argc ? argv[++i] : nullptr, &o->count)) {
                *error = "--count needs a whole number of records, 1 or more";
                return false;
            }
        } else if (a == "--seconds") {
            if (!ParseSeconds(i + 1 < argc ? argv[++i] : nullptr, &o->seconds)) {
                *error = "--seconds needs a number of seconds above 0 (at most a year)";
                return false;
            }
        } else if (a == "--quiet" || a == "-q") {
            o->quiet = true;
        } else if (a.size() > 1 && a[0] == '-') {
            *error = "unknown option '" + a + "'";
            return false;
        } else if (o->path != nullptr) {
            *error = "one trace file only ('" + std::string(o->path) + "' and '" + a + "')";
            return false;
        } else {
            o->path = argv[i];
        }
    }
    if (o->path == nullptr && !o->help) {
        *error = "no trace file given";
        return false;
    }
    return true;
}

std::string SystemMessage(DWORD code) {
    char text[512] = {};
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                        sizeof text, nullptr))
        std::snprintf(text, sizeof text, "system error %lu", static_cast<unsigned long>(code));
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ' || s.back() == '.'))
        s.pop_back();
    return s;
}

// A receiver window of another process, other than `self`: the debugger or another capture.
HWND FindOtherReceiver(HWND self) {
    HWND wnd = nullptr;
    while ((wnd = FindWindowExA(nullptr, wnd, "#32770", VKTRACE_CAPTION)) != nullptr)
        if (wnd != self) return wnd;
    return nullptr;
}

// The trace file, written a line at a time straight to the system.
class CaptureFile {
public:
    ~CaptureFile() {
        if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    }

    // Opens (or creates) the file as the options say. FALSE with a message otherwise.
    bool Open(const char* path, ExistingFile existing, std::string* error) {
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            *error = std::string(path) + " is a directory";
            return false;
        }
        const DWORD disposition = existing == APPEND_EXISTING      ? OPEN_ALWAYS
                                  : existing == OVERWRITE_EXISTING ? CREATE_ALWAYS
                                                                   : CREATE_NEW;
        // Others may read the file while it grows (vktool show, the debugger's Open File).
        m_file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (m_file == INVALID_HANDLE_VALUE) {
            const DWORD code = GetLastError();
            if (code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS)
                *error = std::string(path) +
                         " already exists and is kept; give --append to continue it or --overwrite to "
                         "replace it";
            else
                *error = "cannot open " + std::string(path) + ": " + SystemMessage(code);
            return false;
        }
        LARGE_INTEGER size = {};
        if (!GetFileSizeEx(m_file, &size)) size.QuadPart = 0;
        m_end = static_cast<ULONGLONG>(size.QuadPart);
        // A file that does not end with a line end (not one this program wrote) gets one before
        // the first new line, so that line stays whole.
        if (m_end > 0) {
            char last = '\n';
            DWORD read = 0;
            LARGE_INTEGER at;
            at.QuadPart = static_cast<LONGLONG>(m_end - 1);
            if (SetFilePointerEx(m_file, at, nullptr, FILE_BEGIN) &&
                ReadFile(m_file, &last, 1, &read, nullptr) && read == 1 && last != '\n')
                m_pending = "\r\n";
        }
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(m_end);
        SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN);
        return true;
    }

    // Writes one line (LF-terminated text) as text mode puts it on disk, each LF as CR LF. FALSE
    // with the system's error code when it could not be written whole; the file is then cut back
    // to the end of the previous line.
    bool WriteLine(const CString& line, DWORD* code) {
        m_bytes.assign(m_pending);
        const char* p = line;
        const char* end = p + line.GetLength();
        for (const char* lf; p < end; p = lf + 1) {
            lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (lf == nullptr) lf = end;
            m_bytes.append(p, static_cast<size_t>(lf - p));
            if (lf < end) m_bytes.append("\r\n", 2);
        }
        size_t done = 0;
        while (done < m_bytes.size()) {
            const DWORD chunk =
                static_cast<DWORD>(m_bytes.size() - done < (1u << 30) ? m_bytes.size() - done : (1u << 30));
            DWORD wrote = 0;
            if (!WriteFile(m_file, m_bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) {
                *code = GetLastError();
                if (*code == 0) *code = ERROR_DISK_FULL;
                CutBack();
                return false;
            }
            done += wrote;
        }
        m_end += m_bytes.size();
        m_written += m_bytes.size();
        m_pending.clear();
        // A long line's buffer is not kept for the rest of the run.
        if (m_bytes.capacity() > (1u << 20)) std::string().swap(m_bytes);
        return true;
    }

    ULONGLONG Size() const { return m_end; }
    ULONGLONG Written() const { return m_written; }

private:
    void CutBack() {
        LARGE_INTEGER end;
        end.QuadPart = static_cast<LONGLONG>(m_end);
        if (SetFilePointerEx(m_file, end, nullptr, FILE_BEGIN)) SetEndOfFile(m_file);
    }

    HANDLE m_file = INVALID_HANDLE_VALUE;
    ULONGLONG m_end = 0;     // the end of the last whole line
    ULONGLONG m_written = 0; // bytes written by this run
    std::string m_pending;   // a line end still owed to the previous contents
    std::string m_bytes;     // the line being written, as on disk
};

const UINT_PTR PROGRESS_TIMER = 1;
const DWORD PROGRESS_MS = 250;

// The whole capture: the file, the rules that turn records into rows, and the figures.
struct Capture {
    CaptureOptions options;
    CaptureFile file;
    CTraceRowRules rows;
    HWND window = nullptr;
    bool progress = false; // a progress line on the console
    bool failed = false;   // a line could not be written
    bool stopping = false;
    bool tookAny = false; // a session start or a record has been taken
    unsigned long long records = 0, sessions = 0, refused = 0;
    ULONGLONG startTick = 0;
    ULONGLONG progressTick = 0;
    unsigned long long progressRecords = 0;

    void Stop() {
        if (!stopping) PostMessageA(window, WM_CLOSE, 0, 0);
        stopping = true;
    }

    BOOL Take(const COPYDATASTRUCT* cds) {
        BOOL taken = FALSE;
        // No record, or one larger than the protocol allows, is refused unread; the capture goes
        // on with the next.
        if (!stopping && cds != nullptr && cds->cbData <= VKTRACE_MAX_RECORD_BYTES) {
            try {
                taken = TakeRecord(cds);
            } catch (CException* e) {
                // Out of memory on a huge record: it is refused, the capture goes on.
                e->Delete();
            } catch (const std::bad_alloc&) {
            }
        }
        if (!taken) refused++;
        CheckLimits();
        return taken;
    }

    BOOL TakeRecord(const COPYDATASTRUCT* cds) {
        const CString payload = TracePayloadText(cds->lpData, cds->cbData);
        if (cds->dwData == TRACE_SESSION_START) {
            if (options.sessions == REFUSE_ALL || (options.sessions == ACCEPT_FIRST && tookAny)) return FALSE;
            rows.StartSession(GetTickCount());
            sessions++;
            tookAny = true;
            return TRUE;
        }
        TraceRowText row;
        CTraceRowRules next = rows;
        next.BuildRow(cds->dwData, payload, &row);
        row.delay = next.DelayText(GetTickCount());
        DWORD code = 0;
        if (!file.WriteLine(FormatTraceLine(row.function, row.delay, row.detail), &code)) {
            std::fprintf(
                stderr,
                "%svktool capture: cannot write %s: %s; the record was refused and the capture ends\n",
                progress ? "\n" : "", options.path, SystemMessage(code).c_str());
            failed = true;
            Stop();
            return FALSE;
        }
        rows = next;
        rows.lastTick = GetTickCount();
        records++;
        tookAny = true;
        if (options.count && records >= options.count) Stop();
        return TRUE;
    }

    // The time limit and the progress line, checked on every record and on the timer (which a
    // steady flood of records can hold back).
    void CheckLimits() {
        const ULONGLONG now = GetTickCount64();
        if (options.seconds > 0 && static_cast<double>(now - startTick) >= options.seconds * 1000.0) Stop();
        if (progress && now - progressTick >= PROGRESS_MS) ShowProgress(now);
    }

    void ShowProgress(ULONGLONG now) {
        const double seconds = static_cast<double>(now - progressTick) / 1000.0;
        const double rate = seconds > 0 ? static_cast<double>(records - progressRecords) / seconds : 0;
        std::printf("\r%llu records, %.0f records/s, %.1f MB   ", records, rate,
                    static_cast<double>(file.Size()) / 1048576.0);
        std::fflush(stdout);
        progressTick = now;
        progressRecords = records;
    }
};

Capture* g_capture = nullptr;
HANDLE g_finished = nullptr; // set once the summary is printed

LRESULT CALLBACK CaptureWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COPYDATA:
        if (g_capture->window == nullptr) return FALSE; // not yet receiving
        return g_capture->Take(reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_TIMER:
        if (wParam == PROGRESS_TIMER) g_capture->CheckLimits();
        return 0;
    case WM_CLOSE:
        g_capture->stopping = true;
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// Ctrl+C, Ctrl+Break and the console's closing end the capture through its window. Every record
// taken is already in the file; a close waits for the summary before the system ends the process.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (g_capture == nullptr) return FALSE;
    PostMessageA(g_capture->window, WM_CLOSE, 0, 0);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(g_finished, 4000);
    return TRUE;
}

bool IsConsole(HANDLE h) {
    DWORD mode = 0;
    return h != INVALID_HANDLE_VALUE && h != nullptr && GetConsoleMode(h, &mode);
}

} // namespace

int VkCapture(int argc, char** argv) {
    static Capture capture;
    std::string error;
    if (!ParseCaptureArguments(argc, argv, &capture.options, &error)) {
        std::fprintf(stderr, "vktool capture: %s\n%s", error.c_str(), CAPTURE_USAGE);
        return VK_EXIT_USAGE;
    }
    if (capture.options.help) {
        std::fputs(CAPTURE_USAGE, stdout);
        return VK_EXIT_OK;
    }
    const char* path = capture.options.path;
    // Two receivers would split the engine's stream between them: the one already there keeps it.
    if (HWND other = FindOtherReceiver(nullptr)) {
        DWORD pid = 0;
        GetWindowThreadProcessId(other, &pid);
        std::fprintf(stderr,
                     "vktool capture: a debugger or another capture is already receiving trace records "
                     "(window \"" VKTRACE_CAPTION "\" of process %lu); run one receiver at a time\n",
                     static_cast<unsigned long>(pid));
        return VK_EXIT_FAILURE;
    }
    if (!capture.file.Open(path, capture.options.existing, &error)) {
        std::fprintf(stderr, "vktool capture: %s\n", error.c_str());
        return VK_EXIT_FAILURE;
    }

    g_capture = &capture;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND wnd = CreateWindowExA(0, "#32770", VKTRACE_CAPTION, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance,
                               nullptr);
    if (wnd == nullptr) {
        std::fprintf(stderr, "vktool capture: cannot create the receiving window: %s\n",
                     SystemMessage(GetLastError()).c_str());
        return VK_EXIT_FAILURE;
    }
    SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CaptureWindowProc));
    // A receiver that started at the same moment: both give way rather than share the stream.
    if (HWND other = FindOtherReceiver(wnd)) {
        DestroyWindow(wnd);
        DWORD pid = 0;
        GetWindowThreadProcessId(other, &pid);
        std::fprintf(stderr,
                     "vktool capture: another receiver (process %lu) started at the same time; run one "
                     "receiver at a time\n",
                     static_cast<unsigned long>(pid));
        return VK_EXIT_FAILURE;
    }

    capture.window = wnd;
    capture.startTick = capture.progressTick = GetTickCount64();
    capture.rows.StartSession(GetTickCount());
    capture.progress = !capture.options.quiet && IsConsole(GetStdHandle(STD_OUTPUT_HANDLE));
    g_finished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    SetTimer(wnd, PROGRESS_TIMER, PROGRESS_MS, nullptr);
    std::printf("vktool capture: receiving trace records into %s; stop with Ctrl+C\n", path);
    std::fflush(stdout);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);

    // No record reaches the window once it is gone; a sender waiting on it is told so.
    KillTimer(wnd, PROGRESS_TIMER);
    DestroyWindow(wnd);
    if (capture.progress) {
        capture.ShowProgress(GetTickCount64());
        std::fputs("\n", stdout);
    }
    std::printf("vktool capture: %llu records, %llu sessions, %llu refused, %llu bytes written to %s\n",
                capture.records, capture.sessions, capture.refused,
                static_cast<unsigned long long>(capture.file.Written()), path);
    std::fflush(stdout);
    SetEvent(g_finished);
    return capture.failed ? VK_EXIT_FAILURE : VK_EXIT_OK;
}
