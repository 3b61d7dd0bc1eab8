// The baseline of the ingestion benchmark: a bare top-level window that only answers
// WM_COPYDATA (it copies the payload, as any receiver must, and says TRUE).
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

int main() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "VkBareReceiver";
    ::RegisterClassA(&wc);
    ::CreateWindowExA(0, wc.lpszClassName, "VK bare receiver", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                      100, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
