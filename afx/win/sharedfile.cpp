// CSharedFile: reads and writes through the locked global block, which grows by whole steps.
#include "afxadv.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CSharedFile, CFile)

CSharedFile::CSharedFile(UINT nAllocFlags, UINT nGrowBytes)
    : m_nAllocFlags(nAllocFlags), m_nGrowBytes(nGrowBytes != 0 ? nGrowBytes : 1) {}

CSharedFile::~CSharedFile() {
    Close();
}

void CSharedFile::Close() {
    if (m_hGlobal != nullptr) ::GlobalFree(m_hGlobal);
    m_hGlobal = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
}

HGLOBAL CSharedFile::Detach() {
    HGLOBAL h = m_hGlobal;
    m_hGlobal = nullptr;
    m_nBufferSize = m_nFileSize = m_nPosition = 0;
    return h;
}

void CSharedFile::SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow) {
    Close();
    m_hGlobal = hGlobalMemory;
    m_nBufferSize = m_nFileSize = hGlobalMemory != nullptr ? ::GlobalSize(hGlobalMemory) : 0;
    m_bAllowGrow = bAllowGrow;
}

void CSharedFile::GrowBlock(SIZE_T nNewSize) {
    if (nNewSize <= m_nBufferSize) return;
    if (!m_bAllowGrow) AfxThrowMemoryException();
    // Whole steps, and at least twice the old size: a long file is reallocated (and perhaps
    // copied) a number of times that grows with the logarithm of its length, not the length.
    if (nNewSize < m_nBufferSize * 2) nNewSize = m_nBufferSize * 2;
    SIZE_T steps = (nNewSize + m_nGrowBytes - 1) / m_nGrowBytes;
    SIZE_T size = steps * m_nGrowBytes;
    HGLOBAL h = m_hGlobal == nullptr ? ::GlobalAlloc(m_nAllocFlags, size)
                                     : ::GlobalReAlloc(m_hGlobal, size, m_nAllocFlags);
    // A failed reallocation leaves the old block as it was, still the file's.
    if (h == nullptr) AfxThrowMemoryException();
    m_hGlobal = h;
    m_nBufferSize = size;
}

UINT CSharedFile::Read(void* lpBuf, UINT nCount) {
    if (m_nPosition >= m_nFileSize || nCount == 0 || m_hGlobal == nullptr) return 0;
    SIZE_T n = m_nFileSize - m_nPosition;
    if (n > nCount) n = nCount;
    const BYTE* p = (const BYTE*)::GlobalLock(m_hGlobal);
    if (p == nullptr) return 0;
    std::memcpy(lpBuf, p + m_nPosition, n);
    ::GlobalUnlock(m_hGlobal);
    m_nPosition += n;
    return (UINT)n;
}

void CSharedFile::Write(const void* lpBuf, UINT nCount) {
    if (nCount == 0) return;
    GrowBlock(m_nPosition + nCount);
    BYTE* p = (BYTE*)::GlobalLock(m_hGlobal);
    if (p == nullptr) AfxThrowMemoryException();
    std::memcpy(p + m_nPosition, lpBuf, nCount);
    ::GlobalUnlock(m_hGlobal);
    m_nPosition += nCount;
    if (m_nPosition > m_nFileSize) m_nFileSize = m_nPosition;
}

ULONGLONG CSharedFile::Seek(LONGLONG lOff, UINT nFrom) {
    LONGLONG base = nFrom == begin ? 0 : nFrom == current ? (LONGLONG)m_nPosition : (LONGLONG)m_nFileSize;
    LONGLONG pos = base + lOff;
    if (pos < 0) AfxThrowFileException(CFileException::badSeek);
    m_nPosition = (SIZE_T)pos;
    return m_nPosition;
}
