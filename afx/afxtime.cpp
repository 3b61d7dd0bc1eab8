#include "afxtime.h"

CString CTime::Format(LPCTSTR pszFormat) const {
    struct tm local;
#ifdef _WIN32
    // The C runtime's localtime keeps its result per thread.
    const struct tm* shown = std::localtime(&m_time);
    if (shown == nullptr) return CString();
    local = *shown;
#else
    if (localtime_r(&m_time, &local) == nullptr) return CString();
#endif
    char buffer[256];
    size_t n = std::strftime(buffer, sizeof buffer, pszFormat, &local);
    return CString(buffer, (int)n);
}
