// Printing through the MFC print protocol. Not supported yet: the operations print nothing.
#include "GridMainWnd.h"

void CGridMainWnd::OnBeginPrinting(CDC*, CPrintInfo*) {}
void CGridMainWnd::OnPrint(CDC*, CPrintInfo*) {}
void CGridMainWnd::OnEndPrinting(CDC*, CPrintInfo*) {}
void CGridMainWnd::PrintHeadingRows(CDC*, CPrintInfo*) {}
void CGridMainWnd::PrintPageHeader(CDC*, CPrintInfo*) {}
void CGridMainWnd::PrintPageFooter(CDC*, CPrintInfo*) {}
