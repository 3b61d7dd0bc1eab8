// The calls of any bytes read as a trace file: no crash or hang in the call finder, profile or
// export, and the times always add up: every call within the trace, the self times of the
// functions and of the root (and of the distinct stacks) making the trace's time.
#include "fuzz_util.h"
#include "trace_calls.h"
#include "vktool.h"

#include <string>

static FuzzFile g_trace(".vkp");
static FuzzFile g_json(".json");
static FuzzFile g_folded(".txt");

namespace {
struct Checker : CTraceCalls::Listener {
    uint64_t calls = 0, lastEnd = 0;
    void OnCall(const TraceFunction&, uint64_t startMs, uint64_t endMs, const TraceRowText*) override {
        FUZZ_CHECK(startMs <= endMs);
        lastEnd = endMs;
        calls++;
    }
    void OnLine(std::string_view, const TraceRowText&, uint64_t) override {}
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size) {
    const char* path = g_trace.Write(data, size);
    FILE* null = std::fopen("/dev/null", "wb");
    Checker checker;
    CTraceCalls calls(&checker);
    FUZZ_CHECK(ReadTraceCalls("profile", path, &calls, null));
    uint64_t self = calls.OutsideMs(), stacks = 0, count = 0;
    for (const TraceFunction& f : calls.Functions()) {
        self += f.selfMs;
        count += f.calls;
        FUZZ_CHECK(f.open == 0 && f.maxMs <= f.totalMs && f.totalMs <= calls.TotalMs());
        FUZZ_CHECK(f.unfinished <= f.calls && f.outerCalls <= f.calls && (f.calls == 0) == (f.outerCalls == 0));
    }
    for (const TraceStack& s : calls.Stacks())
        stacks += s.selfMs;
    FUZZ_CHECK(self == calls.TotalMs() && stacks == calls.TotalMs());
    FUZZ_CHECK(count == calls.Calls() && checker.calls == calls.Calls() && checker.lastEnd <= calls.TotalMs());

    std::string args[] = {path, "--chrome", g_json.Write(nullptr, 0), "--folded", g_folded.Write(nullptr, 0)};
    char* argv[] = {&args[0][0], &args[1][0], &args[2][0], &args[3][0], &args[4][0]};
    FUZZ_CHECK(VkProfile(1, argv, null, null) == VK_EXIT_OK);
    FUZZ_CHECK(VkExport(5, argv, null, null) == VK_EXIT_OK);
    std::fclose(null);
    return 0;
}
