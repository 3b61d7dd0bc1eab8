// CTextWidthTable: measuring texts by a table of character widths.
#include "TextWidths.h"

#include "DCGuards.h"

#include <string>

bool IsSameLogFont(const LOGFONTA& a, const LOGFONTA& b);

int CTextWidthTable::SystemWidth(CDC* pDC, const char* text, int length, int* height) const {
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(pDC->m_hAttribDC, text, length, &size);
    if (height != nullptr) *height = size.cy;
    return size.cx - m_overhang;
}

BOOL CTextWidthTable::Prepare(CDC* pDC, const LOGFONTA& font) {
    if (m_made && IsSameLogFont(m_font, font)) return m_usable;
    // Another font: what was measured in the last one goes.
    m_made = m_usable = false;
    for (std::vector<int>& pairs : m_pairs)
        std::vector<int>().swap(pairs);
    m_object.DeleteObject();
    if (!m_object.CreateFontIndirect(&font)) return FALSE;
    m_font = font;
    m_made = true;
    CRestoreObjectOnExit restore(pDC, pDC->SelectObject(&m_object));
    m_usable = MeasureSingles(pDC) != FALSE;
    return m_usable;
}

BOOL CTextWidthTable::MeasureSingles(CDC* pDC) {
    TEXTMETRICA tm = {};
    if (!::GetTextMetricsA(pDC->m_hAttribDC, &tm)) return FALSE;
    m_overhang = tm.tmOverhang;
    // The conversion the system makes of the text: the code page of the font's character set.
    CHARSETINFO info = {};
    const int charset = ::GetTextCharset(pDC->m_hAttribDC);
    m_codePage =
        ::TranslateCharsetInfo((DWORD*)(UINT_PTR)charset, &info, TCI_SRCCHARSET) ? info.ciACP : ::GetACP();
    SIZE empty = {0, 0};
    ::GetTextExtentPoint32A(pDC->m_hAttribDC, "", 0, &empty);
    m_empty = CSize(empty.cx, empty.cy);

    std::string all;
    long long sum = 0;
    for (int b = 1; b < 256; b++) {
        const char c = (char)b;
        if (::IsDBCSLeadByteEx(m_codePage, (BYTE)b)) {
            m_single[b] = -1;
            continue;
        }
        m_single[b] = SystemWidth(pDC, &c, 1);
        sum += m_single[b];
        all += c;
    }
    m_single[0] = -1;
    // Every single-byte character in one text, then twice over: the sums must be the system's.
    int height = 0;
    if (SystemWidth(pDC, all.data(), (int)all.size(), &height) != sum) return FALSE;
    m_height = height;
    const std::string twice = all + all;
    return SystemWidth(pDC, twice.data(), (int)twice.size()) == 2 * sum;
}

void CTextWidthTable::MeasureLead(CDC* pDC, BYTE lead) {
    std::vector<int> pairs(256, -1);
    CRestoreObjectOnExit restore(pDC, pDC->SelectObject(&m_object));
    std::string all;
    long long sum = 0;
    for (int trail = 1; trail < 256; trail++) {
        const char pair[2] = {(char)lead, (char)trail};
        WCHAR wide[2];
        if (::MultiByteToWideChar(m_codePage, MB_ERR_INVALID_CHARS, pair, 2, wide, 2) != 1) continue;
        pairs[(size_t)trail] = SystemWidth(pDC, pair, 2);
        sum += pairs[(size_t)trail];
        all.append(pair, 2);
    }
    // The lead byte's characters with a single-byte one between each two, as texts mix them.
    std::string mixed;
    long long mixedSum = 0;
    for (size_t i = 0; i < all.size(); i += 2) {
        mixed.append(all, i, 2);
        mixed += (char)('A' + i / 2 % 26);
        mixedSum += pairs[(BYTE)all[i + 1]] + m_single['A' + i / 2 % 26];
    }
    int height = 0;
    if (SystemWidth(pDC, all.data(), (int)all.size(), &height) != sum ||
        (!all.empty() && height != m_height) || SystemWidth(pDC, mixed.data(), (int)mixed.size()) != mixedSum)
        pairs.assign(256, -1); // its texts are measured by the system
    m_pairs[lead].swap(pairs);
}

BOOL CTextWidthTable::Measure(CDC* pDC, const char* text, CSize* extent) {
    if (!m_usable) return FALSE;
    if (text == nullptr || *text == '\0') {
        *extent = m_empty;
        return TRUE;
    }
    long long width = m_overhang;
    for (const BYTE* p = (const BYTE*)text; *p != 0; p++) {
        int w = m_single[*p];
        if (w < 0) {
            if (p[1] == 0) return FALSE; // a lead byte without its trail byte
            if (m_pairs[*p].empty()) MeasureLead(pDC, *p);
            w = m_pairs[*p][p[1]];
            if (w < 0) return FALSE;
            p++;
        }
        width += w;
    }
    *extent = CSize((int)width, m_height);
    return TRUE;
}
