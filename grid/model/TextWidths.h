// The widths of the characters of one font, so that many texts in it are measured without
// asking the system for each: a text's extent is its characters' widths added up, plus the
// font's overhang once. Single-byte characters are measured when the table is made, the
// double-byte characters of a lead byte when a text first has one. A font whose extents of
// texts are not those sums (found on texts of all its characters) is not measured by table.
// The table keeps no GDI object: it makes the font again for the little it measures later.
#pragma once

#include "afxwin.h"

#include <vector>

class CTextWidthTable {
public:
    // Makes the table for `font` unless it is for that font already, measuring with pDC (the
    // font selected into it meanwhile). FALSE when texts in the font cannot be measured by it.
    BOOL Prepare(CDC* pDC, const LOGFONTA& font);
    // The extent the system gives `text` in the table's font (after a successful Prepare);
    // FALSE when the table cannot tell, for a byte sequence that is no character of the code
    // page or a lead byte whose characters do not add up.
    BOOL Measure(CDC* pDC, const char* text, CSize* extent);
    // TRUE when the table is made for `font` (whether or not it can measure its texts).
    BOOL IsMadeFor(const LOGFONTA& font) const;
    // Where DrawTextA puts the top of a single line of the table's font that it centres
    // vertically (DT_SINGLELINE | DT_VCENTER) in a rectangle `height` pixels high, relative to the
    // rectangle's top. Found once for each height, by drawing a line with DrawTextA and finding
    // which placement of the same line gives the same pixels; FALSE when none does.
    BOOL CentredLineTop(CDC* pDC, int height, int* top);

private:
    // Measures what is not known yet with the font selected into pDC.
    BOOL MeasureSingles(CDC* pDC);
    void MeasureLead(CDC* pDC, BYTE lead);
    // The text's extent from the system, its width less the overhang.
    int SystemWidth(CDC* pDC, const char* text, int length, int* height = nullptr) const;
    int FindCentredLineTop(CDC* pDC, int height);

    bool m_made = false;   // m_font is the font the rest was made for
    bool m_usable = false; // and its texts can be measured by the table
    LOGFONTA m_font = {};
    UINT m_codePage = CP_ACP;
    int m_overhang = 0;
    CSize m_empty;                 // the extent of an empty text
    int m_height = 0;              // the height of every other text
    int m_single[256] = {};        // -1: a lead byte
    std::vector<int> m_pairs[256]; // for a lead byte met: each trail byte's pair, -1: no character
    enum { LINE_TOP_UNKNOWN = -2, LINE_TOP_NONE = -1, MAX_LINE_HEIGHT = 128 };
    signed char m_lineTop[MAX_LINE_HEIGHT]; // CentredLineTop's answers by height
};

// The tables of the last few fonts met, so that the cells and columns of a grid in a handful of
// fonts (the body's, the headings', a bold one) do not make a font's table again and again.
class CTextWidthTables {
public:
    // The table for `font`, made in place of the one used longest ago when it is not among them;
    // NULL when the font's texts cannot be measured by table.
    CTextWidthTable* Find(CDC* pDC, const LOGFONTA& font);

private:
    enum { COUNT = 4 };
    CTextWidthTable m_tables[COUNT];
    unsigned m_lastUse[COUNT] = {};
    unsigned m_clock = 0;
};
