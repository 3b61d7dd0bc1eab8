// The compact rows and the shared cell styles.
#include "GridRow.h"

#include <cstring>
#include <new>

CCellStyle::CCellStyle() {
    std::memset(this, 0, sizeof *this);
    image = -1;
    bkColor = CELL_DEFAULT_COLOR;
    textColor = CELL_DEFAULT_COLOR;
}

CCellStyle CCellStyle::Of(const CGridItem& cell) {
    CCellStyle style;
    style.state = cell.state;
    style.format = cell.format;
    style.image = cell.image;
    style.bkColor = cell.bkColor;
    style.textColor = cell.textColor;
    style.param = cell.param;
    style.font = cell.font;
    return style;
}

void CCellStyle::ApplyTo(CGridItem& cell) const {
    cell.state = state;
    cell.format = format;
    cell.image = image;
    cell.bkColor = bkColor;
    cell.textColor = textColor;
    cell.param = param;
    cell.font = font;
}

namespace {
size_t HashBytes(const void* data, size_t n) {
    // FNV-1a over the style's bytes.
    size_t h = (size_t)14695981039346656037ULL;
    const unsigned char* p = (const unsigned char*)data;
    for (size_t i = 0; i < n; i++)
        h = (h ^ p[i]) * (size_t)1099511628211ULL;
    return h;
}
} // namespace

CCellStyleTable::CCellStyleTable() {
    m_styles.emplace_back();
    m_byHash.emplace(HashBytes(&m_styles[0], sizeof(CCellStyle)), 0);
}

UINT CCellStyleTable::Intern(const CCellStyle& style) {
    if (std::memcmp(&m_styles[m_last], &style, sizeof style) == 0) return m_last;
    const size_t hash = HashBytes(&style, sizeof style);
    auto range = m_byHash.equal_range(hash);
    for (auto it = range.first; it != range.second; ++it) {
        if (std::memcmp(&m_styles[it->second], &style, sizeof style) == 0) return m_last = it->second;
    }
    const UINT id = (UINT)m_styles.size();
    try {
        m_styles.push_back(style);
        m_byHash.emplace(hash, id);
    } catch (...) {
        if (m_styles.size() > id) m_styles.pop_back();
        throw;
    }
    return m_last = id;
}

void CCellStyleTable::Clear() {
    m_styles.resize(1);
    m_byHash.clear();
    m_byHash.emplace(HashBytes(&m_styles[0], sizeof(CCellStyle)), 0);
    m_last = 0;
}

CGridRow* CGridRow::Allocate(int columns, int textBytes) {
    const size_t bytes = sizeof(CGridRow) + sizeof(UINT) * (size_t)columns + (size_t)textBytes;
    CGridRow* row = new (::operator new(bytes)) CGridRow;
    row->m_columns = columns;
    row->m_textBytes = textBytes;
    return row;
}

CGridRow* CGridRow::Create(int columns, const UINT* styles) {
    CGridRow* row = Allocate(columns, columns);
    std::memcpy(row->Styles(), styles, sizeof(UINT) * (size_t)columns);
    std::memset(row->Texts(), 0, (size_t)columns);
    return row;
}

void CGridRow::Destroy(CGridRow* row) {
    if (row == nullptr) return;
    row->~CGridRow();
    ::operator delete(row);
}

LPCTSTR CGridRow::Text(int col) const {
    const char* p = Texts();
    for (int c = 0; c < col; c++)
        p += std::strlen(p) + 1;
    return p;
}

CGridRow* CGridRow::SetText(CGridRow* row, int col, LPCTSTR text) {
    if (text == nullptr) text = "";
    const char* old = row->Text(col);
    const int oldLength = (int)std::strlen(old);
    const int length = (int)std::strlen(text);
    if (length == oldLength) { // same size: in place
        std::memcpy((char*)old, text, (size_t)length);
        return row;
    }
    CGridRow* copy = Allocate(row->m_columns, row->m_textBytes - oldLength + length);
    std::memcpy(copy->Styles(), row->Styles(), sizeof(UINT) * (size_t)row->m_columns);
    const size_t before = (size_t)(old - row->Texts());
    const size_t after = (size_t)row->m_textBytes - before - (size_t)oldLength;
    std::memcpy(copy->Texts(), row->Texts(), before);
    std::memcpy(copy->Texts() + before, text, (size_t)length);
    std::memcpy(copy->Texts() + before + length, old + oldLength, after);
    copy->m_v.swap(row->m_v);
    Destroy(row);
    return copy;
}

CGridRow* CGridRow::Resize(CGridRow* row, int columns, UINT newStyle) {
    const int kept = columns < row->m_columns ? columns : row->m_columns;
    const size_t keptBytes = (size_t)(row->Text(kept) - row->Texts());
    CGridRow* copy = Allocate(columns, (int)keptBytes + (columns - kept));
    try {
        if (!row->m_v.empty()) copy->m_v.resize((size_t)columns);
    } catch (...) {
        Destroy(copy);
        throw;
    }
    for (int c = 0; c < kept && !row->m_v.empty(); c++)
        copy->m_v[(size_t)c] = row->m_v[(size_t)c];
    for (int c = 0; c < columns; c++)
        copy->Styles()[c] = c < kept ? row->Styles()[c] : newStyle;
    std::memcpy(copy->Texts(), row->Texts(), keptBytes);
    std::memset(copy->Texts() + keptBytes, 0, (size_t)(columns - kept));
    Destroy(row);
    return copy;
}

void CGridRow::SetMade(int col, CGridItem* cell) {
    if (m_v.empty()) {
        if (cell == nullptr) return;
        m_v.resize((size_t)m_columns);
    }
    m_v[(size_t)col] = cell;
}
