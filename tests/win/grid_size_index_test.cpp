// CSizeIndex, the prefix sums behind the grid's geometry, against a plain list: random appends,
// removals from the end, changes in place, rebuilds, and the searches.
#include "SizeIndex.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

long long NaivePrefix(const std::vector<int>& v, int k) {
    long long s = 0;
    for (int i = 0; i < k; i++)
        s += v[(size_t)i];
    return s;
}

int NaiveCountWithin(const std::vector<int>& v, long long limit) {
    int best = 0;
    for (int k = 0; k <= (int)v.size(); k++)
        if (NaivePrefix(v, k) <= limit) best = k;
    return best;
}

CUIntArray ToArray(const std::vector<int>& v) {
    CUIntArray a;
    for (int x : v)
        a.Add((UINT)x);
    return a;
}

} // namespace

TEST(GridSizeIndex, EmptyIndex) {
    CSizeIndex index;
    EXPECT_EQ(0, index.GetCount());
    EXPECT_EQ(0, index.Total());
    EXPECT_EQ(0, index.Prefix(0));
    EXPECT_EQ(0, index.CountWithin(5));
    EXPECT_EQ(0, index.CountWithin(-1));
    index.RemoveLast(3); // nothing to remove
    EXPECT_EQ(0, index.GetCount());
    EXPECT_EQ(0, index.Total());
}

TEST(GridSizeIndex, RandomOperationsMatchAPlainList) {
    std::mt19937 rng(7);
    CSizeIndex index;
    std::vector<int> v;
    for (int step = 0; step < 4000; step++) {
        int op = (int)(rng() % 10);
        if (op < 4) {
            int size = (int)(rng() % 4 == 0 ? 0 : rng() % 50);
            v.push_back(size);
            index.Append(size);
        } else if (op < 6 && !v.empty()) {
            index.RemoveLast(v.back());
            v.pop_back();
        } else if (op < 8 && !v.empty()) {
            int i = (int)(rng() % v.size());
            int size = (int)(rng() % 50);
            index.Change(i, v[(size_t)i], size);
            v[(size_t)i] = size;
        } else if (op == 8 && !v.empty()) {
            v.erase(v.begin() + (long)(rng() % v.size()));
            index.Build(ToArray(v));
        } else if (rng() % 50 == 0) {
            v.clear();
            index.Clear();
        }
        ASSERT_EQ((int)v.size(), index.GetCount());
        ASSERT_EQ(NaivePrefix(v, (int)v.size()), index.Total());
        ASSERT_FALSE(index.HasNegative());
        for (int q = 0; q < 4; q++) {
            int k = (int)(rng() % (v.size() + 1));
            ASSERT_EQ(NaivePrefix(v, k), index.Prefix(k)) << step;
            long long limit = (long long)(rng() % (unsigned)(index.Total() + 20));
            ASSERT_EQ(NaiveCountWithin(v, limit), index.CountWithin(limit)) << step << " limit " << limit;
        }
        if (!v.empty()) {
            int k = (int)(rng() % v.size());
            long long edge = NaivePrefix(v, k);
            ASSERT_EQ(NaiveCountWithin(v, edge), index.CountWithin(edge));
            ASSERT_EQ(NaiveCountWithin(v, edge - 1), edge == 0 ? 0 : index.CountWithin(edge - 1));
        }
    }
}

TEST(GridSizeIndex, NegativeSizesAreCountedAndSummed) {
    CSizeIndex index;
    index.Append(10);
    index.Append(-4);
    index.Append(7);
    EXPECT_TRUE(index.HasNegative());
    EXPECT_EQ(13, index.Total());
    EXPECT_EQ(6, index.Prefix(2));
    index.Change(1, -4, 3);
    EXPECT_FALSE(index.HasNegative());
    index.Change(2, 7, -1);
    EXPECT_TRUE(index.HasNegative());
    index.RemoveLast(-1);
    EXPECT_FALSE(index.HasNegative());
    EXPECT_EQ(13, index.Total());
    CUIntArray a;
    a.Add((UINT)-5);
    a.Add(2);
    index.Build(a);
    EXPECT_TRUE(index.HasNegative());
    EXPECT_EQ(-3, index.Total());
}

TEST(GridSizeIndex, LargeTotalsDoNotWrap) {
    CSizeIndex index;
    for (int i = 0; i < 4; i++)
        index.Append(0x7FFFFFFF);
    EXPECT_EQ(4LL * 0x7FFFFFFF, index.Total());
    EXPECT_EQ(3, index.CountWithin(3LL * 0x7FFFFFFF));
}

// The searches for a size at most a limit, over several levels of blocks, while sizes shrink
// and grow (leaving the blocks' records low), go and come at the end, against a scan.
TEST(GridSizeIndex, SearchesForSmallSizesMatchAScan) {
    std::mt19937 rng(11);
    std::vector<int> v(300000);
    for (int& x : v)
        x = 100 + (int)(rng() % 100);
    CUIntArray a;
    a.SetSize((INT_PTR)v.size());
    for (size_t i = 0; i < v.size(); i++)
        a[(INT_PTR)i] = (UINT)v[i];
    CSizeIndex index;
    index.Build(a);
    for (int step = 0; step < 20000; step++) {
        const int op = (int)(rng() % 8), n = (int)v.size(), i = (int)(rng() % (unsigned)n);
        const int size = op < 3 ? (int)(rng() % 100) : op < 6 ? 100 + (int)(rng() % 100) : 0;
        if (op < 6) {
            index.Change(i, v[(size_t)i], size);
            v[(size_t)i] = size;
            a[i] = (UINT)size;
        } else if (op == 6) {
            index.RemoveLast(v.back());
            v.pop_back();
            a.SetSize(n - 1);
        } else {
            v.push_back(size);
            a.Add((UINT)size);
            index.Append(size);
        }
        const int from = (int)(rng() % v.size()), limit = (int)(rng() % 120);
        int first = from, last = from - 1;
        while (first < (int)v.size() && v[(size_t)first] > limit)
            first++;
        while (last >= 0 && v[(size_t)last] > limit)
            last--;
        ASSERT_EQ(first, index.FirstAtMost(a, from, limit)) << step;
        ASSERT_EQ(last, index.LastAtMost(a, from, limit)) << step;
    }
}
