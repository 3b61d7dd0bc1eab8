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

    CDebuggerDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();

    // The dialog has ended: return FALSE so the program exits without a message pump of its own.
    m_pMainWnd = nullptr;
    return FALSE;
}
