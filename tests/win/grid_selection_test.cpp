// The grid's selection against a plain set of cells, over random clicks, Shift+ and Ctrl+clicks,
// drags, keys, cells set one at a time, and rows inserted and removed: the same cells selected,
// the same count and bounds, and the same copied text.
#include "grid_mouse_fixture.h"

#include <random>
#include <set>
#include <string>

namespace {
typedef std::pair<int, int> Cell;

class GridSelection : public gridinput::GridInputTest {
protected:
    std::set<Cell> sel, saved;
    CCellPos focus, anchor;
    int Rows() const { return grid.GetNumRows(); }
    int Cols() const { return grid.GetNumColumns(); }

    // The saved cells and the range from the anchor (whole rows in list mode).
    void SelectTo(CCellPos to) {
        sel = saved;
        for (int r = std::min(anchor.row, to.row); r <= std::max(anchor.row, to.row) && anchor.row >= 0; r++)
            for (int c = 1; c < Cols(); c++)
                if (grid.listMode || (c >= std::min(anchor.col, to.col) && c <= std::max(anchor.col, to.col)))
                    sel.insert({r, c});
        focus = to;
    }
    // A press on a body cell; false on the focus cell, which selects nothing.
    bool Press(CCellPos cell, bool shift, bool ctrl) {
        if (!shift || focus.row >= 0)
            anchor = shift ? focus : cell;
        else if (anchor.row < 0)
            anchor = cell;
        if (cell == focus) return false;
        saved = ctrl ? sel : std::set<Cell>();
        SelectTo(cell);
        return true;
    }
    void Key(UINT vk, bool shift, bool ctrl) {
        gridinput::HeldKeys held{shift ? VK_SHIFT : 0, ctrl ? VK_CONTROL : 0};
        GridInputTest::Key(vk);
        if (focus.row < 0) return;
        if (vk == 'A') { // the saved cells and every body cell
            sel = saved;
            for (int r = 1; r < Rows(); r++)
                for (int c = 1; c < Cols(); c++)
                    sel.insert({r, c});
            return;
        }
        CCellPos next(vk == VK_HOME ? 1 : vk == VK_END ? Rows() - 1 : focus.row, focus.col);
        next.row = std::max(1, std::min(Rows() - 1, next.row + (vk == VK_DOWN) - (vk == VK_UP)));
        next.col = std::max(1, std::min(Cols() - 1, next.col + (vk == VK_RIGHT) - (vk == VK_LEFT)));
        if (next == focus) return;
        saved.clear();
        if (!shift) anchor = next;
        SelectTo(next);
    }
    static void RemoveRow(std::set<Cell>& cells, int r) {
        std::set<Cell> moved;
        for (Cell cell : cells)
            if (cell.first != r) moved.insert({cell.first - (cell.first > r), cell.second});
        cells.swap(moved);
    }
    void Check() {
        std::set<Cell> got;
        CCellSpan bounds(Rows(), Cols(), -1, -1);
        for (int r = 0; r < Rows(); r++)
            for (int c = 0; c < Cols(); c++)
                if (grid.GetCellState(r, c) & CELL_SELECTED) got.insert({r, c});
        ASSERT_EQ(sel, got);
        EXPECT_EQ((long long)sel.size(), grid.selectedCells.GetCount());
        for (Cell cell : sel)
            bounds = CCellSpan(std::min(bounds.minRow, cell.first), std::min(bounds.minCol, cell.second),
                               std::max(bounds.maxRow, cell.first), std::max(bounds.maxCol, cell.second));
        ASSERT_EQ(bounds, grid.GetSelectionBounds());
        if (sel.empty()) return;
        std::string text, copied = "<no text>";
        for (int r = bounds.minRow; r <= bounds.maxRow; r++)
            for (int c = bounds.minCol; c <= bounds.maxCol; c++) {
                std::string cell = (LPCTSTR)grid.GetCellText(r, c);
                text += sel.count({r, c}) ? (cell.empty() ? " " : cell) : "";
                text += c < bounds.maxCol ? "\t" : r < bounds.maxRow ? "\n" : "";
            }
        ASSERT_TRUE(grid.CopySelection() && ::OpenClipboard(nullptr));
        if (HANDLE h = ::GetClipboardData(CF_TEXT)) copied = (const char*)::GlobalLock(h), ::GlobalUnlock(h);
        ::CloseClipboard();
        EXPECT_EQ(text, copied);
    }
};
} // namespace

TEST_F(GridSelection, TheRangesSelectWhatASetOfCellsWould) {
    Build(30, 3, 400, 800); // every row on screen, whatever is inserted
    std::mt19937 random(35);
    auto pick = [&](int low, int high) { return low + (int)(random() % (unsigned)(high - low + 1)); };
    for (int listMode = 0; listMode < 2; listMode++) {
        grid.SetListMode(listMode);
        for (int step = 0; step < 250; step++) {
            SCOPED_TRACE(testing::Message() << "list mode " << listMode << ", step " << step);
            const bool shift = pick(0, 2) == 0, ctrl = pick(0, 2) == 0;
            const UINT mods = (shift ? MK_SHIFT : 0) | (ctrl ? MK_CONTROL : 0), vk = "&(%'$#A"[pick(0, 6)];
            CCellPos a(pick(1, Rows() - 1), pick(1, Cols() - 1)), b(pick(1, Rows() - 1), pick(1, Cols() - 1));
            switch (pick(0, 7)) {
            case 0: // a click, or a drag to b
            case 1:
                Down(CellPoint(a.row, a.col), mods);
                if (Press(a, shift, ctrl) && pick(0, 1) && b != focus) SelectTo(b);
                Move(CellPoint(focus.row, focus.col), MK_LBUTTON | mods);
                Up(CellPoint(focus.row, focus.col), mods);
                break;
            case 2: // VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_HOME, VK_END or Ctrl+A
            case 3:
                Key(vk, shift, vk == 'A' || ctrl);
                break;
            case 4: { // one cell, fixed ones too, set or cleared directly
                Cell cell(pick(0, Rows() - 1), pick(0, Cols() - 1));
                grid.SetCellState(cell.first, cell.second,
                                  grid.GetCellState(cell.first, cell.second) ^ CELL_SELECTED);
                if (!sel.erase(cell)) sel.insert(cell);
                break;
            }
            case 5: // a row inserted among the others clears the selection and the focus
                if (Rows() > 36) break;
                ASSERT_EQ(a.row, grid.AddRow("", a.row));
                grid.SetRowHeight(a.row, kRowHeight);
                sel.clear(), saved.clear(), focus = CCellPos(-1, -1);
                break;
            default: // a row removed: the cells below move up
                if (Rows() < 20) break;
                ASSERT_TRUE(grid.RemoveRow(a.row));
                RemoveRow(sel, a.row), RemoveRow(saved, a.row);
                for (CCellPos* cell : {&focus, &anchor})
                    *cell = cell->row == a.row ? CCellPos(-1, -1)
                                               : CCellPos(cell->row - (cell->row > a.row), cell->col);
            }
            ASSERT_NO_FATAL_FAILURE(Check());
        }
    }
}
