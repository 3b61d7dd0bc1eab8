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
