// Prefix sums over a list of sizes (the row heights or the column widths), kept in step with
// every change of the list, so that the grid's geometry is answered without summing the list:
// a binary indexed (Fenwick) tree. Sums are 64-bit.
//
//   Prefix(k)       sum of the first k sizes                    O(log n)
//   Append          one more size at the end                    O(log n)
//   RemoveLast      drop the last size                          O(1)
//   Change          one size changed in place                   O(log n)
//   Build           from the whole list (insertion or removal
//                   in the middle rebuilds)                     O(n)
//   CountWithin(t)  the largest k with Prefix(k) <= t           O(log n), needs no negative size
//   FirstAtMost /   the first / last index in a range whose size is at most a limit, from the
//   LastAtMost      smallest sizes by blocks (below)
#pragma once

#include "afx.h"

#include <vector>

class CSizeIndex {
public:
    CSizeIndex() { m_tree.push_back(0); }

    int GetCount() const { return (int)m_tree.size() - 1; }
    long long Total() const { return m_total; }
    // TRUE while some size is negative; the prefix sums are then not monotone, and
    // CountWithin must not be used.
    BOOL HasNegative() const { return m_negatives > 0; }

    void Clear();
    void Build(const CUIntArray& sizes);
    void Append(int size);
    // Removes the last size, whose value was lastSize.
    void RemoveLast(int lastSize);
    void Change(int index, int oldSize, int newSize);
    // Gives back the room kept for sizes no longer there.
    void FreeExtra() { m_tree.shrink_to_fit(); }

    long long Prefix(int count) const {
        long long sum = 0;
        for (int i = count; i > 0; i -= i & -i)
            sum += m_tree[(size_t)i];
        return sum;
    }
    // Sum of the sizes first .. last - 1 (empty when last <= first).
    long long Range(int first, int last) const { return last > first ? Prefix(last) - Prefix(first) : 0; }
    int CountWithin(long long limit) const;

    // The first index >= from whose size is at most `limit`, or GetCount() if there is none; the
    // last index < before whose size is at most `limit`, or -1. `sizes` is the list the index is
    // kept for. Each costs some hundred reads, plus a block's reads for every block found to hold
    // no such size although its recorded smallest size said it might (that record is then
    // corrected, so each change of a size costs such a block once at most).
    int FirstAtMost(const CUIntArray& sizes, int from, int limit) const;
    int LastAtMost(const CUIntArray& sizes, int before, int limit) const;

private:
    // The smallest sizes by blocks: level 0 has one entry for every kBlock sizes, level k + 1
    // one for every kBlock entries of level k, up to a level of at most kBlock entries. An entry
    // is never above the smallest size of its block (it may be below, after a size grew or the
    // block's smallest size was removed; a search puts it right when it meets it).
    static const int kBlockBits = 6;
    static const int kBlock = 1 << kBlockBits;
    void AppendMin(int index, int size);
    void BuildMins(const CUIntArray& sizes);
    int FirstIn(const CUIntArray& sizes, int level, int node, int from, int limit) const;
    int LastIn(const CUIntArray& sizes, int level, int node, int before, int limit) const;

    mutable std::vector<std::vector<int>> m_mins;

    std::vector<long long> m_tree; // 1-based: m_tree[i] sums the sizes i - lowbit(i) .. i - 1
    long long m_total = 0;
    int m_negatives = 0;
};
