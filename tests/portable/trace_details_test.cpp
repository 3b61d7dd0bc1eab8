// The trace's detail store: entries stay where they were stored while others come and go (the
// grid shows their characters from there), and a store cut back or emptied gives memory back.
#include "TraceDetails.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(TraceDetails, EntriesStayPutAndCutsFreeTheRest) {
    CTraceDetails d;
    const std::string big(3 * 1024 * 1024, 'b'); // larger than a block of its own
    auto text = [&](int i) { return i == 7000 ? big : "detail " + std::to_string(i); };
    std::vector<LPCTSTR> at;
    for (int i = 0; i < 20000; i++)
        at.push_back(d.Add(text(i).c_str()));
    ASSERT_EQ(20000, d.GetSize());
    for (int i = 0; i < 20000; i++) {
        ASSERT_EQ(at[i], d.GetText(i)) << i;
        ASSERT_EQ(text(i), std::string(d[i])) << i;
    }
    const size_t full = d.MemoryBytes();
    EXPECT_GT(full, big.size() + 20000 * sizeof(LPCTSTR));

    d.SetSize(7001); // the large entry is the last one kept
    EXPECT_LT(d.MemoryBytes(), full);
    d.SetSize(9000); // no growth
    ASSERT_EQ(7001, d.GetSize());
    for (int i = 7001; i < 9000; i++)
        d.Add(("again " + std::to_string(i)).c_str());
    EXPECT_EQ(big, std::string(d.GetText(7000)));
    EXPECT_STREQ("again 7001", d.GetText(7001));
    EXPECT_STREQ("detail 6999", at[6999]);

    CTraceDetails other;
    other.Add(nullptr);
    other.Swap(d);
    ASSERT_EQ(1, d.GetSize());
    EXPECT_STREQ("", d.GetText(0));
    ASSERT_EQ(9000, other.GetSize());
    EXPECT_EQ(at[5], other.GetText(5)) << "a swap moves no entry";
    other.RemoveAll();
    EXPECT_EQ(0, other.GetSize());
    EXPECT_EQ(0u, other.MemoryBytes());
}
