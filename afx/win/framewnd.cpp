// CFrameWnd: a top-level window with a menu, its command route and the menu items' update.
#include "afxwin.h"

IMPLEMENT_DYNAMIC(CFrameWnd, CWnd)

BEGIN_MESSAGE_MAP(CFrameWnd, CWnd)
ON_WM_INITMENUPOPUP()
ON_WM_SIZE()
ON_WM_SETFOCUS()
END_MESSAGE_MAP()

const CRect CFrameWnd::rectDefault(CW_USEDEFAULT, CW_USEDEFAULT, 0, 0);

#define AFX_FRAME_CLASS "AfxFrameWnd"

BOOL CFrameWnd::Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                       CWnd* pParentWnd, UINT nIDMenu, DWORD dwExStyle) {
    if (lpszClassName == nullptr) {
        WNDCLASSA wc = {};
        wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = ::DefWindowProcA; // the object takes the window over as it is made
        wc.hInstance = AfxGetInstanceHandle();
        wc.hCursor = ::LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = AFX_FRAME_CLASS;
        if (!AfxRegisterClass(&wc)) return FALSE;
        lpszClassName = AFX_FRAME_CLASS;
    }
    HMENU hMenu = nullptr;
    if (nIDMenu != 0) {
        hMenu = ::LoadMenuA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDMenu));
        if (hMenu == nullptr) return FALSE;
    }
    int width = rect.right, height = rect.bottom;
    if (rect.left != CW_USEDEFAULT) {
        width = rect.right - rect.left;
        height = rect.bottom - rect.top;
    } else {
        width = height = CW_USEDEFAULT;
    }
    if (!CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, width, height,
                  pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr, hMenu)) {
        if (hMenu != nullptr) ::DestroyMenu(hMenu); // a window that was never made does not free it
        return FALSE;
    }
    return TRUE;
}

BOOL CFrameWnd::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo) {
    // The focused window and its parents below the frame: an in-place editor, then its control.
    CWnd* offered = nullptr;
    for (HWND h = ::GetFocus(); h != nullptr && h != m_hWnd; h = ::GetParent(h)) {
        if (!::IsChild(m_hWnd, h)) break;
        CWnd* p = FromHandlePermanent(h);
        if (p == nullptr) continue;
        if (p == m_pViewActive) offered = p;
        if (p->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    }
    if (m_pViewActive != nullptr && m_pViewActive != offered && m_pViewActive->m_hWnd != nullptr &&
        m_pViewActive->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo))
        return TRUE;
    if (CWnd::OnCmdMsg(nID, nCode, pExtra, pHandlerInfo)) return TRUE;
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr && pApp->OnCmdMsg(nID, nCode, pExtra, pHandlerInfo);
}

// Each item of a menu that opens is asked of the command route: its update handler enables or
// greys it, and an item nobody handles is greyed.
void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
    if (bSysMenu) {
        Default();
        return;
    }
    CCmdUI state;
    state.m_pMenu = pPopupMenu;
    state.m_nIndexMax = pPopupMenu->GetMenuItemCount();
    for (UINT i = 0; i < state.m_nIndexMax; i++) {
        UINT id = pPopupMenu->GetMenuItemID((int)i);
        if (id == 0 || id == (UINT)-1) continue; // a separator or a submenu
        state.m_nIndex = i;
        state.m_nID = id;
        state.DoUpdate(this, m_bAutoMenuEnable);
    }
}

void CFrameWnd::RecalcLayout() {
    if (m_pViewActive == nullptr || m_pViewActive->m_hWnd == nullptr) return;
    CRect rc;
    GetClientRect(&rc);
    m_pViewActive->MoveWindow(rc.left, rc.top, rc.Width(), rc.Height(), TRUE);
}

void CFrameWnd::OnSize(UINT nType, int, int) {
    Default();
    if (nType != SIZE_MINIMIZED) RecalcLayout();
}

void CFrameWnd::OnSetFocus(CWnd*) {
    if (m_pViewActive != nullptr && m_pViewActive->m_hWnd != nullptr)
        m_pViewActive->SetFocus();
    else
        Default();
}

void CFrameWnd::PostNcDestroy() {
    CWinApp* pApp = AfxGetApp();
    if (pApp != nullptr && pApp->m_pMainWnd == this) {
        pApp->m_pMainWnd = nullptr;
        ::PostQuitMessage(0);
    }
    if (m_bAutoDelete) delete this;
}
