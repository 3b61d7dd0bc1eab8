#include "afxstr.h"

#include "afxexcept.h"

#include <cstdio>
#include <cstring>
#include <vector>

BOOL AfxIsLeadByte(BYTE b)
{
#ifdef _WIN32
    return IsDBCSLeadByte(b);
#else
    return b >= 0x81 && b <= 0xFE;
#endif
}

#ifndef _WIN32
int _mbscmp(const unsigned char* a, const unsigned char* b)
{
    int r = std::strcmp((const char*)a, (const char*)b);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}
#endif

CString& CString::operator=(LPCTSTR psz)
{
    m_s.assign(psz ? psz : "");
    return *this;
}

CString& CString::operator=(TCHAR ch)
{
    m_s.assign(1, ch);
    return *this;
}

void CString::Empty()
{
    std::string().swap(m_s);
}

CString& CString::operator+=(const CString& s)
{
    m_s += s.m_s;
    return *this;
}

CString& CString::operator+=(LPCTSTR psz)
{
    if (psz) m_s += psz;
    return *this;
}

CString& CString::operator+=(TCHAR ch)
{
    m_s += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, LPCTSTR b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(LPCTSTR a, const CString& b)
{
    CString r(a);
    r += b;
    return r;
}

CString operator+(const CString& a, TCHAR b)
{
    CString r(a);
    r += b;
    return r;
}

int CString::Compare(LPCTSTR psz) const
{
    return _mbscmp((const unsigned char*)m_s.c_str(), (const unsigned char*)(psz ? psz : ""));
}

int CString::CompareNoCase(LPCTSTR psz) const
{
    CString a(*this), b(psz);
    a.MakeLower();
    b.MakeLower();
    return a.Compare(b);
}

CString CString::Mid(int nFirst) const
{
    return Mid(nFirst, GetLength() - nFirst);
}

CString CString::Mid(int nFirst, int nCount) const
{
    if (nFirst < 0) nFirst = 0;
    if (nCount < 0) nCount = 0;
    int len = GetLength();
    if (nFirst >= len) return CString();
    if (nCount > len - nFirst) nCount = len - nFirst;
    return CString(m_s.data() + nFirst, nCount);
}

CString CString::Left(int nCount) const
{
    if (nCount < 0) nCount = 0;
    if (nCount >= GetLength()) return *this;
    return CString(m_s.data(), nCount);
}

CString CString::Right(int nCount) const
{
    if (nCount < 0) nCount = 0;
    int len = GetLength();
    if (nCount >= len) return *this;
    return CString(m_s.data() + len - nCount, nCount);
}

// Case conversion touches single-byte ASCII letters only and steps over double-byte characters.
static void ConvertCase(std::string& s, bool upper)
{
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = (unsigned char)s[i];
        if (AfxIsLeadByte(c) && i + 1 < s.size()) {
            ++i;
            continue;
        }
        if (upper && c >= 'a' && c <= 'z') s[i] = (char)(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') s[i] = (char)(c - 'A' + 'a');
    }
}

void CString::MakeUpper() { ConvertCase(m_s, true); }
void CString::MakeLower() { ConvertCase(m_s, false); }

static bool IsSpaceByte(unsigned char c) { return c == ' ' || (c >= 0x09 && c <= 0x0D); }

void CString::TrimRight()
{
    size_t n = m_s.size();
    while (n > 0 && IsSpaceByte((unsigned char)m_s[n - 1])) --n;
    m_s.resize(n);
}

void CString::TrimLeft()
{
    size_t n = 0;
    while (n < m_s.size() && IsSpaceByte((unsigned char)m_s[n])) ++n;
    m_s.erase(0, n);
}

int CString::Find(TCHAR ch, int nStart) const
{
    if (nStart < 0 || nStart >= GetLength()) return -1;
    size_t p = m_s.find(ch, (size_t)nStart);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::Find(LPCTSTR pszSub, int nStart) const
{
    if (!pszSub || nStart < 0 || nStart > GetLength()) return -1;
    size_t p = m_s.find(pszSub, (size_t)nStart);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::ReverseFind(TCHAR ch) const
{
    size_t p = m_s.rfind(ch);
    return p == std::string::npos ? -1 : (int)p;
}

int CString::Replace(TCHAR chOld, TCHAR chNew)
{
    int n = 0;
    for (char& c : m_s) {
        if (c == chOld) {
            c = chNew;
            ++n;
        }
    }
    return n;
}

// One pass over the text, building the result once: linear whatever the number of matches.
int CString::Replace(LPCTSTR pszOld, LPCTSTR pszNew)
{
    if (!pszOld || !*pszOld) return 0;
    const size_t oldLen = std::strlen(pszOld);
    const char* repl = pszNew ? pszNew : "";
    size_t pos = m_s.find(pszOld);
    if (pos == std::string::npos) return 0;
    std::string out;
    out.reserve(m_s.size());
    size_t from = 0;
    int n = 0;
    while (pos != std::string::npos) {
        out.append(m_s, from, pos - from);
        out.append(repl);
        from = pos + oldLen;
        ++n;
        pos = m_s.find(pszOld, from);
    }
    out.append(m_s, from, std::string::npos);
    m_s.swap(out);
    return n;
}

int CString::Remove(TCHAR ch)
{
    size_t before = m_s.size();
    std::string out;
    out.reserve(before);
    for (char c : m_s)
        if (c != ch) out += c;
    m_s.swap(out);
    return (int)(before - m_s.size());
}

int CString::Insert(int nIndex, TCHAR ch)
{
    if (nIndex < 0) nIndex = 0;
    if (nIndex > GetLength()) nIndex = GetLength();
    m_s.insert((size_t)nIndex, 1, ch);
    return GetLength();
}

int CString::Insert(int nIndex, LPCTSTR psz)
{
    if (nIndex < 0) nIndex = 0;
    if (nIndex > GetLength()) nIndex = GetLength();
    if (psz) m_s.insert((size_t)nIndex, psz);
    return GetLength();
}

int CString::Delete(int nIndex, int nCount)
{
    if (nIndex < 0) nIndex = 0;
    if (nCount > 0 && nIndex < GetLength()) m_s.erase((size_t)nIndex, (size_t)nCount);
    return GetLength();
}

void CString::Format(LPCTSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCTSTR pszFormat, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, copy);
    va_end(copy);
    if (n < 0) {
        m_s.clear();
        return;
    }
    std::string out((size_t)n + 1, '\0');
    std::vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize((size_t)n);
    m_s.swap(out);
}

LPTSTR CString::GetBuffer(int nMinBufLength)
{
    if (nMinBufLength > GetLength()) {
        // Keep the text's length: the extra room is filled with NULs, which ReleaseBuffer(-1)
        // then cuts off again unless the caller wrote over them.
        m_s.resize((size_t)nMinBufLength, '\0');
    }
    return &m_s[0];
}

LPTSTR CString::GetBufferSetLength(int nNewLength)
{
    if (nNewLength < 0) nNewLength = 0;
    m_s.resize((size_t)nNewLength, '\0');
    return &m_s[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    if (nNewLength < 0) nNewLength = (int)std::strlen(m_s.c_str());
    if ((size_t)nNewLength > m_s.size()) nNewLength = (int)m_s.size();
    m_s.resize((size_t)nNewLength);
}

BOOL AfxExtractSubString(CString& rString, LPCTSTR lpszFullString, int iSubString, TCHAR chSep)
{
    if (lpszFullString == nullptr) {
        rString.Empty();
        return FALSE;
    }
    while (iSubString--) {
        lpszFullString = std::strchr(lpszFullString, chSep);
        if (lpszFullString == nullptr) {
            rString.Empty();
            return FALSE;
        }
        lpszFullString++;
    }
    const char* end = std::strchr(lpszFullString, chSep);
    int len = end == nullptr ? (int)std::strlen(lpszFullString) : (int)(end - lpszFullString);
    rString = CString(lpszFullString, len);
    return TRUE;
}
