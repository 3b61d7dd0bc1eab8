// Sorting the scrolling rows by the text of one column.
#include "GridMainWnd.h"

#include <utility>

static int CompareTexts(const CString& a, const CString& b) {
    return _mbscmp((const unsigned char*)(LPCTSTR)a, (const unsigned char*)(LPCTSTR)b);
}

BOOL CGridMainWnd::SortRowsByColumn(int col, BOOL ascending) {
    ClearSelection();
    // Heights move with their rows: the prefix sums are brought in step once, at the end, or for
    // the rows as they stand when a text cannot be read (a rebuild into the sums' own storage
    // cannot fail).
    BOOL result;
    try {
        result = SortRowRange(col, ascending, fixedRowCount, -1);
    } catch (...) {
        rowIndex.Build(rowHeights);
        throw;
    }
    rowIndex.Build(rowHeights);
    return result;
}

// Quicksort with the middle row as pivot. Rows with equal texts are never swapped. The two
// parts left by a partition are disjoint, so sorting them in either order gives the same rows;
// the smaller part is sorted by recursion and the larger one by the loop, which keeps the depth
// logarithmic.
BOOL CGridMainWnd::SortRowRange(int col, BOOL ascending, int low, int high) {
    if (col >= columnCount) return FALSE;
    if (high == -1) high = rowCount - 1;
    if (high <= low) return FALSE;

    while (low < high) {
        CString pivot = GetCellText((low + high) / 2, col);
        int i = low, j = high;
        while (i <= j) {
            if (ascending) {
                while (i < high && CompareTexts(GetCellText(i, col), pivot) < 0)
                    i++;
                while (j > low && CompareTexts(GetCellText(j, col), pivot) > 0)
                    j--;
            } else {
                while (i < high && CompareTexts(GetCellText(i, col), pivot) > 0)
                    i++;
                while (j > low && CompareTexts(GetCellText(j, col), pivot) < 0)
                    j--;
            }
            if (i <= j) {
                if (CompareTexts(GetCellText(i, col), GetCellText(j, col)) != 0) {
                    // The row arrays carry all the cells of their rows.
                    std::swap(rows[i], rows[j]);
                    std::swap(rowHeights[i], rowHeights[j]);
                }
                i++;
                j--;
            }
        }
        if (j - low < high - i) {
            if (low < j) SortRowRange(col, ascending, low, j);
            low = i;
        } else {
            if (i < high) SortRowRange(col, ascending, i, high);
            high = j;
        }
    }
    return TRUE;
}
