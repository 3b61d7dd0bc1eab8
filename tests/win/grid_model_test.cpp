// The grid's cell, row and column model: counts, row insertion and removal, cell accessors,
// state bits and the selected-cell map, changed marks, new-cell defaults and the row sort.
#include "grid_test_util.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <mbstring.h>
#include <random>
#include <string>
#include <vector>

using gridtest::TestGrid;

namespace {

const COLORREF kLightBand = 0xF9FEFF;
const COLORREF kDarkBand = 0xECF4F4;

COLORREF BkColor(const CGridMainWnd& g, int row, int col) {
    GridItemDesc d;
    d.row = row;
    d.col = col;
    d.mask = DESC_BKCOLOR;
    EXPECT_TRUE(g.GetCellDesc(&d));
    return d.bkColor;
}

COLORREF TextColor(const CGridMainWnd& g, int row, int col) {
    GridItemDesc d;
    d.row = row;
    d.col = col;
    d.mask = DESC_TEXTCOLOR;
    EXPECT_TRUE(g.GetCellDesc(&d));
    return d.textColor;
}

LPARAM Param(const CGridMainWnd& g, int row, int col) {
    GridItemDesc d;
    d.row = row;
    d.col = col;
    d.mask = DESC_PARAM;
    EXPECT_TRUE(g.GetCellDesc(&d));
    return d.param;
}

void SetFormat(CGridMainWnd& g, int row, int col, UINT format) {
    GridItemDesc d;
    d.row = row;
    d.col = col;
    d.mask = DESC_FORMAT;
    d.format = format;
    ASSERT_TRUE(g.SetCellDesc(&d));
}

} // namespace

TEST(GridModel, ConstructorAppliesCountsInOrder) {
    TestGrid g(4, 3, 1, 2);
    EXPECT_EQ(4, g.GetNumRows());
    EXPECT_EQ(3, g.GetNumColumns());
    EXPECT_EQ(1, g.GetNumFixedRows());
    EXPECT_EQ(2, g.GetNumFixedColumns());
    EXPECT_EQ(4, g.rows.GetSize());
    EXPECT_EQ(4, g.rowHeights.GetSize());
    EXPECT_EQ(3, g.columnWidths.GetSize());
    EXPECT_EQ(3, g.columnEditorKinds.GetSize());
    for (int r = 0; r < 4; r++) {
        EXPECT_EQ(10, g.GetRowHeight(r));
        EXPECT_EQ(3, ((CGridRow*)g.rows[r])->Columns());
    }
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(30, g.GetColumnWidth(c));
        EXPECT_EQ(GEK_NONE, (int)g.columnEditorKinds[c]);
    }
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_FALSE(g.IsChanged());
}

TEST(GridModel, NewCellDefaults) {
    TestGrid g(3, 2);
    GridItemDesc d;
    d.row = 2;
    d.col = 1;
    d.mask = 0xFF;
    ASSERT_TRUE(g.GetCellDesc(&d));
    EXPECT_EQ(0u, d.state);
    EXPECT_EQ(0u, d.format);
    EXPECT_STREQ("", d.text);
    EXPECT_EQ(-1, d.image);
    EXPECT_EQ(CELL_DEFAULT_COLOR, d.textColor);
    EXPECT_EQ(0, d.param);
    EXPECT_EQ(0, std::memcmp(&d.font, &g.gridFont, sizeof(LOGFONTA)));
}

TEST(GridModel, SetNumRowsToTheSameCountChangesNothing) {
    TestGrid g(3, 2, 1);
    g.MoveFocusTo(2, 1);
    ASSERT_TRUE(g.SetRowHeight(2, 44));
    EXPECT_TRUE(g.SetNumRows(3));
    EXPECT_EQ(CCellPos(2, 1), g.GetFocusCell());
    EXPECT_EQ(44, g.GetRowHeight(2));
}

TEST(GridModel, ShrinkingBelowTheFixedRowsLowersThem) {
    TestGrid g(5, 2, 3, 1);
    EXPECT_TRUE(g.SetNumRows(2));
    EXPECT_EQ(2, g.GetNumRows());
    EXPECT_EQ(2, g.GetNumFixedRows());
    EXPECT_TRUE(g.SetNumColumns(0));
    EXPECT_EQ(0, g.GetNumFixedColumns());
    EXPECT_EQ(0, ((CGridRow*)g.rows[1])->Columns());
    EXPECT_FALSE(g.SetNumRows(-1));
}

TEST(GridModel, ShrinkingTakesRemovedCellsOutOfTheSelection) {
    TestGrid g(4, 4);
    g.SetCellState(3, 1, CELL_SELECTED);
    g.SetCellState(1, 3, CELL_SELECTED);
    g.SetCellState(1, 1, CELL_SELECTED);
    EXPECT_EQ(3, g.selectedCells.GetCount());
    g.SetNumRows(3);
    EXPECT_EQ(2, g.selectedCells.GetCount());
    g.SetNumColumns(3);
    EXPECT_EQ(1, g.selectedCells.GetCount());
    EXPECT_EQ(CCellSpan(1, 1, 1, 1), g.GetSelectionBounds());
}

TEST(GridModel, RowsSixtyFiveThousandFiveHundredThirtySixApartAreSelectedApart) {
    TestGrid g(65540, 2, 1, 0);
    g.SetCellState(1, 1, CELL_SELECTED);
    g.SetCellState(65537, 1, CELL_SELECTED); // the same MAKELONG(row, col) as (1, 1)
    EXPECT_EQ(2, g.selectedCells.GetCount());
    EXPECT_EQ(CCellSpan(1, 1, 65537, 1), g.GetSelectionBounds());
    g.SetCellState(1, 1, 0);
    EXPECT_EQ(1, g.selectedCells.GetCount());
    EXPECT_EQ(CCellSpan(65537, 1, 65537, 1), g.GetSelectionBounds());
    // Clearing the selection reaches the far row too: no cell is left selected.
    g.SetCellState(1, 1, CELL_SELECTED);
    g.ClearSelection();
    EXPECT_EQ(0, g.selectedCells.GetCount());
    EXPECT_EQ(0u, g.GetCellState(1, 1) & CELL_SELECTED);
    EXPECT_EQ(0u, g.GetCellState(65537, 1) & CELL_SELECTED);
}

TEST(GridModel, FixedRowsGrowTheGridAndDropAFocusInsideThem) {
    TestGrid g(1, 2);
    g.SetNumRows(3);
    g.MoveFocusTo(2, 0);
    TestGrid h(1, 2);
    EXPECT_TRUE(h.SetNumFixedRows(3));
    EXPECT_EQ(3, h.GetNumRows());
    EXPECT_EQ(3, h.GetNumFixedRows());
    EXPECT_TRUE(g.SetNumFixedRows(3));
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_EQ(0u, g.GetCellState(2, 0) & CELL_FOCUSED);
    // A focus below the fixed rows stays.
    TestGrid k(5, 2);
    k.MoveFocusTo(4, 1);
    k.SetNumFixedRows(2);
    EXPECT_EQ(CCellPos(4, 1), k.GetFocusCell());
    k.SetNumFixedColumns(2);
    EXPECT_EQ(CCellPos(-1, -1), k.GetFocusCell());
}

TEST(GridModel, BandedColoursWithOneFixedRow) {
    TestGrid g(0, 1);
    g.SetNumFixedRows(1); // row 0 is made before it is fixed: it keeps the body colours
    g.SetNumRows(6);
    EXPECT_EQ(kDarkBand, BkColor(g, 0, 0));
    EXPECT_EQ(CELL_DEFAULT_COLOR, TextColor(g, 0, 0));
    for (int r : {1, 3, 5})
        EXPECT_EQ(kLightBand, BkColor(g, r, 0)) << r;
    for (int r : {2, 4})
        EXPECT_EQ(kDarkBand, BkColor(g, r, 0)) << r;
    for (int r = 1; r < 6; r++)
        EXPECT_EQ(CELL_DEFAULT_COLOR, TextColor(g, r, 0));
}

TEST(GridModel, BandedColoursWithNoFixedRowFollowParity) {
    TestGrid g(4, 1);
    EXPECT_EQ(kDarkBand, BkColor(g, 0, 0));
    EXPECT_EQ(kLightBand, BkColor(g, 1, 0));
    EXPECT_EQ(kDarkBand, BkColor(g, 2, 0));
    EXPECT_EQ(kLightBand, BkColor(g, 3, 0));
}

TEST(GridModel, BandedColoursWithTwoFixedRows) {
    TestGrid g(0, 1);
    g.SetNumFixedRows(2);
    g.SetNumRows(8);
    for (int r : {2, 3, 6, 7})
        EXPECT_EQ(kDarkBand, BkColor(g, r, 0)) << r;
    for (int r : {4, 5})
        EXPECT_EQ(kLightBand, BkColor(g, r, 0)) << r;
}

TEST(GridModel, ColoursDependOnTheIndexAtCreationOnly) {
    TestGrid g(0, 1);
    g.SetNumFixedRows(1);
    g.SetNumRows(3);  // rows 1 (light) and 2 (dark)
    g.AddRow("x", 1); // a new row 1 (light); the old rows move down keeping their colours
    EXPECT_EQ(kLightBand, BkColor(g, 1, 0));
    EXPECT_EQ(kLightBand, BkColor(g, 2, 0));
    EXPECT_EQ(kDarkBand, BkColor(g, 3, 0));
}

TEST(GridModel, CellsMadeInAFixedRowTakeTheFixedColours) {
    TestGrid g(0, 2);
    g.SetNumFixedRows(1);
    g.fixedBkColor = 0x123456;
    g.fixedTextColor = 0x654321;
    ASSERT_EQ(0, g.AddRow("head", 0));
    EXPECT_EQ(0x123456u, BkColor(g, 0, 1));
    EXPECT_EQ(0x654321u, TextColor(g, 0, 1));
    EXPECT_EQ(1, g.GetNumFixedRows()); // the fixed count stays: the old heading row moved down
    g.SetNumColumns(3);                // the new column's cell in the fixed row is fixed too, the others not
    EXPECT_EQ(0x123456u, BkColor(g, 0, 2));
    EXPECT_EQ(kLightBand, BkColor(g, 1, 2));
}

TEST(GridModel, NewCellsInheritTheFormatOfTheCellAbove) {
    TestGrid g(2, 2, 1);
    SetFormat(g, 1, 0, 0x25);
    SetFormat(g, 1, 1, 0x34);
    int row = g.AddRow("", -1);
    ASSERT_EQ(2, row);
    EXPECT_EQ(0x25u, g.GetCellFormat(2, 0));
    EXPECT_EQ(0x34u, g.GetCellFormat(2, 1));
    g.SetNumRows(5); // the chain goes on down
    EXPECT_EQ(0x34u, g.GetCellFormat(4, 1));
    SetFormat(g, 0, 0, 0x11);
    g.AddRow("", 1); // an inserted row inherits from the row above the insertion point
    EXPECT_EQ(0x11u, g.GetCellFormat(1, 0));
    g.SetNumColumns(3); // a new column inherits down its own column: all 0
    EXPECT_EQ(0u, g.GetCellFormat(3, 2));
}

TEST(GridModel, AddRowOnAGridWithoutColumnsMakesOne) {
    TestGrid g;
    EXPECT_EQ(0, g.AddRow("", -1));
    EXPECT_EQ(1, g.GetNumColumns());
    EXPECT_EQ(1, g.GetNumRows());
}

TEST(GridModel, AddRowBounds) {
    TestGrid g(3, 2, 1);
    g.SetCellText(2, 0, "last");
    EXPECT_EQ(3, g.AddRow("appended", 3));
    EXPECT_STREQ("appended", g.GetCellText(3, 0));
    EXPECT_EQ(-1, g.AddRow("too far", 5));
    EXPECT_EQ(4, g.GetNumRows());
    EXPECT_EQ(4, g.AddRow("negative appends", -7));
    EXPECT_EQ(1, g.AddRow("middle", 1));
    EXPECT_STREQ("middle", g.GetCellText(1, 0));
    EXPECT_STREQ("last", g.GetCellText(3, 0));
    EXPECT_STREQ("appended", g.GetCellText(4, 0));
    EXPECT_EQ(6, g.GetNumRows());
    EXPECT_EQ(6, g.rowHeights.GetSize());
}

TEST(GridModel, AddRowMeasuresTheHeadingForTheRowHeight) {
    TestGrid g(1, 1);
    int row = g.AddRow("Heading", -1);
    EXPECT_EQ(g.MeasureText("Heading", TRUE).cy, g.GetRowHeight(row));
    EXPECT_GT(g.GetRowHeight(row), 0);
}

TEST(GridModel, ARowAppendedWithALookIsTheRowMadeTheLongWay) {
    TestGrid g(1, 3, 1);
    auto longWay = [&g](const LPCTSTR* texts) {
        const int row = g.AddRow("", -1);
        for (int col = 0; col < 3; col++) {
            GridItemDesc d;
            d.mask = DESC_STATE | DESC_BKCOLOR | DESC_FORMAT | DESC_PARAM;
            d.row = row, d.col = col, d.state = CELL_READONLY, d.bkColor = RGB(1, 2, col);
            d.format = DT_RIGHT | (UINT)col, d.param = 7 + col;
            EXPECT_TRUE(g.SetCellDesc(&d));
        }
        g.SetRowHeight(row, 23);
        g.SetRowTexts(row, 3, texts, 1u << 2);
        return row;
    };
    static const char shared[] = "kept by the caller";
    const LPCTSTR texts[] = {"a", "bb", shared};
    CGridRowLook look;
    ASSERT_TRUE(g.CaptureRowLook(longWay(texts), &look));
    const int byLook = g.AppendRowWithLook(look, 3, texts, 1u << 2);
    ASSERT_EQ(2, byLook);
    EXPECT_EQ(shared, g.GetStoredCellText(byLook, 2));
    const int again = longWay(texts); // the other band: the look holds no band of its own
    for (int col = 0; col < 3; col++) {
        GridItemDesc a, b;
        a.mask = b.mask = DESC_TEXT | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT | DESC_PARAM |
                          DESC_IMAGE | DESC_FONT;
        a.row = byLook, b.row = again, a.col = b.col = col;
        ASSERT_TRUE(g.GetCellDesc(&a) && g.GetCellDesc(&b));
        EXPECT_TRUE(a.text == b.text && a.state == b.state && a.bkColor == b.bkColor &&
                    a.textColor == b.textColor && a.format == b.format && a.param == b.param &&
                    a.image == b.image && std::memcmp(&a.font, &b.font, sizeof a.font) == 0)
            << col;
        // A cell object made later has the same fields too.
        EXPECT_EQ(g.GetCell(again, col)->format, g.GetCell(byLook, col)->format);
    }
    EXPECT_EQ(23, g.GetRowHeight(byLook));
    EXPECT_FALSE(g.CaptureRowLook(byLook, &look)) << "a row with cell objects";
    TestGrid other(1, 3, 1);
    CGridRowLook foreign;
    ASSERT_TRUE(other.CaptureRowLook(other.AddRow("", -1), &foreign));
    EXPECT_EQ(-1, g.AppendRowWithLook(foreign, 3, texts)) << "another grid's look";
    // A look that no longer fits the grid is refused, and nothing changes.
    const std::function<void()> unfit[] = {[] {},                             // a count past the columns
                                           [&] { g.SetNumColumns(4); },       // other columns
                                           [&] { g.gridFont.lfHeight -= 3; }, // another font
                                           [&] { g.ClearGrid(), g.SetNumColumns(3); }}; // styles forgotten
    for (const auto& change : unfit) {
        change();
        const int rows = g.GetNumRows();
        EXPECT_EQ(-1, g.AppendRowWithLook(look, &change == unfit ? 4 : 3, texts));
        EXPECT_EQ(rows, g.GetNumRows());
        g.SetNumColumns(3);
        g.AddRow("", -1);
        ASSERT_TRUE(g.CaptureRowLook(g.GetNumRows() - 1, &look));
    }
}

TEST(GridModel, AddRowInsertingClearsTheSelectionAndTheFocus) {
    TestGrid g(3, 2, 1);
    g.SelectSpan(1, 0, 2, 1, FALSE);
    g.MoveFocusTo(2, 1);
    g.AddRow("", 1);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_EQ(0u, g.GetCellState(3, 1) & (CELL_FOCUSED | CELL_SELECTED));
}

TEST(GridModel, AddRowAppendingKeepsTheSelectionTheFocusAndTheAnchor) {
    TestGrid g(3, 2, 1);
    g.SelectSpan(1, 0, 2, 1, FALSE);
    g.savedSelection.Add(1, 1);
    g.MoveFocusTo(2, 1);
    g.anchorCell = CCellPos(1, 0);
    EXPECT_TRUE(g.AddRow("", -1) == 3 && g.AddRow("", 4) == 4); // the row count appends too
    EXPECT_TRUE(g.selectedCells.GetCount() == 4 && g.savedSelection.GetCount() == 1);
    EXPECT_TRUE(g.GetFocusCell() == CCellPos(2, 1) && g.anchorCell == CCellPos(1, 0));
}

TEST(GridModel, RemoveRowMovesOrClearsTheFocus) {
    TestGrid g(6, 2, 1);
    g.MoveFocusTo(4, 1);
    g.anchorCell = CCellPos(4, 0); // Shift+click and Shift+arrow extend from the same row
    EXPECT_TRUE(g.RemoveRow(2));   // above the focus: it moves up
    EXPECT_EQ(CCellPos(3, 1), g.GetFocusCell());
    EXPECT_EQ(CCellPos(3, 0), g.anchorCell);
    EXPECT_TRUE(g.RemoveRow(4)); // below: it stays
    EXPECT_EQ(CCellPos(3, 1), g.GetFocusCell());
    EXPECT_TRUE(g.RemoveRow(3)); // the focus row: cleared
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_EQ(CCellPos(-1, -1), g.anchorCell);
    EXPECT_EQ(3, g.GetNumRows());
    EXPECT_FALSE(g.RemoveRow(3));
    EXPECT_FALSE(g.RemoveRow(-1));
    EXPECT_TRUE(g.RemoveRow(0)); // a fixed row: one fixed row less
    EXPECT_EQ(0, g.GetNumFixedRows());
    EXPECT_EQ(2, g.rowHeights.GetSize());
}

TEST(GridModel, RemoveRowTakesItsCellsOutOfTheSelection) {
    TestGrid g(4, 2);
    g.SetCellState(3, 0, CELL_SELECTED);
    g.SetCellState(3, 1, CELL_SELECTED | CELL_READONLY);
    g.RemoveRow(3);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
}

TEST(GridModel, RemoveScrollingRowsLeavesTheFixedRow) {
    TestGrid g(1, 3, 1);
    g.SetCellText(0, 1, "Delay");
    for (int i = 0; i < 50; i++)
        g.AddRow("row", -1);
    g.SetRowHeight(0, 20);
    g.MoveFocusTo(30, 1);
    g.SetCellState(40, 2, CELL_SELECTED);
    g.anchorCell = CCellPos(35, 0);
    EXPECT_TRUE(g.RemoveScrollingRows());
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_EQ(CCellPos(-1, -1), g.anchorCell);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(1, g.GetNumRows());
    EXPECT_EQ(1, g.GetNumFixedRows());
    EXPECT_STREQ("Delay", g.GetCellText(0, 1));
    EXPECT_EQ(20, g.GetTotalHeight());
    EXPECT_TRUE(g.RemoveScrollingRows());
    EXPECT_EQ(1, g.GetNumRows());
}

TEST(GridModel, ClearGridEmptiesEverything) {
    TestGrid g(5, 3, 1, 1);
    g.SetKeepColumnProportions(TRUE);
    g.MoveFocusTo(2, 2);
    g.SetCellState(3, 2, CELL_SELECTED);
    EXPECT_TRUE(g.ClearGrid());
    EXPECT_EQ(0, g.GetNumRows());
    EXPECT_EQ(0, g.GetNumColumns());
    EXPECT_EQ(0, g.GetNumFixedRows());
    EXPECT_EQ(0, g.GetNumFixedColumns());
    EXPECT_FALSE(g.keepColumnProportions);
    EXPECT_EQ(0, g.savedColumnWidths.GetSize());
    EXPECT_EQ(0, g.columnEditorKinds.GetSize());
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(0u, g.selectedCells.Bands().capacity()); // its memory given back
    EXPECT_EQ(0, g.GetTotalHeight());
    EXPECT_EQ(0, g.GetTotalWidth());
}

TEST(GridModel, BadIndicesGiveTheSentinels) {
    TestGrid g(2, 2);
    EXPECT_STREQ("", g.GetCellText(2, 0));
    EXPECT_STREQ("", g.GetCellText(0, -1));
    EXPECT_EQ(-1, g.GetRowHeight(-1));
    EXPECT_EQ(-1, g.GetRowHeight(2));
    EXPECT_EQ(-1, g.GetColumnWidth(2));
    EXPECT_FALSE(g.SetColumnWidth(0, -5));
    EXPECT_EQ(30, g.GetColumnWidth(0));
    EXPECT_FALSE(g.SetRowHeight(0, -1));
    EXPECT_FALSE(g.SetRowHeight(2, 5));
    EXPECT_FALSE(g.SetCellText(-1, 0, "x"));
    EXPECT_FALSE(g.SetCellParam(0, 2, 5));
    EXPECT_EQ(-1, g.GetCellImage(5, 5));
    EXPECT_FALSE(g.SetCellState(2, 2, CELL_SELECTED));
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(0u, g.GetCellState(-1, -1));
    EXPECT_EQ(0u, g.GetCellFormat(9, 0));
    EXPECT_EQ(&g.gridFont, g.GetCellFont(0, 9));
    LOGFONTA lf = {};
    EXPECT_FALSE(g.SetCellFont(3, 0, &lf));
    EXPECT_FALSE(g.SetCellFont(0, 0, nullptr));
    EXPECT_FALSE(g.SetCellDesc(nullptr));
    EXPECT_FALSE(g.GetCellDesc(nullptr));
    GridItemDesc d;
    d.row = 2;
    d.col = 0;
    d.mask = DESC_TEXT;
    d.text = "unchanged";
    EXPECT_FALSE(g.GetCellDesc(&d));
    EXPECT_STREQ("unchanged", d.text);
    EXPECT_TRUE(g.SetColumnWidth(1, 0));
    EXPECT_EQ(0, g.GetColumnWidth(1));
}

TEST(GridModel, DescriptorWritesOnlyTheMaskedFields) {
    TestGrid g(2, 2);
    GridItemDesc in;
    in.row = 1;
    in.col = 1;
    in.mask = 0xFF;
    in.state = CELL_READONLY | CELL_EDITSCROLL;
    in.format = 0x34;
    in.text = "text";
    in.image = 4;
    in.bkColor = 0xFFFFFF;
    in.textColor = 0x0000FF;
    in.param = 99;
    in.font = g.gridFont;
    in.font.lfHeight = -31;
    ASSERT_TRUE(g.SetCellDesc(&in));

    GridItemDesc partial;
    partial.row = 1;
    partial.col = 1;
    partial.mask = DESC_TEXT | DESC_PARAM;
    partial.text = "other";
    partial.param = 5;
    partial.state = 0x7;
    ASSERT_TRUE(g.SetCellDesc(&partial));

    GridItemDesc out;
    out.row = 1;
    out.col = 1;
    out.mask = 0xFF;
    ASSERT_TRUE(g.GetCellDesc(&out));
    EXPECT_STREQ("other", out.text);
    EXPECT_EQ(5, out.param);
    EXPECT_EQ((UINT)(CELL_READONLY | CELL_EDITSCROLL), out.state);
    EXPECT_EQ(0x34u, out.format);
    EXPECT_EQ(4, out.image);
    EXPECT_EQ(0xFFFFFFu, out.bkColor);
    EXPECT_EQ(0x0000FFu, out.textColor);
    EXPECT_EQ(-31, out.font.lfHeight);

    // Reading fills only the masked fields.
    GridItemDesc some;
    some.row = 1;
    some.col = 1;
    some.mask = DESC_IMAGE;
    some.param = 1234;
    ASSERT_TRUE(g.GetCellDesc(&some));
    EXPECT_EQ(4, some.image);
    EXPECT_EQ(1234, some.param);
}

TEST(GridModel, DescriptorStateIsAPlainStore) {
    TestGrid g(2, 2);
    GridItemDesc d;
    d.row = 1;
    d.col = 0;
    d.mask = DESC_STATE;
    d.state = CELL_SELECTED;
    ASSERT_TRUE(g.SetCellDesc(&d));
    EXPECT_TRUE(g.selectedCells.IsEmpty());
}

TEST(GridModel, SetCellStateKeepsTheSelectedMapInStep) {
    TestGrid g(4, 4);
    g.SetCellState(1, 2, CELL_SELECTED);
    g.SetCellState(3, 0, CELL_SELECTED | CELL_READONLY);
    g.SetCellState(1, 2, CELL_SELECTED | CELL_FOCUSED); // refreshed, not doubled
    EXPECT_EQ(2, g.selectedCells.GetCount());
    EXPECT_TRUE(g.selectedCells.Contains(3, 0));
    EXPECT_EQ(CCellSpan(1, 0, 3, 2), g.GetSelectionBounds());
    g.SetCellState(3, 0, CELL_READONLY);
    EXPECT_EQ(1, g.selectedCells.GetCount());
    EXPECT_EQ((UINT)CELL_READONLY, g.GetCellState(3, 0));
    g.SetCellState(1, 2, 0);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(CCellSpan(4, 4, -1, -1), g.GetSelectionBounds());
}

TEST(GridModel, CanEditCell) {
    TestGrid g(2, 2);
    g.SetCellState(1, 1, CELL_READONLY);
    EXPECT_TRUE(g.CanEditCell(1, 0));
    EXPECT_FALSE(g.CanEditCell(CCellPos(1, 1)));
    EXPECT_TRUE(g.CanEditCell(7, 7)); // a missing cell has state 0
    g.SetEditable(FALSE);
    EXPECT_FALSE(g.CanEditCell(1, 0));
}

TEST(GridModel, MarkChanged) {
    TestGrid g(4, 4);
    g.MarkChanged(TRUE, 0, 3); // row 0 counts as no cell: only the flag
    EXPECT_TRUE(g.IsChanged());
    EXPECT_EQ(0u, g.GetCellState(0, 3) & CELL_CHANGED);

    g.MarkChanged(TRUE, 2, 1);
    g.MarkChanged(TRUE, 3, 3);
    EXPECT_EQ((UINT)CELL_CHANGED, g.GetCellState(2, 1));
    g.MarkChanged(FALSE, 3, 3); // the cell's bit goes, the flag stays
    EXPECT_EQ(0u, g.GetCellState(3, 3));
    EXPECT_TRUE(g.IsChanged());
    EXPECT_EQ((UINT)CELL_CHANGED, g.GetCellState(2, 1));

    g.SetCellState(1, 1, CELL_CHANGED | CELL_READONLY);
    g.SetCellState(0, 0, CELL_CHANGED);
    g.MarkChanged(FALSE); // the flag and every cell's bit
    EXPECT_FALSE(g.IsChanged());
    EXPECT_EQ(0u, g.GetCellState(2, 1));
    EXPECT_EQ((UINT)CELL_READONLY, g.GetCellState(1, 1));
    EXPECT_EQ(0u, g.GetCellState(0, 0));
}

TEST(GridModel, MarkChangedFalseOnACellWhileTheFlagIsOffClearsEverything) {
    TestGrid g(3, 3);
    g.SetCellState(2, 2, CELL_CHANGED);
    g.MarkChanged(FALSE, 1, 1);
    EXPECT_EQ(0u, g.GetCellState(2, 2));
}

TEST(GridModel, MoveFocusToSetsTheFocusBitAndReturnsThePrevious) {
    TestGrid g(4, 3);
    EXPECT_EQ(CCellPos(-1, -1), g.MoveFocusTo(1, 1));
    EXPECT_EQ((UINT)CELL_FOCUSED, g.GetCellState(1, 1));
    EXPECT_EQ(CCellPos(1, 1), g.MoveFocusTo(2, 2));
    EXPECT_EQ(0u, g.GetCellState(1, 1));
    EXPECT_EQ((UINT)CELL_FOCUSED, g.GetCellState(2, 2));
    EXPECT_EQ(CCellPos(2, 2), g.MoveFocusTo(2, 2));
    EXPECT_EQ(CCellPos(2, 2), g.MoveFocusTo(-1, -1));
    EXPECT_EQ(0u, g.GetCellState(2, 2));
    // An invalid target is stored but marks nothing.
    EXPECT_EQ(CCellPos(-1, -1), g.MoveFocusTo(9, 0));
    EXPECT_EQ(CCellPos(9, 0), g.GetFocusCell());
}

TEST(GridModel, SelectSpanReplacesTheSelection) {
    TestGrid g(5, 4, 1, 1);
    g.SelectSpan(1, 1, 2, 3, FALSE);
    EXPECT_EQ(6, g.selectedCells.GetCount());
    EXPECT_EQ(CCellSpan(1, 1, 2, 3), g.GetSelectionBounds());
    g.SelectSpan(4, 2, 4, 2, FALSE);
    EXPECT_EQ(1, g.selectedCells.GetCount());
    EXPECT_EQ(0u, g.GetCellState(1, 1));
    EXPECT_EQ((UINT)CELL_SELECTED, g.GetCellState(4, 2));
    // An ill-formed span only clears.
    g.SelectSpan(3, 1, 1, 1, FALSE);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    g.SelectSpan(1, 1, 5, 1, FALSE); // maxRow beyond the grid
    EXPECT_TRUE(g.selectedCells.IsEmpty());
}

TEST(GridModel, SelectSpanAddsTheSavedSelectionBack) {
    TestGrid g(5, 4);
    g.savedSelection.Add(4, 3);
    g.savedSelection.Add(9, 9); // no such cell: skipped
    g.SelectSpan(1, 1, 1, 2, FALSE);
    EXPECT_EQ(3, g.selectedCells.GetCount());
    EXPECT_TRUE(g.GetCellState(4, 3) & CELL_SELECTED);
    g.SetSingleRowSelection(TRUE);
    g.SelectSpan(-1, -1, -1, -1, FALSE);
    EXPECT_TRUE(g.selectedCells.IsEmpty());
}

TEST(GridModel, SelectionDoesNothingWhileDisabled) {
    TestGrid g(3, 3);
    g.SelectSpan(0, 0, 1, 1, FALSE);
    g.EnableSelection(FALSE);
    g.SelectSpan(2, 2, 2, 2, FALSE);
    g.SelectAllCells();
    EXPECT_EQ(4, g.selectedCells.GetCount());
    g.EnableSelection(TRUE);
    g.ClearSelection();
    EXPECT_TRUE(g.selectedCells.IsEmpty());
}

TEST(GridModel, SelectionsByMode) {
    TestGrid g(6, 4, 1, 1);
    g.anchorCell = CCellPos(2, 2);
    g.SelectCellsTo(CCellPos(4, 1));
    EXPECT_EQ(CCellSpan(2, 1, 4, 2), g.GetSelectionBounds());
    EXPECT_EQ(6, g.selectedCells.GetCount());
    g.SelectCellsTo(CCellPos(0, 1)); // a heading row: nothing changes
    EXPECT_EQ(6, g.selectedCells.GetCount());

    g.SelectRowsTo(CCellPos(5, 0));
    EXPECT_EQ(CCellSpan(2, 1, 5, 3), g.GetSelectionBounds());
    g.SetListMode(TRUE);
    g.SetSingleRowSelection(TRUE);
    g.SelectRowsTo(CCellPos(5, 0));
    EXPECT_EQ(CCellSpan(5, 1, 5, 3), g.GetSelectionBounds());

    g.SelectColumnsTo(CCellPos(3, 3));
    EXPECT_EQ(CCellSpan(1, 2, 5, 3), g.GetSelectionBounds());
    g.SelectAllCells();
    EXPECT_EQ(CCellSpan(1, 1, 5, 3), g.GetSelectionBounds());
    EXPECT_EQ(15, g.selectedCells.GetCount());

    g.mouseMode = GMM_PICK_CELLS;
    g.SelectToCell(CCellPos(1, 1));
    EXPECT_EQ(CCellSpan(1, 1, 2, 2), g.GetSelectionBounds());
    g.mouseMode = GMM_AT_ROW_EDGE;
    g.SelectToCell(CCellPos(5, 3));
    EXPECT_EQ(CCellSpan(1, 1, 2, 2), g.GetSelectionBounds());
}

TEST(GridModel, SelectAllIsTheSelectAllCommand) {
    TestGrid g(3, 3, 1, 1);
    g.CmdSelectAll();
    EXPECT_EQ(CCellSpan(1, 1, 2, 2), g.GetSelectionBounds());
}

TEST(GridModel, SortWithEqualKeysSwapsNothing) {
    TestGrid g(1, 2, 1);
    for (int i = 0; i < 9; i++) {
        int row = g.AddRow("same", -1);
        g.SetCellParam(row, 1, 100 + i);
        g.SetRowHeight(row, i);
    }
    EXPECT_TRUE(g.SortRowsByColumn(0, TRUE));
    EXPECT_TRUE(g.SortRowsByColumn(0, FALSE));
    for (int i = 0; i < 9; i++) {
        EXPECT_EQ(100 + i, Param(g, i + 1, 1));
        EXPECT_EQ(i, g.GetRowHeight(i + 1));
    }
}

TEST(GridModel, SortRejectsABadColumnAndShortRanges) {
    TestGrid g(3, 2, 1);
    EXPECT_FALSE(g.SortRowsByColumn(2, TRUE));
    TestGrid one(2, 2, 1);
    EXPECT_FALSE(one.SortRowsByColumn(0, TRUE)); // one scrolling row: nothing to sort
}

// Random texts (ASCII and two-byte code page 949 characters) sorted by the grid and by
// std::sort with the same _mbscmp order: the same sequence, every cell and height moving with
// its row, the heading row untouched.
TEST(GridModel, SortMatchesStdSortByMbscmp) {
    std::mt19937 rng(12345);
    const char* pieces[] = {"a", "B", "b", "z", "0", "9", " ", "가", "나", "한", "굴림", "~", "A"};
    for (int trial = 0; trial < 12; trial++) {
        BOOL ascending = trial % 2 == 0;
        TestGrid g(1, 3, 1);
        g.SetCellText(0, 0, "heading");
        int n = 1 + (int)(rng() % 300);
        std::vector<std::string> texts;
        for (int i = 0; i < n; i++) {
            std::string s;
            int len = (int)(rng() % 4);
            for (int k = 0; k < len; k++)
                s += pieces[rng() % (sizeof pieces / sizeof pieces[0])];
            texts.push_back(s);
            int row = g.AddRow(s.c_str(), -1);
            g.SetCellParam(row, 2, i);
            g.SetRowHeight(row, i % 7);
            g.SetCellText(row, 1, std::to_string(i).c_str());
        }
        g.SortRowsByColumn(0, ascending);

        std::vector<std::string> expected = texts;
        std::sort(expected.begin(), expected.end(), [ascending](const std::string& a, const std::string& b) {
            int c = _mbscmp((const unsigned char*)a.c_str(), (const unsigned char*)b.c_str());
            return ascending ? c < 0 : c > 0;
        });
        ASSERT_EQ(n + 1, g.GetNumRows());
        EXPECT_STREQ("heading", g.GetCellText(0, 0));
        std::vector<bool> seen((size_t)n, false);
        for (int i = 0; i < n; i++) {
            int row = i + 1;
            EXPECT_EQ(expected[(size_t)i], std::string(g.GetCellText(row, 0)))
                << "trial " << trial << " row " << row;
            int id = (int)Param(g, row, 2);
            ASSERT_GE(id, 0);
            ASSERT_LT(id, n);
            EXPECT_FALSE(seen[(size_t)id]);
            seen[(size_t)id] = true;
            EXPECT_EQ(texts[(size_t)id], std::string(g.GetCellText(row, 0)));
            EXPECT_EQ(std::to_string(id), std::string(g.GetCellText(row, 1)));
            EXPECT_EQ(id % 7, g.GetRowHeight(row));
        }
        int total = 0;
        for (int r = 0; r < g.GetNumRows(); r++)
            total += g.GetRowHeight(r);
        EXPECT_EQ(total, g.GetTotalHeight());
    }
}

TEST(GridModel, SortClearsTheSelectionAndTheFocus) {
    TestGrid g(4, 2, 1);
    g.SetCellText(1, 0, "c");
    g.SetCellText(2, 0, "a");
    g.SetCellText(3, 0, "b");
    g.SelectSpan(1, 0, 3, 1, FALSE);
    g.MoveFocusTo(2, 1);
    EXPECT_TRUE(g.SortRowsByColumn(0, TRUE));
    EXPECT_TRUE(g.selectedCells.IsEmpty());
    EXPECT_EQ(CCellPos(-1, -1), g.GetFocusCell());
    EXPECT_STREQ("a", g.GetCellText(1, 0));
    EXPECT_STREQ("b", g.GetCellText(2, 0));
    EXPECT_STREQ("c", g.GetCellText(3, 0));
    for (int r = 1; r < 4; r++)
        EXPECT_EQ(0u, g.GetCellState(r, 1));
}

// A derived grid supplies its own texts: the descriptor and the sort use them.
TEST(GridModel, DerivedTextsAreUsedByTheDescriptorAndTheSort) {
    class NumberGrid : public TestGrid {
    public:
        using TestGrid::TestGrid;
        CString GetCellText(int row, int col) const override {
            CString s;
            s.Format("%03d", (int)(1000 - TestGrid::GetCellText(row, col).GetLength() * 7) % 1000);
            return s;
        }
    } g(4, 1);
    g.SetCellText(0, 0, "");
    g.SetCellText(1, 0, "xxx");
    g.SetCellText(2, 0, "x");
    g.SetCellText(3, 0, "xx");
    GridItemDesc d;
    d.row = 2;
    d.col = 0;
    d.mask = DESC_TEXT;
    ASSERT_TRUE(g.GetCellDesc(&d));
    EXPECT_STREQ("993", d.text);
    g.SortRowsByColumn(0, TRUE);
    EXPECT_STREQ("000", g.GetCellText(0, 0));
    EXPECT_STREQ("979", g.GetCellText(1, 0));
    EXPECT_STREQ("986", g.GetCellText(2, 0));
    EXPECT_STREQ("993", g.GetCellText(3, 0));
}

TEST(GridModel, DiscardCellIsCalledForEveryDeletedCell) {
    static std::vector<std::pair<int, int>> discarded;
    static int made = 0;
    class CountingGrid : public TestGrid {
    public:
        using TestGrid::TestGrid;
        ~CountingGrid() override { ClearGrid(); }
        // Cells of a look of their own, whose making and discarding touch another cell of the row.
        CGridItem* CreateCellObject(int row, int col) override {
            CGridItem* cell = TestGrid::CreateCellObject(row, col);
            cell->bkColor = RGB(1, 2, 3);
            made++;
            if (col == 0 && GetNumColumns() > 2) SetCellText(row, 2, "touched when made");
            return cell;
        }
        void DiscardCell(CGridItem* cell, int row, int col) override {
            discarded.push_back({row, col});
            if (col == 0 && GetNumColumns() > 2) SetCellText(row, 2, "touched when discarded");
            TestGrid::DiscardCell(cell, row, col);
        }
    };
    discarded.clear();
    {
        CountingGrid g(3, 2);
        g.RemoveRow(1);
        EXPECT_EQ((std::vector<std::pair<int, int>>{{1, 0}, {1, 1}}), discarded);
        discarded.clear();
        g.SetNumColumns(1);
        EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 1}, {1, 1}}), discarded);
        discarded.clear();
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{0, 0}, {1, 0}}), discarded);
    // Appended rows' objects, made on first use, are the override's with the text and the fields
    // set since, and end too, through add, insert, remove, columns and emptying.
    made = 0;
    discarded.clear();
    {
        CountingGrid g(0, 3);
        g.SetNumRows(1);
        for (int i = 1; i <= 4; i++)
            g.AddRow(("row " + std::to_string(i)).c_str(), -1);
        g.SetCellText(2, 1, "one");
        g.SetCellState(2, 1, CELL_READONLY);
        CGridItem* cell = g.GetCell(2, 1);
        ASSERT_NE(nullptr, cell);
        EXPECT_EQ(RGB(1, 2, 3), cell->bkColor);
        EXPECT_EQ((UINT)CELL_READONLY, cell->state);
        EXPECT_STREQ("one", cell->text);
        ASSERT_STREQ("row 3", g.GetCell(3, 0)->text);
        EXPECT_STREQ("touched when made", g.GetCellText(3, 2));
        g.AddRow("inserted", 2);
        g.GetCell(2, 0);
        g.RemoveRow(4);
        g.SetNumColumns(4);
        g.SetNumColumns(2);
        EXPECT_EQ(made - (int)discarded.size(), g.MeasureStorage().cellsMade);
        const size_t before = discarded.size();
        g.RemoveScrollingRows();
        // From the last row up, as RemoveRow from the end would discard them.
        for (size_t i = before + 1; i < discarded.size(); i++)
            EXPECT_GE(discarded[i - 1].first, discarded[i].first);
    }
    EXPECT_EQ(made, (int)discarded.size());
    EXPECT_GT(made, 6);
}

// Appended rows keep their cells in shared storage until a cell object is asked for: a change of
// one cell's font, colour, state or text must stay with that cell, and the object made on first
// request carries the cell's fields and stays put while other rows come and go.
TEST(GridModel, CellsSharingStorageChangeAlone) {
    static int created = 0;
    class CountingGrid : public TestGrid {
    public:
        using TestGrid::TestGrid;
        CGridItem* CreateCellObject(int row, int col) override {
            created++;
            return TestGrid::CreateCellObject(row, col);
        }
    };
    CountingGrid g(1, 3, 1);
    created = 0;
    for (int i = 0; i < 6; i++)
        ASSERT_EQ(i + 1, g.AddRow("same", -1));
    EXPECT_EQ(0, created) << "appended rows make no cell objects";
    LOGFONTA big = g.gridFont;
    big.lfHeight = -40;
    ASSERT_TRUE(g.SetCellFont(2, 1, &big));
    ASSERT_TRUE(g.SetCellState(3, 1, CELL_READONLY));
    ASSERT_TRUE(g.SetCellText(4, 0, "other"));
    SetFormat(g, 5, 1, DT_RIGHT);
    GridItemDesc color;
    color.row = 6;
    color.col = 1;
    color.mask = DESC_BKCOLOR | DESC_TEXTCOLOR;
    color.bkColor = RGB(1, 2, 3);
    color.textColor = RGB(4, 5, 6);
    ASSERT_TRUE(g.SetCellDesc(&color));
    for (int row = 1; row <= 6; row++) {
        SCOPED_TRACE(row);
        EXPECT_EQ(row == 2 ? -40 : g.gridFont.lfHeight, g.GetCellFont(row, 1)->lfHeight);
        EXPECT_EQ(g.gridFont.lfHeight, g.GetCellFont(row, 0)->lfHeight);
        EXPECT_EQ(row == 3 ? (UINT)CELL_READONLY : 0u, g.GetCellState(row, 1));
        EXPECT_STREQ(row == 4 ? "other" : "same", g.GetCellText(row, 0));
        EXPECT_EQ(row == 5 ? (UINT)DT_RIGHT : 0u, g.GetCellFormat(row, 1));
        EXPECT_EQ(row == 6 ? RGB(1, 2, 3) : (row % 2 ? kLightBand : kDarkBand), BkColor(g, row, 1));
        EXPECT_EQ(row == 6 ? RGB(4, 5, 6) : CELL_DEFAULT_COLOR, TextColor(g, row, 1));
    }
    // The object made on first request has the cell's fields, is made once, and the accessors
    // and the object agree from then on.
    CGridItem* cell = g.GetCell(2, 1);
    ASSERT_NE(nullptr, cell);
    EXPECT_EQ(1, created);
    EXPECT_EQ(-40, cell->font.lfHeight);
    EXPECT_EQ(kDarkBand, cell->bkColor);
    EXPECT_EQ(cell, g.GetCell(2, 1));
    cell->text = "direct";
    ASSERT_TRUE(g.SetCellParam(2, 1, 77));
    EXPECT_EQ(77, cell->param);
    EXPECT_EQ(0, Param(g, 3, 1));
    g.AddRow("new", 1);
    g.RemoveRow(5);
    EXPECT_EQ(cell, g.GetCell(3, 1)) << "the object moves with its row";
    EXPECT_STREQ("direct", g.GetCellText(3, 1));
    EXPECT_EQ(1, created);
}

// A text the grid shows from its caller's characters (ShareCellText) reads like a copied one
// through every change of its row, and a change of that cell or another stays with that cell.
TEST(GridModel, SharedTextsReadLikeCopiesAndChangeAlone) {
    TestGrid g(1, 3, 1);
    const char shared[] = "shared detail";
    for (int i = 0; i < 4; i++) {
        ASSERT_EQ(i + 1, g.AddRow(std::to_string(i).c_str(), -1));
        ASSERT_TRUE(g.ShareCellText(i + 1, 1, shared));
        ASSERT_TRUE(g.ShareCellText(i + 1, 2, shared));
    }
    EXPECT_FALSE(g.ShareCellText(5, 2, shared));
    ASSERT_TRUE(g.SetCellText(1, 0, "a longer text before the shared ones"));
    ASSERT_TRUE(g.SetCellText(2, 2, "own"));
    ASSERT_TRUE(g.SetCellText(3, 1, ""));
    g.SortRowsByColumn(0, FALSE); // "a longer...", "3", "2", "1"
    ASSERT_TRUE(g.SetNumColumns(4));
    ASSERT_TRUE(g.SetCellText(4, 3, "new column"));
    const char* const expected[][4] = {
        {"a longer text before the shared ones", "shared detail", "shared detail", ""},
        {"3", "shared detail", "shared detail", ""},
        {"2", "", "shared detail", ""},
        {"1", "shared detail", "own", "new column"}};
    for (int row = 1; row <= 4; row++)
        for (int col = 0; col < 4; col++)
            EXPECT_STREQ(expected[row - 1][col], g.GetCellText(row, col)) << row << "," << col;
    CGridItem* cell = g.GetCell(1, 2);
    ASSERT_NE(nullptr, cell);
    EXPECT_STREQ("shared detail", cell->text);
    ASSERT_TRUE(g.ShareCellText(1, 2, "other")); // the object copies it
    EXPECT_STREQ("other", cell->text);
    const LPCTSTR texts[] = {"x", shared, "made"}; // all at once: the same, one cell shared
    EXPECT_FALSE(g.SetRowTexts(1, 5, texts));
    ASSERT_TRUE(g.SetRowTexts(1, 3, texts, 1u << 1 | 1u << 2));
    EXPECT_STREQ("made", cell->text);
    EXPECT_STREQ("x", g.GetCellText(1, 0));
    ASSERT_TRUE(g.SetNumColumns(2));
    EXPECT_STREQ("shared detail", g.GetCellText(1, 1));
    EXPECT_STREQ("", g.GetCellText(1, 2));
}

namespace {
// While it lives, the n-th allocation on this thread fails, and from then on (from the start with
// n = 0) those of 1 GB or more, so that a huge count fails alike on both builds.
struct FailFrom {
    static inline int countdown = 0;
    static inline bool failed = false;
    static inline DWORD thread = 0;
    static BOOL Hook(size_t size, BOOL, LONG) {
        if (::GetCurrentThreadId() != thread || (countdown <= 0 ? size < (1u << 30) : --countdown > 0))
            return TRUE;
        return !(failed = true);
    }
    explicit FailFrom(int n) {
        countdown = n, failed = false, thread = ::GetCurrentThreadId(), AfxSetAllocHook(Hook);
    }
    ~FailFrom() { AfxSetAllocHook(nullptr); }
};

// What the cells hold, the counts, and every array and sum in step with the counts.
std::string Storage(TestGrid& g) {
    const INT_PTR rows = g.GetNumRows(), cols = g.GetNumColumns();
    for (INT_PTR n : {g.rows.GetSize(), g.rowHeights.GetSize(), (INT_PTR)g.rowIndex.GetCount()})
        EXPECT_EQ(rows, n);
    for (INT_PTR n :
         {g.columnWidths.GetSize(), g.columnEditorKinds.GetSize(), (INT_PTR)g.columnIndex.GetCount()})
        EXPECT_EQ(cols, n);
    std::string s = std::to_string(rows) + "x" + std::to_string(cols) + ":";
    long long sum = 0;
    for (int r = 0; r < rows; r++) {
        sum += g.GetRowHeight(r);
        for (int c = 0; c < cols; c++)
            s += std::string(g.GetCellText(r, c)) + "|";
    }
    EXPECT_EQ(sum, g.rowIndex.Total());
    return s;
}
} // namespace

// An operation that runs out of memory at any of its allocations leaves the rows, the columns,
// their sizes and sums in step (as they were, for the first cases), the cells' texts kept, and
// gives back every context and font it took.
TEST(GridModel, OperationsThatRunOutOfMemoryLeaveTheStorageInStep) {
    const struct {
        const char* name;
        bool keeps; // the storage is exactly as before the failed call
        std::function<void(TestGrid&)> op;
    } cases[] = {
        {"append", true, [](TestGrid& g) { g.AddRow("new", -1); }},
        {"insert", true, [](TestGrid& g) { g.AddRow("mid", 2); }},
        {"first use of a cell", true, [](TestGrid& g) { g.GetCell(3, 1); }},
        {"huge row count", true, [](TestGrid& g) { g.SetNumRows(INT_MAX / 2); }},
        {"huge column count", true, [](TestGrid& g) { g.SetNumColumns(INT_MAX / 2); }},
        {"more columns", false, [](TestGrid& g) { g.SetNumColumns(5); }},
        {"fit a column", false, [](TestGrid& g) { g.FitColumnToText(1); }},
        {"fit all", false, [](TestGrid& g) { g.FitAllToText(); }},
        {"forced selection", false, [](TestGrid& g) { g.SelectSpan(1, 0, 4, 2, TRUE); }},
        {"sort", false, [](TestGrid& g) { g.SortRowsByColumn(1, FALSE); }},
    };
    for (const auto& c : cases) {
        for (int n = c.name[0] == 'h' ? 0 : 1;; n++) {
            SCOPED_TRACE(std::string(c.name) + " failing at allocation " + std::to_string(n));
            TestGrid g(1, 3, 1);
            for (int i = 1; i <= 4; i++) {
                g.AddRow(("row " + std::to_string(i)).c_str(), -1);
                g.SetCellText(i, 1, ("detail of row " + std::to_string(5 - i) + " long enough").c_str());
            }
            const std::string before = Storage(g);
            const AfxGdiCounters gdi = AfxGetGdiCounters();
            bool threw = false, refused;
            {
                FailFrom fail(n);
                try {
                    c.op(g);
                } catch (CException* e) {
                    e->Delete();
                    threw = true;
                }
                refused = FailFrom::failed;
            }
            const AfxGdiCounters now = AfxGetGdiCounters();
            EXPECT_EQ(now.dcsAcquired - gdi.dcsAcquired, now.dcsReleased - gdi.dcsReleased);
            EXPECT_EQ(now.objectsCreated - gdi.objectsCreated, now.objectsDeleted - gdi.objectsDeleted);
            const std::string after = Storage(g);
            EXPECT_TRUE(!(c.keeps && threw) || before == after) << before << "\n" << after;
            EXPECT_TRUE(n != 0 || threw);
            if (n == 0 || (!refused && !threw)) break;
        }
    }
}
