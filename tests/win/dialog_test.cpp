// The main dialog in process: the real dialog from its template, driven from another thread with
// real WM_COPYDATA records, the session prompt answered by pressing its button.
#include "DebuggerDlg.h"
#include "ScriptCipher.h"
#include "dialog_driver.h"
#include "grid_paint_util.h"
#include "win_test_util.h"
#include "vktrace.h"

#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using vktest::DetailBox;
using vktest::SendRecord;

// Runs the dialog with a driver (see dialog_driver.h); the driver must have run.
void RunDialog(CDebuggerDlg& dlg, const std::function<void(HWND)>& driver)
{
    ASSERT_TRUE(vktest::RunDialog(dlg, driver).driven);
}

// Shows the detail of a row as a click on it would (the grid's click notification).
LRESULT ClickRow(HWND dlg, int row, int code = 1, int id = IDC_TRACE_GRID)
{
    return ::SendMessageA(dlg, WM_GRID_SELCHANGE, MAKEWPARAM(id, code), MAKELPARAM(row, 0));
}

// The message boxes the dialog shows (visible dialogs it owns).
int CountMessageBoxes(HWND dlg)
{
    struct Count {
        HWND owner;
        int n;
        static BOOL CALLBACK Each(HWND w, LPARAM p)
        {
            Count* c = (Count*)p;
            char cls[16] = {0};
            ::GetClassNameA(w, cls, sizeof cls);
            if (::GetWindow(w, GW_OWNER) == c->owner && std::string(cls) == "#32770" && ::IsWindowVisible(w))
                c->n++;
            return TRUE;
        }
    } count = {dlg, 0};
    ::EnumWindows(Count::Each, (LPARAM)&count);
    return count.n;
}

// Starts a session by answering its prompt with OK.
void StartSession(HWND dlg, const std::string& sid = "1")
{
    vktest::MessageBoxAnswerer ok(IDOK);
    ASSERT_EQ(TRUE, SendRecord(dlg, 9999, sid));
}

TEST(DebuggerDialog, SessionPromptTextButtonsAndResults)
{
    CDebuggerDlg dlg;
    vktest::FoundBox shown;
    LRESULT okResult = -1, cancelResult = -1, refused = -1, afterRow = -1;
    RunDialog(dlg, [&](HWND h) {
        {
            vktest::MessageBoxAnswerer cancel(IDCANCEL);
            cancelResult = SendRecord(h, 9999, "1234");
            shown = cancel.Wait();
        }
        {
            vktest::MessageBoxAnswerer ok(IDOK);
            okResult = SendRecord(h, 9999, "1234");
        }
        SendRecord(h, 0, "X|y");
        // With a row shown, a session start is refused without a prompt.
        refused = SendRecord(h, 9999, "5678");
        afterRow = (LRESULT)dlg.Details().GetSize();
    });
    ASSERT_NE(nullptr, shown.hWnd);
    EXPECT_EQ("SID [1234]스크립트를 디버깅하시겠습니까", shown.text);
    EXPECT_EQ("win_tests", shown.caption);  // no caption: the application's name
    EXPECT_TRUE(shown.hasOk);
    EXPECT_TRUE(shown.hasCancel);
    EXPECT_EQ(FALSE, cancelResult);
    EXPECT_EQ(TRUE, okResult);
    EXPECT_EQ(FALSE, refused);
    EXPECT_EQ(1, afterRow);
}

TEST(DebuggerDialog, EnterPlainLeaveIndentAndDetails)
{
    CDebuggerDlg dlg;
    std::string detail1, detail2, detail3;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        EXPECT_EQ(TRUE, SendRecord(h, 1, "A|x"));
        EXPECT_EQ(TRUE, SendRecord(h, 0, "B|y"));
        EXPECT_EQ(TRUE, SendRecord(h, 2, "A|z"));
        EXPECT_EQ(1, ClickRow(h, 1));
        detail1 = DetailBox(h);
        ClickRow(h, 2);
        detail2 = DetailBox(h);
        ClickRow(h, 3);
        detail3 = DetailBox(h);
    });
    CGridMainWnd& g = dlg.Grid();
    ASSERT_EQ(4, g.GetNumRows());
    EXPECT_STREQ("A", g.GetCellText(1, 0));
    EXPECT_STREQ("     B", g.GetCellText(2, 0));
    EXPECT_STREQ("A", g.GetCellText(3, 0));
    EXPECT_EQ(std::string(96, '-'), detail1);
    EXPECT_EQ(std::string(96, '-'), (LPCTSTR)g.GetCellText(1, 2));
    EXPECT_EQ("y", detail2);
    EXPECT_EQ("z", detail3);
    EXPECT_EQ(0, dlg.Depth());
    // Headings stay.
    EXPECT_STREQ("Function", g.GetCellText(0, 0));
    EXPECT_STREQ("Delay", g.GetCellText(0, 1));
    EXPECT_STREQ("Result", g.GetCellText(0, 2));
}

TEST(DebuggerDialog, PayloadsWithoutBarNulsAndLongDetails)
{
    CDebuggerDlg dlg;
    std::string longShown, multiShown;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        SendRecord(h, 1, "f1|a");
        SendRecord(h, 1, "f2|b");
        SendRecord(h, 0, "Foo");                         // row 3: no "|" at depth 2
        SendRecord(h, 0, std::string("ab\0cd", 5));      // row 4: ends at the NUL
        SendRecord(h, 0, "L|" + std::string(250, 'q'));  // row 5
        SendRecord(h, 0, "M|a\nb^c");                    // row 6
        SendRecord(h, 0, "E|" + std::string(99, 'e') + "z");  // row 7: 100 bytes, shown whole
        SendRecord(h, 0, "O|" + std::string(100, 'o') + "z"); // row 8: 101 bytes, cut
        ClickRow(h, 5);
        longShown = DetailBox(h);
        ClickRow(h, 6);
        multiShown = DetailBox(h);
    });
    CGridMainWnd& g = dlg.Grid();
    const CTraceDetails& d = dlg.Details();
    ASSERT_EQ(8, d.GetSize());
    EXPECT_STREQ("          Foo", g.GetCellText(3, 0));
    EXPECT_STREQ("          Foo", d[2]);
    EXPECT_STREQ("          ab", d[3]);
    EXPECT_STREQ("          ab", g.GetCellText(4, 0));
    EXPECT_EQ(100, g.GetCellText(5, 2).GetLength());
    EXPECT_EQ(250, d[4].GetLength());
    EXPECT_EQ(std::string(250, 'q'), longShown);
    EXPECT_EQ("a\r\nb\r\nc", multiShown);
    EXPECT_STREQ("a\nb^c", d[5]);
    EXPECT_EQ(std::string(99, 'e') + "z", std::string(g.GetCellText(7, 2)));
    EXPECT_EQ(std::string(100, 'o'), std::string(g.GetCellText(8, 2)));
}

TEST(DebuggerDialog, EmptyAndUnusualRecords)
{
    CDebuggerDlg dlg;
    LRESULT emptyResult = -1;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        emptyResult = SendRecord(h, 0, "");  // cbData 0 with a NULL pointer
        SendRecord(h, 77, "weird|kind");     // unknown kinds are plain records
        SendRecord(h, 0, "\xB0|\xFF\x81 bytes");  // not valid code page 949
        SendRecord(h, 2, "L1|");             // depth -1
        SendRecord(h, 2, "L2|");             // depth -2
        SendRecord(h, 0, "P|neg");
        SendRecord(h, 1, "E1|");  // -2 -> -1
        SendRecord(h, 1, "E2|");
        SendRecord(h, 1, "E3|");
        SendRecord(h, 0, "Q|");  // depth 1 again: indented once
    });
    EXPECT_EQ(TRUE, emptyResult);
    CGridMainWnd& g = dlg.Grid();
    const CTraceDetails& d = dlg.Details();
    ASSERT_EQ(10, d.GetSize());
    EXPECT_STREQ("", g.GetCellText(1, 0));
    EXPECT_STREQ("", d[0]);
    EXPECT_STREQ("kind", d[1]);
    EXPECT_STREQ("\xB0", g.GetCellText(3, 0));
    EXPECT_STREQ("\xFF\x81 bytes", d[2]);
    EXPECT_STREQ("L1", g.GetCellText(4, 0));
    EXPECT_STREQ("P", g.GetCellText(6, 0));
    EXPECT_STREQ("", d[4]);
    EXPECT_STREQ("     Q", g.GetCellText(10, 0));
    EXPECT_EQ(1, dlg.Depth());
}

TEST(DebuggerDialog, DelayIsMillisecondsSinceThePreviousRecord)
{
    CDebuggerDlg dlg;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        SendRecord(h, 0, "a|1");
        ::Sleep(120);
        SendRecord(h, 0, "b|2");
    });
    CGridMainWnd& g = dlg.Grid();
    int first = atoi(g.GetCellText(1, 1));
    int second = atoi(g.GetCellText(2, 1));
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 100);
    EXPECT_GE(second, 100);  // GetTickCount's resolution is coarse, but not that coarse
    EXPECT_LT(second, 5000);
    CString formatted;
    formatted.Format("%d", second);
    EXPECT_EQ(formatted, g.GetCellText(2, 1));
}

TEST(DebuggerDialog, ClickNotificationRules)
{
    CDebuggerDlg dlg;
    LRESULT otherId = -1, heading = -1, right = -1, dbl = -1, gone = -1;
    std::string afterRight, afterHeading, afterGone;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        SendRecord(h, 0, "r1|first");
        SendRecord(h, 0, "r2|second");
        ClickRow(h, 1);
        otherId = ClickRow(h, 2, 1, 4049);
        heading = ClickRow(h, 0);
        afterHeading = DetailBox(h);
        right = ClickRow(h, 2, 2);
        dbl = ClickRow(h, 2, 3);
        afterRight = DetailBox(h);
        gone = ClickRow(h, 9);  // no such row (any more)
        afterGone = DetailBox(h);
    });
    EXPECT_EQ(0, otherId);
    EXPECT_EQ(0, heading);
    EXPECT_EQ(1, right);
    EXPECT_EQ(1, dbl);
    EXPECT_EQ(1, gone);
    EXPECT_EQ("first", afterHeading);
    EXPECT_EQ("first", afterRight);
    EXPECT_EQ("first", afterGone);
}

TEST(DebuggerDialog, NewFileAndALoadEmptyTheTraceKeepTheDepthAndAllowANewSession) {
    // A trace worked in (a row clicked, a focus, rows selected, the view at its end) emptied by
    // New File or by loading an empty trace file over it: the rows, the detail box, the focus,
    // the selection and the scroll range and position, and the GDI and USER objects.
    char dir[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof dir, dir);
    const std::string emptyFile = std::string(dir) + "vk_empty_over.vkp";
    std::fclose(std::fopen(emptyFile.c_str(), "wb"));
    for (const bool load : {false, true}) {
        vktest::TaskDlg dlg;
        std::string after;
        LRESULT second = -1;
        auto objects = [] {
            return ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS) +
                   ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
        };
        auto empty = [&](HWND h) {
            if (load)
                dlg.Run(h, [&] { dlg.LoadTraceFile(emptyFile.c_str()); });
            else
                ::SendMessageA(h, WM_COMMAND, MAKEWPARAM(ID_FILE_NEW, 0), 0);
        };
        ASSERT_TRUE(vktest::RunDialog(dlg, [&](HWND h) {
                        StartSession(h);
                        SendRecord(h, 1, "f|");
                        for (int i = 0; i < 60; i++)
                            SendRecord(h, 0, "g|detail");
                        ClickRow(h, 2);
                        DWORD before = 0;
                        dlg.Run(h, [&] {
                            dlg.Grid().MoveFocusTo(3, 0);
                            dlg.Grid().SelectSpan(2, 0, 40, 2, FALSE);
                            dlg.Grid().SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
                            before = objects();
                        });
                        empty(h);
                        dlg.Run(h, [&] {
                            CGridMainWnd& g = dlg.Grid();
                            SCROLLINFO si = {};
                            si.cbSize = sizeof si;
                            si.fMask = SIF_RANGE | SIF_POS;
                            ::GetScrollInfo(g.m_hWnd, SB_VERT, &si);
                            after = "rows " + std::to_string(g.GetNumRows()) + ", box \"" + DetailBox(h) +
                                    "\", focus row " + std::to_string(g.GetFocusCell().row) + ", selected " +
                                    std::to_string(g.IsValidSpan(g.GetSelectionBounds())) + ", scroll " +
                                    std::to_string(si.nPos) + " of " + std::to_string(si.nMax) +
                                    ", objects kept " + std::to_string(objects() > before);
                        });
                        SendRecord(h, 0, "h|"); // still at depth 1
                        empty(h);
                        vktest::MessageBoxAnswerer ok(IDOK);
                        second = SendRecord(h, 9999, "2");
                    }).driven);
        EXPECT_EQ("rows 1, box \"\", focus row -1, selected 0, scroll 0 of 0, objects kept 0", after) << load;
        EXPECT_EQ(TRUE, second);
        EXPECT_EQ(0, dlg.Depth()); // reset by the accepted session start
    }
    ::DeleteFileA(emptyFile.c_str());
}

TEST(DebuggerDialog, RecordsArrivingWhileThePromptIsOpenAreNotTaken)
{
    CDebuggerDlg dlg;
    LRESULT plainDuringPrompt = -1, secondStart = -1, sessionResult = -1, afterPrompt = -1;
    int rowsSeenDuringPrompt = -1, boxes = -1;
    RunDialog(dlg, [&](HWND h) {
        std::thread engine([&] { sessionResult = SendRecord(h, 9999, "S"); });
        vktest::FoundBox box = vktest::FindMessageBox(::GetCurrentProcessId());
        ASSERT_NE(nullptr, box.hWnd);
        // The OK would empty the trace, so another sender's record is refused, not taken and
        // lost; a second session start opens no second prompt.
        plainDuringPrompt = SendRecord(h, 0, "early|record");
        rowsSeenDuringPrompt = dlg.Grid().GetNumRows();
        secondStart = SendRecord(h, 9999, "T");
        boxes = CountMessageBoxes(h);
        vktest::PressButton(box.hWnd, IDOK);
        engine.join();
        afterPrompt = SendRecord(h, 0, "late|record");
    });
    EXPECT_EQ(FALSE, plainDuringPrompt);
    EXPECT_EQ(1, rowsSeenDuringPrompt);
    EXPECT_EQ(FALSE, secondStart);
    EXPECT_EQ(1, boxes);
    EXPECT_EQ(TRUE, sessionResult);
    EXPECT_EQ(TRUE, afterPrompt);
    EXPECT_EQ(2, dlg.Grid().GetNumRows());
    ASSERT_EQ(1, dlg.Details().GetSize());
    EXPECT_STREQ("record", dlg.Details()[0]);
}

// The dialog with its n-th allocation while it handles a trace record failing, as if memory had
// run out there; nothing else it does is touched.
class RecordFailingDlg : public CDebuggerDlg {
public:
    static int countdown; // the allocation that reaches 0 fails; none once it is below
    static long keptDCs;  // contexts the records' handling acquired and did not release
    static BOOL Hook(size_t, BOOL, LONG) { return --countdown != 0; }

protected:
    BOOL OnCopyData(CWnd* pWnd, COPYDATASTRUCT* pCopyDataStruct)
    {
        // Every failure point is tried in turn: the trace is not left full between them, and the
        // notice of a full trace is not shown.
        m_traceFull = FALSE;
        const AfxGdiCounters before = AfxGetGdiCounters();
        AfxSetAllocHook(Hook);
        BOOL taken = CDebuggerDlg::OnCopyData(pWnd, pCopyDataStruct);
        AfxSetAllocHook(nullptr);
        const AfxGdiCounters after = AfxGetGdiCounters();
        keptDCs += (after.dcsAcquired - before.dcsAcquired) - (after.dcsReleased - before.dcsReleased);
        return taken;
    }
    LRESULT OnTraceFullNotice(WPARAM, LPARAM) { return 0; }
    DECLARE_MESSAGE_MAP()
};
int RecordFailingDlg::countdown = 0;
long RecordFailingDlg::keptDCs = 0;
BEGIN_MESSAGE_MAP(RecordFailingDlg, CDebuggerDlg)
ON_WM_COPYDATA()
ON_MESSAGE(WM_TRACE_FULL, OnTraceFullNotice)
END_MESSAGE_MAP()

TEST(DebuggerDialog, ARecordIsTakenWholeOrNotAtAllWhenMemoryRunsOut)
{
    RecordFailingDlg dlg;
    const CString masked = MaskTraceDetail("secret detail");
    int refused = 0;
    bool takenAtLast = false;
    std::vector<COLORREF> shown, repainted;
    RunDialog(dlg, [&](HWND h) {
        RecordFailingDlg::countdown = -1;
        // More rows than the view holds, so that each record scrolls the rows above it up.
        ASSERT_EQ(TRUE, SendRecord(h, 1, "Outer|x"));
        for (int i = 0; i < 40; i++)
            ASSERT_EQ(TRUE, SendRecord(h, 0, "Row|x"));
        while (dlg.IsTraceViewPending())
            ::Sleep(5);
        // Each allocation a masked leave record makes fails once, in turn, until one is taken
        // with no allocation refused. The records come a frame apart, so that each is scrolled
        // into view and painted before its answer, its paint among what fails, and no update of
        // the view paints (and reports a failure in a box) while allocations are made to fail.
        for (int n = 1; n < 2000 && !takenAtLast; n++) {
            const int rows = dlg.Grid().GetNumRows();
            const int depth = dlg.Depth();
            ::Sleep(20);
            RecordFailingDlg::countdown = n;
            const LRESULT answer = SendRecord(h, 2, "LoadInputFID|secret detail");
            const bool failed = RecordFailingDlg::countdown <= 0;
            SCOPED_TRACE(n);
            ASSERT_EQ(dlg.Grid().GetNumRows() - 1, (int)dlg.Details().GetSize()) << "a row without its detail";
            if (answer == TRUE) {
                ASSERT_EQ(rows + 1, dlg.Grid().GetNumRows());
                EXPECT_EQ(masked.str(), dlg.Details()[rows - 1].str());
                EXPECT_STREQ("LoadInputFID", dlg.Grid().GetCellText(rows, 0));
                EXPECT_EQ(depth - 1, dlg.Depth());
                takenAtLast = !failed;
            } else {
                ASSERT_TRUE(failed) << "refused with no allocation failing";
                ASSERT_EQ(rows, dlg.Grid().GetNumRows());
                EXPECT_EQ(depth, dlg.Depth()) << "the depth is left as it was";
                refused++;
            }
        }
        // What a refused record had moved or drawn is drawn again: the screen is the grid's.
        ::Sleep(100);
        HWND grid = dlg.Grid().m_hWnd;
        CRect client;
        ::GetClientRect(grid, &client);
        for (std::vector<COLORREF>* into : {&shown, &repainted}) {
            painttest::Canvas shot(client.Width(), client.Height(), 0);
            painttest::CaptureClient(grid, shot);
            *into = shot.Pixels();
            ::RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        }
    });
    EXPECT_TRUE(takenAtLast);
    EXPECT_GT(refused, 5);
    EXPECT_EQ(0, RecordFailingDlg::keptDCs) << "a context left behind by a failed paint";
    EXPECT_TRUE(shown == repainted) << "rows drawn where a refused record had moved them";
}

TEST(DebuggerDialog, RecordsUpToTheLimitAreTakenLargerOnesAndNoneRefusedWithoutClosingTheTrace)
{
    // One buffer of the limit and a byte: a size beyond it must not be read at all.
    std::string big = "Big|" + std::string(VKTRACE_MAX_RECORD_BYTES + 1 - 4, 'z');
    const struct {
        DWORD size;
        LRESULT answer;
    } cases[] = {{VKTRACE_MAX_RECORD_BYTES, TRUE}, {VKTRACE_MAX_RECORD_BYTES + 1, FALSE}, {5, TRUE},
                 {0x80000000u, FALSE},           {0xFFFFFFFFu, FALSE},                 {5, TRUE}};
    CDebuggerDlg dlg;
    std::vector<LRESULT> answers;
    LRESULT noRecord = -1;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        for (const auto& c : cases) {
            COPYDATASTRUCT cds = {0, c.size, &big[0]};
            answers.push_back(::SendMessageA(h, WM_COPYDATA, 0, (LPARAM)&cds));
        }
        noRecord = ::SendMessageA(h, WM_COPYDATA, 0, 0);
    });
    for (size_t i = 0; i < answers.size(); i++)
        EXPECT_EQ(cases[i].answer, answers[i]) << "size " << cases[i].size;
    EXPECT_EQ(FALSE, noRecord);
    ASSERT_EQ(3, dlg.Details().GetSize());
    EXPECT_EQ((int)VKTRACE_MAX_RECORD_BYTES - 4, dlg.Details()[0].GetLength());
    EXPECT_EQ(100, dlg.Grid().GetCellText(1, 2).GetLength());
    EXPECT_STREQ("z", dlg.Details()[2]);
}

TEST(DebuggerDialog, LayoutTakesTwoThirdsAndOneThird)
{
    CDebuggerDlg dlg;
    CRect grid30, edit30, grid, edit, client;
    RunDialog(dlg, [&](HWND h) {
        auto childRect = [h](int id) {
            CRect r;
            ::GetWindowRect(::GetDlgItem(h, id), &r);
            ::MapWindowPoints(nullptr, h, (LPPOINT)&r, 2);
            return r;
        };
        ::GetClientRect(h, &client);
        grid = childRect(IDC_TRACE_GRID);
        edit = childRect(IDC_EDIT_DETAIL);
        ::SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(500, 30));
        grid30 = childRect(IDC_TRACE_GRID);
        edit30 = childRect(IDC_EDIT_DETAIL);
    });
    EXPECT_EQ(CRect(4, 4, 4 + client.Width() - 8, 4 + (2 * client.Height()) / 3 - 8), grid);
    EXPECT_EQ(CRect(4, (2 * client.Height()) / 3, 4 + client.Width() - 8, (2 * client.Height()) / 3 + client.Height() / 3 - 8), edit);
    EXPECT_EQ(CRect(4, 4, 496, 16), grid30);   // height 12 at y 4
    EXPECT_EQ(CRect(4, 20, 496, 22), edit30);  // height 2 at y 20
}

TEST(DebuggerDialog, GridIsSetUpAsTheTraceList)
{
    CDebuggerDlg dlg;
    RunDialog(dlg, [&](HWND) {});
    CGridMainWnd& g = dlg.Grid();
    EXPECT_EQ(1, g.GetNumFixedRows());
    EXPECT_EQ(0, g.GetNumFixedColumns());
    EXPECT_EQ(3, g.GetNumColumns());
    EXPECT_EQ(20, g.GetRowHeight(0));
    EXPECT_EQ(0x35u, g.GetCellFormat(0, 1));
    EXPECT_EQ((UINT)CELL_READONLY, g.GetCellState(0, 2));
    EXPECT_TRUE(g.listMode);
    EXPECT_FALSE(g.sortOnHeaderClick);
    EXPECT_FALSE(g.titleTipsEnabled);
    EXPECT_EQ(RGB(169, 206, 208), g.fixedBkColor);
    EXPECT_EQ(RGB(198, 215, 215), g.gridLineColor);
    EXPECT_EQ(RGB(255, 255, 255), g.gridBkColor);
}

TEST(DebuggerDialog, TwoFunctionsDetailsAreStoredAndListedMasked)
{
    CDebuggerDlg dlg;
    std::string shown;
    RunDialog(dlg, [&](HWND h) {
        StartSession(h);
        SendRecord(h, 0, "LoadInputFID|abc");
        SendRecord(h, 0, "loadinputfid|abc");
        SendRecord(h, 1, "outer|");
        SendRecord(h, 0, "S_UpperLower|" + std::string(17, 'k'));  // indented, still masked
        SendRecord(h, 0, "S_UpperLowerX|plain");
        ClickRow(h, 1);
        shown = DetailBox(h);
    });
    const CTraceDetails& d = dlg.Details();
    ASSERT_EQ(5, d.GetSize());
    CString masked = d[0];
    ASSERT_EQ(32, masked.GetLength());
    for (int i = 0; i < masked.GetLength(); i++)
        EXPECT_TRUE(isdigit((unsigned char)masked[i]) || (masked[i] >= 'A' && masked[i] <= 'F')) << masked;
    EXPECT_EQ(std::string((LPCTSTR)masked), shown);
    EXPECT_EQ(masked, dlg.Grid().GetCellText(1, 2));
    CScriptCipher cipher;
    cipher.SetKey(SCRIPT_PASS_PHRASE);
    CString clear;
    cipher.DecryptFromHex(masked, &clear);
    EXPECT_STREQ("abc", clear);
    EXPECT_STREQ("abc", d[1]);
    EXPECT_EQ(64, d[3].GetLength());  // 17 bytes: two blocks
    EXPECT_STREQ("     S_UpperLower", dlg.Grid().GetCellText(4, 0));
    cipher.DecryptFromHex(d[3], &clear);
    EXPECT_EQ(CString('k', 17), clear);
    EXPECT_STREQ("plain", d[4]);
}

}  // namespace
