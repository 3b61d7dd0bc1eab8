// Trace files in the real dialog, in process: random traces streamed in as the engine sends them,
// saved and loaded back through the dialog's own LoadTraceFile and SaveTraceFile (run on the
// dialog's thread, as its commands and the file drop run them), refused loads that keep the
// trace, failed saves that keep the file, and what a load leaves behind.
#include "DebuggerDlg.h"
#include "dialog_driver.h"
#include "win_test_util.h"

#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using vktest::DetailBox;
using vktest::SendRecord;

const char kCannotOpen[] = "파일을 오픈할 수 없습니다.";

// Memory that runs out at the dialog thread's n-th allocation after Arm (the other threads'
// allocations are left alone).
struct FailingMemory {
    static DWORD thread;
    static int countdown;
    static BOOL Hook(size_t, BOOL, LONG) { return ::GetCurrentThreadId() != thread || --countdown != 0; }
    static void Arm(int n) {
        thread = ::GetCurrentThreadId();
        countdown = n;
        AfxSetAllocHook(Hook);
    }
    static bool Disarm() { // whether the allocation did fail
        AfxSetAllocHook(nullptr);
        return countdown <= 0;
    }
};
DWORD FailingMemory::thread = 0;
int FailingMemory::countdown = 0;

using TestDlg = vktest::TaskDlg;

// Everything a trace row shows: its three cells and its full detail.
struct Shown {
    std::vector<std::string> rows;
    int depth = 0;
};

Shown Capture(TestDlg& dlg) {
    Shown s;
    CGridMainWnd& g = dlg.Grid();
    for (int r = 1; r < g.GetNumRows(); r++) {
        std::string row = std::string(g.GetCellText(r, 0)) + "#" + std::string(g.GetCellText(r, 1)) + "#" +
                          std::string(g.GetCellText(r, 2)) + "#";
        row += r - 1 < dlg.Details().GetSize() ? std::string(dlg.Details()[r - 1]) : "<no detail>";
        s.rows.push_back(row);
    }
    s.depth = dlg.Depth();
    return s;
}

std::string TempDir() {
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    return dir;
}

std::string ReadBytes(const std::string& path) {
    std::string s;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return "<missing>";
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    std::fclose(f);
    return s;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// The files of a directory whose names start with prefix (a temporary file left behind shows).
std::vector<std::string> FilesStartingWith(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA fd;
    HANDLE find = ::FindFirstFileA((dir + prefix + "*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return names;
    do
        names.push_back(fd.cFileName);
    while (::FindNextFileA(find, &fd));
    ::FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

// A random record payload: Korean text in code page 949, "|", "^", CR, line feeds, backslashes,
// now and then a very long detail.
std::string RandomDetail(std::mt19937& rng, bool veryLong) {
    static const char* const pieces[] = {"한글", "값", "|", "^",  "\r",       "\n",
                                         "\\",   "x",  " ", "끝", "\xB0\xA1n"};
    std::string d;
    if (veryLong) d.assign(1500000 + rng() % 1000000, 'L');
    for (unsigned k = 0, n = rng() % 12; k < n; k++) {
        const char* p = pieces[rng() % (sizeof pieces / sizeof pieces[0])];
        if (!d.empty() && d.back() == '\\' && p[0] == 'n') continue; // "\" "n" reads as a line feed
        d += p;
    }
    return d;
}

} // namespace

TEST(TraceFileDialog, LoadsRecordsAndCopiesThatRunOutOfMemoryKeepTheTraceAndSaySoOnce) {
    const std::string path = TempDir() + "vk_oom_load.vkp";
    std::string file;
    for (int i = 0; i < 300; i++)
        file += "F" + std::to_string(i) + "|1|detail " + std::to_string(i) + "\r\n";
    WriteBytes(path, file);
    TestDlg dlg;
    Shown before, afterLoad, afterRecords;
    vktest::FoundBox loadBox, recordBox, secondBox, copyBox, secondCopyBox;
    bool loadFailed = false, copyFailed = false, clipboardKept = false;
    LRESULT failed = -1, refused = -1, afterNew = -1;
    vktest::RunDialog(dlg, [&](HWND h) {
        SendRecord(h, 1, "Main|x");
        SendRecord(h, 0, "Step|a|b");
        before = Capture(dlg);
        vktest::MessageBoxAnswerer loadOk(IDOK);
        dlg.Run(h, [&] {
            FailingMemory::Arm(600); // some rows into the file
            dlg.LoadTraceFile(path.c_str());
            loadFailed = FailingMemory::Disarm();
        });
        loadBox = loadOk.Wait();
        afterLoad = Capture(dlg);
        vktest::MessageBoxAnswerer recordOk(IDOK);
        dlg.Run(h, [&] { // sent on the dialog's thread, the record is taken at once
            FailingMemory::Arm(1);
            failed = SendRecord(h, 0, "Next|c");
            FailingMemory::Disarm();
        });
        refused = SendRecord(h, 0, "Later|d");
        recordBox = recordOk.Wait();
        for (int i = 0; i < 200 && ::IsWindow(recordBox.hWnd); i++)
            ::Sleep(10);
        secondBox = vktest::FindMessageBox(::GetCurrentProcessId(), 500);
        afterRecords = Capture(dlg);
        vktest::MessageBoxAnswerer copyOk(IDOK);
        dlg.Run(h, [&] { // the edit command, as Ctrl+C gives it, with no memory for the text
            dlg.Grid().SelectSpan(1, 0, dlg.Grid().GetNumRows() - 1, 2, FALSE);
            const DWORD clipboard = ::GetClipboardSequenceNumber();
            FailingMemory::Arm(1);
            dlg.Grid().SendMessage(WM_COMMAND, ID_EDIT_COPY, 0);
            copyFailed = FailingMemory::Disarm();
            clipboardKept = ::GetClipboardSequenceNumber() == clipboard;
        });
        copyBox = copyOk.Wait();
        secondCopyBox = vktest::FindMessageBox(::GetCurrentProcessId(), 500);
        ::SendMessageA(h, WM_COMMAND, ID_FILE_NEW, 0);
        afterNew = SendRecord(h, 0, "Fresh|e");
    });
    ::DeleteFileA(path.c_str());
    ASSERT_TRUE(loadFailed);
    EXPECT_EQ("Out of memory.", loadBox.text);
    EXPECT_EQ(before.rows, afterLoad.rows) << "the failed load keeps the trace";
    EXPECT_EQ(FALSE, failed);
    EXPECT_EQ(FALSE, refused) << "records are refused until memory is freed";
    EXPECT_NE(std::string::npos, recordBox.text.find("메모리")) << recordBox.text;
    EXPECT_EQ(nullptr, secondBox.hWnd) << "the user is told once";
    EXPECT_EQ(before.rows, afterRecords.rows);
    EXPECT_TRUE(copyFailed && clipboardKept);
    EXPECT_NE(std::string::npos, copyBox.text.find("클립보드")) << copyBox.text;
    EXPECT_EQ(nullptr, secondCopyBox.hWnd) << "a failed copy is told once";
    EXPECT_EQ(TRUE, afterNew) << "New File frees memory: records are taken again";
}

TEST(TraceFileDialog, RandomTracesSavedAndLoadedComeBackAsTheyWere) {
    // VK_TEST_SEED replays the traces of a failure this test printed.
    const char* given = std::getenv("VK_TEST_SEED");
    const unsigned seed =
        given != nullptr ? (unsigned)std::strtoul(given, nullptr, 10) : std::random_device{}();
    std::mt19937 rng(seed);
    const std::string path = TempDir() + "vk 추적 round trip.vkp";
    TestDlg dlg;
    std::vector<Shown> before, after;
    std::vector<std::string> clicked, expectedClick;
    std::vector<int> loadedDepth;
    std::string boxAfterLoad;
    int vertMax = -1, vertPage = -1;
    std::string positions; // the vertical position after each load, each over a trace at its end
    vktest::RunDialog(dlg, [&](HWND h) {
        for (int trace = 0; trace < 4; trace++) {
            ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(ID_FILE_NEW, 0), 0);
            // The first trace is longer than the grid's page, the last one empty.
            const int records = trace == 3 ? 0 : (trace == 0 ? 40 : 1) + rng() % 80;
            for (int i = 0; i < records; i++) {
                const unsigned kind = rng() % 6;
                const std::string detail = RandomDetail(rng, trace == 1 && i == 3);
                if (kind == 0)
                    SendRecord(h, 1, "Enter|" + detail);
                else if (kind == 1)
                    SendRecord(h, 2, "Leave|" + detail);
                else if (kind == 2)
                    SendRecord(h, 0, (rng() % 2 ? "LoadInputFID|" : "S_UpperLower|") + detail);
                else if (kind == 3)
                    SendRecord(h, 0,
                               "함수" + std::to_string(i) +
                                   (rng() % 2 ? "\n줄" : "")); // the name is the detail
                else
                    SendRecord(h, 0, "F" + std::to_string(i) + "|" + (kind == 4 ? std::string() : detail));
            }
            dlg.Run(h, [&] { dlg.SaveTraceFile(path.c_str()); });
            before.push_back(Capture(dlg));
            // A record after the save moves the depth; the load keeps it.
            SendRecord(h, 1, "After|save");
            const int depth = dlg.Depth();
            ::SetDlgItemTextA(h, IDC_EDIT_DETAIL, "left over");
            dlg.Run(h, [&] { dlg.LoadTraceFile(path.c_str()); });
            positions += std::to_string(dlg.Grid().GetScrollPosition(SB_VERT)) + ";";
            after.push_back(Capture(dlg));
            loadedDepth.push_back(dlg.Depth() - depth);
            boxAfterLoad += DetailBox(h) + ";";
            if (trace == 0 && !before[0].rows.empty()) {
                SCROLLINFO si = {};
                si.cbSize = sizeof si;
                si.fMask = SIF_RANGE | SIF_PAGE;
                ::GetScrollInfo(dlg.Grid().m_hWnd, SB_VERT, &si);
                vertMax = si.nMax;
                // The page the grid gives its bar: the window's height below the heading row
                // (a range that fits in it is 0 .. 0, which clamps the bar's own page to 1).
                RECT rc;
                ::GetWindowRect(dlg.Grid().m_hWnd, &rc);
                POINT bottom = {rc.right, rc.bottom};
                ::ScreenToClient(dlg.Grid().m_hWnd, &bottom);
                vertPage = bottom.y - 20;
                // A click on a loaded row shows its detail with its line breaks.
                const int row = 1 + (int)(rng() % before[0].rows.size());
                ::SendMessageA(h, WM_GRID_SELCHANGE, MAKEWPARAM(IDC_TRACE_GRID, 1), MAKELPARAM(row, 0));
                clicked.push_back(DetailBox(h));
                CString d = dlg.Details()[row - 1];
                d.Replace("\n", "\r\n");
                d.Replace("^", "\r\n");
                expectedClick.push_back(std::string(d));
            }
        }
        // The empty file over a trace scrolled to its end: no range left.
        for (int i = 0; i < 60; i++)
            SendRecord(h, 0, "Row|x");
        dlg.Run(h, [&] { dlg.LoadTraceFile(path.c_str()); });
        int low = -1, high = -1;
        ::GetScrollRange(dlg.Grid().m_hWnd, SB_VERT, &low, &high);
        positions += std::to_string(dlg.Grid().GetScrollPosition(SB_VERT)) + "/" + std::to_string(high);
    });
    EXPECT_EQ("0;0;0;0;0/0", positions) << "a loaded trace is shown from its first row";
    ASSERT_EQ(4u, after.size());
    for (size_t t = 0; t < after.size(); t++) {
        EXPECT_EQ(before[t].rows, after[t].rows) << "VK_TEST_SEED=" << seed << ", trace " << t;
        EXPECT_EQ(0, loadedDepth[t]) << "the load keeps the call depth";
    }
    EXPECT_TRUE(after[3].rows.empty()) << "an empty file loads as an empty trace";
    EXPECT_EQ(";;;;", boxAfterLoad) << "every load empties the detail box";
    EXPECT_EQ(expectedClick, clicked);
    // The scroll range takes every loaded row (20 pixels each) below the heading.
    const int height = (int)before[0].rows.size() * 20;
    EXPECT_EQ(vertPage < height ? height - 1 : 0, vertMax) << "page " << vertPage;
    EXPECT_EQ("", ReadBytes(path)) << "the last trace was empty: an empty file";
    EXPECT_EQ(std::vector<std::string>{"vk 추적 round trip.vkp"},
              FilesStartingWith(TempDir(), "vk 추적 round trip"));
    ::DeleteFileA(path.c_str());
}

// A file another program holds (the reader's other refusals are the portable suite's) and a
// read-only target: the message, and the trace and the file as they were.
TEST(TraceFileDialog, RefusedLoadsAndSavesKeepTheTraceAndTheFile) {
    const std::string dir = TempDir();
    const std::string locked = dir + "vk_locked_load.vkp", target = dir + "vk_readonly_save.vkp";
    WriteBytes(locked, "Other|1|trace\r\n");
    WriteBytes(target, "old|1|kept\r\n");
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY));
    TestDlg dlg;
    std::vector<vktest::FoundBox> boxes;
    Shown first, last;
    std::string box;
    LRESULT duringLoadBox = -1;
    vktest::RunDialog(dlg, [&](HWND h) {
        SendRecord(h, 1, "Main|x");
        SendRecord(h, 0, "Step|a|b");
        first = Capture(dlg);
        ::SetDlgItemTextA(h, IDC_EDIT_DETAIL, "shown");
        HANDLE hold = ::CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        for (int i = 0; i < 2; i++) {
            std::thread run([&] {
                dlg.Run(h, [&] {
                    i == 0 ? dlg.LoadTraceFile(locked.c_str()) : dlg.SaveTraceFile(target.c_str());
                });
            });
            boxes.push_back(vktest::FindMessageBox(::GetCurrentProcessId()));
            // Another engine's record while the load's box is open is refused, not taken and then
            // removed with what the failed load rolls back.
            if (i == 0) duringLoadBox = SendRecord(h, 0, "During|box");
            if (boxes.back().hWnd != nullptr) vktest::PressButton(boxes.back().hWnd, IDOK);
            run.join();
        }
        ::CloseHandle(hold);
        last = Capture(dlg);
        box = DetailBox(h);
    });
    ASSERT_EQ(2u, boxes.size());
    for (const vktest::FoundBox& b : boxes) {
        EXPECT_EQ(kCannotOpen, b.text);
        EXPECT_EQ("win_tests", b.caption) << "no caption: the application's name";
        EXPECT_FALSE(b.hasCancel);
    }
    EXPECT_EQ(FALSE, duringLoadBox);
    EXPECT_EQ(first.rows, last.rows);
    EXPECT_EQ(first.depth, last.depth);
    EXPECT_EQ("shown", box);
    EXPECT_EQ("old|1|kept\r\n", ReadBytes(target));
    EXPECT_EQ(std::vector<std::string>{"vk_readonly_save.vkp"}, FilesStartingWith(dir, "vk_readonly_save"));
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(target.c_str());
    ::DeleteFileA(locked.c_str());
}
