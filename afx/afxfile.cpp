#include "afxfile.h"

#include <cerrno>
#include <cstring>
#ifndef _WIN32
#include <sys/stat.h>
#endif

IMPLEMENT_DYNAMIC(CFile, CObject)
IMPLEMENT_DYNAMIC(CStdioFile, CFile)
IMPLEMENT_DYNAMIC(CMemFile, CFile)

static int CauseFromErrno(int e)
{
    switch (e) {
    case ENOENT: return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG: return CFileException::badPath;
    case EMFILE:
    case ENFILE: return CFileException::tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return CFileException::accessDenied;
    case ENOSPC: return CFileException::diskFull;
    default: return CFileException::generic;
    }
}

static LONGLONG Tell64(FILE* f)
{
#ifdef _WIN32
    return _ftelli64(f);
#else
    return ftello(f);
#endif
}

static int Seek64(FILE* f, LONGLONG off, int whence)
{
#ifdef _WIN32
    return _fseeki64(f, off, whence);
#else
    return fseeko(f, (off_t)off, whence);
#endif
}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, lpszFileName);
}

CFile::~CFile()
{
    if (m_pStream) Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    if (m_pStream) Abort();
    const char* mode;
    switch (nOpenFlags & 3) {
    case modeWrite: mode = (nOpenFlags & modeCreate) ? ((nOpenFlags & modeNoTruncate) ? "ab" : "wb") : "r+b"; break;
    case modeReadWrite: mode = (nOpenFlags & modeCreate) && !(nOpenFlags & modeNoTruncate) ? "w+b" : "r+b"; break;
    default: mode = "rb"; break;
    }
    m_strFileName = lpszFileName;
    errno = 0;
    m_pStream = lpszFileName ? std::fopen(lpszFileName, mode) : nullptr;
    if (m_pStream == nullptr && (nOpenFlags & modeCreate) && (nOpenFlags & modeNoTruncate) && (nOpenFlags & 3) == modeReadWrite)
        m_pStream = std::fopen(lpszFileName, "w+b");
#ifndef _WIN32
    // A directory opens as a stream here but not on Windows, where opening it as a file fails
    // with access denied; fail the same way, so a directory never reads as an empty or broken file.
    struct stat st;
    if (m_pStream != nullptr && fstat(fileno(m_pStream), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(m_pStream);
        m_pStream = nullptr;
        errno = EISDIR;
    }
#endif
    if (m_pStream == nullptr) {
        if (pError) {
            pError->m_cause = CauseFromErrno(errno);
            pError->m_lOsError = errno;
            pError->m_strFileName = lpszFileName;
        }
        return FALSE;
    }
    return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount)
{
    if (nCount == 0) return 0;
    size_t n = std::fread(lpBuf, 1, nCount, m_pStream);
    if (n < nCount && std::ferror(m_pStream)) {
        std::clearerr(m_pStream);
        AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    }
    return (UINT)n;
}

void CFile::Write(const void* lpBuf, UINT nCount)
{
    if (nCount == 0) return;
    if (std::fwrite(lpBuf, 1, nCount, m_pStream) != nCount) {
        int e = errno;
        std::clearerr(m_pStream);
        AfxThrowFileException(e == ENOSPC ? CFileException::diskFull : CFileException::generic, e, m_strFileName);
    }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom)
{
    int whence = nFrom == current ? SEEK_CUR : (nFrom == end ? SEEK_END : SEEK_SET);
    if (Seek64(m_pStream, lOff, whence) != 0) AfxThrowFileException(CFileException::badSeek, errno, m_strFileName);
    return (ULONGLONG)Tell64(m_pStream);
}

ULONGLONG CFile::GetPosition() const
{
    LONGLONG p = Tell64(m_pStream);
    if (p < 0) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    return (ULONGLONG)p;
}

ULONGLONG CFile::GetLength() const
{
    LONGLONG here = Tell64(m_pStream);
    if (here < 0 || Seek64(m_pStream, 0, SEEK_END) != 0) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    LONGLONG len = Tell64(m_pStream);
    Seek64(m_pStream, here, SEEK_SET);
    if (len < 0) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    return (ULONGLONG)len;
}

void CFile::Flush()
{
    if (m_pStream && std::fflush(m_pStream) != 0) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
}

void CFile::Close()
{
    if (m_pStream == nullptr) return;
    FILE* f = m_pStream;
    m_pStream = nullptr;
    if (std::fclose(f) != 0) AfxThrowFileException(CFileException::generic, errno, m_strFileName);
}

void CFile::Abort()
{
    if (m_pStream) std::fclose(m_pStream);
    m_pStream = nullptr;
}

CStdioFile::CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags)
{
    CFileException e;
    if (!Open(lpszFileName, nOpenFlags, &e)) AfxThrowFileException(e.m_cause, e.m_lOsError, lpszFileName);
}

BOOL CStdioFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError)
{
    m_bText = (nOpenFlags & typeBinary) == 0;
    return CFile::Open(lpszFileName, nOpenFlags & ~(UINT)(typeText | typeBinary), pError);
}

// The C runtime's getc without its per-call lock: a file object belongs to one thread.
#ifdef _WIN32
#define VK_GETC(f) _getc_nolock(f)
#else
#define VK_GETC(f) getc_unlocked(f)
#endif

// One character in the file's mode: CR LF reads as LF in text mode.
int CStdioFile::GetChar()
{
    int c = VK_GETC(m_pStream);
    if (c == '\r' && m_bText) {
        int next = VK_GETC(m_pStream);
        if (next == '\n') return '\n';
        if (next != EOF) std::ungetc(next, m_pStream);
    }
    return c;
}

UINT CStdioFile::Read(void* lpBuf, UINT nCount)
{
    if (!m_bText) return CFile::Read(lpBuf, nCount);
    BYTE* out = (BYTE*)lpBuf;
    UINT n = 0;
    int c;
    while (n < nCount && (c = GetChar()) != EOF) out[n++] = (BYTE)c;
    if (std::ferror(m_pStream)) {
        std::clearerr(m_pStream);
        AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    }
    return n;
}

void CStdioFile::Write(const void* lpBuf, UINT nCount)
{
    if (!m_bText) {
        CFile::Write(lpBuf, nCount);
        return;
    }
    const BYTE* p = (const BYTE*)lpBuf;
    const BYTE* end = p + nCount;
    while (p < end) {
        const BYTE* lf = (const BYTE*)std::memchr(p, '\n', (size_t)(end - p));
        const BYTE* stop = lf ? lf : end;
        CFile::Write(p, (UINT)(stop - p));
        if (lf == nullptr) break;
        CFile::Write("\r\n", 2);
        p = lf + 1;
    }
}

void CStdioFile::WriteString(LPCTSTR lpsz)
{
    if (lpsz) Write(lpsz, (UINT)std::strlen(lpsz));
}

LPTSTR CStdioFile::ReadString(LPTSTR lpsz, UINT nMax)
{
    if (lpsz == nullptr || nMax == 0) return nullptr;
    UINT n = 0;
    while (n + 1 < nMax) {
        int c = GetChar();
        if (c == EOF) break;
        lpsz[n++] = (char)c;
        if (c == '\n') break;
    }
    lpsz[n] = '\0';
    if (std::ferror(m_pStream)) {
        std::clearerr(m_pStream);
        AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    }
    return n == 0 ? nullptr : lpsz;
}

BOOL CStdioFile::ReadLine(CString& rString, size_t nMax)
{
    // Gathered in a local buffer and grown by doubling, so a line of any length costs time in
    // proportion to its length. A string holds at most INT_MAX bytes: a longer line is read in
    // pieces, like the rest of one that passes nMax.
    if (nMax > (size_t)INT_MAX) nMax = (size_t)INT_MAX;
    std::string line;
    char chunk[4096];
    size_t n = 0;
    int c = EOF;
    while (line.size() + n < nMax && (c = GetChar()) != EOF) {
        chunk[n++] = (char)c;
        if (c == '\n') break;
        if (n == sizeof chunk) {
            line.append(chunk, n);
            n = 0;
        }
    }
    line.append(chunk, n);
    if (std::ferror(m_pStream)) {
        std::clearerr(m_pStream);
        AfxThrowFileException(CFileException::generic, errno, m_strFileName);
    }
    rString = CString(line.data(), (int)line.size());
    return line.empty() ? FALSE : TRUE;
}

BOOL CStdioFile::ReadString(CString& rString)
{
    if (!ReadLine(rString)) return FALSE;
    int n = rString.GetLength();
    if (rString[n - 1] == '\n') rString = rString.Left(n - 1);
    return TRUE;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount)
{
    size_t avail = m_pos < m_data.size() ? m_data.size() - m_pos : 0;
    size_t n = nCount < avail ? nCount : avail;
    if (n) std::memcpy(lpBuf, m_data.data() + m_pos, n);
    m_pos += n;
    return (UINT)n;
}

void CMemFile::Write(const void* lpBuf, UINT nCount)
{
    if (m_pos + nCount > m_data.size()) m_data.resize(m_pos + nCount);
    if (nCount) std::memcpy(m_data.data() + m_pos, lpBuf, nCount);
    m_pos += nCount;
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom)
{
    LONGLONG base = nFrom == current ? (LONGLONG)m_pos : (nFrom == end ? (LONGLONG)m_data.size() : 0);
    if (base + lOff < 0) AfxThrowFileException(CFileException::badSeek);
    m_pos = (size_t)(base + lOff);
    return m_pos;
}
