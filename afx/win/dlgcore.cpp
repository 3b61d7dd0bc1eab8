// CDialog with its own modal loop, and dialog data exchange.
#include "afxwin.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

// The dialog procedure: the object takes its window over at WM_INITDIALOG and initialises it.
// Every other message reaches the object through AfxWndProc first, so this procedure only sees
// what the object's handlers passed on; it leaves them to the dialog manager.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam)
{
    if (message != WM_INITDIALOG) return FALSE;
    CDialog* pDlg = (CDialog*)lParam;
    if (CWnd::FromHandlePermanent(hWnd) == nullptr) pDlg->SubclassWindow(hWnd);
    BOOL result = TRUE;
    try {
        result = pDlg->OnInitDialog();
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
        pDlg->EndDialog(-1);
        result = FALSE;
    }
    return result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bContinueModal = FALSE;
    // Wake the modal loop, which may be waiting for a message.
    if (m_hWnd != nullptr) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    // Keyboard and mouse input gets the dialog manager's navigation (Tab, Enter, Esc, arrows).
    bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                 (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input || m_hWnd == nullptr) return FALSE;
    return ::IsDialogMessageA(m_hWnd, pMsg);
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInst = AfxGetResourceHandle();
    HRSRC hRes = ::FindResourceA(hInst, MAKEINTRESOURCEA(m_nIDTemplate), (LPCSTR)RT_DIALOG);
    HGLOBAL hTemplate = hRes ? ::LoadResource(hInst, hRes) : nullptr;
    LPCDLGTEMPLATEA lpTemplate = hTemplate ? (LPCDLGTEMPLATEA)::LockResource(hTemplate) : nullptr;
    if (lpTemplate == nullptr) return -1;

    HWND hWndParent = m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr;
    BOOL parentWasEnabled = FALSE;
    if (hWndParent != nullptr && ::IsWindowEnabled(hWndParent)) {
        ::EnableWindow(hWndParent, FALSE);
        parentWasEnabled = TRUE;
    }

    m_nModalResult = -1;
    m_bContinueModal = TRUE;
    HWND hWnd = ::CreateDialogIndirectParamA(hInst, lpTemplate, hWndParent, AfxDlgProc, (LPARAM)this);
    if (hWnd != nullptr && m_bContinueModal) {
        MSG msg;
        while (m_bContinueModal) {
            BOOL r = ::GetMessageA(&msg, nullptr, 0, 0);
            if (r == 0) {
                ::PostQuitMessage((int)msg.wParam);  // leave WM_QUIT for the outer loop
                break;
            }
            if (r == -1) break;
            if (!AfxPreTranslateMessage(&msg)) {
                ::TranslateMessage(&msg);
                ::DispatchMessageA(&msg);
            }
            if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTempMap();
        }
    }

    if (parentWasEnabled) ::EnableWindow(hWndParent, TRUE);
    if (hWnd != nullptr) {
        ::SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        ::DestroyWindow(hWnd);
    }
    AfxDeleteTempMap();
    return m_nModalResult;
}

HWND CDataExchange::PrepareCtrl(int nIDC)
{
    HWND h = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    if (h == nullptr) AfxThrowNotSupportedException();
    return h;
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd != nullptr) return;
    HWND h = pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassWindow(h)) AfxThrowNotSupportedException();
}

HWND AfxGetDialogOwner(CWnd* pParent)
{
    HWND owner = pParent ? pParent->GetSafeHwnd() : nullptr;
    if (owner == nullptr) {
        CWnd* pMain = AfxGetMainWnd();
        owner = pMain ? pMain->GetSafeHwnd() : nullptr;
    }
    if (owner == nullptr) owner = ::GetActiveWindow();
    if (owner != nullptr) owner = ::GetAncestor(owner, GA_ROOT);
    return owner;
}
