// Helpers for the grid's painting tests: a 32-bit memory canvas whose pixels can be read back, a
// copy of a window's client pixels, a grid that records every cell it paints, and a fixture with
// a laid-out grid of known sizes and colours.
#pragma once

#include "grid_test_util.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace painttest {

// A width x height, 32 bits per pixel, top-down DIB selected into a memory DC. The DC and the
// bitmap are made with plain Win32 calls, so they do not move the framework's GDI counters.
class Canvas {
public:
    Canvas(int width, int height, COLORREF fill = RGB(255, 0, 255)) : w(width), h(height) {
        BITMAPINFO bmi;
        std::memset(&bmi, 0, sizeof bmi);
        bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        bmi.bmiHeader.biWidth = width;
        bmi.bmiHeader.biHeight = -height;
        bmi.bmiHeader.biPlanes = 1;
        bmi.bmiHeader.biBitCount = 32;
        bmi.bmiHeader.biCompression = BI_RGB;
        hdc = ::CreateCompatibleDC(nullptr);
        bitmap = ::CreateDIBSection(hdc, &bmi, DIB_RGB_COLORS, (void**)&bits, nullptr, 0);
        oldBitmap = ::SelectObject(hdc, bitmap);
        dc.m_hDC = dc.m_hAttribDC = hdc;
        Fill(fill);
    }
    ~Canvas() {
        dc.m_hDC = dc.m_hAttribDC = nullptr;
        ::SelectObject(hdc, oldBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(hdc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Fill(COLORREF c) {
        ::GdiFlush();
        for (int i = 0; i < w * h; i++)
            bits[i] = ToPixel(c);
    }
    COLORREF At(int x, int y) const {
        ::GdiFlush();
        DWORD p = bits[(size_t)y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    // Pixels in COLORREF form, row by row.
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> v((size_t)w * h);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                v[(size_t)y * w + x] = At(x, y);
        return v;
    }
    // Restricts drawing to r (device coordinates).
    void Clip(const RECT& r) {
        HRGN rgn = ::CreateRectRgnIndirect(&r);
        ::SelectClipRgn(hdc, rgn);
        ::DeleteObject(rgn);
    }
    void Unclip() { ::SelectClipRgn(hdc, nullptr); }

    // Leftmost and rightmost x in [x0, x1) x [y0, y1) whose colour differs from `back`; -1 if none.
    int LeftmostInk(int x0, int y0, int x1, int y1, COLORREF back) const {
        for (int x = x0; x < x1; x++)
            for (int y = y0; y < y1; y++)
                if (At(x, y) != back) return x;
        return -1;
    }
    int RightmostInk(int x0, int y0, int x1, int y1, COLORREF back) const {
        for (int x = x1 - 1; x >= x0; x--)
            for (int y = y0; y < y1; y++)
                if (At(x, y) != back) return x;
        return -1;
    }

    int w, h;
    HDC hdc = nullptr;
    CDC dc; // wraps hdc; not owned

private:
    static DWORD ToPixel(COLORREF c) {
        return ((DWORD)GetRValue(c) << 16) | ((DWORD)GetGValue(c) << 8) | GetBValue(c);
    }
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    DWORD* bits = nullptr;
};

// Copies the client area of a window, as it is on screen now, into a new canvas.
inline void CaptureClient(HWND hWnd, Canvas& into) {
    HDC window = ::GetDC(hWnd);
    ::BitBlt(into.hdc, 0, 0, into.w, into.h, window, 0, 0, SRCCOPY);
    ::ReleaseDC(hWnd, window);
    ::GdiFlush();
}

// Paints a colour straight onto the window (no invalidation), so that what a later drawing does
// not touch can be told apart.
inline void SmearClient(HWND hWnd, COLORREF c) {
    RECT rc;
    ::GetClientRect(hWnd, &rc);
    HDC window = ::GetDC(hWnd);
    HBRUSH brush = ::CreateSolidBrush(c);
    ::FillRect(window, &rc, brush);
    ::DeleteObject(brush);
    ::ReleaseDC(hWnd, window);
}

struct PaintCall {
    int row;
    int col;
    bool fixed;
    CRect rect;
};

// "r,c" for a fixed cell, "r,c*" for a scrolling one, joined by spaces.
inline std::string Describe(const std::vector<PaintCall>& calls) {
    std::string s;
    for (const PaintCall& c : calls) {
        if (!s.empty()) s += ' ';
        s += std::to_string(c.row) + "," + std::to_string(c.col) + (c.fixed ? "" : "*");
    }
    return s;
}

// A grid that records the cells its painters are asked to draw.
class RecordingGrid : public gridtest::TestGrid {
public:
    using CGridMainWnd::fixedColumnCount;
    using CGridMainWnd::fixedRowCount;
    using CGridMainWnd::PaintCellRange;
    using gridtest::TestGrid::TestGrid;

    BOOL PaintFixedCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        if (recording) calls.push_back({row, col, true, rect});
        return CGridMainWnd::PaintFixedCell(pDC, row, col, rect, erase);
    }
    BOOL PaintScrollingCell(CDC* pDC, int row, int col, CRect rect, BOOL erase) override {
        if (recording) calls.push_back({row, col, false, rect});
        return CGridMainWnd::PaintScrollingCell(pDC, row, col, rect, erase);
    }

    // What the context handed to DrawGrid looks like: its bitmap's size and depth, its window
    // origin and its clip box.
    void DrawGrid(CDC* pDC) override {
        drawnContexts++;
        BITMAP bm;
        std::memset(&bm, 0, sizeof bm);
        ::GetObjectA(::GetCurrentObject(pDC->m_hDC, OBJ_BITMAP), sizeof bm, &bm);
        lastBitmap = bm;
        ::GetWindowOrgEx(pDC->m_hDC, &lastOrigin);
        ::GetClipBox(pDC->m_hDC, &lastClip);
        lastObjectType = ::GetObjectType(pDC->m_hDC);
        CGridMainWnd::DrawGrid(pDC);
        if (litter) { // leaves the context changed, as a careless override might
            ::SetTextColor(pDC->m_hDC, RGB(255, 0, 0));
            ::SetBkMode(pDC->m_hDC, OPAQUE);
            ::SetTextAlign(pDC->m_hDC, TA_UPDATECP);
            ::SelectObject(pDC->m_hDC, ::GetStockObject(SYSTEM_FONT));
            ::SelectObject(pDC->m_hDC, ::GetStockObject(BLACK_BRUSH));
            ::SetWindowOrgEx(pDC->m_hDC, 3, 3, nullptr);
            ::IntersectClipRect(pDC->m_hDC, 0, 0, 2, 2);
        }
    }

    bool recording = false;
    std::vector<PaintCall> calls;
    int drawnContexts = 0;
    bool litter = false;
    BITMAP lastBitmap{};
    POINT lastOrigin{};
    RECT lastClip{};
    DWORD lastObjectType = 0;
};

// Colours chosen so that every part of the picture can be told apart.
const COLORREF kFixedBk = RGB(200, 100, 50);
const COLORREF kCellBk = RGB(250, 250, 250);
const COLORREF kGridBk = RGB(40, 160, 40);
const COLORREF kLine = RGB(0, 0, 200);
const COLORREF kFrame = RGB(27, 20, 100);
const COLORREF kSelection = RGB(255, 248, 231);

// A host window holding one borderless grid control of the given client size, attached to a
// recording grid.
class PaintTest : public ::testing::Test {
protected:
    HWND host = nullptr;
    RecordingGrid grid;

    void Attach(int width, int height) {
        host = gridtest::CreateHostWindow();
        ASSERT_NE(nullptr, host);
        HWND control = gridtest::CreateGridControl(host, width, height);
        ASSERT_NE(nullptr, control);
        ASSERT_TRUE(grid.SubclassGrid(control));
        // The hover timer plays no part here.
        ::KillTimer(grid.m_hWnd, GRID_HOVER_TIMER_ID);
        gridtest::NotifyLog().clear();
    }

    // rows x cols cells of colWidth x rowHeight pixels, with the given fixed rows and columns,
    // every cell using the grid's colours and the text "r,c".
    void Layout(int rows, int cols, int fixedRows, int fixedCols, int colWidth = 60, int rowHeight = 20) {
        grid.SetNumRows(rows);
        grid.SetNumColumns(cols);
        grid.SetNumFixedRows(fixedRows);
        grid.SetNumFixedColumns(fixedCols);
        for (int c = 0; c < cols; c++)
            grid.SetColumnWidth(c, colWidth);
        for (int r = 0; r < rows; r++)
            grid.SetRowHeight(r, rowHeight);
        for (int r = 0; r < rows; r++) {
            for (int c = 0; c < cols; c++) {
                GridItemDesc d;
                d.row = r;
                d.col = c;
                d.mask = DESC_TEXT | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
                d.text.Format("%d,%d", r, c);
                d.bkColor = CELL_DEFAULT_COLOR;
                d.textColor = CELL_DEFAULT_COLOR;
                d.format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
                grid.SetCellDesc(&d);
            }
        }
        grid.fixedBkColor = kFixedBk;
        grid.cellBkColor = kCellBk;
        grid.gridBkColor = kGridBk;
        grid.gridLineColor = kLine;
        grid.UpdateScrollBars();
    }

    void TearDown() override {
        grid.DestroyWindow();
        if (host != nullptr) ::DestroyWindow(host);
        gridtest::HostHook() = nullptr;
    }

    CRect Bounds(int row, int col) const {
        CRect r;
        EXPECT_TRUE(grid.GetCellBounds(row, col, &r));
        return r;
    }
    CRect Client() const {
        CRect rc;
        ::GetClientRect(grid.m_hWnd, &rc);
        return rc;
    }
    void Redraw() { ::RedrawWindow(grid.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
};

// A font that every machine running the tests has.
inline LOGFONTA TestFont(int height = -16) {
    LOGFONTA lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = height;
    lf.lfWeight = FW_BOLD;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = NONANTIALIASED_QUALITY;
    std::strcpy(lf.lfFaceName, "Tahoma");
    return lf;
}

} // namespace painttest
