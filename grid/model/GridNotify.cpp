// NotifyParent: the WM_NOTIFY record sent to the grid's owner, or else its parent.
#include "GridMainWnd.h"

LRESULT CGridMainWnd::NotifyParent(int row, int col, int code) {
    if (!::IsWindow(m_hWnd)) return 0;
    GridNotifyInfo info;
    info.hdr.hwndFrom = m_hWnd;
    info.hdr.idFrom = (UINT_PTR)GetDlgCtrlID();
    info.hdr.code = (UINT)code;
    info.row = row;
    info.col = col;
    CWnd* pOwner = GetOwner();
    HWND recipient = pOwner != nullptr ? pOwner->m_hWnd : ::GetParent(m_hWnd);
    if (recipient == nullptr || !::IsWindow(recipient)) return 0;
    // A parent of the framework reflects the notification back to the grid first: while this
    // sends, the grid knows a GN_ENDCHANGE it is offered to be its own.
    BOOL wasSending = sendingNotification;
    sendingNotification = TRUE;
    LRESULT result = ::SendMessageA(recipient, WM_NOTIFY, (WPARAM)info.hdr.idFrom, (LPARAM)&info);
    sendingNotification = wasSending;
    return result;
}
