// How a stream of records reaches the screen: records sent back to back are shown together a
// frame later, and the grid and its pixels end as if each had been shown on its own; input that
// arrives meanwhile acts on the rows where the user sees them.
#include "DebuggerDlg.h"
#include "dialog_driver.h"
#include "grid_paint_util.h"
#include "win_test_util.h"

#include <fstream>
#include <functional>
#include <string>

using namespace painttest;
using vktest::SendRecord;

namespace {

std::string Record(int i) {
    return "Func" + std::to_string(i) + "|detail " + std::to_string(i);
}

// The first body row shown: rows passed while their heights sum below the scroll position.
int FirstShownRow(HWND grid) {
    SCROLLINFO si = {};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    ::GetScrollInfo(grid, SB_VERT, &si);
    return 1 + (si.nPos + 19) / 20;
}

struct StreamEnd {
    int pos = -1, rows = 0;
    std::vector<std::string> texts;  // columns 0 and 2 of every row
    std::vector<COLORREF> pixels;    // the grid's client area, the delay column painted over
    std::vector<COLORREF> repainted; // the same after a forced repaint of the whole grid
    bool pendingAfterAFewFrames = true;
};

// Streams `count` records, `gapMs` apart, and reads the grid a few frames after the last one.
StreamEnd Stream(int count, int gapMs) {
    CDebuggerDlg dlg;
    StreamEnd end;
    vktest::RunDialog(dlg, [&](HWND h) {
        {
            vktest::MessageBoxAnswerer ok(IDOK);
            SendRecord(h, 9999, "1");
        }
        for (int i = 1; i <= count; i++) {
            if (gapMs > 0) ::Sleep(gapMs);
            SendRecord(h, 0, Record(i));
        }
        ::Sleep(60);
        end.pendingAfterAFewFrames = dlg.IsTraceViewPending() != FALSE;
        HWND grid = ::GetDlgItem(h, IDC_TRACE_GRID);
        CRect client, delay;
        ::GetClientRect(grid, &client);
        dlg.Grid().GetCellBounds(0, 1, &delay);
        auto capture = [&](std::vector<COLORREF>* into) {
            Canvas shot(client.Width(), client.Height(), 0);
            CaptureClient(grid, shot);
            *into = shot.Pixels();
            for (int y = 0; y < shot.h; y++)
                for (int x = delay.left; x <= delay.right; x++)
                    (*into)[(size_t)(y * shot.w + x)] = 0;
        };
        capture(&end.pixels);
        ::RedrawWindow(grid, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
        capture(&end.repainted);
        end.pos = FirstShownRow(grid);
        end.rows = dlg.Grid().GetNumRows();
        for (int row = 1; row < end.rows; row++)
            end.texts.push_back(std::string(dlg.Grid().GetCellText(row, 0)) + "/" +
                                std::string(dlg.Grid().GetCellText(row, 2)));
    });
    return end;
}

TEST(TraceView, AFastStreamEndsAsASlowOneAndAsAFullRepaintOfTheSameGrid) {
    const int records = 45; // more than the view holds: it has scrolled
    StreamEnd fast = Stream(records, 0);
    StreamEnd slow = Stream(records, 20);
    EXPECT_FALSE(fast.pendingAfterAFewFrames) << "the timer did not show the last records";
    ASSERT_EQ(records + 1, fast.rows);
    EXPECT_EQ(slow.rows, fast.rows);
    EXPECT_EQ(slow.texts, fast.texts);
    EXPECT_GT(fast.pos, 1);
    EXPECT_EQ(slow.pos, fast.pos);
    EXPECT_TRUE(fast.pixels == fast.repainted) << "stale or missing pixels after the stream";
    EXPECT_TRUE(fast.pixels == slow.pixels) << "the fast stream's picture differs from the slow one's";
}

TEST(TraceView, InputDuringAFloodActsOnTheRowsOnScreen) {
    CDebuggerDlg dlg;
    const int records = 60;
    std::string detailAfterClick;
    int firstAfterClick = -1, firstAfterWheel = -1, shownRows = 0, newestRow = 0;
    vktest::RunDialog(dlg, [&](HWND h) {
        {
            vktest::MessageBoxAnswerer ok(IDOK);
            SendRecord(h, 9999, "1");
        }
        HWND grid = ::GetDlgItem(h, IDC_TRACE_GRID);
        for (int i = 1; i <= records; i++)
            SendRecord(h, 0, Record(i));
        // A click on the third body row while the last records wait to be shown.
        ::PostMessageA(grid, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 20 + 2 * 20 + 10));
        ::PostMessageA(grid, WM_LBUTTONUP, 0, MAKELPARAM(40, 20 + 2 * 20 + 10));
        ::Sleep(100);
        detailAfterClick = vktest::DetailBox(h);
        firstAfterClick = FirstShownRow(grid);
        // More records, then the wheel turned up while they wait: the view stays where it went.
        for (int i = records + 1; i <= records + 20; i++)
            SendRecord(h, 0, Record(i));
        ::PostMessageA(grid, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(40, 40));
        ::Sleep(100);
        firstAfterWheel = FirstShownRow(grid);
        CRect client;
        ::GetClientRect(grid, &client);
        shownRows = (client.Height() - 20) / 20;
        newestRow = dlg.Grid().GetNumRows() - 1;
    });
    // The click came after the view had caught up: it picked the row drawn where it landed.
    ASSERT_GT(firstAfterClick, 1);
    EXPECT_EQ("detail " + std::to_string(firstAfterClick + 2), detailAfterClick);
    // The wheel moved up from the newest row, and no pending update scrolled back down.
    EXPECT_EQ(records + 20, newestRow);
    EXPECT_LT(firstAfterWheel + shownRows - 1, newestRow) << "the view went back to the newest row";
    EXPECT_GT(firstAfterWheel + shownRows + 5, newestRow) << "the wheel did not start from the newest row";
}

// Records sent on the dialog's own thread are handled at once, so two of them are back to back
// however slow the machine; the view's timer can be refused.
class ThreadDlg : public vktest::TaskDlg {
public:
    BOOL timerRefused = FALSE;

protected:
    BOOL StartTraceViewTimer() override { return !timerRefused && CDebuggerDlg::StartTraceViewTimer(); }
};

TEST(TraceView, ALoadEndsThePendingUpdateAndRecordsAreShownAtOnceWithoutATimer) {
    char temp[MAX_PATH + 1] = {};
    ::GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + "vk_pending_load.vkp";
    std::ofstream file(path);
    for (int i = 0; i < 60; i++)
        file << "Loaded|1|x\n";
    file.close();
    ThreadDlg dlg;
    BOOL pendingAtLoad = FALSE, pendingWithoutTimer = TRUE, newestShown = FALSE;
    int firstAfterLoad = -1;
    vktest::RunDialog(dlg, [&](HWND h) {
        HWND grid = ::GetDlgItem(h, IDC_TRACE_GRID);
        dlg.Run(h, [&] {
            SendRecord(h, 0, Record(1));
            SendRecord(h, 0, Record(2));
            pendingAtLoad = dlg.IsTraceViewPending();
            dlg.LoadTraceFile(path.c_str());
        });
        ::Sleep(100);
        firstAfterLoad = FirstShownRow(grid);
        // Without a timer a record is shown at once, never left waiting for a next one.
        dlg.timerRefused = TRUE;
        dlg.Run(h, [&] {
            for (int i = 3; i <= 40; i++)
                SendRecord(h, 0, Record(i));
            pendingWithoutTimer = dlg.IsTraceViewPending();
            newestShown = dlg.Grid().GetFullyShownCellSpan().maxRow == dlg.Grid().GetNumRows() - 1;
        });
    });
    ::DeleteFileA(path.c_str());
    EXPECT_TRUE(pendingAtLoad);
    EXPECT_EQ(1, firstAfterLoad) << "the update of the records before the load scrolled the loaded trace";
    EXPECT_EQ(60 + 38 + 1, dlg.Grid().GetNumRows());
    EXPECT_FALSE(pendingWithoutTimer);
    EXPECT_EQ(TRUE, newestShown);
}

} // namespace
