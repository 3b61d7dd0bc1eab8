// Trace files as a person uses them: records streamed into the real debugger, the trace saved
// through File > Save File and the system's save dialog (the path typed into its name box, the
// Save button pressed), the trace cleared with New File, opened again through File > Open File,
// and the rows clicked through.
#include "e2e_fixture.h"

#include <string>
#include <vector>

using e2e::KIND_ENTER;
using e2e::KIND_LEAVE;
using e2e::KIND_TRACE;

namespace {

constexpr int kFileNameEdit = 0x480;  // edt1: the file name box of the Open and Save As dialogs
constexpr int kFileNameCombo = 0x47C; // cmb13: the same box where it is a combo box
constexpr int kFileTypeCombo = 0x470; // cmb1: the file type (filter) list

// The common file dialog the debugger shows now, found as a person sees it: a dialog window of
// the debugger's process with a file name box.
HWND FindFileDialog(DWORD pid) {
    for (HWND w : e2e::FindTopLevelWindows(pid, "#32770", ""))
        if (GetDlgItem(w, kFileNameEdit) || GetDlgItem(w, kFileNameCombo)) return w;
    return nullptr;
}

HWND WaitForFileDialog(DWORD pid) {
    HWND dlg = nullptr;
    e2e::WaitUntil([&] { return (dlg = FindFileDialog(pid)) != nullptr; }, e2e::PROMPT_TIMEOUT_MS);
    return dlg;
}

// Types the path into the dialog's name box and presses its OK button (Save or Open).
bool TypePathAndPressOk(HWND dlg, const std::string& path) {
    HWND box = GetDlgItem(dlg, kFileNameEdit);
    if (!box) box = GetDlgItem(dlg, kFileNameCombo);
    if (!box) return false;
    DWORD_PTR ok = 0;
    if (!SendMessageTimeoutA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_NORMAL,
                             e2e::SYNC_TIMEOUT_MS, &ok))
        return false;
    return PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK))) != 0;
}

// The name of the file type the dialog's type list shows at index i (the list is selected there
// and read as the closed list shows it).
std::string FileTypeAt(HWND dlg, int i) {
    HWND combo = GetDlgItem(dlg, kFileTypeCombo);
    DWORD_PTR r = 0;
    if (!combo || !SendMessageTimeoutA(combo, CB_SETCURSEL, i, 0, SMTO_NORMAL, e2e::SYNC_TIMEOUT_MS, &r) ||
        static_cast<LRESULT>(r) != i)
        return "<no type " + std::to_string(i) + ">";
    std::string text;
    e2e::WindowText(combo, &text);
    return text;
}

int FileTypeCount(HWND dlg) {
    DWORD_PTR count = 0;
    HWND combo = GetDlgItem(dlg, kFileTypeCombo);
    if (!combo || !SendMessageTimeoutA(combo, CB_GETCOUNT, 0, 0, SMTO_NORMAL, e2e::SYNC_TIMEOUT_MS, &count))
        return -1;
    return static_cast<int>(count);
}

std::string TempDirectory() {
    char dir[MAX_PATH + 1] = {};
    GetTempPathA(sizeof dir, dir);
    return dir;
}

} // namespace

class TraceFileTest : public DebuggerTest {
protected:
    HWND Grid() const { return dbg.Item(e2e::GRID_CONTROL_ID); }

    // What the detail box shows after a left click (press and release) on the n-th shown trace
    // row, starting from a marker text.
    std::string ClickShownRow(int n) {
        if (!dbg.SetDetailText("<unchanged>")) return "<the detail box did not take the marker>";
        const LPARAM at = MAKELPARAM(60, 20 + n * 20 + 10);
        if (!PostMessageA(Grid(), WM_LBUTTONDOWN, MK_LBUTTON, at) ||
            !PostMessageA(Grid(), WM_LBUTTONUP, 0, at))
            return "<the click was not posted>";
        // The grid posts its notification while it handles the press: two markers behind it.
        if (!dbg.Sync() || !dbg.Sync()) return "<the click was not handled>";
        return dbg.DetailText();
    }

    // Runs a file command through its dialog: the path typed, OK pressed, the dialog gone and the
    // command finished.
    void ThroughDialog(int command, const std::string& path) {
        ASSERT_TRUE(dbg.PostCommand(command));
        HWND dlg = WaitForFileDialog(dbg.Pid());
        ASSERT_NE(nullptr, dlg) << "no file dialog for command " << command;
        ASSERT_TRUE(TypePathAndPressOk(dlg, path));
        ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dlg); }, e2e::PROMPT_TIMEOUT_MS))
            << "the file dialog stayed open for " << path;
        ASSERT_TRUE(dbg.Sync());
    }
};

TEST_F(TraceFileTest, SavedThroughTheMenuOpenedAgainAndClickedThrough) {
    const std::string path = TempDirectory() + "vk 추적 기록 e2e.vkp";
    DeleteFileA(path.c_str());
    ASSERT_EQ(TRUE, StartSession("42", IDOK));
    const std::string longDetail = std::string(150, 'L') + "|" + std::string(150, 'M');
    ASSERT_EQ(TRUE, Send(KIND_ENTER, "Main|start"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "한글함수|값 a|b\nline2^끝"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "LoadInputFID|secret"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Note\nmore")); // no "|": the name, line feed and all
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Cr|a\rb\\x"));
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Long|" + longDetail));
    ASSERT_EQ(TRUE, Send(KIND_LEAVE, "Main|"));
    std::vector<std::string> shown;
    for (int row = 1; row <= 7; row++)
        shown.push_back(Row(row));
    ASSERT_EQ("<unchanged>", Row(8));

    ThroughDialog(e2e::CMD_FILE_SAVE, path);
    ASSERT_TRUE(e2e::FileExists(path)) << "a new name is accepted by the save dialog: " << path;

    // The file: one CR LF line per row, function|delay|detail, line feeds as "\n".
    const std::string data = e2e::ReadFileBytes(path);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Main", std::string(96, '-')},
        {"     한글함수", "값 a|b\\nline2^끝"},
        {"     LoadInputFID", ""},
        {"     Note\\nmore", "     Note\\nmore"},
        {"     Cr", "a\rb\\x"},
        {"     Long", longDetail},
        {"Main", ""}};
    size_t pos = 0;
    for (size_t i = 0; i < expected.size(); i++) {
        const size_t end = data.find("\r\n", pos);
        ASSERT_NE(std::string::npos, end) << "line " << i;
        const std::string line = data.substr(pos, end - pos);
        pos = end + 2;
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        ASSERT_NE(std::string::npos, bar2) << line;
        EXPECT_EQ(expected[i].first, line.substr(0, bar1));
        const std::string delay = line.substr(bar1 + 1, bar2 - bar1 - 1);
        EXPECT_TRUE(!delay.empty() && delay.find_first_not_of("0123456789") == std::string::npos) << delay;
        if (i == 2)
            EXPECT_EQ(32u, line.size() - bar2 - 1) << "the masked detail is stored as its hexadecimal form";
        else
            EXPECT_EQ(expected[i].second, line.substr(bar2 + 1));
    }
    EXPECT_EQ(data.size(), pos) << "nothing after the last row";

    ASSERT_TRUE(dbg.Command(e2e::CMD_FILE_NEW));
    EXPECT_EQ("<unchanged>", Row(1)) << "New File empties the trace";

    ASSERT_TRUE(dbg.PostCommand(e2e::CMD_FILE_OPEN));
    HWND open = WaitForFileDialog(dbg.Pid());
    ASSERT_NE(nullptr, open);
    // The trace files the program writes are offered first, then the Valkorine debugging files.
    ASSERT_EQ(2, FileTypeCount(open));
    EXPECT_EQ("Valkorine Trace Files (*.vkp)", FileTypeAt(open, 0));
    EXPECT_EQ("Valkorine Debugging Files (*.vdf)", FileTypeAt(open, 1));
    ASSERT_TRUE(TypePathAndPressOk(open, path));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(open); }, e2e::PROMPT_TIMEOUT_MS));
    ASSERT_TRUE(dbg.Sync());

    // Clicked through: every row shows what it showed before the save.
    for (int n = 0; n < 7; n++)
        EXPECT_EQ(shown[n], ClickShownRow(n)) << "row " << n + 1;
    EXPECT_EQ("<unchanged>", Row(8)) << "seven rows, no more";
    EXPECT_EQ("값 a|b\r\nline2\r\n끝", shown[1]);
    // A loaded trace is a trace shown: a session start is refused until New File.
    EXPECT_EQ(FALSE, Send(e2e::KIND_SESSION_START, "43"));
    DeleteFileA(path.c_str());
}

TEST_F(TraceFileTest, CancelledDialogsAndALockedTargetKeepEverything) {
    ASSERT_EQ(TRUE, Send(KIND_TRACE, "Keep|me"));
    // Cancel in either dialog does nothing. The open dialog starts with no name, the save dialog
    // with "noname".
    for (int command : {e2e::CMD_FILE_OPEN, e2e::CMD_FILE_SAVE}) {
        ASSERT_TRUE(dbg.PostCommand(command));
        HWND dlg = WaitForFileDialog(dbg.Pid());
        ASSERT_NE(nullptr, dlg);
        std::string name = "<no name box>";
        HWND box =
            GetDlgItem(dlg, kFileNameEdit) ? GetDlgItem(dlg, kFileNameEdit) : GetDlgItem(dlg, kFileNameCombo);
        e2e::WaitUntil(
            [&] { return e2e::WindowText(box, &name) && (command == e2e::CMD_FILE_OPEN || !name.empty()); },
            e2e::PROMPT_TIMEOUT_MS);
        EXPECT_EQ(command == e2e::CMD_FILE_OPEN ? "" : "noname", name);
        ASSERT_TRUE(PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0));
        ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dlg); }, e2e::PROMPT_TIMEOUT_MS));
        ASSERT_TRUE(dbg.Sync());
        EXPECT_EQ("me", Row(1));
    }
    // A name typed without an extension is given ".vkp" (the system's dialog gives it the
    // extension of the file type selected, the first).
    const std::string plain = TempDirectory() + "vk_no_extension_e2e";
    DeleteFileA((plain + ".vkp").c_str());
    ThroughDialog(e2e::CMD_FILE_SAVE, plain);
    EXPECT_TRUE(e2e::FileExists(plain + ".vkp"));
    EXPECT_FALSE(e2e::FileExists(plain));
    DeleteFileA((plain + ".vkp").c_str());

    // A target another program holds open without sharing: the message; the file and the trace
    // stay as they were.
    ASSERT_TRUE(dbg.PostCommand(e2e::CMD_FILE_SAVE));
    HWND dlg = WaitForFileDialog(dbg.Pid());
    ASSERT_NE(nullptr, dlg);
    const std::string locked = TempDirectory() + "vk_locked_e2e.vkp";
    HANDLE h =
        CreateFileA(locked.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    DWORD written = 0;
    WriteFile(h, "old|1|x\r\n", 9, &written, nullptr);
    ASSERT_TRUE(TypePathAndPressOk(dlg, locked));
    // The overwrite question, then the message.
    HWND ask = nullptr;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            for (HWND w : e2e::FindTopLevelWindows(dbg.Pid(), "#32770", ""))
                if (w != dlg && GetDlgItem(w, 0xFFFF)) ask = w;
            return ask != nullptr;
        },
        e2e::PROMPT_TIMEOUT_MS));
    e2e::PressPromptButton(ask, IDYES);
    HWND box = dbg.WaitForPrompt();
    ASSERT_NE(nullptr, box) << "no message for a file that cannot be replaced";
    EXPECT_EQ("파일을 오픈할 수 없습니다.", e2e::ReadPrompt(box).text);
    EXPECT_EQ(std::vector<int>{IDOK}, e2e::ReadPrompt(box).buttonIds);
    e2e::PressPromptButton(box, IDOK);
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(box); }, e2e::PROMPT_TIMEOUT_MS));
    CloseHandle(h);
    EXPECT_EQ("old|1|x\r\n", e2e::ReadFileBytes(locked)) << "the file in the way is kept";
    EXPECT_EQ("me", Row(1));
    DeleteFileA(locked.c_str());
}
