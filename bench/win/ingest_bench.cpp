// End-to-end ingestion: this process plays the engine and streams trace records by WM_COPYDATA
// into the real debugger (its dialog visible, every row painted as it arrives), and, as the
// baseline, into a bare window that only answers WM_COPYDATA. It reports records per second
// around each trace size, the ratio to the baseline, and the debugger's memory per row.
//
//   scripts/wine-run build/win64/bin/ingest_bench.exe [--sizes 1000,100000,1000000] [--window N]
#include "afx.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string BinDir()
{
    char path[MAX_PATH];
    DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

struct Child {
    PROCESS_INFORMATION pi{};
    bool Start(const std::string& exe)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        std::string cmd = "\"" + exe + "\"";
        return ::CreateProcessA(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) != 0;
    }
    void Stop(HWND h)
    {
        if (h) ::PostMessageA(h, WM_CLOSE, 0, 0);
        if (pi.hProcess && ::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
        if (pi.hProcess) ::CloseHandle(pi.hProcess);
        if (pi.hThread) ::CloseHandle(pi.hThread);
        pi = {};
    }
};

// The top-level window with this caption that belongs to the given process.
HWND WaitWindow(DWORD pid, const char* caption, DWORD timeoutMs = 30000)
{
    struct Ctx {
        DWORD pid;
        const char* caption;
        HWND found;
    } ctx{pid, caption, nullptr};
    DWORD start = ::GetTickCount();
    while (ctx.found == nullptr && ::GetTickCount() - start < timeoutMs) {
        ::EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                Ctx* c = (Ctx*)lp;
                DWORD p = 0;
                char text[64] = {0};
                ::GetWindowThreadProcessId(h, &p);
                ::GetWindowTextA(h, text, sizeof text);
                if (p == c->pid && std::string(text) == c->caption) {
                    c->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&ctx);
        if (ctx.found == nullptr) ::Sleep(50);
    }
    return ctx.found;
}

LRESULT Send(HWND h, ULONG_PTR kind, const std::string& payload)
{
    COPYDATASTRUCT cds = {kind, (DWORD)payload.size(), (PVOID)payload.data()};
    return ::SendMessageA(h, WM_COPYDATA, 0, (LPARAM)&cds);
}

// Answers the debugger's session prompt with OK.
void AnswerPrompt(DWORD pid)
{
    for (int i = 0; i < 500; i++) {
        HWND found = nullptr;
        struct Ctx {
            DWORD pid;
            HWND* out;
        } ctx{pid, &found};
        ::EnumWindows(
            [](HWND h, LPARAM lp) -> BOOL {
                Ctx* c = (Ctx*)lp;
                DWORD p = 0;
                char cls[32] = {0};
                ::GetWindowThreadProcessId(h, &p);
                ::GetClassNameA(h, cls, sizeof cls);
                if (p == c->pid && std::string(cls) == "#32770" && ::GetDlgItem(h, IDOK) && ::IsWindowVisible(h)) {
                    *c->out = h;
                    return FALSE;
                }
                return TRUE;
            },
            (LPARAM)&ctx);
        if (found) {
            ::PostMessageA(found, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(found, IDOK));
            return;
        }
        ::Sleep(20);
    }
}

// The record of step i of a steady script: enter, two trace lines, leave.
void MakeRecord(long i, ULONG_PTR* kind, std::string* payload)
{
    char buf[160];
    switch (i % 4) {
    case 0:
        *kind = 1;
        std::snprintf(buf, sizeof buf, "Func%ld|args=%ld", i % 97, i);
        break;
    case 1:
    case 2:
        *kind = 0;
        std::snprintf(buf, sizeof buf, "trace|step %ld: value = %ld, state = running, buffer = 0123456789abcdef", i, i * 7);
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
    double rate;
};

// Streams records up to the largest size, timing the `window` records that end at each size.
std::vector<Sample> Stream(HWND h, const std::vector<long>& sizes, long window)
{
    std::vector<Sample> out;
    LARGE_INTEGER freq, t0, t1;
    ::QueryPerformanceFrequency(&freq);
    long sent = 0;
    std::string payload;
    ULONG_PTR kind;
    for (long size : sizes) {
        long from = size - window > sent ? size - window : sent;
        for (; sent < from; sent++) {
            MakeRecord(sent, &kind, &payload);
            Send(h, kind, payload);
        }
        ::QueryPerformanceCounter(&t0);
        for (; sent < size; sent++) {
            MakeRecord(sent, &kind, &payload);
            Send(h, kind, payload);
        }
        ::QueryPerformanceCounter(&t1);
        double secs = double(t1.QuadPart - t0.QuadPart) / double(freq.QuadPart);
        out.push_back({size, double(size - from) / secs});
    }
    return out;
}

// The process's committed private memory (Wine reports it as the pagefile usage).
SIZE_T PrivateBytes(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<long> sizes = {1000, 100000, 1000000};
    long window = 1000;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string a = argv[i];
        if (a == "--window") window = std::atol(argv[i + 1]);
        if (a == "--sizes") {
            sizes.clear();
            std::string list = argv[i + 1];
            size_t p = 0;
            while (p < list.size()) {
                sizes.push_back(std::atol(list.c_str() + p));
                p = list.find(',', p);
                if (p == std::string::npos) break;
                p++;
            }
        }
    }
    std::string dir = BinDir();

    Child bare;
    if (!bare.Start(dir + "bare_receiver.exe")) {
        std::fprintf(stderr, "cannot start bare_receiver.exe\n");
        return 1;
    }
    HWND hb = WaitWindow(bare.pi.dwProcessId, "VK bare receiver");
    std::vector<Sample> base = Stream(hb, sizes, window);
    bare.Stop(hb);

    Child dbg;
    if (!dbg.Start(dir + "VkDebuger.exe")) {
        std::fprintf(stderr, "cannot start VkDebuger.exe\n");
        return 1;
    }
    HWND hd = WaitWindow(dbg.pi.dwProcessId, "Valkorine Debuger");
    if (hd == nullptr) {
        std::fprintf(stderr, "the debugger's window did not appear\n");
        dbg.Stop(nullptr);
        return 1;
    }
    std::thread answer(AnswerPrompt, dbg.pi.dwProcessId);
    LRESULT started = Send(hd, 9999, "bench");
    answer.join();
    if (started != TRUE) {
        std::fprintf(stderr, "the session was refused\n");
        dbg.Stop(hd);
        return 1;
    }
    SIZE_T before = PrivateBytes(dbg.pi.hProcess);
    std::vector<Sample> real = Stream(hd, sizes, window);
    SIZE_T after = PrivateBytes(dbg.pi.hProcess);
    dbg.Stop(hd);

    std::printf("records/s over the %ld records ending at each trace size\n", window);
    std::printf("%10s %14s %14s %8s\n", "rows", "debugger", "bare window", "ratio");
    for (size_t i = 0; i < sizes.size(); i++)
        std::printf("%10ld %14.0f %14.0f %8.2f\n", sizes[i], real[i].rate, base[i].rate, real[i].rate / base[i].rate);
    if (real.size() > 1)
        std::printf("debugger rate at %ld rows / rate at %ld rows: %.2f\n", sizes.back(), sizes.front(),
                    real.back().rate / real.front().rate);
    std::printf("debugger private bytes: %.1f MB before, %.1f MB after %ld rows: %.0f bytes per row\n",
                before / 1048576.0, after / 1048576.0, sizes.back(), double(after - before) / double(sizes.back()));
    return 0;
}
