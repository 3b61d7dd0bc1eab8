// GridSample.exe as a person uses it, with real key presses and clicks: typing into a cell, Tab
// on, picking from a list and a combo, Escape, clicking away, a read-only cell that takes
// nothing; the grid's contents read back through its own Select All and Copy; and the Edit
// menu's items greyed and enabled as the grid's rules say (read from the screen: another process
// cannot read a window's menu under Wine).
#include "e2e_input.h"
#include "print_server.h"

#include <gtest/gtest.h>

namespace {

// The sample's layout: column widths, heading and body row heights.
const int kWidths[] = {36, 130, 80, 90, 90, 110, 220};
constexpr int kHeadingHeight = 24;
constexpr int kRowHeight = 22;
enum { NAME = 1, QUANTITY, COLOUR, PRIORITY, CODES, NOTE };

class GridSampleTest : public testing::Test {
protected:
    void SetUp() override {
        const std::string exe = e2e::BinDir() + "\\GridSample.exe";
        ASSERT_TRUE(e2e::FileExists(exe)) << exe << " is not built";
        std::string error;
        ASSERT_TRUE(process.Start(exe, {}, &error, false)) << error;
        ASSERT_TRUE(e2e::WaitUntil(
            [&] {
                auto w = e2e::FindTopLevelWindows(process.Pid(), "", "Grid Sample");
                frame = w.empty() ? nullptr : w[0];
                return frame != nullptr;
            },
            e2e::START_TIMEOUT_MS))
            << "no window captioned \"Grid Sample\"";
        grid = GetDlgItem(frame, 100);
        ASSERT_NE(nullptr, grid);
        ASSERT_TRUE(e2e::BringToFront(frame));
    }
    void TearDown() override {
        if (process.Running()) {
            PostMessageA(frame, WM_CLOSE, 0, 0);
            if (!process.Wait(e2e::EXIT_TIMEOUT_MS)) process.Kill();
        }
        EXPECT_FALSE(process.Running());
    }

    // File > Print...; the window it opens: the print dialog, or a message box.
    HWND OpenPrintCommand() {
        PostMessageA(frame, WM_COMMAND, 57607, 0);
        HWND box = nullptr;
        e2e::WaitUntil(
            [&] {
                auto w = e2e::FindTopLevelWindows(process.Pid(), "#32770", "");
                box = w.empty() ? nullptr : w[0];
                return box != nullptr &&
                       (GetDlgItem(box, 0xFFFF) != nullptr || GetDlgItem(box, kPrinterList));
            },
            e2e::START_TIMEOUT_MS);
        return box;
    }
    static constexpr int kPrinterList = 0x473; // the print dialog's printer box

    // Waits until the sample has handled everything sent to it so far.
    bool Settle() {
        DWORD_PTR r = 0;
        for (int i = 0; i < 3; i++) {
            if (!SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, e2e::SYNC_TIMEOUT_MS, &r))
                return false;
            Sleep(30);
        }
        return true;
    }
    // The screen point in the middle of a cell (nothing scrolled).
    POINT CellPoint(int row, int col) const {
        int x = 0;
        for (int c = 0; c < col; c++)
            x += kWidths[c];
        POINT p = {x + kWidths[col] / 2,
                   row == 0 ? kHeadingHeight / 2 : kHeadingHeight + (row - 1) * kRowHeight + kRowHeight / 2};
        ClientToScreen(grid, &p);
        return p;
    }
    bool Click(int row, int col) { return e2e::ClickScreen(CellPoint(row, col)) && Settle(); }
    bool Keys(std::initializer_list<WORD> keys) { return e2e::PressKeys(keys) && Settle(); }
    bool Type(const std::string& text) { return e2e::TypeText(text) && Settle(); }
    // The open in-place editor of a window class ("Edit", "ListBox", "ComboBox"), or NULL.
    HWND Editor(const char* className) const { return FindWindowExA(grid, nullptr, className, nullptr); }

    // Every body row as the grid copies it (Select All, then Ctrl+C), split into fields.
    std::vector<std::vector<std::string>> CopyAll() {
        if (!e2e::EmptyTheClipboard()) return {};
        PostMessageA(frame, WM_COMMAND, ID_EDIT_SELECT_ALL_, 0);
        if (!Settle() || !Keys({VK_CONTROL, 'C'})) return {};
        return e2e::SplitCopiedText(e2e::WaitForClipboardText());
    }

    // Opens the Edit menu with a click on its title and tells, for Cut, Copy, Paste and
    // Select All, whether each is enabled: enabled items are drawn in the menu text colour,
    // greyed ones in the grey text colour. The menu is closed again.
    std::vector<bool> EditMenuItems() {
        // The first menu a new program opens was sometimes shown and never drawn under 32-bit
        // Wine on a virtual display: such a menu is closed and opened again.
        std::vector<bool> enabled;
        for (int attempt = 0; attempt < 3 && enabled.size() != 4; attempt++)
            enabled = OpenEditMenu();
        return enabled;
    }

    std::vector<bool> OpenEditMenu() {
        std::vector<bool> enabled;
        POINT origin = {0, 0};
        ClientToScreen(frame, &origin);
        POINT title = {origin.x + 50, origin.y - GetSystemMetrics(SM_CYMENU) / 2};
        // The pointer leaves the cells first: a title tip shown over one holds the mouse.
        if (!e2e::MoveMouseTo(title) || !Settle() || !e2e::ClickScreen(title) || !Settle()) return enabled;
        HWND popup = nullptr;
        e2e::WaitUntil(
            [&] {
                auto w = e2e::FindTopLevelWindows(process.Pid(), "#32768", "");
                popup = w.empty() ? nullptr : w[0];
                return popup != nullptr;
            },
            e2e::SYNC_TIMEOUT_MS);
        if (popup == nullptr) return enabled;
        // Read until two readings agree on four items: the menu has been drawn.
        std::vector<bool> previous;
        e2e::WaitUntil(
            [&] {
                Sleep(100);
                enabled = ReadMenuItems(popup);
                const bool same = enabled.size() == 4 && enabled == previous;
                previous = enabled;
                return same;
            },
            5000);
        e2e::PressKeys({VK_ESCAPE});
        e2e::PressKeys({VK_ESCAPE});
        Settle();
        return enabled;
    }

    static std::vector<bool> ReadMenuItems(HWND popup) {
        std::vector<bool> enabled;
        RECT rc;
        GetWindowRect(popup, &rc);
        const int w = rc.right - rc.left, h = rc.bottom - rc.top;
        std::vector<COLORREF> pixels = Capture(rc.left, rc.top, w, h);
        // Rows with text are darker than the menu's background; an enabled item's text is
        // dark, a greyed one's light. Bands of such rows (gaps of two rows closed) are the items;
        // the separator is a band of one or two rows and is left out.
        const COLORREF bg = pixels[(size_t)(h / 2) * w + (w - 5)];
        if (bg != GetSysColor(COLOR_MENU)) return enabled; // not drawn: the window below shows
        const int bgSum = GetRValue(bg) + GetGValue(bg) + GetBValue(bg);
        std::vector<int> rowInk(h, 0); // 0 none, 1 light, 2 dark
        for (int y = 3; y < h - 3; y++)
            for (int x = 3; x < w - 3; x++) {
                COLORREF c = pixels[(size_t)y * w + x];
                int sum = GetRValue(c) + GetGValue(c) + GetBValue(c);
                if (sum < 3 * 90)
                    rowInk[y] = 2;
                else if (sum < bgSum - 90 && rowInk[y] == 0)
                    rowInk[y] = 1;
            }
        int y = 0;
        while (y < h) {
            if (rowInk[y] == 0) {
                y++;
                continue;
            }
            int top = y, last = y;
            bool dark = false;
            while (y < h && (rowInk[y] != 0 || (y - last) <= 2)) {
                if (rowInk[y] != 0) last = y;
                if (rowInk[y] == 2) dark = true;
                y++;
            }
            if (last - top + 1 > 2) enabled.push_back(dark);
        }
        return enabled;
    }

    static std::vector<COLORREF> Capture(int x, int y, int w, int h) {
        std::vector<COLORREF> out((size_t)w * h);
        HDC screen = GetDC(nullptr);
        HDC mem = CreateCompatibleDC(screen);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, w, h, screen, x, y, SRCCOPY);
        for (int j = 0; j < h; j++)
            for (int i = 0; i < w; i++)
                out[(size_t)j * w + i] = GetPixel(mem, i, j);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        return out;
    }

    static constexpr UINT ID_EDIT_SELECT_ALL_ = 57642;
    e2e::ChildProcess process;
    HWND frame = nullptr;
    HWND grid = nullptr;
};

} // namespace

TEST_F(GridSampleTest, APersonEditsCellsWithKeysAndMouse) {
    // Type into a cell: a click gives it the focus, the first letter opens its edit box.
    ASSERT_TRUE(Click(1, NAME));
    ASSERT_TRUE(Type("Zebra"));
    HWND box = Editor("Edit");
    ASSERT_NE(nullptr, box) << "typing opened no edit box";
    // Tab stores it and opens the next cell's editor with its text selected: typing replaces it.
    ASSERT_TRUE(Keys({VK_TAB}));
    ASSERT_NE(nullptr, Editor("Edit"));
    ASSERT_TRUE(Type("42"));
    ASSERT_TRUE(Keys({VK_TAB}));
    // The colour column opens its list; a click on "Blue" (sorted: Black, Blue, ...) picks it.
    HWND list = Editor("ListBox");
    ASSERT_NE(nullptr, list) << "Tab did not open the colour list";
    EXPECT_EQ(nullptr, Editor("Edit"));
    RECT lr;
    GetWindowRect(list, &lr);
    DWORD_PTR itemHeight = 0;
    ASSERT_TRUE(
        SendMessageTimeoutA(list, LB_GETITEMHEIGHT, 0, 0, SMTO_NORMAL, e2e::SYNC_TIMEOUT_MS, &itemHeight));
    POINT blue = {(lr.left + lr.right) / 2, lr.top + 2 + (LONG)itemHeight + (LONG)itemHeight / 2};
    ASSERT_TRUE(e2e::ClickScreen(blue) && Settle());
    EXPECT_EQ(nullptr, Editor("ListBox")) << "a click on an entry ends the edit";
    // Right to the priority; a letter opens the combo, Down picks the next entry, Return ends.
    ASSERT_TRUE(Keys({VK_RIGHT}));
    ASSERT_TRUE(Type("x"));
    ASSERT_NE(nullptr, Editor("ComboBox")) << "no priority combo";
    ASSERT_TRUE(Keys({VK_DOWN}));
    ASSERT_TRUE(Keys({VK_RETURN}));
    EXPECT_EQ(nullptr, Editor("ComboBox"));
    // Escape puts the note back.
    ASSERT_TRUE(Keys({VK_RIGHT}));
    ASSERT_TRUE(Keys({VK_RIGHT}));
    ASSERT_TRUE(Type("temp"));
    ASSERT_NE(nullptr, Editor("Edit"));
    ASSERT_TRUE(Keys({VK_ESCAPE}));
    EXPECT_EQ(nullptr, Editor("Edit")) << "Escape ends the edit and opens nothing again";
    // A click elsewhere ends an edit and stores it.
    ASSERT_TRUE(Click(3, NAME));
    ASSERT_TRUE(Type("Quince"));
    ASSERT_NE(nullptr, Editor("Edit"));
    ASSERT_TRUE(Click(4, NAME));
    EXPECT_EQ(nullptr, Editor("Edit"));
    // A read-only cell takes nothing.
    ASSERT_TRUE(Click(2, NAME));
    ASSERT_TRUE(Type("Nope"));
    EXPECT_EQ(nullptr, Editor("Edit"));
    // Punctuation and a Hangul syllable typed first start an edit whole. They are typed as an
    // input method types them: this display's keyboard layout has no key for '('.
    auto typeUnicode = [&](const std::wstring& text) {
        std::vector<INPUT> in(2 * text.size());
        for (size_t i = 0; i < in.size(); i++)
            in[i].type = INPUT_KEYBOARD, in[i].ki.wScan = text[i / 2],
            in[i].ki.dwFlags = KEYEVENTF_UNICODE | (i % 2 ? KEYEVENTF_KEYUP : 0);
        return SendInput((UINT)in.size(), in.data(), sizeof(INPUT)) == in.size() && Settle();
    };
    ASSERT_TRUE(Click(6, NAME) && typeUnicode(L"(x!y") && e2e::EmptyTheClipboard());
    EXPECT_EQ((std::vector<bool>{false, false, false, true}), EditMenuItems()) << "the open box's rules";
    ASSERT_TRUE(Click(7, NAME) && typeUnicode(L"\uAC00") && Click(8, NAME));

    auto rows = CopyAll();
    ASSERT_EQ(12u, rows.size());
    for (auto& r : rows)
        ASSERT_EQ(6u, r.size());
    const std::vector<std::string> first = {"Zebra", "42",         "Blue",
                                            "High",  "#0000FF p2", "Edit a cell: type, or click it twice"};
    EXPECT_EQ(first, rows[0]) << "the list's data (blue) and the combo's (rank 2) are the cells' parameters";
    EXPECT_EQ("Bolts", rows[1][0]);
    EXPECT_EQ("Quince", rows[2][0]);
    EXPECT_EQ("Dowels", rows[3][0]);
    EXPECT_EQ("(x!y", rows[5][0]);
    EXPECT_EQ("\xB0\xA1", rows[6][0]) << "the Hangul syllable GA in code page 949";
}

TEST_F(GridSampleTest, TheEditMenuFollowsTheSelectionAndTheClipboard) {
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    // Nothing selected and no focus: only Select All.
    EXPECT_EQ((std::vector<bool>{false, false, false, true}), EditMenuItems());
    // A row clicked: Cut and Copy; Paste once the clipboard holds text.
    ASSERT_TRUE(Click(5, NAME));
    EXPECT_EQ((std::vector<bool>{true, true, false, true}), EditMenuItems());
    ASSERT_TRUE(Keys({VK_CONTROL, 'C'}));
    EXPECT_EQ((std::vector<bool>{true, true, true, true}), EditMenuItems());
    // A read-only focus cell takes no paste.
    ASSERT_TRUE(Click(5, QUANTITY));
    EXPECT_EQ((std::vector<bool>{true, true, false, true}), EditMenuItems());
    // The menu's Copy reaches the grid.
    ASSERT_TRUE(e2e::EmptyTheClipboard());
    PostMessageA(frame, WM_COMMAND, 57634, 0);
    ASSERT_TRUE(Settle());
    EXPECT_EQ(0u, e2e::ClipboardText().find("Envelopes\t49\t"));
}

TEST_F(GridSampleTest, TitleTipOverACellAndFilePrintWithoutAPrinter) {
    // The pointer resting on a cell shows the row's last column in a title tip; a click hides it.
    ASSERT_TRUE(Click(2, NAME));
    ASSERT_TRUE(e2e::MoveMouseTo(CellPoint(3, NAME)));
    HWND tip = nullptr;
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            auto w = e2e::FindTopLevelWindows(process.Pid(), "ZTitleTip", "");
            tip = w.empty() || !IsWindowVisible(w[0]) ? nullptr : w[0];
            return tip != nullptr;
        },
        e2e::SYNC_TIMEOUT_MS))
        << "no title tip over the cell";
    ASSERT_TRUE(Click(3, NAME));
    EXPECT_FALSE(tip != nullptr && IsWindowVisible(tip)) << "the click left the tip shown";

    // File > Print... on a machine without a printer says so, and the sample goes on. (The suites
    // talk to a print server of their own that has no printer; run without it, a machine's printer
    // opens the print dialog instead, which is closed and the check skipped.)
    HWND box = OpenPrintCommand();
    ASSERT_NE(nullptr, box) << "neither a message nor the print dialog after File > Print...";
    const e2e::PromptInfo info = e2e::ReadPrompt(box);
    if (GetDlgItem(box, kPrinterList) != nullptr) {
        e2e::PressPromptButton(box, IDCANCEL);
        GTEST_SKIP() << "a printer is installed here: the print dialog opened";
    }
    EXPECT_EQ("No printer is installed.", info.text);
    ASSERT_TRUE(e2e::PressPromptButton(box, IDOK));
    EXPECT_TRUE(Settle()) << "the sample stopped answering after File > Print...";
}

// File > Print... as a person prints: the standard print dialog, the PDF printer (the tests' own
// queue, the only one there) chosen, OK; the PDF holds every row of the grid under the heading row.
class GridSamplePrintTest : public GridSampleTest {
protected:
    void SetUp() override {
        if (!pdf.Available()) GTEST_SKIP() << "no print server of the tests (ctest starts it)";
        GridSampleTest::SetUp();
    }
    e2e::PdfQueue pdf; // before the sample starts: it prints there
};

TEST_F(GridSamplePrintTest, FilePrintThroughTheDialogOnAPdfPrinter) {
    ASSERT_TRUE(Click(1, NAME));
    const size_t rows = CopyAll().size();
    ASSERT_GT(rows, 3u);
    HWND dialog = OpenPrintCommand();
    ASSERT_NE(nullptr, dialog);
    HWND printers = GetDlgItem(dialog, kPrinterList);
    ASSERT_NE(nullptr, printers) << "no print dialog: " << e2e::ReadPrompt(dialog).text;
    std::string chosen;
    ASSERT_TRUE(e2e::WindowText(printers, &chosen));
    EXPECT_EQ("PDF", chosen);
    ASSERT_TRUE(e2e::PressPromptButton(dialog, IDOK));

    std::vector<pngtest::Image> pages;
    std::string why;
    ASSERT_TRUE(pdf.ReadPages(100, &pages, &why)) << why;
    ASSERT_EQ(1u, pages.size()) << "a grid of " << rows << " rows";
    // Lines across the page: the header rule, the heading row's top and bottom, a line under every
    // body row, the footer rule.
    EXPECT_EQ(rows + 4, pngtest::Rules(pages[0]).size());
    EXPECT_TRUE(Settle()) << "the sample stopped answering after printing";
}
