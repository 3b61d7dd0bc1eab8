#include "afxexcept.h"

#include <cstdio>
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CMemoryException, CException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CException)
IMPLEMENT_DYNAMIC(CResourceException, CException)
IMPLEMENT_DYNAMIC(CFileException, CException)

static BOOL CopyMessage(LPTSTR out, UINT nMax, const char* text)
{
    if (out == nullptr || nMax == 0) return FALSE;
    std::strncpy(out, text, nMax - 1);
    out[nMax - 1] = '\0';
    return TRUE;
}

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext)
{
    if (pnHelpContext) *pnHelpContext = 0;
    if (lpszError && nMaxError) *lpszError = '\0';
    return FALSE;
}

int CException::ReportError(UINT nType, UINT)
{
    char text[512];
    if (GetErrorMessage(text, sizeof text)) return AfxMessageBox(text, nType);
    return AfxMessageBox("No error message is available.", nType);
}

BOOL CMemoryException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext)
{
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage(lpszError, nMaxError, "Out of memory.");
}

BOOL CNotSupportedException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext)
{
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage(lpszError, nMaxError, "Unsupported operation was attempted.");
}

BOOL CResourceException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext)
{
    if (pnHelpContext) *pnHelpContext = 0;
    return CopyMessage(lpszError, nMaxError, "A required resource was unavailable.");
}

BOOL CFileException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext)
{
    static const char* const causes[] = {
        "No error occurred.",          "An unspecified error occurred.", "The file was not found.",
        "The path is invalid.",        "Too many files are open.",       "Access was denied.",
        "The file is invalid.",        "The current directory cannot be removed.",
        "The directory is full.",      "Seek failed.",                   "A hardware I/O error occurred.",
        "A sharing violation occurred.", "A locking violation occurred.", "The disk is full.",
        "The end of the file was reached."};
    if (pnHelpContext) *pnHelpContext = 0;
    int cause = (m_cause >= 0 && m_cause <= endOfFile) ? m_cause : generic;
    CString text;
    if (m_strFileName.IsEmpty())
        text = causes[cause];
    else
        text.Format("%s: %s", (LPCTSTR)m_strFileName, causes[cause]);
    return CopyMessage(lpszError, nMaxError, text);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
{
    throw new CFileException(cause, lOsError, lpszFileName);
}

#ifndef _WIN32
int AfxMessageBox(LPCTSTR lpszText, UINT, UINT)
{
    std::fprintf(stderr, "%s\n", lpszText ? lpszText : "");
    return IDOK;
}
#endif
