// The sample's grid: a heading row and a heading column, and one editable column of each editor
// kind besides a read-only one. The list and combo editors' entries carry item data, which the
// grid keeps as the cell's parameter; the "Codes" column shows those parameters.
#pragma once

#include "GridMainWnd.h"

class CSampleGrid : public CGridMainWnd {
public:
    enum Column {
        COL_NUMBER,
        COL_NAME,
        COL_QUANTITY,
        COL_COLOUR,
        COL_PRIORITY,
        COL_CODES,
        COL_NOTE,
        COLUMN_COUNT
    };
    static const int kRows = 12; // body rows

    // Fills the attached grid: headings, texts, editor kinds, read-only cells, sizes.
    void Populate();
    CString GetCellText(int row, int col) const override;
    void FillEditorChoices(int kind, int col, CWnd* editor) override;
};
