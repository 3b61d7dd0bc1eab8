// The widths of the characters of one font, so that many texts in it are measured without
// asking the system for each: a text's extent is its characters' widths added up, plus the
// font's overhang once. Single-byte characters are measured when the table is made, the
// double-byte characters of a lead byte when a text first has one. A font whose extents of
// texts are not those sums (found on texts of all its characters) is not measured by table.
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

private:
    // Measures what is not known yet with the font selected into pDC.
    BOOL MeasureSingles(CDC* pDC);
    void MeasureLead(CDC* pDC, BYTE lead);
    // The text's extent from the system, its width less the overhang.
    int SystemWidth(CDC* pDC, const char* text, int length, int* height = nullptr) const;

    bool m_made = false;   // m_font is the font the rest was made for
    bool m_usable = false; // and its texts can be measured by the table
    LOGFONTA m_font = {};
    CFont m_object;
    UINT m_codePage = CP_ACP;
    int m_overhang = 0;
    CSize m_empty;                 // the extent of an empty text
    int m_height = 0;              // the height of every other text
    int m_single[256] = {};        // -1: a lead byte
    std::vector<int> m_pairs[256]; // for a lead byte met: each trail byte's pair, -1: no character
};
