// Printing on a page-image printer: the page rule (and a row taller than the body), the heading
// rows on every page, a page beyond the last, the header and footer texts and places read from
// the page images, the print host's range and failures, and a saved trace printed through the
// debugger's own grid.
#include "GridPrintJob.h"
#include "PageImageDC.h"
#include "TraceGridHost.h"
#include "grid_test_util.h"
#include "win_test_util.h"

#include <winspool.h>

#include <cstring>
#include <vector>

namespace {

const int kSheetW = 1000, kSheetH = 1400, kDpi = 120, kMargin = 30;
const char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";

// The grid with its print state readable and the cells it paints recorded, by page.
class PrintGrid : public gridtest::TestGrid {
public:
    using CGridMainWnd::FindPrintPageRow;
    using CGridMainWnd::printBodyHeight;
    using CGridMainWnd::printerFont;
    using TestGrid::TestGrid;

    UINT page = 0;
    std::vector<std::vector<int>> bodyRows = std::vector<std::vector<int>>(8), headingCells = bodyRows;
    CSize charSize, pageExtent, paperSize; // as they stood at the end of the last job
    LOGFONTA font = {};

    BOOL PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        if (pDC->IsPrinting()) headingCells[page].push_back(row * 10 + col);
        return CGridMainWnd::PaintFixedCell(pDC, row, col, rect, erase);
    }
    BOOL PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        if (pDC->IsPrinting() && col == 0) bodyRows[page].push_back(row);
        return CGridMainWnd::PaintScrollingCell(pDC, row, col, rect, erase);
    }
    void OnPrint(CDC* pDC, CPrintInfo* pInfo) override {
        page = pInfo->m_nCurPage;
        CGridMainWnd::OnPrint(pDC, pInfo);
    }
    void OnEndPrinting(CDC* pDC, CPrintInfo* pInfo) override {
        charSize = printCharSize, pageExtent = printPageExtent, paperSize = printPaperSize;
        printerFont.GetLogFont(&font);
        CGridMainWnd::OnEndPrinting(pDC, pInfo);
    }
};

// A page-image printer that keeps every sheet.
class Sheets : public CPageImageDC {
public:
    std::vector<std::vector<BYTE>> pages;
    Sheets() {
        Create(kSheetW, kSheetH, kDpi, kMargin);
        SetPageSink([this](UINT, const BYTE* bgr, int, int h, int s) {
            pages.emplace_back(bgr, bgr + (size_t)s * h);
            return TRUE;
        });
    }
    COLORREF At(size_t page, int x, int y) const {
        const BYTE* p = &pages[page][(size_t)y * Stride() + (size_t)x * 3];
        return RGB(p[2], p[1], p[0]);
    }
};

// The width and height of the printer font's characters on a fresh memory context (as a page
// image is), measured apart from the grid.
CSize CharSize() {
    HDC dc = ::CreateCompatibleDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -9;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_CHARACTER_PRECIS;
    lf.lfClipPrecision = CLIP_CHARACTER_PRECIS;
    std::strcpy(lf.lfFaceName, "Times New Roman");
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ old = ::SelectObject(dc, font);
    SIZE size;
    ::GetTextExtentPoint32A(dc, kAlphabet, 52, &size);
    ::SelectObject(dc, old);
    ::DeleteObject(font);
    ::DeleteDC(dc);
    return CSize(size.cx / 52, size.cy);
}

} // namespace

class GridPrint : public ::testing::Test {
protected:
    HWND host = nullptr;
    PrintGrid grid;
    Sheets sheets;

    // One heading row of 20 and body rows of the given heights; columns of 100, 150 and 300.
    void Build(const std::vector<int>& heights) {
        host = gridtest::CreateHostWindow();
        ASSERT_TRUE(grid.SubclassGrid(gridtest::CreateGridControl(host, 600, 400)));
        grid.SetNumColumns(3);
        grid.SetNumRows((int)heights.size() + 1);
        grid.SetNumFixedRows(1);
        for (int r = 0; r <= (int)heights.size(); r++)
            grid.SetRowHeight(r, r == 0 ? 20 : heights[r - 1]);
        for (int c = 0; c < 3; c++)
            grid.SetColumnWidth(c, 100 + 50 * c * c);
    }
    void TearDown() override {
        grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
    }
    // Begins a job whose body is 100 high and prints pages 1 to last.
    void PrintWithBodyOf100(UINT last) {
        CPrintInfo info;
        DOCINFOA doc = {sizeof doc, "t", nullptr, nullptr, 0};
        sheets.StartDoc(&doc);
        grid.OnBeginPrinting(&sheets, &info);
        grid.printBodyHeight = 100;
        for (info.m_nCurPage = 1; info.m_nCurPage <= last; info.m_nCurPage++) {
            sheets.StartPage();
            grid.OnPrint(&sheets, &info);
            sheets.EndPage();
        }
        grid.OnEndPrinting(&sheets, &info);
        sheets.EndDoc();
    }
    int SheetY(int y) const { return kMargin + ::MulDiv(y, grid.paperSize.cy, grid.pageExtent.cy); }
};

TEST_F(GridPrint, PageRuleHeadingRowsAndAPageBeyondTheLast) {
    Build({20, 20, 20, 20, 20, 20});
    UINT pages = 0;
    PrintWithBodyOf100(3);
    grid.FindPrintPageRow(1, &pages);
    EXPECT_EQ(2u, pages);
    EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), grid.bodyRows[1]) << "a sum of 100 is not more than 100";
    EXPECT_EQ((std::vector<int>{6}), grid.bodyRows[2]);
    EXPECT_TRUE(grid.bodyRows[3].empty()) << "no body on a page beyond the last";
    for (int p = 1; p <= 3; p++)
        EXPECT_EQ((std::vector<int>{0, 1, 2}), grid.headingCells[p]) << "page " << p;
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject) << "deleted at the end of the job";
    EXPECT_EQ(3u, sheets.pages.size());
}

TEST_F(GridPrint, ARowTallerThanTheBodyIsPrintedOnAPageOfItsOwn) {
    Build({150, 20, 20, 150, 150});
    PrintWithBodyOf100(5);
    UINT pages = 0;
    grid.FindPrintPageRow(1, &pages);
    EXPECT_EQ(4u, pages) << "no empty page before a tall first row";
    EXPECT_EQ((std::vector<int>{1}), grid.bodyRows[1]);
    EXPECT_EQ((std::vector<int>{2, 3}), grid.bodyRows[2]);
    EXPECT_EQ((std::vector<int>{4}), grid.bodyRows[3]);
    EXPECT_EQ((std::vector<int>{5}), grid.bodyRows[4]);
    EXPECT_TRUE(grid.bodyRows[5].empty());
    // Cut at the footer: the sheet is white between the body's end and the footer rule.
    const int bodyEnd = SheetY(3 * grid.charSize.cy + 20 + 100) + 2,
              footer = SheetY(grid.pageExtent.cy - 2 * grid.charSize.cy) - 2;
    ASSERT_LT(bodyEnd, footer);
    for (int y = bodyEnd; y < footer; y++)
        ASSERT_EQ(RGB(255, 255, 255), sheets.At(0, kSheetW / 2, y)) << y;
}

TEST_F(GridPrint, RowsOfNoHeightBeforeATallRowStayOnItsPage) {
    // The count and the body end a page by the same rule, so the tall row is printed once.
    Build({0, 0, 150, 20});
    PrintWithBodyOf100(2);
    EXPECT_EQ((std::vector<int>{1, 2, 3}), grid.bodyRows[1]);
    EXPECT_EQ((std::vector<int>{4}), grid.bodyRows[2]);
}

TEST_F(GridPrint, HeaderAndFooterTextsSitWhereTheyBelong) {
    Build(std::vector<int>(100, 20));
    CPrintInfo info;
    ASSERT_EQ(GRID_PRINT_OK, RunGridPrintJob(grid, &sheets, &info, "job", nullptr));
    const UINT pages = info.GetMaxPage();
    ASSERT_GE(pages, 3u);
    const int cw = grid.charSize.cx, ch = grid.charSize.cy;
    const CSize ext = grid.pageExtent;
    EXPECT_EQ(CSize(CharSize().cx, ch), grid.charSize) << "the 52nd part of the measured width";

    // The rules under the header and over the footer, from margin to margin.
    const int headerRule = SheetY(2 * ch), footerRule = SheetY(ext.cy - 2 * ch);
    int header = 0, footer = 0;
    for (int x = kMargin + 2 * cw * 2; x < kSheetW - kMargin - 2 * cw * 2; x++) {
        header += sheets.At(1, x, headerRule) == 0;
        footer += sheets.At(1, x, footerRule) == 0;
    }
    EXPECT_GT(header, kSheetW * 3 / 4);
    EXPECT_GT(footer, kSheetW * 3 / 4);

    // Drawn alone on a blank sheet, page 2's texts must come out exactly where they were: the
    // dialog's title centred (nothing at the right: this program has no title string) and
    // "Page 2 of N" ch / 2 below the footer rule.
    Sheets ref;
    DOCINFOA doc = {sizeof doc, "ref", nullptr, nullptr, 0};
    ref.StartDoc(&doc);
    ref.StartPage();
    LOGFONTA bold = grid.font;
    bold.lfWeight = FW_BOLD;
    HFONT font = ::CreateFontIndirectA(&bold);
    HGDIOBJ old = ::SelectObject(ref.m_hDC, font);
    ::SetBkMode(ref.m_hDC, TRANSPARENT);
    ::SetMapMode(ref.m_hDC, MM_ANISOTROPIC);
    ::SetWindowExtEx(ref.m_hDC, ext.cx, ext.cy, nullptr);
    ::SetViewportExtEx(ref.m_hDC, grid.paperSize.cx, grid.paperSize.cy, nullptr);
    ::SetWindowOrgEx(ref.m_hDC, -2 * cw, 0, nullptr);
    RECT band = {0, 0, ext.cx - 4 * cw, 2 * ch};
    ::DrawTextA(ref.m_hDC, "grid test host", -1, &band, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SetWindowOrgEx(ref.m_hDC, -2 * cw, 2 * ch - ext.cy, nullptr);
    RECT foot = {0, ch / 2, ext.cx - 4 * cw, 2 * ch + ch / 2};
    CString text;
    text.Format("Page 2 of %u", pages);
    ::DrawTextA(ref.m_hDC, text, -1, &foot, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
    ::SelectObject(ref.m_hDC, old);
    ::DeleteObject(font);
    ref.EndPage();
    ref.EndDoc();
    int differing = 0, inked = 0, dated = 0;
    for (int y = kMargin; y < kSheetH - kMargin; y++)
        for (int x = 0; x < kSheetW; x++) {
            bool footerRight = y > footerRule + 1 && x >= kSheetW / 2,
                 band = y < headerRule - 1 || y > footerRule + 1;
            if (band && !footerRight) differing += sheets.At(1, x, y) != ref.At(0, x, y);
            if (band && !footerRight) inked += ref.At(0, x, y) != RGB(255, 255, 255);
            if (footerRight) dated += sheets.At(1, x, y) != RGB(255, 255, 255);
        }
    EXPECT_EQ(0, differing);
    EXPECT_GT(inked, 100);
    EXPECT_GT(dated, 100) << "the date and time at the right of the footer";
}

TEST_F(GridPrint, TheHostFailsCleanly) {
    Build(std::vector<int>(100, 20));
    UINT printed = 0;
    CPrintInfo beyond;
    beyond.m_pPD->m_pd.nFromPage = 40;
    EXPECT_EQ(GRID_PRINT_NO_PAGES, RunGridPrintJob(grid, &sheets, &beyond, "job", nullptr, &printed));
    EXPECT_TRUE(sheets.pages.empty());
    // A sheet that cannot be stored fails the job, which is aborted and ended.
    sheets.SetPageSink([](UINT, const BYTE*, int, int, int) { return FALSE; });
    CPrintInfo failing;
    EXPECT_EQ(GRID_PRINT_FAILED, RunGridPrintJob(grid, &sheets, &failing, "job", nullptr, &printed));
    EXPECT_EQ(0u, printed);
    EXPECT_EQ(nullptr, grid.printerFont.m_hObject);
    DOCINFOA doc = {sizeof doc, "again", nullptr, nullptr, 0};
    EXPECT_GT(sheets.StartDoc(&doc), 0) << "the failed document was aborted";

    // File > Print... on a system without a printer: said before any dialog, nothing printed.
    DWORD needed = 0, count = 0;
    ::EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed != 0) GTEST_SKIP() << "this system has a printer; its print dialog would wait for a person";
    vktest::MessageBoxAnswerer answer(IDOK);
    EXPECT_EQ(GRID_PRINT_NO_PRINTER, PrintGridWithDialog(CWnd::FromHandle(host), grid, "job"));
    EXPECT_EQ("No printer is installed.", answer.Wait().text);
}

TEST(TracePrint, ASavedTraceIsPrintedThroughTheDebuggersGrid) {
    CTraceGridHost host;
    ASSERT_TRUE(host.Create());
    CGridMainWnd& grid = host.Grid();
    char title[64];
    ::GetWindowTextA(::GetParent(grid.m_hWnd), title, sizeof title);
    EXPECT_STREQ("Valkorine Debuger", title);
    EXPECT_EQ(nullptr, ::FindWindowA(nullptr, "Valkorine Debuger")) << "never taken for the debugger";
    EXPECT_FALSE(grid.titleTipsEnabled);
    EXPECT_EQ("Result", grid.GetCellText(0, 2));
    std::vector<TraceRowText> rows(300);
    for (TraceRowText& row : rows)
        row.detail = CString('d', 150);
    host.AddRows(rows);
    ASSERT_EQ(301, grid.GetNumRows());
    EXPECT_EQ(CString('d', 100), grid.GetCellText(300, 2)) << "the first 100 characters, as Open File shows";

    CPageImageDC dc;
    ASSERT_TRUE(dc.Create(1240, 1754, 150, 37)); // A4 at 150 dpi
    CPrintInfo info;
    UINT printed = 0;
    ASSERT_EQ(GRID_PRINT_OK, RunGridPrintJob(grid, &dc, &info, "trace", nullptr, &printed));
    // The page count worked out apart from the grid: the body height over 20-pixel rows.
    const CSize ch = CharSize();
    const int width = grid.GetTotalWidth() + 4 * ch.cx;
    const int body = ::MulDiv(width, 1754 - 74, 1240 - 74) - 6 * ch.cy - grid.GetFixedAreaHeight();
    const UINT perPage = (UINT)(body / 20);
    EXPECT_EQ((300 + perPage - 1) / perPage, info.GetMaxPage()) << "body " << body;
    EXPECT_EQ(info.GetMaxPage(), printed);
}
