// Find on the stored rows: which rows a text matches (names and full details, code page 949),
// and the walk from a row both ways with its wrap, across blocks and slices.
#include "TraceSearch.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
std::vector<INT_PTR> AllMatches(const CTraceDetails& d, const TraceFindQuery& q) {
    std::vector<INT_PTR> found;
    CTraceFinder f(d, q);
    for (INT_PTR i = f.Find(0, d.GetSize(), false); i >= 0; i = f.Find(i + 1, d.GetSize(), false))
        found.push_back(i);
    return found;
}
} // namespace

TEST(TraceSearch, MatchesNamesAndDetailsAsMultiByteText) {
    CTraceDetails d;
    const char* rows[][2] = {
        {"LoadInputFID", "ok"},                         // 0
        {"Load", "InputFID=3"},                         // 1: "LoadInput" only across the boundary
        {"Masked", "4A6F62"},                           // 2: a masked detail, as stored (hex)
        {"Print", "\xC7\xD4\xBC\xF6 \xC8\xA3\xC3\xE2"}, // 3: "함수 호출"
        {"X", "\x81\x41"
              "BC"},                       // 4: a character whose second byte is 'A'
        {"loadinputfid", "\x81\x61"},      // 5: ... and one whose second byte is 'a'
        {"Y", "error_code 17 errors"},     // 6
        {"Z", "an error."},                // 7
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
        {"dInp", false, false, {0, 5}}, // never across name and detail
        {"Fid=", false, false, {1}},
        {"4A6F", true, false, {2}},
        {"Job", false, false, {}}, // the clear text of the hex is not searched
        {"\xC7\xD4\xBC\xF6", false, false, {3, 8}},
        {"\xC7\xD4\xBC\xF6", false, true, {3}}, // a Hangul word goes on to its last syllable
        {"ABC", false, false, {}},              // never from the second byte of a character
        {"A", true, false, {2}},
        {"\x81\x41", false, false, {4}}, // the second byte is not folded
        {"\x81\x61", false, false, {5}},
        {"BC", false, true, {}}, // a double-byte character before it is a word character
        {"error", false, false, {6, 7}},
        {"error", false, true, {7}},
        {"17", false, true, {6}},
        {"", false, false, {}},
    };
    for (const Case& c : cases) {
        TraceFindQuery q;
        q.text = c.text;
        q.matchCase = c.matchCase;
        q.wholeWord = c.wholeWord;
        EXPECT_EQ(c.rows, AllMatches(d, q)) << c.text << " case " << c.matchCase << " word " << c.wholeWord;
    }
    EXPECT_STREQ("Masked", d.GetName(2));
    EXPECT_STREQ("4A6F62", d.GetText(2));
}

TEST(TraceSearch, WalksBothWaysAndWrapsAcrossBlocksAndSlices) {
    CTraceDetails d;
    const INT_PTR n = CTraceFinder::kSliceEntries + 100000; // several blocks, two slices
    const std::string pad(40, 'p');
    for (INT_PTR i = 0; i < n; i++) {
        const bool hit = i == 5 || i == 70000 || i == n - 1;
        d.Add((pad + (hit ? "needle" : "noodle") + std::to_string(i)).c_str(), "F");
    }
    TraceFindQuery q;
    q.text = "NEEDLE";
    CTraceFinder f(d, q);
    struct Case {
        INT_PTR start;
        bool down;
        INT_PTR index;
        bool wrapped;
    } cases[] = {
        {-1, true, 5, false},         {-1, false, n - 1, false}, {5, true, 70000, false},
        {70000, true, n - 1, false},  {n - 1, true, 5, true},    {5, false, n - 1, true},
        {n - 1, false, 70000, false}, {4, false, n - 1, true},
    };
    for (const Case& c : cases) {
        const CTraceFinder::Result r = f.FindFrom(c.start, c.down);
        EXPECT_EQ(c.index, r.index) << c.start << " " << c.down;
        EXPECT_EQ(c.wrapped, r.wrapped) << c.start << " " << c.down;
    }
    // A single match is found from itself, after the whole round.
    d.SetSize(6);
    EXPECT_EQ(5, CTraceFinder(d, q).FindFrom(5, true).index);
    // A cancel asked between slices stops the search.
    CTraceDetails none;
    for (INT_PTR i = 0; i < n; i++)
        none.Add("x", "F");
    const CTraceFinder::Result r = CTraceFinder(none, q).FindFrom(-1, true, [](void*) { return true; });
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(-1, r.index);
}
