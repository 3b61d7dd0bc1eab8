// Printing on a page-image printer: the page rule (and a row taller than the body), the metrics,
// the heading rows on every page, the header and footer texts and places read from the page
// images, a page beyond the last, the print host's page range and its failures, and a saved
// trace printed through the debugger's own grid.
#include "GridPrintJob.h"
#include "PageImageDC.h"
#include "TraceGridHost.h"
#include "grid_test_util.h"
#include "win_test_util.h"

#include <winspool.h>

#include <cstring>
#include <vector>

namespace {

// A sheet of 1000 x 1400 pixels at 120 dpi with a 30-pixel margin.
const int kSheetW = 1000, kSheetH = 1400, kDpi = 120, kMargin = 30;

struct Paint {
    UINT page;
    int row, col;
    CRect rect;
};

class PrintGrid : public gridtest::TestGrid {
public:
    using CGridMainWnd::FindPrintPageRow;
    using CGridMainWnd::printBodyHeight;
    using CGridMainWnd::printCharSize;
    using CGridMainWnd::printerFont;
    using CGridMainWnd::printPageExtent;
    using CGridMainWnd::printPaperSize;
    using TestGrid::TestGrid;

    UINT page = 0;
    std::vector<Paint> fixed, body;
    // The metrics of the last job, as they stood at its end.
    CSize endCharSize, endPageExtent, endPaperSize;
    LOGFONTA endFont = {};
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override {
        endCharSize = printCharSize;
        endPageExtent = printPageExtent;
        endPaperSize = printPaperSize;
        printerFont.GetLogFont(&endFont);
        CGridMainWnd::OnEndPrinting(pDC, pInfo);
    }
    BOOL PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        fixed.push_back({page, row, col, rect});
        return CGridMainWnd::PaintFixedCell(pDC, row, col, rect, erase);
    }
    BOOL PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        body.push_back({page, row, col, rect});
        return CGridMainWnd::PaintScrollingCell(pDC, row, col, rect, erase);
    }
    // The rows painted in the body of a page (column 0's calls), in order.
    std::vector<int> BodyRows(UINT p) const {
        std::vector<int> rows;
        for (const Paint& c : body)
            if (c.page == p && c.col == 0) rows.push_back(c.row);
        return rows;
    }
};

// The sheets a job printed, kept as their pixels.
struct Sheets {
    std::vector<std::vector<BYTE>> pages;
    int stride = 0;
    void Attach(CPageImageDC& dc) {
        dc.SetPageSink([this](UINT, const BYTE* bgr, int, int h, int s) {
            stride = s;
            pages.emplace_back(bgr, bgr + (size_t)s * h);
            return TRUE;
        });
    }
    COLORREF At(size_t page, int x, int y) const {
        const BYTE* p = &pages[page][(size_t)y * stride + (size_t)x * 3];
        return RGB(p[2], p[1], p[0]);
    }
    // Whether row y of a sheet is black from x0 to x1.
    bool BlackRow(size_t page, int y, int x0, int x1) const {
        for (int x = x0; x <= x1; x++)
            if (At(page, x, y) != RGB(0, 0, 0)) return false;
        return true;
    }
    bool Blank(size_t page, int x0, int y0, int x1, int y1) const {
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                if (At(page, x, y) != RGB(255, 255, 255)) return false;
        return true;
    }
};

class GridPrint : public ::testing::Test {
protected:
    HWND host = nullptr;
    PrintGrid grid;
    CPageImageDC dc;

    // A grid of 1 heading row and `heights.size()` body rows, 3 columns of 100, 150 and 250.
    void Build(const std::vector<int>& heights) {
        host = gridtest::CreateHostWindow();
        ASSERT_NE(nullptr, host);
        ASSERT_TRUE(grid.SubclassGrid(gridtest::CreateGridControl(host, 600, 400)));
        grid.SetNumColumns(3);
        grid.SetNumRows((int)heights.size() + 1);
        grid.SetNumFixedRows(1);
        grid.SetRowHeight(0, 20);
        for (size_t i = 0; i < heights.size(); i++)
            grid.SetRowHeight((int)i + 1, heights[i]);
        const int widths[] = {100, 150, 250};
        for (int c = 0; c < 3; c++) {
            grid.SetColumnWidth(c, widths[c]);
            grid.SetCellText(0, c, c == 0 ? "Function" : c == 1 ? "Delay" : "Result");
        }
        for (int r = 1; r <= (int)heights.size(); r++)
            grid.SetCellText(r, 0, "row");
        ASSERT_TRUE(dc.Create(kSheetW, kSheetH, kDpi, kMargin));
    }
    void TearDown() override {
        grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
    }
    // Prints pages from..to of a begun job, each between StartPage and EndPage.
    void PrintPages(CPrintInfo& info, UINT from, UINT to) {
        for (UINT p = from; p <= to; p++) {
            grid.page = info.m_nCurPage = p;
            ASSERT_GT(dc.StartPage(), 0);
            grid.OnPrint(&dc, &info);
            ASSERT_GT(dc.EndPage(), 0);
        }
    }
    // The sheet's y of a logical y of the page.
    int SheetY(int logicalY) const {
        return kMargin + ::MulDiv(logicalY, grid.endPaperSize.cy, grid.endPageExtent.cy);
    }
    int SheetX(int logicalX) const {
        return kMargin + ::MulDiv(logicalX, grid.endPaperSize.cx, grid.endPageExtent.cx);
    }
};

} // namespace

TEST_F(GridPrint, FivePlusOneRowsOfTwentyInABodyOfAHundred) {
    Build({20, 20, 20, 20, 20, 20});
    CPrintInfo info;
    DOCINFOA doc = {sizeof doc, "t", nullptr, nullptr, 0};
    ASSERT_GT(dc.StartDoc(&doc), 0);
    grid.OnBeginPrinting(&dc, &info);
    EXPECT_EQ(1u, info.GetMaxPage()) << "six rows fit the real body";
    EXPECT_EQ(1u, info.m_nCurPage);

    grid.printBodyHeight = 100;
    UINT pages = 0;
    EXPECT_EQ(1, grid.FindPrintPageRow(1, &pages));
    EXPECT_EQ(2u, pages);
    PrintPages(info, 1, 3);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), grid.BodyRows(1)) << "a sum of 100 is not more than 100";
    EXPECT_EQ((std::vector<int>{6}), grid.BodyRows(2));
    EXPECT_TRUE(grid.BodyRows(3).empty()) << "a page beyond the last has no body";
    // The heading row on every page, the page beyond the last too, at the top of the body's
    // coordinates; the body rows stacked below, every column.
    for (UINT p = 1; p <= 3; p++) {
        int n = 0;
        for (const Paint& c : grid.fixed)
            if (c.page == p && c.row == 0) n++;
        EXPECT_EQ(3, n) << "page " << p;
    }
    EXPECT_EQ(CRect(0, 0, 99, 19), grid.fixed[0].rect);
    EXPECT_EQ(CRect(100, 20, 249, 39), grid.body[3 + 1].rect) << "row 2, column 1 of page 1";
    EXPECT_EQ(CRect(250, 0, 499, 19), grid.body[grid.body.size() - 1].rect) << "row 6 at the top of page 2";
    grid.OnEndPrinting(&dc, &info);
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);
    dc.EndDoc();
}

TEST_F(GridPrint, ARowTallerThanTheBodyGetsAPageOfItsOwnAndIsPrintedThere) {
    Build({150, 20, 20, 150, 150});
    CPrintInfo info;
    DOCINFOA doc = {sizeof doc, "t", nullptr, nullptr, 0};
    ASSERT_GT(dc.StartDoc(&doc), 0);
    grid.OnBeginPrinting(&dc, &info);
    grid.printBodyHeight = 100;
    UINT pages = 0;
    grid.FindPrintPageRow(1, &pages);
    EXPECT_EQ(4u, pages) << "no empty page before a tall first row";
    PrintPages(info, 1, 4);
    EXPECT_EQ((std::vector<int>{1}), grid.BodyRows(1));
    EXPECT_EQ((std::vector<int>{2, 3}), grid.BodyRows(2));
    EXPECT_EQ((std::vector<int>{4}), grid.BodyRows(3));
    EXPECT_EQ((std::vector<int>{5}), grid.BodyRows(4));
    // Asked out of order, the rule gives the same rows.
    EXPECT_EQ(4, grid.FindPrintPageRow(3));
    EXPECT_EQ(2, grid.FindPrintPageRow(2));
    EXPECT_EQ(-1, grid.FindPrintPageRow(5));
    grid.OnEndPrinting(&dc, &info);
}

TEST_F(GridPrint, MetricsComeFromThePrinterFontAndThePaper) {
    Build({20, 20, 20});
    CPrintInfo info;
    grid.OnBeginPrinting(&dc, &info);
    // Measured here the same way, apart from the grid.
    LOGFONTA lf = {};
    lf.lfHeight = -9;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
    lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, font);
    SIZE size;
    ::GetTextExtentPoint32A(dc.m_hDC, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ", 52, &size);
    ::SelectObject(dc.m_hDC, old);
    ::DeleteObject(font);
    EXPECT_EQ(CSize(size.cx / 52, size.cy), grid.printCharSize);
    EXPECT_EQ(CSize(kSheetW - 2 * kMargin, kSheetH - 2 * kMargin), grid.printPaperSize);
    const int width = 500 + 4 * (size.cx / 52);
    EXPECT_EQ(CSize(width, ::MulDiv(width, kSheetH - 2 * kMargin, kSheetW - 2 * kMargin)),
              grid.printPageExtent);
    EXPECT_EQ(grid.printPageExtent.cy - 6 * size.cy - 20, grid.printBodyHeight);
    grid.OnEndPrinting(&dc, &info);

    // Nothing to print: no metrics, no page count, and OnPrint draws nothing.
    grid.RemoveScrollingRows();
    CPrintInfo none;
    grid.OnBeginPrinting(&dc, &none);
    EXPECT_EQ(0xFFFFu, none.GetMaxPage());
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);
    grid.OnBeginPrinting(nullptr, &none);
    grid.OnPrint(&dc, &none);
    EXPECT_TRUE(grid.fixed.empty());
}

TEST_F(GridPrint, HeaderAndFooterTextsSitWhereTheyBelong) {
    std::vector<int> heights(100, 20);
    Build(heights);
    Sheets sheets;
    sheets.Attach(dc);
    CPrintInfo info;
    UINT printed = 0;
    ASSERT_EQ(GRID_PRINT_OK, RunGridPrintJob(grid, &dc, &info, "job", nullptr, &printed));
    const UINT pages = info.GetMaxPage();
    ASSERT_EQ(pages, printed);
    ASSERT_GE(pages, 3u) << "body " << grid.printBodyHeight;
    EXPECT_EQ(pages, (UINT)sheets.pages.size());

    // Metrics of the job, for the reference drawings below.
    const int cw = grid.endCharSize.cx, ch = grid.endCharSize.cy;
    const CSize ext = grid.endPageExtent;
    LOGFONTA bold = grid.endFont;
    bold.lfWeight = FW_BOLD;

    // The rules: under the header band and over the footer band, from margin to margin.
    const int x0 = SheetX(2 * cw) + 1, x1 = SheetX(ext.cx - 2 * cw) - 2;
    const int headerRule = SheetY(2 * ch), footerRule = SheetY(ext.cy - 2 * ch);
    bool header = false, footer = false;
    for (int d = -1; d <= 1; d++) {
        header = header || sheets.BlackRow(1, headerRule + d, x0, x1);
        footer = footer || sheets.BlackRow(1, footerRule + d, x0, x1);
    }
    EXPECT_TRUE(header) << "header rule at " << headerRule;
    EXPECT_TRUE(footer) << "footer rule at " << footerRule;

    // Drawn again alone on a blank sheet, the texts of page 2 must come out where they were.
    CPageImageDC ref;
    ASSERT_TRUE(ref.Create(kSheetW, kSheetH, kDpi, kMargin));
    Sheets refSheets;
    refSheets.Attach(ref);
    DOCINFOA doc = {sizeof doc, "ref", nullptr, nullptr, 0};
    ref.StartDoc(&doc);
    ref.StartPage();
    HFONT font = ::CreateFontIndirectA(&bold);
    HGDIOBJ old = ::SelectObject(ref.m_hDC, font);
    ::SetBkMode(ref.m_hDC, TRANSPARENT);
    ::SetMapMode(ref.m_hDC, MM_ANISOTROPIC);
    ::SetWindowExtEx(ref.m_hDC, ext.cx, ext.cy, nullptr);
    ::SetViewportExtEx(ref.m_hDC, grid.endPaperSize.cx, grid.endPaperSize.cy, nullptr);
    ::SetWindowOrgEx(ref.m_hDC, -2 * cw, 0, nullptr);
    RECT band = {0, 0, ext.cx - 4 * cw, 2 * ch};
    ::DrawTextA(ref.m_hDC, "grid test host", -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SetWindowOrgEx(ref.m_hDC, -2 * cw, 2 * ch - ext.cy, nullptr);
    RECT foot = {0, ch / 2, ext.cx - 4 * cw, 2 * ch + ch / 2};
    char text[32];
    std::snprintf(text, sizeof text, "Page 2 of %u", pages);
    ::DrawTextA(ref.m_hDC, text, -1, &foot, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    ::SelectObject(ref.m_hDC, old);
    ::DeleteObject(font);
    ref.EndPage();
    ref.EndDoc();
    ASSERT_EQ(1u, refSheets.pages.size());

    // The header band above its rule: the dialog's title centred, nothing at the right (the test
    // program has no title string).
    int differing = 0, inked = 0;
    for (int y = kMargin; y < headerRule - 1; y++)
        for (int x = 0; x < kSheetW; x++) {
            differing += sheets.At(1, x, y) != refSheets.At(0, x, y);
            inked += refSheets.At(0, x, y) != RGB(255, 255, 255);
        }
    EXPECT_EQ(0, differing) << "header band";
    EXPECT_GT(inked, 20);
    // The footer's left half below its rule: "Page 2 of N", ch / 2 below the rule.
    differing = inked = 0;
    for (int y = footerRule + 2; y < kSheetH - kMargin; y++)
        for (int x = 0; x < kSheetW / 2; x++) {
            differing += sheets.At(1, x, y) != refSheets.At(0, x, y);
            inked += refSheets.At(0, x, y) != RGB(255, 255, 255);
        }
    EXPECT_EQ(0, differing) << "footer text";
    EXPECT_GT(inked, 20);
    // The date and time at the right of the footer.
    EXPECT_FALSE(sheets.Blank(1, kSheetW / 2, footerRule + 2, kSheetW - kMargin, kSheetH - kMargin));
}

TEST_F(GridPrint, TheHostPrintsTheRangeAskedForAndRefusesWhatItCannot) {
    std::vector<int> heights(60, 20);
    Build(heights);
    Sheets sheets;
    sheets.Attach(dc);
    CPrintInfo info;
    info.m_pPD->m_pd.nFromPage = 2;
    info.m_pPD->m_pd.nToPage = 2;
    UINT printed = 0;
    ASSERT_EQ(GRID_PRINT_OK, RunGridPrintJob(grid, &dc, &info, "job", nullptr, &printed));
    EXPECT_EQ(1u, printed);
    EXPECT_EQ((std::vector<int>{}), grid.BodyRows(1)) << "page 1 not printed";
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject) << "the job ended";

    CPrintInfo beyond;
    beyond.m_pPD->m_pd.nFromPage = 40;
    EXPECT_EQ(GRID_PRINT_NO_PAGES, RunGridPrintJob(grid, &dc, &beyond, "job", nullptr, &printed));
    EXPECT_EQ(0u, printed);
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);

    // A sheet that cannot be stored fails the job, which is aborted and ended.
    dc.SetPageSink([](UINT, const BYTE*, int, int, int) { return FALSE; });
    CPrintInfo failing;
    EXPECT_EQ(GRID_PRINT_FAILED, RunGridPrintJob(grid, &dc, &failing, "job", nullptr, &printed));
    EXPECT_EQ(0u, printed);
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);
    DOCINFOA doc = {sizeof doc, "again", nullptr, nullptr, 0};
    EXPECT_GT(dc.StartDoc(&doc), 0) << "the failed document was aborted";
    dc.EndDoc();

    // A named printer that does not exist.
    GridPrintSettings settings;
    settings.printerName = "No Such Printer 14";
    EXPECT_EQ(GRID_PRINT_NO_PRINTER, PrintGridToPrinter(grid, settings, &printed));

    // No rows: nothing to print, nothing begun.
    grid.RemoveScrollingRows();
    CPrintInfo empty;
    EXPECT_EQ(GRID_PRINT_NO_ROWS, RunGridPrintJob(grid, &dc, &empty, "job", nullptr, &printed));
}

TEST(TracePrint, ASavedTraceIsPrintedThroughTheDebuggersGrid) {
    CTraceGridHost host;
    ASSERT_TRUE(host.Create());
    CGridMainWnd& grid = host.Grid();
    char title[64];
    ::GetWindowTextA(::GetParent(grid.m_hWnd), title, sizeof title);
    EXPECT_STREQ("Valkorine Debuger", title);
    EXPECT_FALSE(grid.titleTipsEnabled);
    EXPECT_EQ(3, grid.GetNumColumns());
    EXPECT_EQ("Result", grid.GetCellText(0, 2));

    std::vector<TraceRowText> rows(300);
    for (int i = 0; i < 300; i++) {
        rows[i].function.Format("F%d", i);
        rows[i].delay = "1";
        rows[i].detail = CString('d', 150);
    }
    host.AddRows(rows);
    ASSERT_EQ(301, grid.GetNumRows());
    EXPECT_EQ(CString('d', 100), grid.GetCellText(300, 2)) << "the first 100 characters, as Open File shows";
    EXPECT_EQ(20, grid.GetRowHeight(150));

    CPageImageDC dc;
    ASSERT_TRUE(dc.Create(1240, 1754, 150, 37)); // A4 at 150 dpi
    UINT sheets = 0;
    dc.SetPageSink([&](UINT, const BYTE*, int, int, int) { return ++sheets, TRUE; });
    CPrintInfo info;
    UINT printed = 0;
    ASSERT_EQ(GRID_PRINT_OK, RunGridPrintJob(grid, &dc, &info, "trace", nullptr, &printed));

    // The page count worked out apart from the grid: the body height over 20-pixel rows.
    LOGFONTA lf = {};
    lf.lfHeight = -9;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
    lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ old = ::SelectObject(dc.m_hDC, font);
    SIZE size;
    ::GetTextExtentPoint32A(dc.m_hDC, "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ", 52, &size);
    ::SelectObject(dc.m_hDC, old);
    ::DeleteObject(font);
    const int width = grid.GetTotalWidth() + 4 * (size.cx / 52);
    const int body = ::MulDiv(width, 1754 - 74, 1240 - 74) - 6 * size.cy - grid.GetFixedAreaHeight();
    const UINT perPage = (UINT)(body / 20);
    EXPECT_EQ((300 + perPage - 1) / perPage, info.GetMaxPage()) << "body " << body;
    EXPECT_EQ(info.GetMaxPage(), printed);
    EXPECT_EQ(printed, sheets);
}

TEST_F(GridPrint, FilePrintWithoutAPrinterSaysSoAndPrintsNothing) {
    DWORD needed = 0, count = 0;
    ::EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed != 0) GTEST_SKIP() << "this system has a printer; the print dialog would wait for a person";
    Build({20, 20});
    vktest::MessageBoxAnswerer answer(IDOK);
    EXPECT_EQ(GRID_PRINT_NO_PRINTER, PrintGridWithDialog(CWnd::FromHandle(host), grid, "job"));
    const vktest::FoundBox& box = answer.Wait();
    ASSERT_NE(nullptr, box.hWnd) << "the user is told";
    EXPECT_EQ("No printer is installed.", box.text);
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);

    // A grid with nothing to print says that instead, before any dialog.
    grid.RemoveScrollingRows();
    vktest::MessageBoxAnswerer again(IDOK);
    EXPECT_EQ(GRID_PRINT_NO_ROWS, PrintGridWithDialog(CWnd::FromHandle(host), grid, "job"));
    EXPECT_EQ("There are no rows to print.", again.Wait().text);
}
