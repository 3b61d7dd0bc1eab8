// CPrintDialog over PrintDlgA, and CPrintInfo.
#include "afxext.h"

#include <cstring>

IMPLEMENT_DYNAMIC(CPrintDialog, CDialog)

CPrintDialog::CPrintDialog(BOOL bPrintSetupOnly, DWORD dwFlags, CWnd* pParentWnd) : CDialog(0, pParentWnd) {
    std::memset(&m_pd, 0, sizeof m_pd);
    m_pd.lStructSize = sizeof m_pd;
    m_pd.Flags = dwFlags | (bPrintSetupOnly ? PD_PRINTSETUP : PD_RETURNDC);
    m_pd.nCopies = 1;
}

CPrintDialog::~CPrintDialog() {
    FreeSettings();
}

void CPrintDialog::FreeSettings() {
    if (m_pd.hDC != nullptr) {
        ::DeleteDC(m_pd.hDC);
        m_pd.hDC = nullptr;
    }
    if (m_pd.hDevMode != nullptr) {
        ::GlobalFree(m_pd.hDevMode);
        m_pd.hDevMode = nullptr;
    }
    if (m_pd.hDevNames != nullptr) {
        ::GlobalFree(m_pd.hDevNames);
        m_pd.hDevNames = nullptr;
    }
}

INT_PTR CPrintDialog::DoModal() {
    m_pd.hwndOwner = AfxGetDialogOwner(m_pParentWnd);
    m_pd.hInstance = AfxGetInstanceHandle();
    // A context left from an earlier run would be lost when the dialog returns a new one.
    if (m_pd.hDC != nullptr) {
        ::DeleteDC(m_pd.hDC);
        m_pd.hDC = nullptr;
    }
    return ::PrintDlgA(&m_pd) ? IDOK : IDCANCEL;
}

BOOL CPrintDialog::GetDefaults() {
    FreeSettings();
    const DWORD flags = m_pd.Flags;
    m_pd.Flags = (flags & PD_RETURNDC) | PD_RETURNDEFAULT | PD_NOWARNING;
    m_pd.hwndOwner = nullptr;
    BOOL ok = ::PrintDlgA(&m_pd);
    m_pd.Flags = flags;
    return ok;
}

HDC CPrintDialog::CreatePrinterDC() {
    if (m_pd.hDevNames == nullptr) return nullptr;
    CString driver = GetDriverName(), device = GetDeviceName(), port = GetPortName();
    const DEVMODEA* mode = m_pd.hDevMode != nullptr ? (const DEVMODEA*)::GlobalLock(m_pd.hDevMode) : nullptr;
    HDC dc = ::CreateDCA(driver, device, port.IsEmpty() ? nullptr : (LPCSTR)port, mode);
    if (mode != nullptr) ::GlobalUnlock(m_pd.hDevMode);
    return dc;
}

CString CPrintDialog::DevNamesString(WORD DEVNAMES::*offset) const {
    if (m_pd.hDevNames == nullptr) return CString();
    const DEVNAMES* names = (const DEVNAMES*)::GlobalLock(m_pd.hDevNames);
    if (names == nullptr) return CString();
    CString s((LPCSTR)names + names->*offset);
    ::GlobalUnlock(m_pd.hDevNames);
    return s;
}

CString CPrintDialog::GetDeviceName() const {
    return DevNamesString(&DEVNAMES::wDeviceOffset);
}

CString CPrintDialog::GetDriverName() const {
    return DevNamesString(&DEVNAMES::wDriverOffset);
}

CString CPrintDialog::GetPortName() const {
    return DevNamesString(&DEVNAMES::wOutputOffset);
}

CPrintInfo::CPrintInfo()
    : m_pPD(new CPrintDialog(FALSE, PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOSELECTION)), m_bDirect(FALSE),
      m_bPreview(FALSE), m_bContinuePrinting(TRUE), m_nCurPage(1), m_nNumPreviewPages(0),
      m_lpUserData(nullptr) {
    SetMinPage(1);
    SetMaxPage(0xFFFF);
    m_pPD->m_pd.nFromPage = 1;
    m_pPD->m_pd.nToPage = 0xFFFF;
}

CPrintInfo::~CPrintInfo() {
    delete m_pPD;
}
