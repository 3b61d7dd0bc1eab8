// vktool send and vktool demo, the engine's stand-in, run as separate processes against the
// real debugger.
#include "e2e_fixture.h"

using e2e::ChildProcess;
using e2e::RunProgram;
using e2e::RunResult;

namespace {

const std::string DASHES(96, '-');

// Runs "vktool send --help" to see whether a vktool of that bitness can run on this machine.
bool CanRun(const std::string& vktool, std::string* why) {
    const RunResult r = RunProgram(vktool, {"send", "--help"}, e2e::START_TIMEOUT_MS);
    if (!r.ended) {
        *why = r.problem;
        return false;
    }
    if (r.exitCode != 0 || r.output.find("usage: vktool send") == std::string::npos) {
        *why = "it ended with exit code " + std::to_string(r.exitCode) + " and printed \"" + r.output +
               r.errors + "\"";
        return false;
    }
    return true;
}

std::string Tool(int bits) {
    return e2e::FindBuiltProgram("vktool.exe", bits);
}

std::string Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size()))
        ++n;
    return std::to_string(n);
}

} // namespace

class VktoolTest : public DebuggerTest {
protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_EQ(dbg.Window(), FindWindowA(nullptr, E2E_DEBUGGER_CAPTION))
            << "vktool finds the debugger by its caption, and finds another window";
    }

    // The records every sender test sends, and what they show.
    void SendAndCheck(const std::string& vktool) {
        const RunResult r = RunProgram(vktool, {"send", "enter A|x", "trace B|y", "leave A|z", "3 ab\\x00cd",
                                                "trace K|한글\\n둘째^셋째", "0 Foo"});
        ASSERT_TRUE(r.ended) << r.problem;
        EXPECT_EQ(0u, r.exitCode) << r.errors;
        EXPECT_EQ("1\n1\n1\n1\n1\n1\n", r.output);
        EXPECT_EQ("", r.errors);
        EXPECT_EQ(DASHES, Row(1));
        EXPECT_EQ("y", Row(2));
        EXPECT_EQ("z", Row(3));
        EXPECT_EQ("ab", Row(4));
        EXPECT_EQ("한글\r\n둘째\r\n셋째", Row(5));
        EXPECT_EQ("Foo", Row(6));
        EXPECT_EQ("<unchanged>", Row(7));
    }
};

TEST_F(VktoolTest, SendFrom64BitProcess) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built in this source tree";
    std::string why;
    ASSERT_TRUE(CanRun(vktool, &why)) << vktool << ": " << why;
    SendAndCheck(vktool);
}

TEST_F(VktoolTest, SendFrom32BitProcess) {
    const std::string vktool = Tool(32);
    if (vktool.empty())
        GTEST_SKIP() << "no 32-bit vktool.exe is built in this source tree (build the win32 preset to test a "
                        "32-bit sender)";
    std::string why;
    if (!CanRun(vktool, &why))
        GTEST_SKIP() << "the 32-bit " << vktool << " cannot run here (" << why
                     << "); 32-bit Windows programs need a kernel that runs 32-bit programs";
    SendAndCheck(vktool);
}

TEST_F(VktoolTest, SendWaitsForThePromptAnswer) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    ChildProcess send;
    std::string error;
    ASSERT_TRUE(send.Start(vktool, {"send", "start 4321", "enter Main|x", "trace Print|hello"}, &error))
        << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID [4321]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    EXPECT_TRUE(send.Running()) << "vktool waits for the person's answer";
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(send.Wait(e2e::SEND_TIMEOUT_MS));
    EXPECT_EQ(0u, send.ExitCode()) << send.Errors();
    EXPECT_EQ("1\n1\n1\n", send.Output());
    EXPECT_EQ("hello", Row(2));

    // A second session start while the trace is shown: refused, without a prompt.
    const RunResult again = RunProgram(vktool, {"send", "start 4322"}, e2e::PROMPT_TIMEOUT_MS);
    dbg.CancelPrompts();
    ASSERT_TRUE(again.ended) << again.problem;
    EXPECT_EQ(0u, again.exitCode);
    EXPECT_EQ("0\n", again.output);
}

TEST_F(VktoolTest, SendRecordFilesAndStandardInput) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    e2e::TempFile file;
    ASSERT_TRUE(e2e::WriteFileBytes(file.Path(), "# records\r\n"
                                                 "enter Main|x\r\n"
                                                 "\r\n"
                                                 "trace Print|고객 조회^끝\r\n"
                                                 "leave Main|0\r\n"));
    const RunResult r =
        RunProgram(vktool, {"send", "--file", file.Path(), "--kind", "7", "P|a\\\\b", "--file", "-"},
                   e2e::SEND_TIMEOUT_MS, "trace Q|from stdin\nenter R|r\n");
    ASSERT_TRUE(r.ended) << r.problem;
    EXPECT_EQ(0u, r.exitCode) << r.errors;
    EXPECT_EQ("1\n1\n1\n1\n1\n1\n", r.output);
    EXPECT_EQ(DASHES, Row(1));
    EXPECT_EQ("고객 조회\r\n끝", Row(2));
    EXPECT_EQ("0", Row(3));
    EXPECT_EQ("a\\b", Row(4));
    EXPECT_EQ("from stdin", Row(5));
    EXPECT_EQ(DASHES, Row(6));
}

TEST_F(VktoolTest, SendRejectsBadRecordsBeforeSendingAny) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    const RunResult r = RunProgram(vktool, {"send", "trace A|ok", "bogus B|y"});
    ASSERT_TRUE(r.ended) << r.problem;
    EXPECT_EQ(2u, r.exitCode);
    EXPECT_EQ("", r.output);
    EXPECT_NE(std::string::npos, r.errors.find("bogus")) << r.errors;
    EXPECT_EQ("<unchanged>", Row(1)) << "nothing was sent";

    const RunResult escape = RunProgram(vktool, {"send", "--kind", "0", "A|bad\\q"});
    ASSERT_TRUE(escape.ended) << escape.problem;
    EXPECT_EQ(2u, escape.exitCode);
    EXPECT_NE(std::string::npos, escape.errors.find("\\q")) << escape.errors;

    const RunResult missing = RunProgram(vktool, {"send", "--file", "Z:\\no\\such\\records.txt"});
    ASSERT_TRUE(missing.ended) << missing.problem;
    EXPECT_EQ(2u, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.errors.find("records.txt")) << missing.errors;
    EXPECT_EQ("<unchanged>", Row(1));
}

TEST_F(VktoolTest, DemoPlaysASession) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    ChildProcess demo;
    std::string error;
    ASSERT_TRUE(demo.Start(vktool, {"demo", "--count", "40", "--rate", "200", "--sid", "DEMO-E2E"}, &error))
        << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID [DEMO-E2E]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(demo.Wait(e2e::SEND_TIMEOUT_MS)) << "demo --count 40 did not end";
    EXPECT_EQ(0u, demo.ExitCode()) << demo.Errors();
    EXPECT_NE(std::string::npos, demo.Output().find("session DEMO-E2E accepted")) << demo.Output();
    EXPECT_NE(std::string::npos, demo.Output().find("40 records sent")) << demo.Output();

    // 39 rows besides the session start; the first is the script's outer call.
    EXPECT_EQ(DASHES, Row(1));
    EXPECT_NE("<unchanged>", Row(39));
    EXPECT_EQ("<unchanged>", Row(40));
    int lineBreaks = 0, masked = 0, korean = 0, longer = 0;
    for (int row = 1; row <= 39; ++row) {
        const std::string d = Row(row);
        if (d.find("\r\n") != std::string::npos) ++lineBreaks;
        if (d.size() >= 32 && d.size() % 32 == 0 &&
            d.find_first_not_of("0123456789ABCDEF") == std::string::npos)
            ++masked;
        for (std::size_t i = 0; i + 1 < d.size(); ++i)
            if (static_cast<unsigned char>(d[i]) >= 0xB0 && static_cast<unsigned char>(d[i]) <= 0xC8 &&
                static_cast<unsigned char>(d[i + 1]) >= 0xA1) {
                ++korean;
                break;
            }
        if (d.size() > 100) ++longer;
    }
    EXPECT_GE(lineBreaks, 3);
    EXPECT_GE(masked, 2);
    EXPECT_GE(korean, 3);
    EXPECT_GE(longer, 2);
}

TEST_F(VktoolTest, DemoStopsWhenTheSessionIsRefused) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    ChildProcess demo;
    std::string error;
    ASSERT_TRUE(demo.Start(vktool, {"demo", "--sid", "NO"}, &error)) << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDCANCEL));
    ASSERT_TRUE(demo.Wait(e2e::SEND_TIMEOUT_MS));
    EXPECT_EQ(3u, demo.ExitCode());
    EXPECT_NE(std::string::npos, demo.Errors().find("refused session NO")) << demo.Errors();
    EXPECT_EQ("<unchanged>", Row(1)) << "nothing sent after the refusal";
}

TEST_F(VktoolTest, DemoEndsWhenTheDebuggerCloses) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    ChildProcess demo;
    std::string error;
    ASSERT_TRUE(demo.Start(vktool, {"demo", "--rate", "100"}, &error)) << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Row(5) != "<unchanged>"; }, e2e::SEND_TIMEOUT_MS));
    EXPECT_TRUE(demo.Running()) << "without --count the demo goes on";
    ASSERT_TRUE(dbg.PostCommand(e2e::CMD_APP_EXIT));
    ASSERT_TRUE(dbg.WaitExit());
    ASSERT_TRUE(demo.Wait(e2e::SEND_TIMEOUT_MS)) << "the demo goes on after the debugger closed";
    EXPECT_EQ(0u, demo.ExitCode()) << demo.Errors();
    EXPECT_NE(std::string::npos, demo.Output().find("the debugger window closed")) << demo.Output();
}

// Korean text typed on a Unicode command line (a UTF-8 terminal, a Unicode shell): what vktool
// masks is what the debugger stores for the same word sent by an engine, and a character code
// page 949 lacks is refused rather than passed on as "?" or a look-alike.
TEST_F(VktoolTest, CommandLineTextIsTakenAsCodePage949) {
    int row = 1;
    for (int bits : {64, 32}) {
        const std::string vktool = Tool(bits);
        std::string why;
        if (vktool.empty() || (bits == 32 && !CanRun(vktool, &why))) {
            std::printf("note: no runnable %d-bit vktool.exe here %s\n", bits, why.c_str());
            continue;
        }
        SCOPED_TRACE(vktool);
        const RunResult sent =
            RunProgram(vktool,
                       {"send", u8"trace LoadInputFID|가", u8"trace S_UpperLower|고객 조회",
                        u8"trace Print|고객 조회^\\xB0\\xA1"},
                       e2e::SEND_TIMEOUT_MS, "", CP_UTF8);
        ASSERT_TRUE(sent.ended) << sent.problem;
        EXPECT_EQ(0u, sent.exitCode) << sent.errors;
        const RunResult masked =
            RunProgram(vktool, {"mask", u8"가", u8"고객 조회"}, e2e::SEND_TIMEOUT_MS, "", CP_UTF8);
        ASSERT_TRUE(masked.ended) << masked.problem;
        EXPECT_EQ(0u, masked.exitCode) << masked.errors;
        EXPECT_EQ("B14391549D8BF0231BA9498E7E5B72A9", Row(row)) << "the masked form of B0 A1";
        EXPECT_EQ(Row(row) + "\n" + Row(row + 1) + "\n", masked.output);
        EXPECT_EQ("고객 조회\r\n가", Row(row + 2)) << "code page 949, and \\xB0\\xA1 the same bytes";
        row += 3;

        const RunResult emoji = RunProgram(vktool, {"send", "trace A|ok", u8"trace B|웃음 \U0001F600"},
                                           e2e::SEND_TIMEOUT_MS, "", CP_UTF8);
        ASSERT_TRUE(emoji.ended) << emoji.problem;
        EXPECT_EQ(2u, emoji.exitCode);
        EXPECT_NE(std::string::npos, emoji.errors.find("U+1F600 has no code in code page 949"))
            << emoji.errors;
        EXPECT_EQ("<unchanged>", Row(row)) << "nothing sent";
        // The ANSI arguments hold "cafe" here: the Unicode command line shows the real text.
        const RunResult accent =
            RunProgram(vktool, {"mask", u8"caf\u00e9"}, e2e::SEND_TIMEOUT_MS, "", CP_UTF8);
        ASSERT_TRUE(accent.ended) << accent.problem;
        EXPECT_EQ(2u, accent.exitCode);
        EXPECT_EQ("", accent.output);
        EXPECT_NE(std::string::npos, accent.errors.find("U+00E9")) << accent.errors;
        const RunResult sid = RunProgram(vktool, {"demo", "--sid", u8"\U0001F600", "--count", "1"},
                                         e2e::SEND_TIMEOUT_MS, "", CP_UTF8);
        ASSERT_TRUE(sid.ended) << sid.problem;
        EXPECT_EQ(2u, sid.exitCode);
        EXPECT_NE(std::string::npos, sid.errors.find("U+1F600")) << sid.errors;
    }
    EXPECT_GT(row, 1) << "no vktool.exe could run";
}

// Without a debugger: no fixture.
TEST(VktoolWithoutDebugger, SendAndDemoSayNoDebuggerIsRunning) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    if (FindWindowA(nullptr, E2E_DEBUGGER_CAPTION)) GTEST_SKIP() << "a debugger window is open";
    const RunResult send = RunProgram(vktool, {"send", "trace A|x"});
    ASSERT_TRUE(send.ended) << send.problem;
    EXPECT_EQ(1u, send.exitCode);
    EXPECT_EQ("", send.output);
    EXPECT_NE(std::string::npos, send.errors.find("no debugger is running")) << send.errors;

    const RunResult demo = RunProgram(vktool, {"demo", "--count", "5"});
    ASSERT_TRUE(demo.ended) << demo.problem;
    EXPECT_EQ(1u, demo.exitCode);
    EXPECT_NE(std::string::npos, demo.errors.find("no debugger is running")) << demo.errors;
    EXPECT_EQ(Count(demo.output, "->"), "0");
}

TEST(VktoolWithoutDebugger, DemoWaitsForTheDebuggerToAppear) {
    const std::string vktool = Tool(64);
    if (vktool.empty()) GTEST_SKIP() << "no 64-bit vktool.exe is built";
    if (FindWindowA(nullptr, E2E_DEBUGGER_CAPTION)) GTEST_SKIP() << "a debugger window is open";
    ChildProcess demo;
    std::string error;
    ASSERT_TRUE(demo.Start(
        vktool, {"demo", "--wait", "120", "--count", "3", "--rate", "100", "--sid", "LATE"}, &error))
        << error;
    e2e::Debugger dbg;
    ASSERT_TRUE(dbg.Launch(&error)) << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box) << "the waiting demo found the debugger";
    EXPECT_EQ("SID [LATE]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(demo.Wait(e2e::SEND_TIMEOUT_MS));
    EXPECT_EQ(0u, demo.ExitCode()) << demo.Errors();
    EXPECT_EQ("2", Count(demo.Output(), "->")) << demo.Output();
}
