// The selection on a long trace, in process on a real window: a click, Ctrl+A, Shift+Ctrl+End and
// Shift+Ctrl+Home, a Shift+click far away and a drag that auto-scrolls, each sent as the real
// messages and timed until the grid has handled them (and painted); then Ctrl+C of every row: the
// text alone (BuildClipboardSource, with its rate in MB/s) and the whole copy to the clipboard.
// The private memory after each shows what the selection holds.
//
//   scripts/wine-run build/win64/bin/selection_bench.exe [--rows 10000000]
#include "GridMainWnd.h"
#include "TraceGrid.h"
#include "afxole.h"
#include "bench_rows.h"
#include "bench_util.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace bench;

// Holds Ctrl and Shift in this thread's keyboard state (what the grid reads) while it lives.
struct Held {
    BYTE saved[256];
    Held(bool ctrl, bool shift) {
        ::GetKeyboardState(saved);
        BYTE state[256];
        std::memcpy(state, saved, sizeof state);
        state[VK_CONTROL] = ctrl ? 0x80 : 0;
        state[VK_SHIFT] = shift ? 0x80 : 0;
        ::SetKeyboardState(state);
    }
    ~Held() { ::SetKeyboardState(saved); }
};

double MB(SIZE_T bytes) {
    return (double)bytes / 1048576.0;
}

void Report(const char* action, double seconds, CGridMainWnd& grid) {
    Pump();
    CCellSpan s = grid.GetSelectionBounds();
    std::printf("%-34s %9.1f ms   selection rows %d..%d   private %8.1f MB\n", action, seconds * 1e3,
                s.minRow, s.maxRow, MB(PrivateBytes()));
    std::fflush(stdout);
}

template <class F> void Time(const char* action, CGridMainWnd& grid, F f) {
    double t0 = Now();
    f();
    Pump();
    Report(action, Now() - t0, grid);
}

} // namespace

int main(int argc, char** argv) {
    if (bench::HelpAsked(
            argc, argv,
            "usage: selection_bench.exe [--rows N]\n"
            "Times the selection's actions and Ctrl+C on a grid of N trace rows (default 10,000,000).\n"))
        return 0;
    long rows = 10000000;
    for (int i = 1; i + 1 < argc; i++)
        if (std::strcmp(argv[i], "--rows") == 0) rows = std::strtol(argv[i + 1], nullptr, 10);

    HWND host = CreateTopLevel("VkSelectionBenchHost", ::DefWindowProcA, "selection bench",
                               WS_OVERLAPPEDWINDOW, 800, 600);
    CGridMainWnd grid(0, 0, 0, 0);
    if (!bench::CreateTraceGrid(grid, host, WS_EX_CLIENTEDGE, 4, 4, 780, 380)) return 1;
    bench::Progress("appending %ld rows", rows);
    grid.EnableDrawing(FALSE);
    for (long i = 0; i < rows; i++)
        AppendTraceRow(grid, i);
    grid.EnableDrawing(TRUE);
    grid.RefreshLayout();
    Pump();
    std::printf("%ld rows, private %.1f MB\n", rows, MB(PrivateBytes()));

    auto send = [&](UINT message, WPARAM wParam, int x, int y) {
        ::SendMessageA(grid.m_hWnd, message, wParam, MAKELPARAM(x, y));
    };
    auto key = [&](UINT vk, bool ctrl, bool shift) {
        Held held(ctrl, shift);
        ::SendMessageA(grid.m_hWnd, WM_KEYDOWN, vk, 1);
    };
    CRect client;
    grid.GetClientRect(&client);
    const int y1 = grid.GetRowHeight(0) + 3; // inside row 1
    Time("click on row 1", grid, [&] {
        send(WM_LBUTTONDOWN, MK_LBUTTON, 60, y1);
        send(WM_LBUTTONUP, 0, 60, y1);
    });
    Time("Ctrl+A", grid, [&] { key('A', true, false); });
    Time("Shift+Ctrl+End", grid, [&] { key(VK_END, true, true); });
    Time("Shift+Ctrl+Home", grid, [&] { key(VK_HOME, true, true); });
    Time("Ctrl+End, then Shift+click at the top", grid, [&] {
        key(VK_END, true, false);
        ::SendMessageA(grid.m_hWnd, WM_VSCROLL, SB_TOP, 0);
        send(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 60, y1);
        send(WM_LBUTTONUP, MK_SHIFT, 60, y1);
    });
    Time("drag below the grid, 40 timer ticks", grid, [&] {
        // From row 2: row 1 has the focus, and a press there would open its editor instead.
        send(WM_LBUTTONDOWN, MK_LBUTTON, 60, y1 + grid.GetRowHeight(1));
        POINT below = {60, client.bottom + 20};
        ::ClientToScreen(grid.m_hWnd, &below);
        ::SetCursorPos(below.x, below.y);
        for (int tick = 0; tick < 40; tick++)
            ::SendMessageA(grid.m_hWnd, WM_TIMER, 513, 0);
        send(WM_LBUTTONUP, 0, 60, client.bottom + 20);
    });

    key('A', true, false);
    Pump();
    double t0 = Now();
    COleDataSource* source = grid.BuildClipboardSource();
    double built = Now() - t0;
    SIZE_T bytes = 0;
    if (source != nullptr) {
        // The text's size, from the data object (which hands out a copy of the block).
        LPDATAOBJECT data = source->GetDataObject(TRUE);
        FORMATETC format = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        STGMEDIUM medium = {};
        if (SUCCEEDED(data->GetData(&format, &medium))) {
            bytes = ::GlobalSize(medium.hGlobal);
            ::ReleaseStgMedium(&medium);
        }
        data->Release();
        source->InternalRelease();
    }
    std::printf("Ctrl+C text of every row           %9.1f ms   %.1f MB, %.0f MB/s\n", built * 1e3, MB(bytes),
                MB(bytes) / built);
    Time("Ctrl+C (text and clipboard)", grid, [&] { key('C', true, false); });
    std::printf("  copy %s\n",
                grid.LastCopyFailed() ? "failed (the grid tells its owner)" : "went to the clipboard");
    return 0;
}
