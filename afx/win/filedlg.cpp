#include "afxdlgs.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CFileDialog, CDialog)

namespace {
// Room for the chosen path: longer than MAX_PATH, as long paths can be typed.
const DWORD kFileNameBuffer = 32768;
} // namespace

std::vector<char> CFileDialog::MakeFilter(LPCTSTR lpszFilter) {
    std::vector<char> filter;
    if (lpszFilter == nullptr || *lpszFilter == '\0') return filter;
    for (const char* p = lpszFilter; *p; p++)
        filter.push_back(*p == '|' ? '\0' : *p);
    // The list ends with two NULs whether or not the string ended with "||".
    filter.push_back('\0');
    filter.push_back('\0');
    return filter;
}

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt, LPCTSTR lpszFileName, DWORD dwFlags,
                         LPCTSTR lpszFilter, CWnd* pParentWnd)
    : CDialog(0, pParentWnd), m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt),
      m_filter(MakeFilter(lpszFilter)), m_fileName(kFileNameBuffer, '\0') {
    std::memset(&m_ofn, 0, sizeof m_ofn);
    m_ofn.lStructSize = sizeof m_ofn;
    m_ofn.lpstrFile = m_fileName.data();
    m_ofn.nMaxFile = kFileNameBuffer;
    m_ofn.Flags = dwFlags;
    m_ofn.lpstrDefExt = lpszDefExt ? (LPCSTR)m_strDefExt : nullptr;
    m_ofn.lpstrFilter = m_filter.empty() ? nullptr : m_filter.data();
    m_ofn.nFilterIndex = m_filter.empty() ? 0 : 1;
    if (lpszFileName != nullptr) {
        size_t n = std::strlen(lpszFileName);
        if (n >= kFileNameBuffer) n = kFileNameBuffer - 1;
        std::memcpy(m_fileName.data(), lpszFileName, n);
    }
}

INT_PTR CFileDialog::DoModal() {
    m_ofn.hwndOwner = AfxGetDialogOwner(m_pParentWnd);
    m_ofn.hInstance = AfxGetInstanceHandle();

    BOOL ok = m_bOpenFileDialog ? ::GetOpenFileNameA(&m_ofn) : ::GetSaveFileNameA(&m_ofn);
    return ok ? IDOK : IDCANCEL;
}

CString CFileDialog::GetPathName() const {
    return CString(m_ofn.lpstrFile);
}

CString CFileDialog::GetFileName() const {
    CString path = GetPathName();
    int slash = path.ReverseFind('\\');
    int other = path.ReverseFind('/');
    if (other > slash) slash = other;
    return path.Mid(slash + 1);
}

CString CFileDialog::GetFileExt() const {
    CString name = GetFileName();
    int dot = name.ReverseFind('.');
    return dot < 0 ? CString() : name.Mid(dot + 1);
}
