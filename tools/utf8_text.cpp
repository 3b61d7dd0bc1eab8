#include "utf8_text.h"

#include <algorithm>

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <cerrno>
#include <iconv.h>
#endif

namespace {

#ifndef _WIN32
const iconv_t kNoConverter = (iconv_t)-1;
#endif

bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; i++)
        if ((unsigned char)text[i] >= 0x80) return false;
    return true;
}

} // namespace

#ifdef _WIN32

CUtf8Text::CUtf8Text() : m_converter(nullptr) {}
CUtf8Text::~CUtf8Text() {}

bool CUtf8Text::Convert(const char* text, size_t length, std::string* out) {
    // The whole text in one go; where that fails, character by character, to pass each bad byte.
    const auto piece = [this, out](const char* p, int n) {
        const int w = MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, p, n, nullptr, 0);
        if (w <= 0) return false;
        m_wide.resize((size_t)w);
        MultiByteToWideChar(949, MB_ERR_INVALID_CHARS, p, n, &m_wide[0], w);
        const int u = WideCharToMultiByte(CP_UTF8, 0, m_wide.data(), w, nullptr, 0, nullptr, nullptr);
        if (u <= 0) return false;
        const size_t at = out->size();
        out->resize(at + (size_t)u);
        WideCharToMultiByte(CP_UTF8, 0, m_wide.data(), w, &(*out)[at], u, nullptr, nullptr);
        return true;
    };
    if (!IsValidCodePage(949)) return false;
    if (piece(text, (int)length)) return true;
    for (size_t pos = 0; pos < length;) {
        size_t n = IsDBCSLeadByteEx(949, (BYTE)text[pos]) ? 2 : 1;
        n = std::min(n, length - pos);
        if (piece(text + pos, (int)n)) {
            pos += n;
        } else {
            AppendEscaped((unsigned char)text[pos], out);
            pos++;
        }
    }
    return true;
}

#else

CUtf8Text::CUtf8Text() : m_converter((void*)iconv_open("UTF-8", "CP949")) {}

CUtf8Text::~CUtf8Text() {
    if ((iconv_t)m_converter != kNoConverter) iconv_close((iconv_t)m_converter);
}

bool CUtf8Text::Convert(const char* text, size_t length, std::string* out) {
    const iconv_t cd = (iconv_t)m_converter;
    if (cd == kNoConverter) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text);
    size_t inLeft = length;
    while (inLeft > 0) {
        // A character of 949 takes at most one and a half times its bytes in UTF-8.
        const size_t at = out->size(), room = inLeft * 2 + 16;
        out->resize(at + room);
        char* o = &(*out)[at];
        size_t oLeft = room;
        const size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        const int e = errno;
        out->resize(at + room - oLeft);
        if (r != (size_t)-1 || e == E2BIG) continue;
        // A byte that is not text, or a lead byte the text ends with.
        AppendEscaped((unsigned char)*in, out);
        in++;
        inLeft--;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

#endif

void CUtf8Text::AppendEscaped(unsigned char byte, std::string* out) {
    static const char digits[] = "0123456789ABCDEF";
    const char escape[4] = {'\\', 'x', digits[byte >> 4], digits[byte & 15]};
    out->append(escape, 4);
}

void CUtf8Text::Append(const char* text, size_t length, std::string* out) {
    if (IsAscii(text, length)) {
        out->append(text, length);
        return;
    }
    if (Convert(text, length, out)) return;
    // No conversion on this system: ASCII as it is, every other byte escaped.
    for (size_t i = 0; i < length; i++) {
        if ((unsigned char)text[i] < 0x80)
            out->push_back(text[i]);
        else
            AppendEscaped((unsigned char)text[i], out);
    }
}
