// Text form of trace records, the arguments of vktool send and demo, and the demo session.
#include "engine_records.h"

#include "text_encoding.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Lower(const std::string& s) {
    std::string out = s;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Reads an unsigned decimal number without sign, spaces or trailing characters.
bool ParseUnsigned(const std::string& text, std::uint64_t max, std::uint64_t* value) {
    if (text.empty() || text.size() > 20) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        const unsigned d = static_cast<unsigned>(c - '0');
        if (v > (max - d) / 10) return false;
        v = v * 10 + d;
    }
    *value = v;
    return true;
}

} // namespace

bool ParseRecordKind(const std::string& text, std::uint32_t* kind, std::string* error) {
    const std::string name = Lower(text);
    if (name == "start") {
        *kind = RECORD_SESSION_START;
        return true;
    }
    if (name == "enter") {
        *kind = RECORD_ENTER;
        return true;
    }
    if (name == "leave") {
        *kind = RECORD_LEAVE;
        return true;
    }
    if (name == "trace") {
        *kind = RECORD_TRACE;
        return true;
    }
    std::uint64_t value = 0;
    bool ok = false;
    if (name.size() > 2 && name[0] == '0' && name[1] == 'x') {
        if (name.size() <= 10) {
            ok = true;
            for (std::size_t i = 2; i < name.size(); ++i) {
                const int d = HexDigitValue(name[i]);
                if (d < 0) {
                    ok = false;
                    break;
                }
                value = value * 16 + static_cast<unsigned>(d);
            }
        }
    } else {
        ok = ParseUnsigned(name, 0xFFFFFFFFu, &value);
    }
    if (!ok) {
        *error = "bad record kind \"" + text +
                 "\": give a number from 0 to 4294967295 or one of start, enter, leave, trace";
        return false;
    }
    *kind = static_cast<std::uint32_t>(value);
    return true;
}

std::string RecordKindName(std::uint32_t kind) {
    switch (kind) {
    case RECORD_SESSION_START:
        return "start";
    case RECORD_ENTER:
        return "enter";
    case RECORD_LEAVE:
        return "leave";
    case RECORD_TRACE:
        return "trace";
    default:
        return std::to_string(kind);
    }
}

bool UnescapePayload(const std::string& text, std::string* payload, std::string* error) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (i + 1 >= text.size()) {
            *error = "a backslash at the end of the payload (write \\\\ for a backslash)";
            return false;
        }
        const char e = text[++i];
        switch (e) {
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        case 'x': {
            const int hi = i + 1 < text.size() ? HexDigitValue(text[i + 1]) : -1;
            const int lo = i + 2 < text.size() ? HexDigitValue(text[i + 2]) : -1;
            if (hi < 0 || lo < 0) {
                *error = "\\x at byte " + std::to_string(i) + " of the payload needs two hexadecimal digits";
                return false;
            }
            out += static_cast<char>(hi * 16 + lo);
            i += 2;
            break;
        }
        default:
            *error = std::string("unknown escape \\") + e + " at byte " + std::to_string(i - 1) +
                     " of the payload (known: \\n \\r \\t \\\\ \\xHH)";
            return false;
        }
    }
    *payload = out;
    return true;
}

std::string EscapePayload(const std::string& payload) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(payload.size());
    for (char ch : payload) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

bool ParseRecordLine(const std::string& line, bool raw, EngineRecord* record, std::string* error) {
    std::size_t sep = 0;
    while (sep < line.size() && !IsBlank(line[sep]))
        ++sep;
    if (sep == 0) {
        *error = "a record starts with its kind (a number or start, enter, leave, trace)";
        return false;
    }
    EngineRecord r;
    if (!ParseRecordKind(line.substr(0, sep), &r.kind, error)) return false;
    // Exactly one separator: further blanks belong to the payload.
    const std::string text = sep < line.size() ? line.substr(sep + 1) : std::string();
    if (raw) {
        r.payload = text;
    } else if (!UnescapePayload(text, &r.payload, error)) {
        return false;
    }
    *record = r;
    return true;
}

bool ParseRecordText(const std::string& text, bool raw, std::vector<EngineRecord>* records,
                     std::string* error) {
    std::vector<EngineRecord> out;
    std::size_t pos = 0;
    unsigned lineNo = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        bool blank = true;
        for (char c : line)
            if (!IsBlank(c)) blank = false;
        if (blank || line[0] == '#') continue;
        EngineRecord r;
        std::string why;
        if (!ParseRecordLine(line, raw, &r, &why)) {
            *error = "line " + std::to_string(lineNo) + ": " + why;
            return false;
        }
        out.push_back(r);
    }
    *records = out;
    return true;
}

const char SEND_USAGE[] =
    "usage: vktool send [--kind K] [--raw] [--file F]... [--] [RECORD...]\n"
    "Sends trace records to the running debugger (the window captioned \"" DEBUGGER_CAPTION "\")\n"
    "by WM_COPYDATA and prints each record's result on a line of its own (1 or 0).\n"
    "  RECORD     \"KIND PAYLOAD\"; with --kind, the payload alone\n"
    "  KIND       a number, or start (9999), enter (1), leave (2), trace (0)\n"
    "  PAYLOAD    name|detail; escapes \\n \\r \\t \\\\ \\xHH (\\xHH: that byte, sent as it is)\n"
    "  --kind K   every RECORD argument is a payload of kind K\n"
    "  --raw      payloads are taken as they are, without escapes\n"
    "  --file F   sends the records of file F, one \"KIND PAYLOAD\" a line (- reads standard input);\n"
    "             blank lines and lines starting with # are skipped\n"
    "RECORD arguments are read in your locale's encoding and sent in code page 949, the debugger's\n"
    "(a character 949 lacks is refused); record files are code page 949 bytes, sent as they are.\n"
    "Records go out in command-line order, each waiting for the debugger's answer: a session start\n"
    "waits until the person at the debugger answers its prompt.\n"
    "Exit status: 0 all sent, 1 no debugger running or its window went away, 2 bad arguments.\n";

bool ParseSendArguments(int argc, const char* const* argv, SendOptions* options, std::string* error) {
    SendOptions o;
    bool optionsEnded = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            if (a == "--") {
                optionsEnded = true;
            } else if (a == "--help" || a == "-h") {
                o.help = true;
            } else if (a == "--raw") {
                o.raw = true;
            } else if (a == "--kind" || a == "--file") {
                if (i + 1 >= argc) {
                    *error = a + " needs a value";
                    return false;
                }
                const std::string value = argv[++i];
                if (a == "--kind") {
                    if (!ParseRecordKind(value, &o.kind, error)) return false;
                    o.hasKind = true;
                } else {
                    if (value.empty()) {
                        *error = "--file needs a file name";
                        return false;
                    }
                    o.sources.push_back(SendSource{true, value});
                }
            } else {
                *error = "unknown option " + a;
                return false;
            }
            continue;
        }
        std::string text;
        if (!ArgumentToCp949(argv[i], &text, error)) return false;
        o.sources.push_back(SendSource{false, text});
    }
    if (!o.help && o.sources.empty()) {
        *error = "nothing to send: give records or --file";
        return false;
    }
    *options = o;
    return true;
}

bool ReadWholeFile(const std::string& path, std::string* contents, std::string* error) {
    if (path == "-") {
        std::ostringstream s;
        s << std::cin.rdbuf();
        if (std::cin.bad()) {
            *error = "cannot read standard input";
            return false;
        }
        *contents = s.str();
        return true;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *error = "cannot read " + path;
        return false;
    }
    *contents = data;
    return true;
}

bool BuildSendRecords(const SendOptions& options, std::vector<EngineRecord>* records, std::string* error) {
    std::vector<EngineRecord> out;
    for (const SendSource& s : options.sources) {
        std::string why;
        if (s.isFile) {
            std::string text;
            std::vector<EngineRecord> fromFile;
            if (!ReadWholeFile(s.text, &text, &why) || !ParseRecordText(text, options.raw, &fromFile, &why)) {
                *error = (s.text == "-" ? std::string("standard input") : s.text) + ": " + why;
                return false;
            }
            out.insert(out.end(), fromFile.begin(), fromFile.end());
        } else if (options.hasKind) {
            EngineRecord r;
            r.kind = options.kind;
            if (options.raw) {
                r.payload = s.text;
            } else if (!UnescapePayload(s.text, &r.payload, &why)) {
                *error = "record \"" + s.text + "\": " + why;
                return false;
            }
            out.push_back(r);
        } else {
            EngineRecord r;
            if (!ParseRecordLine(s.text, options.raw, &r, &why)) {
                *error = "record \"" + s.text + "\": " + why;
                return false;
            }
            out.push_back(r);
        }
    }
    *records = out;
    return true;
}

// ---------------------------------------------------------------------------------------------

const char DEMO_USAGE[] =
    "usage: vktool demo [--rate N] [--count N] [--sid S] [--wait SECONDS]\n"
    "Plays a script session into the running debugger (the window captioned \"" DEBUGGER_CAPTION "\"):\n"
    "a session start, then nested calls, trace lines, multi-line and long details, Korean text and\n"
    "the two masked functions, round after round.\n"
    "  --rate N        records per second (default 3; 0.1 to 1000)\n"
    "  --count N       stop after N records, the session start included (default: until the\n"
    "                  debugger window goes away)\n"
    "  --sid S         the session identifier the start record announces (in your locale's\n"
    "                  encoding; sent in code page 949)\n"
    "  --wait SECONDS  wait up to SECONDS for the debugger window to appear (default 0)\n"
    "Exit status: 0 done or the debugger closed, 1 no debugger running, 2 bad arguments,\n"
    "3 the session was refused (Cancel, or a trace already shown).\n";

bool ParseDemoArguments(int argc, const char* const* argv, DemoOptions* options, std::string* error) {
    DemoOptions o;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            o.help = true;
            continue;
        }
        if (a != "--rate" && a != "--count" && a != "--sid" && a != "--wait") {
            *error = (a.size() > 1 && a[0] == '-') ? "unknown option " + a : "unexpected argument " + a;
            return false;
        }
        if (i + 1 >= argc) {
            *error = a + " needs a value";
            return false;
        }
        const std::string value = argv[++i];
        if (a == "--rate") {
            char* end = nullptr;
            errno = 0;
            const double r = std::strtod(value.c_str(), &end);
            if (value.empty() || *end != '\0' || errno != 0 || !std::isfinite(r) || r < 0.1 || r > 1000) {
                *error =
                    "--rate takes a number of records per second from 0.1 to 1000, not \"" + value + "\"";
                return false;
            }
            o.rate = r;
        } else if (a == "--count") {
            std::uint64_t n = 0;
            if (!ParseUnsigned(value, 1000000000u, &n) || n == 0) {
                *error = "--count takes a whole number from 1 to 1000000000, not \"" + value + "\"";
                return false;
            }
            o.count = n;
        } else if (a == "--wait") {
            std::uint64_t n = 0;
            if (!ParseUnsigned(value, 3600, &n)) {
                *error = "--wait takes a whole number of seconds from 0 to 3600, not \"" + value + "\"";
                return false;
            }
            o.waitSeconds = static_cast<unsigned>(n);
        } else {
            if (value.empty()) {
                *error = "--sid needs a session identifier";
                return false;
            }
            if (!ArgumentToCp949(argv[i], &o.sessionId, error)) return false;
        }
    }
    *options = o;
    return true;
}

unsigned DemoIntervalMs(double rate) {
    const double ms = std::floor(1000.0 / rate + 0.5);
    return ms < 1 ? 1u : static_cast<unsigned>(ms);
}

// ---------------------------------------------------------------------------------------------

namespace {

// 12345000 -> "12,345,000"
std::string WithThousands(std::uint64_t value) {
    std::string digits = std::to_string(value);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

EngineRecord Record(std::uint32_t kind, const std::string& payload) {
    EngineRecord r;
    r.kind = kind;
    r.payload = payload;
    return r;
}

} // namespace

DemoScript::DemoScript(std::string sessionId) : m_sessionId(std::move(sessionId)) {}

EngineRecord DemoScript::Next() {
    if (!m_started) {
        m_started = true;
        return Record(RECORD_SESSION_START, m_sessionId);
    }
    if (m_next >= m_pending.size()) FillRound();
    const EngineRecord r = m_pending[m_next++];
    if (r.kind == RECORD_ENTER) ++m_depth;
    if (r.kind == RECORD_LEAVE) --m_depth;
    return r;
}

void DemoScript::FillRound() {
    ++m_round;
    m_pending.clear();
    m_next = 0;
    const std::string n = std::to_string(m_round);
    const std::uint64_t amount = 12345000u + 7000u * m_round;
    const std::string money = WithThousands(amount);
    char account[32];
    std::snprintf(account, sizeof account, "110-234-%06u", 567890u + m_round % 1000u);
    char dump[200];
    std::string hex;
    for (unsigned i = 0; i < 48; ++i) {
        std::snprintf(dump, sizeof dump, "%02X ", (i * 37u + m_round) & 0xFFu);
        hex += dump;
    }
    hex.pop_back();

    auto add = [this](std::uint32_t kind, const std::string& payload) {
        m_pending.push_back(Record(kind, payload));
    };
    add(RECORD_ENTER, "Main|screen=CUST0100 round=" + n);
    add(RECORD_TRACE, "Print|[" + n + "회차] 고객 조회 화면을 시작합니다");
    add(RECORD_ENTER, "OpenScreen|CUST0100");
    add(RECORD_TRACE, "SetField|필드=CUST_NAME^값=홍길동^길이=6");
    add(RECORD_TRACE, "LoadInputFID|FID=" + std::to_string(12000 + m_round) + ";PIN=4821;계좌=" + account);
    add(RECORD_TRACE, std::string("SetField|필드=ACCOUNT^값=") + account);
    add(RECORD_LEAVE, "OpenScreen|0");
    add(RECORD_ENTER, "ValidateInput|CUST0100");
    add(RECORD_TRACE, "S_UpperLower|kim young-hee (round " + n + ") -> KIM YOUNG-HEE");
    add(RECORD_ENTER, "FormatAmount|" + std::to_string(amount));
    add(RECORD_TRACE, "Result|" + money + "원");
    add(RECORD_LEAVE, "FormatAmount|\"" + money + "\"");
    add(RECORD_TRACE, "Query|SELECT CUST_NAME, ACCOUNT_NO, BALANCE\nFROM CUSTOMER\nWHERE CUST_ID = 'C0100'\n"
                      "  AND STATUS = '정상'\nORDER BY ACCOUNT_NO");
    add(RECORD_LEAVE, "ValidateInput|TRUE");
    add(RECORD_TRACE, "Dump|recv 48 bytes: " + hex);
    add(RECORD_TRACE, "Checkpoint");
    add(RECORD_TRACE, "Message|조회가 완료되었습니다.^잔액: " + money + "원^다음 화면으로 이동합니다.");
    add(RECORD_LEAVE, "Main|0");
}
