// Printing a grid: the host's side of the print protocol, for programs that print a grid (a File >
// Print... command) and for tools that print without a dialog.
//
// One line gives a program File > Print...:
//
//     void CMyDlg::OnFilePrint() { PrintGridWithDialog(this, m_grid, "My grid"); }
//
// It shows the standard print dialog, then prints the chosen pages on the chosen printer's
// context: OnBeginPrinting, StartDoc, StartPage / OnPrint / EndPage for each page, EndDoc,
// OnEndPrinting.
#pragma once

#include "GridMainWnd.h"
#include "afxext.h"

enum GridPrintResult {
    GRID_PRINT_OK = 0,
    GRID_PRINT_CANCELLED,  // the user cancelled the print dialog (or the print-to-file name)
    GRID_PRINT_NO_PRINTER, // no printer is installed, or the one named does not exist
    GRID_PRINT_NO_ROWS,    // the grid has no rows to print (only heading rows)
    GRID_PRINT_NO_PAGES,   // the pages asked for all lie beyond the last page
    GRID_PRINT_FAILED,     // the printer refused the job or one of its pages
};

// A short English description of a result, for messages.
LPCTSTR DescribeGridPrintResult(GridPrintResult result);

// File > Print...: the standard print dialog owned by pOwner (page range and print to file
// offered), then the chosen pages on the chosen printer. A failure other than a cancel is also
// shown to the user in a message box. docName names the job in the printer's queue.
GridPrintResult PrintGridWithDialog(CWnd* pOwner, CGridMainWnd& grid, LPCTSTR docName = nullptr);

// A job without a dialog.
struct GridPrintSettings {
    CString printerName; // empty: the default printer
    UINT fromPage = 1;   // first page to print, from 1
    UINT toPage = 0;     // last page to print; 0: to the last page
    CString docName;     // the job's name in the printer's queue
    CString outputFile;  // not empty: the printer's output goes to this file (print to file)
};

// Prints on the default or the named printer; *pPages receives the number of pages printed.
GridPrintResult PrintGridToPrinter(CGridMainWnd& grid, const GridPrintSettings& settings,
                                   UINT* pPages = nullptr);

// The protocol on a context already made (a printer's, or a CPageImageDC): the pages
// pInfo->GetFromPage() to pInfo->GetToPage(), kept within the document's pages. Every page
// started is ended, and a failed job is aborted; OnEndPrinting runs whenever OnBeginPrinting did.
GridPrintResult RunGridPrintJob(CGridMainWnd& grid, CDC* pDC, CPrintInfo* pInfo, LPCTSTR docName,
                                LPCTSTR outputFile, UINT* pPages = nullptr);
