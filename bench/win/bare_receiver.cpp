// The baseline of the ingestion benchmark: a bare top-level window that only answers
// WM_COPYDATA (it copies the payload, as any receiver must, and says TRUE).
//   bare_receiver             a window of its own class, captioned "VK bare receiver"
//   bare_receiver --dialog    a dialog-class window captioned "Valkorine Debuger", the window the
//                             engine client looks for (the same procedure answers)
#include "afx.h"

#include <cstring>
#include <vector>

static LRESULT CALLBACK ReceiverProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_COPYDATA) {
        static std::vector<char> last;
        const COPYDATASTRUCT* cds = (const COPYDATASTRUCT*)l;
        last.assign((const char*)cds->lpData, (const char*)cds->lpData + (cds->lpData ? cds->cbData : 0));
        return TRUE;
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
    if (argc > 1 && std::strcmp(argv[1], "--dialog") == 0) {
        HWND wnd = ::CreateWindowExA(0, "#32770", "Valkorine Debuger", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                     200, 100, nullptr, nullptr, wc.hInstance, nullptr);
        if (!wnd) return 1;
        ::SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ReceiverProc));
    } else {
        ::CreateWindowExA(0, wc.lpszClassName, "VK bare receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                          200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    }
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
