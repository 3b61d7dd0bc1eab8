// CPageImageDC: a stand-in for a printer that draws each page into a bitmap of a whole sheet, so
// that the grid's printing can be archived as images or looked at without a printer.
//
// It is a memory context over a 24-bit top-down bitmap of width x height pixels at dpi dots per
// inch. It answers GetDeviceCaps as a printer does: the printable area (HORZRES, VERTRES) is the
// sheet less a margin on every side, and drawing starts at the printable area's top-left corner.
// StartPage clears the sheet to white; EndPage hands the finished sheet to the page callback.
#pragma once

#include "afxwin.h"

#include <functional>

class CPageImageDC : public CDC {
public:
    // One finished sheet: its ordinal in the document (from 1) and its pixels, rows from the top,
    // 3 bytes per pixel in blue, green, red order, stride bytes from one row to the next. FALSE
    // stops the job (EndPage then fails).
    typedef std::function<BOOL(UINT ordinal, const BYTE* bgr, int width, int height, int stride)> PageSink;

    CPageImageDC() = default;
    ~CPageImageDC() override;

    // Makes the context and the sheet; FALSE when the sizes are not positive or there is not
    // enough memory for them.
    BOOL Create(int width, int height, int dpi, int margin);
    void SetPageSink(PageSink sink) { m_sink = std::move(sink); }

    int GetDeviceCaps(int index) const override;
    int StartDoc(LPDOCINFOA lpDocInfo) override;
    int StartPage() override;
    int EndPage() override;
    int EndDoc() override;
    int AbortDoc() override;

    // The sheet's pixels as EndPage hands them on (for tests).
    const BYTE* Bits() const { return m_bits; }
    int Stride() const { return m_stride; }

protected:
    void Release();
    void ResetMapping();

    HBITMAP m_bitmap = nullptr;
    HGDIOBJ m_oldBitmap = nullptr;
    BYTE* m_bits = nullptr;
    int m_width = 0, m_height = 0, m_dpi = 0, m_margin = 0, m_stride = 0;
    UINT m_pages = 0;
    BOOL m_inDoc = FALSE;
    PageSink m_sink;
};
