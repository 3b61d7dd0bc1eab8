// CGridPaintObjects: the brushes, pens and fonts that the cells of one paint share, so that a
// cell finds the objects an earlier cell of the same paint made instead of making and deleting
// its own; a paint of a full window draws about a hundred and fifty cells in a handful of
// colours and one font.
//
// It lives on the stack for one paint of one device context: DrawGrid and RepaintRow make it
// (through CGridPaintScope), the cell painters ask it for their objects while it covers their
// context, and it deletes everything when the paint ends. Nothing survives the paint, so a later
// change of the grid's colours or fonts, or of the system colours, is drawn by the next paint
// with objects made afresh.
//
// Within the paint the cells leave the shared font they drew with selected in the context (a
// font selection is costly, and the next cell mostly wants the same font); everything else a
// cell changes it puts back itself. The font the context held when the paint began is selected
// again before the shared fonts are deleted.
#pragma once

#include "afxwin.h"

class CGridPaintObjects {
public:
    // Shares objects among the cells painted on pDC until it is destroyed.
    explicit CGridPaintObjects(CDC* pDC);
    ~CGridPaintObjects();
    CGridPaintObjects(const CGridPaintObjects&) = delete;
    CGridPaintObjects& operator=(const CGridPaintObjects&) = delete;

    // TRUE when the cells painted on pDC share these objects: pDC is the paint's context, with its
    // output and attributes in the one DC (a context that keeps them apart, as a print preview
    // does, gets what every cell makes for itself).
    BOOL Covers(const CDC* pDC) const {
        return pDC != nullptr && hdc != nullptr && pDC->m_hDC == hdc && pDC->m_hAttribDC == hdc;
    }

    // A solid brush, or a pen of the style, width and colour, made on first use. NULL when it
    // cannot be made or when the paint already holds as many as it keeps: the caller then makes
    // its own object, as outside a paint.
    HBRUSH Brush(COLORREF color);
    HPEN Pen(int style, int width, COLORREF color);
    // Selects the font made from *lf into the context unless it is selected already. FALSE when
    // the font cannot be had (see Brush); nothing is selected then.
    BOOL SelectFont(const LOGFONTA* lf);

    // TRUE when the cells may place their texts themselves (GridCellPaint.cpp): a context that
    // does not print, in pixels, with texts aligned at their top left.
    BOOL PlainText() const { return plainText; }
    // Enough for every colour and font of a usual paint; a paint that uses more makes the rest
    // per cell.
    enum { MAX_BRUSHES = 16, MAX_PENS = 8, MAX_FONTS = 8 };

private:
    HDC hdc;
    HGDIOBJ originalFont; // selected when the paint ends
    BOOL plainText;

    int brushCount = 0;
    COLORREF brushColors[MAX_BRUSHES];
    CBrush brushes[MAX_BRUSHES];

    int penCount = 0;
    struct PenKey {
        int style, width;
        COLORREF color;
    } penKeys[MAX_PENS];
    CPen pens[MAX_PENS];

    int fontCount = 0;
    LOGFONTA fontKeys[MAX_FONTS];
    CFont fonts[MAX_FONTS];
};

// Makes a paint's shared objects the grid's (its `paintObjects`) for as long as it lives, then
// gives the grid back whatever it had before (nothing, unless paints nest).
class CGridPaintScope {
public:
    CGridPaintScope(CGridPaintObjects*& current, CDC* pDC) : current(current), objects(pDC), outer(current) {
        current = &objects;
    }
    ~CGridPaintScope() { current = outer; }
    CGridPaintScope(const CGridPaintScope&) = delete;
    CGridPaintScope& operator=(const CGridPaintScope&) = delete;

private:
    CGridPaintObjects*& current;
    CGridPaintObjects objects;
    CGridPaintObjects* outer;
};
