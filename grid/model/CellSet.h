// CCellSet: a set of cells kept as row bands. A band is a run of consecutive rows that have the
// same columns in the set; it holds those columns as sorted runs that neither overlap nor touch.
// Bands are sorted by row, neither overlap, and two bands next to each other with the same
// columns are one band. So every set has exactly one form, and selecting ten million whole rows
// is one band of one run: its size, its bounds and a change cost the number of bands, and asking
// for one cell costs two binary searches.
#pragma once

#include "GridDefs.h"

#include <climits>
#include <vector>

class CCellSet {
public:
    // Columns first .. last, inclusive.
    struct Run {
        int first;
        int last;
        bool operator==(const Run& o) const { return first == o.first && last == o.last; }
    };
    // Rows first .. last, inclusive, each with the columns of runs.
    struct Band {
        int first;
        int last;
        std::vector<Run> runs;
    };
    // Beyond every row and column: a span to this edge reaches the end of the grid.
    static const int kEnd = INT_MAX - 1;

    BOOL IsEmpty() const { return m_bands.empty(); }
    void RemoveAll() { std::vector<Band>().swap(m_bands); }
    void Swap(CCellSet& other) { m_bands.swap(other.m_bands); }
    BOOL Contains(int row, int col) const;
    // The runs of a row's columns in the set, or NULL when it has none. With hint (a band index
    // kept by the caller, 0 at first), a walk down the rows finds each row's band at once.
    const std::vector<Run>* RunsOfRow(int row, size_t* hint = nullptr) const;

    // Add and remove the cells of a span whose minima are at most its maxima (nothing else).
    // They throw CMemoryException when memory runs out, and the set is then as it was.
    void Add(const CCellSpan& span);
    void Remove(const CCellSpan& span);
    void Add(int row, int col) { Add(CCellSpan(row, col, row, col)); }
    void Remove(int row, int col) { Remove(CCellSpan(row, col, row, col)); }
    // Takes rows first .. first + count - 1 out and moves the rows below them up by count.
    void RemoveRows(int first, int count);

    // The number of cells.
    long long GetCount() const;
    // The smallest span holding every cell; FALSE (and *bounds unchanged) when the set is empty.
    BOOL GetBounds(CCellSpan* bounds) const;
    const std::vector<Band>& Bands() const { return m_bands; }

    // Calls f(row, col) for every cell, row by row and left to right within a row.
    template <class F> void ForEachCell(F f) const {
        for (const Band& band : m_bands)
            for (int row = band.first; row <= band.last; row++)
                for (const Run& run : band.runs)
                    for (int col = run.first; col <= run.last; col++)
                        f(row, col);
    }

private:
    // Replaces rows firstRow .. lastRow by what change(runs) makes of each band's columns there
    // (rows outside every band come with no runs), splitting and joining bands as needed.
    template <class Change> void ChangeRows(int firstRow, int lastRow, Change change);

    std::vector<Band> m_bands;
};
