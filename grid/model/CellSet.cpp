// The row bands of a cell set: lookups by binary search, changes by rebuilding the bands of the
// rows they touch and joining equal neighbours afterwards.
#include "CellSet.h"

#include <algorithm>
#include <iterator>

namespace {
typedef std::vector<CCellSet::Run> Runs;

// The runs of both, joined where they overlap or touch.
void AddRun(Runs& runs, int first, int last) {
    // The first run that ends at first - 1 or later can touch the new one.
    auto from = std::lower_bound(runs.begin(), runs.end(), first,
                                 [](const CCellSet::Run& r, int col) { return r.last < col - 1; });
    auto to = from;
    while (to != runs.end() && to->first <= last + 1) {
        first = std::min(first, to->first);
        last = std::max(last, to->last);
        ++to;
    }
    if (from != to) {
        *from = CCellSet::Run{first, last};
        runs.erase(from + 1, to);
    } else {
        runs.insert(from, CCellSet::Run{first, last});
    }
}

// The runs without columns first .. last.
void RemoveRun(Runs& runs, int first, int last) {
    Runs kept;
    kept.reserve(runs.size() + 1);
    for (const CCellSet::Run& r : runs) {
        if (r.last < first || r.first > last) {
            kept.push_back(r);
            continue;
        }
        if (r.first < first) kept.push_back({r.first, first - 1});
        if (r.last > last) kept.push_back({last + 1, r.last});
    }
    runs.swap(kept);
}

// Joins each band with the one before it when they meet and have the same columns.
void JoinBands(std::vector<CCellSet::Band>& bands) {
    size_t kept = 0;
    for (size_t i = 0; i < bands.size(); i++) {
        if (kept > 0 && bands[kept - 1].last + 1 == bands[i].first && bands[kept - 1].runs == bands[i].runs) {
            bands[kept - 1].last = bands[i].last;
        } else {
            if (kept != i) bands[kept] = std::move(bands[i]);
            kept++;
        }
    }
    bands.erase(bands.begin() + (std::ptrdiff_t)kept, bands.end());
}

bool IsOrdered(const CCellSpan& span) {
    return span.minRow <= span.maxRow && span.minCol <= span.maxCol;
}
} // namespace

const std::vector<CCellSet::Run>* CCellSet::RunsOfRow(int row, size_t* hint) const {
    size_t i;
    if (hint != nullptr && *hint <= m_bands.size() && (*hint == 0 || m_bands[*hint - 1].last < row)) {
        // Walking down: every band before the hinted one ends above the row.
        i = *hint;
        while (i < m_bands.size() && m_bands[i].last < row)
            i++;
    } else {
        // The first band that ends at the row or below it.
        i = (size_t)(std::lower_bound(m_bands.begin(), m_bands.end(), row,
                                      [](const Band& b, int r) { return b.last < r; }) -
                     m_bands.begin());
    }
    if (hint != nullptr) *hint = i;
    if (i == m_bands.size() || m_bands[i].first > row) return nullptr;
    return &m_bands[i].runs;
}

BOOL CCellSet::Contains(int row, int col) const {
    const Runs* runs = RunsOfRow(row);
    if (runs == nullptr) return FALSE;
    auto it =
        std::lower_bound(runs->begin(), runs->end(), col, [](const Run& r, int c) { return r.last < c; });
    return it != runs->end() && it->first <= col;
}

template <class Change> void CCellSet::ChangeRows(int firstRow, int lastRow, Change change) {
    // The bands that replace those the rows touch are made first, so that running out of memory
    // leaves the set as it was; the others are moved, which cannot fail.
    auto touched = std::lower_bound(m_bands.begin(), m_bands.end(), firstRow,
                                    [](const Band& b, int r) { return b.last < r; });
    auto after = touched;
    std::vector<Band> made;
    for (int row = firstRow;;) {
        int end;
        if (after != m_bands.end() && after->first <= row) {
            const Band& band = *after;
            if (band.first < row) made.push_back({band.first, row - 1, band.runs});
            end = std::min(band.last, lastRow);
            Band middle{row, end, band.runs};
            change(middle.runs);
            if (!middle.runs.empty()) made.push_back(std::move(middle));
            if (band.last > end) made.push_back({end + 1, band.last, band.runs});
            ++after;
        } else {
            // Rows in no band, up to the next band or the end of the change.
            end = after != m_bands.end() ? std::min(after->first - 1, lastRow) : lastRow;
            Band middle{row, end, Runs()};
            change(middle.runs);
            if (!middle.runs.empty()) made.push_back(std::move(middle));
        }
        if (end >= lastRow) break;
        row = end + 1;
    }
    std::vector<Band> bands;
    bands.reserve((size_t)(touched - m_bands.begin()) + made.size() + (size_t)(m_bands.end() - after));
    bands.insert(bands.end(), std::make_move_iterator(m_bands.begin()), std::make_move_iterator(touched));
    bands.insert(bands.end(), std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    bands.insert(bands.end(), std::make_move_iterator(after), std::make_move_iterator(m_bands.end()));
    JoinBands(bands);
    m_bands.swap(bands);
}

void CCellSet::Add(const CCellSpan& span) {
    if (!IsOrdered(span)) return;
    ChangeRows(span.minRow, span.maxRow, [&span](Runs& runs) { AddRun(runs, span.minCol, span.maxCol); });
}

void CCellSet::Remove(const CCellSpan& span) {
    if (!IsOrdered(span) || m_bands.empty()) return;
    ChangeRows(span.minRow, span.maxRow, [&span](Runs& runs) { RemoveRun(runs, span.minCol, span.maxCol); });
}

void CCellSet::RemoveRows(int first, int count) {
    if (count <= 0 || m_bands.empty()) return;
    const int last = first + count - 1;
    std::vector<Band> bands;
    bands.reserve(m_bands.size() + 1);
    for (const Band& band : m_bands) {
        if (band.last < first) {
            bands.push_back(band);
        } else if (band.first > last) {
            bands.push_back({band.first - count, band.last - count, band.runs});
        } else {
            // The band's rows above the removed ones stay, those below move up next to them.
            if (band.first < first) bands.push_back({band.first, first - 1, band.runs});
            if (band.last > last) bands.push_back({first, band.last - count, band.runs});
        }
    }
    JoinBands(bands);
    m_bands.swap(bands);
}

long long CCellSet::GetCount() const {
    long long count = 0;
    for (const Band& band : m_bands) {
        long long columns = 0;
        for (const Run& run : band.runs)
            columns += (long long)run.last - run.first + 1;
        count += ((long long)band.last - band.first + 1) * columns;
    }
    return count;
}

BOOL CCellSet::GetBounds(CCellSpan* bounds) const {
    if (m_bands.empty()) return FALSE;
    CCellSpan span(m_bands.front().first, INT_MAX, m_bands.back().last, INT_MIN);
    for (const Band& band : m_bands) {
        span.minCol = std::min(span.minCol, band.runs.front().first);
        span.maxCol = std::max(span.maxCol, band.runs.back().last);
    }
    *bounds = span;
    return TRUE;
}
