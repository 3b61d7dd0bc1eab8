// The two cell painters on a memory canvas: fixed cells with their edges and edge colours,
// scrolling cells in their normal, focused, selected and framed looks, printing, masked text,
// text margins by alignment, images, and what the painters leave in the context.
#include "grid_paint_util.h"

using namespace painttest;

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);

class GridPaintCell : public PaintTest {
protected:
    void SetUp() override {
        Attach(400, 200);
        Layout(4, 4, 1, 1);
    }

    void SetCell(int row, int col, UINT state, COLORREF bk, COLORREF text, LPCTSTR content,
                 UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE) {
        GridItemDesc d;
        d.row = row;
        d.col = col;
        d.mask = DESC_TEXT | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
        d.state = state;
        d.bkColor = bk;
        d.textColor = text;
        d.text = content;
        d.format = format;
        ASSERT_TRUE(grid.SetCellDesc(&d));
    }

    // Counts pixels of the rectangle (exclusive right and bottom) for which pred holds.
    template <class Pred> static int Count(const Canvas& cv, const CRect& r, Pred pred) {
        int n = 0;
        for (int y = r.top; y < r.bottom; y++)
            for (int x = r.left; x < r.right; x++)
                if (pred(cv.At(x, y))) n++;
        return n;
    }
    static bool Reddish(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) < 90 && GetBValue(c) < 90; }
    static bool Dark(COLORREF c) { return GetRValue(c) < 90 && GetGValue(c) < 90 && GetBValue(c) < 90; }
};

const CRect kCol0(10, 10, 69, 29); // inclusive bounds, as the painters get them
const CRect kCol1(70, 10, 129, 29);

// ---- Fixed cells ----------------------------------------------------------------------------

TEST_F(GridPaintCell, FixedCellInColumnZeroHasItsLeftEdgeOnItsOwnFirstColumn) {
    grid.fixedBkColor = 0xD0CEA9;
    const COLORREF edge = 0x9B985F;
    SetCell(0, 0, 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, 0, 0, kCol0, FALSE));
    // Top edge, right to left, in the top colour; its left end is the left edge's.
    EXPECT_EQ(kWhite, cv.At(11, 10));
    EXPECT_EQ(kWhite, cv.At(68, 10));
    EXPECT_EQ(edge, cv.At(10, 10));
    EXPECT_EQ(edge, cv.At(69, 10));
    // Left edge on x = rect.left, down to the row above the bottom.
    EXPECT_EQ(edge, cv.At(10, 20));
    EXPECT_EQ(edge, cv.At(10, 28));
    // Right edge on x = rect.right, bottom edge on y = rect.bottom - 1.
    EXPECT_EQ(edge, cv.At(69, 20));
    EXPECT_EQ(edge, cv.At(69, 28));
    EXPECT_EQ(edge, cv.At(40, 28));
    EXPECT_EQ(edge, cv.At(11, 28));
    // Inside: the fixed background.
    EXPECT_EQ(0xD0CEA9u, cv.At(11, 20));
    EXPECT_EQ(0xD0CEA9u, cv.At(60, 15));
    // The cell's last row and anything left of it stay untouched.
    EXPECT_EQ(kMagenta, cv.At(10, 29));
    EXPECT_EQ(kMagenta, cv.At(40, 29));
    EXPECT_EQ(kMagenta, cv.At(69, 29));
    EXPECT_EQ(kMagenta, cv.At(9, 20));
}

TEST_F(GridPaintCell, FixedCellInOtherColumnsHasItsLeftEdgeOnePixelFurtherLeft) {
    grid.fixedBkColor = 0xD0CEA9;
    const COLORREF edge = 0x9B985F;
    SetCell(0, 1, 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE));
    EXPECT_EQ(edge, cv.At(69, 20));
    EXPECT_EQ(edge, cv.At(69, 10));
    EXPECT_EQ(0xD0CEA9u, cv.At(70, 20));
    EXPECT_EQ(kWhite, cv.At(70, 10));
    EXPECT_EQ(edge, cv.At(70, 28));
    EXPECT_EQ(edge, cv.At(129, 20));
    EXPECT_EQ(kMagenta, cv.At(68, 20));
}

TEST_F(GridPaintCell, FixedEdgeColourFollowsTheFixedBackground) {
    struct Case {
        COLORREF fixedBk;
        COLORREF edge;
    } cases[] = {{0xD0CEA9, 0x9B985F},
                 {0xE8EEEF, 0x9B985F},
                 {0xEDEDD9, 0x9B985F},
                 {0xC0C0C0, 0xD7D7C6},
                 {0xD0CEAA, 0xD7D7C6}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fixedBk);
        grid.fixedBkColor = c.fixedBk;
        Canvas cv(200, 60);
        ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE));
        EXPECT_EQ(c.edge, cv.At(69, 20));
        EXPECT_EQ(c.edge, cv.At(129, 20));
        EXPECT_EQ(c.edge, cv.At(100, 28));
        EXPECT_EQ(kWhite, cv.At(100, 10));
        EXPECT_EQ(c.fixedBk, cv.At(120, 14));
    }
    // The edge colours are the grid's fields.
    grid.fixedBkColor = 0xD0CEA9;
    grid.fixedEdgeColor = RGB(1, 2, 3);
    grid.fixedTopEdgeColor = RGB(4, 5, 6);
    Canvas cv(200, 60);
    grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE);
    EXPECT_EQ(RGB(1, 2, 3), cv.At(129, 20));
    EXPECT_EQ(RGB(4, 5, 6), cv.At(100, 10));
}

TEST_F(GridPaintCell, FixedTopEdgeTakesTheEdgeColourWithoutFrame) {
    grid.fixedBkColor = 0xD0CEA9;
    grid.drawFrame = FALSE;
    Canvas cv(200, 60);
    grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE);
    EXPECT_EQ(0x9B985Fu, cv.At(100, 10));
}

TEST_F(GridPaintCell, FixedCellColoursAndWhatStaysInTheContext) {
    grid.fixedTextColor = RGB(0, 0, 255);
    SetCell(0, 1, 0, RGB(10, 200, 10), CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    HGDIOBJ pen = ::GetCurrentObject(cv.hdc, OBJ_PEN), font = ::GetCurrentObject(cv.hdc, OBJ_FONT);
    int bkMode = ::GetBkMode(cv.hdc);
    AfxGdiCounters before = AfxGetGdiCounters();
    ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE));
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(RGB(10, 200, 10), cv.At(120, 14));
    // The text colour is set before the context is saved and stays; the rest is restored.
    EXPECT_EQ(RGB(0, 0, 255), ::GetTextColor(cv.hdc));
    EXPECT_EQ(pen, ::GetCurrentObject(cv.hdc, OBJ_PEN));
    EXPECT_EQ(font, ::GetCurrentObject(cv.hdc, OBJ_FONT));
    EXPECT_EQ(bkMode, ::GetBkMode(cv.hdc));
    // A brush, a font and two pens.
    EXPECT_EQ(4, after.objectsCreated - before.objectsCreated);
    EXPECT_EQ(4, after.objectsDeleted - before.objectsDeleted);
}

TEST_F(GridPaintCell, PrintedFixedCellGetsNoBackground) {
    grid.fixedBkColor = 0xD0CEA9;
    Canvas cv(200, 60);
    cv.dc.m_bPrinting = TRUE;
    SetCell(0, 1, 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, "");
    ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, 0, 1, kCol1, FALSE));
    EXPECT_EQ(kMagenta, cv.At(120, 14));
    EXPECT_EQ(0x9B985Fu, cv.At(129, 20));
}

// ---- Scrolling cells ------------------------------------------------------------------------

TEST_F(GridPaintCell, FocusedAndSelectedCellHasItsOwnBackgroundAndABlackRectangle) {
    const COLORREF bk = RGB(200, 230, 200);
    SetCell(2, 2, CELL_FOCUSED | CELL_SELECTED, bk, CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
    // Rectangle(left, top, right, bottom): the outline ends one pixel before right and bottom.
    EXPECT_EQ(kBlack, cv.At(10, 20));
    EXPECT_EQ(kBlack, cv.At(68, 20));
    EXPECT_EQ(kBlack, cv.At(40, 10));
    EXPECT_EQ(kBlack, cv.At(40, 28));
    // The fill covers the inclusive right column and bottom row.
    EXPECT_EQ(bk, cv.At(69, 20));
    EXPECT_EQ(bk, cv.At(40, 29));
    EXPECT_EQ(bk, cv.At(69, 29));
    EXPECT_EQ(bk, cv.At(40, 20));
    EXPECT_EQ(kMagenta, cv.At(70, 20));
    EXPECT_EQ(kMagenta, cv.At(40, 30));
}

TEST_F(GridPaintCell, SelectedCellHasTheSelectionColour) {
    grid.selectionBkColor = RGB(255, 248, 231);
    SetCell(2, 2, CELL_SELECTED, RGB(200, 230, 200), CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
    EXPECT_EQ(RGB(255, 248, 231), cv.At(10, 10));
    EXPECT_EQ(RGB(255, 248, 231), cv.At(10, 20));
    EXPECT_EQ(RGB(255, 248, 231), cv.At(69, 29));
    EXPECT_EQ(kMagenta, cv.At(70, 29));
}

TEST_F(GridPaintCell, NormalCellUsesItsOwnOrTheGridBackground) {
    SetCell(2, 2, 0, RGB(200, 230, 200), CELL_DEFAULT_COLOR, "");
    SetCell(2, 3, 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, "");
    Canvas cv(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
    ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 3, kCol1, FALSE));
    EXPECT_EQ(RGB(200, 230, 200), cv.At(10, 10));
    EXPECT_EQ(RGB(200, 230, 200), cv.At(69, 29));
    EXPECT_EQ(kCellBk, cv.At(70, 10));
    EXPECT_EQ(kCellBk, cv.At(129, 29));
}

TEST_F(GridPaintCell, SelectedRedTextIsDrawnBlackFocusedRedTextStaysRed) {
    const COLORREF red = RGB(230, 0, 0);
    CRect inside(12, 12, 67, 27);
    LOGFONTA lf = TestFont();
    for (int row = 1; row <= 3; row++)
        grid.SetCellFont(row, 2, &lf);

    SetCell(1, 2, CELL_SELECTED, CELL_DEFAULT_COLOR, red, "WWW");
    Canvas selected(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&selected.dc, 1, 2, kCol0, FALSE));
    EXPECT_GT(Count(selected, inside, Dark), 10);
    EXPECT_EQ(0, Count(selected, inside, Reddish));

    SetCell(2, 2, CELL_SELECTED | CELL_FOCUSED, CELL_DEFAULT_COLOR, red, "WWW");
    Canvas focused(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&focused.dc, 2, 2, kCol0, FALSE));
    EXPECT_GT(Count(focused, inside, Reddish), 10);

    SetCell(3, 2, 0, CELL_DEFAULT_COLOR, red, "WWW");
    Canvas normal(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&normal.dc, 3, 2, kCol0, FALSE));
    EXPECT_GT(Count(normal, inside, Reddish), 10);
    EXPECT_EQ(0, Count(normal, inside, Dark));

    // The grid's text colour stands in for CELL_DEFAULT_COLOR.
    grid.cellTextColor = red;
    SetCell(3, 2, 0, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, "WWW");
    Canvas byGrid(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&byGrid.dc, 3, 2, kCol0, FALSE));
    EXPECT_GT(Count(byGrid, inside, Reddish), 10);
}

TEST_F(GridPaintCell, PrintingIgnoresFocusSelectionAndFrame) {
    const COLORREF bk = RGB(200, 230, 200), red = RGB(230, 0, 0);
    LOGFONTA lf = TestFont();
    grid.SetCellFont(2, 2, &lf);
    for (UINT state :
         {(UINT)CELL_FOCUSED, (UINT)CELL_SELECTED, (UINT)(CELL_FOCUSED | CELL_SELECTED | CELL_FRAMED)}) {
        SCOPED_TRACE(state);
        SetCell(2, 2, state, bk, red, "WWW");
        Canvas cv(200, 60);
        cv.dc.m_bPrinting = TRUE;
        ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
        EXPECT_EQ(bk, cv.At(10, 20));
        EXPECT_EQ(bk, cv.At(40, 10));
        EXPECT_EQ(bk, cv.At(69, 29));
        EXPECT_GT(Count(cv, CRect(12, 12, 67, 27), Reddish), 10);
    }
}

TEST_F(GridPaintCell, FramedCellGetsABlackRectangleInsideTheFocusRectangle) {
    const COLORREF bk = RGB(200, 230, 200);
    SetCell(2, 2, CELL_FRAMED, bk, CELL_DEFAULT_COLOR, "");
    Canvas framed(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&framed.dc, 2, 2, kCol0, FALSE));
    EXPECT_EQ(kBlack, framed.At(10, 20));
    EXPECT_EQ(kBlack, framed.At(68, 20));
    EXPECT_EQ(kBlack, framed.At(40, 28));
    EXPECT_EQ(bk, framed.At(11, 20));
    EXPECT_EQ(bk, framed.At(69, 20));

    SetCell(2, 2, CELL_FRAMED | CELL_FOCUSED, bk, CELL_DEFAULT_COLOR, "");
    Canvas both(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&both.dc, 2, 2, kCol0, FALSE));
    EXPECT_EQ(kBlack, both.At(10, 20));
    EXPECT_EQ(kBlack, both.At(11, 20));
    EXPECT_EQ(kBlack, both.At(67, 20));
    EXPECT_EQ(kBlack, both.At(40, 27));
    EXPECT_EQ(bk, both.At(12, 20));

    SetCell(2, 2, CELL_FRAMED | CELL_SELECTED, bk, CELL_DEFAULT_COLOR, "");
    Canvas selected(200, 60);
    ASSERT_TRUE(grid.PaintScrollingCell(&selected.dc, 2, 2, kCol0, FALSE));
    EXPECT_EQ(kBlack, selected.At(10, 20));
    EXPECT_EQ(grid.selectionBkColor, selected.At(11, 20));
}

TEST_F(GridPaintCell, MaskedTextIsOneAsteriskPerByte) {
    LOGFONTA lf = TestFont();
    for (int row = 1; row <= 3; row++)
        for (int col = 1; col <= 3; col++)
            grid.SetCellFont(row, col, &lf);
    auto paint = [&](int row, int col, UINT state, LPCTSTR text) {
        SetCell(row, col, state, CELL_DEFAULT_COLOR, CELL_DEFAULT_COLOR, text);
        Canvas cv(200, 60);
        EXPECT_TRUE(grid.PaintScrollingCell(&cv.dc, row, col, kCol0, FALSE));
        return cv.Pixels();
    };
    std::vector<COLORREF> masked = paint(1, 1, CELL_MASKED, "abc");
    std::vector<COLORREF> stars = paint(1, 2, 0, "***");
    std::vector<COLORREF> clear = paint(1, 3, 0, "abc");
    EXPECT_TRUE(masked == stars);
    EXPECT_FALSE(masked == clear);
    EXPECT_STREQ("abc", grid.GetCellText(1, 1));

    // A two-byte character (code page 949) is two bytes, so two asterisks.
    std::vector<COLORREF> hangul = paint(2, 1, CELL_MASKED, "\xB0\xA1");
    std::vector<COLORREF> two = paint(2, 2, 0, "**");
    std::vector<COLORREF> one = paint(2, 3, 0, "*");
    EXPECT_TRUE(hangul == two);
    EXPECT_FALSE(hangul == one);

    // Repeated letters and asterisks in the text itself.
    std::vector<COLORREF> mixed = paint(3, 1, CELL_MASKED, "a*aXa");
    std::vector<COLORREF> five = paint(3, 2, 0, "*****");
    EXPECT_TRUE(mixed == five);
}

// ---- Text margins ---------------------------------------------------------------------------

class GridPaintMargins : public GridPaintCell {
protected:
    // Where the ink of "HIH" starts and ends when DrawText gets a rectangle from `left` to
    // `right` (exclusive) with this format, as offsets from left and from right.
    void Reference(UINT format, int left, int right, int* startOffset, int* endOffset) {
        LOGFONTA lf = TestFont();
        Canvas ref(400, 40, kWhite);
        HFONT font = ::CreateFontIndirectA(&lf);
        HGDIOBJ old = ::SelectObject(ref.hdc, font);
        ::SetBkMode(ref.hdc, TRANSPARENT);
        ::SetTextColor(ref.hdc, kBlack);
        RECT r = {left, 0, right, 40};
        ::DrawTextA(ref.hdc, "HIH", -1, &r, format);
        ::SelectObject(ref.hdc, old);
        ::DeleteObject(font);
        *startOffset = ref.LeftmostInk(0, 0, 400, 40, kWhite) - left;
        *endOffset = right - ref.RightmostInk(0, 0, 400, 40, kWhite);
    }

    // Paints cell (row, col) with "HIH" in the given format into (40, 10) - (239, 39) inclusive
    // and returns the ink's first and last column.
    void Measure(int row, int col, UINT state, UINT format, int* first, int* last) {
        LOGFONTA lf = TestFont();
        grid.SetCellFont(row, col, &lf);
        SetCell(row, col, state, kWhite, kBlack, "HIH", format);
        Canvas cv(300, 60);
        CRect bounds(40, 10, 239, 39);
        if (row < 1 || col < 1)
            ASSERT_TRUE(grid.PaintFixedCell(&cv.dc, row, col, bounds, FALSE));
        else
            ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, row, col, bounds, FALSE));
        // Inside the edges and rectangles the painters draw.
        COLORREF back = cv.At(120, 13);
        *first = cv.LeftmostInk(42, 12, 238, 37, back);
        *last = cv.RightmostInk(42, 12, 238, 37, back);
    }
};

TEST_F(GridPaintMargins, LeftAlignedTextStartsFivePixelsIn) {
    int start, end, first, last;
    const UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
    Reference(format, 100, 300, &start, &end);
    Measure(2, 2, 0, format, &first, &last);
    EXPECT_EQ(40 + 5 + start, first);
    // A focused cell and a fixed cell lose one pixel on each side first.
    Measure(2, 2, CELL_FOCUSED, format, &first, &last);
    EXPECT_EQ(41 + 5 + start, first);
    Measure(0, 2, 0, format, &first, &last);
    EXPECT_EQ(41 + 5 + start, first);
}

TEST_F(GridPaintMargins, RightAlignedTextEndsFivePixelsBeforeTheEdge) {
    int start, end, first, last;
    const UINT format = DT_RIGHT | DT_VCENTER | DT_SINGLELINE;
    Reference(format, 100, 300, &start, &end);
    // The rectangle's right is the inclusive right edge, 239.
    Measure(2, 2, 0, format, &first, &last);
    EXPECT_EQ(239 - 5 - end, last);
    Measure(2, 2, CELL_FOCUSED, format, &first, &last);
    EXPECT_EQ(238 - 5 - end, last);
    Measure(2, 0, 0, format, &first, &last);
    EXPECT_EQ(238 - 5 - end, last);
}

TEST_F(GridPaintMargins, CentredTextGetsNoMargin) {
    int start, end, first, last;
    const UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    Reference(format, 40, 239, &start, &end);
    Measure(2, 2, 0, format, &first, &last);
    EXPECT_EQ(40 + start, first);
    Reference(format, 41, 238, &start, &end);
    Measure(0, 2, 0, format, &first, &last);
    EXPECT_EQ(41 + start, first);
}

// ---- Images ---------------------------------------------------------------------------------

TEST_F(GridPaintCell, ImageIsDrawnAtTheTextRectanglesCorner) {
    // An 8 x 8 blue image.
    CImageList images;
    ASSERT_TRUE(images.Create(8, 8, ILC_COLOR24, 1, 1));
    std::vector<DWORD> bits(64, 0x0000FF);
    HBITMAP hbm = ::CreateBitmap(8, 8, 1, 32, bits.data());
    ASSERT_EQ(0, ::ImageList_Add(images.m_hImageList, hbm, nullptr));
    ::DeleteObject(hbm);
    const COLORREF blue = RGB(0, 0, 255);

    auto paint = [&](int row, int col, int image, UINT state) {
        GridItemDesc d;
        d.row = row;
        d.col = col;
        d.mask = DESC_IMAGE | DESC_TEXT | DESC_STATE;
        d.image = image;
        d.text = "";
        d.state = state;
        grid.SetCellDesc(&d);
        auto cv = std::make_unique<Canvas>(200, 60);
        if (row < 1 || col < 1)
            EXPECT_TRUE(grid.PaintFixedCell(&cv->dc, row, col, kCol0, FALSE));
        else
            EXPECT_TRUE(grid.PaintScrollingCell(&cv->dc, row, col, kCol0, FALSE));
        return cv;
    };

    // No image list: nothing.
    EXPECT_NE(blue, paint(2, 2, 0, 0)->At(12, 12));

    grid.imageList = &images;
    auto body = paint(2, 2, 0, 0);
    EXPECT_EQ(blue, body->At(10, 10));
    EXPECT_EQ(blue, body->At(17, 17));
    EXPECT_NE(blue, body->At(18, 17));
    EXPECT_NE(blue, body->At(17, 18));
    // A focused cell's text rectangle, and a fixed cell's, start one pixel in.
    auto focused = paint(2, 2, 0, CELL_FOCUSED);
    EXPECT_EQ(blue, focused->At(11, 11));
    EXPECT_EQ(blue, focused->At(18, 18));
    EXPECT_EQ(kBlack, focused->At(10, 12));
    auto fixed = paint(0, 1, 0, 0);
    EXPECT_EQ(blue, fixed->At(11, 11));
    EXPECT_EQ(blue, fixed->At(18, 18));
    // An index the list does not know, and -1, draw nothing.
    EXPECT_NE(blue, paint(2, 2, 3, 0)->At(12, 12));
    EXPECT_NE(blue, paint(2, 2, -1, 0)->At(12, 12));
    grid.imageList = nullptr;
}

// ---- Refusals and the context ---------------------------------------------------------------

TEST_F(GridPaintCell, NothingIsDrawnWhenDrawingIsOffOrTheCellIsMissing) {
    Canvas cv(200, 60);
    grid.drawingEnabled = FALSE;
    EXPECT_FALSE(grid.PaintFixedCell(&cv.dc, 0, 0, kCol0, FALSE));
    EXPECT_FALSE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
    grid.drawingEnabled = TRUE;
    EXPECT_FALSE(grid.PaintFixedCell(&cv.dc, 9, 0, kCol0, FALSE));
    EXPECT_FALSE(grid.PaintScrollingCell(&cv.dc, 2, 4, kCol0, FALSE));
    EXPECT_FALSE(grid.PaintScrollingCell(&cv.dc, -1, 2, kCol0, FALSE));
    for (int y = 0; y < 60; y += 3)
        for (int x = 0; x < 200; x += 3)
            ASSERT_EQ(kMagenta, cv.At(x, y));
}

TEST_F(GridPaintCell, ScrollingCellRestoresTheContextAndReleasesItsObjects) {
    Canvas cv(200, 60);
    ::SetTextColor(cv.hdc, RGB(1, 2, 3));
    ::SetBkColor(cv.hdc, RGB(4, 5, 6));
    HGDIOBJ pen = ::GetCurrentObject(cv.hdc, OBJ_PEN), brush = ::GetCurrentObject(cv.hdc, OBJ_BRUSH),
            font = ::GetCurrentObject(cv.hdc, OBJ_FONT);
    int bkMode = ::GetBkMode(cv.hdc);
    struct Case {
        UINT state;
        long objects; // the font, and the brush of the plain and focused fills
    } cases[] = {
        {0, 2}, {CELL_FOCUSED, 2}, {CELL_SELECTED, 1}, {CELL_FRAMED | CELL_SELECTED, 1}, {CELL_MASKED, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.state);
        SetCell(2, 2, c.state, CELL_DEFAULT_COLOR, RGB(200, 0, 0), "text");
        AfxGdiCounters before = AfxGetGdiCounters();
        ASSERT_TRUE(grid.PaintScrollingCell(&cv.dc, 2, 2, kCol0, FALSE));
        AfxGdiCounters after = AfxGetGdiCounters();
        EXPECT_EQ(c.objects, after.objectsCreated - before.objectsCreated);
        EXPECT_EQ(c.objects, after.objectsDeleted - before.objectsDeleted);
        EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(cv.hdc));
        EXPECT_EQ(RGB(4, 5, 6), ::GetBkColor(cv.hdc));
        EXPECT_EQ(pen, ::GetCurrentObject(cv.hdc, OBJ_PEN));
        EXPECT_EQ(brush, ::GetCurrentObject(cv.hdc, OBJ_BRUSH));
        EXPECT_EQ(font, ::GetCurrentObject(cv.hdc, OBJ_FONT));
        EXPECT_EQ(bkMode, ::GetBkMode(cv.hdc));
    }
}

} // namespace
