// Session starts as the engine sends them and the person answers them: the prompt, its answers,
// refusal while a trace is shown, and New File making the debugger accept a session again.
#include "e2e_fixture.h"

#include <algorithm>

using e2e::KIND_ENTER;
using e2e::KIND_SESSION_START;
using e2e::KIND_TRACE;

TEST_F(DebuggerTest, SessionPromptShowsTheSessionIdWithOkAndCancel) {
    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, "1234");
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box) << "no message box captioned \"VkDebuger\" appeared";
    const e2e::PromptInfo prompt = e2e::ReadPrompt(box);
    EXPECT_EQ("#32770", prompt.className);
    EXPECT_EQ("VkDebuger", prompt.caption);
    EXPECT_EQ("SID [1234]스크립트를 디버깅하시겠습니까", prompt.text);
    std::vector<int> ids = prompt.buttonIds;
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ((std::vector<int>{IDOK, IDCANCEL}), ids) << "an OK and a Cancel button, nothing else";
    EXPECT_FALSE(send->Done()) << "the engine's SendMessage waits for the answer";
    EXPECT_EQ(1u, dbg.Prompts().size());

    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    ASSERT_TRUE(send->Result().answered) << e2e::LastErrorText(send->Result().error);
    EXPECT_EQ(TRUE, send->Result().result);
    EXPECT_TRUE(e2e::WaitUntil([&] { return dbg.Prompts().empty(); }, e2e::PROMPT_TIMEOUT_MS));
}

TEST_F(DebuggerTest, SessionPromptTakesTheWholePayload) {
    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, "A|b 한글");
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID [A|b 한글]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDCANCEL));
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_EQ(FALSE, send->Result().result);
}

TEST_F(DebuggerTest, OkAcceptsTheSessionAndResetsTheDepth) {
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "A|x"));
    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    ASSERT_EQ("<unchanged>", Row(1)) << "New File empties the trace";
    // New File keeps the depth of 1 ...
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Foo"));
    EXPECT_EQ("     Foo", Row(1));
    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    // ... an accepted session sets it back to 0 and starts an empty trace.
    EXPECT_EQ(TRUE, StartSession("77", IDOK));
    EXPECT_EQ("<unchanged>", Row(1));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Foo"));
    EXPECT_EQ("Foo", Row(1));
}

TEST_F(DebuggerTest, OkLeavesTheDetailBoxAsItWas) {
    ASSERT_TRUE(dbg.SetDetailText("typed by hand"));
    EXPECT_EQ(TRUE, StartSession("5", IDOK));
    EXPECT_EQ("typed by hand", dbg.DetailText());
}

TEST_F(DebuggerTest, CancelRefusesTheSessionAndChangesNothing) {
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "A|x"));
    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    EXPECT_EQ(FALSE, StartSession("1234", IDCANCEL));
    EXPECT_TRUE(e2e::WaitUntil([&] { return dbg.Prompts().empty(); }, e2e::PROMPT_TIMEOUT_MS));
    // Still at depth 1, and the trace is still empty, so the next session prompts again.
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Foo"));
    EXPECT_EQ("     Foo", Row(1));
    EXPECT_EQ("<unchanged>", Row(2));
}

TEST_F(DebuggerTest, SessionStartWhileRowsAreShownIsRefusedWithoutPrompt) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "B|y"));
    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, "1234");
    // The answer comes without a person: either the send ends or a prompt (wrongly) shows.
    ASSERT_TRUE(
        e2e::WaitUntil([&] { return send->Done() || !dbg.Prompts().empty(); }, e2e::PROMPT_TIMEOUT_MS));
    EXPECT_TRUE(dbg.Prompts().empty()) << "no prompt while a trace is shown";
    dbg.CancelPrompts();
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_TRUE(send->Result().answered);
    EXPECT_EQ(FALSE, send->Result().result);
    // The trace is kept.
    EXPECT_EQ("y", Row(1));
}

TEST_F(DebuggerTest, AcceptedSessionThenRecordsThenRefusal) {
    EXPECT_EQ(TRUE, StartSession("1234", IDOK));
    SendAll(KIND_TRACE, {"A|1", "B|2"});
    const e2e::Reply again = dbg.Send(KIND_SESSION_START, "1235", e2e::PROMPT_TIMEOUT_MS);
    dbg.CancelPrompts();
    ASSERT_TRUE(again.answered) << "a session start during a trace must be answered without a prompt";
    EXPECT_EQ(FALSE, again.result);
    EXPECT_EQ("1", Row(1));
    EXPECT_EQ("2", Row(2));
}

TEST_F(DebuggerTest, NewFileMakesTheNextSessionPromptAgain) {
    EXPECT_EQ(TRUE, StartSession("1", IDOK));
    SendAll(KIND_TRACE, {"A|first", "B|second"});
    ASSERT_EQ("second", Row(2));
    const e2e::Reply refused = dbg.Send(KIND_SESSION_START, "2", e2e::PROMPT_TIMEOUT_MS);
    dbg.CancelPrompts();
    ASSERT_TRUE(refused.answered);
    EXPECT_EQ(FALSE, refused.result);

    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    EXPECT_EQ("", dbg.DetailText()) << "New File empties the detail box";
    EXPECT_EQ("<unchanged>", Row(1)) << "New File empties the trace";

    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, "3");
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box) << "after New File a session start prompts again";
    EXPECT_EQ("SID [3]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_EQ(TRUE, send->Result().result);
    SendAll(KIND_TRACE, {"C|third"});
    EXPECT_EQ("third", Row(1));
}

TEST_F(DebuggerTest, EmptySessionId) {
    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, "");
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID []스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_EQ(TRUE, send->Result().result);
}

TEST_F(DebuggerTest, SessionIdEndsAtNulByte) {
    const std::string sid("12\0"
                          "34",
                          5);
    std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(KIND_SESSION_START, sid);
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID [12]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDCANCEL));
    ASSERT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_EQ(FALSE, send->Result().result);
}

// Two engines: while one's session prompt waits for the person, the other's records and its own
// session start are answered FALSE (not taken), since the OK then empties the trace; the person
// sees one prompt, and after it records are taken again.
TEST_F(DebuggerTest, WhileThePromptIsOpenOtherSendersAreNotTaken) {
    std::unique_ptr<e2e::AsyncSend> first = dbg.SendAsync(KIND_SESSION_START, "1");
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box);
    const e2e::Reply record = dbg.Send(KIND_TRACE, "Other|engine");
    const e2e::Reply second = dbg.Send(KIND_SESSION_START, "2");
    ASSERT_TRUE(record.answered && second.answered) << "answered at once, without a person";
    EXPECT_EQ(FALSE, record.result);
    EXPECT_EQ(FALSE, second.result);
    EXPECT_EQ(1u, dbg.Prompts().size()) << "no second prompt";
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(first->Wait(e2e::PROMPT_TIMEOUT_MS));
    EXPECT_EQ(TRUE, first->Result().result);
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "After|prompt"));
    EXPECT_EQ("prompt", Row(1));
    EXPECT_EQ("<unchanged>", Row(2));
}
