// The two cell painters: a fixed (heading) cell with its edges, and a scrolling (body) cell in
// its focused, selected or normal look. Everything selected into the context is restored (within
// a paint that shares its objects, all but the paint's font; see GridPaintObjects.h).
#include "GridMainWnd.h"
#include "GridPaintObjects.h"

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

// A brush or pen for one cell: the paint's shared one when the cell is drawn within a paint
// that shares its objects, else the cell's own, deleted when the cell is done.
class CellBrush {
public:
    CellBrush(CGridPaintObjects* shared, COLORREF color) : handle(shared ? shared->Brush(color) : nullptr) {
        if (handle == nullptr) {
            own.CreateSolidBrush(color);
            handle = own;
        }
    }
    operator HBRUSH() const { return handle; }

private:
    CBrush own;
    HBRUSH handle;
};

class CellPen {
public:
    CellPen(CGridPaintObjects* shared, int style, int width, COLORREF color)
        : handle(shared ? shared->Pen(style, width, color) : nullptr) {
        if (handle == nullptr) {
            own.CreatePen(style, width, color);
            handle = own;
        }
    }
    operator HPEN() const { return handle; }

private:
    CPen own;
    HPEN handle;
};

// What a cell painter changes in the context, put back when the cell is done. Outside a paint
// that shares its objects the whole state is saved and restored (SaveDC / RestoreDC). Within
// one, that would cost more than the cell's drawing, mostly in selecting the font again; there
// the cell puts back by hand the few attributes it changes (background mode, text and background
// colours, pen, brush, current position) and leaves the paint's shared font selected for the
// next cell.
class CellContext {
public:
    CellContext(CDC* pDC, CGridPaintObjects* shared) : dc(pDC), shared(shared) {
        if (shared == nullptr) {
            saved = dc->SaveDC();
            return;
        }
        HDC h = dc->m_hDC;
        bkMode = ::GetBkMode(h);
        textColor = ::GetTextColor(h);
        bkColor = ::GetBkColor(h);
        ::GetCurrentPositionEx(h, &position);
    }
    ~CellContext() {
        if (shared == nullptr) {
            dc->RestoreDC(saved);
            return; // the cell's own font, no longer selected, is deleted after this
        }
        HDC h = dc->m_hDC;
        if (fontBefore != nullptr) ::SelectObject(h, fontBefore);
        if (penBefore != nullptr) ::SelectObject(h, penBefore);
        if (brushBefore != nullptr) ::SelectObject(h, brushBefore);
        // Only what did change: some of these setters cost a call into the system.
        POINT now;
        if (::GetCurrentPositionEx(h, &now) && (now.x != position.x || now.y != position.y))
            ::MoveToEx(h, position.x, position.y, nullptr);
        if (::GetBkColor(h) != bkColor) ::SetBkColor(h, bkColor);
        if (::GetTextColor(h) != textColor) ::SetTextColor(h, textColor);
        if (::GetBkMode(h) != bkMode) ::SetBkMode(h, bkMode);
    }
    CellContext(const CellContext&) = delete;
    CellContext& operator=(const CellContext&) = delete;

    // The cell's font: the paint's shared one, or one of the cell's own.
    void SelectFont(const LOGFONTA* lf) {
        if (shared != nullptr && shared->SelectFont(lf)) return;
        ownFont.CreateFontIndirect(lf);
        HGDIOBJ before = dc->SelectObject(&ownFont);
        if (shared != nullptr && fontBefore == nullptr) fontBefore = before;
    }
    // The black pen and the hollow brush of a focus or frame rectangle.
    void SelectRectangleTools() {
        HGDIOBJ pen = dc->SelectStockObject(BLACK_PEN);
        HGDIOBJ brush = dc->SelectStockObject(NULL_BRUSH);
        if (penBefore == nullptr) penBefore = pen;
        if (brushBefore == nullptr) brushBefore = brush;
    }

private:
    CDC* dc;
    CGridPaintObjects* shared;
    int saved = 0;
    int bkMode = 0;
    COLORREF textColor = 0, bkColor = 0;
    POINT position = {0, 0};
    HGDIOBJ fontBefore = nullptr, penBefore = nullptr, brushBefore = nullptr;
    CFont ownFont; // declared last: deleted once the context no longer holds it
};
} // namespace

// A cell's text as DrawTextA draws it. Most cells hold a left-aligned line that fits: DrawTextA
// then comes down to one clipped ExtTextOutA, but measures the text and the font again for it at
// every call, which is most of a cell's drawing time. Within a paint such a line is drawn with
// that ExtTextOutA alone, measured by the font's width table and placed where DrawTextA places
// it (found by DrawTextA itself, once a font and height). Everything else goes to DrawTextA:
// other formats, prefix and control characters, texts that do not fit, contexts not in plain
// pixels.
void CGridMainWnd::DrawCellText(CDC* pDC, CGridPaintObjects* shared, const LOGFONTA* font, const char* text,
                                RECT* rect, UINT format) {
    const UINT kLine = DT_SINGLELINE | DT_VCENTER;
    int length = 0, top = 0;
    bool plain = shared != nullptr && shared->PlainText() &&
                 (format & ~(DT_WORDBREAK | DT_NOPREFIX)) == kLine && text != nullptr && font != nullptr &&
                 rect->left >= 0 && rect->top >= 0;
    for (; plain && text[length] != '\0'; length++)
        plain = (BYTE)text[length] >= 0x20 && (text[length] != '&' || (format & DT_NOPREFIX));
    if (plain && length == 0) return; // DrawTextA draws nothing either
    CTextWidthTable* widths = plain ? widthTables.Find(pDC, *font) : nullptr;
    CSize extent;
    if (widths != nullptr && widths->Measure(pDC, text, &extent) && extent.cx < rect->right - rect->left &&
        widths->CentredLineTop(pDC, rect->bottom - rect->top, &top)) {
        ::ExtTextOutA(pDC->m_hDC, rect->left, rect->top + top, ETO_CLIPPED, rect, text, length, nullptr);
        return;
    }
    ::DrawTextA(pDC->m_hDC, text, -1, rect, format);
}

CGridPaintObjects* CGridMainWnd::SharedPaintObjects(const CDC* pDC) const {
    return paintObjects != nullptr && paintObjects->Covers(pDC) ? paintObjects : nullptr;
}

BOOL CGridMainWnd::PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL) {
    if (!drawingEnabled) return FALSE;
    GridItemDesc desc;
    desc.row = row;
    desc.col = col;
    desc.mask = DESC_TEXT | DESC_IMAGE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
    if (!GetCellDesc(&desc)) return FALSE;
    CGridPaintObjects* shared = SharedPaintObjects(pDC);

    if (!pDC->IsPrinting()) {
        CellBrush brush(shared, desc.bkColor == CELL_DEFAULT_COLOR ? fixedBkColor : desc.bkColor);
        ::FillRect(pDC->m_hDC, &rect, brush);
    }
    // Set before the context is saved, so it stays in the context.
    pDC->SetTextColor(desc.textColor == CELL_DEFAULT_COLOR ? fixedTextColor : desc.textColor);
    CellContext context(pDC, shared);
    const LOGFONTA* font = GetCellFont(row, col);
    context.SelectFont(font);

    // Edges: the top edge in its own colour when the frame is drawn; the others in the edge
    // colour for the three heading colours it was chosen for, else in a fixed light grey.
    bool knownBk = fixedBkColor == 0xD0CEA9 || fixedBkColor == 0xE8EEEF || fixedBkColor == 0xEDEDD9;
    CellPen topPen(shared, PS_SOLID, 1, fixedTopEdgeColor);
    CellPen edgePen(shared, PS_SOLID, 1, knownBk ? fixedEdgeColor : RGB(198, 215, 215));
    int x0 = col > 0 ? rect.left - 1 : rect.left;
    HGDIOBJ keptPen = ::GetCurrentObject(pDC->m_hAttribDC, OBJ_PEN);
    pDC->SelectObject(drawFrame ? (HPEN)topPen : (HPEN)edgePen);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(x0, rect.top);
    pDC->SelectObject((HPEN)edgePen);
    pDC->LineTo(x0, rect.bottom);
    pDC->MoveTo(rect.right, rect.top);
    pDC->LineTo(rect.right, rect.bottom - 1);
    pDC->LineTo(x0, rect.bottom - 1);
    pDC->SelectObject(keptPen);
    rect.InflateRect(-1, -1);

    pDC->SetBkMode(TRANSPARENT);
    DrawCellImage(imageList, desc.image, pDC, rect); // the text is not moved for the image
    ApplyTextMargins(rect, desc.format);
    DrawCellText(pDC, shared, font, desc.text, &rect, desc.format);
    return TRUE;
}

BOOL CGridMainWnd::PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL) {
    if (!drawingEnabled) return FALSE;
    GridItemDesc desc;
    desc.row = row;
    desc.col = col;
    desc.mask = DESC_TEXT | DESC_IMAGE | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
    if (!GetCellDesc(&desc)) return FALSE;
    CGridPaintObjects* shared = SharedPaintObjects(pDC);

    COLORREF back = desc.bkColor == CELL_DEFAULT_COLOR ? cellBkColor : desc.bkColor;
    COLORREF fore = desc.textColor == CELL_DEFAULT_COLOR ? cellTextColor : desc.textColor;
    CellContext context(pDC, shared);
    pDC->SetBkMode(TRANSPARENT);

    // The fills cover the inclusive right column and bottom row.
    CRect fill(rect.left, rect.top, rect.right + 1, rect.bottom + 1);
    bool printing = pDC->IsPrinting() != FALSE;
    if ((desc.state & CELL_FOCUSED) && !printing) {
        ::FillRect(pDC->m_hDC, &fill, CellBrush(shared, back));
        context.SelectRectangleTools();
        ::Rectangle(pDC->m_hDC, rect.left, rect.top, rect.right, rect.bottom);
        pDC->SetTextColor(fore);
        rect.InflateRect(-1, -1);
    } else if ((desc.state & CELL_SELECTED) && !printing) {
        pDC->FillSolidRect(&fill, selectionBkColor);
        pDC->SetTextColor(RGB(0, 0, 0));
    } else {
        ::FillRect(pDC->m_hDC, &fill, CellBrush(shared, back));
        pDC->SetTextColor(fore);
    }
    if ((desc.state & CELL_FRAMED) && !printing) {
        context.SelectRectangleTools();
        ::Rectangle(pDC->m_hDC, rect.left, rect.top, rect.right, rect.bottom);
    }

    const LOGFONTA* font = GetCellFont(row, col);
    context.SelectFont(font);
    DrawCellImage(imageList, desc.image, pDC, rect);

    CString text = desc.text;
    if (desc.state & CELL_MASKED)
        for (int i = 0; i < text.GetLength(); i++)
            text.Replace(text[i], '*');
    ApplyTextMargins(rect, desc.format);
    DrawCellText(pDC, shared, font, text, &rect, desc.format);
    return TRUE;
}
