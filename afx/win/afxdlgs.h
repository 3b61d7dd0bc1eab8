// CFileDialog: the system's Open and Save As dialogs (GetOpenFileNameA / GetSaveFileNameA) with
// MFC's interface.
#pragma once

#include "afxwin.h"

#include <commdlg.h>

#include <vector>

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    // lpszFilter is in MFC's form: pairs of description and pattern separated by "|", ending with
    // "||" (for example "Text Files (*.txt)|*.txt||"). lpszDefExt is appended, after a ".", to a
    // name typed without an extension. dwFlags are the OFN_* flags, passed as they are.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCTSTR lpszDefExt = nullptr, LPCTSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCTSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // Runs the dialog: IDOK when the user chose a file, IDCANCEL when the dialog was cancelled or
    // could not run (CommDlgExtendedError tells which).
    INT_PTR DoModal() override;

    // The chosen file: the full path, the name with its extension, the extension alone.
    CString GetPathName() const;
    CString GetFileName() const;
    CString GetFileExt() const;

    OPENFILENAMEA m_ofn;

    // The filter in the dialog's form: the "|" separators turned into NULs, ending with two NULs.
    static std::vector<char> MakeFilter(LPCTSTR lpszFilter);

protected:
    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    std::vector<char> m_filter;
    std::vector<char> m_fileName;
};

// CPrintDialog: the system's Print and Print Setup dialogs (PrintDlgA) with MFC's interface.
// The dialog's device mode and names (m_pd.hDevMode, m_pd.hDevNames) and a printer context it
// returned (m_pd.hDC) belong to the object and are freed with it.
class CPrintDialog : public CDialog {
    DECLARE_DYNAMIC(CPrintDialog)
public:
    explicit CPrintDialog(BOOL bPrintSetupOnly,
                          DWORD dwFlags = PD_ALLPAGES | PD_USEDEVMODECOPIES | PD_NOPAGENUMS |
                                          PD_HIDEPRINTTOFILE | PD_NOSELECTION,
                          CWnd* pParentWnd = nullptr);
    ~CPrintDialog() override;

    // Runs the dialog: IDOK when the user chose to print, IDCANCEL when the dialog was cancelled
    // or could not run (CommDlgExtendedError tells which; there may be no printer at all).
    INT_PTR DoModal() override;
    // Fills m_pd with the default printer's settings without showing anything (and its context,
    // with PD_RETURNDC); FALSE when there is no default printer.
    BOOL GetDefaults();

    // A printer context for the chosen printer and settings, made from m_pd's device names and
    // mode; NULL when they are missing. The caller deletes it.
    HDC CreatePrinterDC();
    // The context the dialog returned (PD_RETURNDC), still owned by this object.
    HDC GetPrinterDC() const { return m_pd.hDC; }
    CString GetDeviceName() const;
    CString GetDriverName() const;
    CString GetPortName() const;
    BOOL PrintAll() const { return (m_pd.Flags & (PD_PAGENUMS | PD_SELECTION)) == 0; }
    BOOL PrintRange() const { return (m_pd.Flags & PD_PAGENUMS) != 0; }
    BOOL PrintSelection() const { return (m_pd.Flags & PD_SELECTION) != 0; }
    BOOL PrintToFile() const { return (m_pd.Flags & PD_PRINTTOFILE) != 0; }
    int GetFromPage() const { return PrintRange() ? m_pd.nFromPage : -1; }
    int GetToPage() const { return PrintRange() ? m_pd.nToPage : -1; }

    PRINTDLGA m_pd;

protected:
    // Frees the device mode and names and deletes the returned context.
    void FreeSettings();
    CString DevNamesString(WORD DEVNAMES::*offset) const;
};

// CFindReplaceDialog: the system's modeless Find dialog (FindTextA) with MFC's interface for it.
// The owner learns of its buttons through the registered message GetFindReplaceMsg() (wParam 0,
// lParam the FINDREPLACE), and hands it its keys from its message loop (PreTranslateMessage).
// Unlike MFC's, the object does not delete itself: the owner keeps it, and it may be created again
// once the system has closed its window.
class CFindReplaceDialog {
public:
    CFindReplaceDialog();
    ~CFindReplaceDialog();
    CFindReplaceDialog(const CFindReplaceDialog&) = delete;
    CFindReplaceDialog& operator=(const CFindReplaceDialog&) = delete;

    // Opens the Find dialog (only Find: bFindDialogOnly must be TRUE) owned by pParentWnd, showing
    // lpszFindWhat and the FR_* flags (FR_DOWN, FR_MATCHCASE, FR_WHOLEWORD). FALSE when it is open
    // already or the system makes none.
    BOOL Create(BOOL bFindDialogOnly, LPCTSTR lpszFindWhat, LPCTSTR lpszReplaceWith = nullptr,
                DWORD dwFlags = FR_DOWN, CWnd* pParentWnd = nullptr);
    // The dialog's window while it is open, else nullptr.
    HWND GetSafeHwnd() const;
    // IsDialogMessage for the dialog's window: TRUE when the message was its and is handled.
    BOOL PreTranslateMessage(MSG* pMsg);

    CString GetFindString() const { return CString(m_findWhat); }
    BOOL SearchDown() const { return (m_fr.Flags & FR_DOWN) != 0; }
    BOOL FindNext() const { return (m_fr.Flags & FR_FINDNEXT) != 0; }
    BOOL MatchCase() const { return (m_fr.Flags & FR_MATCHCASE) != 0; }
    BOOL MatchWholeWord() const { return (m_fr.Flags & FR_WHOLEWORD) != 0; }
    BOOL IsTerminating() const { return (m_fr.Flags & FR_DIALOGTERM) != 0; }

    static UINT GetFindReplaceMsg();
    // The dialog a registered message comes from.
    static CFindReplaceDialog* GetNotifier(LPARAM lParam);

    FINDREPLACEA m_fr;

private:
    char m_findWhat[256];
    HWND m_hWnd;
};
