// The arrays' growth operations and CMap's bucket layout and iteration order.
#include "afx.h"

#include <gtest/gtest.h>
#include <vector>

TEST(Arrays, SetAtGrowFillsTheGapWithDefaults) {
    CStringArray a;
    a.SetAtGrow(0, "zero");
    EXPECT_EQ(1, a.GetSize());
    a.SetAtGrow(3, "three");
    ASSERT_EQ(4, a.GetSize());
    EXPECT_STREQ("zero", a[0]);
    EXPECT_TRUE(a[1].IsEmpty());
    EXPECT_TRUE(a[2].IsEmpty());
    EXPECT_STREQ("three", a[3]);
    a.SetAtGrow(1, "one"); // inside: a plain store
    EXPECT_EQ(4, a.GetSize());
    EXPECT_STREQ("one", a[1]);
    EXPECT_EQ(3, a.GetUpperBound());
}

TEST(Arrays, SetSizeGrowsWithZerosAndShrinksToNothing) {
    CUIntArray u;
    u.SetSize(3);
    ASSERT_EQ(3, u.GetSize());
    EXPECT_EQ(0u, u[0]);
    EXPECT_EQ(0u, u[2]);
    u[1] = 7;
    u.SetSize(5);
    EXPECT_EQ(7u, u[1]);
    EXPECT_EQ(0u, u[4]);
    u.SetSize(1);
    EXPECT_EQ(1, u.GetSize());
    u.SetSize(0);
    EXPECT_EQ(0, u.GetSize());
    EXPECT_TRUE(u.IsEmpty());
    u.SetSize(-3);
    EXPECT_EQ(0, u.GetSize());
}

TEST(Arrays, InsertAndRemoveKeepOrder) {
    CObArray a;
    CObject* p[4] = {(CObject*)0x10, (CObject*)0x20, (CObject*)0x30, (CObject*)0x40};
    a.Add(p[0]);
    a.Add(p[2]);
    a.InsertAt(1, p[1]);
    a.InsertAt(3, p[3]); // at the end
    ASSERT_EQ(4, a.GetSize());
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(p[i], a[i]);
    a.RemoveAt(1, 2);
    ASSERT_EQ(2, a.GetSize());
    EXPECT_EQ(p[0], a[0]);
    EXPECT_EQ(p[3], a[1]);
    a.RemoveAt(5); // out of range: nothing
    EXPECT_EQ(2, a.GetSize());
    a.InsertAt(4, p[1]); // beyond the end: grows with nulls up to it
    ASSERT_EQ(5, a.GetSize());
    EXPECT_EQ(nullptr, a[2]);
    EXPECT_EQ(p[1], a[4]);
}

typedef CMap<DWORD, DWORD, int, int> CTestMap;

static std::vector<DWORD> IterationOrder(const CTestMap& m) {
    std::vector<DWORD> keys;
    POSITION pos = m.GetStartPosition();
    while (pos != nullptr) {
        DWORD k;
        int v;
        m.GetNextAssoc(pos, k, v);
        keys.push_back(k);
    }
    return keys;
}

TEST(Map, BucketsAreKeyShiftedByFourModuloSeventeen) {
    CTestMap m;
    EXPECT_EQ(17u, m.GetHashTableSize());
    EXPECT_FALSE(m.HasHashTable()); // allocated at the first insertion
    // Keys as the grid makes them: MAKELONG(row, col).
    DWORD a = MAKELONG(1, 0);  // (1 >> 4) % 17 = 0
    DWORD b = MAKELONG(16, 0); // 1
    DWORD c = MAKELONG(0, 1);  // (65536 >> 4) % 17 = 4096 % 17 = 16
    DWORD d = MAKELONG(2, 0);  // 0, after a in the same bucket: new entries go first
    m[a] = 1;
    EXPECT_TRUE(m.HasHashTable());
    m[c] = 3;
    m[b] = 2;
    m[d] = 4;
    std::vector<DWORD> expected = {d, a, b, c};
    EXPECT_EQ(expected, IterationOrder(m));
    EXPECT_EQ(4, m.GetCount());
}

TEST(Map, CurrentEntryMayBeRemovedWhileIterating) {
    CTestMap m;
    for (DWORD k = 0; k < 100; k++)
        m[MAKELONG(k, k % 3)] = (int)k;
    int seen = 0;
    POSITION pos = m.GetStartPosition();
    while (pos != nullptr) {
        DWORD k;
        int v;
        m.GetNextAssoc(pos, k, v);
        EXPECT_EQ((int)LOWORD(k), v);
        EXPECT_TRUE(m.RemoveKey(k));
        seen++;
    }
    EXPECT_EQ(100, seen);
    EXPECT_EQ(0, m.GetCount());
    EXPECT_FALSE(m.HasHashTable()); // freed when the map became empty
    EXPECT_EQ(nullptr, m.GetStartPosition());
}

TEST(Map, LookupRefreshAndRemove) {
    CTestMap m;
    int v = -1;
    EXPECT_FALSE(m.Lookup(5, v));
    EXPECT_FALSE(m.RemoveKey(5));
    m.SetAt(5, 50);
    m.SetAt(5, 55); // refreshes the existing entry
    EXPECT_EQ(1, m.GetCount());
    EXPECT_TRUE(m.Lookup(5, v));
    EXPECT_EQ(55, v);
    // More entries than one block of ten: blocks are chained, entries reused after removal.
    for (DWORD k = 100; k < 125; k++)
        m[k] = (int)k;
    EXPECT_EQ(26, m.GetCount());
    EXPECT_TRUE(m.RemoveKey(110));
    EXPECT_FALSE(m.Lookup(110, v));
    m[999] = 9;
    EXPECT_TRUE(m.Lookup(999, v));
    EXPECT_EQ(9, v);
    EXPECT_EQ(26, m.GetCount());
    m.RemoveAll();
    EXPECT_EQ(0, m.GetCount());
    EXPECT_FALSE(m.Lookup(999, v));
}
