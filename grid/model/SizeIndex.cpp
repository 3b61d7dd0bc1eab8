// CSizeIndex: a binary indexed tree over a list of sizes.
#include "SizeIndex.h"

#include <algorithm>
#include <climits>

void CSizeIndex::Clear() {
    std::vector<long long>(1, 0).swap(m_tree);
    std::vector<std::vector<int>>().swap(m_mins);
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
    BuildMins(sizes);
}

void CSizeIndex::BuildMins(const CUIntArray& sizes) {
    // Into the levels' own storage where it is large enough, as the sums.
    const int n = GetCount();
    size_t levels = 0;
    for (int count = n; count > 0 && (levels == 0 || count > kBlock); levels++)
        count = (count + kBlock - 1) >> kBlockBits;
    m_mins.resize(levels);
    for (size_t k = 0; k < levels; k++) {
        const int below = k == 0 ? n : (int)m_mins[k - 1].size();
        std::vector<int>& level = m_mins[k];
        level.assign((size_t)((below + kBlock - 1) >> kBlockBits), INT_MAX);
        for (int i = 0; i < below; i++) {
            const int size = k == 0 ? (int)sizes[i] : m_mins[k - 1][(size_t)i];
            int& entry = level[(size_t)(i >> kBlockBits)];
            if (size < entry) entry = size;
        }
    }
}

void CSizeIndex::AppendMin(int index, int size) {
    if (m_mins.empty()) m_mins.emplace_back();
    for (size_t k = 0; k < m_mins.size(); k++) {
        std::vector<int>& level = m_mins[k];
        const size_t node = (size_t)(index >> (kBlockBits * (int)(k + 1)));
        if (node >= level.size())
            level.push_back(size);
        else if (size < level[node])
            level[node] = size;
    }
    if (m_mins.back().size() > (size_t)kBlock) {
        // The top level has outgrown one block: a level above it.
        std::vector<int> top((m_mins.back().size() + kBlock - 1) >> kBlockBits, INT_MAX);
        for (size_t i = 0; i < m_mins.back().size(); i++)
            top[i >> kBlockBits] = std::min(top[i >> kBlockBits], m_mins.back()[i]);
        m_mins.push_back(std::move(top));
    }
}

void CSizeIndex::Append(int size) {
    // The new node i covers the sizes i - lowbit(i) .. i - 1: itself plus the nodes i - 1,
    // i - 2, i - 4, ... below lowbit(i), which already sum the rest of that range.
    if (m_tree.size() == m_tree.max_size()) AfxThrowMemoryException(); // as running out of memory
    // The smallest sizes first: should the sums then fail to grow, an entry too many only
    // records a size that may come.
    AppendMin(GetCount(), size);
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
    // A block's entry may stay below its sizes now; only blocks left empty go.
    const int n = GetCount();
    for (size_t k = 0; k < m_mins.size(); k++) {
        const size_t nodes = n == 0 ? 0 : (size_t)((n - 1) >> (kBlockBits * (int)(k + 1))) + 1;
        if (m_mins[k].size() > nodes) m_mins[k].resize(nodes);
    }
    if (n == 0) m_mins.clear();
}

void CSizeIndex::Change(int index, int oldSize, int newSize) {
    long long delta = (long long)newSize - oldSize;
    if (oldSize < 0) m_negatives--;
    if (newSize < 0) m_negatives++;
    m_total += delta;
    if (delta == 0) return;
    // A size grown leaves its blocks' entries as they are (still at most their sizes).
    if (delta < 0)
        for (size_t k = 0; k < m_mins.size(); k++) {
            const size_t node = (size_t)(index >> (kBlockBits * (int)(k + 1)));
            if (node < m_mins[k].size() && newSize < m_mins[k][node]) m_mins[k][node] = newSize;
        }
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

int CSizeIndex::FirstIn(const CUIntArray& sizes, int level, int node, int from, int limit) const {
    std::vector<int>& entries = m_mins[(size_t)level];
    if (entries[(size_t)node] > limit) return -1;
    const int childBits = kBlockBits * level; // an index's child at this level: index >> childBits
    const int firstChild = node << kBlockBits;
    const int children = level == 0 ? GetCount() : (int)m_mins[(size_t)level - 1].size();
    const int lastChild = std::min(firstChild + kBlock, children);
    const int start = std::max(firstChild, from >> childBits);
    int smallest = INT_MAX;
    for (int c = start; c < lastChild; c++) {
        if (level == 0) {
            const int size = (int)sizes[c];
            if (size <= limit) return c;
            smallest = std::min(smallest, size);
        } else {
            const int found = FirstIn(sizes, level - 1, c, from, limit);
            if (found >= 0) return found;
            smallest = std::min(smallest, m_mins[(size_t)level - 1][(size_t)c]);
        }
    }
    // The whole block searched, and nothing in it: its entry was too low.
    if (start == firstChild) entries[(size_t)node] = smallest;
    return -1;
}

int CSizeIndex::LastIn(const CUIntArray& sizes, int level, int node, int before, int limit) const {
    std::vector<int>& entries = m_mins[(size_t)level];
    if (entries[(size_t)node] > limit) return -1;
    const int childBits = kBlockBits * level;
    const int firstChild = node << kBlockBits;
    const int children = level == 0 ? GetCount() : (int)m_mins[(size_t)level - 1].size();
    const int lastChild = std::min(firstChild + kBlock, children) - 1;
    const int start = std::min(lastChild, (before - 1) >> childBits);
    int smallest = INT_MAX;
    for (int c = start; c >= firstChild; c--) {
        if (level == 0) {
            const int size = (int)sizes[c];
            if (size <= limit) return c;
            smallest = std::min(smallest, size);
        } else {
            const int found = LastIn(sizes, level - 1, c, before, limit);
            if (found >= 0) return found;
            smallest = std::min(smallest, m_mins[(size_t)level - 1][(size_t)c]);
        }
    }
    if (start == lastChild) entries[(size_t)node] = smallest;
    return -1;
}

int CSizeIndex::FirstAtMost(const CUIntArray& sizes, int from, int limit) const {
    const int n = GetCount();
    from = std::max(from, 0);
    if (from >= n || m_mins.empty()) return n;
    const int top = (int)m_mins.size() - 1;
    const int nodes = (int)m_mins[(size_t)top].size();
    for (int node = from >> (kBlockBits * (top + 1)); node < nodes; node++) {
        const int found = FirstIn(sizes, top, node, from, limit);
        if (found >= 0) return found;
    }
    return n;
}

int CSizeIndex::LastAtMost(const CUIntArray& sizes, int before, int limit) const {
    before = std::min(before, GetCount());
    if (before <= 0 || m_mins.empty()) return -1;
    const int top = (int)m_mins.size() - 1;
    const int nodes = (int)m_mins[(size_t)top].size();
    for (int node = std::min(nodes - 1, (before - 1) >> (kBlockBits * (top + 1))); node >= 0; node--) {
        const int found = LastIn(sizes, top, node, before, limit);
        if (found >= 0) return found;
    }
    return -1;
}
