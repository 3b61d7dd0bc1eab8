// CFindReplaceDialog: FindTextA, its registered message and its keys.
#include "afxdlgs.h"

#include <cstring>

CFindReplaceDialog::CFindReplaceDialog() : m_fr(), m_findWhat(), m_hWnd(nullptr) {}

CFindReplaceDialog::~CFindReplaceDialog() {
    if (GetSafeHwnd() != nullptr) ::DestroyWindow(m_hWnd);
}

BOOL CFindReplaceDialog::Create(BOOL bFindDialogOnly, LPCTSTR lpszFindWhat, LPCTSTR /*lpszReplaceWith*/,
                                DWORD dwFlags, CWnd* pParentWnd) {
    if (!bFindDialogOnly || GetSafeHwnd() != nullptr || pParentWnd == nullptr) return FALSE;
    std::memset(m_findWhat, 0, sizeof m_findWhat);
    if (lpszFindWhat != nullptr) lstrcpynA(m_findWhat, lpszFindWhat, sizeof m_findWhat);
    std::memset(&m_fr, 0, sizeof m_fr);
    m_fr.lStructSize = sizeof m_fr;
    m_fr.hwndOwner = pParentWnd->m_hWnd;
    m_fr.Flags = dwFlags & (FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD | FR_HIDEUPDOWN | FR_HIDEMATCHCASE |
                            FR_HIDEWHOLEWORD | FR_NOUPDOWN | FR_NOMATCHCASE | FR_NOWHOLEWORD);
    m_fr.lpstrFindWhat = m_findWhat;
    m_fr.wFindWhatLen = sizeof m_findWhat;
    m_fr.lCustData = (LPARAM)this;
    m_hWnd = ::FindTextA(&m_fr);
    return m_hWnd != nullptr;
}

HWND CFindReplaceDialog::GetSafeHwnd() const {
    // The system destroys the window itself when the user closes it.
    return m_hWnd != nullptr && ::IsWindow(m_hWnd) ? m_hWnd : nullptr;
}

BOOL CFindReplaceDialog::PreTranslateMessage(MSG* pMsg) {
    HWND hWnd = GetSafeHwnd();
    if (hWnd == nullptr || (pMsg->hwnd != hWnd && !::IsChild(hWnd, pMsg->hwnd))) return FALSE;
    return ::IsDialogMessageA(hWnd, pMsg);
}

UINT CFindReplaceDialog::GetFindReplaceMsg() {
    static const UINT message = ::RegisterWindowMessageA(FINDMSGSTRINGA);
    return message;
}

CFindReplaceDialog* CFindReplaceDialog::GetNotifier(LPARAM lParam) {
    const FINDREPLACEA* fr = (const FINDREPLACEA*)lParam;
    return fr != nullptr ? (CFindReplaceDialog*)fr->lCustData : nullptr;
}
