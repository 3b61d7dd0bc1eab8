// The application object, the entry point and application-wide helpers.
#include "afxwin.h"

#include <cstring>

namespace {
CWinApp* g_pApp = nullptr;
char g_moduleName[MAX_PATH];
}  // namespace

CWinApp::CWinApp(LPCTSTR lpszAppName)
{
    g_pApp = this;
    if (lpszAppName != nullptr) {
        m_strAppName = lpszAppName;
        m_pszAppName = m_strAppName;
    }
}

CWinApp::~CWinApp()
{
    if (g_pApp == this) g_pApp = nullptr;
}

int CWinApp::Run()
{
    MSG& msg = m_msgCur;
    BOOL r;
    while ((r = ::GetMessageA(&msg, nullptr, 0, 0)) != 0 && r != -1) {
        if (!AfxPreTranslateMessage(&msg)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageA(&msg);
        }
        if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) AfxDeleteTempMap();
    }
    return ExitInstance();
}

CWinApp* AfxGetApp() { return g_pApp; }
CWnd* AfxGetMainWnd() { return g_pApp ? g_pApp->m_pMainWnd : nullptr; }
HINSTANCE AfxGetInstanceHandle() { return g_pApp && g_pApp->m_hInstance ? g_pApp->m_hInstance : ::GetModuleHandleA(nullptr); }
HINSTANCE AfxGetResourceHandle() { return AfxGetInstanceHandle(); }
void AfxEnableControlContainer() {}

LPCTSTR AfxGetAppName()
{
    if (g_pApp != nullptr && g_pApp->m_pszAppName != nullptr) return g_pApp->m_pszAppName;
    if (g_moduleName[0] == '\0') {
        // The executable's base name without its extension, as MFC names an application that
        // has no title string.
        char path[MAX_PATH];
        DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
        path[n < MAX_PATH ? n : MAX_PATH - 1] = '\0';
        const char* base = path;
        for (const char* p = path; *p; p++)
            if (*p == '\\' || *p == '/') base = p + 1;
        size_t len = std::strlen(base);
        std::memcpy(g_moduleName, base, len + 1);
        char* dot = std::strrchr(g_moduleName, '.');
        if (dot != nullptr) *dot = '\0';
    }
    return g_moduleName;
}

int AfxMessageBox(LPCTSTR lpszText, UINT nType, UINT)
{
    HWND owner = nullptr;
    if (CWnd* pMain = AfxGetMainWnd()) owner = pMain->m_hWnd;
    if (owner == nullptr) owner = ::GetActiveWindow();
    return ::MessageBoxA(owner, lpszText, AfxGetAppName(), nType);
}

BOOL AfxRegisterClass(WNDCLASSA* lpWndClass)
{
    WNDCLASSA existing;
    if (::GetClassInfoA(lpWndClass->hInstance, lpWndClass->lpszClassName, &existing)) return TRUE;
    return ::RegisterClassA(lpWndClass) != 0;
}

int AfxWinMain(HINSTANCE hInstance, HINSTANCE, LPSTR lpCmdLine, int nCmdShow)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr) return -1;
    pApp->m_hInstance = hInstance;
    pApp->m_lpCmdLine = lpCmdLine;
    pApp->m_nCmdShow = nCmdShow;
    if (pApp->m_pszAppName == nullptr) {
        pApp->m_pszAppName = nullptr;  // AfxGetAppName falls back to the module name
        pApp->m_strAppName = AfxGetAppName();
        pApp->m_pszAppName = pApp->m_strAppName;
    }
    int nReturnCode = -1;
    try {
        if (!pApp->InitApplication()) return nReturnCode;
        if (!pApp->InitInstance()) {
            if (pApp->m_pMainWnd != nullptr && pApp->m_pMainWnd->m_hWnd != nullptr) pApp->m_pMainWnd->DestroyWindow();
            nReturnCode = pApp->ExitInstance();
        } else {
            nReturnCode = pApp->Run();
        }
    } catch (CException* e) {
        e->ReportError();
        e->Delete();
    }
    AfxDeleteTempMap();
    return nReturnCode;
}
