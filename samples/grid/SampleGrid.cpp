// The sample grid's contents and its editors' choices.
#include "SampleGrid.h"

#include <cstdio>

namespace {
struct Choice {
    const char* text;
    LPARAM data;
};
// The colour list: the item data is the colour.
const Choice kColours[] = {{"Red", RGB(255, 0, 0)},  {"Green", RGB(0, 160, 0)},
                           {"Blue", RGB(0, 0, 255)}, {"Yellow", RGB(255, 255, 0)},
                           {"Black", RGB(0, 0, 0)},  {"White", RGB(255, 255, 255)}};
// The priority combo: the item data is the priority's rank.
const Choice kPriorities[] = {{"Urgent", 1}, {"High", 2}, {"Normal", 3}, {"Low", 4}};

const char* const kHeadings[] = {"#", "Name", "Quantity", "Colour", "Priority", "Codes", "Note"};
const char* const kNames[] = {"Apples",  "Bolts",  "Cables", "Dowels", "Envelopes", "Fuses",
                              "Gaskets", "Hinges", "Ink",    "Jacks",  "Keys",      "Labels"};
const int kWidths[] = {36, 130, 80, 90, 90, 110, 220};
} // namespace

void CSampleGrid::Populate() {
    SetNumRows(kRows + 1);
    SetNumColumns(COLUMN_COUNT);
    SetNumFixedRows(1);
    SetNumFixedColumns(1);
    SetListMode(TRUE); // whole rows are selected, and heading clicks sort
    SetSortOnHeaderClick(TRUE);
    SetSingleRowSelection(FALSE);
    EnableTitleTips(TRUE); // a pointer resting on a cell shows the row's note in a tip

    for (int col = 0; col < COLUMN_COUNT; col++) {
        SetCellText(0, col, kHeadings[col]);
        SetColumnWidth(col, kWidths[col]);
    }
    SetColumnEditorKind(COL_NAME, GEK_EDIT);
    SetColumnEditorKind(COL_QUANTITY, GEK_EDIT);
    SetColumnEditorKind(COL_COLOUR, GEK_LIST);
    SetColumnEditorKind(COL_PRIORITY, GEK_COMBO);
    SetColumnEditorKind(COL_NOTE, GEK_EDIT);

    for (int i = 0; i < kRows; i++) {
        const int row = i + 1;
        char number[16];
        std::snprintf(number, sizeof number, "%02d", row);
        SetCellText(row, COL_NUMBER, number);
        for (int col = 0; col < COLUMN_COUNT; col++) {
            GridItemDesc desc;
            desc.row = row;
            desc.col = col;
            desc.mask = DESC_FORMAT | DESC_STATE;
            desc.format = DT_VCENTER | DT_SINGLELINE | (col == COL_QUANTITY ? DT_RIGHT : DT_LEFT);
            desc.state = 0;
            if (col == COL_QUANTITY) desc.state = CELL_DIGITSONLY;
            if (col == COL_NOTE) desc.state = CELL_EDITSCROLL; // long notes scroll in the box
            if (col == COL_CODES) desc.state = CELL_READONLY;
            SetCellDesc(&desc);
        }
        SetCellText(row, COL_NAME, kNames[i]);
        char quantity[16];
        std::snprintf(quantity, sizeof quantity, "%d", (i * 37) % 50 + 1);
        SetCellText(row, COL_QUANTITY, quantity);
        const Choice& colour = kColours[i % 6];
        SetCellText(row, COL_COLOUR, colour.text);
        SetCellParam(row, COL_COLOUR, colour.data);
        const Choice& priority = kPriorities[i % 4];
        SetCellText(row, COL_PRIORITY, priority.text);
        SetCellParam(row, COL_PRIORITY, priority.data);
        SetRowHeight(row, 22);
    }
    SetRowHeight(0, 24);
    SetCellText(1, COL_NOTE, "Edit a cell: type, or click it twice");

    // A few cells that cannot be edited, greyed so a person sees it.
    const CCellPos locked[] = {CCellPos(2, COL_NAME), CCellPos(5, COL_QUANTITY), CCellPos(7, COL_COLOUR)};
    for (const CCellPos& cell : locked) {
        GridItemDesc desc;
        desc.row = cell.row;
        desc.col = cell.col;
        desc.mask = DESC_STATE | DESC_BKCOLOR;
        desc.state = GetCellState(cell.row, cell.col) | CELL_READONLY;
        desc.bkColor = RGB(224, 224, 224);
        SetCellDesc(&desc);
    }
    UpdateScrollBars();
}

// The "Codes" column shows the colour's and the priority's item data.
CString CSampleGrid::GetCellText(int row, int col) const {
    if (col != COL_CODES || row < GetNumFixedRows() || row >= GetNumRows())
        return CGridMainWnd::GetCellText(row, col);
    GridItemDesc colour, priority;
    colour.row = priority.row = row;
    colour.col = COL_COLOUR;
    priority.col = COL_PRIORITY;
    colour.mask = priority.mask = DESC_PARAM;
    GetCellDesc(&colour);
    GetCellDesc(&priority);
    // The colour as a person writes it: #RRGGBB (a COLORREF keeps blue in its high byte).
    const COLORREF rgb = (COLORREF)colour.param;
    CString text;
    text.Format("#%02X%02X%02X p%ld", (unsigned)GetRValue(rgb), (unsigned)GetGValue(rgb),
                (unsigned)GetBValue(rgb), (long)priority.param);
    return text;
}

void CSampleGrid::FillEditorChoices(int kind, int col, CWnd* editor) {
    if (kind == GEK_LIST && col == COL_COLOUR) {
        CListBox* list = (CListBox*)editor;
        for (const Choice& c : kColours) {
            int index = list->AddString(c.text);
            if (index >= 0) list->SendMessage(LB_SETITEMDATA, (WPARAM)index, c.data);
        }
    } else if (kind == GEK_COMBO && col == COL_PRIORITY) {
        CComboBox* combo = (CComboBox*)editor;
        for (const Choice& c : kPriorities) {
            int index = combo->AddString(c.text);
            if (index >= 0) combo->SendMessage(CB_SETITEMDATA, (WPARAM)index, c.data);
        }
    }
}
