// The windowing layer: command targets and message maps, CWnd, dialogs and their data exchange,
// the standard controls and the application object. MFC's names and observable behaviour, over
// the Win32 API (ANSI functions).
#pragma once

#include "afx.h"
#include "afxgdi.h"
#include "afxres.h"

#include <commctrl.h>
#include <shellapi.h>

class CCmdTarget;
class CWnd;
class CCmdUI;
class CMenu;

// ---- Message maps ---------------------------------------------------------------------------
// Each entry carries a small thunk that unpacks WPARAM/LPARAM into the handler's MFC signature.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* pTarget, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message (WM_COMMAND for commands, WM_REFLECT_BASE + msg for reflection)
    UINT nCode;     // command or notification code
    UINT nID;       // first control or command id
    UINT nLastID;   // last id of a range
    AFX_PMSG pfn;   // nullptr ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define WM_REFLECT_BASE 0xBC00
#define CN_COMMAND 0
#define CN_UPDATE_COMMAND_UI ((UINT)(-1))

#define DECLARE_MESSAGE_MAP()                                                                               \
protected:                                                                                                  \
    static const AFX_MSGMAP* GetThisMessageMap();                                                           \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                              \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                       \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                         \
    {                                                                                                       \
        using ThisClass [[maybe_unused]] = theClass;                                                        \
        typedef baseClass TheBaseClass;                                                                     \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                   \
    {0, 0, 0, 0, nullptr}                                                                                   \
    }                                                                                                       \
    ;                                                                                                       \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};            \
    return &messageMap;                                                                                     \
    }

#define AFX_THUNK(body) [](CCmdTarget * pTarget, WPARAM wParam, LPARAM lParam) -> LRESULT {                 \
    ThisClass* self = static_cast<ThisClass*>(pTarget);                                                     \
    (void)self;                                                                                             \
    (void)wParam;                                                                                           \
    (void)lParam;                                                                                           \
    body                                                                                                    \
}
#define AFX_MSG_ENTRY(msg, body) {msg, 0, 0, 0, AFX_THUNK(body)},

#define ON_MESSAGE(message, memberFxn) AFX_MSG_ENTRY(message, return self->memberFxn(wParam, lParam);)
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AFX_THUNK(self->memberFxn(); return 0;)},
#define ON_UPDATE_COMMAND_UI(id, memberFxn)                                                                 \
    {WM_COMMAND, CN_UPDATE_COMMAND_UI, (UINT)(id), (UINT)(id), AFX_THUNK(self->memberFxn((CCmdUI*)lParam); return 0;)},
#define ON_NOTIFY_REFLECT(code, memberFxn)                                                                  \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, 0,                                                       \
     AFX_THUNK(LRESULT* pr = (LRESULT*)wParam; self->memberFxn((NMHDR*)lParam, pr); return *pr;)},
// The handler returns TRUE when it took the notification; FALSE passes it on to the parent too.
#define AFX_REFLECT_EX 1
#define ON_NOTIFY_REFLECT_EX(code, memberFxn)                                                               \
    {WM_REFLECT_BASE + WM_NOTIFY, (UINT)(code), 0, AFX_REFLECT_EX,                                        \
     AFX_THUNK(return (LRESULT)self->memberFxn((NMHDR*)lParam, (LRESULT*)wParam);)},
#define ON_CONTROL_REFLECT(code, memberFxn)                                                                 \
    {WM_REFLECT_BASE + WM_COMMAND, (UINT)(code), 0, 0, AFX_THUNK(self->memberFxn(); return 0;)},
#define ON_NOTIFY(code, id, memberFxn)                                                                      \
    {WM_NOTIFY, (UINT)(code), (UINT)(id), (UINT)(id),                                                       \
     AFX_THUNK(LRESULT r = 0; self->memberFxn((NMHDR*)lParam, &r); return r;)},

#define ON_WM_CREATE() AFX_MSG_ENTRY(WM_CREATE, return self->OnCreate((LPCREATESTRUCTA)lParam);)
#define ON_WM_DESTROY() AFX_MSG_ENTRY(WM_DESTROY, self->OnDestroy(); return 0;)
#define ON_WM_NCDESTROY() AFX_MSG_ENTRY(WM_NCDESTROY, self->OnNcDestroy(); return 0;)
#define ON_WM_PAINT() AFX_MSG_ENTRY(WM_PAINT, self->OnPaint(); return 0;)
#define ON_WM_ERASEBKGND() AFX_MSG_ENTRY(WM_ERASEBKGND, return self->OnEraseBkgnd(CDC::FromHandle((HDC)wParam));)
#define ON_WM_SIZE() AFX_MSG_ENTRY(WM_SIZE, self->OnSize((UINT)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam)); return 0;)
#define ON_WM_SYSCOLORCHANGE() AFX_MSG_ENTRY(WM_SYSCOLORCHANGE, self->OnSysColorChange(); return 0;)
#define ON_WM_HSCROLL()                                                                                     \
    AFX_MSG_ENTRY(WM_HSCROLL, self->OnHScroll(LOWORD(wParam), (short)HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); return 0;)
#define ON_WM_VSCROLL()                                                                                     \
    AFX_MSG_ENTRY(WM_VSCROLL, self->OnVScroll(LOWORD(wParam), (short)HIWORD(wParam), (CScrollBar*)CWnd::FromHandle((HWND)lParam)); return 0;)
#define ON_WM_LBUTTONDOWN() AFX_MSG_ENTRY(WM_LBUTTONDOWN, self->OnLButtonDown((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_LBUTTONUP() AFX_MSG_ENTRY(WM_LBUTTONUP, self->OnLButtonUp((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_LBUTTONDBLCLK() AFX_MSG_ENTRY(WM_LBUTTONDBLCLK, self->OnLButtonDblClk((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_RBUTTONDOWN() AFX_MSG_ENTRY(WM_RBUTTONDOWN, self->OnRButtonDown((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_MOUSEMOVE() AFX_MSG_ENTRY(WM_MOUSEMOVE, self->OnMouseMove((UINT)wParam, CPoint(lParam)); return 0;)
#define ON_WM_MOUSEWHEEL()                                                                                  \
    AFX_MSG_ENTRY(WM_MOUSEWHEEL, return self->OnMouseWheel(LOWORD(wParam), (short)HIWORD(wParam), CPoint(lParam));)
#define ON_WM_TIMER() AFX_MSG_ENTRY(WM_TIMER, self->OnTimer((UINT_PTR)wParam); return 0;)
#define ON_WM_CAPTURECHANGED() AFX_MSG_ENTRY(WM_CAPTURECHANGED, self->OnCaptureChanged(CWnd::FromHandle((HWND)lParam)); return 0;)
#define ON_WM_GETDLGCODE() AFX_MSG_ENTRY(WM_GETDLGCODE, return (LRESULT)self->OnGetDlgCode();)
#define ON_WM_KEYDOWN() AFX_MSG_ENTRY(WM_KEYDOWN, self->OnKeyDown((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_KEYUP() AFX_MSG_ENTRY(WM_KEYUP, self->OnKeyUp((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_INITMENUPOPUP()                                                                               \
    AFX_MSG_ENTRY(WM_INITMENUPOPUP, CMenu menu; menu.m_hMenu = (HMENU)wParam;                              \
                  self->OnInitMenuPopup(&menu, LOWORD(lParam), (BOOL)HIWORD(lParam)); menu.Detach(); return 0;)
#define ON_WM_CLOSE() AFX_MSG_ENTRY(WM_CLOSE, self->OnClose(); return 0;)
#define ON_WM_CHAR() AFX_MSG_ENTRY(WM_CHAR, self->OnChar((UINT)wParam, LOWORD(lParam), HIWORD(lParam)); return 0;)
#define ON_WM_SETCURSOR()                                                                                   \
    AFX_MSG_ENTRY(WM_SETCURSOR, return self->OnSetCursor(CWnd::FromHandle((HWND)wParam), LOWORD(lParam), HIWORD(lParam));)
#define ON_WM_SETFOCUS() AFX_MSG_ENTRY(WM_SETFOCUS, self->OnSetFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
#define ON_WM_KILLFOCUS() AFX_MSG_ENTRY(WM_KILLFOCUS, self->OnKillFocus(CWnd::FromHandle((HWND)wParam)); return 0;)
#define ON_WM_COPYDATA()                                                                                    \
    AFX_MSG_ENTRY(WM_COPYDATA, return self->OnCopyData(CWnd::FromHandle((HWND)wParam), (COPYDATASTRUCT*)lParam);)
#define ON_WM_DROPFILES() AFX_MSG_ENTRY(WM_DROPFILES, self->OnDropFiles((HDROP)wParam); return 0;)
#define ON_WM_QUERYDRAGICON() AFX_MSG_ENTRY(WM_QUERYDRAGICON, return (LRESULT)self->OnQueryDragIcon();)

// ---- Command targets ------------------------------------------------------------------------
// Filled in by OnCmdMsg when it is only asked whether a command has a handler.
struct AFX_CMDHANDLERINFO {
    CCmdTarget* pTarget;
};

class CCmdTarget : public CObject {
public:
    // Routes a command (nCode CN_COMMAND) or an update request (CN_UPDATE_COMMAND_UI, pExtra the
    // CCmdUI*) through this object's message map; TRUE when a handler took it. With pHandlerInfo
    // the command's handler is only looked for, not called.
    virtual BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo = nullptr);
    virtual const AFX_MSGMAP* GetMessageMap() const;
    static const AFX_MSGMAP* GetThisMessageMap();

    // Finds the first entry of the map chain for (message, code, id).
    static const AFX_MSGMAP_ENTRY* FindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID);
};

// A menu handle. The object destroys its menu when it goes, unless the menu is detached.
class CMenu {
public:
    HMENU m_hMenu = nullptr;
    CMenu() = default;
    ~CMenu() { DestroyMenu(); }
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;
    operator HMENU() const { return m_hMenu; }
    BOOL Attach(HMENU hMenu);
    HMENU Detach();
    BOOL LoadMenu(UINT nIDResource);
    BOOL DestroyMenu();
    UINT GetMenuItemCount() const { return (UINT)::GetMenuItemCount(m_hMenu); }
    UINT GetMenuItemID(int nPos) const { return ::GetMenuItemID(m_hMenu, nPos); }
    UINT GetMenuState(UINT nID, UINT nFlags) const { return ::GetMenuState(m_hMenu, nID, nFlags); }
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable) { return ::EnableMenuItem(m_hMenu, nIDEnableItem, nEnable); }
    UINT CheckMenuItem(UINT nIDCheckItem, UINT nCheck) { return ::CheckMenuItem(m_hMenu, nIDCheckItem, nCheck); }
};

// The wait cursor from construction to destruction (or Restore): the cursor shown before comes
// back on every path out of the work, also when it throws.
class CWaitCursor {
public:
    CWaitCursor() : m_previous(::SetCursor(::LoadCursorA(nullptr, (LPCSTR)IDC_WAIT))) {}
    ~CWaitCursor() { Restore(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore()
    {
        if (m_restored) return;
        m_restored = true;
        ::SetCursor(m_previous);
    }

private:
    HCURSOR m_previous;
    bool m_restored = false;
};

// One user-interface item (a menu item) during ON_UPDATE_COMMAND_UI: the update handler
// enables or greys it, or checks it. Without a menu only the answer is recorded.
class CCmdUI {
public:
    UINT m_nID = 0;
    UINT m_nIndex = 0;      // the item's position in m_pMenu
    UINT m_nIndexMax = 0;   // the menu's item count
    CMenu* m_pMenu = nullptr;
    BOOL m_bEnabled = TRUE;
    int m_nCheck = 0;
    BOOL m_bEnableChanged = FALSE;
    BOOL m_bContinueRouting = FALSE;
    virtual ~CCmdUI() = default;
    virtual void Enable(BOOL bOn = TRUE);
    virtual void SetCheck(int nCheck = 1);
    // The handler lets the next target in the route answer as well.
    void ContinueRouting() { m_bContinueRouting = TRUE; }
    // Asks pTarget's route for the item's state. With bDisableIfNoHndler, an item that no update
    // handler answered is enabled exactly when some target has a command handler for it.
    BOOL DoUpdate(CCmdTarget* pTarget, BOOL bDisableIfNoHndler = FALSE);
};

class CScrollBar;

// ---- Windows ---------------------------------------------------------------------------------
class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    HWND m_hWnd = nullptr;

    CWnd() = default;
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object that owns hWnd, or a temporary wrapper valid until the current message is done.
    static CWnd* FromHandle(HWND hWnd);
    // The object that owns hWnd, or nullptr.
    static CWnd* FromHandlePermanent(HWND hWnd);
    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Takes the window over: it is attached, PreSubclassWindow is called, and from then on its
    // messages go through this object's message map before the window's own procedure.
    BOOL SubclassWindow(HWND hWnd);
    HWND UnsubclassWindow();
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    virtual void PreSubclassWindow() {}

    virtual BOOL CreateEx(DWORD dwExStyle, LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle,
                          int x, int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Passes the message being handled to the window's own procedure.
    LRESULT Default();
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification a child sent to its parent, offered first to the child's reflected entries.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual void PostNcDestroy() {}
    virtual void DoDataExchange(class CDataExchange*) {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Thin wrappers of the Win32 window functions.
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    // The owner set by SetOwner, else the window's own owner (a child window has none).
    CWnd* GetOwner() const { return FromHandle(m_hWndOwner ? m_hWndOwner : ::GetWindow(m_hWnd, GW_OWNER)); }
    void SetOwner(CWnd* pOwnerWnd) { m_hWndOwner = pOwnerWnd ? pOwnerWnd->m_hWnd : nullptr; }
    // A common DC of the client area (counted), released with ReleaseDC.
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    // OLE control containment is not supported: there is no site to attach.
    void AttachControlSite(CWnd*) {}
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    void SetDlgItemText(int nID, LPCTSTR text) { ::SetDlgItemTextA(m_hWnd, nID, text); }
    int GetDlgItemText(int nID, CString& s) const;
    void SetWindowText(LPCTSTR text) { ::SetWindowTextA(m_hWnd, text); }
    void GetWindowText(CString& s) const;
    int GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
    DWORD GetStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_STYLE); }
    DWORD GetExStyle() const { return (DWORD)::GetWindowLongPtrA(m_hWnd, GWL_EXSTYLE); }
    void MoveWindow(int x, int y, int w, int h, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, w, h, bRepaint); }
    void GetClientRect(LPRECT r) const { ::GetClientRect(m_hWnd, r); }
    void GetWindowRect(LPRECT r) const { ::GetWindowRect(m_hWnd, r); }
    void ScreenToClient(LPPOINT p) const { ::ScreenToClient(m_hWnd, p); }
    void ScreenToClient(LPRECT r) const;
    void ClientToScreen(LPPOINT p) const { ::ClientToScreen(m_hWnd, p); }
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void InvalidateRect(LPCRECT r, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, r, bErase); }
    BOOL RedrawWindow(LPCRECT r = nullptr, HRGN rgn = nullptr, UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE)
    {
        return ::RedrawWindow(m_hWnd, r, rgn, flags);
    }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
    LRESULT SendMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::SendMessageA(m_hWnd, msg, w, l); }
    BOOL PostMessage(UINT msg, WPARAM w = 0, LPARAM l = 0) { return ::PostMessageA(m_hWnd, msg, w, l); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    CWnd* SetActiveWindow() { return FromHandle(::SetActiveWindow(m_hWnd)); }
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse, TIMERPROC proc) { return ::SetTimer(m_hWnd, id, elapse, proc); }
    BOOL KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }
    CWnd* SetCapture() { return FromHandle(::SetCapture(m_hWnd)); }
    static CWnd* GetCapture() { return FromHandle(::GetCapture()); }
    void DragAcceptFiles(BOOL bAccept = TRUE) { ::DragAcceptFiles(m_hWnd, bAccept); }
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE) { SendMessage(WM_SETFONT, (WPARAM)pFont->m_hObject, bRedraw); }
    HICON SetIcon(HICON hIcon, BOOL bBigIcon)
    {
        return (HICON)SendMessage(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, (LPARAM)hIcon);
    }
    BOOL GetScrollInfo(int nBar, LPSCROLLINFO lpsi, UINT nMask = SIF_ALL);
    BOOL SetScrollInfo(int nBar, LPSCROLLINFO lpsi, BOOL bRedraw = TRUE)
    {
        ::SetScrollInfo(m_hWnd, nBar, lpsi, bRedraw);
        return TRUE;
    }
    void SetScrollRange(int nBar, int nMin, int nMax, BOOL bRedraw = TRUE) { ::SetScrollRange(m_hWnd, nBar, nMin, nMax, bRedraw); }
    void ScrollWindow(int dx, int dy, LPCRECT lpRect = nullptr, LPCRECT lpClip = nullptr)
    {
        ::ScrollWindow(m_hWnd, dx, dy, lpRect, lpClip);
    }
    // A message box owned by this window; a NULL caption shows the application's name.
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = MB_OK);

    // Default handlers: each passes the message to the window's own procedure.
    int OnCreate(LPCREATESTRUCTA) { return (int)Default(); }
    void OnDestroy() { Default(); }
    void OnNcDestroy() { Default(); }
    void OnPaint() { Default(); }
    BOOL OnEraseBkgnd(CDC*) { return (BOOL)Default(); }
    void OnSize(UINT, int, int) { Default(); }
    void OnSysColorChange() { Default(); }
    void OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
    void OnLButtonDown(UINT, CPoint) { Default(); }
    void OnLButtonUp(UINT, CPoint) { Default(); }
    void OnLButtonDblClk(UINT, CPoint) { Default(); }
    void OnRButtonDown(UINT, CPoint) { Default(); }
    void OnMouseMove(UINT, CPoint) { Default(); }
    BOOL OnMouseWheel(UINT, short, CPoint) { return (BOOL)Default(); }
    void OnTimer(UINT_PTR) { Default(); }
    void OnCaptureChanged(CWnd*) { Default(); }
    UINT OnGetDlgCode() { return (UINT)Default(); }
    void OnKeyDown(UINT, UINT, UINT) { Default(); }
    void OnChar(UINT, UINT, UINT) { Default(); }
    void OnKeyUp(UINT, UINT, UINT) { Default(); }
    void OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
    void OnClose() { Default(); }
    BOOL OnSetCursor(CWnd*, UINT, UINT) { return (BOOL)Default(); }
    void OnSetFocus(CWnd*) { Default(); }
    void OnKillFocus(CWnd*) { Default(); }
    BOOL OnCopyData(CWnd*, COPYDATASTRUCT*) { return (BOOL)Default(); }
    void OnDropFiles(HDROP) { Default(); }
    HCURSOR OnQueryDragIcon() { return (HCURSOR)Default(); }

    const AFX_MSGMAP* GetMessageMap() const override;
    static const AFX_MSGMAP* GetThisMessageMap();

protected:
    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, called by DefWindowProc
    HWND m_hWndOwner = nullptr;    // the owner set by SetOwner
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Offers a message to PreTranslateMessage of its target window and then of each parent.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// Frees the temporary wrappers made by FromHandle (done when the message queue is empty).
void AfxDeleteTempMap();

class CScrollBar : public CWnd {};

// A top-level window with a menu whose items its command route enables (MFC's frame without
// documents). Commands from the menu and update requests go first to the window with the
// keyboard focus and its parents below the frame, then to the active view, then to the frame,
// then to the application. When the frame is the application's main window, its end ends the
// message loop. Frames made with new delete themselves when their window is gone.
class CFrameWnd : public CWnd {
    DECLARE_DYNAMIC(CFrameWnd)
public:
    static const CRect rectDefault;
    CFrameWnd() = default;

    // lpszClassName NULL: the framework's frame class. nIDMenu: the menu resource, 0 for none.
    BOOL Create(LPCTSTR lpszClassName, LPCTSTR lpszWindowName, DWORD dwStyle = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* pParentWnd = nullptr, UINT nIDMenu = 0, DWORD dwExStyle = 0);
    // The child that fills the client area, takes the focus the frame gets and is offered
    // commands before the frame.
    void SetActiveView(CWnd* pView) { m_pViewActive = pView; }
    CWnd* GetActiveView() const { return m_pViewActive; }
    BOOL OnCmdMsg(UINT nID, int nCode, void* pExtra, AFX_CMDHANDLERINFO* pHandlerInfo = nullptr) override;
    // Resizes the active view to the client area.
    virtual void RecalcLayout();

    BOOL m_bAutoMenuEnable = TRUE; // items without any handler are greyed
    BOOL m_bAutoDelete = TRUE;

protected:
    void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    void OnSize(UINT nType, int cx, int cy);
    void OnSetFocus(CWnd* pOldWnd);
    void PostNcDestroy() override;

    CWnd* m_pViewActive = nullptr;
    DECLARE_MESSAGE_MAP()
};

class CEdit : public CWnd {
public:
    void SetSel(int nStart, int nEnd, BOOL bNoScroll = FALSE)
    {
        SendMessage(EM_SETSEL, nStart, nEnd);
        if (!bNoScroll) SendMessage(EM_SCROLLCARET);
    }
    void ReplaceSel(LPCTSTR text, BOOL bCanUndo = FALSE) { SendMessage(EM_REPLACESEL, bCanUndo, (LPARAM)text); }
    void SetLimitText(UINT n) { SendMessage(EM_SETLIMITTEXT, n); }
    int GetLineCount() const { return (int)::SendMessageA(m_hWnd, EM_GETLINECOUNT, 0, 0); }
};

class CListBox : public CWnd {
public:
    int AddString(LPCTSTR s) { return (int)SendMessage(LB_ADDSTRING, 0, (LPARAM)s); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0); }
    int SetCurSel(int n) { return (int)SendMessage(LB_SETCURSEL, n); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0); }
    void GetText(int n, CString& s) const;
    int FindStringExact(int start, LPCTSTR s) const { return (int)::SendMessageA(m_hWnd, LB_FINDSTRINGEXACT, start, (LPARAM)s); }
    void ResetContent() { SendMessage(LB_RESETCONTENT); }
};

class CComboBox : public CWnd {
public:
    int AddString(LPCTSTR s) { return (int)SendMessage(CB_ADDSTRING, 0, (LPARAM)s); }
    int GetCurSel() const { return (int)::SendMessageA(m_hWnd, CB_GETCURSEL, 0, 0); }
    int SetCurSel(int n) { return (int)SendMessage(CB_SETCURSEL, n); }
    int GetCount() const { return (int)::SendMessageA(m_hWnd, CB_GETCOUNT, 0, 0); }
    void GetLBText(int n, CString& s) const;
    int FindStringExact(int start, LPCTSTR s) const { return (int)::SendMessageA(m_hWnd, CB_FINDSTRINGEXACT, start, (LPARAM)s); }
    void ResetContent() { SendMessage(CB_RESETCONTENT); }
    BOOL ShowDropDown(BOOL bShow = TRUE) { return (BOOL)SendMessage(CB_SHOWDROPDOWN, bShow); }
};

// ---- Dialogs --------------------------------------------------------------------------------
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    // The control's window; throws CNotSupportedException when the dialog has no such control.
    HWND PrepareCtrl(int nIDC);
};

// Attaches rControl to the dialog's control nIDC the first time the exchange runs.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    // Creates the dialog from its template and runs it in a modal loop of its own: each message is
    // offered to PreTranslateMessage of its window and that window's parents (the dialog's own
    // IsDialogMessage among them) before it is dispatched. Returns EndDialog's result, or -1 when
    // the dialog could not be created.
    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int nResult);
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    UINT m_nIDHelp;
    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;
    int m_nModalResult = -1;
    BOOL m_bContinueModal = FALSE;
    friend INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()
};

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// ---- Application ----------------------------------------------------------------------------
class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCTSTR lpszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitApplication() { return TRUE; }
    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return m_msgCur.wParam ? (int)m_msgCur.wParam : 0; }
    BOOL Enable3dControls() { return TRUE; }
    void OnHelp() {}

    HINSTANCE m_hInstance = nullptr;
    LPCTSTR m_pszAppName = nullptr;
    CWnd* m_pMainWnd = nullptr;
    LPTSTR m_lpCmdLine = nullptr;
    int m_nCmdShow = SW_SHOWNORMAL;

protected:
    MSG m_msgCur{};
    CString m_strAppName;
    friend int AfxWinMain(HINSTANCE, HINSTANCE, LPSTR, int);
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
// The owner of a system dialog (file, print) run for pParent: its top-level window; without a
// parent the application's main window, else the active one, so the dialog is modal to it.
HWND AfxGetDialogOwner(CWnd* pParent);
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();
// The application's name: its object's name, else the executable's base name.
LPCTSTR AfxGetAppName();
void AfxEnableControlContainer();
// Registers the class unless it is registered already.
BOOL AfxRegisterClass(WNDCLASSA* lpWndClass);
int AfxWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nCmdShow);
