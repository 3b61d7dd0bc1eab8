#include "DebuggerApp.h"

#include "DebuggerDlg.h"

BEGIN_MESSAGE_MAP(CDebuggerApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CDebuggerApp theApp;

BOOL CDebuggerApp::InitInstance()
{
    AfxEnableControlContainer();
    Enable3dControls();
    // OLE for the clipboard, for the whole run (the grid also initialises it for its own life).
    const BOOL oleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    {
        CDebuggerDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    if (oleInitialized) {
        // Rows copied from the trace stay on the clipboard after the program ends.
        COleDataSource::FlushClipboard();
        ::OleUninitialize();
    }
    // The dialog has ended: return FALSE so the program exits without a message pump of its own.
    return FALSE;
}
