// Edit commands: Copy, Cut, Paste and Select All through the OLE clipboard as CF_TEXT (TAB
// between cells, LF between rows), their enabling rules, and clearing the selected cells.
// Every clipboard operation fails silently: no message, and no exception leaves a command.
#include "GridMainWnd.h"
#include "PasteTokens.h"
#include "afxadv.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {
// One cell's text in the clipboard text: its bytes, or one space for an empty text.
struct FieldText {
    const char* bytes;
    size_t length;
};
} // namespace

void CGridMainWnd::EraseSelectedCells() {
    if (!editable) return;
    // Row by row, left to right. The walk is over a copy, since each discarded cell leaves the
    // selection.
    const CCellSet cells = selectedCells;
    cells.ForEachCell([this](int row, int col) {
        if (!CanEditCell(row, col) || !IsValidCell(row, col)) return;
        CGridItem* item = GetCell(row, col);
        if (item == nullptr) return;
        NotifyParent(row, col, GN_BEGINCHANGE);
        DiscardCell(item, row, col);
        MarkChanged(TRUE, row, col);
        NotifyParent(row, col, GN_ENDCHANGE);
    });
    Invalidate(TRUE);
}

void CGridMainWnd::MarkSelectedColumns(int row, const CCellSpan& span, BOOL compactBits, size_t* hint,
                                       std::vector<char>& marks) const {
    std::fill(marks.begin(), marks.end(), 0);
    if (const std::vector<CCellSet::Run>* runs = selectedCells.RunsOfRow(row, hint))
        for (const CCellSet::Run& run : *runs)
            for (int col = std::max(run.first, span.minCol); col <= std::min(run.last, span.maxCol); col++)
                marks[(size_t)(col - span.minCol)] = 1;
    // Cells whose own state holds the bit (a descriptor stored it).
    const CGridRow* r = GetRow(row);
    if (r == nullptr) return;
    for (int col = span.minCol; col <= span.maxCol && col < r->Columns(); col++) {
        const CGridItem* cell = r->Made(col);
        UINT state = cell != nullptr ? cell->state : compactBits ? cellStyles.Get(r->Style(col)).state : 0;
        if (state & CELL_SELECTED) marks[(size_t)(col - span.minCol)] = 1;
    }
}

// The bounding rectangle of the selection, one line a row: a selected cell gives its text (a
// space when the text is empty), any other cell an empty field. Ends with one NUL byte.
// The text is measured first and then written into one block of its size. The texts are read
// where they are kept when the grid shows them as kept (ShowsStoredTexts); else they come from
// GetCellText, asked once for the size and once for the bytes.
COleDataSource* CGridMainWnd::BuildClipboardSource() {
    CCellSpan span = GetSelectionBounds();
    if (!IsValidSpan(span)) return nullptr;
    CWaitCursor wait;
    const bool storedTexts = ShowsStoredTexts() != FALSE;
    const size_t width = (size_t)(span.maxCol - span.minCol + 1);
    // Whether a compact cell's own state can hold the bit: only when one of the styles has it.
    BOOL compactBits = FALSE;
    for (UINT id = 0; id < cellStyles.GetCount() && !compactBits; id++)
        compactBits = (cellStyles.Get(id).state & CELL_SELECTED) != 0;
    HGLOBAL hText = nullptr;
    try {
        std::vector<char> marks(width);
        std::vector<FieldText> fields(width);
        std::vector<CString> derived(storedTexts ? 0 : width);
        // The fields of a row: its selected cells' texts, nothing for the others.
        auto rowFields = [&](int row, size_t* hint) {
            MarkSelectedColumns(row, span, compactBits, hint, marks);
            std::fill(fields.begin(), fields.end(), FieldText{"", 0});
            if (!storedTexts) {
                for (size_t k = 0; k < width; k++)
                    if (marks[k]) {
                        derived[k] = GetCellText(row, span.minCol + (int)k);
                        fields[k] = FieldText{derived[k], (size_t)derived[k].GetLength()};
                    }
            } else if (const CGridRow* r = GetRow(row)) {
                r->ForEachText([&](int col, LPCTSTR text, size_t length) {
                    if (col < span.minCol || col > span.maxCol || !marks[(size_t)(col - span.minCol)]) return;
                    const CGridItem* cell = r->Made(col);
                    fields[(size_t)(col - span.minCol)] =
                        cell != nullptr ? FieldText{cell->text, (size_t)cell->text.GetLength()}
                                        : FieldText{text, length};
                });
            }
            for (size_t k = 0; k < width; k++)
                if (marks[k] && fields[k].length == 0) fields[k] = FieldText{" ", 1};
        };
        // Every line but the last ends with LF; every field but a line's last is followed by TAB.
        unsigned long long size =
            (unsigned long long)(span.maxRow - span.minRow) +
            (unsigned long long)(width - 1) * (unsigned long long)(span.maxRow - span.minRow + 1);
        size_t hint = 0;
        for (int row = span.minRow; row <= span.maxRow; row++) {
            rowFields(row, &hint);
            for (const FieldText& f : fields)
                size += f.length;
        }
        // One byte more for the NUL; a text this platform cannot address is memory run out.
        if (size >= (unsigned long long)(SIZE_MAX / 2)) return nullptr;
        const SIZE_T blockSize = (SIZE_T)size + 1;
        hText = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, blockSize);
        if (hText == nullptr) return nullptr;
        char* out = (char*)::GlobalLock(hText);
        if (out == nullptr) {
            ::GlobalFree(hText);
            return nullptr;
        }
        // A derived grid's texts may differ from those measured: what does not fit is cut.
        char* const start = out;
        char* const end = out + size;
        auto put = [&](const char* bytes, size_t length) {
            length = std::min(length, (size_t)(end - out));
            CopyBytes(out, bytes, length);
            out += length;
        };
        hint = 0;
        for (int row = span.minRow; row <= span.maxRow; row++) {
            rowFields(row, &hint);
            for (size_t k = 0; k < width; k++) {
                put(fields[k].bytes, fields[k].length);
                if (k + 1 < width) put("\t", 1);
            }
            if (row < span.maxRow) put("\n", 1);
        }
        const SIZE_T written = (SIZE_T)(out - start);
        *out = '\0';
        ::GlobalUnlock(hText);
        if (written + 1 < blockSize) {
            // Shorter than measured: the block is trimmed to what was written.
            HGLOBAL trimmed =
                ::GlobalReAlloc(hText, written + 1, GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT);
            if (trimmed == nullptr) {
                ::GlobalFree(hText);
                return nullptr;
            }
            hText = trimmed;
        }
        COleDataSource* source = new COleDataSource;
        HGLOBAL hCached = hText;
        hText = nullptr; // the source owns it from here, also when caching fails
        try {
            source->CacheGlobalData(CF_TEXT, hCached);
        } catch (CException*) {
            source->InternalRelease(); // deletes the source: nobody else holds it
            throw;
        }
        return source;
    } catch (CException* e) {
        e->Delete();
        if (hText != nullptr) ::GlobalFree(hText);
        return nullptr;
    }
}

BOOL CGridMainWnd::PasteTextAt(int row, int col, COleDataObject* pDataObject) {
    if (!IsValidCell(row, col) || !CanEditCell(row, col)) return FALSE;
    if (pDataObject == nullptr || !pDataObject->IsDataAvailable(CF_TEXT)) return FALSE;
    HGLOBAL hData = pDataObject->GetGlobalData(CF_TEXT);
    if (hData == nullptr) return FALSE;

    // The whole block, up to its first NUL: text from another program need not end with one.
    CString text;
    BOOL read = FALSE;
    try {
        SIZE_T size = ::GlobalSize(hData);
        const char* p = (const char*)::GlobalLock(hData);
        if (p != nullptr) {
            SIZE_T n = 0;
            while (n < size && p[n] != '\0')
                n++;
            try {
                text = CString(p, (int)n);
                read = TRUE;
            } catch (CException*) {
                ::GlobalUnlock(hData);
                throw;
            }
            ::GlobalUnlock(hData);
        }
    } catch (CException* e) {
        e->Delete();
    }
    ::GlobalFree(hData);
    if (!read) return FALSE;

    const char* rest = text;
    const char* end = rest + text.GetLength();
    for (int rowOffset = 0;; rowOffset++) {
        const char* lf = (const char*)std::memchr(rest, '\n', (size_t)(end - rest));
        const bool last = lf == nullptr;
        const char* lineEnd = last ? end : lf;
        CStringArray tokens;
        // An empty line before others still writes one empty cell in the first column.
        if (lineEnd == rest && !last)
            tokens.Add(CString(""));
        else
            SplitPasteLine(rest, lineEnd, tokens);
        for (int k = 0; k < tokens.GetSize(); k++) {
            int r = row + rowOffset, c = col + k;
            if (!IsValidCell(r, c)) continue; // outside the grid: the grid does not grow
            CString cellText = tokens[k];
            cellText.TrimLeft();
            cellText.TrimRight(); // also the CR of a CR LF line end
            NotifyParent(r, c, GN_BEGINCHANGE);
            SetCellText(r, c, cellText);
            MarkChanged(TRUE, r, c);
            NotifyParent(r, c, GN_ENDCHANGE);
            SetCellState(r, c, GetCellState(r, c) & ~CELL_SELECTED);
        }
        if (last) break;
        rest = lf + 1;
    }
    Invalidate(TRUE);
    return TRUE;
}

void CGridMainWnd::CmdCut() {
    if (!editable) return;
    try {
        COleDataSource* source = BuildClipboardSource();
        if (source == nullptr) return;
        // Throws when the clipboard refused the text: the cells are then left as they were.
        source->SetClipboard();
        EraseSelectedCells();
    } catch (CException* e) {
        e->Delete();
    }
}

void CGridMainWnd::CmdCopy() {
    CopySelection();
}

BOOL CGridMainWnd::CopySelection() {
    copyFailed = FALSE;
    if (!HasSelection()) return FALSE;
    try {
        COleDataSource* source = BuildClipboardSource();
        if (source != nullptr) {
            // Throws when the clipboard refused the text.
            source->SetClipboard();
            return TRUE;
        }
    } catch (CException* e) {
        e->Delete();
    }
    copyFailed = TRUE;
    return FALSE;
}

void CGridMainWnd::CmdPaste() {
    if (!editable) return;
    CCellPos target = focusCell;
    if (!IsValidCell(target)) target = GetFirstScrolledCell();
    if (!IsValidCell(target)) return;
    try {
        COleDataObject data; // released when it goes, also on an exception
        if (data.AttachClipboard()) PasteTextAt(target.row, target.col, &data);
    } catch (CException* e) {
        e->Delete();
    }
}

void CGridMainWnd::CmdSelectAll() {
    SelectAllCells();
}

void CGridMainWnd::OnUpdateCmdCut(CCmdUI* pCmdUI) {
    pCmdUI->Enable(editable && HasSelection());
}

void CGridMainWnd::OnUpdateCmdCopy(CCmdUI* pCmdUI) {
    pCmdUI->Enable(HasSelection());
}

void CGridMainWnd::OnUpdateCmdPaste(CCmdUI* pCmdUI) {
    pCmdUI->Enable(IsValidCell(focusCell) && CanEditCell(focusCell) && ::IsClipboardFormatAvailable(CF_TEXT));
}

void CGridMainWnd::OnUpdateCmdSelectAll(CCmdUI* pCmdUI) {
    pCmdUI->Enable(selectionEnabled);
}
