#include "PageImageDC.h"

CPageImageDC::~CPageImageDC() {
    Release();
}

void CPageImageDC::Release() {
    if (m_hDC != nullptr && m_oldBitmap != nullptr) ::SelectObject(m_hDC, m_oldBitmap);
    m_oldBitmap = nullptr;
    if (m_bitmap != nullptr) {
        ::DeleteObject(m_bitmap);
        AfxCountGdiObject(-1);
        m_bitmap = nullptr;
    }
    m_bits = nullptr;
    DeleteDC();
}

BOOL CPageImageDC::Create(int width, int height, int dpi, int margin) {
    Release();
    if (width <= 0 || height <= 0 || dpi <= 0 || margin < 0 || 2 * margin >= width || 2 * margin >= height)
        return FALSE;
    // Widths and heights past this would make the row size or the sheet's bytes overflow.
    if (width > 20000 || height > 20000) return FALSE;
    if (!CreateCompatibleDC(nullptr)) return FALSE;

    BITMAPINFO bmi = {};
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = width;
    bmi.bmiHeader.biHeight = -height; // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap = ::CreateDIBSection(m_hDC, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (m_bitmap == nullptr || bits == nullptr) {
        if (m_bitmap != nullptr) ::DeleteObject(m_bitmap);
        m_bitmap = nullptr;
        DeleteDC();
        return FALSE;
    }
    AfxCountGdiObject(+1);
    m_oldBitmap = ::SelectObject(m_hDC, m_bitmap);
    m_bits = (BYTE*)bits;
    m_width = width;
    m_height = height;
    m_dpi = dpi;
    m_margin = margin;
    m_stride = (width * 3 + 3) & ~3;
    m_bPrinting = TRUE;
    return TRUE;
}

int CPageImageDC::GetDeviceCaps(int index) const {
    switch (index) {
    case TECHNOLOGY:
        return DT_RASPRINTER;
    case HORZRES:
        return m_width - 2 * m_margin;
    case VERTRES:
        return m_height - 2 * m_margin;
    case PHYSICALWIDTH:
        return m_width;
    case PHYSICALHEIGHT:
        return m_height;
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY:
        return m_margin;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return m_dpi;
    case HORZSIZE:
        return ::MulDiv(m_width - 2 * m_margin, 254, m_dpi * 10);
    case VERTSIZE:
        return ::MulDiv(m_height - 2 * m_margin, 254, m_dpi * 10);
    default:
        return CDC::GetDeviceCaps(index);
    }
}

int CPageImageDC::StartDoc(LPDOCINFOA) {
    if (m_hDC == nullptr || m_inDoc) return SP_ERROR;
    m_inDoc = TRUE;
    m_pages = 0;
    return 1;
}

void CPageImageDC::ResetMapping() {
    ::SetMapMode(m_hDC, MM_TEXT);
    ::SetWindowOrgEx(m_hDC, 0, 0, nullptr);
    ::SetViewportOrgEx(m_hDC, 0, 0, nullptr);
}

int CPageImageDC::StartPage() {
    if (!m_inDoc) return SP_ERROR;
    // A fresh white sheet, and drawing from the printable area's corner as on a printer.
    ResetMapping();
    ::PatBlt(m_hDC, 0, 0, m_width, m_height, WHITENESS);
    ::SetViewportOrgEx(m_hDC, m_margin, m_margin, nullptr);
    m_pages++;
    return 1;
}

int CPageImageDC::EndPage() {
    if (!m_inDoc) return SP_ERROR;
    ::GdiFlush();
    if (m_sink && !m_sink(m_pages, m_bits, m_width, m_height, m_stride)) return SP_ERROR;
    return 1;
}

int CPageImageDC::EndDoc() {
    if (!m_inDoc) return SP_ERROR;
    // The next job measures in device units again, as on a fresh printer context.
    ResetMapping();
    m_inDoc = FALSE;
    return 1;
}

int CPageImageDC::AbortDoc() {
    if (m_hDC != nullptr) ResetMapping();
    m_inDoc = FALSE;
    return 1;
}
