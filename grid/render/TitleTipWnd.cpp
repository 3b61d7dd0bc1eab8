// CTitleTipWnd: window class registration and creation, and hiding.
#include "TitleTipWnd.h"

CTitleTipWnd::CTitleTipWnd() {
    WNDCLASSA wc;
    HINSTANCE hInst = AfxGetInstanceHandle();
    if (::GetClassInfoA(hInst, TITLETIP_CLASSNAME, &wc)) return;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = ::DefWindowProcA; // the object subclasses the window when it is created
    wc.cbClsExtra = 0;
    wc.cbWndExtra = 0;
    wc.hInstance = hInst;
    wc.hIcon = nullptr;
    wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_INFOBK + 1);
    wc.lpszMenuName = nullptr;
    wc.lpszClassName = TITLETIP_CLASSNAME;
    if (!AfxRegisterClass(&wc)) AfxThrowResourceException();
}

BOOL CTitleTipWnd::Create(CWnd* pParent) {
    parent = pParent;
    // A tool window on top of everything, owned by nobody, with a thin border; hidden until shown.
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TITLETIP_CLASSNAME, nullptr, WS_POPUP | WS_BORDER,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr);
}

void CTitleTipWnd::Hide() {
    if (!::IsWindow(m_hWnd)) return;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    ShowWindow(SW_HIDE);
}
