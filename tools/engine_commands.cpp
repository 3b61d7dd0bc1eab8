// vktool send and vktool demo: the script engine's side of the trace protocol (Windows only).
//
// Records go out through the engine client (client/vktrace.h), as an engine sends them. The
// client's waits are set to no bound here: the debugger answers a session start only after the
// person at it has pressed OK or Cancel on its prompt, and vktool reports every answer it gets,
// so it waits for each one rather than abandon a record. A debugger that is closed while a record
// is on its way is reported as the window going away.
#include "engine_records.h"
#include "text_encoding.h"
#include "vktool.h"

#define VKTRACE_IMPLEMENTATION
#include "vktrace.h"

#include <fcntl.h>
#include <io.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const int VK_EXIT_REFUSED = 3;

// Looks the debugger up now, and makes the client wait for every answer.
HWND FindDebugger() {
    vktrace_set_timeout(VKTRACE_INFINITE);
    vktrace_set_session_timeout(VKTRACE_INFINITE);
    return vktrace_find();
}

// Delivers one record. FALSE when the window went away before it could answer.
bool SendRecord(const EngineRecord& record, LRESULT* result) {
    return vktrace_send(record.kind, record.payload.data(), static_cast<unsigned long>(record.payload.size()),
                        result) == VKTRACE_OK;
}

// printf into a string: for lines that hold code page 949 text (session identifiers, records),
// written with WriteCp949Text in the user's encoding.
std::string Format(const char* format, ...) {
    char small[512];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) return std::string();
    if (static_cast<std::size_t>(n) < sizeof small) return std::string(small, static_cast<std::size_t>(n));
    std::string text(static_cast<std::size_t>(n) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&text[0], text.size(), format, args);
    va_end(args);
    text.resize(static_cast<std::size_t>(n));
    return text;
}

void ReportNoDebugger(const char* command) {
    std::fprintf(stderr,
                 "vktool %s: no debugger is running (no window captioned \"" DEBUGGER_CAPTION "\"); "
                 "start VkDebuger.exe first\n",
                 command);
}

} // namespace

int VkSend(int argc, char** argv) {
    SendOptions options;
    std::string error;
    if (!ParseSendArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vktool send: %s\n%s", error.c_str(), SEND_USAGE);
        return VK_EXIT_USAGE;
    }
    if (options.help) {
        std::fputs(SEND_USAGE, stdout);
        return VK_EXIT_OK;
    }
    // Record files are bytes: no CR LF translation and no end at a Ctrl+Z.
    _setmode(_fileno(stdin), _O_BINARY);
    std::vector<EngineRecord> records;
    if (!BuildSendRecords(options, &records, &error)) {
        // The message may quote a record, which is code page 949 by now.
        WriteCp949Text(stderr, "vktool send: " + error + "\n", false);
        return VK_EXIT_USAGE;
    }
    if (records.empty()) {
        std::fputs("vktool send: the files hold no records; nothing sent\n", stderr);
        return VK_EXIT_USAGE;
    }
    for (const EngineRecord& r : records) {
        if (r.payload.size() > VKTRACE_MAX_RECORD_BYTES) {
            std::fprintf(stderr, "vktool send: a payload of more than %lu bytes (16 MiB) cannot be sent\n",
                         VKTRACE_MAX_RECORD_BYTES);
            return VK_EXIT_USAGE;
        }
    }
    const HWND debugger = FindDebugger();
    if (!debugger) {
        ReportNoDebugger("send");
        return VK_EXIT_FAILURE;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        LRESULT result = 0;
        if (!SendRecord(records[i], &result)) {
            std::fprintf(stderr, "vktool send: the debugger window went away; %u of %u records delivered\n",
                         static_cast<unsigned>(i), static_cast<unsigned>(records.size()));
            return VK_EXIT_FAILURE;
        }
        std::printf("%lld\n", static_cast<long long>(result));
        std::fflush(stdout);
    }
    return VK_EXIT_OK;
}

int VkDemo(int argc, char** argv) {
    DemoOptions options;
    std::string error;
    if (!ParseDemoArguments(argc, argv, &options, &error)) {
        std::fprintf(stderr, "vktool demo: %s\n%s", error.c_str(), DEMO_USAGE);
        return VK_EXIT_USAGE;
    }
    if (options.help) {
        std::fputs(DEMO_USAGE, stdout);
        return VK_EXIT_OK;
    }
    HWND debugger = FindDebugger();
    for (DWORD waited = 0; !debugger && waited < options.waitSeconds * 1000u; waited += 100) {
        Sleep(100);
        debugger = FindDebugger();
    }
    if (!debugger) {
        ReportNoDebugger("demo");
        return VK_EXIT_FAILURE;
    }
    std::string sessionId = options.sessionId;
    if (sessionId.empty()) {
        char text[32];
        std::snprintf(text, sizeof text, "DEMO-%05lu",
                      static_cast<unsigned long>(GetCurrentProcessId() % 100000));
        sessionId = text;
    }
    DemoScript script(sessionId);
    const DWORD interval = DemoIntervalMs(options.rate);
    WriteCp949Text(stdout,
                   Format("vktool demo: session %s, %g records a second%s\n", sessionId.c_str(), options.rate,
                          options.count ? "" : ", until the debugger closes"),
                   false);
    std::printf("vktool demo: waiting for the answer to the session prompt\n");
    std::fflush(stdout);

    std::uint64_t sent = 0;
    for (;;) {
        if (options.count && sent >= options.count) break;
        if (sent > 0) Sleep(interval);
        if (!IsWindow(debugger)) {
            std::printf("vktool demo: the debugger window closed; %llu records sent\n",
                        static_cast<unsigned long long>(sent));
            return VK_EXIT_OK;
        }
        const EngineRecord record = script.Next();
        LRESULT result = 0;
        if (!SendRecord(record, &result)) {
            std::printf("vktool demo: the debugger window closed; %llu records sent\n",
                        static_cast<unsigned long long>(sent));
            return VK_EXIT_OK;
        }
        ++sent;
        if (record.kind == RECORD_SESSION_START) {
            if (!result) {
                WriteCp949Text(
                    stderr,
                    Format("vktool demo: the debugger refused session %s (Cancel was pressed, or a "
                           "trace is still shown: clear it with File > New File)\n",
                           sessionId.c_str()),
                    false);
                return VK_EXIT_REFUSED;
            }
            WriteCp949Text(stdout, Format("vktool demo: session %s accepted\n", sessionId.c_str()), false);
        } else {
            const std::size_t bar = record.payload.find('|');
            WriteCp949Text(stdout,
                           Format("%6llu %-5s %*s%s -> %lld\n", static_cast<unsigned long long>(sent),
                                  RecordKindName(record.kind).c_str(),
                                  2 * (script.Depth() - (record.kind == RECORD_ENTER)), "",
                                  record.payload.substr(0, bar).c_str(), static_cast<long long>(result)),
                           false);
        }
        std::fflush(stdout);
    }
    std::printf("vktool demo: %llu records sent\n", static_cast<unsigned long long>(sent));
    return VK_EXIT_OK;
}
