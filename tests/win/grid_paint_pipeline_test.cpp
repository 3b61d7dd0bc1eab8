// The paint pipeline on real device contexts: the off-screen buffer, WM_PAINT and
// WM_ERASEBKGND, the background fill, the order and clipping of the cell passes, the grid lines
// of each style and the frame. Pixels are read back from memory canvases and from the window.
#include "BufferDC.h"
#include "grid_paint_util.h"

using namespace painttest;

namespace {

class GridPaintPipeline : public PaintTest {};

// ---- CBufferDC ------------------------------------------------------------------------------

TEST(GridPaintBufferDC, CoversTheClipBoxOnlyAndCopiesItBackOnce) {
    Canvas target(200, 150);
    target.Clip(CRect(30, 40, 130, 90));
    AfxGdiCounters before = AfxGetGdiCounters();
    {
        CBufferDC buffer(&target.dc);
        ASSERT_NE(nullptr, buffer.m_hDC);
        EXPECT_NE(target.hdc, buffer.m_hDC);
        EXPECT_EQ((DWORD)OBJ_MEMDC, ::GetObjectType(buffer.m_hDC));
        EXPECT_FALSE(buffer.IsPrinting());

        // A bitmap of the clip box, in the target's colour format.
        BITMAP bm;
        ASSERT_NE(0, ::GetObjectA(::GetCurrentObject(buffer.m_hDC, OBJ_BITMAP), sizeof bm, &bm));
        EXPECT_EQ(100, bm.bmWidth);
        EXPECT_EQ(50, bm.bmHeight);
        EXPECT_EQ(32, bm.bmBitsPixel);
        // The same logical coordinates as on the target.
        POINT origin;
        ::GetWindowOrgEx(buffer.m_hDC, &origin);
        EXPECT_EQ(30, origin.x);
        EXPECT_EQ(40, origin.y);
        CRect box;
        ::GetClipBox(buffer.m_hDC, &box);
        EXPECT_EQ(CRect(30, 40, 130, 90), box);

        buffer.FillSolidRect(0, 0, 200, 150, RGB(0, 0, 255));
        buffer.FillSolidRect(60, 60, 10, 10, RGB(255, 0, 0));
        // Nothing reaches the target before the buffer ends.
        EXPECT_EQ(RGB(255, 0, 255), target.At(60, 60));
        EXPECT_EQ(RGB(255, 0, 255), target.At(30, 40));
    }
    EXPECT_EQ(RGB(255, 0, 0), target.At(60, 60));
    EXPECT_EQ(RGB(255, 0, 0), target.At(69, 69));
    EXPECT_EQ(RGB(0, 0, 255), target.At(70, 70));
    EXPECT_EQ(RGB(0, 0, 255), target.At(30, 40));
    EXPECT_EQ(RGB(0, 0, 255), target.At(129, 89));
    EXPECT_EQ(RGB(255, 0, 255), target.At(29, 40));
    EXPECT_EQ(RGB(255, 0, 255), target.At(30, 39));
    EXPECT_EQ(RGB(255, 0, 255), target.At(130, 89));
    EXPECT_EQ(RGB(255, 0, 255), target.At(129, 90));

    // One memory DC and one bitmap, both gone again.
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(1, after.dcsAcquired - before.dcsAcquired);
    EXPECT_EQ(1, after.dcsReleased - before.dcsReleased);
    EXPECT_EQ(1, after.objectsCreated - before.objectsCreated);
    EXPECT_EQ(1, after.objectsDeleted - before.objectsDeleted);
}

TEST(GridPaintBufferDC, PrintingTargetIsDrawnOnDirectlyAndLeftAlive) {
    Canvas target(50, 50);
    target.dc.m_bPrinting = TRUE;
    AfxGdiCounters before = AfxGetGdiCounters();
    {
        CBufferDC buffer(&target.dc);
        EXPECT_EQ(target.hdc, buffer.m_hDC);
        EXPECT_EQ(target.hdc, buffer.m_hAttribDC);
        EXPECT_TRUE(buffer.IsPrinting());
        buffer.FillSolidRect(10, 10, 5, 5, RGB(255, 0, 0));
        EXPECT_EQ(RGB(255, 0, 0), target.At(10, 10));
    }
    // The printer's context survives the buffer.
    EXPECT_EQ((DWORD)OBJ_MEMDC, ::GetObjectType(target.hdc));
    target.dc.FillSolidRect(20, 20, 5, 5, RGB(0, 255, 0));
    EXPECT_EQ(RGB(0, 255, 0), target.At(20, 20));
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(before.dcsAcquired, after.dcsAcquired);
    EXPECT_EQ(before.dcsReleased, after.dcsReleased);
    EXPECT_EQ(before.objectsCreated, after.objectsCreated);
}

// ---- WM_PAINT and WM_ERASEBKGND -------------------------------------------------------------

TEST_F(GridPaintPipeline, EraseBackgroundAnswersOneAndDrawsNothing) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    Redraw();
    SmearClient(grid.m_hWnd, RGB(255, 0, 255));
    HDC hdc = ::GetDC(grid.m_hWnd);
    EXPECT_EQ(1, ::SendMessageA(grid.m_hWnd, WM_ERASEBKGND, (WPARAM)hdc, 0));
    ::ReleaseDC(grid.m_hWnd, hdc);
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    for (int y = 0; y < 200; y += 7)
        for (int x = 0; x < 400; x += 7)
            ASSERT_EQ(RGB(255, 0, 255), shot.At(x, y)) << x << "," << y;
}

TEST_F(GridPaintPipeline, PaintsGoThroughABitmapKeptAtTheClientSize) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    grid.litter = true;
    Redraw();
    auto paint = [&](const CRect& area, int dcs) {
        SCOPED_TRACE(::testing::Message() << "paint " << grid.drawnContexts);
        CRect client = Client();
        ::InvalidateRect(grid.m_hWnd, area, FALSE);
        AfxGdiCounters before = AfxGetGdiCounters();
        ::UpdateWindow(grid.m_hWnd);
        AfxGdiCounters after = AfxGetGdiCounters();
        EXPECT_EQ((DWORD)OBJ_MEMDC, grid.lastObjectType);
        EXPECT_EQ(client.Width(), grid.lastBitmap.bmWidth);
        EXPECT_EQ(client.Height(), grid.lastBitmap.bmHeight);
        EXPECT_EQ(0, grid.lastOrigin.x);
        CRect shown;
        shown.IntersectRect(&area, &client);
        EXPECT_EQ(shown, CRect(grid.lastClip));
        // The paint DC, and a surface when the size changed; the old surface and the cells'
        // pens, brushes and fonts go back.
        EXPECT_EQ(dcs, after.dcsAcquired - before.dcsAcquired);
        EXPECT_EQ(dcs, after.dcsReleased - before.dcsReleased);
        EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
        // Whatever the last paint left in the context, this one draws as DrawGrid into a new one.
        Canvas shot(client.Width(), client.Height(), 0), memory(client.Width(), client.Height());
        CaptureClient(grid.m_hWnd, shot);
        grid.litter = false;
        grid.DrawGrid(&memory.dc);
        grid.litter = true;
        for (int y = shown.top; y < shown.bottom; y++)
            for (int x = shown.left; x < shown.right; x++)
                ASSERT_EQ(memory.At(x, y), shot.At(x, y)) << x << "," << y;
    };
    paint(CRect(50, 30, 170, 90), 1);
    paint(CRect(0, 0, 400, 200), 1);
    ::SetWindowPos(grid.m_hWnd, nullptr, 0, 0, 300, 150, SWP_NOMOVE | SWP_NOZORDER);
    paint(CRect(0, 0, 300, 150), 2);
    paint(CRect(10, 100, 120, 140), 1);

    // Without double buffering DrawGrid gets the paint DC itself.
    grid.doubleBuffered = FALSE;
    ::InvalidateRect(grid.m_hWnd, CRect(50, 30, 170, 90), FALSE);
    ::UpdateWindow(grid.m_hWnd);
    EXPECT_EQ((DWORD)OBJ_DC, grid.lastObjectType);
    // The window's end gives the surface back.
    AfxGdiCounters before = AfxGetGdiCounters();
    grid.DestroyWindow();
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(1, after.dcsReleased - before.dcsReleased);
    EXPECT_EQ(1, after.objectsDeleted - before.objectsDeleted);
}

TEST_F(GridPaintPipeline, PartialPaintLandsExactlyOnTheUpdateArea) {
    Attach(400, 200);
    Layout(12, 5, 1, 1);
    grid.MoveFocusTo(3, 2);
    grid.SelectSpan(4, 1, 5, 3, FALSE);
    Redraw();
    CRect client = Client();
    Canvas whole(client.Width(), client.Height(), 0);
    CaptureClient(grid.m_hWnd, whole);

    SmearClient(grid.m_hWnd, RGB(255, 0, 255));
    CRect part(55, 33, 171, 97);
    ::InvalidateRect(grid.m_hWnd, part, FALSE);
    ::UpdateWindow(grid.m_hWnd);
    Canvas shot(client.Width(), client.Height(), 0);
    CaptureClient(grid.m_hWnd, shot);
    for (int y = 0; y < client.Height(); y++) {
        for (int x = 0; x < client.Width(); x++) {
            if (part.PtInRect(CPoint(x, y)))
                ASSERT_EQ(whole.At(x, y), shot.At(x, y)) << x << "," << y;
            else
                ASSERT_EQ(RGB(255, 0, 255), shot.At(x, y)) << x << "," << y;
        }
    }
}

TEST_F(GridPaintPipeline, DoubleBufferingOnAndOffGiveTheSamePixels) {
    Attach(400, 200);
    Layout(30, 5, 1, 1);
    GridItemDesc d;
    d.row = 2;
    d.col = 2;
    d.mask = DESC_STATE | DESC_TEXTCOLOR | DESC_BKCOLOR;
    d.state = CELL_FRAMED | CELL_MASKED;
    d.textColor = RGB(200, 0, 0);
    d.bkColor = RGB(220, 240, 255);
    grid.SetCellDesc(&d);
    grid.SetCellText(0, 1, "Heading");
    grid.SetCellText(3, 3, "A longer text that does not fit into its cell");
    grid.MoveFocusTo(4, 1);
    grid.SelectSpan(5, 1, 6, 4, FALSE);
    CRect client = Client();

    grid.doubleBuffered = TRUE;
    SmearClient(grid.m_hWnd, RGB(255, 0, 255));
    Redraw();
    Canvas buffered(client.Width(), client.Height(), 0);
    CaptureClient(grid.m_hWnd, buffered);

    grid.doubleBuffered = FALSE;
    SmearClient(grid.m_hWnd, RGB(0, 255, 255));
    Redraw();
    Canvas direct(client.Width(), client.Height(), 0);
    CaptureClient(grid.m_hWnd, direct);

    // And DrawGrid straight into a memory DC.
    Canvas memory(client.Width(), client.Height());
    grid.DrawGrid(&memory.dc);

    int differences = 0, fromMemory = 0, unpainted = 0;
    for (int y = 0; y < client.Height(); y++) {
        for (int x = 0; x < client.Width(); x++) {
            if (buffered.At(x, y) != direct.At(x, y)) differences++;
            if (buffered.At(x, y) != memory.At(x, y)) fromMemory++;
            if (buffered.At(x, y) == RGB(255, 0, 255) || direct.At(x, y) == RGB(0, 255, 255)) unpainted++;
        }
    }
    EXPECT_EQ(0, unpainted);
    EXPECT_EQ(0, differences);
    EXPECT_EQ(0, fromMemory);
}

// ---- Background -----------------------------------------------------------------------------

TEST_F(GridPaintPipeline, BackgroundFillsFixedAreaBodyAndMargins) {
    Attach(400, 200);
    Layout(5, 4, 1, 1); // cells cover (0, 0) - (240, 100)
    Canvas cv(400, 200);
    grid.FillGridBackground(&cv.dc);
    // Fixed columns up to the bottom of the cells, fixed rows up to their right.
    EXPECT_EQ(kFixedBk, cv.At(0, 0));
    EXPECT_EQ(kFixedBk, cv.At(59, 99));
    EXPECT_EQ(kFixedBk, cv.At(60, 19));
    EXPECT_EQ(kFixedBk, cv.At(239, 19));
    // The body, up to and excluding the right and bottom of the cells' area.
    EXPECT_EQ(kCellBk, cv.At(60, 20));
    EXPECT_EQ(kCellBk, cv.At(239, 99));
    // Right margin over the whole height, bottom margin below the cells.
    EXPECT_EQ(kGridBk, cv.At(240, 0));
    EXPECT_EQ(kGridBk, cv.At(240, 99));
    EXPECT_EQ(kGridBk, cv.At(399, 199));
    EXPECT_EQ(kGridBk, cv.At(0, 100));
    EXPECT_EQ(kGridBk, cv.At(59, 100));
    EXPECT_EQ(kGridBk, cv.At(239, 199));
    EXPECT_EQ(kGridBk, cv.At(240, 199));
}

TEST_F(GridPaintPipeline, BackgroundWithoutFixedCellsIsBodyAndMargins) {
    Attach(400, 200);
    Layout(5, 4, 0, 0);
    Canvas cv(400, 200);
    grid.FillGridBackground(&cv.dc);
    EXPECT_EQ(kCellBk, cv.At(0, 0));
    EXPECT_EQ(kCellBk, cv.At(239, 99));
    EXPECT_EQ(kGridBk, cv.At(240, 0));
    EXPECT_EQ(kGridBk, cv.At(0, 100));
}

TEST_F(GridPaintPipeline, CellsFillingTheClientLeaveNoMargin) {
    Attach(400, 200);
    Layout(40, 12, 1, 1);
    CRect client = Client();
    Canvas cv(client.Width(), client.Height());
    grid.FillGridBackground(&cv.dc);
    EXPECT_EQ(kCellBk, cv.At(client.right - 1, client.bottom - 1));
    EXPECT_EQ(kFixedBk, cv.At(client.right - 1, 0));
    EXPECT_EQ(kFixedBk, cv.At(0, client.bottom - 1));
}

TEST_F(GridPaintPipeline, ClipRightOfTheCellsFillsOnlyTheMargin) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    grid.drawFrame = FALSE;
    Canvas cv(400, 200);
    cv.Clip(CRect(300, 0, 400, 200));
    grid.recording = true;
    grid.DrawGrid(&cv.dc);
    EXPECT_EQ("", Describe(grid.calls));
    for (int y = 0; y < 200; y += 3) {
        EXPECT_EQ(kGridBk, cv.At(300, y));
        EXPECT_EQ(kGridBk, cv.At(399, y));
        EXPECT_EQ(RGB(255, 0, 255), cv.At(299, y));
    }
}

TEST_F(GridPaintPipeline, NoClipBoxMeansNothingIsDrawn) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    CDC none; // no context: GetClipBox fails
    grid.recording = true;
    AfxGdiCounters before = AfxGetGdiCounters();
    grid.DrawGrid(&none);
    grid.FillGridBackground(&none);
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_TRUE(grid.calls.empty());
    // The three brushes are made and deleted even so.
    EXPECT_EQ(3, after.objectsCreated - before.objectsCreated);
    EXPECT_EQ(3, after.objectsDeleted - before.objectsDeleted);
}

// ---- Cell passes ----------------------------------------------------------------------------

TEST_F(GridPaintPipeline, CellPassesRunCornerRowHeadingsColumnHeadingsBody) {
    Attach(400, 200);
    Layout(6, 5, 2, 2);
    Canvas cv(400, 200);
    grid.recording = true;
    grid.DrawGrid(&cv.dc);
    EXPECT_EQ("0,0 0,1 1,0 1,1 "                 // corner
              "2,0 2,1 3,0 3,1 4,0 4,1 5,0 5,1 " // row headings
              "0,2 0,3 0,4 1,2 1,3 1,4 "         // column headings
              "2,2* 2,3* 2,4* 3,2* 3,3* 3,4* 4,2* 4,3* 4,4* 5,2* 5,3* 5,4*",
              Describe(grid.calls));
    for (const PaintCall& c : grid.calls)
        EXPECT_EQ(Bounds(c.row, c.col), c.rect) << c.row << "," << c.col;
}

TEST_F(GridPaintPipeline, CellPassesStartAtTheFirstScrolledCell) {
    Attach(400, 200);
    Layout(40, 12, 1, 1);
    grid.SetScrollPosition(SB_VERT, 100);
    grid.SetScrollPosition(SB_HORZ, 120);
    CCellPos first = grid.GetFirstScrolledCell();
    ASSERT_EQ(6, first.row);
    ASSERT_EQ(3, first.col);
    CCellSpan span = grid.GetShownCellSpan();
    CRect client = Client();
    Canvas cv(client.Width(), client.Height());
    grid.recording = true;
    grid.DrawGrid(&cv.dc);

    std::string expected = "0,0";
    for (int r = first.row; r <= span.maxRow; r++)
        expected += " " + std::to_string(r) + ",0";
    for (int c = first.col; c <= span.maxCol; c++)
        expected += " 0," + std::to_string(c);
    for (int r = first.row; r <= span.maxRow; r++)
        for (int c = first.col; c <= span.maxCol; c++)
            expected += " " + std::to_string(r) + "," + std::to_string(c) + "*";
    EXPECT_EQ(expected, Describe(grid.calls));
    // The first body cell sits at the fixed area's corner.
    EXPECT_EQ(CRect(60, 20, 119, 39),
              grid.calls[1 + (span.maxRow - first.row + 1) + (span.maxCol - first.col + 1)].rect);
}

TEST_F(GridPaintPipeline, CellsOutsideTheClipBoxAreNotPainted) {
    Attach(400, 200);
    Layout(5, 4, 1, 1); // columns at x 0, 60, 120, 180; rows at y 0, 20, 40, 60, 80
    grid.recording = true;
    {
        Canvas cv(400, 200);
        cv.Clip(CRect(100, 45, 170, 65));
        grid.DrawGrid(&cv.dc);
        EXPECT_EQ("2,1* 2,2* 3,1* 3,2*", Describe(grid.calls));
    }
    {
        // A cell whose top lies on the clip box's bottom, or whose left on its right, is
        // painted: the tests compare the inclusive cell edges with the clip box's edges.
        grid.calls.clear();
        Canvas cv(400, 200);
        cv.Clip(CRect(120, 45, 180, 80));
        grid.DrawGrid(&cv.dc);
        EXPECT_EQ("2,2* 2,3* 3,2* 3,3* 4,2* 4,3*", Describe(grid.calls));
    }
    {
        grid.calls.clear();
        Canvas cv(400, 200);
        cv.Clip(CRect(0, 0, 30, 30));
        grid.DrawGrid(&cv.dc);
        EXPECT_EQ("0,0 1,0", Describe(grid.calls));
    }
    {
        grid.calls.clear();
        Canvas cv(400, 200);
        cv.Clip(CRect(0, 150, 400, 200)); // below the cells
        grid.DrawGrid(&cv.dc);
        EXPECT_EQ("", Describe(grid.calls));
    }
}

// ---- Grid lines and frame -------------------------------------------------------------------

TEST_F(GridPaintPipeline, GridLinesOfEachStyle) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    grid.drawFrame = FALSE;
    const COLORREF fixedEdge = RGB(198, 215, 215); // the edge colour for this fixed background
    for (int style = 0; style <= 3; style++) {
        SCOPED_TRACE(style);
        grid.gridLineStyle = style;
        bool vertical = style == 2 || style == 3, horizontal = style == 1 || style == 3;
        Canvas cv(400, 200);
        AfxGdiCounters before = AfxGetGdiCounters();
        grid.DrawGrid(&cv.dc);
        AfxGdiCounters after = AfxGetGdiCounters();
        // Cell (2, 2) is (120, 40) - (179, 59), inclusive.
        EXPECT_EQ(vertical ? kLine : kCellBk, cv.At(179, 40));
        EXPECT_EQ(vertical ? kLine : kCellBk, cv.At(179, 50));
        EXPECT_EQ(vertical ? kLine : kCellBk, cv.At(119, 50));
        EXPECT_EQ(horizontal ? kLine : kCellBk, cv.At(120, 59));
        EXPECT_EQ(horizontal ? kLine : kCellBk, cv.At(178, 59));
        EXPECT_EQ(horizontal ? kLine : kCellBk, cv.At(150, 39));
        // Horizontal lines stop one pixel short of the cell's last column.
        EXPECT_EQ(vertical ? kLine : kCellBk, cv.At(179, 59));
        EXPECT_EQ(kCellBk, cv.At(170, 45));
        // The lines of the first body row and column lie on the headings' last row and column,
        // drawn after the headings' own edges.
        EXPECT_EQ(horizontal ? kLine : kFixedBk, cv.At(150, 19));
        EXPECT_EQ(vertical ? kLine : fixedEdge, cv.At(59, 50));
        // No lines inside the fixed area otherwise, and none right of or below the cells.
        EXPECT_EQ(kFixedBk, cv.At(30, 19));
        EXPECT_EQ(kGridBk, cv.At(240, 50));
        EXPECT_EQ(kGridBk, cv.At(150, 100));
        // The pen is created for every style and gone again; NULL_PEN is left selected.
        EXPECT_EQ(::GetStockObject(NULL_PEN), ::GetCurrentObject(cv.hdc, OBJ_PEN));
        EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
    }
}

TEST_F(GridPaintPipeline, FrameRunsAlongAllFourClientEdges) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    Canvas cv(400, 200);
    grid.DrawGrid(&cv.dc);
    for (int x = 0; x < 400; x += 9) {
        EXPECT_EQ(kFrame, cv.At(x, 0)) << x;
        EXPECT_EQ(kFrame, cv.At(x, 199)) << x;
    }
    for (int y = 0; y < 200; y += 9) {
        EXPECT_EQ(kFrame, cv.At(0, y)) << y;
        EXPECT_EQ(kFrame, cv.At(399, y)) << y;
    }
    EXPECT_EQ(kFrame, cv.At(399, 199));
    EXPECT_NE(kFrame, cv.At(1, 1));
    EXPECT_EQ(kGridBk, cv.At(398, 198));

    grid.drawFrame = FALSE;
    Canvas plain(400, 200);
    grid.DrawGrid(&plain.dc);
    EXPECT_EQ(kGridBk, plain.At(399, 100));
    EXPECT_EQ(kGridBk, plain.At(200, 199));
}

TEST_F(GridPaintPipeline, SystemColourChangeKeepsTheGridColours) {
    Attach(400, 200);
    Layout(5, 4, 1, 1);
    ::SendMessageA(grid.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(kFixedBk, grid.fixedBkColor);
    EXPECT_EQ(kCellBk, grid.cellBkColor);
    EXPECT_EQ(kGridBk, grid.gridBkColor);
    EXPECT_EQ(kLine, grid.gridLineColor);
    EXPECT_EQ(kFrame, grid.frameColor);
}

} // namespace
