#include "TraceGridHost.h"
#include "TraceGrid.h"

namespace {
const char kHostClass[] = "VkTraceGridHost";
// The debugger dialog's caption: the printed pages carry it in their header.
const char kDialogCaption[] = "Valkorine Debuger";
const int kGridId = 4048;
} // namespace

CTraceGridHost::~CTraceGridHost() {
    m_grid.DestroyWindow();
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

CSize CTraceGridHost::DialogUnits(int x, int y) {
    // Dialog units of the dialog's font, as the dialog manager computes them: the average width
    // of the 52 letters, rounded, and the font's height.
    HDC screen = ::GetDC(nullptr);
    LOGFONTA lf = {};
    lf.lfHeight = -::MulDiv(9, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpyA(lf.lfFaceName, "굴림");
    HFONT font = ::CreateFontIndirectA(&lf);
    HGDIOBJ old = ::SelectObject(screen, font);
    SIZE extent = {};
    ::GetTextExtentPoint32A(screen, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &extent);
    TEXTMETRICA tm = {};
    ::GetTextMetricsA(screen, &tm);
    ::SelectObject(screen, old);
    ::DeleteObject(font);
    ::ReleaseDC(nullptr, screen);
    const int baseX = (extent.cx / 26 + 1) / 2, baseY = tm.tmHeight;
    return CSize(::MulDiv(x, baseX, 4), ::MulDiv(y, baseY, 8));
}

BOOL CTraceGridHost::Create() {
    WNDCLASSA wc = {};
    HINSTANCE hInst = AfxGetInstanceHandle();
    if (!::GetClassInfoA(hInst, kHostClass, &wc)) {
        wc.lpfnWndProc = ::DefWindowProcA;
        wc.hInstance = hInst;
        wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_3DFACE + 1);
        wc.lpszClassName = kHostClass;
        if (!AfxRegisterClass(&wc)) return FALSE;
    }
    // The dialog's client area and its grid control as the template places it.
    const CSize client = DialogUnits(402, 291);
    const CSize origin = DialogUnits(4, 4), control = DialogUnits(394, 166);
    // An untitled message-only window holds a child that stands for the dialog and carries its
    // caption (the printed pages show it): no search for the debugger's window by its caption,
    // which looks at top-level windows, ever finds it.
    m_hWnd = ::CreateWindowExA(0, kHostClass, "", 0, 0, 0, client.cx, client.cy, HWND_MESSAGE, nullptr, hInst,
                               nullptr);
    if (m_hWnd == nullptr) return FALSE;
    HWND dialog = ::CreateWindowExA(0, kHostClass, kDialogCaption, WS_CHILD | WS_VISIBLE, 0, 0, client.cx,
                                    client.cy, m_hWnd, nullptr, hInst, nullptr);
    if (dialog == nullptr) return FALSE;
    HWND hGrid =
        ::CreateWindowExA(0, GRID_CLASSNAME, "Custom1", WS_CHILD | WS_VISIBLE | WS_TABSTOP, origin.cx,
                          origin.cy, control.cx, control.cy, dialog, (HMENU)(INT_PTR)kGridId, hInst, nullptr);
    if (hGrid == nullptr || !m_grid.SubclassGrid(hGrid)) return FALSE;
    if (!SetupTraceGrid(m_grid)) return FALSE;
    // Then the dialog's first layout: 4-pixel margins, the grid in the upper two thirds.
    m_grid.MoveWindow(4, 4, client.cx - 8, (2 * client.cy) / 3 - 8, TRUE);
    return TRUE;
}

void CTraceGridHost::AddRows(std::vector<TraceRowText>& rows) {
    // As Open File loads: the scroll ranges are set once, at the end.
    m_grid.SuspendScrollBarUpdates(TRUE);
    try {
        CGridRowLook look;
        for (TraceRowText& text : rows) {
            AppendTraceFileRow(m_grid, text, nullptr, nullptr, &look);
            TraceRowText spent(std::move(text));
        }
    } catch (...) {
        m_grid.SuspendScrollBarUpdates(FALSE);
        throw;
    }
    m_grid.SuspendScrollBarUpdates(FALSE);
    m_grid.UpdateScrollBars();
}
