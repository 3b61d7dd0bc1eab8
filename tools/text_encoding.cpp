// Text encodings for vktool: iconv on Linux, the Win32 code page functions on Windows.
#include "text_encoding.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <shellapi.h>
#else
#include <cerrno>
#include <clocale>
#include <iconv.h>
#include <langinfo.h>
#endif

namespace {

std::string g_inputEncoding = TEXT_ENCODING_CP949;
std::string g_outputEncoding = TEXT_ENCODING_CP949;

void AppendByteEscape(std::string* out, unsigned char byte) {
    static const char digits[] = "0123456789ABCDEF";
    *out += "\\x";
    *out += digits[byte >> 4];
    *out += digits[byte & 15];
}

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsUtf8Name(const std::string& name) {
    const std::string u = Upper(name);
    return u == "UTF-8" || u == "UTF8" || u == "CP65001";
}

#ifdef _WIN32

std::string CodePageName(UINT cp) {
    return cp == CP_UTF8 ? std::string(TEXT_ENCODING_UTF8) : "CP" + std::to_string(cp);
}

// The code page an encoding name stands for; 0 when there is none.
UINT CodePageOf(const std::string& name) {
    if (IsUtf8Name(name)) return CP_UTF8;
    const std::string u = Upper(name);
    if (u.size() < 3 || u.size() > 7 || u.compare(0, 2, "CP") != 0) return 0;
    UINT cp = 0;
    for (std::size_t i = 2; i < u.size(); ++i) {
        if (u[i] < '0' || u[i] > '9') return 0;
        cp = cp * 10 + static_cast<UINT>(u[i] - '0');
    }
    return IsValidCodePage(cp) ? cp : 0;
}

// Strict conversions: FALSE for invalid input or a character without a code (no best fit, no
// default character).
bool ToWide(UINT cp, const char* s, std::size_t n, std::wstring* w) {
    w->clear();
    if (n == 0) return true;
    const int m = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, s, static_cast<int>(n), nullptr, 0);
    if (m <= 0) return false;
    w->resize(static_cast<std::size_t>(m));
    return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, s, static_cast<int>(n), &(*w)[0], m) == m;
}

bool FromWide(UINT cp, const wchar_t* w, std::size_t n, std::string* s) {
    s->clear();
    if (n == 0) return true;
    // UTF-8 takes no best-fit flag and no default character; it fails only on lone surrogates.
    const DWORD flags = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = cp == CP_UTF8 ? nullptr : &usedDefault;
    const int m = WideCharToMultiByte(cp, flags, w, static_cast<int>(n), nullptr, 0, nullptr, used);
    if (m <= 0 || usedDefault) return false;
    s->resize(static_cast<std::size_t>(m));
    return WideCharToMultiByte(cp, flags, w, static_cast<int>(n), &(*s)[0], m, nullptr, used) == m &&
           !usedDefault;
}

unsigned long CodePointAt(const std::wstring& w, std::size_t i) {
    const unsigned long c = static_cast<unsigned short>(w[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < w.size()) {
        const unsigned long lo = static_cast<unsigned short>(w[i + 1]);
        if (lo >= 0xDC00 && lo <= 0xDFFF) return 0x10000 + ((c - 0xD800) << 10) + (lo - 0xDC00);
    }
    return c;
}

// Bytes of the character starting at in[pos] (at least 1; a bad lead byte counts as one).
std::size_t CharLength(UINT cp, const std::string& in, std::size_t pos) {
    const unsigned char b = static_cast<unsigned char>(in[pos]);
    std::size_t n = 1;
    if (cp == CP_UTF8)
        n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    else if (IsDBCSLeadByteEx(cp, b))
        n = 2;
    return std::min(n, in.size() - pos);
}

// The conversion of every function below. escape: a problem's bytes are written as "\xNN" and
// the conversion goes on; otherwise it stops there. TRUE when there was no problem.
bool Convert(const std::string& in, const std::string& from, const std::string& to, std::string* out,
             TextProblem* problem, bool escape) {
    out->clear();
    *problem = TextProblem();
    const UINT fromCp = CodePageOf(from), toCp = CodePageOf(to);
    if (!fromCp || !toCp) {
        problem->kind = TextProblem::UNSUPPORTED;
        return false;
    }
    std::wstring wide;
    if (ToWide(fromCp, in.data(), in.size(), &wide) && FromWide(toCp, wide.data(), wide.size(), out))
        return true;
    // Character by character, to find (and with escape, to pass) each problem.
    out->clear();
    bool clean = true;
    std::string piece;
    for (std::size_t pos = 0; pos < in.size();) {
        const std::size_t n = CharLength(fromCp, in, pos);
        TextProblem p;
        p.offset = pos;
        if (!ToWide(fromCp, in.data() + pos, n, &wide)) {
            p.kind = TextProblem::INVALID;
            p.length = 1;
        } else if (!FromWide(toCp, wide.data(), wide.size(), &piece)) {
            p.kind = TextProblem::UNMAPPABLE;
            p.length = n;
            p.codePoint = wide.empty() ? 0 : CodePointAt(wide, 0);
        } else {
            *out += piece;
            pos += n;
            continue;
        }
        if (clean) *problem = p;
        clean = false;
        if (!escape) return false;
        for (std::size_t i = 0; i < p.length; ++i)
            AppendByteEscape(out, static_cast<unsigned char>(in[pos + i]));
        pos += p.length;
    }
    return clean;
}

// A wide text for a message in the user's output encoding, "?" for what that lacks (not the
// look-alike a best-fit conversion would choose: "cafe" for "café" would mislead).
std::string WideForMessage(const std::wstring& w) {
    const UINT cp = CodePageOf(g_outputEncoding) ? CodePageOf(g_outputEncoding) : CP_ACP;
    const DWORD flags = cp == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = cp == CP_UTF8 ? nullptr : "?";
    const int n =
        WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, fallback, nullptr);
    if (n <= 0) return std::string();
    std::string text(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(cp, flags, w.data(), static_cast<int>(w.size()), &text[0], n, fallback, nullptr);
    return text;
}

// The program's arguments as the C runtime received them (in the ANSI code page) with their
// wide forms from the command line: the ANSI forms have lost every character the ANSI code page
// lacks, to "?" or to a look-alike.
std::vector<std::pair<const char*, std::wstring>> g_wideArguments;

#else // iconv

class Iconv {
public:
    Iconv(const std::string& to, const std::string& from) : m_cd(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (Ok()) iconv_close(m_cd);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// What stopped iconv at in[offset]: a character the target lacks (one that converts alone to a
// single UTF-32 code point) or bytes that are not text in the source encoding.
TextProblem Classify(const std::string& in, std::size_t offset, Iconv& probe) {
    TextProblem p;
    p.kind = TextProblem::INVALID;
    p.offset = offset;
    p.length = 1;
    if (!probe.Ok()) return p;
    for (std::size_t k = 1; k <= 4 && offset + k <= in.size(); ++k) {
        iconv(probe.Get(), nullptr, nullptr, nullptr, nullptr);
        char* ip = const_cast<char*>(in.data()) + offset;
        std::size_t il = k;
        unsigned char buf[16];
        char* op = reinterpret_cast<char*>(buf);
        std::size_t ol = sizeof buf;
        if (iconv(probe.Get(), &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && il == 0) {
            if (sizeof buf - ol == 4) {
                p.kind = TextProblem::UNMAPPABLE;
                p.length = k;
                p.codePoint =
                    buf[0] | (buf[1] << 8) | (buf[2] << 16) | (static_cast<unsigned long>(buf[3]) << 24);
            }
            return p;
        }
        if (errno != EINVAL) return p; // not the start of a character
    }
    return p;
}

bool Convert(const std::string& in, const std::string& from, const std::string& to, std::string* out,
             TextProblem* problem, bool escape) {
    out->clear();
    *problem = TextProblem();
    Iconv cd(to, from);
    if (!cd.Ok()) {
        problem->kind = TextProblem::UNSUPPORTED;
        return false;
    }
    bool clean = true;
    std::unique_ptr<Iconv> probe; // opened at the first problem
    char* ip = const_cast<char*>(in.data());
    std::size_t il = in.size();
    char buf[8192];
    while (il > 0) {
        char* op = buf;
        std::size_t ol = sizeof buf;
        const std::size_t r = iconv(cd.Get(), &ip, &il, &op, &ol);
        const int e = errno;
        out->append(buf, static_cast<std::size_t>(op - buf));
        if (r != static_cast<std::size_t>(-1) || e == E2BIG) continue;
        if (!probe) probe.reset(new Iconv("UTF-32LE", from));
        // The system's converter may fail on a cut-off character at the end after taking its
        // bytes: the problem is then named at the last byte.
        std::size_t at = static_cast<std::size_t>(ip - in.data());
        if (at >= in.size()) {
            at = in.size() - 1;
            ip = const_cast<char*>(in.data()) + at;
            il = 1;
        }
        const TextProblem p = Classify(in, at, *probe);
        if (clean) *problem = p;
        clean = false;
        if (!escape) return false;
        // At least one byte is passed, and never more than are left (a character cut off at
        // the end is classified by bytes that are not there).
        const std::size_t skip = std::min(std::max<std::size_t>(p.length, 1), il);
        for (std::size_t i = 0; i < skip; ++i)
            AppendByteEscape(out, static_cast<unsigned char>(ip[i]));
        ip += skip;
        il -= skip;
        iconv(cd.Get(), nullptr, nullptr, nullptr, nullptr);
    }
    char* op = buf;
    std::size_t ol = sizeof buf;
    iconv(cd.Get(), nullptr, nullptr, &op, &ol); // the closing shift sequence of a stateful encoding
    out->append(buf, static_cast<std::size_t>(op - buf));
    return clean;
}

#endif

std::string Hex(unsigned long value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*lX", digits, value);
    return text;
}

} // namespace

void InitUserEncoding(int argc, char** argv) {
#ifdef _WIN32
    const UINT console = GetConsoleOutputCP();
    g_inputEncoding = CodePageName(GetACP());
    g_outputEncoding = CodePageName(console ? console : GetACP());
    g_wideArguments.clear();
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (!wide) return;
    // Paired with the C runtime's arguments only where both split the command line alike: the
    // ANSI form of the wide argument must be the argument received.
    if (wideCount == argc) {
        for (int i = 1; i < argc; ++i) {
            const int n = WideCharToMultiByte(CP_ACP, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            if (n <= 0) continue;
            std::string ansi(static_cast<std::size_t>(n), '\0');
            WideCharToMultiByte(CP_ACP, 0, wide[i], -1, &ansi[0], n, nullptr, nullptr);
            if (std::strcmp(ansi.c_str(), argv[i]) == 0) g_wideArguments.emplace_back(argv[i], wide[i]);
        }
    }
    LocalFree(wide);
#else
    (void)argc;
    (void)argv;
    std::setlocale(LC_ALL, "");
    // Numbers in arguments and messages keep the decimal point whatever the locale.
    std::setlocale(LC_NUMERIC, "C");
    std::string codeset = nl_langinfo(CODESET);
    // The C locale's codeset is ASCII, which no Korean text fits: take the terminal as UTF-8.
    if (codeset.empty() || codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset == "US-ASCII")
        codeset = TEXT_ENCODING_UTF8;
    g_inputEncoding = g_outputEncoding = codeset;
#endif
}

void SetUserEncoding(const std::string& name) {
    g_inputEncoding = g_outputEncoding = name;
#ifdef _WIN32
    g_wideArguments.clear();
#endif
}

std::string UserInputEncoding() {
    return g_inputEncoding;
}

std::string UserOutputEncoding() {
    return g_outputEncoding;
}

bool ConvertText(const std::string& in, const std::string& from, const std::string& to, std::string* out,
                 TextProblem* problem) {
    return Convert(in, from, to, out, problem, false);
}

std::string EncodingDisplayName(const std::string& name) {
    if (IsUtf8Name(name)) return TEXT_ENCODING_UTF8;
    const std::string u = Upper(name);
    if (u.size() > 2 && u.compare(0, 2, "CP") == 0 &&
        u.find_first_not_of("0123456789", 2) == std::string::npos)
        return "code page " + u.substr(2);
    return name;
}

std::string DescribeTextProblem(const TextProblem& problem, const std::string& in, const std::string& from,
                                const std::string& to, bool withLine) {
    std::string where;
    if (withLine && problem.kind != TextProblem::UNSUPPORTED) {
        const std::size_t end = std::min(problem.offset, in.size());
        where = "line " + std::to_string(1 + std::count(in.begin(), in.begin() + end, '\n')) + ": ";
    }
    switch (problem.kind) {
    case TextProblem::INVALID: {
        const unsigned char b =
            problem.offset < in.size() ? static_cast<unsigned char>(in[problem.offset]) : 0;
        return where + "byte 0x" + Hex(b, 2) +
               (withLine ? "" : " (byte " + std::to_string(problem.offset + 1) + ")") + " is not " +
               EncodingDisplayName(from) + " text";
    }
    case TextProblem::UNMAPPABLE:
        return where + "the character U+" + Hex(problem.codePoint, 4) + " has no code in " +
               EncodingDisplayName(to);
    case TextProblem::UNSUPPORTED:
        return "this system cannot convert " + EncodingDisplayName(from) + " to " + EncodingDisplayName(to);
    default:
        return "no problem";
    }
}

bool ArgumentToCp949(const char* argument, std::string* text, std::string* error) {
    const std::string given = argument;
    std::string problem;
#ifdef _WIN32
    for (const auto& a : g_wideArguments) {
        if (a.first != argument) continue;
        const std::wstring& w = a.second;
        if (FromWide(949, w.data(), w.size(), text)) return true;
        // The first character without a code, for the message.
        std::string piece;
        for (std::size_t i = 0; i < w.size(); ++i) {
            const std::size_t n = CodePointAt(w, i) > 0xFFFF ? 2 : 1;
            if (!FromWide(949, w.data() + i, n, &piece)) {
                TextProblem p;
                p.kind = TextProblem::UNMAPPABLE;
                p.codePoint = CodePointAt(w, i);
                problem = DescribeTextProblem(p, given, g_inputEncoding, TEXT_ENCODING_CP949, false);
                break;
            }
            i += n - 1;
        }
        if (problem.empty()) problem = "the text cannot be written in code page 949";
        *error = "\"" + WideForMessage(w) + "\": " + problem + ", the debugger's encoding";
        return false;
    }
#endif
    TextProblem p;
    std::string converted;
    if (ConvertText(given, g_inputEncoding, TEXT_ENCODING_CP949, &converted, &p)) {
        *text = converted;
        return true;
    }
    problem = DescribeTextProblem(p, given, g_inputEncoding, TEXT_ENCODING_CP949, false);
    if (p.kind == TextProblem::UNMAPPABLE) problem += ", the debugger's encoding";
    if (p.kind == TextProblem::INVALID) problem += ", the encoding of your locale";
    *error = "\"" + given + "\": " + problem;
    return false;
}

std::string Cp949ToUserText(const std::string& text) {
    std::string out;
    TextProblem p;
    Convert(text, TEXT_ENCODING_CP949, g_outputEncoding, &out, &p, true);
    if (p.kind == TextProblem::UNSUPPORTED) {
        // No conversion to the user's encoding: ASCII as it is, every other byte escaped.
        out.clear();
        for (char c : text) {
            if (static_cast<unsigned char>(c) < 0x80)
                out += c;
            else
                AppendByteEscape(&out, static_cast<unsigned char>(c));
        }
    }
    return out;
}

bool WriteCp949Text(FILE* out, const std::string& text, bool raw) {
    const std::string shown = raw ? text : Cp949ToUserText(text);
    return shown.empty() || std::fwrite(shown.data(), 1, shown.size(), out) == shown.size();
}
