// A full paint, and the repaint of a row, share one brush, pen and font per colour and font among
// their cells. Checked here: the paint draws exactly the pixels of its cells drawn one by one with
// objects of their own (every state, colours and fonts beyond what a paint keeps, images, each
// grid-line style, with and without the frame, whole and clipped), leaves the context as they do,
// makes a number of objects that does not grow with the cells, releases all of them, and follows
// colour, font and system-colour changes between paints; a repainted row looks as its cells
// repainted one at a time.
#include "grid_paint_util.h"

using namespace painttest;

namespace {

class GridPaintShared : public PaintTest {
protected:
    // DrawGrid as the cells draw it when each makes its own objects and saves and restores the
    // whole context: the same passes, each cell painted outside any paint.
    void DrawCellByCell(CDC* pDC) {
        CRect clip;
        if (pDC->GetClipBox(&clip) == ERROR) return;
        grid.FillGridBackground(pDC);
        CCellPos first = grid.GetFirstScrolledCell();
        CCellSpan span = grid.GetShownCellSpan();
        int fr = grid.fixedRowCount, fc = grid.fixedColumnCount;
        grid.PaintCellRange(pDC, clip, 0, fr - 1, 0, fc - 1, TRUE);
        grid.PaintCellRange(pDC, clip, first.row, span.maxRow, 0, fc - 1, TRUE);
        grid.PaintCellRange(pDC, clip, 0, fr - 1, first.col, span.maxCol, TRUE);
        grid.PaintCellRange(pDC, clip, first.row, span.maxRow, first.col, span.maxCol, FALSE);
        CPen pen(PS_SOLID, 0, grid.gridLineColor);
        pDC->SelectObject(&pen);
        bool vertical = grid.gridLineStyle == 2 || grid.gridLineStyle == 3;
        bool horizontal = grid.gridLineStyle == 1 || grid.gridLineStyle == 3;
        for (int row = first.row; row <= span.maxRow; row++) {
            for (int col = first.col; col <= span.maxCol; col++) {
                CRect r;
                if (!grid.GetCellBounds(row, col, &r)) continue;
                if (vertical) {
                    pDC->MoveTo(r.right, r.top);
                    pDC->LineTo(r.right, r.bottom + 1);
                    pDC->MoveTo(r.left - 1, r.top);
                    pDC->LineTo(r.left - 1, r.bottom + 1);
                }
                if (horizontal) {
                    pDC->MoveTo(r.left, r.top - 1);
                    pDC->LineTo(r.right, r.top - 1);
                    pDC->MoveTo(r.left, r.bottom);
                    pDC->LineTo(r.right, r.bottom);
                }
            }
        }
        if (grid.drawFrame) grid.DrawGridFrame(pDC);
        pDC->SelectStockObject(NULL_PEN);
    }

    // What a paint leaves in the context.
    struct ContextState {
        HGDIOBJ pen, brush, font;
        COLORREF text, back;
        int mode;
        POINT position;
        bool operator==(const ContextState& o) const {
            return pen == o.pen && brush == o.brush && font == o.font && text == o.text && back == o.back &&
                   mode == o.mode && position.x == o.position.x && position.y == o.position.y;
        }
    };
    static ContextState StateOf(HDC hdc) {
        ContextState s;
        s.pen = ::GetCurrentObject(hdc, OBJ_PEN);
        s.brush = ::GetCurrentObject(hdc, OBJ_BRUSH);
        s.font = ::GetCurrentObject(hdc, OBJ_FONT);
        s.text = ::GetTextColor(hdc);
        s.back = ::GetBkColor(hdc);
        s.mode = ::GetBkMode(hdc);
        ::GetCurrentPositionEx(hdc, &s.position);
        return s;
    }

    // Paints the client area both ways (clipped to `clip` when it is not empty) and counts the
    // pixels that differ; both ways must release every object they make.
    int CompareWithCellByCell(const CRect& clip = CRect()) {
        CRect client = Client();
        Canvas shared(client.Width(), client.Height()), own(client.Width(), client.Height());
        if (!clip.IsRectEmpty()) {
            shared.Clip(clip);
            own.Clip(clip);
        }
        AfxGdiCounters before = AfxGetGdiCounters();
        grid.DrawGrid(&shared.dc);
        AfxGdiCounters after = AfxGetGdiCounters();
        EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
        before = AfxGetGdiCounters();
        DrawCellByCell(&own.dc);
        after = AfxGetGdiCounters();
        EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
        EXPECT_TRUE(StateOf(shared.hdc) == StateOf(own.hdc));

        int differences = 0;
        for (int y = 0; y < client.Height(); y++)
            for (int x = 0; x < client.Width(); x++)
                if (shared.At(x, y) != own.At(x, y)) differences++;
        return differences;
    }

    // Objects one DrawGrid makes, once an earlier one has measured the fonts for their widths.
    long ObjectsOfOnePaint() {
        CRect client = Client();
        Canvas cv(client.Width(), client.Height());
        grid.DrawGrid(&cv.dc);
        AfxGdiCounters before = AfxGetGdiCounters();
        grid.DrawGrid(&cv.dc);
        AfxGdiCounters after = AfxGetGdiCounters();
        EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
        return after.objectsCreated - before.objectsCreated;
    }

    void SetLook(int row, int col, UINT state, COLORREF bk, COLORREF text, UINT format) {
        GridItemDesc d;
        d.row = row;
        d.col = col;
        d.mask = DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
        d.state = state;
        d.bkColor = bk;
        d.textColor = text;
        d.format = format;
        ASSERT_TRUE(grid.SetCellDesc(&d));
    }
};

TEST_F(GridPaintShared, FullPaintDrawsWhatTheCellsDrawOneByOne) {
    Attach(520, 300);
    Layout(40, 8, 2, 1);
    grid.fixedBkColor = 0xD0CEA9; // the edges in the edge colour, the top edge white
    // An 8 x 8 blue image on a heading and on body cells.
    CImageList images;
    ASSERT_TRUE(images.Create(8, 8, ILC_COLOR24, 1, 1));
    std::vector<DWORD> bits(64, 0x0000FF);
    HBITMAP hbm = ::CreateBitmap(8, 8, 1, 32, bits.data());
    ASSERT_EQ(0, ::ImageList_Add(images.m_hImageList, hbm, nullptr));
    ::DeleteObject(hbm);
    grid.imageList = &images;
    for (CCellPos c : {CCellPos(0, 3), CCellPos(3, 3), CCellPos(9, 4)}) {
        GridItemDesc d;
        d.row = c.row;
        d.col = c.col;
        d.mask = DESC_IMAGE;
        d.image = 0;
        ASSERT_TRUE(grid.SetCellDesc(&d));
    }

    // More background colours than a paint keeps brushes, more fonts than it keeps fonts, text
    // colours, alignments, and every state a cell can be drawn in.
    const UINT formats[] = {DT_LEFT | DT_VCENTER | DT_SINGLELINE, DT_RIGHT | DT_VCENTER | DT_SINGLELINE,
                            DT_CENTER | DT_VCENTER | DT_SINGLELINE};
    for (int r = 2; r < 14; r++)
        for (int c = 1; c < 8; c++)
            SetLook(r, c, 0, RGB(150 + 4 * r, 255 - 9 * c, 200),
                    (r + c) % 3 ? CELL_DEFAULT_COLOR : RGB(200, 0, 0), formats[(r * 7 + c) % 3]);
    SetLook(0, 2, 0, RGB(90, 90, 200), RGB(255, 255, 0), formats[2]);
    SetLook(4, 2, CELL_FOCUSED, RGB(255, 230, 230), RGB(0, 120, 0), formats[0]);
    SetLook(5, 2, CELL_SELECTED, CELL_DEFAULT_COLOR, RGB(200, 0, 0), formats[0]);
    SetLook(5, 3, CELL_SELECTED | CELL_FRAMED, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, formats[1]);
    SetLook(6, 4, CELL_FRAMED, RGB(230, 240, 255), CELL_DEFAULT_COLOR, formats[0]);
    SetLook(7, 5, CELL_FOCUSED | CELL_FRAMED | CELL_SELECTED, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR,
            formats[2]);
    SetLook(8, 6, CELL_MASKED, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, formats[0]);
    grid.SetCellText(8, 6, "secret \xB0\xA1");
    grid.SetCellText(10, 1, "A text far longer than its cell is wide, cut at the cell's edge");
    for (int r = 1; r < 14; r++) {
        LOGFONTA lf = TestFont(-9 - r);
        lf.lfItalic = r % 2;
        grid.SetCellFont(r, r % 8, &lf);
    }
    LOGFONTA heading = TestFont(-12);
    grid.SetCellFont(0, 1, &heading);
    grid.SetCellFont(1, 0, &heading);

    for (BOOL frame : {TRUE, FALSE}) {
        grid.drawFrame = frame;
        for (int style = 0; style <= 3; style++) {
            grid.gridLineStyle = style;
            EXPECT_EQ(0, CompareWithCellByCell()) << "style " << style << " frame " << frame;
        }
    }
    // A paint of part of the window, and one scrolled down and right.
    EXPECT_EQ(0, CompareWithCellByCell(CRect(70, 30, 250, 170)));
    ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_PAGEDOWN, 0);
    ::SendMessageA(grid.m_hWnd, WM_HSCROLL, SB_LINERIGHT, 0);
    ASSERT_GT(grid.GetFirstScrolledCell().row, 2);
    EXPECT_EQ(0, CompareWithCellByCell());
    grid.imageList = nullptr;
}

// A paint draws most texts without DrawTextA; the cells drawn one by one use it. Heights odd and
// even, fonts smoothed and not, texts DrawTextA treats in its own way, Hangul, texts that fit and
// texts that do not.
TEST_F(GridPaintShared, TextsLookAsDrawTextDrawsThem) {
    Attach(520, 300);
    Layout(14, 4, 1, 1, 110, 20);
    const char* texts[] = {"",          "plain",
                           "a&b",       "&&x",
                           "tab\there", "한글 텍스트, 가나다",
                           "ends ",     "Wg|",
                           "\xB0",      "mmmmmmmmmmmmmmmmmmmmmmmmmmmmm"};
    const UINT formats[] = {DT_VCENTER | DT_WORDBREAK | DT_SINGLELINE,
                            DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX, DT_VCENTER | DT_SINGLELINE,
                            DT_SINGLELINE};
    for (int r = 1; r < 14; r++) {
        grid.SetRowHeight(r, 12 + r * 7 % 15);
        for (int c = 1; c < 4; c++) {
            SetLook(r, c, r == 5 && c == 2 ? CELL_FOCUSED : 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR,
                    formats[(r + c) % 4]);
            grid.SetCellText(r, c, texts[(r * 3 + c) % 10]);
            LOGFONTA lf = TestFont(-10 - r % 5);
            lf.lfQuality = r % 3 == 0   ? ANTIALIASED_QUALITY
                           : r % 3 == 1 ? DEFAULT_QUALITY
                                        : NONANTIALIASED_QUALITY;
            if (c != 3) grid.SetCellFont(r, c, &lf);
        }
    }
    EXPECT_EQ(0, CompareWithCellByCell());
    EXPECT_EQ(0, CompareWithCellByCell()); // and with every placement known
}

TEST_F(GridPaintShared, OnePaintMakesEachObjectOnceWhateverTheCellCount) {
    Attach(520, 300);
    Layout(5, 4, 1, 1);
    // Three background brushes, the grid pen; the fixed and the body background brush, the two
    // edge pens and the one font the cells share.
    EXPECT_EQ(9, ObjectsOfOnePaint());
    Layout(40, 8, 1, 1);
    EXPECT_EQ(9, ObjectsOfOnePaint());
    // A second body colour adds one brush; a focus rectangle uses stock objects.
    SetLook(3, 3, 0, RGB(1, 2, 3), CELL_DEFAULT_COLOR, DT_LEFT);
    grid.MoveFocusTo(4, 4);
    EXPECT_EQ(10, ObjectsOfOnePaint());

    // A context that keeps its attributes in another DC, as a print preview does, shares
    // nothing: every cell makes its own.
    CRect client = Client();
    Canvas output(client.Width(), client.Height()), attributes(client.Width(), client.Height());
    output.dc.m_hAttribDC = attributes.hdc;
    AfxGdiCounters before = AfxGetGdiCounters();
    grid.DrawGrid(&output.dc);
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
    EXPECT_GT(after.objectsCreated - before.objectsCreated, 2 * (6 * 8));
}

TEST_F(GridPaintShared, ChangesBetweenPaintsAreDrawnWithNewObjects) {
    Attach(400, 200);
    Layout(8, 4, 1, 1);
    grid.SetCellText(2, 2, "MMMM");
    const CPoint body(100, 30);
    Redraw();
    Canvas shot(400, 200, 0);
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(kCellBk, shot.At(body.x, body.y));

    // A colour of the grid, then the system colours, then the grid's font.
    grid.cellBkColor = RGB(10, 220, 120);
    Redraw();
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(RGB(10, 220, 120), shot.At(body.x, body.y));
    ::SendMessageA(grid.m_hWnd, WM_SYSCOLORCHANGE, 0, 0);
    Redraw();
    CaptureClient(grid.m_hWnd, shot);
    EXPECT_EQ(RGB(10, 220, 120), shot.At(body.x, body.y));
    EXPECT_EQ(0, CompareWithCellByCell());

    CRect cell = Bounds(2, 2);
    int narrow = shot.RightmostInk(cell.left + 1, cell.top + 1, cell.right, cell.bottom, RGB(10, 220, 120));
    LOGFONTA lf = TestFont(-20);
    HFONT big = ::CreateFontIndirectA(&lf);
    ::SendMessageA(grid.m_hWnd, WM_SETFONT, (WPARAM)big, TRUE);
    Redraw();
    CaptureClient(grid.m_hWnd, shot);
    int wide = shot.RightmostInk(cell.left + 1, cell.top + 1, cell.right, cell.bottom, RGB(10, 220, 120));
    EXPECT_GT(wide, narrow + 5);
    EXPECT_EQ(0, CompareWithCellByCell());
    ::DeleteObject(big); // the grid keeps a font of its own made from it
}

TEST_F(GridPaintShared, RepaintedRowLooksAsItsCellsRepaintedOneAtATime) {
    Attach(400, 200);
    Layout(8, 5, 1, 1);
    grid.fixedBkColor = 0xD0CEA9;
    SetLook(3, 2, CELL_FOCUSED | CELL_FRAMED, RGB(255, 230, 230), RGB(0, 120, 0),
            DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    SetLook(3, 3, CELL_SELECTED, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR,
            DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
    LOGFONTA lf = TestFont(-14);
    grid.SetCellFont(3, 4, &lf);
    CRect client = Client();

    grid.RepaintRow(3); // the fonts measured for their widths
    for (int style = 0; style <= 3; style++) {
        grid.gridLineStyle = style;
        SmearClient(grid.m_hWnd, RGB(255, 0, 255));
        AfxGdiCounters before = AfxGetGdiCounters();
        ASSERT_TRUE(grid.RepaintRow(3));
        AfxGdiCounters after = AfxGetGdiCounters();
        long rowObjects = after.objectsCreated - before.objectsCreated;
        EXPECT_EQ(rowObjects, after.objectsDeleted - before.objectsDeleted);
        Canvas row(client.Width(), client.Height(), 0);
        CaptureClient(grid.m_hWnd, row);

        SmearClient(grid.m_hWnd, RGB(255, 0, 255));
        before = AfxGetGdiCounters();
        for (int col = 0; col < 5; col++)
            ASSERT_TRUE(grid.RepaintCell(3, col));
        after = AfxGetGdiCounters();
        long cellObjects = after.objectsCreated - before.objectsCreated;
        EXPECT_EQ(cellObjects, after.objectsDeleted - before.objectsDeleted);
        Canvas cells(client.Width(), client.Height(), 0);
        CaptureClient(grid.m_hWnd, cells);

        int differences = 0, painted = 0;
        for (int y = 0; y < client.Height(); y++)
            for (int x = 0; x < client.Width(); x++) {
                if (row.At(x, y) != cells.At(x, y)) differences++;
                if (row.At(x, y) != RGB(255, 0, 255)) painted++;
            }
        EXPECT_EQ(0, differences) << "style " << style;
        EXPECT_GT(painted, 5 * 60 * 20 / 2);
        // One cell at a time: a font each, a brush for each fill but the selected cell's, the two
        // edge pens of the heading and a line pen for each body cell. The row: three background
        // colours, two fonts, the two edge pens and one line pen.
        EXPECT_EQ(5 + 4 + 2 + 4, cellObjects);
        EXPECT_EQ(3 + 2 + 2 + 1, rowObjects);
    }
}

} // namespace
