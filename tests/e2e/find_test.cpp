// Find in the real debugger: Ctrl+F opens the system's Find dialog over the trace, Enter and F3
// walk the matches down and Shift+F3 up, wrapping at the ends; a text found nowhere says so and
// changes nothing; Hangul, and a double-byte character whose second byte is an ASCII letter, are
// matched as whole characters; a masked detail is found by its hex. The found row is checked
// where a person sees it: the detail box, the next F3 going on from it (the focus), and a click
// on the top row of the view.
#include "e2e_fixture.h"
#include "e2e_input.h"

#include <atomic>
#include <thread>

using e2e::KIND_TRACE;

namespace {

constexpr int kFindWhatEdit = 1152; // the Find dialog's "Find what" box

std::string Record(int n) {
    if (n == 10) return "ReadInput|first";
    if (n == 20) return "LoadInputFID|secret"; // a masked function: its detail is stored as hex
    if (n == 40) return "Call|calls readinput again";
    if (n == 50)
        return "한글함수|\x81\x41"
               "BC 값";
    return "Step|detail of record " + std::to_string(n);
}

class FindTest : public DebuggerTest {
protected:
    // The Find dialog: the debugger's own top-level dialog with a "Find what" box.
    HWND FindDialog() const {
        for (HWND w : e2e::FindTopLevelWindows(dbg.Pid(), "#32770", ""))
            if (GetWindow(w, GW_OWNER) == dbg.Window() && GetDlgItem(w, kFindWhatEdit)) return w;
        return nullptr;
    }
    bool Keys(HWND to, std::initializer_list<WORD> keys) {
        return e2e::BringToFront(to) && e2e::PressKeys(keys) && dbg.Sync() && dbg.Sync();
    }
    // Ctrl+F in the debugger, then the text in "Find what" and Enter; the detail box after it.
    std::string Find(const std::string& text, bool type = false) {
        if (!FindDialog() && !Keys(dbg.Window(), {VK_CONTROL, 'F'})) return "<no Ctrl+F>";
        HWND dialog = nullptr;
        if (!e2e::WaitUntil([&] { return (dialog = FindDialog()) != nullptr; }, e2e::SYNC_TIMEOUT_MS))
            return "<no Find dialog>";
        // The keys go to the Find dialog's box through the debugger's message loop, as typed keys do.
        HWND edit = GetDlgItem(dialog, kFindWhatEdit);
        SendMessageA(edit, WM_SETTEXT, 0, (LPARAM)(type ? "" : text.c_str()));
        if (type)
            for (char c : text)
                PostMessageA(edit, WM_CHAR, (BYTE)c, 1);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC0000001);
        return dbg.Sync() && dbg.Sync() ? dbg.DetailText() : "<no Enter>";
    }
    std::string F3(bool shift) {
        const bool ok = shift ? Keys(dbg.Window(), {VK_SHIFT, VK_F3}) : Keys(dbg.Window(), {VK_F3});
        return ok ? dbg.DetailText() : "<no F3>";
    }
    // The not-found message: its text, then it is closed.
    std::string NotFoundMessage() {
        HWND box = dbg.WaitForPrompt();
        if (!box) return "<no message>";
        const std::string text = e2e::ReadPrompt(box).text;
        e2e::PressPromptButton(box, IDOK);
        e2e::WaitUntil([&] { return dbg.Prompts().empty(); }, e2e::SYNC_TIMEOUT_MS);
        return text;
    }
    // The detail of the row shown at the top of the view, by a click on it.
    std::string ClickTopRow() {
        HWND grid = dbg.Item(e2e::GRID_CONTROL_ID);
        const LPARAM at = MAKELPARAM(60, 20 + 10); // below the 20-pixel heading row
        dbg.SetDetailText("<unchanged>");
        PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(grid, WM_LBUTTONUP, 0, at);
        return dbg.Sync() && dbg.Sync() ? dbg.DetailText() : "<no click>";
    }
};

} // namespace

TEST_F(FindTest, EnterAndF3WalkTheMatchesBothWaysAndWrap) {
    for (int n = 1; n <= 60; n++)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, Record(n))) << n;
    ASSERT_EQ("first", Find("readinput", true));
    // The row found is the focus: F3 goes on from it, also with the Find dialog closed.
    EXPECT_EQ("calls readinput again", F3(false));
    ASSERT_TRUE(PostMessageA(FindDialog(), WM_COMMAND, IDCANCEL, 0) && dbg.Sync());
    ASSERT_EQ(nullptr, FindDialog());
    EXPECT_EQ("first", F3(false));                // wrapped to the start
    EXPECT_EQ("calls readinput again", F3(true)); // up, wrapped to the end
    EXPECT_EQ("first", F3(true));

    // Not there: a message, and the row, the detail and the view stay as they were.
    EXPECT_EQ("\"nowhere\"을(를) 찾을 수 없습니다.", (Find("nowhere"), NotFoundMessage()));
    EXPECT_EQ("first", dbg.DetailText());

    EXPECT_EQ("\x81\x41"
              "BC 값",
              Find("한글함수"));
    EXPECT_EQ("\"ABC\"을(를) 찾을 수 없습니다.", (Find("ABC"), NotFoundMessage()));
    EXPECT_EQ("\x81\x41"
              "BC 값",
              Find("\x81\x41"
                   "B"));
    // A masked detail is found by its hex, never by its clear text.
    const std::string hex = Find("LoadInputFID");
    ASSERT_GT(hex.size(), 12u);
    EXPECT_EQ(hex, Find(hex.substr(4, 8)));
    EXPECT_EQ("\"secret\"을(를) 찾을 수 없습니다.", (Find("secret"), NotFoundMessage()));
    // Row 10 found from row 20 scrolls the view up to it: it is the top row shown.
    EXPECT_EQ("first", Find("first"));
    EXPECT_EQ("first", ClickTopRow());
}

TEST_F(FindTest, FindDuringAStreamShowsTheRowAndAnswersEveryRecord) {
    for (int n = 1; n <= 60; n++)
        ASSERT_EQ(TRUE, Send(KIND_TRACE, Record(n))) << n;
    std::atomic<int> refused{0};
    std::atomic<bool> stop{false};
    std::thread engine([&] {
        for (int n = 61; n <= 3000 && !stop; n++) {
            const e2e::Reply r = dbg.Send(KIND_TRACE, Record(n), 5000);
            if (!r.answered || r.result != TRUE) refused++;
        }
    });
    const std::string found = Find("calls");
    stop = true;
    engine.join();
    EXPECT_EQ("calls readinput again", found);
    EXPECT_EQ(0, refused.load());
}
