// The two cell painters: a fixed (heading) cell with its edges, and a scrolling (body) cell in
// its focused, selected or normal look. Everything selected into the context is restored.
#include "GridMainWnd.h"

namespace {
// Text gets a 5-pixel margin on the side it is aligned to; centred text gets none.
void ApplyTextMargins(CRect& rect, UINT format) {
    if (format & DT_RIGHT)
        rect.right -= 5;
    else if (!(format & DT_CENTER))
        rect.left += 5;
}

void DrawCellImage(CImageList* list, int image, CDC* pDC, const CRect& rect) {
    IMAGEINFO info;
    if (list != nullptr && image >= 0 && list->GetImageInfo(image, &info))
        ::ImageList_Draw(list->m_hImageList, image, pDC->m_hDC, rect.left, rect.top, ILD_NORMAL);
}
} // namespace

BOOL CGridMainWnd::PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL) {
    if (!drawingEnabled) return FALSE;
    GridItemDesc desc;
    desc.row = row;
    desc.col = col;
    desc.mask = DESC_TEXT | DESC_IMAGE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
    if (!GetCellDesc(&desc)) return FALSE;

    if (!pDC->IsPrinting()) {
        CBrush brush(desc.bkColor == CELL_DEFAULT_COLOR ? fixedBkColor : desc.bkColor);
        ::FillRect(pDC->m_hDC, &rect, (HBRUSH)brush.m_hObject);
    }
    // Set before SaveDC, so it stays in the context.
    pDC->SetTextColor(desc.textColor == CELL_DEFAULT_COLOR ? fixedTextColor : desc.textColor);
    int saved = pDC->SaveDC();

    CFont font;
    font.CreateFontIndirect(GetCellFont(row, col));
    pDC->SelectObject(&font);

    // Edges: the top edge in its own colour when the frame is drawn; the others in the edge
    // colour for the three heading colours it was chosen for, else in a fixed light grey.
    CPen topPen, edgePen;
    topPen.CreatePen(PS_SOLID, 1, fixedTopEdgeColor);
    bool knownBk = fixedBkColor == 0xD0CEA9 || fixedBkColor == 0xE8EEEF || fixedBkColor == 0xEDEDD9;
    edgePen.CreatePen(PS_SOLID, 1, knownBk ? fixedEdgeColor : RGB(198, 215, 215));
    int x0 = col > 0 ? rect.left - 1 : rect.left;
    HGDIOBJ keptPen = ::GetCurrentObject(pDC->m_hAttribDC, OBJ_PEN);
    pDC->SelectObject(drawFrame ? &topPen : &edgePen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(x0, rect.top);
    pDC->SelectObject(&edgePen);
    pDC->LineTo(x0, rect.bottom);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.right, rect.bottom - 1);
    pDC->LineTo(x0, rect.bottom - 1);
    pDC->SelectObject(keptPen);
    topPen.DeleteObject();
    edgePen.DeleteObject();
    rect.InflateRect(-1, -1);

    pDC->SetBkMode(TRANSPARENT);
    DrawCellImage(imageList, desc.image, pDC, rect); // the text is not moved for the image
    ApplyTextMargins(rect, desc.format);
    ::DrawTextA(pDC->m_hDC, desc.text, -1, &rect, desc.format);

    pDC->RestoreDC(saved);
    font.DeleteObject();
    return TRUE;
}

BOOL CGridMainWnd::PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL) {
    if (!drawingEnabled) return FALSE;
    GridItemDesc desc;
    desc.row = row;
    desc.col = col;
    desc.mask = DESC_TEXT | DESC_IMAGE | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
    if (!GetCellDesc(&desc)) return FALSE;

    COLORREF back = desc.bkColor == CELL_DEFAULT_COLOR ? cellBkColor : desc.bkColor;
    COLORREF fore = desc.textColor == CELL_DEFAULT_COLOR ? cellTextColor : desc.textColor;
    int saved = pDC->SaveDC();
    pDC->SetBkMode(TRANSPARENT);

    // The fills cover the inclusive right column and bottom row.
    CRect fill(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    bool printing = pDC->IsPrinting() != FALSE;
    if ((desc.state & CELL_FOCUSED) && !printing) {
        CBrush brush(back);
        ::FillRect(pDC->m_hDC, &fill, (HBRUSH)brush.m_hObject);
        pDC->SelectStockObject(BLACK_PEN);
        pDC->SelectStockObject(NULL_BRUSH);
        ::Rectangle(pDC->m_hDC, rect.left, rect.top, rect.right, rect.bottom);
        pDC->SetTextColor(fore);
        rect.InflateRect(-1, -1);
    } else if ((desc.state & CELL_SELECTED) && !printing) {
        pDC->FillSolidRect(&fill, selectionBkColor);
        pDC->SetTextColor(RGB(0, 0, 0));
    } else {
        CBrush brush(back);
        ::FillRect(pDC->m_hDC, &fill, (HBRUSH)brush.m_hObject);
        pDC->SetTextColor(fore);
    }
    if ((desc.state & CELL_FRAMED) && !printing) {
        pDC->SelectStockObject(BLACK_PEN);
        pDC->SelectStockObject(NULL_BRUSH);
        ::Rectangle(pDC->m_hDC, rect.left, rect.top, rect.right, rect.bottom);
    }

    CFont font;
    font.CreateFontIndirect(GetCellFont(row, col));
    pDC->SelectObject(&font);
    DrawCellImage(imageList, desc.image, pDC, rect);

    CString text = desc.text;
    if (desc.state & CELL_MASKED)
        for (int i = 0; i < text.GetLength(); i++)
            text.Replace(text[i], '*');
    ApplyTextMargins(rect, desc.format);
    ::DrawTextA(pDC->m_hDC, text, -1, &rect, desc.format);

    pDC->RestoreDC(saved);
    font.DeleteObject();
    return TRUE;
}
