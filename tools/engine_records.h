// Trace records as a script engine sends them to the debugger, the text form in which vktool
// takes them from its command line and from record files, and the demo session vktool plays.
//
// Portable: no windows.h. The Windows side (engine_commands.cpp) only finds the debugger's window
// and delivers each record with WM_COPYDATA.
//
// Record text form, one record a line in a file:
//   KIND<space or tab>PAYLOAD
// KIND is a number (decimal, or hexadecimal with 0x) from 0 to 4294967295, or one of the names
// "start" (9999), "enter" (1), "leave" (2), "trace" (0), in any letter case. A line holding only
// the kind sends an empty payload. In files, empty lines, lines of white space only and lines
// whose first character is "#" are skipped, and a CR before the line feed is dropped.
//
// Payload escapes: "\n" line feed, "\r" carriage return, "\t" tab, "\\" a backslash, "\xHH" the
// byte with the two hexadecimal digits HH (so "\x00" puts a NUL byte in the payload). Every other
// byte passes through unchanged: the payload is bytes in the ANSI code page of the debugger (949).
// Records on the command line are typed in the user's encoding and turned into code page 949
// before their escapes are read (ArgumentToCp949), so "\xHH" still gives the byte HH; records in
// files are code page 949 already. Any other character after a backslash, and a backslash at the
// end, is an error. With --raw no escapes are read at all and the payload is the text as it is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Record kinds (the dwData of the WM_COPYDATA message).
constexpr std::uint32_t RECORD_TRACE = 0;
constexpr std::uint32_t RECORD_ENTER = 1;
constexpr std::uint32_t RECORD_LEAVE = 2;
constexpr std::uint32_t RECORD_SESSION_START = 9999;

// The caption by which an engine finds the debugger's window.
#define DEBUGGER_CAPTION "Valkorine Debuger"

struct EngineRecord {
    std::uint32_t kind = RECORD_TRACE;
    std::string payload; // bytes, code page 949, no terminating NUL
};

// Reads a kind: a number or a kind name. FALSE with a message in *error for anything else.
bool ParseRecordKind(const std::string& text, std::uint32_t* kind, std::string* error);

// The name of a kind for messages: "start", "enter", "leave", "trace" or the number.
std::string RecordKindName(std::uint32_t kind);

// Resolves the escapes of a payload. FALSE with a message in *error for an unknown escape, a
// "\x" without two hexadecimal digits or a backslash at the end.
bool UnescapePayload(const std::string& text, std::string* payload, std::string* error);

// The escaped form of a payload, which UnescapePayload turns back into the same bytes: backslash,
// line feed, carriage return and tab as their escapes, other control bytes and DEL as "\xHH",
// every other byte unchanged.
std::string EscapePayload(const std::string& payload);

// Reads one record line "KIND PAYLOAD" (without its line end). raw: the payload has no escapes.
bool ParseRecordLine(const std::string& line, bool raw, EngineRecord* record, std::string* error);

// Reads the records of a file's contents, skipping blank and comment lines. The error names the
// line number.
bool ParseRecordText(const std::string& text, bool raw, std::vector<EngineRecord>* records,
                     std::string* error);

// ---------------------------------------------------------------------------------------------
// vktool send [--kind K] [--raw] [--file F]... [--] [RECORD...]

struct SendSource {
    bool isFile = false; // a --file argument (path; "-" is standard input) or a RECORD argument
    std::string text;
};

struct SendOptions {
    bool help = false;
    bool hasKind = false; // --kind given: every RECORD argument is a payload of that kind
    std::uint32_t kind = RECORD_TRACE;
    bool raw = false;
    std::vector<SendSource> sources; // in command-line order
};

// Parses the arguments after the command name; RECORD arguments are converted to code page 949.
// FALSE with a message for a bad option, a missing option value, a record with a character code
// page 949 lacks, or no record to send.
bool ParseSendArguments(int argc, const char* const* argv, SendOptions* options, std::string* error);

// Reads a whole file (or standard input for "-") as bytes.
bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error);

// The records of the parsed arguments, files read, in command-line order. Nothing is sent when
// any source is bad, so a typing error in the last record never leaves a half-sent sequence.
bool BuildSendRecords(const SendOptions& options, std::vector<EngineRecord>* records, std::string* error);

extern const char SEND_USAGE[];

// ---------------------------------------------------------------------------------------------
// vktool demo [--rate N] [--count N] [--sid S] [--wait SECONDS]

struct DemoOptions {
    bool help = false;
    double rate = 3.0;        // records per second
    std::uint64_t count = 0;  // records to send in all, the session start included; 0: no bound
    std::string sessionId;    // code page 949; empty: the command chooses one
    unsigned waitSeconds = 0; // how long to wait for the debugger's window to appear
};

bool ParseDemoArguments(int argc, const char* const* argv, DemoOptions* options, std::string* error);

// The pause between two records at a rate, in milliseconds (at least 1).
unsigned DemoIntervalMs(double rate);

extern const char DEMO_USAGE[];

// The session a demo plays: a session start with the session identifier, then, round after
// round, the calls of a screen script with nested enter and leave records and plain trace lines,
// multi-line details (line feeds and "^"), details longer than 100 bytes, Korean text, and the
// two functions whose details the debugger masks ("LoadInputFID", "S_UpperLower"). The records
// are the same for the same session identifier; every round leaves the call depth at 0.
class DemoScript {
public:
    explicit DemoScript(std::string sessionId);

    EngineRecord Next();

    // Enter records sent minus leave records sent.
    int Depth() const { return m_depth; }
    // Completed rounds.
    unsigned Round() const { return m_round; }

private:
    void FillRound();

    std::string m_sessionId;
    bool m_started = false;
    int m_depth = 0;
    unsigned m_round = 0;
    std::vector<EngineRecord> m_pending;
    std::size_t m_next = 0;
};
