// The trace as the user sees it: the real dialog, fed real WM_COPYDATA records from another
// thread, its grid's pixels read back from the screen after each record.
#include "DebuggerDlg.h"
#include "dialog_driver.h"
#include "grid_paint_util.h"
#include "win_test_util.h"

#include <string>

using namespace painttest;

namespace {

using vktest::SendRecord;

bool Dark(COLORREF c) {
    return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100;
}

// Dark (text) pixels in the band of one row, in the first column.
int InkInRow(const Canvas& shot, int top, int right) {
    int n = 0;
    for (int y = top + 2; y < top + 18 && y < shot.h; y++)
        for (int x = 3; x < right && x < shot.w; x++)
            if (Dark(shot.At(x, y))) n++;
    return n;
}

TEST(GridPaintDialog, HeadingRowInTheDialogsColoursAndSlowRowsAppearAsTheyArrive) {
    CDebuggerDlg dlg;
    const int records = 40;
    std::vector<int> inkAtArrival; // ink in the newest row's band right after its record
    std::vector<int> newestTop;    // where the newest row lies then
    CRect client;
    COLORREF headingFill = 0, headingBottom = 0, headingLeft = 0, heading1Left = 0, belowRows = 0;
    bool sessionStarted = false;
    int clientBottom = 0;
    bool alive = vktest::RunDialog(dlg, [&](HWND h) {
        HWND gridWnd = ::GetDlgItem(h, IDC_TRACE_GRID);
        {
            vktest::MessageBoxAnswerer ok(IDOK);
            sessionStarted = SendRecord(h, 9999, "1") == TRUE;
        }
        ::GetClientRect(gridWnd, &client);
        clientBottom = client.bottom;
        {
            ::RedrawWindow(gridWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            Canvas shot(client.Width(), client.Height(), 0);
            CaptureClient(gridWnd, shot);
            CRect second, third;
            dlg.Grid().GetCellBounds(0, 1, &second);
            dlg.Grid().GetCellBounds(0, 2, &third);
            headingFill = shot.At(third.left + 10, 10);
            headingBottom = shot.At(third.left + 10, 18);
            headingLeft = shot.At(0, 10);
            heading1Left = shot.At(second.left - 1, 10);
            belowRows = shot.At(client.Width() / 2, 60);
        }
        for (int i = 1; i <= records; i++) {
            // Records a frame apart: each one is shown before its answer returns.
            ::Sleep(20);
            // Names of different lengths; "Wide" is drawn with plenty of ink.
            if (SendRecord(h, 0, "WideName" + std::to_string(i) + "|detail " + std::to_string(i)) != TRUE)
                break;
            int pos = 0;
            SCROLLINFO si = {};
            si.cbSize = sizeof si;
            si.fMask = SIF_POS;
            if (::GetScrollInfo(gridWnd, SB_VERT, &si)) pos = si.nPos;
            // The first scrolled row: rows passed while their heights sum below the position.
            int first = 1 + (pos + 19) / 20;
            int top = 20 + (i - first) * 20;
            Canvas shot(client.Width(), client.Height(), 0);
            CaptureClient(gridWnd, shot);
            newestTop.push_back(top);
            inkAtArrival.push_back(top >= 20 && top < client.bottom ? InkInRow(shot, top, 100) : -1);
        }
    }).alive;
    ASSERT_TRUE(sessionStarted);
    EXPECT_TRUE(alive) << "the dialog ended while records were arriving";
    ASSERT_EQ((size_t)records, inkAtArrival.size());

    // The heading row: the dialog's fixed colour and the edge colour that goes with it, on the
    // bottom and on the left of the second column (one pixel left of the column); the frame
    // lies over the first column's left edge and the row's top edge.
    EXPECT_EQ(RGB(169, 206, 208), headingFill);
    EXPECT_EQ(0x9B985Fu, headingBottom);
    EXPECT_EQ(RGB(27, 20, 100), headingLeft);
    EXPECT_EQ(0x9B985Fu, heading1Left);
    // Below the (still empty) rows: the dialog's white background.
    EXPECT_EQ(RGB(255, 255, 255), belowRows);

    for (int i = 0; i < records; i++) {
        SCOPED_TRACE(i + 1);
        // Every row is on screen, whole, and drawn as soon as its record has been handled.
        EXPECT_GE(newestTop[i], 20);
        EXPECT_LE(newestTop[i] + 20, clientBottom) << "the newest row is cut by the bottom edge";
        EXPECT_GT(inkAtArrival[i], 30) << "row top " << newestTop[i] << ", client bottom " << clientBottom;
    }
    // The view followed the trace down: the newest row is the lowest one that fits.
    EXPECT_GT(newestTop.back() + 40, clientBottom);
}

} // namespace
