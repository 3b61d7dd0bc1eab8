// Helpers for tests that drive real windows: pumping messages and answering message boxes
// from another thread, as a person would.
#pragma once

#include "afxwin.h"

#include <functional>
#include <string>
#include <thread>

namespace vktest {

// Dispatches every queued message of this thread.
inline void PumpMessages()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

struct FoundBox {
    HWND hWnd = nullptr;
    std::string caption;
    std::string text;
    bool hasOk = false;
    bool hasCancel = false;
};

struct FindBoxContext {
    DWORD pid;
    HWND found;
};

// A visible message box ("#32770" with an OK button) of the process; not the framework test's
// own dialog, which has an edit control 300.
inline BOOL CALLBACK FindBoxProc(HWND h, LPARAM lp)
{
    FindBoxContext* c = (FindBoxContext*)lp;
    char cls[64] = {0};
    DWORD pid = 0;
    ::GetWindowThreadProcessId(h, &pid);
    ::GetClassNameA(h, cls, sizeof cls);
    if (pid == c->pid && std::string(cls) == "#32770" && ::IsWindowVisible(h) && ::GetDlgItem(h, IDOK) != nullptr &&
        ::GetDlgItem(h, 300) == nullptr) {
        c->found = h;
        return FALSE;
    }
    return TRUE;
}

// Finds a visible message box of this process (class "#32770") within timeoutMs.
inline FoundBox FindMessageBox(DWORD processId, DWORD timeoutMs = 10000)
{
    FindBoxContext ctx{processId, nullptr};
    DWORD start = ::GetTickCount();
    while (ctx.found == nullptr && ::GetTickCount() - start < timeoutMs) {
        ::EnumWindows(FindBoxProc, (LPARAM)&ctx);
        if (ctx.found == nullptr) ::Sleep(20);
    }
    FoundBox box;
    box.hWnd = ctx.found;
    if (box.hWnd == nullptr) return box;
    char buf[1024] = {0};
    ::GetWindowTextA(box.hWnd, buf, sizeof buf);
    box.caption = buf;
    // The text is the static control of the box (id 0xFFFF).
    HWND text = ::GetDlgItem(box.hWnd, 0xFFFF);
    if (text != nullptr) {
        buf[0] = 0;
        ::GetWindowTextA(text, buf, sizeof buf);
        box.text = buf;
    }
    box.hasOk = ::GetDlgItem(box.hWnd, IDOK) != nullptr;
    box.hasCancel = ::GetDlgItem(box.hWnd, IDCANCEL) != nullptr;
    return box;
}

inline void PressButton(HWND box, int id) { ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(box, id)); }

// Answers the next message box of this process from another thread with the given button,
// recording what it showed.
class MessageBoxAnswerer {
public:
    explicit MessageBoxAnswerer(int button, DWORD timeoutMs = 10000)
        : m_thread([this, button, timeoutMs] {
              m_box = FindMessageBox(::GetCurrentProcessId(), timeoutMs);
              if (m_box.hWnd != nullptr) PressButton(m_box.hWnd, button);
          })
    {
    }
    ~MessageBoxAnswerer()
    {
        if (m_thread.joinable()) m_thread.join();
    }
    const FoundBox& Wait()
    {
        if (m_thread.joinable()) m_thread.join();
        return m_box;
    }

private:
    FoundBox m_box;
    std::thread m_thread;
};

}  // namespace vktest
