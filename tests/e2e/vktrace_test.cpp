// The engine client (client/vktrace.h) from this test program, an engine of its own, against the
// real debugger: what arrives, the answers, no debugger, a hung receiver, several threads at once,
// the scope guard; and the C sample engine run as a separate process.
#define VKTRACE_IMPLEMENTATION
#include "vktrace.h"

#include "e2e_fixture.h"

// Included first, the client leaves the system header whole: what its lean mode leaves out (the
// shell's declarations, for one) is still there for the engine.
static_assert(sizeof(SHELLEXECUTEINFOA) > 0, "vktrace.h must not define WIN32_LEAN_AND_MEAN");

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

const std::string DASHES(96, '-');

// A session start from another thread, answered at the prompt with the given button.
int SessionAnsweredWith(e2e::Debugger& dbg, const char* sid, int button) {
    int result = -100;
    std::thread engine([&] { result = vktrace_session(sid); });
    HWND box = dbg.WaitForPrompt();
    EXPECT_NE(nullptr, box) << "no prompt for " << sid;
    if (box) {
        EXPECT_EQ(std::string("SID [") + sid + "]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
        EXPECT_TRUE(e2e::PressPromptButton(box, button));
    } else {
        dbg.CancelPrompts();
    }
    engine.join();
    return result;
}

void ThrowInsideScope() {
    VKTRACE_SCOPE("Guarded");
    vktrace_trace("Inside", "before the throw");
    throw std::runtime_error("script error");
}

void ReturnFromScope() {
    VKTRACE_SCOPE("Plain");
}

} // namespace

class VktraceTest : public DebuggerTest {
protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        if (HasFatalFailure()) return;
        vktrace_set_timeout(VKTRACE_DEFAULT_TIMEOUT_MS);
        vktrace_set_session_timeout(VKTRACE_INFINITE);
        ASSERT_EQ(dbg.Window(), vktrace_find());
    }
};

TEST_F(VktraceTest, RecordsArriveAsVktoolSendsThemWithTheirAnswers) {
    EXPECT_EQ(1, SessionAnsweredWith(dbg, "1234", IDOK));
    EXPECT_EQ(dbg.Window(), vktrace_window());
    EXPECT_EQ(1, vktrace_enter("A", "%s", "x"));
    EXPECT_EQ(1, vktrace_trace("B", "%c", 'y'));
    EXPECT_EQ(1, vktrace_leave("A", "z"));
    LRESULT answer = -1;
    EXPECT_EQ(VKTRACE_OK, vktrace_send(3, "ab\0cd", 5, &answer));
    EXPECT_EQ(TRUE, answer);
    EXPECT_EQ(1, vktrace_trace("Foo", nullptr));
    const std::string longText(700, 'x'); // past the client's stack buffer
    EXPECT_EQ(1, vktrace_record(7, "Long", "%s|%d%%", longText.c_str(), -5));
    EXPECT_EQ(1, vktrace_trace("LoadInputFID", "abc"));
    EXPECT_EQ(1, vktrace_enter("Empty", "%s", ""));
    EXPECT_EQ(1, vktrace_trace("Empty", "%s", ""));

    EXPECT_EQ(DASHES, Row(1));
    EXPECT_EQ("y", Row(2));
    EXPECT_EQ("z", Row(3));
    EXPECT_EQ("ab", Row(4));
    EXPECT_EQ("Foo", Row(5));
    EXPECT_EQ(longText + "|-5%", Row(6));
    const std::string masked = Row(7);
    EXPECT_EQ(32u, masked.size()) << masked;
    EXPECT_EQ(std::string::npos, masked.find_first_not_of("0123456789ABCDEF")) << masked;
    EXPECT_EQ("", Row(9)) << "an empty detail after the \"|\"";

    // A session start while the trace is shown: refused at once, no prompt; then refused by Cancel.
    EXPECT_EQ(0, vktrace_session("2"));
    EXPECT_TRUE(dbg.Prompts().empty());
    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    EXPECT_EQ(0, SessionAnsweredWith(dbg, "3", IDCANCEL));
    EXPECT_EQ(VKTRACE_ERROR, vktrace_session(nullptr));
    EXPECT_EQ(VKTRACE_ERROR, vktrace_trace(nullptr, "x"));
    // Nothing above the limit goes out; "N|" counts. The limit itself does.
    const std::string big(VKTRACE_MAX_RECORD_BYTES + 1, 'x');
    EXPECT_EQ(VKTRACE_TOO_LARGE, vktrace_send(0, big.data(), VKTRACE_MAX_RECORD_BYTES + 1, nullptr));
    EXPECT_EQ(VKTRACE_TOO_LARGE, vktrace_trace("N", "%s", big.c_str() + 2));
    EXPECT_EQ(1, vktrace_trace("N", "%s", big.c_str() + 3));
}

TEST_F(VktraceTest, SeveralThreadsAtOnceEachRecordWholeInItsThreadsOrder) {
    const int threads = 4, perThread = 15;
    std::vector<std::thread> engines;
    std::vector<int> failures(threads, 0);
    for (int t = 0; t < threads; ++t)
        engines.emplace_back([t, &failures] {
            for (int i = 0; i < perThread; ++i)
                if (vktrace_trace("T", "%d:%02d:%0*d", t, i, 40 + 60 * t, t) != 1) ++failures[t];
        });
    for (std::thread& e : engines)
        e.join();
    EXPECT_EQ(std::vector<int>(threads, 0), failures);

    std::vector<int> next(threads, 0);
    for (int row = 1; row <= threads * perThread; ++row) {
        const std::string detail = Row(row);
        int t = -1, i = -1;
        ASSERT_EQ(2, std::sscanf(detail.c_str(), "%d:%d:", &t, &i)) << "row " << row << ": " << detail;
        ASSERT_TRUE(t >= 0 && t < threads) << detail;
        EXPECT_EQ(next[t], i) << "thread " << t << " out of order at row " << row;
        next[t] = i + 1;
        char expected[16];
        std::snprintf(expected, sizeof expected, "%d:%02d:", t, i);
        EXPECT_EQ(expected + std::string(40 + 60 * t - 1, '0') + std::to_string(t), detail) << "row " << row;
    }
    EXPECT_EQ(std::vector<int>(threads, perThread), next);
    EXPECT_EQ("<unchanged>", Row(threads * perThread + 1)) << "no record arrived twice";
}

TEST_F(VktraceTest, ScopeGuardSendsTheReturnAlsoWhenAnExceptionPasses) {
    EXPECT_THROW(ThrowInsideScope(), std::runtime_error);
    ReturnFromScope();
    EXPECT_EQ(DASHES, Row(1));
    EXPECT_EQ("before the throw", Row(2));
    EXPECT_EQ("exception", Row(3));
    EXPECT_EQ(DASHES, Row(4));
    EXPECT_EQ("Plain", Row(5)) << "a return without a detail: the name at depth 0";
    // Depth is back at 0: a plain record is not indented.
    EXPECT_EQ(1, vktrace_trace("Flat", nullptr));
    EXPECT_EQ("Flat", Row(6));
}

TEST_F(VktraceTest, TheCSampleEngineTracesNestedCalls) {
    const std::string sample = e2e::BinDir() + "\\sample_engine.exe";
    if (!e2e::FileExists(sample)) GTEST_SKIP() << "sample_engine.exe is not built";
    e2e::ChildProcess engine;
    std::string error;
    ASSERT_TRUE(engine.Start(sample, {"S-77"}, &error)) << error;
    HWND box = dbg.WaitForPrompt(e2e::START_TIMEOUT_MS);
    ASSERT_NE(nullptr, box);
    EXPECT_EQ("SID [S-77]스크립트를 디버깅하시겠습니까", e2e::ReadPrompt(box).text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    ASSERT_TRUE(engine.Wait(e2e::SEND_TIMEOUT_MS));
    EXPECT_EQ(0u, engine.ExitCode()) << engine.Output();
    std::string output = engine.Output();
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    EXPECT_EQ("sample_engine: session S-77 traced, total 14\n", output);
    const char* expected[] = {"-",
                              "script sample.vks loaded, 1234 bytes",
                              "-",
                              "-",
                              "1",
                              "after 1: sum 1",
                              "-",
                              "4",
                              "after 2: sum 5",
                              "-",
                              "9",
                              "after 3: sum 14",
                              "14",
                              "total 14|as expected",
                              "exit 0"};
    for (int row = 1; row <= 15; ++row)
        EXPECT_EQ(std::string(expected[row - 1]) == "-" ? DASHES : expected[row - 1], Row(row))
            << "row " << row;
    EXPECT_EQ("<unchanged>", Row(16));
}

// Checks of the client without the real debugger; skipped while one is open on this display.
TEST(VktraceWithoutDebugger, ReturnsAtOnceAndLooksAgainAtMostOnceASecond) {
    if (FindWindowA(nullptr, E2E_DEBUGGER_CAPTION)) GTEST_SKIP() << "a debugger window is open";
    EXPECT_EQ(nullptr, vktrace_find());
    for (int i = 0; i < 100000; ++i)
        ASSERT_EQ(VKTRACE_NO_DEBUGGER, vktrace_trace("X", "%d", i)) << i;
    EXPECT_EQ(VKTRACE_NO_DEBUGGER, vktrace_session("1"));
    LRESULT answer = 5;
    EXPECT_EQ(VKTRACE_NO_DEBUGGER, vktrace_send(0, "x", 1, &answer));
    EXPECT_EQ(0, answer);

    // A debugger appears: found again within about a second, not on every call.
    e2e::Debugger dbg;
    std::string error;
    ASSERT_TRUE(dbg.Launch(&error)) << error;
    EXPECT_TRUE(e2e::WaitUntil([] { return vktrace_window() != nullptr; }, 5000));
    EXPECT_EQ(dbg.Window(), vktrace_window());
    ASSERT_TRUE(SetWindowTextA(dbg.Window(), "renamed"));
    EXPECT_EQ(nullptr, vktrace_find());
    ASSERT_TRUE(SetWindowTextA(dbg.Window(), E2E_DEBUGGER_CAPTION));
    EXPECT_EQ(nullptr, vktrace_window()) << "looked up again within the second after a miss";
    EXPECT_TRUE(e2e::WaitUntil([] { return vktrace_window() != nullptr; }, 5000));
    EXPECT_EQ(1, vktrace_trace("Back", "again"));
    EXPECT_EQ("again", dbg.ShowRow(1));
    // Closed: the kept window is dropped and nothing is found in its place.
    const HWND closed = dbg.Window();
    dbg.Shutdown();
    EXPECT_FALSE(IsWindow(closed));
    EXPECT_EQ(VKTRACE_NO_DEBUGGER, vktrace_trace("Gone", "x"));
    EXPECT_EQ(nullptr, vktrace_window());
}

namespace {

// A stand-in debugger window in this process that keeps a record until released.
struct HungReceiver {
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND wnd = nullptr;
    std::thread thread;

    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_COPYDATA) {
            WaitForSingleObject(reinterpret_cast<HANDLE>(GetWindowLongPtrA(wnd, GWLP_USERDATA)), 20000);
            return TRUE;
        }
        return DefWindowProcA(wnd, msg, wp, lp);
    }
    HungReceiver() {
        HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        thread = std::thread([this, ready] {
            // The client looks for a dialog: a window of the dialog class with the caption.
            wnd = CreateWindowExA(0, "#32770", E2E_DEBUGGER_CAPTION, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
            if (wnd) {
                SetWindowLongPtrA(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(release));
                SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc));
            }
            SetEvent(ready);
            MSG msg;
            while (wnd && GetMessageA(&msg, nullptr, 0, 0) > 0)
                DispatchMessageA(&msg);
            if (wnd) DestroyWindow(wnd);
        });
        WaitForSingleObject(ready, 10000);
        CloseHandle(ready);
    }
    ~HungReceiver() {
        SetEvent(release);
        if (wnd) PostMessageA(wnd, WM_QUIT, 0, 0);
        thread.join();
        CloseHandle(release);
    }
};

} // namespace

TEST(VktraceWithoutDebugger, AReceiverThatStopsAnsweringCostsOnlyTheTimeout) {
    if (FindWindowA(nullptr, E2E_DEBUGGER_CAPTION)) GTEST_SKIP() << "a debugger window is open";
    HungReceiver receiver;
    ASSERT_NE(nullptr, receiver.wnd);
    ASSERT_EQ(receiver.wnd, vktrace_find());
    vktrace_set_timeout(300);
    EXPECT_EQ(300u, vktrace_timeout());
    EXPECT_EQ(VKTRACE_TIMEOUT, vktrace_trace("Stuck", "x")) << "the receiver holds it for 20 seconds";
    EXPECT_EQ(receiver.wnd, vktrace_window()) << "a slow debugger is kept, not dropped";
    vktrace_set_session_timeout(300);
    EXPECT_EQ(VKTRACE_TIMEOUT, vktrace_session("1"));
    vktrace_set_timeout(VKTRACE_DEFAULT_TIMEOUT_MS);
    vktrace_set_session_timeout(VKTRACE_INFINITE);
}
