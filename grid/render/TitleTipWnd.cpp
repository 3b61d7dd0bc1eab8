// CTitleTipWnd: window class registration and creation, showing and hiding, and the input it
// passes on to the window underneath.
#include "TitleTipWnd.h"

BEGIN_MESSAGE_MAP(CTitleTipWnd, CWnd)
ON_WM_MOUSEMOVE()
ON_WM_CAPTURECHANGED()
END_MESSAGE_MAP()

namespace {
// The tip that is up on this thread, and the message hook that watches its keys.
thread_local CTitleTipWnd* t_shownTip = nullptr;
thread_local HHOOK t_keyHook = nullptr;
} // namespace

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

CTitleTipWnd::~CTitleTipWnd() {
    StopWatchingKeys();
}

BOOL CTitleTipWnd::Create(CWnd* pParent) {
    parent = pParent;
    // A tool window on top of everything, owned by nobody, with a thin border; hidden until shown.
    return CreateEx(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, TITLETIP_CLASSNAME, nullptr, WS_POPUP | WS_BORDER,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, nullptr);
}

void CTitleTipWnd::Show(CRect rectTitle, LPCTSTR text, int, LPRECT hoverRect, const LOGFONTA* font) {
    if (::IsRectEmpty(&rectTitle)) return;
    if (parent == nullptr || !::IsWindow(m_hWnd)) return;

    // The hover area goes from the grid's client coordinates to the tip's: at once when the tip
    // stays where it is, after it has moved over the cell otherwise (its coordinates move with it).
    CRect hoverScreen = hoverRect != nullptr ? CRect(*hoverRect) : rectTitle;
    parent->ClientToScreen((LPPOINT)&hoverScreen.left);
    parent->ClientToScreen((LPPOINT)&hoverScreen.right);
    hoverArea = hoverScreen;
    ScreenToClient(&hoverArea);
    if (IsWindowVisible() || ::GetFocus() == nullptr) return;

    // One line per "\r\n"; the line measured for the width is the longest of those that end with
    // a "\r\n" (the first of equal ones), or the whole text when it has none.
    CStringArray lines;
    CString rest = text != nullptr ? text : "";
    CString measured = rest;
    int longest = -1;
    for (int at = rest.Find("\r\n"); at >= 0; at = rest.Find("\r\n")) {
        CString line = rest.Left(at);
        if (at > longest) {
            longest = at;
            measured = line;
        }
        lines.Add(line);
        rest = rest.Mid(at + 2);
    }
    lines.Add(rest);
    const int n = (int)lines.GetSize();

    parent->ClientToScreen((LPPOINT)&rectTitle.left);
    parent->ClientToScreen((LPPOINT)&rectTitle.right);

    CClientDC dc(this);
    CFont created;
    if (font != nullptr) created.CreateFontIndirect(font);
    HGDIOBJ useFont = created.m_hObject != nullptr
                          ? created.m_hObject
                          : (HGDIOBJ)::SendMessageA(parent->m_hWnd, WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = useFont != nullptr ? dc.SelectObject(useFont) : nullptr;

    CSize extent = dc.GetTextExtent(measured);
    TEXTMETRICA tm = {};
    dc.GetTextMetrics(&tm);

    const int lineHeight = rectTitle.bottom - rectTitle.top;
    ::SetWindowPos(m_hWnd, HWND_TOP, rectTitle.left + 5, rectTitle.top, extent.cx + tm.tmOverhang + 5,
                   lineHeight * n, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    hoverArea = hoverScreen;
    ScreenToClient(&hoverArea);

    dc.SetBkMode(TRANSPARENT);
    // Red for a text with a plus sign anywhere, else blue for one with a minus sign.
    CString padded = " " + CString(text != nullptr ? text : "") + " ";
    COLORREF color = RGB(0, 0, 0);
    if (padded.Find('+') >= 0)
        color = RGB(255, 0, 0);
    else if (padded.Find('-') >= 0)
        color = RGB(0, 0, 255);
    dc.SetTextColor(color);
    for (int i = 0; i < n; i++)
        ::TextOutA(dc.m_hDC, 0, i * lineHeight, lines[i], lines[i].GetLength());

    SetCapture();
    WatchKeys();

    if (oldFont != nullptr) dc.SelectObject(oldFont);
    created.DeleteObject();
}

void CTitleTipWnd::Hide() {
    StopWatchingKeys();
    if (!::IsWindow(m_hWnd)) return;
    if (::GetCapture() == m_hWnd) ::ReleaseCapture();
    ShowWindow(SW_HIDE);
}

void CTitleTipWnd::OnCaptureChanged(CWnd* pWnd) {
    Default();
    if ((pWnd == nullptr || pWnd->m_hWnd != m_hWnd) && IsWindowVisible()) Hide();
}

void CTitleTipWnd::WatchKeys() {
    if (t_shownTip != nullptr && t_shownTip != this) t_shownTip->Hide();
    t_shownTip = this;
    if (t_keyHook == nullptr)
        t_keyHook = ::SetWindowsHookExA(WH_GETMESSAGE, HideOnKey, nullptr, ::GetCurrentThreadId());
}

void CTitleTipWnd::StopWatchingKeys() {
    if (t_shownTip != this) return;
    t_shownTip = nullptr;
    if (t_keyHook != nullptr) ::UnhookWindowsHookEx(t_keyHook);
    t_keyHook = nullptr;
}

// Every message this thread takes from its queue passes here while a tip is up.
LRESULT CALLBACK CTitleTipWnd::HideOnKey(int code, WPARAM wParam, LPARAM lParam) {
    const MSG* msg = (const MSG*)lParam;
    CTitleTipWnd* tip = t_shownTip;
    if (code == HC_ACTION && wParam == PM_REMOVE && msg != nullptr && tip != nullptr &&
        (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
        (tip->parent == nullptr || msg->hwnd != tip->parent->m_hWnd))
        tip->Hide();
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

HWND CTitleTipWnd::ForwardTarget(POINT screen) const {
    HWND target = ::WindowFromPoint(screen);
    if (target == m_hWnd || target == nullptr) target = parent != nullptr ? parent->m_hWnd : nullptr;
    return target;
}

void CTitleTipWnd::OnMouseMove(UINT nFlags, CPoint point) {
    if (hoverArea.PtInRect(point)) return;

    // The mouse left the area: the tip goes and the move is passed to the window underneath.
    Hide();
    ClientToScreen(&point);
    HWND target = ForwardTarget(point);
    if (target == nullptr) return;
    LRESULT hit = ::SendMessageA(target, WM_NCHITTEST, 0, MAKELONG(point.x, point.y));
    if (hit == HTCLIENT) {
        ::ScreenToClient(target, &point);
        ::PostMessageA(target, WM_MOUSEMOVE, nFlags, MAKELONG(point.x, point.y));
    } else {
        ::PostMessageA(target, WM_NCMOUSEMOVE, hit, MAKELONG(point.x, point.y));
    }
}

BOOL CTitleTipWnd::PreTranslateMessage(MSG* pMsg) {
    switch (pMsg->message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        // The key goes to the grid.
        Hide();
        if (parent != nullptr) ::PostMessageA(parent->m_hWnd, pMsg->message, pMsg->wParam, pMsg->lParam);
        return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        // The press goes to the window under it, in that window's terms.
        CPoint point((short)LOWORD(pMsg->lParam), (short)HIWORD(pMsg->lParam));
        ClientToScreen(&point);
        HWND target = ForwardTarget(point);
        UINT message = pMsg->message;
        WPARAM wParam = pMsg->wParam;
        LPARAM lParam;
        LRESULT hit =
            target != nullptr ? ::SendMessageA(target, WM_NCHITTEST, 0, MAKELONG(point.x, point.y)) : 0;
        if (hit == HTCLIENT) {
            ::ScreenToClient(target, &point);
            lParam = MAKELONG(point.x, point.y);
        } else {
            message = message == WM_LBUTTONDOWN   ? WM_NCLBUTTONDOWN
                      : message == WM_RBUTTONDOWN ? WM_NCRBUTTONDOWN
                                                  : WM_NCMBUTTONDOWN;
            wParam = (WPARAM)hit;
            lParam = MAKELONG(point.x, point.y);
        }
        Hide();
        if (target != nullptr) ::PostMessageA(target, message, wParam, lParam);
        return TRUE;
    }
    default:
        break;
    }
    // While the application has no focus, the tip goes and the message is dropped.
    if (::GetFocus() != nullptr) return CWnd::PreTranslateMessage(pMsg);
    Hide();
    return TRUE;
}
