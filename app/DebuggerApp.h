// The application object: runs the main dialog modally and ends when it closes.
#pragma once

#include "afxwin.h"

class CDebuggerApp : public CWinApp {
public:
    CDebuggerApp() = default;
    BOOL InitInstance() override;

protected:
    DECLARE_MESSAGE_MAP()
};
