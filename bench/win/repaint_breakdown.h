// Where the time of one full repaint of the grid goes: each stage of the paint timed on its own,
// and the GDI operations a cell's drawing is made of, each timed as often as one paint does it.
// Used by repaint_bench --breakdown.
//
// Stages (median milliseconds per paint):
//   - the off-screen buffer: memory DC, bitmap of the client's size (compatible with the screen,
//     as CBufferDC makes it, or a DIB section), the final BitBlt, clean-up; with nothing drawn,
//     and with its area filled once (the first writes to the bitmap's memory); the kept surface
//     a window's paints use, filled once; the fill and the final BitBlt alone;
//   - DrawGrid, and its background fill and frame, each drawn into a memory DC of the client's
//     size; the shown cells painted one by one outside a paint, where each makes its own objects
//     and saves and restores the whole context; the body's grid lines drawn with a MoveTo /
//     LineTo pair a line, and the same lines in one PolyPolyline call;
// Operations, each repeated once per body cell shown:
//   - reading the cell (GetCellDesc, GetCellBounds, GetCellFont);
//   - SaveDC / RestoreDC;
//   - a solid brush made, FillRect, deleted; and FillRect with one brush made once;
//   - a font made from the cell's LOGFONT, selected, deselected, deleted; one font made once,
//     selected and deselected; and that font selected again while it is selected;
//   - setting and reading the cheap attributes (background mode, text and background colour);
//   - DrawTextA of the cell's text with one font selected throughout, and the calls it is
//     made of (text metrics, the text's extent, ExtTextOutA).
#pragma once

#include "BufferDC.h"
#include "GridMainWnd.h"
#include "bench_util.h"

#include <cstdio>
#include <vector>

namespace bench {

// A memory DC with a screen-compatible bitmap of the grid's client size, in a CDC.
class Canvas {
public:
    explicit Canvas(HWND wnd) : wnd_(wnd) {
        ::GetClientRect(wnd, &client);
        screen_ = ::GetDC(wnd);
        mem_ = ::CreateCompatibleDC(screen_);
        bmp_ = ::CreateCompatibleBitmap(screen_, client.right, client.bottom);
        old_ = ::SelectObject(mem_, bmp_);
        dc.m_hDC = dc.m_hAttribDC = mem_;
    }
    ~Canvas() {
        dc.m_hDC = dc.m_hAttribDC = nullptr;
        ::SelectObject(mem_, old_);
        ::DeleteObject(bmp_);
        ::DeleteDC(mem_);
        ::ReleaseDC(wnd_, screen_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    HDC Screen() const { return screen_; }

    CDC dc;
    RECT client;

private:
    HWND wnd_;
    HDC screen_, mem_;
    HBITMAP bmp_;
    HGDIOBJ old_;
};

struct ShownCell {
    int row, col;
    CRect rect;
};

// The cells DrawGrid draws in a full paint, fixed ones and body ones, in its order.
inline void CollectShownCells(CGridMainWnd& grid, std::vector<ShownCell>& fixed,
                              std::vector<ShownCell>& body) {
    CCellPos first = grid.GetFirstScrolledCell();
    CCellSpan span = grid.GetShownCellSpan();
    int fr = grid.GetNumFixedRows(), fc = grid.GetNumFixedColumns();
    auto collect = [&](std::vector<ShownCell>& out, int r0, int r1, int c0, int c1) {
        for (int r = r0; r <= r1; r++)
            for (int c = c0; c <= c1; c++) {
                CRect rect;
                if (grid.GetCellBounds(r, c, &rect)) out.push_back({r, c, rect});
            }
    };
    collect(fixed, 0, fr - 1, 0, fc - 1);
    collect(fixed, first.row, span.maxRow, 0, fc - 1);
    collect(fixed, 0, fr - 1, first.col, span.maxCol);
    collect(body, first.row, span.maxRow, first.col, span.maxCol);
}

inline void PrintBreakdown(CGridMainWnd& grid, int repaints) {
    std::vector<ShownCell> fixed, body;
    CollectShownCells(grid, fixed, body);
    Canvas canvas(grid.m_hWnd);
    CDC* dc = &canvas.dc;
    const int w = canvas.client.right, h = canvas.client.bottom;
    const int n = (int)body.size();

    std::printf("  where a full repaint's time goes (%d fixed and %d body cells; ms per paint):\n",
                (int)fixed.size(), n);
    auto row = [](const char* what, double ms) { std::printf("    %-62s %7.3f\n", what, ms); };

    // The buffer.
    CDC screen;
    screen.m_hDC = screen.m_hAttribDC = canvas.Screen();
    row("buffer: CBufferDC with nothing drawn (compatible bitmap, blit)",
        MedianMs(repaints, [&] { CBufferDC buffer(&screen); }));
    HBRUSH white = (HBRUSH)::GetStockObject(WHITE_BRUSH);
    RECT all = {0, 0, w, h};
    row("buffer: CBufferDC, its whole area filled once (fresh memory written)", MedianMs(repaints, [&] {
            CBufferDC buffer(&screen);
            ::FillRect(buffer.m_hDC, &all, white);
        }));
    CPaintSurface surface;
    row("buffer: CBufferDC on the window's kept surface, filled once (as a paint)", MedianMs(repaints, [&] {
            CBufferDC buffer(&screen, &surface, CRect(all));
            ::FillRect(buffer.m_hDC, &all, white);
        }));
    row("buffer: that fill alone, into a bitmap kept for the benchmark",
        MedianMs(repaints, [&] { ::FillRect(dc->m_hDC, &all, white); }));
    // The same buffer with a DIB section of 32 bits a pixel instead of a compatible bitmap.
    auto dibBuffer = [&](bool fill) {
        HDC mem = ::CreateCompatibleDC(screen.m_hDC);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        HBITMAP bmp = ::CreateDIBSection(screen.m_hDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = ::SelectObject(mem, bmp);
        if (fill) ::FillRect(mem, &all, white);
        ::BitBlt(screen.m_hDC, 0, 0, w, h, mem, 0, 0, SRCCOPY);
        ::SelectObject(mem, old);
        ::DeleteObject(bmp);
        ::DeleteDC(mem);
    };
    row("buffer: a 32-bit DIB section instead, nothing drawn", MedianMs(repaints, [&] { dibBuffer(false); }));
    row("buffer: a 32-bit DIB section instead, filled once", MedianMs(repaints, [&] { dibBuffer(true); }));
    row("buffer: the final BitBlt alone",
        MedianMs(repaints, [&] { ::BitBlt(screen.m_hDC, 0, 0, w, h, dc->m_hDC, 0, 0, SRCCOPY); }));
    screen.m_hDC = screen.m_hAttribDC = nullptr;

    // The stages of DrawGrid.
    row("DrawGrid: all of it", MedianMs(repaints, [&] { grid.DrawGrid(dc); }));
    row("DrawGrid: background fill", MedianMs(repaints, [&] { grid.FillGridBackground(dc); }));
    row("cells one by one, own objects each (as outside a paint): fixed", MedianMs(repaints, [&] {
            for (const ShownCell& c : fixed)
                grid.PaintFixedCell(dc, c.row, c.col, c.rect, FALSE);
        }));
    row("cells one by one, own objects each (as outside a paint): body", MedianMs(repaints, [&] {
            for (const ShownCell& c : body)
                grid.PaintScrollingCell(dc, c.row, c.col, c.rect, FALSE);
        }));
    row("grid lines, four a body cell, each a MoveTo / LineTo pair", MedianMs(repaints, [&] {
            CPen pen(PS_SOLID, 0, grid.gridLineColor);
            HGDIOBJ old = dc->SelectObject(&pen);
            for (const ShownCell& c : body) {
                CRect r;
                grid.GetCellBounds(c.row, c.col, &r);
                dc->MoveTo(r.right, r.top);
                dc->LineTo(r.right, r.bottom + 1);
                dc->MoveTo(r.left - 1, r.top);
                dc->LineTo(r.left - 1, r.bottom + 1);
                dc->MoveTo(r.left, r.top - 1);
                dc->LineTo(r.right, r.top - 1);
                dc->MoveTo(r.left, r.bottom);
                dc->LineTo(r.right, r.bottom);
            }
            dc->SelectObject(old);
        }));
    row("grid lines, the same segments in one PolyPolyline call", MedianMs(repaints, [&] {
            CPen pen(PS_SOLID, 0, grid.gridLineColor);
            HGDIOBJ old = dc->SelectObject(&pen);
            std::vector<POINT> points;
            for (const ShownCell& c : body) {
                CRect r;
                grid.GetCellBounds(c.row, c.col, &r);
                points.insert(points.end(), {{r.right, r.top},
                                             {r.right, r.bottom + 1},
                                             {r.left - 1, r.top},
                                             {r.left - 1, r.bottom + 1},
                                             {r.left, r.top - 1},
                                             {r.right, r.top - 1},
                                             {r.left, r.bottom},
                                             {r.right, r.bottom}});
            }
            std::vector<DWORD> counts(points.size() / 2, 2);
            ::PolyPolyline(dc->m_hDC, points.data(), counts.data(), (DWORD)counts.size());
            dc->SelectObject(old);
        }));
    row("DrawGrid: frame", MedianMs(repaints, [&] { grid.DrawGridFrame(dc); }));

    // What a body cell's drawing is made of, as often as one paint does it.
    row("per body cell: GetCellDesc, GetCellBounds, GetCellFont", MedianMs(repaints, [&] {
            for (const ShownCell& c : body) {
                GridItemDesc desc;
                desc.row = c.row;
                desc.col = c.col;
                desc.mask = DESC_TEXT | DESC_IMAGE | DESC_STATE | DESC_BKCOLOR | DESC_TEXTCOLOR | DESC_FORMAT;
                grid.GetCellDesc(&desc);
                CRect r;
                grid.GetCellBounds(c.row, c.col, &r);
                grid.GetCellFont(c.row, c.col);
            }
        }));
    row("per body cell: SaveDC, RestoreDC", MedianMs(repaints, [&] {
            for (int i = 0; i < n; i++)
                dc->RestoreDC(dc->SaveDC());
        }));

    row("per body cell: brush made, FillRect, deleted", MedianMs(repaints, [&] {
            for (const ShownCell& c : body) {
                CBrush brush(grid.cellBkColor);
                CRect fill(c.rect.left, c.rect.top, c.rect.right + 1, c.rect.bottom + 1);
                ::FillRect(dc->m_hDC, &fill, brush);
            }
        }));
    row("per body cell: font made, selected, deselected, deleted", MedianMs(repaints, [&] {
            for (const ShownCell& c : body) {
                CFont font;
                font.CreateFontIndirect(grid.GetCellFont(c.row, c.col));
                HGDIOBJ old = dc->SelectObject(&font);
                dc->SelectObject(old);
            }
        }));
    {
        CFont shared;
        shared.CreateFontIndirect(grid.GetCellFont(body.empty() ? 0 : body[0].row, 0));
        row("per body cell: one shared font selected, deselected", MedianMs(repaints, [&] {
                for (int i = 0; i < n; i++) {
                    HGDIOBJ old = dc->SelectObject(&shared);
                    dc->SelectObject(old);
                }
            }));
        HGDIOBJ old = dc->SelectObject(&shared);
        row("per body cell: the shared font selected again while selected", MedianMs(repaints, [&] {
                for (int i = 0; i < n; i++)
                    dc->SelectObject(&shared);
            }));
        {
            CBrush b1(grid.cellBkColor);
            row("per body cell: FillRect with one shared brush", MedianMs(repaints, [&] {
                    for (const ShownCell& c : body) {
                        CRect fill(c.rect.left, c.rect.top, c.rect.right + 1, c.rect.bottom + 1);
                        ::FillRect(dc->m_hDC, &fill, b1);
                    }
                }));
            row("per body cell: SetBkMode, SetTextColor, GetBkColor", MedianMs(repaints, [&] {
                    for (int i = 0; i < n; i++) {
                        dc->SetBkMode(TRANSPARENT);
                        dc->SetTextColor(RGB(0, 0, 0));
                        ::GetBkColor(dc->m_hDC);
                    }
                }));
        }
        int oldMode = dc->SetBkMode(TRANSPARENT);
        row("per body cell: DrawTextA of its text (font selected once)", MedianMs(repaints, [&] {
                for (const ShownCell& c : body) {
                    CString text = grid.GetCellText(c.row, c.col);
                    CRect r = c.rect;
                    r.left += 5;
                    ::DrawTextA(dc->m_hDC, text, -1, &r, grid.GetCellFormat(c.row, c.col));
                }
            }));
        row("per body cell: part of DrawTextA: GetTextExtentPoint32A", MedianMs(repaints, [&] {
                for (const ShownCell& c : body) {
                    CString text = grid.GetCellText(c.row, c.col);
                    SIZE sz;
                    ::GetTextExtentPoint32A(dc->m_hDC, text, text.GetLength(), &sz);
                }
            }));
        row("per body cell: part of DrawTextA: ExtTextOutA, clipped", MedianMs(repaints, [&] {
                for (const ShownCell& c : body) {
                    CString text = grid.GetCellText(c.row, c.col);
                    CRect r = c.rect;
                    ::ExtTextOutA(dc->m_hDC, r.left + 5, r.top + 2, ETO_CLIPPED, &r, text, text.GetLength(),
                                  nullptr);
                }
            }));
        row("per body cell: part of DrawTextA: GetTextMetrics", MedianMs(repaints, [&] {
                for (int i = 0; i < n; i++) {
                    TEXTMETRICA tm;
                    ::GetTextMetricsA(dc->m_hDC, &tm);
                }
            }));
        dc->SetBkMode(oldMode);
        dc->SelectObject(old);
    }
}

} // namespace bench
