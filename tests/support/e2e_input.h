// Real input for the end-to-end tests: key presses and mouse clicks made with SendInput, which
// Wine delivers to the foreground window's thread as the keyboard and mouse do (so the program
// sees Ctrl and Shift held in GetKeyState), and the clipboard read as another program reads it.
#pragma once

#include "e2e_harness.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace e2e {

// Brings a window of another process to the front, so that input goes to it.
inline bool BringToFront(HWND wnd) {
    return WaitUntil(
        [&] {
            SetForegroundWindow(wnd);
            return GetForegroundWindow() == wnd;
        },
        SYNC_TIMEOUT_MS);
}

// Presses the keys in order and releases them in reverse (a chord such as Ctrl+C).
inline bool PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD vk : keys) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = vk;
        input.push_back(in);
    }
    for (auto it = keys.end(); it != keys.begin();) {
        INPUT in = {};
        in.type = INPUT_KEYBOARD;
        in.ki.wVk = *--it;
        in.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(in);
    }
    return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

// Types ASCII text key by key (letters, digits and spaces).
inline bool TypeText(const std::string& text) {
    for (char c : text) {
        SHORT vk = VkKeyScanA(c);
        if (vk == -1) return false;
        bool ok = (vk & 0x100) ? PressKeys({VK_SHIFT, static_cast<WORD>(vk & 0xFF)})
                               : PressKeys({static_cast<WORD>(vk & 0xFF)});
        if (!ok) return false;
    }
    return true;
}

// Moves the pointer to a screen point as a person moves the mouse: the program gets a mouse move
// there (SetCursorPos alone sends none under Wine).
inline bool MoveMouseTo(POINT p) {
    if (!SetCursorPos(p.x - 1, p.y)) return false;
    INPUT move = {};
    move.type = INPUT_MOUSE;
    move.mi.dwFlags = MOUSEEVENTF_MOVE;
    move.mi.dx = 1;
    return SendInput(1, &move, sizeof move) == 1;
}

// A left click (or double click) at a screen point.
inline bool ClickScreen(POINT p, int clicks = 1) {
    if (!SetCursorPos(p.x, p.y)) return false;
    std::vector<INPUT> input;
    for (int i = 0; i < clicks; i++)
        for (DWORD flag : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
            INPUT in = {};
            in.type = INPUT_MOUSE;
            in.mi.dwFlags = flag;
            input.push_back(in);
        }
    return SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT)) == input.size();
}

// The whole block of a clipboard format, as another program reads it; empty when there is none.
inline std::string ReadClipboard(UINT format = CF_TEXT) {
    std::string bytes;
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, SYNC_TIMEOUT_MS)) return bytes;
    HANDLE h = GetClipboardData(format);
    if (h != nullptr) {
        const char* p = static_cast<const char*>(GlobalLock(h));
        if (p != nullptr) bytes.assign(p, GlobalSize(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return bytes;
}

// Empties the clipboard, so that what a test reads afterwards was put there by the program.
inline bool EmptyTheClipboard() {
    if (!WaitUntil([] { return OpenClipboard(nullptr) != FALSE; }, SYNC_TIMEOUT_MS)) return false;
    const bool ok = EmptyClipboard() != FALSE;
    CloseClipboard();
    return ok;
}

// Text of CF_TEXT up to its NUL.
inline std::string ClipboardText() {
    const std::string bytes = ReadClipboard(CF_TEXT);
    return bytes.substr(0, bytes.find('\0'));
}

// The clipboard's text once a program has put some there (empty after the wait).
inline std::string WaitForClipboardText() {
    std::string text;
    WaitUntil(
        [&] {
            text = ClipboardText();
            return !text.empty();
        },
        SYNC_TIMEOUT_MS);
    return text;
}

// Copied grid text split into its lines (at LF) and each line into its fields (at TAB).
inline std::vector<std::vector<std::string>> SplitCopiedText(const std::string& text) {
    std::vector<std::vector<std::string>> rows;
    if (text.empty()) return rows;
    rows.emplace_back(1);
    for (char c : text) {
        if (c == '\n')
            rows.emplace_back(1);
        else if (c == '\t')
            rows.back().emplace_back();
        else
            rows.back().back() += c;
    }
    return rows;
}

// Runs a Linux program through /bin/sh (Wine starts Linux programs it is asked to) and waits for
// the file it writes: Wine gives no handle to wait on.
inline bool RunLinuxShell(const std::string& script, const std::string& doneFile, DWORD timeoutMs) {
    std::string commandLine = "sh -c " + QuoteArgument(script);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    return WaitUntil([&] { return FileExists(ToWindowsPath(doneFile)); }, timeoutMs);
}

} // namespace e2e
