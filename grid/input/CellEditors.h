// The in-place editors: a child control laid over one cell of the grid while it is edited. The
// editor ends the edit when it loses the keyboard focus: it sends the grid's parent the
// end-of-edit record (NMLVDISPINFO with code GN_ENDCHANGE), which the parent reflects to the grid,
// then destroys its window and deletes itself. Tab and Return (and arrows where they end the
// edit) give the focus back to the grid; Escape first puts the old text back.
//
// The record: hdr.hwndFrom the grid, hdr.idFrom the editor's id, item.mask LVIF_TEXT | LVIF_PARAM,
// item.iItem / iSubItem the cell, item.pszText / cchTextMax the final text (valid during the
// call). The edit box's item.lParam is the key that ended the edit. The list and combo editors'
// item.lParam is the chosen entry's item data; they report their ending key in item.state, with
// LVIF_STATE added to the mask.
#pragma once

#include "afxwin.h"

// How a key acts in an editor.
enum CellEditorKeyAction {
    CELL_KEY_PASS,   // the control handles it
    CELL_KEY_END,    // ends the edit (Tab, Return, and arrows or page keys where they end it)
    CELL_KEY_CANCEL, // Escape: the old text back, then the end
};
CellEditorKeyAction ClassifyCellEditorKey(UINT nChar, BOOL exitOnArrows);

// The keys of one editor: which press was its own (the release of the Tab that opened it belongs
// to the editor before), and what each key message does.
struct CCellEditorKeys {
    UINT pressedKey = 0; // the last key pressed in this editor

    // Tab and Return in the message loop, before a dialog host takes them for its navigation:
    // TRUE when the message is the editor's; *endKey is then the key that ends the edit, or 0.
    BOOL TakeNavigation(const MSG* pMsg, UINT* endKey);
    // WM_KEYDOWN: the key that ends the edit (VK_ESCAPE for a cancel), or 0 when the control
    // handles the key; the press is remembered.
    UINT EndingKeyOnPress(UINT nChar, BOOL exitOnArrows);
    // WM_KEYUP: a release of Tab, Return or Escape pressed in this editor ends the edit.
    BOOL EndsOnRelease(UINT nChar) const;
};

// While a list or combo editor is open the Edit menu's Cut, Copy, Paste and Select All are
// greyed, and the commands do nothing: the grid under the editor must not act on them.
#define ON_CELL_CHOICE_EDIT_COMMANDS()                                                                       \
    ON_COMMAND(ID_EDIT_CUT, OnEditCommandOff)                                                                \
    ON_COMMAND(ID_EDIT_COPY, OnEditCommandOff)                                                               \
    ON_COMMAND(ID_EDIT_PASTE, OnEditCommandOff)                                                              \
    ON_COMMAND(ID_EDIT_SELECT_ALL, OnEditCommandOff)                                                         \
    ON_UPDATE_COMMAND_UI(ID_EDIT_CUT, OnUpdateEditCommandOff)                                                \
    ON_UPDATE_COMMAND_UI(ID_EDIT_COPY, OnUpdateEditCommandOff)                                               \
    ON_UPDATE_COMMAND_UI(ID_EDIT_PASTE, OnUpdateEditCommandOff)                                              \
    ON_UPDATE_COMMAND_UI(ID_EDIT_SELECT_ALL, OnUpdateEditCommandOff)

class CCellEditBox : public CEdit {
public:
    // Creates the edit box over rect at once. Without a window (creation failed) the object is
    // the caller's to delete; with one, it deletes itself when its window is gone.
    CCellEditBox(CWnd* pGrid, const CRect& rect, DWORD dwStyle, int nRow, int nCol, CString text, UINT nChar);
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnKillFocus(CWnd* pNewWnd);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    UINT OnGetDlgCode();
    void OnNcDestroy();
    void PostNcDestroy() override;
    void OnEditCut();
    void OnEditCopy();
    void OnEditPaste();
    void OnEditSelectAll();
    void OnUpdateEditCut(CCmdUI* pCmdUI);
    void OnUpdateEditCopy(CCmdUI* pCmdUI);
    void OnUpdateEditPaste(CCmdUI* pCmdUI);
    void OnUpdateEditSelectAll(CCmdUI* pCmdUI);
    BOOL HasSelectedText();
    // Sets lastKey and gives the focus back to the grid, which ends the edit: the object is gone
    // when this returns.
    void EndEdit(UINT nKey);
    // Makes room beside text for one more character, when the box does not scroll.
    void WidenFor(const CString& text);

    BOOL ending; // the record has been sent
    int row;
    int col;
    CString startText; // the cell's text when the edit began
    UINT lastKey;      // the key that ended the edit
    BOOL exitOnArrows; // arrow and page keys end the edit
    DWORD style;       // the style the box was created with
    CWnd* grid;
    CCellEditorKeys keys;
    BOOL selfDelete = FALSE; // the window exists, so its end deletes the object
    UINT leadByte = 0;       // the lead byte of a double-byte character, until its trail byte

    DECLARE_MESSAGE_MAP()
};

class CCellListBox : public CListBox {
public:
    CCellListBox(CWnd* pGrid, const CRect& rect, DWORD dwStyle, int nRow, int nCol, CString text, UINT nChar);
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnKillFocus(CWnd* pNewWnd);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnLButtonUp(UINT nFlags, CPoint point);
    void OnEditCommandOff() {}
    void OnUpdateEditCommandOff(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    UINT OnGetDlgCode();
    void OnNcDestroy();
    void PostNcDestroy() override;
    void EndEdit(UINT nKey);
    void SendRecord();

    BOOL ending;
    int dropRows; // rows of the list below the cell
    CString startText;
    int row;
    int col;
    UINT lastKey;
    BOOL exitOnArrows;
    CWnd* grid;
    CCellEditorKeys keys;
    BOOL selfDelete = FALSE;

    DECLARE_MESSAGE_MAP()
};

class CCellComboBox : public CComboBox {
public:
    CCellComboBox(CWnd* pGrid, const CRect& rect, DWORD dwStyle, int nRow, int nCol, CString text,
                  UINT nChar);
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    void OnKillFocus(CWnd* pNewWnd);
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnSelChange() {} // a new choice is taken when the edit ends
    void OnEditCommandOff() {}
    void OnUpdateEditCommandOff(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
    UINT OnGetDlgCode();
    void OnNcDestroy();
    void PostNcDestroy() override;
    void EndEdit(UINT nKey);
    void SendRecord();

    BOOL ending;
    int dropRows;
    CString startText;
    int row;
    int col;
    UINT lastKey;
    BOOL exitOnArrows;
    CWnd* grid;
    CCellEditorKeys keys;
    BOOL selfDelete = FALSE;

    DECLARE_MESSAGE_MAP()
};

// Sends the end-of-edit record for the grid's cell (row, col) to the grid's parent, which
// reflects it to the grid; a parent outside the framework cannot, and the grid is handed the
// record directly. withKeyInState: the list and combo form (the key in item.state).
void SendCellEditorRecord(CWnd* pGrid, UINT nEditorId, int nRow, int nCol, const CString& text, LPARAM lParam,
                          BOOL withKeyInState, UINT nKey);
