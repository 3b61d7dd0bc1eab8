// What the Windows benchmarks share: a precise clock, draining the message queue, a process's
// memory, and a plain top-level window to host what is measured.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace bench {

// TRUE when --help or -h is among the arguments, after printing usage: what the benchmark
// measures, its options and how long it runs at its defaults.
inline bool HelpAsked(int argc, char** argv, const char* usage) {
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(usage, stdout);
            return true;
        }
    return false;
}

// A line on stderr saying what the benchmark is measuring now, shown at once: the figures come
// only at the end, and a long run should not look like a hung one.
inline void Progress(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::fputs("... ", stderr);
    std::vfprintf(stderr, format, args);
    std::fputs("\n", stderr);
    va_end(args);
    std::fflush(stderr);
}

// Seconds, from the performance counter.
inline double Now() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        ::QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    ::QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(freq.QuadPart);
}

// Milliseconds of one call of f over n calls, each timed on its own, after one untimed call:
// the mean, and the median, which a call that waited for the processor on a machine shared with
// other work does not move.
struct CallTimes {
    double mean = 0.0;
    double median = 0.0;
};
template <class F> CallTimes TimeCalls(int n, F f) {
    f();
    std::vector<double> times;
    for (int i = 0; i < n; i++) {
        double began = Now();
        f();
        times.push_back((Now() - began) * 1e3);
    }
    CallTimes t;
    if (times.empty()) return t;
    for (double ms : times)
        t.mean += ms / (double)times.size();
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    t.median = times[times.size() / 2];
    return t;
}
template <class F> double MedianMs(int n, F f) {
    return TimeCalls(n, f).median;
}

// Handles every message waiting for this thread, paints included.
inline void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

// A process's committed private memory (Wine reports it as the pagefile usage).
inline SIZE_T PrivateBytes(HANDLE process = ::GetCurrentProcess()) {
    PROCESS_MEMORY_COUNTERS_EX pmc = {};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&pmc, sizeof pmc);
    return pmc.PrivateUsage ? pmc.PrivateUsage : pmc.PagefileUsage;
}

inline SIZE_T WorkingSet(HANDLE process = ::GetCurrentProcess()) {
    PROCESS_MEMORY_COUNTERS pmc = {};
    pmc.cb = sizeof pmc;
    ::GetProcessMemoryInfo(process, &pmc, sizeof pmc);
    return pmc.WorkingSetSize;
}

// The largest block that could still be reserved in a process's address space, to a megabyte:
// what a 32-bit process can still give one allocation (a copied text, say), however much memory
// the machine has. Tried by reserving and releasing; the process needs PROCESS_VM_OPERATION.
inline SIZE_T LargestReservableBlock(HANDLE process) {
    SIZE_T lo = 0, hi = (SIZE_T)1 << (sizeof(void*) == 4 ? 12 : 16); // in megabytes
    while (lo < hi) {
        const SIZE_T mid = (lo + hi + 1) / 2;
        if (void* p = ::VirtualAllocEx(process, nullptr, mid << 20, MEM_RESERVE, PAGE_NOACCESS)) {
            ::VirtualFreeEx(process, p, 0, MEM_RELEASE);
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo << 20;
}

// A visible top-level window of its own class, at the screen's top-left corner.
inline HWND CreateTopLevel(const char* cls, WNDPROC proc, const char* title, DWORD style, int width,
                           int height) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = cls;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    ::RegisterClassA(&wc);
    return ::CreateWindowExA(0, cls, title, style | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

} // namespace bench
