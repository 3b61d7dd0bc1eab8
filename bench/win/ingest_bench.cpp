// End-to-end ingestion: this process plays the engine and streams trace records by WM_COPYDATA
// into the real debugger (its dialog visible, following the newest row), and, as baselines, into
// a bare window that only answers WM_COPYDATA and into a report-mode list view filled one item
// per record. It reports records per second around each trace size, the ratios to the bare
// window, and the debugger's memory per row. `vktool capture` is measured beside them: its rates,
// their ratios to the bare window, and its memory after the first size and at the end (it should
// not grow, whatever the number of records). The debugger is also compared with a second bare
// window timed right after each quarter of its records (once the debugger is idle again): that
// ratio holds on a machine whose speed changes from minute to minute. --maximized maximises the
// debugger's window first.
//
//   scripts/wine-run build/win64/bin/ingest_bench.exe [--sizes 1000,100000,1000000] [--window N]
//                                                     [--listview-max N] [--scrolled-away 1]
//                                                     [--capture-only] [--breakdown] [--preload N]
//                                                     [--selection N] [--find-during N] [--maximized]
//
// --breakdown: where the debugger's bytes per row go, by what holds them (asked of the debugger
// by its storage query message), and the time of 1000 such questions against 1000 for the row
// count, which takes no walk over the rows. --preload N: before the timed stream, a trace file of N rows is
// written and opened in the debugger (File > Open File, through its dialog), after a first timed
// window of records into the empty trace; the load's time and the debugger's memory after it
// are reported, and the rates of the stream that follows against that of the empty trace.
// With --scrolled-away 1 the user has scrolled the debugger's view to its first row before the
// stream (after 100 untimed records): the records are stored and counted without being followed.
// --capture-only: the bare window and the capture only (for long runs, e.g. 10,000,000 records);
// with --preload N the capture continues a trace file of N rows instead.
// --selection N: the debugger alone. After N untimed records, a window of records is timed with
// nothing selected, then every row is selected (Select All: N rows) and another window is timed
// with that selection held; a record's cost must not grow with the selection.
// --find-during N: the debugger alone, with a trace of N rows opened. A window of records is sent
// with nothing else going on, then another while the user searches the trace again and again for
// a text it does not hold: each record's wait for its answer, the mean, the worst and how many
// waited longer than a frame.
#include "afx.h"
#include "TraceStorageQuery.h"
#include "bench_util.h"
#include "e2e_harness.h"
#include "sample_trace.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// The record of step i of a steady script: enter, two trace lines, leave.
void MakeRecord(long i, ULONG_PTR* kind, std::string* payload) {
    char buf[160];
    switch (i % 4) {
    case 0:
        *kind = 1;
        std::snprintf(buf, sizeof buf, "Func%ld|args=%ld", i % 97, i);
        break;
    case 1:
    case 2:
        *kind = 0;
        std::snprintf(buf, sizeof buf,
                      "trace|step %ld: value = %ld, state = running, buffer = 0123456789abcdef", i, i * 7);
        break;
    default:
        *kind = 2;
        std::snprintf(buf, sizeof buf, "Func%ld|return %ld", (i - 3) % 97, i);
        break;
    }
    *payload = buf;
}

struct Sample {
    long size;
    double rate;  // over the whole window
    double best;  // over the fastest quarter of the window: the least disturbed by the machine
    SIZE_T bytes; // the receiver's private bytes at this size (when it was measured)
};

// Streams records up to the largest size, timing the `window` records that end at each size, in
// four consecutive quarters. A record the receiver did not answer makes the figures void: the
// benchmark says so and fails. With `pace` (a bare window), each timed quarter is also sent to it
// right after, timed the same way into `paceOut`: the two rates are then taken minutes apart at
// most, whatever else the machine does during a long run, and the bare window needs no filling.
std::vector<Sample> Stream(HWND h, const std::vector<long>& sizes, long window, HANDLE process = nullptr,
                           HWND pace = nullptr, std::vector<Sample>* paceOut = nullptr) {
    const int quarters = 4;
    std::vector<Sample> out;
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    long sent = 0, unanswered = 0;
    std::string payload;
    ULONG_PTR kind;
    auto send = [&](HWND to, long from, long end) {
        for (long i = from; i < end; i++) {
            MakeRecord(i, &kind, &payload);
            if (!e2e::SendCopyData(to, kind, payload.data(), (DWORD)payload.size()).answered) unanswered++;
        }
    };
    auto sendUpTo = [&](long end) {
        if (end <= sent) return;
        send(h, sent, end);
        sent = end;
    };
    // Seconds to send records [from, end) to `to`.
    auto timed = [&](HWND to, long from, long end) {
        ::QueryPerformanceCounter(&t0);
        send(to, from, end);
        ::QueryPerformanceCounter(&t1);
        return double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
    };
    for (long size : sizes) {
        bench::Progress("streaming up to %ld records", size);
        long from = size - window > sent ? size - window : sent;
        sendUpTo(from);
        double total = 0, best = 0, paceTotal = 0, paceBest = 0;
        for (int q = 0; q < quarters; q++) {
            long begin = sent, end = from + (size - from) * (q + 1) / quarters;
            long count = end - begin;
            double secs = timed(h, begin, end);
            sent = end;
            total += secs;
            if (count > 0 && secs > 0 && count / secs > best) best = count / secs;
            if (pace == nullptr) continue;
            // What the receiver left for later (the debugger's view, shown a frame after the
            // records) is done before the bare window is timed, not in its time.
            ::Sleep(50);
            DWORD_PTR idle = 0;
            ::SendMessageTimeoutA(h, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &idle);
            secs = timed(pace, begin, end);
            paceTotal += secs;
            if (count > 0 && secs > 0 && count / secs > paceBest) paceBest = count / secs;
        }
        out.push_back({size, total > 0 ? double(size - from) / total : 0, best,
                       process ? bench::PrivateBytes(process) : 0});
        if (paceOut)
            paceOut->push_back({size, paceTotal > 0 ? double(size - from) / paceTotal : 0, paceBest, 0});
        // Each size's figures as soon as they are taken: a long run stopped early keeps them.
        bench::Progress("%ld records: %.0f records/s (best quarter %.0f), bare window %.0f (%.0f), %.1f MB",
                        size, out.back().rate, out.back().best, paceOut ? paceOut->back().rate : 0.0,
                        paceOut ? paceOut->back().best : 0.0, out.back().bytes / 1048576.0);
    }
    if (unanswered > 0) {
        std::fprintf(stderr, "%ld of %ld records were not answered: the figures are void\n", unanswered,
                     sent);
        std::exit(1);
    }
    return out;
}

// Starts a baseline receiver (bare_receiver with `args`) and returns its window, or NULL.
HWND StartReceiver(e2e::ChildProcess& child, const std::vector<std::string>& args, const char* caption) {
    std::string error;
    if (!child.Start(e2e::BinDir() + "\\bare_receiver.exe", args, &error, false)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return nullptr;
    }
    HWND h = nullptr;
    e2e::WaitUntil(
        [&] {
            std::vector<HWND> w = e2e::FindTopLevelWindows(child.Pid(), "", caption);
            h = w.empty() ? nullptr : w[0];
            return h != nullptr;
        },
        e2e::START_TIMEOUT_MS);
    if (h == nullptr) {
        std::fprintf(stderr, "the window \"%s\" did not appear\n", caption);
        return nullptr;
    }
    // The receiver's first records also pay for its start (pages touched, caches filled): a few
    // untimed ones first. The bare window keeps nothing, so they change nothing else.
    if (args.empty())
        for (long i = 0; i < 500; i++) {
            ULONG_PTR kind;
            std::string payload;
            MakeRecord(i, &kind, &payload);
            e2e::SendCopyData(h, kind, payload.data(), (DWORD)payload.size());
        }
    return h;
}

// Starts a baseline receiver and streams the sizes into it.
bool StreamToReceiver(const std::vector<std::string>& args, const char* caption,
                      const std::vector<long>& sizes, long window, std::vector<Sample>* out) {
    e2e::ChildProcess child;
    HWND h = StartReceiver(child, args, caption);
    if (h == nullptr) return false;
    *out = Stream(h, sizes, window);
    ::PostMessageA(h, WM_CLOSE, 0, 0);
    return true;
}

// Starts `vktool capture` into a temporary file and streams the sizes into it (and, with `pace`,
// each timed quarter into that bare window too).
// With `preload`, the capture continues (--append) a trace file of that many rows: the file is the
// only thing of a capture that grows with its records, so its rates then are those of a capture
// that has already written as many.
bool StreamToCapture(const std::vector<long>& sizes, long window, std::vector<Sample>* out,
                     HWND pace = nullptr, std::vector<Sample>* paceOut = nullptr, long preload = 0) {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    const std::string path = std::string(dir) + "ingest_bench_capture.vkp";
    if (preload > 0) {
        bench::Progress("writing a trace file of %ld rows for the capture to continue", preload);
        if (bench::WriteSampleTrace(path, preload) < 0) return false;
    }
    std::string error;
    e2e::ChildProcess child;
    if (!child.Start(e2e::BinDir() + "\\vktool.exe",
                     {"capture", path, preload > 0 ? "--append" : "--overwrite", "--quiet"}, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    HWND h = nullptr;
    e2e::WaitUntil(
        [&] {
            h = ::FindWindowA("#32770", "Valkorine Debuger");
            DWORD pid = 0;
            if (h) ::GetWindowThreadProcessId(h, &pid);
            return (h != nullptr && pid == child.Pid()) || !child.Running();
        },
        e2e::START_TIMEOUT_MS);
    if (h == nullptr || !child.Running()) {
        std::fprintf(stderr, "vktool capture did not start: %s\n", child.Errors().c_str());
        return false;
    }
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, child.Pid());
    *out = Stream(h, sizes, window, process, pace, paceOut);
    ::CloseHandle(process);
    ::PostMessageA(h, WM_CLOSE, 0, 0);
    child.Wait(e2e::EXIT_TIMEOUT_MS);
    ::DeleteFileA(path.c_str());
    return true;
}

// One figure of the debugger's storage (TraceStorageQuery.h); -1 when it does not answer.
double AskStorage(HWND dialog, TraceStorageFigure figure, DWORD timeoutMs = e2e::SYNC_TIMEOUT_MS) {
    static const UINT message = ::RegisterWindowMessageA(TRACE_STORAGE_QUERY_MESSAGE);
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(dialog, message, (WPARAM)figure, 0, SMTO_NORMAL, timeoutMs, &answer))
        return -1;
    return (double)answer;
}

// Where the debugger's bytes per row go; `measured` is its private bytes per row.
void PrintBreakdown(HWND dialog, double measured) {
    const double rows = AskStorage(dialog, TRACE_STORAGE_ROWS);
    if (rows <= 0) {
        std::printf("    memory per row: the debugger did not answer\n");
        return;
    }
    const char* const names[] = {"row blocks", "cell lists", "cell objects",
                                 "row arrays", "styles",     "details"};
    const TraceStorageFigure figures[] = {TRACE_STORAGE_ROW_BLOCKS,   TRACE_STORAGE_CELL_LISTS,
                                          TRACE_STORAGE_CELL_OBJECTS, TRACE_STORAGE_ROW_ARRAYS,
                                          TRACE_STORAGE_STYLES,       TRACE_STORAGE_DETAILS};
    double counted = 0;
    std::printf("    memory per row of %.0f rows:", rows);
    for (int i = 0; i < 6; i++) {
        const double bytes = AskStorage(dialog, figures[i]) / rows;
        counted += bytes;
        std::printf(" %s %.1f,", names[i], bytes);
    }
    std::printf(" counted %.1f; heap bookkeeping and slack %.1f\n", counted, measured - counted);
    // A flood of questions, as any process may send: the grid's figures against the row count,
    // which is answered without looking at the rows.
    double ms[2];
    const TraceStorageFigure flood[2] = {TRACE_STORAGE_ROWS, TRACE_STORAGE_ROW_BLOCKS};
    for (int f = 0; f < 2; f++) {
        const ULONGLONG start = ::GetTickCount64();
        for (int i = 0; i < 1000; i++)
            AskStorage(dialog, flood[f]);
        ms[f] = double(::GetTickCount64() - start);
    }
    std::printf(
        "    1000 storage questions: %.0f ms for the row count, %.0f ms for the row blocks (ratio %.2f)\n",
        ms[0], ms[1], ms[1] / (ms[0] > 0 ? ms[0] : 1));
}

// The common file dialog the debugger shows, found by its file name box.
HWND FindFileDialog(DWORD pid) {
    for (HWND w : e2e::FindTopLevelWindows(pid, "#32770", ""))
        if (::GetDlgItem(w, 0x480) || ::GetDlgItem(w, 0x47C)) return w;
    return nullptr;
}

// Opens a trace file in the debugger as a person does (File > Open File, the path typed, OK) and
// waits until its rows are in; the seconds from OK to then, or -1.
double OpenTraceFile(e2e::Debugger& dbg, const std::string& path, long rows) {
    HWND dlg = nullptr;
    if (!dbg.PostCommand(e2e::CMD_FILE_OPEN) ||
        !e2e::WaitUntil([&] { return (dlg = FindFileDialog(dbg.Pid())) != nullptr; }, e2e::PROMPT_TIMEOUT_MS))
        return -1;
    HWND box = ::GetDlgItem(dlg, 0x480);
    if (!box) box = ::GetDlgItem(dlg, 0x47C);
    DWORD_PTR ok = 0;
    if (!::SendMessageTimeoutA(box, WM_SETTEXT, 0, (LPARAM)path.c_str(), SMTO_NORMAL, e2e::SYNC_TIMEOUT_MS,
                               &ok))
        return -1;
    const double t0 = bench::Now();
    ::PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(dlg, IDOK));
    // The dialog answers the query once the load is over.
    if (!e2e::WaitUntil([&] { return AskStorage(dbg.Window(), TRACE_STORAGE_ROWS, 600000) == (double)rows; },
                        600000))
        return -1;
    return bench::Now() - t0;
}

// Starts the debugger and a session in it; false (with a message) when it fails.
// Whether the debugger is maximised before the stream (--maximized): a larger grid to paint.
bool g_maximized = false;

bool StartDebugger(e2e::Debugger& dbg) {
    std::string error;
    if (!dbg.Launch(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return false;
    }
    if (g_maximized) {
        ::PostMessageA(dbg.Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
        dbg.Sync();
    }
    RECT grid = {};
    ::GetClientRect(dbg.Item(e2e::GRID_CONTROL_ID), &grid);
    std::printf("the debugger's grid: %ld x %ld pixels\n", (long)grid.right, (long)grid.bottom);
    std::unique_ptr<e2e::AsyncSend> start = dbg.SendAsync(9999, "bench");
    HWND box = dbg.WaitForPrompt();
    if (box == nullptr || !e2e::PressPromptButton(box, IDOK) || !start->Wait(e2e::PROMPT_TIMEOUT_MS) ||
        start->Result().result != TRUE) {
        std::fprintf(stderr, "the session was not started\n");
        return false;
    }
    return true;
}

// How long each record waits for its answer while the user searches a loaded trace of `rows`
// rows, again and again, for a text it does not hold (Enter in the Find dialog, then OK on the
// "not found" message), against `records` records sent before with no search running.
int MeasureFindDuringStream(long rows, long records) {
    e2e::Debugger dbg;
    if (!StartDebugger(dbg)) return 1;
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    const std::string path = std::string(dir) + "ingest_bench_find.vkp";
    bench::Progress("writing and opening a trace file of %ld rows", rows);
    const double loadS = bench::WriteSampleTrace(path, rows) < 0 ? -1 : OpenTraceFile(dbg, path, rows);
    ::DeleteFileA(path.c_str());
    if (loadS < 0) {
        std::fprintf(stderr, "the trace file of %ld rows was not loaded\n", rows);
        return 1;
    }
    // F3 with no text yet opens the Find dialog.
    ::PostMessageA(dbg.Item(e2e::GRID_CONTROL_ID), WM_KEYDOWN, VK_F3, 1);
    HWND edit = nullptr;
    e2e::WaitUntil(
        [&] {
            for (HWND w : e2e::FindTopLevelWindows(dbg.Pid(), "#32770", ""))
                if (::GetWindow(w, GW_OWNER) == dbg.Window() && (edit = ::GetDlgItem(w, 1152)) != nullptr)
                    return true;
            return false;
        },
        e2e::SYNC_TIMEOUT_MS);
    if (edit == nullptr) {
        std::fprintf(stderr, "the Find dialog did not open\n");
        return 1;
    }
    ::SendMessageA(edit, WM_SETTEXT, 0, (LPARAM) "no such text in the trace");

    struct Waits {
        double worst = 0, total = 0;
        long over = 0, count = 0, unanswered = 0;
    };
    long next = 0;
    const auto stream = [&](long n) {
        Waits w;
        std::string payload;
        ULONG_PTR kind;
        for (long i = 0; i < n; i++, next++) {
            MakeRecord(next, &kind, &payload);
            const double t0 = bench::Now();
            if (!e2e::SendCopyData(dbg.Window(), kind, payload.data(), (DWORD)payload.size()).answered)
                w.unanswered++;
            const double ms = (bench::Now() - t0) * 1000.0;
            w.worst = std::max(w.worst, ms);
            w.total += ms;
            w.over += ms > 16.7 ? 1 : 0;
            w.count++;
        }
        return w;
    };
    stream(100); // the first records after a load also bring the newest row into view: untimed
    const Waits quiet = stream(records);
    std::atomic<bool> stop{false};
    std::atomic<long> searches{0};
    std::thread user([&] {
        while (!stop) {
            ::PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
            HWND box = dbg.WaitForPrompt(60000);
            if (box == nullptr) break;
            e2e::PressPromptButton(box, IDOK);
            e2e::WaitUntil([&] { return dbg.Prompts().empty(); }, e2e::SYNC_TIMEOUT_MS);
            searches++;
        }
    });
    const Waits busy = stream(records);
    stop = true;
    user.join();
    dbg.Shutdown();
    const auto line = [](const char* what, const Waits& w) {
        std::printf("  %-28s mean %6.2f ms, worst %7.1f ms, %ld of %ld over a frame (16.7 ms)%s\n", what,
                    w.count ? w.total / w.count : 0.0, w.worst, w.over, w.count,
                    w.unanswered ? " (some unanswered: void)" : "");
    };
    std::printf("records' waits for an answer, %ld rows loaded (in %.1f s), %d-bit build\n", rows, loadS,
                (int)sizeof(void*) * 8);
    line("no search running", quiet);
    char what[64];
    std::snprintf(what, sizeof what, "during %ld searches", searches.load());
    line(what, busy);
    return quiet.unanswered || busy.unanswered ? 1 : 0;
}

// The rate with `rows` rows and nothing selected, against the rate with all of them selected.
int MeasureHeldSelection(long rows, long window) {
    const WORD kSelectAll = 0xE12A; // the grid's edit command Select All (ID_EDIT_SELECT_ALL)
    e2e::Debugger dbg;
    if (!StartDebugger(dbg)) return 1;
    bench::Progress("streaming %ld records", rows);
    std::vector<Sample> none = Stream(dbg.Window(), {rows, rows + window}, window);
    bench::Progress("selecting every row");
    const double t0 = bench::Now();
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(dbg.Item(e2e::GRID_CONTROL_ID), WM_COMMAND, MAKEWPARAM(kSelectAll, 0), 0,
                               SMTO_NORMAL, 3600000, &answer)) {
        std::fprintf(stderr, "the grid did not answer Select All\n");
        return 1;
    }
    const double selectS = bench::Now() - t0;
    // Two more windows of records, with the selection held (their payloads start again from the
    // first record's; the rows go on growing).
    std::vector<Sample> held = Stream(dbg.Window(), {window, 2 * window}, window);
    dbg.Shutdown();
    std::printf("debugger records/s over %ld records at %ld rows (best quarter in brackets)\n", window, rows);
    std::printf("%24s %20s %20s\n", "", "window 1", "window 2");
    std::printf("%24s %8.0f (%7.0f) %8.0f (%7.0f)\n", "nothing selected", none[0].rate, none[0].best,
                none[1].rate, none[1].best);
    std::printf("%24s %8.0f (%7.0f) %8.0f (%7.0f)\n", "every row selected", held[0].rate, held[0].best,
                held[1].rate, held[1].best);
    const double noneRate = (none[0].rate + none[1].rate) / 2, heldRate = (held[0].rate + held[1].rate) / 2;
    const double noneBest = std::max(none[0].best, none[1].best),
                 heldBest = std::max(held[0].best, held[1].best);
    std::printf(
        "selected / nothing selected: %.3f (best quarters %.3f); Select All of %ld rows took %.1f s\n",
        heldRate / noneRate, heldBest / noneBest, rows + window, selectS);
    return 0;
}

std::vector<long> ParseSizes(const std::string& list) {
    std::vector<long> sizes;
    size_t p = 0;
    while (p < list.size()) {
        sizes.push_back(std::atol(list.c_str() + p));
        p = list.find(',', p);
        if (p == std::string::npos) break;
        p++;
    }
    return sizes;
}

} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(
            argc, argv,
            "usage: ingest_bench.exe [--sizes 1000,100000,1000000] [--window N] [--listview-max N]\n"
            "                        [--scrolled-away 1] [--capture-only] [--breakdown] [--preload N]\n"
            "                        [--selection N] [--find-during N] [--maximized]\n"
            "Streams trace records from this process into a bare window, vktool capture, a list\n"
            "view (up to --listview-max rows, default 20000) and the real, visible debugger;\n"
            "records per second around each trace size (--window records, default 1000), the\n"
            "ratios to the bare window, the debugger's memory per row and the capture's memory.\n"
            "--scrolled-away 1: the debugger's view is scrolled to its first row before the stream.\n"
            "--breakdown: where the debugger's bytes per row go. --preload N: the debugger opens a\n"
            "trace of N rows before the stream; its rates are compared with the empty trace's.\n"
            "--selection N: the debugger alone, its rate after N records with nothing selected\n"
            "and then with all N rows selected (Select All).\n"
            "--find-during N: the debugger alone with a trace of N rows opened; each record's wait\n"
            "for its answer with nothing going on, then while the user searches the trace.\n"
            "--capture-only: the capture alone, the bare window timed beside each of its windows\n"
            "(for long runs: 10,000,000 records take about 45 minutes at 4,000 records/s);\n"
            "with --preload N it continues a trace file of N rows, as if it had written them.\n"
            "--maximized: the debugger's window is maximised before it is streamed into.\n"
            "At its defaults it runs for many minutes: every receiver gets 1,000,000 records.\n"))
        return 0;
    std::vector<long> sizes = {1000, 100000, 1000000};
    long window = 1000;
    // A list view takes a few hundred records a second: it is fed only up to this size.
    long listMax = 20000;
    bool scrolledAway = false;
    bool captureOnly = false;
    bool breakdown = false;
    long preload = 0;
    long selection = 0;
    long findDuring = 0;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--capture-only") captureOnly = true;
        if (a == "--breakdown") breakdown = true;
        if (a == "--maximized") g_maximized = true;
        if (a == "--preload" && i + 1 < argc) preload = std::atol(argv[i + 1]);
        if (i + 1 >= argc) break;
        if (a == "--window") window = std::atol(argv[++i]);
        if (a == "--sizes") sizes = ParseSizes(argv[++i]);
        if (a == "--listview-max") listMax = std::atol(argv[++i]);
        if (a == "--scrolled-away") scrolledAway = std::atol(argv[++i]) != 0;
        if (a == "--selection") selection = std::atol(argv[++i]);
        if (a == "--find-during") findDuring = std::atol(argv[++i]);
    }
    if (selection > 0) return MeasureHeldSelection(selection, window);
    if (findDuring > 0) return MeasureFindDuringStream(findDuring, window);
    std::vector<Sample> base, list, capture;
    if (captureOnly) {
        // The bare window is timed beside the capture, quarter by quarter (see Stream).
        e2e::ChildProcess bare;
        HWND pace = StartReceiver(bare, {}, "VK bare receiver");
        if (pace == nullptr || !StreamToCapture(sizes, window, &capture, pace, &base, preload)) return 1;
        ::PostMessageA(pace, WM_CLOSE, 0, 0);
    } else if (!StreamToReceiver({}, "VK bare receiver", sizes, window, &base) ||
               !StreamToCapture(sizes, window, &capture)) {
        return 1;
    }
    std::printf("records/s over the %ld records ending at each trace size (best quarter in brackets)%s\n",
                window,
                captureOnly ? "; the bare window timed right after each quarter of the capture's" : "");
    std::printf("%10s %20s %20s %14s %12s\n", "rows", "bare window", "vktool capture", "capture/bare",
                "capture MB");
    for (size_t i = 0; i < sizes.size(); i++)
        std::printf("%10ld %8.0f (%7.0f) %8.0f (%7.0f) %5.2f (%5.2f) %12.1f\n", sizes[i], base[i].rate,
                    base[i].best, capture[i].rate, capture[i].best, capture[i].rate / base[i].rate,
                    capture[i].best / base[i].best, capture[i].bytes / 1048576.0);
    std::printf(
        "capture: rate at %ld / rate at %ld records: %.2f; private bytes %.1f MB at %ld, %.1f MB at %ld\n",
        sizes.back(), sizes.front(), capture.back().rate / capture.front().rate,
        capture.front().bytes / 1048576.0, sizes.front(), capture.back().bytes / 1048576.0, sizes.back());
    std::fflush(stdout);
    if (captureOnly) return 0;
    std::vector<long> listSizes;
    for (long size : sizes)
        if (size <= listMax) listSizes.push_back(size);
    if (!listSizes.empty() && !StreamToReceiver({"--listview"}, "VK list receiver", listSizes, window, &list))
        return 1;

    e2e::Debugger dbg;
    if (!StartDebugger(dbg)) return 1;
    if (scrolledAway) {
        for (long i = 0; i < 100; i++)
            dbg.Send(0, "warm|up");
        ::PostMessageA(dbg.Item(e2e::GRID_CONTROL_ID), WM_VSCROLL, SB_TOP, 0);
        dbg.Sync();
    }
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, dbg.Pid());
    std::vector<Sample> empty;
    long loaded = 0;
    if (preload > 0) {
        // The rate into the empty trace, then the file loaded over it.
        empty = Stream(dbg.Window(), {window}, window);
        char dir[MAX_PATH + 1] = {};
        ::GetTempPathA(sizeof dir, dir);
        const std::string path = std::string(dir) + "ingest_bench_preload.vkp";
        bench::Progress("writing a trace file of %ld rows", preload);
        const long long fileBytes = bench::WriteSampleTrace(path, preload);
        bench::Progress("opening it in the debugger");
        const SIZE_T beforeLoad = bench::PrivateBytes(process);
        const double loadS = fileBytes < 0 ? -1 : OpenTraceFile(dbg, path, preload);
        ::DeleteFileA(path.c_str());
        if (loadS < 0) {
            std::fprintf(stderr, "the trace file of %ld rows was not loaded\n", preload);
            return 1;
        }
        const SIZE_T afterLoad = bench::PrivateBytes(process);
        std::printf("loaded %ld rows (%.1f MB file) in %.2f s from OK; debugger private bytes %.1f MB, "
                    "working set %.1f MB (%.0f bytes per row over the empty trace)\n",
                    preload, fileBytes / 1048576.0, loadS, afterLoad / 1048576.0,
                    bench::WorkingSet(process) / 1048576.0, double(afterLoad - beforeLoad) / double(preload));
        if (breakdown) PrintBreakdown(dbg.Window(), double(afterLoad - beforeLoad) / double(preload));
        loaded = preload;
    }
    // The bare window is timed right after each quarter of the debugger's records too: its rate
    // on a shared machine changes severalfold within minutes, and the ratios compare the two
    // taken seconds apart.
    e2e::ChildProcess bare;
    HWND pace = StartReceiver(bare, {}, "VK bare receiver");
    if (pace == nullptr) return 1;
    std::vector<Sample> paced;
    SIZE_T before = bench::PrivateBytes(process);
    std::vector<Sample> real = Stream(dbg.Window(), sizes, window, nullptr, pace, &paced);
    SIZE_T after = bench::PrivateBytes(process);
    ::PostMessageA(pace, WM_CLOSE, 0, 0);
    if (breakdown && preload == 0)
        PrintBreakdown(dbg.Window(), double(after - before) / double(sizes.back()));
    ::CloseHandle(process);
    dbg.Shutdown();
    if (!empty.empty()) {
        std::printf("debugger records/s: %.0f (best quarter %.0f) into the empty trace; after the load of "
                    "%ld rows:",
                    empty[0].rate, empty[0].best, loaded);
        for (const Sample& s : real)
            std::printf(" %.0f (%.0f) at +%ld, ratio %.2f (best %.2f);", s.rate, s.best, s.size,
                        s.rate / empty[0].rate, s.best / empty[0].best);
        std::printf("\n");
    }

    std::printf(
        "records/s over the %ld records ending at each trace size (best quarter of them in brackets);\n"
        "ratios to the bare window of the same run%s\n",
        window, scrolledAway ? "; the debugger's view scrolled away from the newest row" : "");
    std::printf("debugger against the bare window timed right after each quarter of its records:\n");
    for (size_t i = 0; i < sizes.size(); i++)
        std::printf("%10ld bare %8.0f (%7.0f) debugger %8.0f (%7.0f) ratio %5.2f (%5.2f)\n", sizes[i],
                    paced[i].rate, paced[i].best, real[i].rate, real[i].best, real[i].rate / paced[i].rate,
                    real[i].best / paced[i].best);
    std::printf("%10s %20s %20s %20s %14s %14s\n", "rows", "bare window", "debugger", "list view",
                "debugger/bare", "list/bare");
    for (size_t i = 0; i < sizes.size(); i++) {
        char listText[32] = "-", listRatio[32] = "-";
        if (i < list.size()) {
            std::snprintf(listText, sizeof listText, "%8.0f (%7.0f)", list[i].rate, list[i].best);
            std::snprintf(listRatio, sizeof listRatio, "%5.2f (%5.2f)", list[i].rate / base[i].rate,
                          list[i].best / base[i].best);
        }
        std::printf("%10ld %8.0f (%7.0f) %8.0f (%7.0f) %20s %5.2f (%5.2f) %14s\n", sizes[i], base[i].rate,
                    base[i].best, real[i].rate, real[i].best, listText, real[i].rate / base[i].rate,
                    real[i].best / base[i].best, listRatio);
    }
    if (real.size() > 1)
        std::printf("debugger rate at %ld rows / rate at %ld rows: %.2f (best quarters %.2f)\n", sizes.back(),
                    sizes.front(), real.back().rate / real.front().rate,
                    real.back().best / real.front().best);
    std::printf("debugger private bytes: %.1f MB before, %.1f MB after %ld rows: %.0f bytes per row\n",
                before / 1048576.0, after / 1048576.0, sizes.back(),
                double(after - before) / double(sizes.back()));
    return 0;
}
