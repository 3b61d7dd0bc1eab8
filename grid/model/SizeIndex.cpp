// CSizeIndex: a binary indexed tree over a list of sizes.
#include "SizeIndex.h"

void CSizeIndex::Clear() {
    std::vector<long long>(1, 0).swap(m_tree);
    m_total = 0;
    m_negatives = 0;
}

void CSizeIndex::Build(const CUIntArray& sizes) {
    size_t n = (size_t)sizes.GetSize();
    // Into the storage there is when it is large enough (no allocation, so a rebuild after a
    // failure cannot fail again); else into new storage, the old sums kept if it cannot be had.
    if (n + 1 > m_tree.max_size()) AfxThrowMemoryException(); // as running out of memory
    if (m_tree.capacity() >= n + 1) {
        m_tree.assign(n + 1, 0);
    } else {
        std::vector<long long> tree(n + 1, 0);
        m_tree.swap(tree);
    }
    m_total = 0;
    m_negatives = 0;
    for (size_t i = 1; i <= n; i++) {
        int size = (int)sizes[(INT_PTR)(i - 1)];
        if (size < 0) m_negatives++;
        m_total += size;
        m_tree[i] += size;
        size_t parent = i + (i & (0 - i));
        if (parent <= n) m_tree[parent] += m_tree[i];
    }
}

void CSizeIndex::Append(int size) {
    // The new node i covers the sizes i - lowbit(i) .. i - 1: itself plus the nodes i - 1,
    // i - 2, i - 4, ... below lowbit(i), which already sum the rest of that range.
    if (m_tree.size() == m_tree.max_size()) AfxThrowMemoryException(); // as running out of memory
    int i = GetCount() + 1;
    long long node = size;
    for (int step = 1; step < (i & -i); step <<= 1)
        node += m_tree[(size_t)(i - step)];
    m_tree.push_back(node);
    m_total += size;
    if (size < 0) m_negatives++;
}

void CSizeIndex::RemoveLast(int lastSize) {
    if (GetCount() == 0) return;
    // No other node covers the last position, so dropping its node is enough.
    m_tree.pop_back();
    m_total -= lastSize;
    if (lastSize < 0) m_negatives--;
}

void CSizeIndex::Change(int index, int oldSize, int newSize) {
    long long delta = (long long)newSize - oldSize;
    if (oldSize < 0) m_negatives--;
    if (newSize < 0) m_negatives++;
    m_total += delta;
    if (delta == 0) return;
    int n = GetCount();
    for (int i = index + 1; i <= n; i += i & -i)
        m_tree[(size_t)i] += delta;
}

int CSizeIndex::CountWithin(long long limit) const {
    int n = GetCount();
    if (limit < 0 || n == 0) return 0;
    int step = 1;
    while (step * 2 <= n && step * 2 > 0)
        step *= 2;
    int pos = 0;
    long long rest = limit;
    for (; step > 0; step >>= 1) {
        int next = pos + step;
        if (next <= n && m_tree[(size_t)next] <= rest) {
            pos = next;
            rest -= m_tree[(size_t)next];
        }
    }
    return pos;
}
