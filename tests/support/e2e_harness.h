// Drives the real VkDebuger.exe from another process, as the script engine and a person do:
// starts it, finds its window by caption, sends trace records with WM_COPYDATA, answers the
// session prompt by finding the message box and pressing its buttons, posts row clicks and
// reads the detail box, uses the menu, closes the program. Also runs vktool.exe as a child
// process with its output captured.
//
// Every wait is bounded. A Debugger or ChildProcess that is still running when its object goes
// away is killed; the processes are also in a job that kills them when the test program ends.
// All of it is header-only: the test programs include it from their own sources.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace e2e {

#define E2E_DEBUGGER_CAPTION "Valkorine Debuger"
#define E2E_PROMPT_CAPTION "VkDebuger"

constexpr UINT WM_GRID_SELCHANGE_MSG = WM_USER + 2000;
constexpr int GRID_CONTROL_ID = 4048;
constexpr int DETAIL_CONTROL_ID = 1001;
constexpr int CMD_FILE_NEW = 57600;
constexpr int CMD_FILE_OPEN = 57601;
constexpr int CMD_FILE_SAVE = 57603;
constexpr int CMD_APP_EXIT = 57665;
constexpr ULONG_PTR KIND_SESSION_START = 9999;
constexpr ULONG_PTR KIND_ENTER = 1;
constexpr ULONG_PTR KIND_LEAVE = 2;
constexpr ULONG_PTR KIND_TRACE = 0;

// Bounds of the waits. Generous: a Wine process start is slow on a busy machine, and none of
// them is a measurement.
constexpr DWORD START_TIMEOUT_MS = 60000;
constexpr DWORD PROMPT_TIMEOUT_MS = 20000;
constexpr DWORD SEND_TIMEOUT_MS = 120000;
constexpr DWORD EXIT_TIMEOUT_MS = 20000;
constexpr DWORD SYNC_TIMEOUT_MS = 30000;

// Polls cond every 10 ms until it holds or timeoutMs have passed; the last answer of cond.
template <class Cond> bool WaitUntil(Cond cond, DWORD timeoutMs) {
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (cond()) return true;
        if (GetTickCount64() >= end) return cond();
        Sleep(10);
    }
}

// A build-tree path as Windows sees it: under Wine the Z: drive is the Linux root.
inline std::string ToWindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline std::string BinDir() {
    return ToWindowsPath(VK_BIN_DIR);
}

// The source tree: the test data directory is <source>/tests/data.
inline std::string SourceDir() {
    std::string dir = ToWindowsPath(VK_TEST_DATA_DIR);
    for (int i = 0; i < 2; ++i) {
        const std::size_t slash = dir.find_last_of('\\');
        if (slash != std::string::npos) dir.erase(slash);
    }
    return dir;
}

inline bool FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline std::string ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline bool WriteFileBytes(const std::string& path, const std::string& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << data;
    return static_cast<bool>(out);
}

// 32 or 64 for a PE program, 0 when the file is missing or no PE program.
inline int PeBits(const std::string& path) {
    const std::string data = ReadFileBytes(path);
    if (data.size() < 0x40 || data[0] != 'M' || data[1] != 'Z') return 0;
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(data[i]));
    };
    const std::size_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    if (pe + 6 > data.size() || data.compare(pe, 4, std::string("PE\0\0", 4)) != 0) return 0;
    const unsigned machine = byte(pe + 4) | byte(pe + 5) << 8;
    if (machine == 0x014C) return 32;
    if (machine == 0x8664) return 64;
    return 0;
}

// The Characteristics flags of a program's file header (IMAGE_FILE_*); 0 for no program.
inline unsigned PeCharacteristics(const std::string& path) {
    const std::string data = ReadFileBytes(path);
    if (PeBits(path) == 0) return 0;
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(data[i]));
    };
    const std::size_t pe = byte(0x3C) | byte(0x3D) << 8 | byte(0x3E) << 16 | byte(0x3F) << 24;
    return pe + 24 <= data.size() ? (byte(pe + 22) | byte(pe + 23) << 8) : 0;
}

// A program of the project with the given bitness: this build's own, else one of the other
// builds of the source tree (build\<name>\bin). Empty when there is none.
inline std::string FindBuiltProgram(const std::string& name, int bits) {
    const std::string own = BinDir() + "\\" + name;
    if (PeBits(own) == bits) return own;
    const std::string builds = SourceDir() + "\\build\\";
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA((builds + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return std::string();
    std::string found;
    do {
        if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || fd.cFileName[0] == '.') continue;
        const std::string candidate = builds + fd.cFileName + "\\bin\\" + name;
        if (PeBits(candidate) == bits) {
            found = candidate;
            break;
        }
    } while (FindNextFileA(find, &fd));
    FindClose(find);
    return found;
}

// One argument quoted for a Windows command line (the rules CommandLineToArgv and the C
// runtime's parser share).
inline std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\n\v\"") == std::string::npos) return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"')
            out.append(2 * backslashes + 1, '\\');
        else
            out.append(backslashes, '\\');
        backslashes = 0;
        out += c;
    }
    out.append(2 * backslashes, '\\');
    out += '"';
    return out;
}

inline std::wstring Widen(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(n > 0 ? static_cast<std::size_t>(n) : 0, L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
    return wide;
}

inline std::string LastErrorText(DWORD code) {
    char text[512] = {};
    // In English: the test output is read in a UTF-8 terminal, not in code page 949.
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), text, sizeof text, nullptr))
        std::snprintf(text, sizeof text, "error %lu", static_cast<unsigned long>(code));
    std::string s = text;
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' '))
        s.pop_back();
    return s + " (" + std::to_string(code) + ")";
}

// The job that holds every process the tests start: closing its last handle, which happens
// when the test program ends however it ends, kills them all.
inline HANDLE TestJob() {
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectA(nullptr, nullptr);
        if (j) {
            JOBOBJECT_EXTENDED_LIMIT_INFORMATION info = {};
            info.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
            if (!SetInformationJobObject(j, JobObjectExtendedLimitInformation, &info, sizeof info)) {
                CloseHandle(j);
                j = nullptr;
            }
        }
        return j;
    }();
    return job;
}

// A temporary file, deleted with the object.
class TempFile {
public:
    TempFile() {
        char dir[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
        GetTempPathA(sizeof dir, dir);
        if (GetTempFileNameA(dir, "vke", 0, name)) m_path = name;
    }
    ~TempFile() {
        if (!m_path.empty()) DeleteFileA(m_path.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& Path() const { return m_path; }
    std::string Read() const { return ReadFileBytes(m_path); }

private:
    std::string m_path;
};

// A child process started from the test, in the test job, killed when the object goes away.
class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() {
        Kill();
        if (m_thread) CloseHandle(m_thread);
        if (m_process) CloseHandle(m_process);
    }

    // Starts exe with args. captureOutput: standard output and error go to temporary files
    // (read with Output and Errors), standard input is the given text. argumentCodePage: the
    // encoding of args (CP_UTF8 passes characters the ANSI code page lacks, as a Unicode
    // command line, the way a shell or a Unicode program starts a program).
    bool Start(const std::string& exe, const std::vector<std::string>& args, std::string* error,
               bool captureOutput = true, const std::string& input = std::string(),
               UINT argumentCodePage = CP_ACP) {
        std::string commandLine = QuoteArgument(exe);
        std::string argumentText;
        for (const std::string& a : args)
            argumentText += " " + QuoteArgument(a);
        commandLine += argumentText;
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        HANDLE in = nullptr, out = nullptr, err = nullptr;
        if (captureOutput) {
            m_out.reset(new TempFile);
            m_err.reset(new TempFile);
            m_in.reset(new TempFile);
            if (m_out->Path().empty() || m_err->Path().empty() || m_in->Path().empty() ||
                !WriteFileBytes(m_in->Path(), input)) {
                *error = "cannot create temporary files for the output of " + exe;
                return false;
            }
            SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
            const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
            in = CreateFileA(m_in->Path().c_str(), GENERIC_READ, share, &sa, OPEN_EXISTING, 0, nullptr);
            out = CreateFileA(m_out->Path().c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS, 0, nullptr);
            err = CreateFileA(m_err->Path().c_str(), GENERIC_WRITE, share, &sa, CREATE_ALWAYS, 0, nullptr);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdInput = in;
            si.hStdOutput = out;
            si.hStdError = err;
        }
        PROCESS_INFORMATION pi = {};
        std::vector<char> line(commandLine.begin(), commandLine.end());
        line.push_back('\0');
        const bool handlesOk = !captureOutput || (in != INVALID_HANDLE_VALUE && out != INVALID_HANDLE_VALUE &&
                                                  err != INVALID_HANDLE_VALUE);
        BOOL created = FALSE;
        if (handlesOk && argumentCodePage == CP_ACP) {
            created = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, captureOutput,
                                     CREATE_SUSPENDED, nullptr, nullptr, &si, &pi);
        } else if (handlesOk) {
            const std::wstring wideExe = Widen(exe, CP_ACP);
            std::wstring wideLine = Widen(QuoteArgument(exe), CP_ACP) + Widen(argumentText, argumentCodePage);
            wideLine.push_back(L'\0');
            STARTUPINFOW siw = {};
            siw.cb = sizeof siw;
            siw.dwFlags = si.dwFlags;
            siw.hStdInput = si.hStdInput;
            siw.hStdOutput = si.hStdOutput;
            siw.hStdError = si.hStdError;
            created = CreateProcessW(wideExe.c_str(), &wideLine[0], nullptr, nullptr, captureOutput,
                                     CREATE_SUSPENDED, nullptr, nullptr, &siw, &pi);
        }
        const DWORD code = GetLastError();
        for (HANDLE h : {in, out, err})
            if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        if (!created) {
            *error = "cannot start " + commandLine + ": " + LastErrorText(code);
            return false;
        }
        if (TestJob()) AssignProcessToJobObject(TestJob(), pi.hProcess);
        ResumeThread(pi.hThread);
        m_process = pi.hProcess;
        m_thread = pi.hThread;
        m_pid = pi.dwProcessId;
        m_commandLine = commandLine;
        return true;
    }

    // TRUE when the process has ended within timeoutMs.
    bool Wait(DWORD timeoutMs) const {
        return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
    }
    bool Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        if (m_process) GetExitCodeProcess(m_process, &code);
        return code;
    }

    void Kill() {
        if (Running()) {
            TerminateProcess(m_process, 9);
            WaitForSingleObject(m_process, EXIT_TIMEOUT_MS);
        }
    }

    std::string Output() const { return m_out ? m_out->Read() : std::string(); }
    std::string Errors() const { return m_err ? m_err->Read() : std::string(); }
    DWORD Pid() const { return m_pid; }
    HANDLE Handle() const { return m_process; }
    const std::string& CommandLine() const { return m_commandLine; }

private:
    HANDLE m_process = nullptr;
    HANDLE m_thread = nullptr;
    DWORD m_pid = 0;
    std::string m_commandLine;
    std::unique_ptr<TempFile> m_in, m_out, m_err;
};

// Runs a program to its end (killed after timeoutMs); FALSE with a message when it could not
// start or did not end.
struct RunResult {
    bool ended = false;
    DWORD exitCode = 0;
    std::string output;
    std::string errors;
    std::string problem;
};

inline RunResult RunProgram(const std::string& exe, const std::vector<std::string>& args,
                            DWORD timeoutMs = SEND_TIMEOUT_MS, const std::string& input = std::string(),
                            UINT argumentCodePage = CP_ACP) {
    RunResult r;
    ChildProcess p;
    if (!p.Start(exe, args, &r.problem, true, input, argumentCodePage)) return r;
    if (!p.Wait(timeoutMs)) {
        p.Kill();
        r.problem = p.CommandLine() + " did not end within " + std::to_string(timeoutMs) + " ms (killed)";
        r.output = p.Output();
        r.errors = p.Errors();
        return r;
    }
    r.ended = true;
    r.exitCode = p.ExitCode();
    r.output = p.Output();
    r.errors = p.Errors();
    return r;
}

// The text of a window of another process, through WM_GETTEXT (which the window answers itself,
// so an edit box gives its contents).
inline bool WindowText(HWND wnd, std::string* text, DWORD timeoutMs = SYNC_TIMEOUT_MS) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(wnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, timeoutMs, &length)) return false;
    // The length is in bytes of the ANSI text, or more: never less.
    std::vector<char> buffer(length + 2, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(wnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_NORMAL, timeoutMs, &copied))
        return false;
    if (copied > length + 1) copied = length + 1;
    text->assign(buffer.data(), copied);
    return true;
}

inline std::string ClassName(HWND wnd) {
    char name[256] = {};
    GetClassNameA(wnd, name, sizeof name);
    return name;
}

// What a person sees of a message box.
struct PromptInfo {
    HWND box = nullptr;
    std::string className;
    std::string caption;
    std::string text; // the message
    std::vector<int> buttonIds;
    std::vector<std::string> buttonTexts;
};

inline PromptInfo ReadPrompt(HWND box) {
    PromptInfo info;
    info.box = box;
    info.className = ClassName(box);
    WindowText(box, &info.caption);
    // The message is the static control with id 0xFFFF (Windows' and Wine's message boxes).
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text) WindowText(text, &info.text);
    struct Collect {
        static BOOL CALLBACK Child(HWND child, LPARAM param) {
            PromptInfo* p = reinterpret_cast<PromptInfo*>(param);
            if (GetParent(child) == p->box && ClassName(child) == "Button" && IsWindowVisible(child)) {
                std::string t;
                WindowText(child, &t);
                p->buttonIds.push_back(GetDlgCtrlID(child));
                p->buttonTexts.push_back(t);
            }
            return TRUE;
        }
    };
    EnumChildWindows(box, &Collect::Child, reinterpret_cast<LPARAM>(&info));
    return info;
}

// Presses a button of a message box as a click on it does: BN_CLICKED to the box.
inline bool PressPromptButton(HWND box, int id) {
    HWND button = GetDlgItem(box, id);
    if (!button) return false;
    return PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button)) != 0;
}

// The answer of one WM_COPYDATA.
struct Reply {
    bool answered = false; // FALSE: the send failed or timed out (error says why)
    LRESULT result = 0;
    DWORD error = 0;
};

inline Reply SendCopyData(HWND wnd, ULONG_PTR kind, const void* data, DWORD size,
                          DWORD timeoutMs = SEND_TIMEOUT_MS) {
    COPYDATASTRUCT cds;
    cds.dwData = kind;
    cds.cbData = size;
    cds.lpData = const_cast<void*>(data);
    Reply r;
    DWORD_PTR result = 0;
    SetLastError(0);
    r.answered = SendMessageTimeoutA(wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL,
                                     timeoutMs, &result) != 0;
    r.error = r.answered ? 0 : GetLastError();
    r.result = static_cast<LRESULT>(result);
    return r;
}

// The top-level windows of a process with a class and caption (empty: any).
inline std::vector<HWND> FindTopLevelWindows(DWORD pid, const std::string& className,
                                             const std::string& caption) {
    struct Search {
        DWORD pid;
        std::string className, caption;
        std::vector<HWND> found;
        static BOOL CALLBACK Each(HWND wnd, LPARAM param) {
            Search* s = reinterpret_cast<Search*>(param);
            DWORD owner = 0;
            GetWindowThreadProcessId(wnd, &owner);
            if (owner != s->pid || !IsWindowVisible(wnd)) return TRUE;
            if (!s->className.empty() && ClassName(wnd) != s->className) return TRUE;
            char text[256] = {};
            GetWindowTextA(wnd, text, sizeof text); // a top-level caption, read without a message
            if (!s->caption.empty() && s->caption != text) return TRUE;
            s->found.push_back(wnd);
            return TRUE;
        }
    } search{pid, className, caption, {}};
    EnumWindows(&Search::Each, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A WM_COPYDATA sent from a thread of its own, for records whose answer waits for a person
// (the session start): the test meanwhile finds and answers the prompt.
class AsyncSend {
public:
    AsyncSend(HWND wnd, ULONG_PTR kind, std::string payload, DWORD timeoutMs = SEND_TIMEOUT_MS)
        : m_wnd(wnd), m_payload(std::move(payload)) {
        m_thread = std::thread([this, wnd, kind, timeoutMs] {
            m_reply =
                SendCopyData(wnd, kind, m_payload.data(), static_cast<DWORD>(m_payload.size()), timeoutMs);
            m_done = true;
        });
    }
    AsyncSend(const AsyncSend&) = delete;
    AsyncSend& operator=(const AsyncSend&) = delete;
    // A send still waiting when the test ends (a failed test) waits for a prompt: it is answered
    // with Cancel so the join does not wait for the send's timeout.
    ~AsyncSend() {
        if (!m_done) {
            DWORD pid = 0;
            GetWindowThreadProcessId(m_wnd, &pid);
            WaitUntil(
                [&] {
                    for (HWND box : FindTopLevelWindows(pid, "#32770", E2E_PROMPT_CAPTION))
                        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                    return Done();
                },
                PROMPT_TIMEOUT_MS);
        }
        if (m_thread.joinable()) m_thread.join();
    }

    bool Done() const { return m_done; }
    // TRUE when the answer came within timeoutMs.
    bool Wait(DWORD timeoutMs) {
        if (!WaitUntil([this] { return Done(); }, timeoutMs)) return false;
        if (m_thread.joinable()) m_thread.join();
        return true;
    }
    Reply Result() const { return m_reply; }

private:
    HWND m_wnd;
    std::string m_payload;
    Reply m_reply;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

// The debugger program under test.
class Debugger {
public:
    Debugger() = default;
    Debugger(const Debugger&) = delete;
    Debugger& operator=(const Debugger&) = delete;
    ~Debugger() { Shutdown(); }

    static std::string ExePath() { return BinDir() + "\\VkDebuger.exe"; }

    // Starts VkDebuger.exe (this build's, or the one given) and waits for its main window.
    bool Launch(std::string* error, const std::string& exe = ExePath()) {
        if (!FileExists(exe)) {
            *error = exe + " is not built";
            return false;
        }
        HWND other = FindWindowA(nullptr, E2E_DEBUGGER_CAPTION);
        if (other) {
            DWORD pid = 0;
            GetWindowThreadProcessId(other, &pid);
            *error = "another window captioned \"" E2E_DEBUGGER_CAPTION "\" is open (process " +
                     std::to_string(pid) + "); records found by caption could go to it";
            return false;
        }
        if (!m_process.Start(exe, {}, error, false)) return false;
        const bool up = WaitUntil(
            [this] {
                const std::vector<HWND> w = FindTopLevelWindows(m_process.Pid(), "", E2E_DEBUGGER_CAPTION);
                if (!w.empty()) m_wnd = w[0];
                return m_wnd != nullptr || !m_process.Running();
            },
            START_TIMEOUT_MS);
        if (!m_wnd) {
            *error = !m_process.Running()
                         ? "VkDebuger.exe ended with exit code " + std::to_string(m_process.ExitCode()) +
                               " before its window appeared"
                     : up ? "no window"
                          : "VkDebuger.exe showed no window captioned \"" E2E_DEBUGGER_CAPTION "\" within " +
                                std::to_string(START_TIMEOUT_MS) + " ms";
            m_process.Kill();
            return false;
        }
        return true;
    }

    HWND Window() const { return m_wnd; }
    DWORD Pid() const { return m_process.Pid(); }
    bool Running() const { return m_process.Running(); }
    DWORD ExitCode() const { return m_process.ExitCode(); }
    HWND Item(int id) const { return GetDlgItem(m_wnd, id); }

    Reply Send(ULONG_PTR kind, const void* data, DWORD size, DWORD timeoutMs = SEND_TIMEOUT_MS) const {
        return SendCopyData(m_wnd, kind, data, size, timeoutMs);
    }
    Reply Send(ULONG_PTR kind, const std::string& payload, DWORD timeoutMs = SEND_TIMEOUT_MS) const {
        return Send(kind, payload.data(), static_cast<DWORD>(payload.size()), timeoutMs);
    }
    std::unique_ptr<AsyncSend> SendAsync(ULONG_PTR kind, const std::string& payload) const {
        return std::unique_ptr<AsyncSend>(new AsyncSend(m_wnd, kind, payload));
    }

    // The session prompts (message boxes captioned "VkDebuger") the debugger shows now.
    std::vector<HWND> Prompts() const { return FindTopLevelWindows(Pid(), "#32770", E2E_PROMPT_CAPTION); }

    HWND WaitForPrompt(DWORD timeoutMs = PROMPT_TIMEOUT_MS) const {
        HWND box = nullptr;
        WaitUntil(
            [&] {
                const std::vector<HWND> boxes = Prompts();
                box = boxes.empty() ? nullptr : boxes[0];
                // The message box is found as soon as it exists; its text is set as it starts.
                return box != nullptr && GetDlgItem(box, 0xFFFF) != nullptr;
            },
            timeoutMs);
        return box;
    }

    // Answers every prompt still open with Cancel (cleaning up after a failed test).
    void CancelPrompts() const {
        for (HWND box : Prompts())
            PressPromptButton(box, IDCANCEL);
    }

    // Waits until every message the test posted to the debugger before has been handled: posts
    // a marker (a text limit for the detail box, which nothing else sets) behind them and waits
    // for it to take effect.
    bool Sync() const {
        static unsigned serial = 0;
        const WPARAM marker = 0x7F000000u + (++serial & 0xFFFFu);
        HWND edit = Item(DETAIL_CONTROL_ID);
        if (!edit || !PostMessageA(edit, EM_SETLIMITTEXT, marker, 0)) return false;
        return WaitUntil(
            [&] {
                DWORD_PTR limit = 0;
                return SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, SYNC_TIMEOUT_MS,
                                           &limit) &&
                       limit == marker;
            },
            SYNC_TIMEOUT_MS);
    }

    // Posts the grid's click notification for a cell, as the grid does, and waits until the
    // dialog has handled it.
    bool PostGridNotification(int row, int col, int code, int controlId = GRID_CONTROL_ID) const {
        return PostMessageA(m_wnd, WM_GRID_SELCHANGE_MSG, MAKEWPARAM(controlId, code),
                            MAKELPARAM(row, col)) &&
               Sync();
    }
    bool ClickRow(int row, int col = 0) const { return PostGridNotification(row, col, 1); }

    bool DetailText(std::string* text) const { return WindowText(Item(DETAIL_CONTROL_ID), text); }
    std::string DetailText() const {
        std::string text;
        if (!DetailText(&text)) return "<the detail box did not answer>";
        return text;
    }
    // The detail box's length in bytes (WM_GETTEXTLENGTH), -1 when it did not answer.
    long long DetailLength() const {
        DWORD_PTR length = 0;
        if (!SendMessageTimeoutA(Item(DETAIL_CONTROL_ID), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                                 SYNC_TIMEOUT_MS, &length))
            return -1;
        return static_cast<long long>(length);
    }
    // Types a text into the detail box (it is not read-only), as a person can.
    bool SetDetailText(const std::string& text) const {
        DWORD_PTR ok = 0;
        return SendMessageTimeoutA(Item(DETAIL_CONTROL_ID), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, SYNC_TIMEOUT_MS,
                                   &ok) &&
               ok;
    }

    // The detail a click on a row shows: the box is set to a marker text first, so a row that
    // shows nothing gives the marker back.
    std::string ShowRow(int row, const std::string& marker = "<unchanged>") const {
        if (!SetDetailText(marker)) return "<the detail box did not take the marker>";
        if (!ClickRow(row)) return "<the click was not handled>";
        return DetailText();
    }

    // A menu command, as the menu sends it, handled before this returns.
    bool Command(int id) const { return PostMessageA(m_wnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) && Sync(); }
    bool PostCommand(int id) const { return PostMessageA(m_wnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) != 0; }

    bool WaitExit(DWORD timeoutMs = EXIT_TIMEOUT_MS) const { return m_process.Wait(timeoutMs); }

    // Ends the program: prompts cancelled, WM_CLOSE, and a kill when it does not end in time.
    void Shutdown() {
        if (!m_process.Running()) return;
        CancelPrompts();
        if (m_wnd) PostMessageA(m_wnd, WM_CLOSE, 0, 0);
        if (!m_process.Wait(EXIT_TIMEOUT_MS)) m_process.Kill();
    }
    void Kill() { m_process.Kill(); }

private:
    ChildProcess m_process;
    HWND m_wnd = nullptr;
};

// `vktool capture` (this build's vktool.exe) as a child process, and its hidden receiving window.
class Capture {
public:
    bool Start(std::vector<std::string> args, std::string* error) {
        args.insert(args.begin(), "capture");
        if (!m_process.Start(BinDir() + "\\vktool.exe", args, error)) return false;
        WaitUntil(
            [&] {
                DWORD pid = 0;
                m_wnd = FindWindowA("#32770", E2E_DEBUGGER_CAPTION);
                if (m_wnd) GetWindowThreadProcessId(m_wnd, &pid);
                if (pid != m_process.Pid()) m_wnd = nullptr;
                return m_wnd != nullptr || !m_process.Running();
            },
            START_TIMEOUT_MS);
        if (!m_wnd)
            *error = "no receiving window; exit code " + std::to_string(m_process.ExitCode()) + ": " +
                     m_process.Errors();
        return m_wnd != nullptr;
    }
    Reply Send(ULONG_PTR kind, const std::string& payload) const {
        return SendCopyData(m_wnd, kind, payload.data(), static_cast<DWORD>(payload.size()));
    }
    // Ends it as Ctrl+C does; TRUE when it ended.
    bool Stop() const { return PostMessageA(m_wnd, WM_CLOSE, 0, 0) && m_process.Wait(EXIT_TIMEOUT_MS); }
    ChildProcess& Process() { return m_process; }

private:
    ChildProcess m_process;
    HWND m_wnd = nullptr;
};

} // namespace e2e
