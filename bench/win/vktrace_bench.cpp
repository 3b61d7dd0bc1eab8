// The engine client's cost per call (client/vktrace.h):
//   - with no debugger running: a trace call that finds nothing, against a FindWindow per call
//     (what an engine without the client's window cache pays);
//   - with a bare receiver in another process (bare_receiver --dialog): a formatted trace record
//     through the client, against the same record formatted with snprintf and sent with a direct
//     SendMessage. Goal: the client adds at most 10% to a sent record.
//     scripts/wine-run build/win64/bin/vktrace_bench.exe [--records N]
#define VKTRACE_IMPLEMENTATION
#include "vktrace.h"

#include "bench_util.h"
#include "e2e_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The direct baseline: the payload formatted as the client does, one SendMessage.
LRESULT DirectTrace(HWND wnd, int i) {
    char payload[512];
    const int n = std::snprintf(payload, sizeof payload, "Function|step %d of the script", i);
    COPYDATASTRUCT cds;
    cds.dwData = 0;
    cds.cbData = static_cast<DWORD>(n);
    cds.lpData = payload;
    return SendMessageA(wnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
}

} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(argc, argv,
                         "usage: vktrace_bench.exe [--records N]\n"
                         "The engine client's cost per call: with no debugger running (against a FindWindow\n"
                         "per call), and into a bare receiver in another process (N records, default 20000,\n"
                         "against a direct SendMessage). At its defaults it takes under a minute.\n"))
        return 0;
    int records = 20000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--records") == 0) records = std::max(100, std::atoi(argv[i + 1]));
    if (FindWindowA(nullptr, VKTRACE_CAPTION)) {
        std::fprintf(stderr, "a debugger window is open: close it first\n");
        return 1;
    }

    // No debugger.
    const int idleCalls = 2000000;
    vktrace_find();
    double t0 = bench::Now();
    for (int i = 0; i < idleCalls; ++i)
        if (vktrace_trace("Function", "step %d", i) != VKTRACE_NO_DEBUGGER) return 1;
    const double idleClient = (bench::Now() - t0) / idleCalls;
    const int findCalls = 20000;
    t0 = bench::Now();
    for (int i = 0; i < findCalls; ++i)
        if (FindWindowA("#32770", VKTRACE_CAPTION)) return 1;
    const double idleFind = (bench::Now() - t0) / findCalls;
    std::printf("no debugger: client %.1f ns a call (goal: well under 1000 ns); FindWindow a call %.1f ns\n",
                idleClient * 1e9, idleFind * 1e9);
    std::fflush(stdout);

    // A bare receiver in another process.
    std::string error;
    e2e::ChildProcess bare;
    if (!bare.Start(e2e::BinDir() + "\\bare_receiver.exe", {"--dialog"}, &error, false)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    HWND wnd = nullptr;
    e2e::WaitUntil([&] { return (wnd = vktrace_find()) != nullptr; }, e2e::START_TIMEOUT_MS);
    if (!wnd) {
        std::fprintf(stderr, "the bare receiver's window did not appear\n");
        return 1;
    }
    // Rounds alternate the two ways so that the machine's noise falls on both alike.
    const int rounds = 10, perRound = std::max(10, records / rounds);
    std::vector<double> direct, client;
    for (int r = 0; r < rounds; ++r) {
        t0 = bench::Now();
        for (int i = 0; i < perRound; ++i)
            if (DirectTrace(wnd, i) != TRUE) return 1;
        direct.push_back((bench::Now() - t0) / perRound);
        t0 = bench::Now();
        for (int i = 0; i < perRound; ++i)
            if (vktrace_trace("Function", "step %d of the script", i) != 1) return 1;
        client.push_back((bench::Now() - t0) / perRound);
    }
    PostMessageA(wnd, WM_CLOSE, 0, 0);
    bare.Wait(e2e::EXIT_TIMEOUT_MS);
    const double d = Median(direct), c = Median(client);
    std::printf("bare receiver, %d records a way: direct SendMessage %.2f us a record, client %.2f us "
                "(ratio %.3f; goal: at most 1.10)\n",
                rounds * perRound, d * 1e6, c * 1e6, c / d);
    return 0;
}
