// What a user does on a long trace, in the real program: this process starts VkDebuger.exe, opens
// a trace of N rows through File > Open File, then performs each action through real messages
// and prints, one line per action, the time until the debugger's window answers again and the
// debugger's resident and private memory after it; on the 32-bit build also the largest block its
// address space could still be given.
//
//   scripts/wine-run build/win64/bin/actions_bench.exe [--rows N] [--trace FILE] [--timeout S]
//
// The trace is written by the benchmark (N rows, default 10,000,000, in the temporary folder)
// unless --trace names one. An action that has no answer within --timeout seconds (default 120)
// is reported as "no answer"; the program is then ended, started again and the trace opened
// again before the next action.
//
// How an action is sent: clicks and keys are posted to the grid as the system posts them, then a
// marker (a text limit for the detail box) is posted behind them, twice (the grid posts its own
// notifications while it handles a click); the time runs until the debugger has handled the
// second marker. Ctrl and Shift are held with SendInput, which the program's GetKeyState sees,
// before the key is posted. Menu commands are sent as the menu sends them; the file dialogs are
// answered by typing the path and pressing OK.
#include "TraceStorageQuery.h"
#include "bench_util.h"
#include "e2e_input.h"
#include "sample_trace.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

const int kHeadingHeight = 20, kRowHeight = 20;

struct Options {
    long rows = 10000000;
    std::string trace;
    DWORD timeoutMs = 120000;
};

class Session {
public:
    explicit Session(const Options& o) : opt(o) {}
    ~Session() { Stop(); }

    bool Start() {
        std::string error;
        // A new one each time: it remembers the window of the program it started.
        dbg.reset(new e2e::Debugger);
        if (!dbg->Launch(&error)) {
            std::fprintf(stderr, "%s\n", error.c_str());
            return false;
        }
        process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_VM_OPERATION, FALSE,
                                dbg->Pid());
        e2e::BringToFront(dbg->Window());
        return process != nullptr;
    }
    void Stop() {
        if (process) ::CloseHandle(process);
        process = nullptr;
        dbg->Kill();
        dbg->WaitExit();
        // Its window may outlive it for a moment; the next start refuses to run beside it.
        e2e::WaitUntil([] { return ::FindWindowA(nullptr, E2E_DEBUGGER_CAPTION) == nullptr; },
                       e2e::EXIT_TIMEOUT_MS);
    }
    HWND Grid() const { return dbg->Item(e2e::GRID_CONTROL_ID); }

    // Waits until the debugger has handled everything posted to it so far, twice over; false
    // when it does not within the time left before `deadline` (GetTickCount64).
    bool Settle(ULONGLONG deadline) {
        HWND edit = dbg->Item(e2e::DETAIL_CONTROL_ID);
        for (int pass = 0; pass < 2; pass++) {
            const WPARAM marker = 0x7E000000u + (++serial & 0xFFFFFu);
            if (!::PostMessageA(edit, EM_SETLIMITTEXT, marker, 0)) return false;
            for (;;) {
                const ULONGLONG now = ::GetTickCount64();
                if (now >= deadline) return false;
                DWORD_PTR limit = 0;
                if (::SendMessageTimeoutA(edit, EM_GETLIMITTEXT, 0, 0, SMTO_NORMAL, (UINT)(deadline - now),
                                          &limit) &&
                    limit == marker)
                    break;
                ::Sleep(1);
            }
        }
        return true;
    }
    bool Settle() { return Settle(::GetTickCount64() + opt.timeoutMs); }

    // Holds (or lets go of) modifier keys as the keyboard does, and waits until the program has
    // taken the change: the input goes behind whatever the program has posted, so it is given
    // time before the markers.
    bool Modifiers(const std::vector<WORD>& keys, bool down) {
        if (keys.empty()) return true;
        std::vector<INPUT> input;
        for (WORD vk : keys) {
            INPUT in = {};
            in.type = INPUT_KEYBOARD;
            in.ki.wVk = vk;
            in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
            input.push_back(in);
        }
        if (::SendInput((UINT)input.size(), input.data(), sizeof(INPUT)) != input.size()) return false;
        ::Sleep(200);
        return Settle();
    }

    // Posts a message to the grid, or a key press and release.
    void PostMouse(UINT message, WPARAM flags, int x, int y) {
        ::PostMessageA(Grid(), message, flags, MAKELPARAM(x, y));
    }
    void PostKey(WORD vk) {
        const UINT scan = ::MapVirtualKeyA(vk, 0);
        const bool extended = vk == VK_HOME || vk == VK_END || vk == VK_NEXT || vk == VK_PRIOR ||
                              vk == VK_DOWN || vk == VK_UP || vk == VK_INSERT || vk == VK_DELETE;
        const LPARAM flags = 1 | (LPARAM)(scan << 16) | (extended ? (1 << 24) : 0);
        ::PostMessageA(Grid(), WM_KEYDOWN, vk, flags);
        ::PostMessageA(Grid(), WM_KEYUP, vk, flags | (LPARAM)(3u << 30));
    }

    // y in the n-th row shown below the heading (0 the first).
    static int RowY(int n) { return kHeadingHeight + n * kRowHeight + kRowHeight / 2; }
    // The divider right of column 0: the dialog's columns keep 150 : 35 : 500 of its set-up,
    // scaled to the grid's width (the grid takes a point within 3 pixels of it).
    int FirstDividerX() const {
        RECT rc = {};
        ::GetClientRect(Grid(), &rc);
        const long scale = rc.right > 685 ? rc.right : 685;
        return (int)(150 * scale / 685);
    }

    // The common file dialog the debugger shows, found by its file name box.
    HWND FileDialog() const {
        for (HWND w : e2e::FindTopLevelWindows(dbg->Pid(), "#32770", ""))
            if (::GetDlgItem(w, 0x480) || ::GetDlgItem(w, 0x47C)) return w;
        return nullptr;
    }

    // File > Open File or File > Save File with `path` typed and OK pressed; the seconds from OK
    // until the debugger answers again, or -1 when the dialog did not come or the debugger did not
    // answer within the timeout.
    double FileCommand(int command, const std::string& path) {
        HWND dlg = nullptr;
        if (!dbg->PostCommand(command) ||
            !e2e::WaitUntil([&] { return (dlg = FileDialog()) != nullptr; }, e2e::PROMPT_TIMEOUT_MS))
            return -1;
        HWND box = ::GetDlgItem(dlg, 0x480);
        if (!box) box = ::GetDlgItem(dlg, 0x47C);
        DWORD_PTR ok = 0;
        if (!::SendMessageTimeoutA(box, WM_SETTEXT, 0, (LPARAM)path.c_str(), SMTO_NORMAL,
                                   e2e::SYNC_TIMEOUT_MS, &ok))
            return -1;
        const double t0 = bench::Now();
        // A load or a save is given ten minutes at least, whatever the timeout of the actions.
        const ULONGLONG deadline = ::GetTickCount64() + std::max<DWORD>(opt.timeoutMs, 600000);
        ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(dlg, IDOK));
        // The dialog goes before the file is read or written; from then on the debugger answers
        // only once the command is over.
        if (!e2e::WaitUntil([&] { return !::IsWindow(dlg); }, e2e::PROMPT_TIMEOUT_MS)) return -1;
        if (!Settle(deadline)) return -1;
        return bench::Now() - t0;
    }

    // The rows of the trace shown, asked of the debugger (its storage query); -1 without answer.
    long Rows() {
        static const UINT message = ::RegisterWindowMessageA(TRACE_STORAGE_QUERY_MESSAGE);
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutA(dbg->Window(), message, TRACE_STORAGE_ROWS, 0, SMTO_NORMAL,
                                   e2e::SYNC_TIMEOUT_MS, &answer))
            return -1;
        return (long)answer;
    }

    void PrintLine(const char* action, double seconds, const char* note = "") {
        if (seconds < 0)
            std::printf("%-44s %12s", action, "no answer");
        else
            std::printf("%-44s %10.3f s", action, seconds);
        if (process != nullptr && dbg->Running())
            std::printf("  %8.1f MB resident  %8.1f MB private", bench::WorkingSet(process) / 1048576.0,
                        bench::PrivateBytes(process) / 1048576.0);
        if (process != nullptr && dbg->Running() && sizeof(void*) == 4)
            std::printf("  %7.1f MB largest block", bench::LargestReservableBlock(process) / 1048576.0);
        std::printf("%s%s\n", *note ? "  " : "", note);
        std::fflush(stdout);
    }

    const Options& opt;
    std::unique_ptr<e2e::Debugger> dbg{new e2e::Debugger};
    HANDLE process = nullptr;
    unsigned serial = 0;
};

// One action: what prepares it (untimed), what is timed, the modifiers held while it is sent.
struct Action {
    const char* name;
    std::vector<WORD> modifiers;
    bool (*prepare)(Session&); // false when the program did not answer
    void (*send)(Session&);
};

void ClickRow(Session& s, int shown) {
    s.PostMouse(WM_MOUSEMOVE, 0, 60, Session::RowY(shown));
    s.PostMouse(WM_LBUTTONDOWN, MK_LBUTTON, 60, Session::RowY(shown));
    s.PostMouse(WM_LBUTTONUP, 0, 60, Session::RowY(shown));
}
bool Nothing(Session&) {
    return true;
}
bool ClickFirstRow(Session& s) {
    ClickRow(s, 0);
    return s.Settle();
}
bool ClickSecondRowAndThumbToBottom(Session& s) {
    ClickRow(s, 1);
    if (!s.Settle()) return false;
    ::PostMessageA(s.Grid(), WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
    ::PostMessageA(s.Grid(), WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
    return s.Settle();
}
// A key with Ctrl held, after a click on the first row.
bool ClickThenCtrlKey(Session& s, WORD vk) {
    if (!ClickFirstRow(s) || !s.Modifiers({VK_CONTROL}, true)) return false;
    s.PostKey(vk);
    const bool answered = s.Settle();
    return s.Modifiers({VK_CONTROL}, false) && answered;
}
bool SelectAll(Session& s) {
    return ClickThenCtrlKey(s, 'A');
}
bool ToBottom(Session& s) {
    return ClickThenCtrlKey(s, VK_END);
}
void DoubleClickFirstDivider(Session& s) {
    const int x = s.FirstDividerX() + 1, y = kHeadingHeight / 2;
    s.PostMouse(WM_MOUSEMOVE, 0, x, y);
    s.PostMouse(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
    s.PostMouse(WM_LBUTTONUP, 0, x, y);
    s.PostMouse(WM_MOUSEMOVE, 0, x, y);
    s.PostMouse(WM_LBUTTONDBLCLK, MK_LBUTTON, x, y);
    s.PostMouse(WM_LBUTTONUP, 0, x, y);
}

const Action kActions[] = {
    {"a click (row 1)", {}, Nothing, [](Session& s) { ClickRow(s, 0); }},
    {"Page Down", {}, ClickFirstRow, [](Session& s) { s.PostKey(VK_NEXT); }},
    {"Ctrl+End", {VK_CONTROL}, ClickFirstRow, [](Session& s) { s.PostKey(VK_END); }},
    {"Ctrl+Home", {VK_CONTROL}, ToBottom, [](Session& s) { s.PostKey(VK_HOME); }},
    {"Down (row 2 clicked, thumb at the bottom)",
     {},
     ClickSecondRowAndThumbToBottom,
     [](Session& s) { s.PostKey(VK_DOWN); }},
    {"Ctrl+A", {VK_CONTROL}, ClickFirstRow, [](Session& s) { s.PostKey('A'); }},
    {"Shift+Ctrl+Home (from the last row)",
     {VK_SHIFT, VK_CONTROL},
     ToBottom,
     [](Session& s) { s.PostKey(VK_HOME); }},
    {"double-click on the first heading divider", {}, Nothing, DoubleClickFirstDivider},
    {"Ctrl+C (every row selected)", {VK_CONTROL}, SelectAll, [](Session& s) { s.PostKey('C'); }},
};

std::string TempPath(const char* name) {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    return std::string(dir) + name;
}

// Starts the program and opens the trace in it; the seconds of the open, or -1.
double StartAndOpen(Session& s, const std::string& trace, long* rows) {
    if (!s.Start()) return -1;
    const double open = s.FileCommand(e2e::CMD_FILE_OPEN, trace);
    s.PrintLine("(started again) Open File", open);
    *rows = open < 0 ? -1 : s.Rows();
    return open;
}

} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(argc, argv,
                         "usage: actions_bench.exe [--rows N] [--trace FILE] [--timeout S]\n"
                         "Starts the debugger, opens a trace of N rows (default 10,000,000; written to\n"
                         "the temporary folder unless --trace names one) through File > Open File, and\n"
                         "performs a user's actions through real messages: a click, Page Down, Ctrl+End,\n"
                         "Ctrl+Home, Down far from the view, Ctrl+A, Shift+Ctrl+Home, a double-click on a\n"
                         "heading divider, Ctrl+C of every row, Save File, New File. One line per action:\n"
                         "the time until the window answers again, the resident and private memory. An\n"
                         "action without an answer within --timeout seconds (default 120) is reported as\n"
                         "such and the program started again. 10,000,000 rows take some minutes.\n"))
        return 0;
    Options opt;
    for (int i = 1; i + 1 < argc; i++) {
        const std::string a = argv[i];
        if (a == "--rows")
            opt.rows = std::atol(argv[++i]);
        else if (a == "--trace")
            opt.trace = argv[++i];
        else if (a == "--timeout")
            opt.timeoutMs = (DWORD)(std::atof(argv[++i]) * 1000);
    }
    std::string trace = opt.trace;
    const bool written = trace.empty();
    if (written) {
        trace = TempPath("actions_bench.vkp");
        bench::Progress("writing a trace of %ld rows", opt.rows);
        if (bench::WriteSampleTrace(trace, opt.rows) < 0) {
            std::fprintf(stderr, "cannot write %s\n", trace.c_str());
            return 1;
        }
    }
    const std::string saved = TempPath("actions_bench_saved.vkp");
    std::printf("actions in the real debugger (%d-bit), %s; the time until the window answers again\n",
                (int)sizeof(void*) * 8, trace.c_str());
    std::fflush(stdout);

    int status = 0;
    {
        Session s(opt);
        long rows = 0;
        bench::Progress("starting the debugger and opening the trace");
        if (!s.Start()) return 1;
        s.PrintLine("(the debugger started, empty)", 0);
        const double open = s.FileCommand(e2e::CMD_FILE_OPEN, trace);
        rows = open < 0 ? -1 : s.Rows();
        char note[64];
        std::snprintf(note, sizeof note, "%ld rows", rows);
        s.PrintLine("Open File (from OK)", open, note);
        if (open < 0) return 1;
        bool fresh = false;
        for (const Action& a : kActions) {
            if (fresh) {
                bench::Progress("starting the debugger again and opening the trace");
                s.Stop();
                if (StartAndOpen(s, trace, &rows) < 0) {
                    std::fprintf(stderr, "the trace could not be opened again\n");
                    return 1;
                }
                fresh = false;
            }
            bench::Progress("%s", a.name);
            if (!a.prepare(s)) {
                s.PrintLine(a.name, -1, "(not measured: what prepares it had no answer)");
                fresh = true;
                continue;
            }
            if (!s.Modifiers(a.modifiers, true)) status = 1;
            const DWORD clipboard = ::GetClipboardSequenceNumber();
            const double t0 = bench::Now();
            a.send(s);
            const bool answered = s.Settle(::GetTickCount64() + opt.timeoutMs);
            const double took = bench::Now() - t0;
            // A message box (a copy that failed says so) answers for the program: it is read,
            // reported and closed.
            std::string note;
            // A copy that answers at once but leaves the clipboard as it was did not copy (the
            // keys did not reach the program as a chord): the figure is void.
            if (answered && std::string(a.name).compare(0, 6, "Ctrl+C") == 0 &&
                ::GetClipboardSequenceNumber() == clipboard)
                note += "(the clipboard did not change: not a copy)";
            for (HWND box : s.dbg->Prompts()) {
                note += "(message box: " + e2e::ReadPrompt(box).text + ")";
                e2e::PressPromptButton(box, IDOK);
            }
            s.PrintLine(a.name, answered ? took : -1, note.c_str());
            if (!answered) {
                fresh = true;
                continue;
            }
            s.Modifiers(a.modifiers, false);
        }
        if (fresh) {
            s.Stop();
            if (StartAndOpen(s, trace, &rows) < 0) return 1;
        }
        ::DeleteFileA(saved.c_str());
        bench::Progress("Save File");
        s.PrintLine("Save File (from OK)", s.FileCommand(e2e::CMD_FILE_SAVE, saved));
        ::DeleteFileA(saved.c_str());
        bench::Progress("New File");
        const double t0 = bench::Now();
        DWORD_PTR ignored = 0;
        const bool answered =
            ::SendMessageTimeoutA(s.dbg->Window(), WM_COMMAND, MAKEWPARAM(e2e::CMD_FILE_NEW, 0), 0,
                                  SMTO_NORMAL, opt.timeoutMs, &ignored) != 0 &&
            s.Settle();
        s.PrintLine("New File", answered ? bench::Now() - t0 : -1);
        bench::Progress("Open File over an empty trace, then over the loaded one");
        s.PrintLine("Open File again (empty trace)", s.FileCommand(e2e::CMD_FILE_OPEN, trace));
        s.PrintLine("Open File over the loaded trace", s.FileCommand(e2e::CMD_FILE_OPEN, trace));
        s.dbg->Shutdown();
    }
    if (written) ::DeleteFileA(trace.c_str());
    return status;
}
