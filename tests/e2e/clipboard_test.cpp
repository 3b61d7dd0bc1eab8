// Trace rows copied from the running debugger: selected with the mouse or Ctrl+A, copied with
// Ctrl+C or Ctrl+Insert, read back as tab-separated text by another Windows program (this test)
// and, where xclip is installed, from the Linux desktop's own clipboard as UTF-8. Cut and paste
// change nothing in the read-only trace, and the copied text outlives the program.
#include "e2e_fixture.h"
#include "e2e_input.h"

#include <cstdio>
#include <cstring>

using e2e::KIND_TRACE;

namespace {

constexpr int kHeadingHeight = 20;
constexpr int kRowHeight = 20;

bool IsNumber(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

class CopyRowsTest : public DebuggerTest {
protected:
    HWND Grid() const { return dbg.Item(e2e::GRID_CONTROL_ID); }
    // A click on the n-th trace row (0 the first), handled before this returns.
    bool ClickRow(int n, WPARAM flags = 0) {
        const LPARAM at = MAKELPARAM(60, kHeadingHeight + n * kRowHeight + kRowHeight / 2);
        return PostMessageA(Grid(), WM_LBUTTONDOWN, MK_LBUTTON | flags, at) &&
               PostMessageA(Grid(), WM_LBUTTONUP, flags, at) && dbg.Sync() && dbg.Sync();
    }
    // Keys pressed on the debugger's window, handled before this returns.
    bool Keys(std::initializer_list<WORD> keys) {
        return e2e::BringToFront(dbg.Window()) && e2e::PressKeys(keys) && dbg.Sync() && dbg.Sync();
    }
    // The text copied, waited for (the clipboard is empty before each copy).
    std::string Copied() { return e2e::WaitForClipboardText(); }
};

} // namespace

TEST_F(CopyRowsTest, SelectedRowsReachTheClipboardAsTabSeparatedText) {
    SendAll(KIND_TRACE, {"First|one", "둘째|한글 상세", "Third|three"});
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    ASSERT_TRUE(ClickRow(0));
    ASSERT_TRUE(ClickRow(1, MK_SHIFT));
    ASSERT_TRUE(Keys({VK_CONTROL, 'C'}));
    const std::string bytes = e2e::ReadClipboard(CF_TEXT);
    const std::string text = Copied();
    ASSERT_EQ(text.size() + 1, bytes.size()) << "one NUL ends the text, nothing after it";
    EXPECT_EQ(std::string::npos, text.find('\r'));
    auto rows = e2e::SplitCopiedText(text);
    ASSERT_EQ(2u, rows.size()) << text;
    ASSERT_EQ(3u, rows[0].size());
    ASSERT_EQ(3u, rows[1].size());
    EXPECT_EQ("First", rows[0][0]);
    EXPECT_TRUE(IsNumber(rows[0][1])) << rows[0][1];
    EXPECT_EQ("one", rows[0][2]);
    EXPECT_EQ("둘째", rows[1][0]);
    EXPECT_EQ("한글 상세", rows[1][2]);
    // Unicode readers get the Korean text intact.
    const std::string unicode = e2e::ReadClipboard(CF_UNICODETEXT);
    const std::wstring wide = e2e::Widen(text, 949);
    ASSERT_GE(unicode.size(), wide.size() * sizeof(wchar_t));
    EXPECT_EQ(0, std::memcmp(unicode.data(), wide.data(), wide.size() * sizeof(wchar_t)));

    // Ctrl+A selects every row; Ctrl+Insert copies as Ctrl+C does.
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    ASSERT_TRUE(Keys({VK_CONTROL, 'A'}));
    ASSERT_TRUE(Keys({VK_CONTROL, VK_INSERT}));
    rows = e2e::SplitCopiedText(Copied());
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("Third", rows[2][0]);
    EXPECT_EQ("three", rows[2][2]);

    // Cut and paste leave the read-only trace as it was.
    ASSERT_TRUE(Keys({VK_CONTROL, 'X'}));
    ASSERT_TRUE(Keys({VK_CONTROL, 'V'}));
    ASSERT_TRUE(Keys({VK_SHIFT, VK_INSERT}));
    EXPECT_EQ("one", Row(1));
    EXPECT_EQ("한글 상세", Row(2));
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    ASSERT_TRUE(Keys({VK_CONTROL, 'A'}));
    ASSERT_TRUE(Keys({VK_CONTROL, 'C'}));
    rows = e2e::SplitCopiedText(Copied());
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("First", rows[0][0]);
    EXPECT_EQ("three", rows[2][2]);

    // The copied rows stay on the clipboard after the program ends.
    dbg.Shutdown();
    ASSERT_FALSE(dbg.Running());
    rows = e2e::SplitCopiedText(e2e::ClipboardText());
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ("한글 상세", rows[1][2]);
}

// The Linux desktop's clipboard (Wine hands the text over as UTF-8), read with xclip.
TEST_F(CopyRowsTest, CopiedRowsReachTheLinuxClipboardAsUtf8) {
    if (!e2e::FileExists("Z:\\usr\\bin\\xclip"))
        GTEST_SKIP()
            << "xclip is not installed (scripts/setup installs it): the Linux clipboard is not checked";
    SendAll(KIND_TRACE, {"Alpha|첫 줄", "Beta|second"});
    ASSERT_TRUE(ClickRow(0));
    ASSERT_TRUE(ClickRow(1, MK_SHIFT));
    ASSERT_TRUE(Keys({VK_CONTROL, VK_INSERT}));
    const std::string copied = Copied();
    ASSERT_FALSE(copied.empty());

    // A file of the build tree, which both sides name: the Linux path and its Z: drive path.
    const std::string out =
        std::string(VK_BIN_DIR) + "/xclip-" + std::to_string(GetCurrentProcessId()) + ".out";
    DeleteFileA(e2e::ToWindowsPath(out).c_str());
    ASSERT_TRUE(e2e::RunLinuxShell("xclip -o -selection clipboard -target UTF8_STRING > '" + out +
                                       ".tmp' 2>&1; mv '" + out + ".tmp' '" + out + "'",
                                   out, e2e::SYNC_TIMEOUT_MS))
        << "xclip gave no answer";
    const std::string utf8 = e2e::ReadFileBytes(e2e::ToWindowsPath(out));
    DeleteFileA(e2e::ToWindowsPath(out).c_str());
    // The same text as the Windows side's, in UTF-8 (the tab and line feed kept).
    const std::wstring wide = e2e::Widen(copied, 949);
    std::string expected(wide.size() * 4, '\0');
    expected.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &expected[0],
                                        static_cast<int>(expected.size()), nullptr, nullptr));
    EXPECT_EQ(expected, utf8);
    EXPECT_NE(std::string::npos, utf8.find("\xEC\xB2\xAB \xEC\xA4\x84")) << "첫 줄 in UTF-8";
}
