/* A small script engine that traces into a running Valkorine Debuger through client/vktrace.h.
 *
 *     sample_engine [SESSION-ID]
 *
 * It announces a session (the debugger asks the person at it whether to debug it), then runs a
 * few nested "script functions" that report their entry, their trace lines and their return.
 * Exit status: 0 traced, 1 no debugger is running, 3 the session was refused.
 *
 * Plain C89: the client is usable from C as well as from C++. Built a second time with
 * VKTRACE_DISABLE, where every trace call compiles to nothing and the program says so.
 */
#define VKTRACE_IMPLEMENTATION
#include "vktrace.h"

#include <stdio.h>

static int Square(int x) {
    int result;
    vktrace_enter("Square", "x=%d", x);
    result = x * x;
    vktrace_leave("Square", "%d", result);
    return result;
}

static int SumOfSquares(int n) {
    int i, sum = 0;
    vktrace_enter("SumOfSquares", "n=%d", n);
    for (i = 1; i <= n; ++i) {
        sum += Square(i);
        vktrace_trace("SumOfSquares", "after %d: sum %d", i, sum);
    }
    vktrace_leave("SumOfSquares", "%d", sum);
    return sum;
}

int main(int argc, char** argv) {
    const char* sessionId = argc > 1 ? argv[1] : "SAMPLE-1";
    int answer, total;
    answer = vktrace_session(sessionId);
    if (answer == VKTRACE_NO_DEBUGGER) {
#ifdef VKTRACE_DISABLE
        printf("sample_engine: tracing is compiled out\n");
#else
        printf("sample_engine: no debugger is running (start VkDebuger.exe first)\n");
#endif
        return 1;
    }
    if (answer != 1) {
        printf("sample_engine: the debugger refused session %s (%d)\n", sessionId, answer);
        return 3;
    }
    vktrace_enter("Main", "%s", sessionId);
    vktrace_trace("Main", "script %s loaded, %u bytes", "sample.vks", 1234u);
    total = SumOfSquares(3);
    vktrace_trace("Main", "total %d|%s", total, total == 14 ? "as expected" : "WRONG");
    vktrace_leave("Main", "exit %d", 0);
    printf("sample_engine: session %s traced, total %d\n", sessionId, total);
    return 0;
}
