// vktool profile and export over long traces: the time of each command against reading the same
// file through the streaming reader alone (the baseline: what any command that reads the trace
// costs), and the process's peak memory after a trace of a tenth of the rows and after the whole,
// which must not grow with the rows. Built natively and for Windows from this one source:
//
//   cmake --preset bench && cmake --build --preset bench && build/bench/bin/profile_bench
//   cmake --build build/win64 --target profile_bench && scripts/wine-run build/win64/bin/profile_bench.exe
//
// Options: --rows N (default 10000000; a trace of N/10 rows is measured first), --trace FILE
// (measure that trace instead, e.g. one of /work/shared/tools/gen-trace), --dir DIR (where the
// traces and exports go; default the temporary folder), --keep (leave them there).
// Goals for 10,000,000 rows: profile in 3 s, export in 6 s, on either build.
#include "TraceFile.h"
#include "vktool.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace {

const char kUsage[] =
    "profile_bench [--rows N] [--trace FILE] [--dir DIR] [--keep]\n"
    "Times vktool profile, export --chrome, export --folded and both exports in one pass over a trace\n"
    "of N rows (default 10000000, shaped like a real session: calls nested up to 6 deep, trace lines of\n"
    "about 60 characters), against reading the file through the streaming reader alone, and reports\n"
    "the peak memory after N/10 rows and after N. --trace FILE measures that trace only. The default\n"
    "run writes about 1.5 GB of files and takes a minute natively, a few under Wine.\n";

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The processor time of the process, user and system: on a machine shared with other work the
// wall-clock time can be several times what the work took.
double CpuSeconds() {
#ifdef _WIN32
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    const auto seconds = [](const FILETIME& t) {
        return (double)(((unsigned long long)t.dwHighDateTime << 32) | t.dwLowDateTime) / 1e7;
    };
    return seconds(kernel) + seconds(user);
#else
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (double)usage.ru_utime.tv_sec + (double)usage.ru_stime.tv_sec +
           ((double)usage.ru_utime.tv_usec + (double)usage.ru_stime.tv_usec) / 1e6;
#endif
}

double PeakMegabytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc;
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof pmc) ? pmc.PeakWorkingSetSize / 1048576.0
                                                                       : 0;
#else
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
#endif
}

// A trace of `rows` rows of the shape of a real session: gen-trace's, but for the callees, which
// gen-trace picks at random (so that its distinct stacks, and the memory --folded keeps for them,
// grow until all 137,256 combinations of seven names six deep are seen).
bool WriteTrace(const std::string& path, long long rows) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    static const char* const names[] = {"LoadInputFID", "S_UpperLower", "CalcTotal", "ReadRecord",
                                        "WriteLog",     "CheckLimit",   "FormatDate"};
    const std::string dashes(96, '-');
    std::vector<int> stack;
    unsigned long long seed = 7;
    std::string text, indent;
    for (long long i = 0; i < rows; i++) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const unsigned r = (unsigned)(seed >> 33) % 1000, delay = (unsigned)(seed >> 20) % 3;
        const std::string d = std::to_string(delay);
        if ((r < 250 && stack.size() < 6) || stack.empty()) {
            // Each function calls two others, as a script's functions call the same few: the
            // distinct stacks stay few (at most 127), whatever the rows.
            const int n = stack.empty() ? (int)(i % 7) : (stack.back() * 3 + (int)(r % 2) + 1) % 7;
            text += indent + names[n] + "|" + d + "|" + dashes + "\r\n";
            stack.push_back(n);
            indent += "     ";
        } else if (r < 500) {
            indent.resize(indent.size() - 5);
            const char* name = names[stack.back()];
            stack.pop_back();
            text += indent + name + "|" + d + "|" + name + " returned " + std::to_string(i) + "\r\n";
        } else {
            char line[160];
            std::snprintf(line, sizeof line,
                          "line %lld|%u|value %lld of row %lld, field=%08x, status ok, some text to read\r\n",
                          i, delay, i * 7, i, (unsigned)(i * 2654435761LL));
            text += indent + line;
        }
        if (text.size() >= (1 << 20)) {
            if (std::fwrite(text.data(), 1, text.size(), f) != text.size()) break;
            text.clear();
        }
    }
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

int Run(int (*command)(int, char**, FILE*, FILE*), std::vector<std::string> args, const std::string& out) {
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(&a[0]);
    FILE* f = std::fopen(out.c_str(), "wb");
    const int status = command((int)argv.size(), argv.data(), f, stderr);
    std::fclose(f);
    return status;
}

// Wall-clock and processor seconds of one step.
struct Time {
    double wall = 0, cpu = 0;
};

template <typename F> Time Timed(F f) {
    const double wall = Now(), cpu = CpuSeconds();
    f();
    return Time{Now() - wall, CpuSeconds() - cpu};
}

struct Figures {
    Time read, profile, chrome, folded, both;
    double peak = 0;
    long long rows = 0;
};

void PrintStep(const char* what, const Time& t, const Time& base) {
    std::printf("  %-26s %7.2f s %7.2f s cpu  %5.2fx the reading (cpu %5.2fx)\n", what, t.wall, t.cpu,
                base.wall > 0 ? t.wall / base.wall : 0, base.cpu > 0 ? t.cpu / base.cpu : 0);
}

bool Measure(const std::string& trace, const std::string& dir, Figures* f) {
    std::fprintf(stderr, "... %s\n", trace.c_str());
    long long rows = 0;
    TraceFileResult r = TRACE_FILE_OK;
    f->read = Timed([&] {
        r = ReadTraceRows(
            trace.c_str(), [](TraceRowText&, void* n) { ++*(long long*)n; }, &rows);
    });
    if (r != TRACE_FILE_OK) {
        std::fprintf(stderr, "profile_bench: %s: %s\n", trace.c_str(), DescribeTraceFileResult(r));
        return false;
    }
    const std::string json = dir + "/bench.json", folded = dir + "/bench.txt", table = dir + "/bench.profile";
    int status = 0;
    f->profile = Timed([&] { status |= Run(VkProfile, {trace}, table); });
    f->chrome = Timed([&] { status |= Run(VkExport, {trace, "--chrome", json}, table + ".export"); });
    f->folded = Timed([&] { status |= Run(VkExport, {trace, "--folded", folded}, table + ".export"); });
    f->both = Timed([&] {
        status |= Run(VkExport, {trace, "--chrome", json, "--folded", folded}, table + ".export");
    });
    f->peak = PeakMegabytes();
    f->rows = rows;
    long long stacks = 0;
    if (FILE* in = std::fopen(folded.c_str(), "rb")) {
        for (int c; (c = std::fgetc(in)) != EOF;)
            stacks += c == '\n';
        std::fclose(in);
    }
    std::printf("%s: %lld rows, %.0f MB; Chrome file %.0f MB, folded %.1f MB (%lld stacks)\n", trace.c_str(),
                rows, (double)std::filesystem::file_size(trace) / 1e6,
                (double)std::filesystem::file_size(json) / 1e6,
                (double)std::filesystem::file_size(folded) / 1e6, stacks);
    PrintStep("read alone (baseline)", f->read, f->read);
    PrintStep("profile", f->profile, f->read);
    PrintStep("export --chrome", f->chrome, f->read);
    PrintStep("export --folded", f->folded, f->read);
    PrintStep("export, both at once", f->both, f->read);
    std::printf("  peak memory of the process %7.1f MB\n", f->peak);
    std::fflush(stdout);
    return status == 0;
}

} // namespace

int main(int argc, char** argv) {
    long long rows = 10000000;
    std::string trace, dir = std::filesystem::temp_directory_path().string();
    bool keep = false;
    for (int i = 1; i < argc; i++) {
        const bool value = i + 1 < argc;
        if (std::strcmp(argv[i], "--rows") == 0 && value)
            rows = std::atoll(argv[++i]);
        else if (std::strcmp(argv[i], "--trace") == 0 && value)
            trace = argv[++i];
        else if (std::strcmp(argv[i], "--dir") == 0 && value)
            dir = argv[++i];
        else if (std::strcmp(argv[i], "--keep") == 0)
            keep = true;
        else {
            std::fputs(kUsage, std::strcmp(argv[i], "--help") == 0 ? stdout : stderr);
            return std::strcmp(argv[i], "--help") == 0 ? 0 : 2;
        }
    }
    std::vector<std::string> made;
    Figures small{}, large{};
    bool ok = true;
    if (trace.empty()) {
        const std::string tenth = dir + "/bench-" + std::to_string(rows / 10) + ".vkp";
        trace = dir + "/bench-" + std::to_string(rows) + ".vkp";
        std::fprintf(stderr, "... writing %s and %s\n", tenth.c_str(), trace.c_str());
        made = {tenth, trace};
        if (!WriteTrace(tenth, rows / 10) || !WriteTrace(trace, rows)) {
            std::fprintf(stderr, "profile_bench: cannot write the traces in %s\n", dir.c_str());
            return 1;
        }
        ok = Measure(tenth, dir, &small);
    }
    ok = Measure(trace, dir, &large) && ok;
    if (small.peak > 0)
        std::printf("peak memory: %.1f MB after %lld rows, %.1f MB after %lld (%+.1f MB)\n", small.peak,
                    rows / 10, large.peak, rows, large.peak - small.peak);
    const auto verdict = [](const Time& t, double goal) {
        return t.wall <= goal ? "met" : t.cpu <= goal ? "met in processor time, not on the clock" : "MISSED";
    };
    if (large.rows >= 10000000)
        std::printf("goals: profile in 3 s (%s), export in 6 s (--chrome %s, --folded %s)\n",
                    verdict(large.profile, 3), verdict(large.chrome, 6), verdict(large.folded, 6));
    if (!keep) {
        for (const std::string& f : made)
            std::remove(f.c_str());
        for (const char* name : {"/bench.json", "/bench.txt", "/bench.profile", "/bench.profile.export"})
            std::remove((dir + name).c_str());
    }
    return ok ? 0 : 1;
}
