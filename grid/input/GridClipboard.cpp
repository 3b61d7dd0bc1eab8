// Edit commands: Copy, Cut, Paste and Select All through the OLE clipboard as CF_TEXT (TAB
// between cells, LF between rows), their enabling rules, and clearing the selected cells.
// Every clipboard operation fails silently: no message, and no exception leaves a command.
#include "GridMainWnd.h"
#include "PasteTokens.h"
#include "afxadv.h"

#include <cstring>

void CGridMainWnd::EraseSelectedCells() {
    if (!editable) return;
    POSITION pos = selectedCells.GetStartPosition();
    while (pos != nullptr) {
        CCellKey key;
        CCellPos cell;
        // The next entry is held before this one is taken out of the map by DiscardCell.
        selectedCells.GetNextAssoc(pos, key, cell);
        if (!CanEditCell(cell.row, cell.col) || !IsValidCell(cell)) continue;
        CGridItem* item = GetCell(cell.row, cell.col);
        if (item == nullptr) continue;
        NotifyParent(cell.row, cell.col, GN_BEGINCHANGE);
        DiscardCell(item, cell.row, cell.col);
        MarkChanged(TRUE, cell.row, cell.col);
        NotifyParent(cell.row, cell.col, GN_ENDCHANGE);
    }
    Invalidate(TRUE);
}

// The bounding rectangle of the selection, one line a row: a selected cell gives its text (a
// space when the text is empty), any other cell an empty field. Ends with one NUL byte.
COleDataSource* CGridMainWnd::BuildClipboardSource() {
    CCellSpan span = GetSelectionBounds();
    if (!IsValidSpan(span)) return nullptr;
    HGLOBAL hText = nullptr;
    try {
        CSharedFile file(GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT, 4096);
        for (int row = span.minRow; row <= span.maxRow; row++) {
            CString line;
            for (int col = span.minCol; col <= span.maxCol; col++) {
                if (GetCellState(row, col) & CELL_SELECTED) {
                    CString text = GetCellText(row, col);
                    line += text.IsEmpty() ? CString(" ") : text;
                }
                if (col < span.maxCol) line += '\t';
            }
            if (row < span.maxRow) line += '\n';
            file.Write((LPCTSTR)line, (UINT)line.GetLength());
        }
        file.Write("", 1);
        SIZE_T length = (SIZE_T)file.GetLength();
        HGLOBAL hBlock = file.Detach();
        if (hBlock == nullptr) return nullptr;
        hText = ::GlobalReAlloc(hBlock, length, GMEM_MOVEABLE | GMEM_DDESHARE | GMEM_ZEROINIT);
        if (hText == nullptr) {
            ::GlobalFree(hBlock);
            return nullptr;
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
    try {
        COleDataSource* source = BuildClipboardSource();
        if (source != nullptr) source->SetClipboard();
    } catch (CException* e) {
        e->Delete();
    }
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
