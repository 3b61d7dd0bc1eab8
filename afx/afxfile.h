// CFile (binary, unbuffered semantics over the C runtime), CStdioFile (text or binary lines) and
// CMemFile (in memory).
//
// Text mode is done here rather than by the C runtime, so files are byte-identical whether the
// program runs natively or on Windows: writing turns each LF into CR LF, reading turns each CR LF
// into LF (a CR not followed by LF is kept as it is).
#pragma once

#include "afxexcept.h"
#include "afxstr.h"

#include <climits>
#include <cstdio>
#include <vector>

class CFile : public CObject {
    DECLARE_DYNAMIC(CFile)
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens the file or throws a CFileException.
    CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    virtual UINT Read(void* lpBuf, UINT nCount);
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    virtual ULONGLONG GetLength() const;
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();
    // Closes without throwing (used on error paths and by destructors).
    virtual void Abort();
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    const CString& GetFilePath() const { return m_strFileName; }
    BOOL IsOpen() const { return m_pStream != nullptr; }

protected:
    FILE* m_pStream = nullptr;
    CString m_strFileName;
};

class CStdioFile : public CFile {
    DECLARE_DYNAMIC(CStdioFile)
public:
    CStdioFile() = default;
    CStdioFile(LPCTSTR lpszFileName, UINT nOpenFlags);

    // Text mode unless typeBinary is given.
    BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;

    // Writes the text (each LF as CR LF in text mode); no line end is added.
    virtual void WriteString(LPCTSTR lpsz);
    // Reads at most nMax - 1 characters, stopping after the first LF, which is kept; the buffer is
    // NUL-terminated. NULL when nothing could be read (end of file).
    virtual LPTSTR ReadString(LPTSTR lpsz, UINT nMax);
    // Reads one whole line, of any length, without its LF; FALSE at the end of the file when
    // nothing was read.
    virtual BOOL ReadString(CString& rString);
    // Reads one whole line with its LF (absent only on a last line that has no line end): the
    // line ReadString(lpsz, nMax) gives when nMax is large enough. A line of more than nMax bytes
    // (at most INT_MAX, what a string holds) is read in pieces of nMax bytes, as ReadString does.
    // FALSE at the end of the file when nothing was read. Both forms throw a CFileException on a
    // read error.
    BOOL ReadLine(CString& rString, size_t nMax = (size_t)INT_MAX);

private:
    int GetChar();
    BOOL m_bText = TRUE;
};

class CMemFile : public CFile {
    DECLARE_DYNAMIC(CMemFile)
public:
    CMemFile() = default;
    CMemFile(const BYTE* data, UINT size) : m_data(data, data + size) {}

    BOOL Open(LPCTSTR, UINT, CFileException* = nullptr) override { return TRUE; }
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_data.size(); }
    ULONGLONG GetPosition() const override { return m_pos; }
    void Flush() override {}
    void Close() override {}
    void Abort() override {}
    const std::vector<BYTE>& Data() const { return m_data; }

private:
    std::vector<BYTE> m_data;
    size_t m_pos = 0;
};
