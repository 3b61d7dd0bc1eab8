// The baselines of the ingestion benchmark: windows that take WM_COPYDATA records and do no more
// than a receiver must (or, for the list view, what a stock control costs).
//   bare_receiver             a bare window of its own class, captioned "VK bare receiver": it
//                             copies the payload, as any receiver must, and says TRUE
//   bare_receiver --dialog    a dialog-class window captioned "Valkorine Debuger", the window the
//                             engine client looks for (the same procedure answers)
//   bare_receiver --listview  "VK list receiver": a report-mode list view filled as the debugger
//                             fills its grid, one item per record with the name, the delay and
//                             the first 100 bytes of the detail, each made visible as it arrives
#include "afx.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

static HWND g_list;
static DWORD g_lastTick;

static void AddListItem(const std::string& payload) {
    size_t bar = payload.find('|');
    std::string name = payload.substr(0, bar);
    std::string detail = bar == std::string::npos ? name : payload.substr(bar + 1, 100);
    char delay[16];
    DWORD now = ::GetTickCount();
    wsprintfA(delay, "%d", (int)(now - g_lastTick));
    g_lastTick = now;

    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = (int)::SendMessageA(g_list, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = const_cast<char*>(name.c_str());
    int index = (int)::SendMessageA(g_list, LVM_INSERTITEMA, 0, (LPARAM)&item);
    item.iItem = index;
    item.iSubItem = 1;
    item.pszText = delay;
    ::SendMessageA(g_list, LVM_SETITEMTEXTA, index, (LPARAM)&item);
    item.iSubItem = 2;
    item.pszText = const_cast<char*>(detail.c_str());
    ::SendMessageA(g_list, LVM_SETITEMTEXTA, index, (LPARAM)&item);
    ::SendMessageA(g_list, LVM_ENSUREVISIBLE, index, FALSE);
    ::UpdateWindow(g_list);
}

static LRESULT CALLBACK ReceiverProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COPYDATA) {
        static std::string last;
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)l;
        last.assign((const char*)cds->lpData, cds->lpData ? cds->cbData : 0);
        if (g_list != nullptr) AddListItem(last);
        return TRUE;
    }
    if (msg == WM_SIZE && g_list != nullptr) {
        ::MoveWindow(g_list, 0, 0, LOWORD(l), HIWORD(l), TRUE);
        return 0;
    }
    if (msg == WM_DESTROY) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcA(h, msg, w, l);
}

int main(int argc, char** argv) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VkBareReceiver";
    ::RegisterClassA(&wc);
    const char* mode = argc > 1 ? argv[1] : "";
    if (std::strcmp(mode, "--dialog") == 0) {
        HWND wnd = ::CreateWindowExA(0, "#32770", "Valkorine Debuger", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        if (!wnd) return 1;
        ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReceiverProc));
    } else if (std::strcmp(mode, "--listview") == 0) {
        // The debugger's default window size and its three columns.
        INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&icc);
        HWND wnd =
            ::CreateWindowExA(0, wc.lpszClassName, "VK list receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                              700, 500, nullptr, nullptr, wc.hInstance, nullptr);
        if (!wnd) return 1;
        RECT rc;
        ::GetClientRect(wnd, &rc);
        g_list =
            ::CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0,
                              0, rc.right, rc.bottom, wnd, nullptr, wc.hInstance, nullptr);
        if (!g_list) return 1;
        static const char* const headings[] = {"Function", "Delay", "Result"};
        static const int widths[] = {150, 50, 480};
        for (int i = 0; i < 3; i++) {
            LVCOLUMNA col = {};
            col.mask = LVCF_TEXT | LVCF_WIDTH;
            col.pszText = const_cast<char*>(headings[i]);
            col.cx = widths[i];
            ::SendMessageA(g_list, LVM_INSERTCOLUMNA, i, (LPARAM)&col);
        }
        g_lastTick = ::GetTickCount();
    } else {
        ::CreateWindowExA(0, wc.lpszClassName, "VK bare receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
