// Answers the debugger's session prompt with OK, as a person would: finds the message box
// captioned "VkDebuger" that has an OK button and presses it. Used by the unattended scripts/run.
// Exits 0 once it pressed OK, 1 when no prompt appeared within the given seconds (default 60).
#include <windows.h>

#include <cstdlib>
#include <cstring>

static BOOL CALLBACK FindPrompt(HWND h, LPARAM lp)
{
    char cls[32] = {0}, caption[64] = {0};
    ::GetClassNameA(h, cls, sizeof cls);
    ::GetWindowTextA(h, caption, sizeof caption);
    if (std::strcmp(cls, "#32770") == 0 && std::strcmp(caption, "VkDebuger") == 0 && ::IsWindowVisible(h) &&
        ::GetDlgItem(h, IDOK) != nullptr) {
        *(HWND*)lp = h;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv)
{
    DWORD seconds = argc > 1 ? (DWORD)std::atoi(argv[1]) : 60;
    DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < seconds * 1000) {
        HWND box = nullptr;
        ::EnumWindows(FindPrompt, (LPARAM)&box);
        if (box != nullptr) {
            ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)::GetDlgItem(box, IDOK));
            return 0;
        }
        ::Sleep(100);
    }
    return 1;
}
