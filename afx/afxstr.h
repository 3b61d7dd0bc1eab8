// CString: a multi-byte (ANSI) string with MFC's interface. Every length and index counts bytes.
//
// Searching, replacing and trimming work byte by byte. In the code pages this program runs in
// (949 above all) no byte that these operations look for (ASCII punctuation, control characters,
// white space) can be the trail byte of a double-byte character, so the byte-wise result equals
// the character-wise one for every well-formed text, and a malformed text is still split exactly
// where its bytes say. Only the case conversions must know about double-byte characters: trail
// bytes may be ASCII letters, and they are left alone.
#pragma once

#include "afxtypes.h"

#include <climits>
#include <cstdarg>
#include <cstddef>
#ifdef _WIN32
#include <mbstring.h>
#endif
#include <string>

class CString {
public:
    CString() = default;
    CString(const CString& s) = default;
    CString(CString&& s) noexcept = default;
    CString(LPCTSTR psz) : m_s(psz ? psz : "") {}
    CString(LPCTSTR pch, int nLength) : m_s(pch, nLength > 0 ? (size_t)nLength : 0) {}
    CString(TCHAR ch, int nRepeat = 1) : m_s(nRepeat > 0 ? (size_t)nRepeat : 0, ch) {}

    CString& operator=(const CString& s) = default;
    CString& operator=(CString&& s) noexcept = default;
    CString& operator=(LPCTSTR psz);
    CString& operator=(TCHAR ch);

    int GetLength() const { return (int)m_s.size(); }
    BOOL IsEmpty() const { return m_s.empty(); }
    void Empty();
    TCHAR GetAt(int nIndex) const { return m_s[(size_t)nIndex]; }
    TCHAR operator[](int nIndex) const { return m_s[(size_t)nIndex]; }
    void SetAt(int nIndex, TCHAR ch) { m_s[(size_t)nIndex] = ch; }
    operator LPCTSTR() const { return m_s.c_str(); }

    CString& operator+=(const CString& s);
    CString& operator+=(LPCTSTR psz);
    CString& operator+=(TCHAR ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCTSTR b);
    friend CString operator+(LPCTSTR a, const CString& b);
    friend CString operator+(const CString& a, TCHAR b);

    // Byte-order comparison (as _mbscmp): negative, 0 or positive.
    int Compare(LPCTSTR psz) const;
    int CompareNoCase(LPCTSTR psz) const;

    CString Mid(int nFirst) const;
    CString Mid(int nFirst, int nCount) const;
    CString Left(int nCount) const;
    CString Right(int nCount) const;

    void MakeUpper();
    void MakeLower();
    void TrimRight();
    void TrimLeft();

    int Find(TCHAR ch) const { return Find(ch, 0); }
    int Find(TCHAR ch, int nStart) const;
    int Find(LPCTSTR pszSub) const { return Find(pszSub, 0); }
    int Find(LPCTSTR pszSub, int nStart) const;
    int ReverseFind(TCHAR ch) const;

    // Replaces every occurrence; returns how many were replaced.
    int Replace(TCHAR chOld, TCHAR chNew);
    int Replace(LPCTSTR pszOld, LPCTSTR pszNew);
    int Remove(TCHAR ch);
    int Insert(int nIndex, TCHAR ch);
    int Insert(int nIndex, LPCTSTR psz);
    int Delete(int nIndex, int nCount = 1);

    void Format(LPCTSTR pszFormat, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;
    void FormatV(LPCTSTR pszFormat, va_list args);

    // Buffer access: GetBuffer keeps the length until ReleaseBuffer; GetBufferSetLength sets it.
    // ReleaseBuffer(-1) makes the length end at the first NUL byte of the buffer.
    LPTSTR GetBuffer(int nMinBufLength);
    LPTSTR GetBufferSetLength(int nNewLength);
    void ReleaseBuffer(int nNewLength = -1);

    const std::string& str() const { return m_s; }

private:
    std::string m_s;
};

inline bool operator==(const CString& a, const CString& b) { return a.Compare(b) == 0; }
inline bool operator==(const CString& a, LPCTSTR b) { return a.Compare(b) == 0; }
inline bool operator==(LPCTSTR a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return a.Compare(b) != 0; }
inline bool operator!=(const CString& a, LPCTSTR b) { return a.Compare(b) != 0; }
inline bool operator!=(LPCTSTR a, const CString& b) { return b.Compare(a) != 0; }
inline bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
inline bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }

#ifndef _WIN32
// The runtime library's multi-byte comparison: byte order, case-sensitive. Windows has its own.
int _mbscmp(const unsigned char* a, const unsigned char* b);
#endif
// The most bytes a CString holds: its lengths are ints, and the standard string under it holds
// less on a 32-bit build (1 GiB). Readers of outside input check a length against it before they
// build a string of it, so that an oversized file is refused rather than ending the program.
inline size_t AfxMaxStringLength() {
    const size_t held = std::string().max_size();
    return held < (size_t)INT_MAX ? held : (size_t)INT_MAX;
}

// TRUE when the byte starts a double-byte character in the process's ANSI code page
// (natively: code page 949, whose lead bytes are 0x81 to 0xFE).
BOOL AfxIsLeadByte(BYTE b);

// Sets rString to substring iSubString of lpszFullString split at chSep; FALSE (and an empty
// rString) when there are fewer substrings.
BOOL AfxExtractSubString(CString& rString, LPCTSTR lpszFullString, int iSubString, TCHAR chSep = '\n');
