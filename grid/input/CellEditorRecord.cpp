// What the three in-place editors share: how keys act, and the end-of-edit record.
#include "CellEditors.h"
#include "GridDefs.h"

#include <cstring>

CellEditorKeyAction ClassifyCellEditorKey(UINT nChar, BOOL exitOnArrows) {
    switch (nChar) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        // Without exitOnArrows the keys move the caret or the list's choice; with Ctrl they
        // always move on to the next cell.
        return (exitOnArrows || ::GetKeyState(VK_CONTROL) < 0) ? CELL_KEY_END : CELL_KEY_PASS;
    case VK_TAB:
    case VK_RETURN:
        return CELL_KEY_END;
    case VK_ESCAPE:
        return CELL_KEY_CANCEL;
    default:
        return CELL_KEY_PASS;
    }
}

BOOL CCellEditorKeys::TakeNavigation(const MSG* pMsg, UINT* endKey) {
    *endKey = 0;
    if (pMsg->message != WM_KEYDOWN && pMsg->message != WM_KEYUP) return FALSE;
    const UINT key = (UINT)pMsg->wParam;
    if (key == VK_TAB || key == VK_RETURN) {
        if (pMsg->message == WM_KEYDOWN || pressedKey == key) *endKey = key;
        return TRUE;
    }
    if (pMsg->message == WM_KEYDOWN) pressedKey = key;
    return FALSE;
}

UINT CCellEditorKeys::EndingKeyOnPress(UINT nChar, BOOL exitOnArrows) {
    pressedKey = nChar;
    switch (ClassifyCellEditorKey(nChar, exitOnArrows)) {
    case CELL_KEY_END:
        return nChar;
    case CELL_KEY_CANCEL:
        return VK_ESCAPE;
    default:
        return 0;
    }
}

BOOL CCellEditorKeys::EndsOnRelease(UINT nChar) const {
    return (nChar == VK_TAB || nChar == VK_RETURN || nChar == VK_ESCAPE) && pressedKey == nChar;
}

void SendCellEditorRecord(CWnd* pGrid, UINT nEditorId, int nRow, int nCol, const CString& text, LPARAM lParam,
                          BOOL withKeyInState, UINT nKey) {
    if (pGrid == nullptr || !::IsWindow(pGrid->m_hWnd)) return;
    NMLVDISPINFOA info;
    std::memset(&info, 0, sizeof info);
    info.hdr.hwndFrom = pGrid->m_hWnd;
    info.hdr.idFrom = nEditorId;
    info.hdr.code = (UINT)GN_ENDCHANGE;
    info.item.mask = LVIF_TEXT | LVIF_PARAM;
    info.item.iItem = nRow;
    info.item.iSubItem = nCol;
    // The record lends the text for the call only; the grid copies what it keeps.
    info.item.pszText = const_cast<LPSTR>((LPCSTR)text);
    info.item.cchTextMax = text.GetLength();
    info.item.lParam = lParam;
    if (withKeyInState) {
        info.item.mask |= LVIF_STATE;
        info.item.state = nKey;
    }
    HWND parent = ::GetParent(pGrid->m_hWnd);
    if (parent != nullptr && CWnd::FromHandlePermanent(parent) != nullptr) {
        ::SendMessageA(parent, WM_NOTIFY, (WPARAM)pGrid->GetDlgCtrlID(), (LPARAM)&info);
    } else {
        LRESULT result = 0;
        pGrid->OnChildNotify(WM_NOTIFY, (WPARAM)pGrid->GetDlgCtrlID(), (LPARAM)&info, &result);
    }
}
