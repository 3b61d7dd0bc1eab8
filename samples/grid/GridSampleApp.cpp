// GridSample.exe: the grid control's showcase. A window whose grid has editable columns of each
// editor kind (edit box, list, combo with item data), read-only cells, a heading row and column,
// sorting by heading clicks, and the clipboard through the Edit menu and the keyboard.
#include "SampleFrame.h"

class CGridSampleApp : public CWinApp {
public:
    BOOL InitInstance() override;
    int ExitInstance() override;

private:
    BOOL m_oleInitialized = FALSE;
};

CGridSampleApp theApp;

BOOL CGridSampleApp::InitInstance() {
    // OLE for the clipboard, for the whole run of the program.
    m_oleInitialized = SUCCEEDED(::OleInitialize(nullptr));
    CSampleFrame* frame = new CSampleFrame;
    frame->m_bAutoDelete = FALSE; // a window that fails half-way must not take the object along
    if (!frame->CreateSample()) {
        delete frame;
        AfxMessageBox("The sample's window could not be created.");
        return FALSE;
    }
    frame->m_bAutoDelete = TRUE; // from now on it deletes itself when its window is gone
    m_pMainWnd = frame;
    frame->ShowWindow(m_nCmdShow);
    frame->UpdateWindow();
    return TRUE;
}

int CGridSampleApp::ExitInstance() {
    if (m_oleInitialized) {
        // What was copied stays on the clipboard after the program ends.
        COleDataSource::FlushClipboard();
        ::OleUninitialize();
    }
    return CWinApp::ExitInstance();
}
