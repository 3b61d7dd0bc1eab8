// CCmdTarget and CWnd: the handle map, subclassing and message dispatch through message maps.
#include "afxwin.h"

#include <memory>
#include <unordered_map>
#include <vector>

IMPLEMENT_DYNAMIC(CWnd, CObject)

namespace {
// Windows and DCs belong to the thread that made them, and so do their maps.
struct HandleMaps {
    std::unordered_map<HWND, CWnd*> permanent;
    std::unordered_map<HWND, std::unique_ptr<CWnd>> temporaryWnds;
    std::unordered_map<HDC, std::unique_ptr<CDC>> temporaryDCs;
};
thread_local HandleMaps t_maps;

// The message being handled, so Default() can pass it on.
struct CurrentMessage {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local CurrentMessage t_current{};
}  // namespace

// ---- CCmdTarget -----------------------------------------------------------------------------
const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {nullptr, entries};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID)
{
    for (; pMap != nullptr; pMap = pMap->pfnGetBaseMap ? pMap->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = pMap->lpEntries; e->pfn != nullptr; e++) {
            if (e->nMessage == nMsg && e->nCode == nCode && nID >= e->nID && nID <= e->nLastID) return e;
        }
        if (pMap->pfnGetBaseMap == nullptr) break;
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo)
{
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), WM_COMMAND, (UINT)nCode, nID);
    if (e == nullptr) return FALSE;
    if (pHandlerInfo != nullptr) {
        pHandlerInfo->pTarget = this;
        return TRUE;
    }
    if (nCode == (int)CN_UPDATE_COMMAND_UI) {
        CCmdUI* pCmdUI = (CCmdUI*)pExtra;
        if (pCmdUI != nullptr) pCmdUI->m_bContinueRouting = FALSE;
        e->pfn(this, 0, (LPARAM)pExtra);
        // A handler that asked for it lets the next target answer too.
        return pCmdUI == nullptr || !pCmdUI->m_bContinueRouting;
    }
    e->pfn(this, 0, (LPARAM)pExtra);
    return TRUE;
}

// ---- CWnd: handle map -------------------------------------------------------------------------
const AFX_MSGMAP* CWnd::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr}};
    static const AFX_MSGMAP map = {&CCmdTarget::GetThisMessageMap, entries};
    return &map;
}

const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

CWnd::~CWnd()
{
    if (m_hWnd != nullptr) {
        // An object that still owns a window destroys it, as it would otherwise be left without
        // its procedure's object.
        if (t_maps.permanent.count(m_hWnd) && t_maps.permanent[m_hWnd] == this) {
            HWND h = m_hWnd;
            ::DestroyWindow(h);
            if (m_hWnd) Detach();
        } else {
            m_hWnd = nullptr;
        }
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd)
{
    auto it = t_maps.permanent.find(hWnd);
    return it == t_maps.permanent.end() ? nullptr : it->second;
}

// A temporary object for a handle, entered in its map. The object and the map's entry are made
// before the object takes the handle: when memory runs out on the way, the object goes without
// destroying the window or deleting the context it was to stand for, and the map holds no empty
// entry.
template <class Map, class Object, class Handle>
static Object* AfxMakeTemporary(Map& map, Handle h, Handle Object::*member)
{
    std::unique_ptr<Object> object(new Object);
    auto entry = map.emplace(h, nullptr).first;
    object.get()->*member = h;
    entry->second = std::move(object);
    return entry->second.get();
}

CWnd* CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr) return nullptr;
    if (CWnd* p = FromHandlePermanent(hWnd)) return p;
    auto it = t_maps.temporaryWnds.find(hWnd);
    if (it != t_maps.temporaryWnds.end()) return it->second.get();
    return AfxMakeTemporary(t_maps.temporaryWnds, hWnd, &CWnd::m_hWnd);
}

void AfxDeleteTempMap()
{
    for (auto& kv : t_maps.temporaryWnds) kv.second->m_hWnd = nullptr;  // never destroy a window
    t_maps.temporaryWnds.clear();
    for (auto& kv : t_maps.temporaryDCs) kv.second->m_hDC = kv.second->m_hAttribDC = nullptr;
    t_maps.temporaryDCs.clear();
}

CDC* CDC::FromHandle(HDC hDC)
{
    if (hDC == nullptr) return nullptr;
    auto it = t_maps.temporaryDCs.find(hDC);
    if (it != t_maps.temporaryDCs.end()) return it->second.get();
    CDC* p = AfxMakeTemporary(t_maps.temporaryDCs, hDC, &CDC::m_hDC);
    p->m_hAttribDC = hDC;
    return p;
}

BOOL CWnd::Attach(HWND hWnd)
{
    if (hWnd == nullptr || m_hWnd != nullptr) return FALSE;
    auto tmp = t_maps.temporaryWnds.find(hWnd);
    if (tmp != t_maps.temporaryWnds.end()) {
        tmp->second->m_hWnd = nullptr;
        t_maps.temporaryWnds.erase(tmp);
    }
    t_maps.permanent[hWnd] = this;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND h = m_hWnd;
    if (h != nullptr) {
        auto it = t_maps.permanent.find(h);
        if (it != t_maps.permanent.end() && it->second == this) t_maps.permanent.erase(it);
    }
    m_hWnd = nullptr;
    return h;
}

BOOL CWnd::SubclassWindow(HWND hWnd)
{
    if (!::IsWindow(hWnd) || !Attach(hWnd)) return FALSE;
    PreSubclassWindow();
    WNDPROC old = (WNDPROC)::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)AfxWndProc);
    if (old != AfxWndProc) m_pfnSuper = old;
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    if (m_hWnd == nullptr) return nullptr;
    if (m_pfnSuper != nullptr) ::SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, (LONG_PTR)m_pfnSuper);
    m_pfnSuper = nullptr;
    return Detach();
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent)
{
    HWND h = ::GetDlgItem(pParent->m_hWnd, (int)nID);
    return h != nullptr && SubclassWindow(h);
}

namespace {
// Windows being created by CreateEx on this thread, handed over at their first message.
thread_local CWnd* t_pWndInit = nullptr;
thread_local HHOOK t_hookCreate = nullptr;

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_pWndInit != nullptr) {
        CWnd* p = t_pWndInit;
        t_pWndInit = nullptr;
        p->SubclassWindow((HWND)wParam);
    }
    return ::CallNextHookEx(t_hookCreate, code, wParam, lParam);
}
}  // namespace

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam)
{
    // The object takes the window over before its first message (WM_NCCREATE), as a hook sees it.
    t_pWndInit = this;
    t_hookCreate = ::SetWindowsHookExA(WH_CBT, CbtHook, nullptr, ::GetCurrentThreadId());
    HWND h = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight, hWndParent,
                               nIDorHMenu, AfxGetInstanceHandle(), lpParam);
    ::UnhookWindowsHookEx(t_hookCreate);
    t_hookCreate = nullptr;
    t_pWndInit = nullptr;
    if (h == nullptr) {
        if (m_hWnd != nullptr) Detach();
        return FALSE;
    }
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr) return FALSE;
    return ::DestroyWindow(m_hWnd);
}

// ---- CWnd: dispatch -------------------------------------------------------------------------
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* pWnd = CWnd::FromHandlePermanent(hWnd);
    if (pWnd == nullptr) return ::DefWindowProcA(hWnd, message, wParam, lParam);

    CurrentMessage saved = t_current;
    t_current = {hWnd, message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = pWnd->WindowProc(message, wParam, lParam);
    } catch (CException* e) {
        // A handler that fails reports its exception; the message then counts as handled.
        e->ReportError();
        e->Delete();
        result = 0;
    }
    t_current = saved;

    if (message == WM_NCDESTROY) {
        // The window is gone: give it its own procedure back and let the object go.
        CWnd* p = CWnd::FromHandlePermanent(hWnd);
        if (p != nullptr) {
            WNDPROC super = p->m_pfnSuper;
            if (super != nullptr && (WNDPROC)::GetWindowLongPtrA(hWnd, GWLP_WNDPROC) == AfxWndProc)
                ::SetWindowLongPtrA(hWnd, GWLP_WNDPROC, (LONG_PTR)super);
            p->m_pfnSuper = nullptr;
            p->Detach();
            p->PostNcDestroy();
        }
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pfnSuper != nullptr) return ::CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam); }

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 1;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT r = 0;
        if (!OnNotify(wParam, lParam, &r)) return FALSE;
        *pResult = r;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* e = CCmdTarget::FindMessageEntry(GetMessageMap(), message, 0, 0);
    if (e == nullptr) return FALSE;
    *pResult = e->pfn(this, wParam, lParam);
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam)
{
    UINT nID = LOWORD(wParam);
    int nCode = HIWORD(wParam);
    HWND hWndCtrl = (HWND)lParam;
    if (hWndCtrl != nullptr) {
        // A control's notification: offered to the control's reflected entries first.
        CWnd* pChild = FromHandlePermanent(hWndCtrl);
        LRESULT r = 0;
        if (pChild != nullptr && pChild->OnChildNotify(WM_COMMAND, wParam, lParam, &r)) return TRUE;
        if (nCode != CN_COMMAND) {
            const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), WM_COMMAND, (UINT)nCode, nID);
            if (e == nullptr) return FALSE;
            e->pfn(this, wParam, lParam);
            return TRUE;
        }
    } else if (nCode == 1) {
        nCode = CN_COMMAND;  // an accelerator is a command like a menu item
    }
    return OnCmdMsg(nID, nCode, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult)
{
    NMHDR* nm = (NMHDR*)lParam;
    if (nm == nullptr) return FALSE;
    CWnd* pChild = FromHandlePermanent(nm->hwndFrom);
    if (pChild != nullptr && pChild != this && pChild->OnChildNotify(WM_NOTIFY, 0, lParam, pResult)) return TRUE;
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), WM_NOTIFY, nm->code, (UINT)nm->idFrom);
    if (e == nullptr) return FALSE;
    *pResult = e->pfn(this, 0, lParam);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    UINT code = 0;
    if (message == WM_NOTIFY)
        code = ((NMHDR*)lParam)->code;
    else if (message == WM_COMMAND)
        code = HIWORD(wParam);
    const AFX_MSGMAP_ENTRY* e = FindMessageEntry(GetMessageMap(), WM_REFLECT_BASE + message, code, 0);
    if (e == nullptr) return FALSE;
    LRESULT r = 0;
    LRESULT v = e->pfn(this, message == WM_NOTIFY ? (WPARAM)&r : wParam, lParam);
    // A handler of the _EX form that declines leaves the notification to the parent.
    if (e->nLastID == AFX_REFLECT_EX && message == WM_NOTIFY && !v) return FALSE;
    if (pResult) *pResult = message == WM_NOTIFY ? r : v;
    return TRUE;
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

BOOL AfxPreTranslateMessage(MSG* pMsg)
{
    for (HWND h = pMsg->hwnd; h != nullptr; h = ::GetParent(h)) {
        CWnd* p = CWnd::FromHandlePermanent(h);
        if (p != nullptr && p->PreTranslateMessage(pMsg)) return TRUE;
    }
    return FALSE;
}

BOOL CWnd::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

// ---- CWnd: helpers ----------------------------------------------------------------------------
int CWnd::GetDlgItemText(int nID, CString& s) const
{
    HWND h = ::GetDlgItem(m_hWnd, nID);
    s.Empty();
    if (h == nullptr) return 0;
    int n = ::GetWindowTextLengthA(h);
    ::GetWindowTextA(h, s.GetBufferSetLength(n), n + 1);
    s.ReleaseBuffer();
    return s.GetLength();
}

void CWnd::GetWindowText(CString& s) const
{
    int n = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, s.GetBufferSetLength(n), n + 1);
    s.ReleaseBuffer();
}

void CWnd::ScreenToClient(LPRECT r) const
{
    ::ScreenToClient(m_hWnd, (LPPOINT)r);
    ::ScreenToClient(m_hWnd, ((LPPOINT)r) + 1);
}

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpsi, UINT nMask)
{
    lpsi->cbSize = sizeof(SCROLLINFO);
    lpsi->fMask = nMask;
    return ::GetScrollInfo(m_hWnd, nBar, lpsi);
}

int CWnd::MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption, UINT nType)
{
    return ::MessageBoxA(m_hWnd, lpszText, lpszCaption ? lpszCaption : AfxGetAppName(), nType);
}

void CListBox::GetText(int n, CString& s) const
{
    int len = (int)::SendMessageA(m_hWnd, LB_GETTEXTLEN, n, 0);
    if (len < 0) {
        s.Empty();
        return;
    }
    ::SendMessageA(m_hWnd, LB_GETTEXT, n, (LPARAM)s.GetBufferSetLength(len));
    s.ReleaseBuffer();
}

void CComboBox::GetLBText(int n, CString& s) const
{
    int len = (int)::SendMessageA(m_hWnd, CB_GETLBTEXTLEN, n, 0);
    if (len < 0) {
        s.Empty();
        return;
    }
    ::SendMessageA(m_hWnd, CB_GETLBTEXT, n, (LPARAM)s.GetBufferSetLength(len));
    s.ReleaseBuffer();
}
