// Find on the stored rows: what a text matches, and the walk both ways across blocks and slices.
#include "TraceSearch.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(TraceSearch, MatchesNamesAndDetailsAsMultiByteText) {
    CTraceDetails d;
    const char* rows[][2] = {
        {"LoadInputFID", "ok"},
        {"Load", "InputFID=3"},             // 1: "LoadInput" only across the boundary
        {"Masked", "4A6F62"},               // 2: a masked detail, as stored (hex)
        {"P", "\xC7\xD4\xBC\xF6 \xC8\xA3"}, // 3: "함수 호"
        {"X", "\x81\x41"
              "BC"},                  // 4: a character whose second byte is 'A'
        {"loadinputfid", "\x81\x61"}, // 5: ... and one whose second byte is 'a'
        {"Y", "error_code 17 errors"},
        {"Z", "an error."},
        {"W", "\xC7\xD4\xBC\xF6\xB8\xA6"}, // 8: "함수를"
    };
    for (auto& r : rows)
        d.Add(r[1], r[0]);
    struct Case {
        const char* text;
        bool matchCase, wholeWord;
        std::vector<INT_PTR> rows;
    } cases[] = {
        {"LoadInputFID", false, false, {0, 5}},
        {"LoadInputFID", true, false, {0}},
        {"dInp", false, false, {0, 5}},
        {"Fid=", false, false, {1}},
        {"4A6F", true, false, {2}},
        {"Job", false, false, {}}, // the clear text behind the hex is not searched
        {"\xC7\xD4\xBC\xF6", false, false, {3, 8}},
        {"\xC7\xD4\xBC\xF6", false, true, {3}},
        {"ABC", false, false, {}},
        {"A", true, false, {2}}, // never from a second byte
        {"\x81\x41", false, false, {4}},
        {"\x81\x61", false, false, {5}}, // second bytes not folded
        {"BC", false, true, {}},
        {"error", false, false, {6, 7}},
        {"error", false, true, {7}},
        {"17", false, true, {6}},
        {"", false, false, {}},
    };
    for (const Case& c : cases) {
        const CTraceFinder f(d, TraceFindQuery{c.text, c.matchCase, c.wholeWord});
        std::vector<INT_PTR> found;
        for (INT_PTR i = f.Find(0, d.GetSize(), false); i >= 0; i = f.Find(i + 1, d.GetSize(), false))
            found.push_back(i);
        EXPECT_EQ(c.rows, found) << c.text << " case " << c.matchCase << " word " << c.wholeWord;
    }
}

TEST(TraceSearch, WalksBothWaysAndWrapsAcrossBlocksAndSlices) {
    CTraceDetails d;
    const INT_PTR n = CTraceFinder::kSliceEntries + 100000; // several blocks and slices
    for (INT_PTR i = 0; i < n; i++) {
        const bool hit = i == 5 || i == 70000 || i == n - 1;
        d.Add((std::string(40, 'p') + (hit ? "needle" : "noodle") + std::to_string(i)).c_str(), "F");
    }
    const CTraceFinder f(d, TraceFindQuery{"NEEDLE", false, false});
    struct Case {
        INT_PTR start;
        bool down;
        INT_PTR index;
        bool wrapped;
    } cases[] = {{-1, true, 5, false},         {-1, false, n - 1, false}, {5, true, 70000, false},
                 {70000, true, n - 1, false},  {n - 1, true, 5, true},    {5, false, n - 1, true},
                 {n - 1, false, 70000, false}, {4, false, n - 1, true}};
    for (const Case& c : cases) {
        const CTraceFinder::Result r = f.FindFrom(c.start, c.down);
        EXPECT_EQ(c.index, r.index) << c.start << " " << c.down;
        EXPECT_EQ(c.wrapped, r.wrapped) << c.start << " " << c.down;
    }
    const CTraceFinder none(d, TraceFindQuery{"absent", false, false});
    const CTraceFinder::Result r = none.FindFrom(-1, true, [](void*) { return true; }); // asked after a slice
    EXPECT_TRUE(r.cancelled && r.index == -1);
    // Records appended between slices (new blocks, the block list moved) are read safely; the
    // search keeps to the rows there were when it began.
    const auto append = [](void* store) {
        for (int i = 0; i < 30000; i++)
            ((CTraceDetails*)store)->Add((std::string(40, 'q') + "needle").c_str(), "F");
        return false;
    };
    const CTraceFinder::Result grown = f.FindFrom(70000, true, append, &d);
    EXPECT_TRUE(grown.index == n - 1 && !grown.wrapped && d.GetSize() > n);
}
