// In-place editing hooks. Opening an editor is not supported yet: BeginCellEdit opens none.
#include "GridMainWnd.h"

void CGridMainWnd::BeginCellEdit(int, int, UINT) {}

void CGridMainWnd::StoreEditedText(int row, int col, CString text) {
    SetCellText(row, col, text);
}

// A derived grid fills a list or combo editor's entries here.
void CGridMainWnd::FillEditorChoices(int, int, CWnd*) {}
