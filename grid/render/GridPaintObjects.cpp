// CGridPaintObjects: one paint's shared brushes, pens and fonts.
#include "GridPaintObjects.h"
#include "GridDefs.h"

#include <cstring>

CGridPaintObjects::CGridPaintObjects(CDC* pDC)
    : hdc(pDC->m_hDC), originalFont(::GetCurrentObject(pDC->m_hDC, OBJ_FONT)),
      plainText(!pDC->IsPrinting() && ::GetMapMode(hdc) == MM_TEXT &&
                ::GetGraphicsMode(hdc) == GM_COMPATIBLE &&
                ::GetTextAlign(hdc) == (TA_LEFT | TA_TOP | TA_NOUPDATECP)) {}

CGridPaintObjects::~CGridPaintObjects() {
    // A selected font cannot be deleted: give the context its own font back first.
    if (hdc != nullptr && originalFont != nullptr && ::GetCurrentObject(hdc, OBJ_FONT) != originalFont)
        ::SelectObject(hdc, originalFont);
    // The members' destructors delete the brushes, pens and fonts.
}

HBRUSH CGridPaintObjects::Brush(COLORREF color) {
    for (int i = 0; i < brushCount; i++)
        if (brushColors[i] == color) return brushes[i];
    if (brushCount == MAX_BRUSHES || !brushes[brushCount].CreateSolidBrush(color)) return nullptr;
    brushColors[brushCount] = color;
    return brushes[brushCount++];
}

HPEN CGridPaintObjects::Pen(int style, int width, COLORREF color) {
    for (int i = 0; i < penCount; i++)
        if (penKeys[i].style == style && penKeys[i].width == width && penKeys[i].color == color)
            return pens[i];
    if (penCount == MAX_PENS || !pens[penCount].CreatePen(style, width, color)) return nullptr;
    penKeys[penCount] = {style, width, color};
    return pens[penCount++];
}

BOOL CGridPaintObjects::SelectFont(const LOGFONTA* lf) {
    HFONT font = nullptr;
    for (int i = 0; i < fontCount && font == nullptr; i++)
        if (IsSameLogFont(fontKeys[i], *lf)) font = fonts[i];
    if (font == nullptr) {
        if (fontCount == MAX_FONTS || !fonts[fontCount].CreateFontIndirect(lf)) return FALSE;
        fontKeys[fontCount] = *lf;
        font = fonts[fontCount++];
    }
    if (::GetCurrentObject(hdc, OBJ_FONT) != font) ::SelectObject(hdc, font);
    return TRUE;
}
