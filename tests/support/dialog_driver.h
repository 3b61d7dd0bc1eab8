// Drives the real main dialog in process: the dialog runs modally on the test's thread while a
// driver on another thread sends it records, as the engine does, and ends it through Exit.
#pragma once

#include "DebuggerDlg.h"

#include <functional>
#include <string>
#include <thread>

namespace vktest {

// One trace record by WM_COPYDATA, as the engine sends it; the dialog's answer.
inline LRESULT SendRecord(HWND dlg, ULONG_PTR kind, const std::string& payload) {
    COPYDATASTRUCT cds;
    cds.dwData = kind;
    cds.cbData = (DWORD)payload.size();
    cds.lpData = payload.empty() ? nullptr : (PVOID)payload.data();
    return ::SendMessageA(dlg, WM_COPYDATA, 0, (LPARAM)&cds);
}

// The text of the detail box, as the person reads it.
inline std::string DetailBox(HWND dlg) {
    HWND edit = ::GetDlgItem(dlg, IDC_EDIT_DETAIL);
    int n = ::GetWindowTextLengthA(edit);
    std::string s((size_t)n + 1, '\0');
    ::GetWindowTextA(edit, &s[0], n + 1);
    s.resize((size_t)n);
    return s;
}

// The dialog with a way to run a piece of code on its own thread, where the grid lives: records
// sent from there are handled at once, and the dialog's own operations run as its commands do.
class TaskDlg : public CDebuggerDlg {
public:
    void Run(HWND h, std::function<void()> f) { ::SendMessageA(h, WM_APP + 7, 0, (LPARAM)&f); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_APP + 7) return CDebuggerDlg::WindowProc(message, wParam, lParam);
        (*(std::function<void()>*)lParam)();
        return 0;
    }
};

struct DialogRun {
    bool driven = false; // the dialog appeared and the driver ran
    bool alive = false;  // the dialog was still there when the driver finished
};

// Runs the dialog modally on this thread while driver runs on another once the dialog is shown;
// the driver's end closes the dialog through its Exit command.
inline DialogRun RunDialog(CDebuggerDlg& dlg, const std::function<void(HWND)>& driver) {
    DialogRun run;
    std::thread t([&] {
        HWND h = nullptr;
        for (int i = 0; i < 500 && h == nullptr; i++) {
            h = dlg.m_hWnd;
            if (h == nullptr || !::IsWindowVisible(h)) {
                h = nullptr;
                ::Sleep(10);
            }
        }
        if (h != nullptr) {
            driver(h);
            run.driven = true;
            run.alive = ::IsWindow(h) != FALSE;
            ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(ID_APP_EXIT, 0), 0);
        }
    });
    dlg.DoModal();
    t.join();
    return run;
}

} // namespace vktest
