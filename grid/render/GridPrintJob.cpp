// The print host: the print dialog or the default or named printer, and the page loop of the
// print protocol.
#include "GridPrintJob.h"

#include <cderr.h>

LPCTSTR DescribeGridPrintResult(GridPrintResult result) {
    switch (result) {
    case GRID_PRINT_OK:
        return "printed";
    case GRID_PRINT_CANCELLED:
        return "cancelled";
    case GRID_PRINT_NO_PRINTER:
        return "no printer is installed, or the printer named does not exist";
    case GRID_PRINT_NO_ROWS:
        return "there are no rows to print";
    case GRID_PRINT_NO_PAGES:
        return "the pages asked for lie beyond the last page";
    case GRID_PRINT_FAILED:
        return "the printer refused the job";
    }
    return "unknown result";
}

GridPrintResult RunGridPrintJob(CGridMainWnd& grid, CDC* pDC, CPrintInfo* pInfo, LPCTSTR docName,
                                LPCTSTR outputFile, UINT* pPages) {
    if (pPages != nullptr) *pPages = 0;
    if (pDC == nullptr || pInfo == nullptr) return GRID_PRINT_FAILED;
    if (grid.GetNumRows() <= grid.GetNumFixedRows()) return GRID_PRINT_NO_ROWS;

    pDC->m_bPrinting = TRUE;
    grid.OnBeginPrinting(pDC, pInfo);

    UINT from = pInfo->GetFromPage(), to = pInfo->GetToPage();
    if (from < pInfo->GetMinPage()) from = pInfo->GetMinPage();
    if (to > pInfo->GetMaxPage()) to = pInfo->GetMaxPage();
    if (from > to) {
        grid.OnEndPrinting(pDC, pInfo);
        return GRID_PRINT_NO_PAGES;
    }

    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    CString name = docName != nullptr && *docName ? CString(docName) : CString("Grid");
    doc.lpszDocName = name;
    doc.lpszOutput = outputFile != nullptr && *outputFile ? outputFile : nullptr;
    if (pDC->StartDoc(&doc) <= 0) {
        grid.OnEndPrinting(pDC, pInfo);
        return GRID_PRINT_FAILED;
    }

    GridPrintResult result = GRID_PRINT_OK;
    for (pInfo->m_nCurPage = from; pInfo->m_nCurPage <= to && pInfo->m_bContinuePrinting;
         pInfo->m_nCurPage++) {
        if (pDC->StartPage() <= 0) {
            result = GRID_PRINT_FAILED;
            break;
        }
        grid.OnPrint(pDC, pInfo);
        if (pDC->EndPage() <= 0) {
            result = GRID_PRINT_FAILED;
            break;
        }
        if (pPages != nullptr) (*pPages)++;
    }
    if (result == GRID_PRINT_OK)
        pDC->EndDoc();
    else
        pDC->AbortDoc();
    grid.OnEndPrinting(pDC, pInfo);
    return result;
}

GridPrintResult PrintGridToPrinter(CGridMainWnd& grid, const GridPrintSettings& settings, UINT* pPages) {
    if (pPages != nullptr) *pPages = 0;
    CPrintInfo info;
    info.m_bDirect = TRUE;
    HDC hDC = nullptr;
    if (settings.printerName.IsEmpty()) {
        if (!info.m_pPD->GetDefaults()) return GRID_PRINT_NO_PRINTER;
        hDC = info.m_pPD->m_pd.hDC;
        info.m_pPD->m_pd.hDC = nullptr; // this function deletes it
    } else {
        hDC = ::CreateDCA("WINSPOOL", settings.printerName, nullptr, nullptr);
    }
    if (hDC == nullptr) return GRID_PRINT_NO_PRINTER;

    info.m_pPD->m_pd.nFromPage = (WORD)(settings.fromPage > 0xFFFF ? 0xFFFF : settings.fromPage);
    info.m_pPD->m_pd.nToPage =
        (WORD)(settings.toPage == 0 || settings.toPage > 0xFFFF ? 0xFFFF : settings.toPage);
    CDC dc;
    dc.Attach(hDC);
    AfxCountDC(+1);
    GridPrintResult r = RunGridPrintJob(grid, &dc, &info, settings.docName, settings.outputFile, pPages);
    dc.DeleteDC();
    return r;
}

GridPrintResult PrintGridWithDialog(CWnd* pOwner, CGridMainWnd& grid, LPCTSTR docName) {
    if (grid.GetNumRows() <= grid.GetNumFixedRows()) {
        AfxMessageBox("There are no rows to print.", MB_OK | MB_ICONINFORMATION);
        return GRID_PRINT_NO_ROWS;
    }
    CPrintInfo info;
    CPrintDialog* pd = info.m_pPD;
    pd->m_pd.Flags &= ~(PD_NOPAGENUMS | PD_HIDEPRINTTOFILE);
    pd->m_pd.Flags |= PD_RETURNDC;
    pd->m_pd.nMinPage = 1;
    pd->m_pd.nMaxPage = 0xFFFF;
    // Without a printer there is nothing to choose: said here, the same way on every system.
    if (!pd->GetDefaults()) {
        AfxMessageBox("No printer is installed.", MB_OK | MB_ICONEXCLAMATION);
        return GRID_PRINT_NO_PRINTER;
    }
    if (pd->m_pd.hDC != nullptr) {
        ::DeleteDC(pd->m_pd.hDC);
        pd->m_pd.hDC = nullptr;
    }
    // The dialog starts from the default printer's settings, modal to the owner's top-level window.
    HWND owner = pOwner != nullptr ? pOwner->GetSafeHwnd() : nullptr;
    pd->m_pd.hwndOwner = owner != nullptr ? ::GetAncestor(owner, GA_ROOT) : nullptr;
    pd->m_pd.hInstance = AfxGetInstanceHandle();
    if (!::PrintDlgA(&pd->m_pd)) {
        DWORD error = ::CommDlgExtendedError();
        if (error == 0) return GRID_PRINT_CANCELLED;
        if (error == PDERR_NODEFAULTPRN || error == PDERR_NODEVICES) {
            AfxMessageBox("No printer is installed.", MB_OK | MB_ICONEXCLAMATION);
            return GRID_PRINT_NO_PRINTER;
        }
        AfxMessageBox("The print dialog could not be shown.", MB_OK | MB_ICONEXCLAMATION);
        return GRID_PRINT_FAILED;
    }
    HDC hDC = pd->m_pd.hDC;
    if (hDC == nullptr)
        hDC = pd->CreatePrinterDC();
    else
        pd->m_pd.hDC = nullptr; // deleted here, below
    if (hDC == nullptr) {
        AfxMessageBox("The printer could not be opened.", MB_OK | MB_ICONEXCLAMATION);
        return GRID_PRINT_NO_PRINTER;
    }
    if (pd->PrintAll()) {
        pd->m_pd.nFromPage = 1;
        pd->m_pd.nToPage = 0xFFFF;
    }

    // Print to file: the name of the file the printer's output goes to.
    CString output;
    if (pd->PrintToFile()) {
        CFileDialog file(FALSE, "prn", "output.prn", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         "Printer Files (*.prn)|*.prn|All Files (*.*)|*.*||", pOwner);
        if (file.DoModal() != IDOK) {
            ::DeleteDC(hDC);
            return GRID_PRINT_CANCELLED;
        }
        output = file.GetPathName();
    }

    CDC dc;
    dc.Attach(hDC);
    AfxCountDC(+1);
    GridPrintResult r = RunGridPrintJob(grid, &dc, &info, docName, output);
    dc.DeleteDC();
    if (r != GRID_PRINT_OK) {
        CString text;
        text.Format("The grid could not be printed: %s.", DescribeGridPrintResult(r));
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
    return r;
}
