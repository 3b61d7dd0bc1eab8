// CSharedFile: a memory file kept in one global memory block, the form in which data is handed
// to the clipboard. Detach gives the block away; a block still held is freed with the file.
#pragma once

#include "afxwin.h"

class CSharedFile : public CFile {
    DECLARE_DYNAMIC(CSharedFile)
public:
    explicit CSharedFile(UINT nAllocFlags = GMEM_DDESHARE | GMEM_MOVEABLE, UINT nGrowBytes = 4096);
    ~CSharedFile() override;

    // The block and its ownership; the file is empty afterwards. The block may be larger than
    // the file's length (it grows in steps of nGrowBytes).
    HGLOBAL Detach();
    // Takes a block over as the file's contents (its whole size); with bAllowGrow FALSE a write
    // past its end throws a CMemoryException instead of growing it.
    void SetHandle(HGLOBAL hGlobalMemory, BOOL bAllowGrow = TRUE);

    BOOL Open(LPCTSTR, UINT, CFileException* = nullptr) override { return TRUE; }
    UINT Read(void* lpBuf, UINT nCount) override;
    // Grows the block as needed; throws a CMemoryException when it cannot.
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_nFileSize; }
    ULONGLONG GetPosition() const override { return m_nPosition; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

private:
    void GrowBlock(SIZE_T nNewSize);

    UINT m_nAllocFlags;
    UINT m_nGrowBytes;
    HGLOBAL m_hGlobal = nullptr;
    SIZE_T m_nBufferSize = 0;
    SIZE_T m_nFileSize = 0;
    SIZE_T m_nPosition = 0;
    BOOL m_bAllowGrow = TRUE;
};
