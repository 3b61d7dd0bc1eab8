// Trace records as the engine sends them, seen where a person sees them: the answer of each
// record and the detail a click on its row shows. Also bad input, the clicks that show nothing,
// and ending the program.
#include "e2e_fixture.h"

#include <cctype>

using e2e::KIND_ENTER;
using e2e::KIND_LEAVE;
using e2e::KIND_TRACE;

namespace {

const std::string DASHES(96, '-');

bool IsUpperHex(const std::string& s) {
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
    return true;
}

} // namespace

TEST_F(DebuggerTest, EnterPlainLeave) {
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "A|x"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "B|y"));
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "A|z"));
    EXPECT_EQ(DASHES, Row(1)) << "an enter record's detail is the dash line, not its payload's";
    EXPECT_EQ("y", Row(2));
    EXPECT_EQ("z", Row(3));
    EXPECT_EQ("<unchanged>", Row(4)) << "three records, three rows";
    // Back at depth 0.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Foo"));
    EXPECT_EQ("Foo", Row(4));
}

TEST_F(DebuggerTest, NameWithoutBarIsIndentedByDepth) {
    SendAll(KIND_ENTER, {"Outer|1", "Inner|2"});
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Foo"));
    EXPECT_EQ("          Foo", Row(3)) << "10 spaces at depth 2";
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "Inner"));
    EXPECT_EQ("     Inner", Row(4)) << "a leave is indented like its enter";
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "Outer"));
    EXPECT_EQ("Outer", Row(5));
}

TEST_F(DebuggerTest, LineFeedsAndCaretsShowAsLineBreaks) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "N|a\nb^c"));
    EXPECT_EQ("a\r\nb\r\nc", Row(1));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "N|^^x\n"));
    EXPECT_EQ("\r\n\r\nx\r\n", Row(2));
}

TEST_F(DebuggerTest, DetailKeepsFurtherBars) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "N|a|b||c|"));
    EXPECT_EQ("a|b||c|", Row(1));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "N|"));
    EXPECT_EQ("", Row(2)) << "an empty detail after the bar";
}

TEST_F(DebuggerTest, KoreanDetail) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Print|조회가 완료되었습니다^잔액: 12,345,000원"));
    EXPECT_EQ("조회가 완료되었습니다\r\n잔액: 12,345,000원", Row(1));
}

TEST_F(DebuggerTest, LongDetailIsShownWhole) {
    std::string detail;
    for (int i = 0; i < 250; ++i)
        detail += static_cast<char>('a' + i % 26);
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Long|" + detail));
    EXPECT_EQ(detail, Row(1));
}

TEST_F(DebuggerTest, PayloadEndsAtNulByte) {
    const e2e::Reply r = dbg.Send(KIND_TRACE, "ab\0cd", 5);
    ASSERT_TRUE(r.answered);
    EXPECT_EQ(TRUE, r.result);
    EXPECT_EQ("ab", Row(1)) << "no bar before the NUL: the detail is the name";
    const e2e::Reply r2 = dbg.Send(KIND_TRACE, "N|x\0|y", 6);
    ASSERT_TRUE(r2.answered);
    EXPECT_EQ("x", Row(2));
}

TEST_F(DebuggerTest, EmptyPayloadWithoutData) {
    const e2e::Reply r = dbg.Send(KIND_TRACE, nullptr, 0);
    ASSERT_TRUE(r.answered) << e2e::LastErrorText(r.error);
    EXPECT_EQ(TRUE, r.result);
    EXPECT_EQ("", Row(1)) << "a row with an empty name, whose detail is that name";
    SendAll(KIND_ENTER, {"A|x"});
    const e2e::Reply r2 = dbg.Send(KIND_TRACE, nullptr, 0);
    ASSERT_TRUE(r2.answered);
    EXPECT_EQ(TRUE, r2.result);
    EXPECT_EQ("     ", Row(3)) << "the empty name indented to depth 1";
    const e2e::Reply r3 = dbg.Send(KIND_ENTER, nullptr, 0);
    ASSERT_TRUE(r3.answered);
    EXPECT_EQ(TRUE, r3.result);
    EXPECT_EQ(DASHES, Row(4));
}

TEST_F(DebuggerTest, SixteenMegabytePayload) {
    const std::size_t size = 16u << 20;
    std::string payload = "Big|";
    payload.reserve(size);
    while (payload.size() < size)
        payload += static_cast<char>('A' + payload.size() % 23);
    const e2e::Reply r = dbg.Send(KIND_TRACE, payload);
    const bool alive = dbg.Running();
    ASSERT_TRUE(r.answered && alive)
        << (alive ? "no answer: " + e2e::LastErrorText(r.error)
                  : "VkDebuger.exe died receiving the record (exit code " + std::to_string(dbg.ExitCode()) +
                        "). Under Wine the receiving thread's stack holds the WM_COPYDATA data while the "
                        "window procedure runs, so the program needs a stack reserve above the largest "
                        "payload (link option -Wl,--stack)");
    EXPECT_EQ(TRUE, r.result);
    ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
    ASSERT_TRUE(dbg.ClickRow(1));
    EXPECT_EQ(static_cast<long long>(size - 4), dbg.DetailLength());
    // Still taking records.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "After|ok"));
    EXPECT_EQ("ok", Row(2));
}

TEST_F(DebuggerTest, BytesInvalidInCodePage949) {
    // 0xFF is no lead byte, 0x81 0x20 no valid pair, and a lead byte ends the payload.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Bad|\xFF\xFE\x81 tail\xC8"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "\xFF\x80\xC8"));
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "\x81|\x82"));
    ASSERT_TRUE(dbg.Running());
    EXPECT_NE(std::string::npos, Row(1).find(" tail")) << "the valid part of the detail is shown";
    EXPECT_NE("<unchanged>", Row(2));
    EXPECT_EQ(DASHES, Row(3));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Good"));
    EXPECT_EQ("     Good", Row(4));
}

TEST_F(DebuggerTest, UnknownKindsArePlainRecords) {
    const ULONG_PTR kinds[] = {0, 3, 4, 9998, 10000, 0x7FFFFFFF, 0xFFFFFFFF};
    int row = 0;
    for (ULONG_PTR kind : kinds) {
        const std::string detail = "d" + std::to_string(kind);
        ASSERT_EQ(TRUE, Send(kind, "K|" + detail)) << kind;
        EXPECT_EQ(detail, Row(++row)) << "kind " << kind;
    }
    // None of them changed the depth.
    ASSERT_EQ(TRUE, Send(3, "Foo"));
    EXPECT_EQ("Foo", Row(++row));
}

TEST_F(DebuggerTest, LeaveBelowZeroStopsIndentingUntilEntersCatchUp) {
    SendAll(KIND_LEAVE, {"A|z", "A|z2"}); // depth -2
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "B"));
    EXPECT_EQ("z", Row(1));
    EXPECT_EQ("z2", Row(2));
    EXPECT_EQ("B", Row(3)) << "no indentation below depth 0";
    SendAll(KIND_ENTER, {"C|c", "D|d"}); // back to 0
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "E"));
    EXPECT_EQ("E", Row(6));
    SendAll(KIND_ENTER, {"F|f"}); // 1
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "G"));
    EXPECT_EQ("     G", Row(8)) << "indentation resumes above 0";
    EXPECT_EQ(DASHES, Row(4));
}

TEST_F(DebuggerTest, MaskedFunctionsShowHexadecimal) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|abc"));
    const std::string one = Row(1);
    EXPECT_EQ(32u, one.size()) << one;
    EXPECT_TRUE(IsUpperHex(one)) << one;

    ASSERT_EQ(TRUE, Send(KIND_TRACE, "S_UpperLower|0123456789abcdefg"));
    const std::string two = Row(2);
    EXPECT_EQ(64u, two.size()) << "17 bytes are two blocks: " << two;
    EXPECT_TRUE(IsUpperHex(two)) << two;

    ASSERT_EQ(TRUE, Send(KIND_TRACE, "S_UpperLower|abc"));
    const std::string three = Row(3);
    EXPECT_TRUE(IsUpperHex(three)) << three;
    EXPECT_EQ(32u, three.size());
    EXPECT_EQ(one, three) << "the same detail masks the same way, whichever function";

    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|abd"));
    EXPECT_NE(one, Row(4));

    // Masking is by the exact name only.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "loadinputfid|abc"));
    EXPECT_EQ("abc", Row(5));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID |abc"));
    EXPECT_EQ("abc", Row(6));
    // Without a bar the detail is the name, not masked; an empty detail masks to nothing.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "S_UpperLower"));
    EXPECT_EQ("S_UpperLower", Row(7));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|"));
    EXPECT_EQ("", Row(8));
    // An enter stores the dash line; a leave's detail is masked like a plain record's.
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "LoadInputFID|abc"));
    EXPECT_EQ(DASHES, Row(9));
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "LoadInputFID|abc"));
    EXPECT_EQ(one, Row(10));
    // Line breaks are masked with the rest.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|a\nb^c"));
    const std::string broken = Row(11);
    EXPECT_EQ(32u, broken.size()) << broken;
    EXPECT_TRUE(IsUpperHex(broken)) << broken;
}

TEST_F(DebuggerTest, MaskedDetailIsWhatVktoolMaskComputes) {
    const std::string vktool = e2e::BinDir() + "\\vktool.exe";
    if (!e2e::FileExists(vktool)) GTEST_SKIP() << vktool << " is not built";
    const e2e::RunResult run = e2e::RunProgram(vktool, {"mask", "abc", "FID=00123;PIN=4821"});
    ASSERT_TRUE(run.ended) << run.problem;
    ASSERT_EQ(0u, run.exitCode) << run.errors;
    SendAll(KIND_TRACE, {"LoadInputFID|abc", "S_UpperLower|FID=00123;PIN=4821"});
    EXPECT_EQ(run.output, Row(1) + "\n" + Row(2) + "\n");
}

TEST_F(DebuggerTest, ClicksThatShowNothing) {
    SendAll(KIND_TRACE, {"A|first", "B|second"});
    EXPECT_EQ("<unchanged>", Row(0)) << "the heading row";
    EXPECT_EQ("<unchanged>", Row(3)) << "no such row";
    EXPECT_EQ("<unchanged>", Row(65535));
    ASSERT_TRUE(dbg.SetDetailText("<unchanged>"));
    ASSERT_TRUE(dbg.PostGridNotification(1, 0, 2)) << "right button";
    ASSERT_TRUE(dbg.PostGridNotification(1, 0, 3)) << "double click";
    ASSERT_TRUE(dbg.PostGridNotification(1, 0, 1, 4049)) << "another control";
    ASSERT_TRUE(dbg.PostGridNotification(2, 0, 1, 1001));
    EXPECT_EQ("<unchanged>", dbg.DetailText());
    // Any column of the row shows the row's detail.
    ASSERT_TRUE(dbg.PostGridNotification(2, 2, 1));
    EXPECT_EQ("second", dbg.DetailText());
}

TEST_F(DebuggerTest, ManyRecordsInOrder) {
    for (int i = 1; i <= 300; ++i)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, "N|" + std::to_string(i)));
    EXPECT_EQ("1", Row(1));
    EXPECT_EQ("150", Row(150));
    EXPECT_EQ("300", Row(300));
    EXPECT_EQ("<unchanged>", Row(301));
}

TEST_F(DebuggerTest, ExitCommandEndsTheProgram) {
    SendAll(KIND_TRACE, {"A|x"});
    ASSERT_TRUE(dbg.PostCommand(e2e::CMD_APP_EXIT));
    EXPECT_TRUE(dbg.WaitExit()) << "VkDebuger.exe still runs after File > Exit";
}

TEST_F(DebuggerTest, CloseEndsTheProgram) {
    ASSERT_TRUE(PostMessageA(dbg.Window(), WM_CLOSE, 0, 0));
    EXPECT_TRUE(dbg.WaitExit()) << "VkDebuger.exe still runs after WM_CLOSE";
    EXPECT_FALSE(IsWindow(dbg.Window()));
}
