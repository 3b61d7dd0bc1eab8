// CPrintInfo: what a print host and the printed object share during one print job (the
// page range and the current page, the rectangle to draw in, and the print dialog's settings).
#pragma once

#include "afxdlgs.h"

struct CPrintInfo {
    CPrintInfo();
    ~CPrintInfo();
    CPrintInfo(const CPrintInfo&) = delete;
    CPrintInfo& operator=(const CPrintInfo&) = delete;

    CPrintDialog* m_pPD;      // the job's print dialog and its settings (owned)
    BOOL m_bDirect;           // TRUE when printing without the dialog
    BOOL m_bPreview;          // TRUE while previewing (not supported: always FALSE)
    BOOL m_bContinuePrinting; // the host goes on while this stays TRUE
    UINT m_nCurPage;          // the page being printed, from 1
    UINT m_nNumPreviewPages;
    CString m_strPageDesc;
    LPVOID m_lpUserData;
    CRect m_rectDraw; // the part of the page to draw in, logical units

    // The document's pages (m_pPD->m_pd.nMinPage, nMaxPage).
    void SetMinPage(UINT nMinPage) { m_pPD->m_pd.nMinPage = (WORD)nMinPage; }
    void SetMaxPage(UINT nMaxPage) { m_pPD->m_pd.nMaxPage = (WORD)(nMaxPage > 0xFFFF ? 0xFFFF : nMaxPage); }
    UINT GetMinPage() const { return m_pPD->m_pd.nMinPage; }
    UINT GetMaxPage() const { return m_pPD->m_pd.nMaxPage; }
    // The pages asked for (m_pPD->m_pd.nFromPage, nToPage).
    UINT GetFromPage() const { return m_pPD->m_pd.nFromPage; }
    UINT GetToPage() const { return m_pPD->m_pd.nToPage; }
};
