// The user's wheel setting: lines scrolled per notch, -1 for a page per notch.
#include "GridMainWnd.h"

#include <cstdlib>

int CGridMainWnd::ReadWheelScrollLines() {
    int lines = 3;
    HKEY key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_QUERY_VALUE, &key) !=
        ERROR_SUCCESS)
        return lines;
    char buffer[128];
    DWORD size = sizeof buffer - 1;
    if (::RegQueryValueExA(key, "WheelScrollLines", nullptr, nullptr, (LPBYTE)buffer, &size) ==
        ERROR_SUCCESS) {
        buffer[size < sizeof buffer ? size : sizeof buffer - 1] = '\0';
        // strtoul turns "-1" into ULONG_MAX, which as an int is -1: one page per notch.
        lines = (int)std::strtoul(buffer, nullptr, 10);
    }
    ::RegCloseKey(key);
    return lines;
}
