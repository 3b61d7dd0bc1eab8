// Find in the real debugger: Ctrl+F opens the system's Find dialog, Enter and F3 walk the
// matches down and Shift+F3 up, wrapping; a text found nowhere says so and changes nothing;
// Hangul, a double-byte character whose second byte is a letter, and a masked detail's hex are
// matched exactly. The row found is checked by the detail box, by F3 going on from it (the focus),
// by a copy of the selection and by a click on the top row of the view.
#include "e2e_fixture.h"
#include "e2e_input.h"

#include <atomic>
#include <thread>

using e2e::KIND_TRACE;

namespace {

const char kWide[] = "\x81\x41\x42\x43 값"; // the 0x81 0x41 character, then "BC"

std::string Record(int n) {
    if (n == 10) return "ReadInput|first";
    if (n == 20) return "LoadInputFID|secret"; // a masked function: its detail is stored as hex
    if (n == 40) return "Call|calls readinput again";
    if (n == 50) return std::string("한글함수|") + kWide;
    return "Step|detail of record " + std::to_string(n);
}

class FindTest : public DebuggerTest {
protected:
    void SetUp() override {
        DebuggerTest::SetUp();
        for (int n = 1; n <= 60; n++)
            ASSERT_EQ(TRUE, Send(KIND_TRACE, Record(n))) << n;
    }
    HWND FindDialog() const {
        for (HWND w : e2e::FindTopLevelWindows(dbg.Pid(), "#32770", ""))
            if (GetWindow(w, GW_OWNER) == dbg.Window() && GetDlgItem(w, 1152)) return w; // "Find what"
        return nullptr;
    }
    bool Keys(std::initializer_list<WORD> keys) {
        return e2e::BringToFront(dbg.Window()) && e2e::PressKeys(keys) && dbg.Sync() && dbg.Sync();
    }
    // Ctrl+F, the text put (or typed) in "Find what", Enter; then the detail box. The keys reach
    // the Find dialog through the debugger's message loop, as typed keys do.
    std::string Find(const std::string& text, bool type = false) {
        HWND dialog = nullptr;
        if ((!FindDialog() && !Keys({VK_CONTROL, 'F'})) ||
            !e2e::WaitUntil([&] { return (dialog = FindDialog()) != nullptr; }, e2e::SYNC_TIMEOUT_MS))
            return "<no Find dialog>";
        HWND edit = GetDlgItem(dialog, 1152);
        SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)(type ? "" : text.c_str()));
        for (char c : type ? text : std::string())
            PostMessageA(edit, WM_CHAR, (BYTE)c, 1);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        return dbg.Sync() && dbg.Sync() ? dbg.DetailText() : "<no Enter>";
    }
    // Each F3 of the test moves to another row. A key can still wait in the debugger's input
    // queue when the posted markers of Sync come back (posted messages go first), so the detail
    // is waited for until it changes.
    std::string F3(bool shift) {
        const std::string before = dbg.DetailText();
        if (!(shift ? Keys({VK_SHIFT, VK_F3}) : Keys({VK_F3}))) return "<no F3>";
        e2e::WaitUntil([&] { return dbg.DetailText() != before; }, e2e::SYNC_TIMEOUT_MS);
        return dbg.DetailText();
    }
    // The not-found message's text; the message is closed.
    std::string NotFound(const std::string& text) {
        Find(text);
        HWND box = dbg.WaitForPrompt();
        const std::string message = box ? e2e::ReadPrompt(box).text : "<no message>";
        if (box) e2e::PressPromptButton(box, IDOK);
        e2e::WaitUntil([&] { return dbg.Prompts().empty(); }, e2e::SYNC_TIMEOUT_MS);
        return message;
    }
    std::string ClickTopRow() {
        const LPARAM at = MAKELPARAM(60, 30); // below the 20-pixel heading row
        dbg.SetDetailText("<unchanged>");
        PostMessageA(dbg.Item(e2e::GRID_CONTROL_ID), WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(dbg.Item(e2e::GRID_CONTROL_ID), WM_LBUTTONUP, 0, at);
        return dbg.Sync() && dbg.Sync() ? dbg.DetailText() : "<no click>";
    }
};

} // namespace

TEST_F(FindTest, EnterAndF3WalkTheMatchesBothWaysAndWrap) {
    ASSERT_EQ("first", Find("readinput", true));
    EXPECT_EQ("calls readinput again", F3(false));
    ASSERT_TRUE(PostMessageA(FindDialog(), WM_COMMAND, IDCANCEL, 0) && dbg.Sync());
    ASSERT_EQ(nullptr, FindDialog());             // F3 goes on with the dialog closed
    EXPECT_EQ("first", F3(false));                // wrapped to the start
    EXPECT_EQ("calls readinput again", F3(true)); // up, wrapped to the end
    EXPECT_EQ("first", F3(true));
    EXPECT_EQ("\"nowhere\"을(를) 찾을 수 없습니다.", NotFound("nowhere"));
    EXPECT_EQ("first", dbg.DetailText());
    EXPECT_EQ(kWide, Find("한글함수"));
    EXPECT_EQ("\"ABC\"을(를) 찾을 수 없습니다.", NotFound("ABC"));
    EXPECT_EQ(kWide, Find("\x81\x41\x42"));
    const std::string hex = Find("LoadInputFID");
    ASSERT_GT(hex.size(), 12u);
    EXPECT_EQ(hex, Find(hex.substr(4, 8)));
    EXPECT_EQ("\"secret\"을(를) 찾을 수 없습니다.", NotFound("secret"));
    // Row 10 found from row 20, everything selected before: the view goes up to it, and it is
    // the only row selected (a copy takes it alone).
    HWND grid = dbg.Item(e2e::GRID_CONTROL_ID);
    ASSERT_TRUE(PostMessageA(grid, WM_COMMAND, 0xE12A, 0) && dbg.Sync()); // Select All
    EXPECT_EQ("first", Find("first"));
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    ASSERT_TRUE(PostMessageA(grid, WM_COMMAND, 0xE122, 0) && dbg.Sync()); // Copy
    const auto copied = e2e::SplitCopiedText(e2e::WaitForClipboardText());
    ASSERT_EQ(1u, copied.size());
    EXPECT_EQ("ReadInput", copied[0][0]);
    EXPECT_EQ("first", ClickTopRow());
}

TEST_F(FindTest, FindDuringAStreamShowsTheRowAndAnswersEveryRecord) {
    std::atomic<int> refused{0};
    std::atomic<bool> stop{false};
    std::thread engine([&] {
        for (int n = 61; n <= 3000 && !stop; n++) {
            const e2e::Reply r = dbg.Send(KIND_TRACE, Record(n), 5000);
            if (!r.answered || r.result != TRUE) refused++;
        }
    });
    EXPECT_EQ("calls readinput again", Find("calls"));
    stop = true;
    engine.join();
    EXPECT_EQ(0, refused.load());
}
