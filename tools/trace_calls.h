// The calls of a trace file, found row by row for `vktool profile` and `vktool export`.
//
// A row's indentation is the number of spaces its function column starts with, its name the rest.
// - An entry row (its detail is the line of 96 "-") opens a call at its indentation.
// - The first later row at the same indentation with the same name is the call's leave row and
//   closes it, unless it is an entry row itself.
// - Any other row at the same or a smaller indentation closes every call open at or deeper than
//   it first; those calls are unfinished, as are the calls still open at the end of the trace.
// - A row that is neither an entry nor a leave belongs to the innermost open call; with no call
//   open (the trace's top level, or a trace that starts inside a call) to the unnamed root.
// Times are the summed delays: the trace's clock stands at the sum of the delays of the rows so
// far. A call starts at its entry row and ends at its leave row, so its time is the sum of the
// delays of the rows after its entry up to its leave; an unfinished call ends at the row before
// the one that closed it (the end of the trace). Every row's delay is the self time of the call
// the row belongs to (the leave row's that of the call it closes), so the self times of all calls
// and the root add up to the trace's time. A function's total counts each outermost call once: a
// call inside another call of the same function (recursion) adds nothing to it.
//
// The memory kept is the open calls, one entry per distinct function and one per distinct stack.
#pragma once

#include "TraceFile.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A function of the trace and what its calls took, in milliseconds.
struct TraceFunction {
    std::string name;        // code page 949, without indentation
    int id = 0;              // its place in CTraceCalls::Functions()
    uint64_t calls = 0;      // every call, recursive and unfinished ones included
    uint64_t outerCalls = 0; // the calls not inside another call of the same function
    uint64_t totalMs = 0;    // the time of the outer calls
    uint64_t selfMs = 0;     // the delays of the rows directly in its calls
    uint64_t maxMs = 0;      // the slowest call
    uint64_t unfinished = 0; // calls closed without a leave row
    int open = 0;            // calls of it open now
};

// A distinct call stack: its innermost function (-1 for the root) inside the stack `parent`.
struct TraceStack {
    int parent;
    int function;
    uint64_t selfMs;
};

class CTraceCalls {
public:
    // What an export writes, told as the rows go by.
    class Listener {
    public:
        virtual ~Listener() = default;
        // A call of `function` ended; leave is its leave row, nullptr for an unfinished call.
        virtual void OnCall(const TraceFunction& function, uint64_t startMs, uint64_t endMs,
                            const TraceRowText* leave) = 0;
        // A row that is neither an entry nor a leave, at the time it was recorded.
        virtual void OnLine(std::string_view name, const TraceRowText& row, uint64_t timeMs) = 0;
    };

    // keepStacks: find the distinct call stacks and their self times too (Stacks()).
    explicit CTraceCalls(Listener* listener = nullptr, bool keepStacks = true);

    void AddRow(const TraceRowText& row);
    // The end of the trace: the calls still open are unfinished.
    void Finish();

    const std::deque<TraceFunction>& Functions() const { return m_functions; }
    // Stack 0 is the root, whose self time is the time outside any call; the only stack unless
    // the stacks are kept.
    const std::vector<TraceStack>& Stacks() const { return m_stacks; }
    uint64_t Rows() const { return m_rows; }
    uint64_t Calls() const { return m_calls; }
    uint64_t Unfinished() const { return m_unfinished; }
    uint64_t TotalMs() const { return m_now; }
    uint64_t OutsideMs() const { return m_stacks[0].selfMs; }
    // Rows whose delay is not a number of milliseconds (counted as 0), and the first (1-based).
    uint64_t BadDelays() const { return m_badDelays; }
    uint64_t FirstBadDelayRow() const { return m_firstBadDelayRow; }

private:
    struct Frame {
        TraceFunction* function;
        int stack;
        size_t indent;
        uint64_t startMs;
    };

    uint64_t Delay(const CString& text);
    TraceFunction* FindFunction(std::string_view name); // added when new
    int StackId(int parent, int function);
    void AddSelf(uint64_t ms);
    void EndCall(uint64_t endMs, const TraceRowText* leave);

    Listener* m_listener;
    bool m_keepStacks;
    std::deque<TraceFunction> m_functions; // a deque: the names the index points to never move
    std::unordered_map<std::string_view, int> m_functionIds;
    std::vector<TraceStack> m_stacks;
    std::unordered_map<uint64_t, int> m_stackIds; // (parent << 32 | function) -> stack
    std::vector<Frame> m_open;
    uint64_t m_now = 0;
    uint64_t m_rows = 0;
    uint64_t m_calls = 0;
    uint64_t m_unfinished = 0;
    uint64_t m_badDelays = 0;
    uint64_t m_firstBadDelayRow = 0;
};

// Reads the trace at path through calls in one pass and ends it (Finish). FALSE, with the
// reader's message on err ("vktool COMMAND: PATH: ..."), when the file cannot be read; rows with
// a delay that is not a number are reported once.
bool ReadTraceCalls(const char* command, const char* path, CTraceCalls* calls, FILE* err);
