// CTime: a moment as seconds since 1970 (UTC), shown in local time.
#pragma once

#include "afxstr.h"

#include <ctime>

class CTime {
public:
    CTime() = default;
    explicit CTime(time_t t) : m_time(t) {}
    static CTime GetCurrentTime() { return CTime(std::time(nullptr)); }
    time_t GetTime() const { return m_time; }
    // The local time formatted by strftime's rules ("%c": the locale's date and time). An empty
    // string when the time cannot be shown in local time.
    CString Format(LPCTSTR pszFormat) const;

private:
    time_t m_time = 0;
};
