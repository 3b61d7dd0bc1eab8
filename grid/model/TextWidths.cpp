// CTextWidthTable: measuring texts by a table of character widths.
#include "TextWidths.h"

#include "DCGuards.h"

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

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
    std::fill(std::begin(m_lineTop), std::end(m_lineTop), (signed char)LINE_TOP_UNKNOWN);
    for (std::vector<int>& pairs : m_pairs)
        std::vector<int>().swap(pairs);
    CFont object; // made for measuring only: the table keeps no GDI object between uses
    if (!object.CreateFontIndirect(&font)) return FALSE;
    m_font = font;
    m_made = true;
    CRestoreObjectOnExit restore(pDC, pDC->SelectObject(&object));
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
    CFont object;
    if (!object.CreateFontIndirect(&m_font)) {
        m_pairs[lead].swap(pairs); // its texts are measured by the system
        return;
    }
    CRestoreObjectOnExit restore(pDC, pDC->SelectObject(&object));
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

BOOL CTextWidthTable::IsMadeFor(const LOGFONTA& font) const {
    return m_made && IsSameLogFont(m_font, font);
}

BOOL CTextWidthTable::CentredLineTop(CDC* pDC, int height, int* top) {
    if (!m_usable || height < m_height || height >= MAX_LINE_HEIGHT) return FALSE;
    signed char& known = m_lineTop[height];
    if (known == LINE_TOP_UNKNOWN) known = (signed char)FindCentredLineTop(pDC, height);
    if (known == LINE_TOP_NONE) return FALSE;
    *top = known;
    return TRUE;
}

int CTextWidthTable::FindCentredLineTop(CDC* pDC, int height) {
    // Ink from the ascent to the descent, so that each placement gives other pixels.
    static const char probe[] = "Hg|";
    const int length = (int)sizeof probe - 1;
    CFont object; // declared first: the objects are deleted after the context that holds them
    CBitmap bitmap;
    CDC mem;
    if (!object.CreateFontIndirect(&m_font) || !mem.CreateCompatibleDC(pDC)) return LINE_TOP_NONE;
    mem.SelectObject(&object);
    SIZE size = {0, 0};
    ::GetTextExtentPoint32A(mem.m_hDC, probe, length, &size);
    const int width = size.cx + 2;
    BITMAP info = {};
    if (!bitmap.CreateCompatibleBitmap(pDC, width, height) || !::GetObjectA(bitmap, sizeof info, &info))
        return LINE_TOP_NONE;
    mem.SelectObject(&bitmap);
    ::SetBkMode(mem.m_hDC, TRANSPARENT);
    ::SetTextColor(mem.m_hDC, RGB(0, 0, 0));
    const LONG bytes = info.bmWidthBytes * info.bmHeight;
    RECT r = {0, 0, width, height};
    // The line drawn at `top`, or by DrawTextA for INT_MIN.
    auto draw = [&](int top, std::vector<BYTE>& pixels) {
        pixels.assign((size_t)bytes, 0);
        ::PatBlt(mem.m_hDC, 0, 0, width, height, WHITENESS);
        if (top == INT_MIN)
            ::DrawTextA(mem.m_hDC, probe, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        else if (top != INT_MAX)
            ::ExtTextOutA(mem.m_hDC, 0, top, ETO_CLIPPED, &r, probe, length, nullptr);
        return ::GetBitmapBits(bitmap, bytes, pixels.data()) == bytes;
    };
    std::vector<BYTE> wanted, blank, tried;
    if (!draw(INT_MIN, wanted) || !draw(INT_MAX, blank) || wanted == blank) return LINE_TOP_NONE;
    // Half the spare height, rounded either way, then one pixel beside.
    const int half = (height - m_height) / 2;
    for (int top : {half, height / 2 - m_height / 2, half - 1, half + 1})
        if (top >= 0 && draw(top, tried) && tried == wanted) return top;
    return LINE_TOP_NONE;
}

CTextWidthTable* CTextWidthTables::Find(CDC* pDC, const LOGFONTA& font) {
    int slot = 0;
    for (int i = 0; i < COUNT; i++) {
        if (m_tables[i].IsMadeFor(font)) {
            slot = i;
            break;
        }
        if (m_lastUse[i] < m_lastUse[slot]) slot = i;
    }
    m_lastUse[slot] = ++m_clock;
    // Made already, this only answers whether the font is measured by table.
    return m_tables[slot].Prepare(pDC, font) ? &m_tables[slot] : nullptr;
}
