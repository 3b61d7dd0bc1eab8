// GoogleTest fixture of the end-to-end tests: a fresh VkDebuger.exe for every test, ended (and
// killed if need be) after it.
#pragma once

#include "e2e_harness.h"

#include <gtest/gtest.h>

#include <string>

class DebuggerTest : public testing::Test {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(dbg.Launch(&error)) << error;
    }

    void TearDown() override {
        dbg.Shutdown();
        EXPECT_FALSE(dbg.Running()) << "VkDebuger.exe did not end";
    }

    // Sends a record that needs no answer from a person; its result, -1 when it got no answer.
    LRESULT Send(ULONG_PTR kind, const std::string& payload) {
        const e2e::Reply r = dbg.Send(kind, payload);
        EXPECT_TRUE(r.answered) << "no answer to kind " << kind << " \"" << payload.substr(0, 60)
                                << "\": " << e2e::LastErrorText(r.error);
        return r.answered ? r.result : -1;
    }

    // Sends records of one kind after another, each expected to be answered with TRUE.
    void SendAll(ULONG_PTR kind, std::initializer_list<const char*> payloads) {
        for (const char* p : payloads)
            EXPECT_EQ(TRUE, Send(kind, p)) << p;
    }

    // A session start answered at its prompt with the given button; the start's result (-1: no
    // prompt or no answer).
    LRESULT StartSession(const std::string& sid, int button) {
        std::unique_ptr<e2e::AsyncSend> send = dbg.SendAsync(e2e::KIND_SESSION_START, sid);
        HWND box = dbg.WaitForPrompt();
        EXPECT_NE(nullptr, box) << "no session prompt for SID " << sid;
        if (!box) return -1;
        EXPECT_TRUE(e2e::PressPromptButton(box, button));
        EXPECT_TRUE(send->Wait(e2e::PROMPT_TIMEOUT_MS)) << "the session start got no answer after the prompt";
        if (!send->Done()) return -1;
        EXPECT_TRUE(send->Result().answered) << e2e::LastErrorText(send->Result().error);
        return send->Result().answered ? send->Result().result : -1;
    }

    // The detail shown for a row ("<unchanged>" when the click shows nothing).
    std::string Row(int row) { return dbg.ShowRow(row); }

    e2e::Debugger dbg;
};
