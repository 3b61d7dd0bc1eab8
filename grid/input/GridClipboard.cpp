// Edit commands: their enabling rules, Select All, and clearing the selected cells. The
// clipboard transfers themselves (Cut, Copy, Paste) are not supported yet and do nothing.
#include "GridMainWnd.h"

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

COleDataSource* CGridMainWnd::BuildClipboardSource() {
    return nullptr;
}

BOOL CGridMainWnd::PasteTextAt(int, int, COleDataObject*) {
    return FALSE;
}

void CGridMainWnd::CmdCut() {}

void CGridMainWnd::CmdCopy() {}

void CGridMainWnd::CmdPaste() {}

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
