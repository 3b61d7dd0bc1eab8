/* vktrace.h - the script engine's side of the Valkorine Debuger's trace protocol.
 *
 * One header, C (C89 and later) and C++, Win32 API only, 32- and 64-bit. It finds the debugger
 * (the top-level dialog captioned "Valkorine Debuger") and sends it one WM_COPYDATA record per
 * event: a session start (kind 9999, the payload is the session identifier), a function entry
 * (kind 1), a function return (kind 2) and a trace line (kind 0), each with the payload
 * "name|detail" in the ANSI code page. The detail is formatted printf-style.
 *
 * Use: a single-header library. Include it wherever you trace; in exactly one C or C++ file of
 * the program define VKTRACE_IMPLEMENTATION before including it, which compiles the functions
 * there:
 *
 *     #define VKTRACE_IMPLEMENTATION
 *     #include "vktrace.h"
 *
 *     if (vktrace_session("SID-42") == 1) {            // the person at the debugger pressed OK
 *         vktrace_enter("Main", NULL);
 *         vktrace_trace("Main", "loaded %d lines", 12);
 *         vktrace_leave("Main", "result %d", 0);
 *     }
 *
 * In C++ a scope guard sends the entry when it is built and the return when it goes away, also
 * when an exception leaves the scope (the return's detail then says "exception"):
 *
 *     void Load() { VKTRACE_SCOPE("Load"); ... }
 *
 * Results: every sending function returns the debugger's answer (1 = TRUE, the record was taken
 * or the session accepted; 0 = FALSE, the session was refused) or one of the negative failure
 * values VKTRACE_NO_DEBUGGER, VKTRACE_TIMEOUT, VKTRACE_GONE, VKTRACE_ERROR, VKTRACE_TOO_LARGE
 * below. A failure never stops the engine: tracing into no debugger is a cheap no-op.
 *
 * Size: a record's payload holds at most VKTRACE_MAX_RECORD_BYTES (16 MiB). The debugger answers
 * a larger record FALSE without storing any of it, and this client does not send one.
 *
 * Cost and waiting:
 *   - The window is looked up once and kept; when it has gone, the next call looks it up again.
 *     While no debugger runs it is looked up at most once a second, and every call in between
 *     returns VKTRACE_NO_DEBUGGER at once, before any formatting.
 *   - A record waits at most vktrace_set_timeout milliseconds (default VKTRACE_DEFAULT_TIMEOUT_MS)
 *     for the debugger's answer, so a hung debugger never hangs the engine (SMTO_ABORTIFHUNG also
 *     gives up at once on a debugger Windows already knows to be hung). The session start waits
 *     for a person at the prompt: by default without bound (vktrace_set_session_timeout).
 *     VKTRACE_INFINITE (0) as a setting means no bound.
 *   - Safe from several threads at once: each record is one message, delivered whole, and the
 *     window cache and the settings are changed with Interlocked operations only. Records of one
 *     thread arrive in that thread's order.
 *
 * #define VKTRACE_DISABLE (before including, in every file, or on the compiler's command line)
 * compiles every call to an empty function that returns VKTRACE_NO_DEBUGGER, and the scope
 * guard to nothing.
 */
#ifndef VKTRACE_H
#define VKTRACE_H

/* The full system header: the engine's own includes decide what else it declares. */
#include <windows.h>

#include <stdarg.h>

/* Record kinds: the dwData of the WM_COPYDATA message. */
#define VKTRACE_KIND_TRACE 0
#define VKTRACE_KIND_ENTER 1
#define VKTRACE_KIND_LEAVE 2
#define VKTRACE_KIND_SESSION_START 9999

/* Failure values (the answers themselves are 0 and 1). */
#define VKTRACE_NO_DEBUGGER (-1) /* no debugger window (or tracing compiled out) */
#define VKTRACE_TIMEOUT (-2)     /* the debugger did not answer in time (or is hung) */
#define VKTRACE_GONE (-3)        /* the debugger window went away while the record was sent */
#define VKTRACE_ERROR (-4)       /* a bad argument, a detail format error or no memory */
#define VKTRACE_TOO_LARGE (-5)   /* the payload is larger than VKTRACE_MAX_RECORD_BYTES; not sent */

/* The largest payload of one record, inclusive: 16 MiB (16,777,216 bytes). The debugger and
 * vktool capture refuse a larger record (FALSE), so a receiver never holds more than that of one
 * record at a time, whoever sends it. */
#define VKTRACE_MAX_RECORD_BYTES 16777216UL

#define VKTRACE_CAPTION "Valkorine Debuger"
#define VKTRACE_DEFAULT_TIMEOUT_MS 5000
#define VKTRACE_INFINITE 0

#if defined(__GNUC__)
#define VKTRACE_PRINTF(f, a) __attribute__((format(printf, f, a)))
#define VKTRACE_UNUSED __attribute__((unused))
#else
#define VKTRACE_PRINTF(f, a)
#define VKTRACE_UNUSED
#endif

#ifdef __cplusplus
extern "C" {
#endif

#ifndef VKTRACE_DISABLE

/* Sends one record of any kind with the given payload bytes (no terminating NUL needed), at most
 * VKTRACE_MAX_RECORD_BYTES of them (VKTRACE_TOO_LARGE otherwise, and nothing is sent).
 * The debugger's own LRESULT goes to *answer when answer is not NULL. VKTRACE_OK (0) on delivery,
 * otherwise a failure value. */
#define VKTRACE_OK 0
int vktrace_send(unsigned long kind, const void* payload, unsigned long size, LRESULT* answer);

/* Session start: the whole text is the session identifier. 1 accepted, 0 refused. */
int vktrace_session(const char* sessionId);

/* Entry, return and trace line: payload "name|detail"; format NULL sends the name alone. */
int vktrace_enter(const char* name, const char* format, ...) VKTRACE_PRINTF(2, 3);
int vktrace_leave(const char* name, const char* format, ...) VKTRACE_PRINTF(2, 3);
int vktrace_trace(const char* name, const char* format, ...) VKTRACE_PRINTF(2, 3);
int vktrace_record(unsigned long kind, const char* name, const char* format, ...) VKTRACE_PRINTF(3, 4);
int vktrace_vrecord(unsigned long kind, const char* name, const char* format, va_list args);

/* The debugger's window: the kept one, or a fresh lookup (honouring the once-a-second limit
 * while none runs). NULL when there is none. */
HWND vktrace_window(void);
/* Looks the window up now, whenever it was last looked up. NULL when there is none. */
HWND vktrace_find(void);

/* Waits for the answer, in milliseconds; VKTRACE_INFINITE waits without bound. */
void vktrace_set_timeout(unsigned long ms);
void vktrace_set_session_timeout(unsigned long ms);
unsigned long vktrace_timeout(void);
unsigned long vktrace_session_timeout(void);

#else /* VKTRACE_DISABLE: every call is an empty function the compiler drops */

#define VKTRACE_OK 0
static int vktrace_send(unsigned long k, const void* p, unsigned long s, LRESULT* a) VKTRACE_UNUSED;
static int vktrace_send(unsigned long k, const void* p, unsigned long s, LRESULT* a) {
    (void)k;
    (void)p;
    (void)s;
    (void)a;
    return VKTRACE_NO_DEBUGGER;
}
static int vktrace_session(const char* s) VKTRACE_UNUSED;
static int vktrace_session(const char* s) {
    (void)s;
    return VKTRACE_NO_DEBUGGER;
}
static int vktrace_enter(const char* n, const char* f, ...) VKTRACE_UNUSED;
static int vktrace_enter(const char* n, const char* f, ...) {
    (void)n;
    (void)f;
    return VKTRACE_NO_DEBUGGER;
}
static int vktrace_leave(const char* n, const char* f, ...) VKTRACE_UNUSED;
static int vktrace_leave(const char* n, const char* f, ...) {
    (void)n;
    (void)f;
    return VKTRACE_NO_DEBUGGER;
}
static int vktrace_trace(const char* n, const char* f, ...) VKTRACE_UNUSED;
static int vktrace_trace(const char* n, const char* f, ...) {
    (void)n;
    (void)f;
    return VKTRACE_NO_DEBUGGER;
}
static int vktrace_record(unsigned long k, const char* n, const char* f, ...) VKTRACE_UNUSED;
static int vktrace_record(unsigned long k, const char* n, const char* f, ...) {
    (void)k;
    (void)n;
    (void)f;
    return VKTRACE_NO_DEBUGGER;
}
static HWND vktrace_window(void) VKTRACE_UNUSED;
static HWND vktrace_window(void) {
    return NULL;
}
static HWND vktrace_find(void) VKTRACE_UNUSED;
static HWND vktrace_find(void) {
    return NULL;
}
static void vktrace_set_timeout(unsigned long ms) VKTRACE_UNUSED;
static void vktrace_set_timeout(unsigned long ms) {
    (void)ms;
}
static void vktrace_set_session_timeout(unsigned long ms) VKTRACE_UNUSED;
static void vktrace_set_session_timeout(unsigned long ms) {
    (void)ms;
}
static unsigned long vktrace_timeout(void) VKTRACE_UNUSED;
static unsigned long vktrace_timeout(void) {
    return VKTRACE_DEFAULT_TIMEOUT_MS;
}
static unsigned long vktrace_session_timeout(void) VKTRACE_UNUSED;
static unsigned long vktrace_session_timeout(void) {
    return VKTRACE_INFINITE;
}

#endif /* VKTRACE_DISABLE */

#ifdef __cplusplus
} /* extern "C" */

#ifndef VKTRACE_DISABLE
#include <exception>

/* Sends the entry now and the return when the scope ends, also by an exception. The name must
 * outlive the guard (a literal, as a rule). */
class VkTraceScope {
public:
    explicit VkTraceScope(const char* name) : m_name(name), m_exceptions(Exceptions()) {
        vktrace_enter(name, NULL);
    }
    ~VkTraceScope() {
        if (Exceptions() > m_exceptions)
            vktrace_leave(m_name, "exception");
        else
            vktrace_leave(m_name, NULL);
    }

private:
    VkTraceScope(const VkTraceScope&);
    VkTraceScope& operator=(const VkTraceScope&);
    static int Exceptions() {
#if __cplusplus >= 201703L || (defined(_MSVC_LANG) && _MSVC_LANG >= 201703L)
        return std::uncaught_exceptions();
#else
        return std::uncaught_exception() ? 1 : 0;
#endif
    }
    const char* m_name;
    int m_exceptions;
};

#define VKTRACE_SCOPE_JOIN2(a, b) a##b
#define VKTRACE_SCOPE_JOIN(a, b) VKTRACE_SCOPE_JOIN2(a, b)
#define VKTRACE_SCOPE(name) VkTraceScope VKTRACE_SCOPE_JOIN(vktraceScope, __LINE__)(name)
#else
#define VKTRACE_SCOPE(name) ((void)0)
#endif /* VKTRACE_DISABLE */
#endif /* __cplusplus */

#endif /* VKTRACE_H */

/* ------------------------------------------------------------------------------------------ */
#if defined(VKTRACE_IMPLEMENTATION) && !defined(VKTRACE_DISABLE) && !defined(VKTRACE_IMPLEMENTED)
#define VKTRACE_IMPLEMENTED

#include <stdarg.h>
#include <stdio.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The kept window (NULL: none known), the tick of the last lookup that found none and whether
 * there was one, and the two waits. Only Interlocked operations touch them. */
static PVOID volatile vktrace_g_window = NULL;
static LONG volatile vktrace_g_missTick = 0;
static LONG volatile vktrace_g_missed = 0;
static LONG volatile vktrace_g_timeout = VKTRACE_DEFAULT_TIMEOUT_MS;
static LONG volatile vktrace_g_sessionTimeout = VKTRACE_INFINITE;

void vktrace_set_timeout(unsigned long ms) {
    InterlockedExchange(&vktrace_g_timeout, (LONG)ms);
}
void vktrace_set_session_timeout(unsigned long ms) {
    InterlockedExchange(&vktrace_g_sessionTimeout, (LONG)ms);
}
unsigned long vktrace_timeout(void) {
    return (unsigned long)InterlockedCompareExchange(&vktrace_g_timeout, 0, 0);
}
unsigned long vktrace_session_timeout(void) {
    return (unsigned long)InterlockedCompareExchange(&vktrace_g_sessionTimeout, 0, 0);
}

HWND vktrace_find(void) {
    /* The debugger is a dialog (class #32770): another program's window that happens to carry
     * the same title is not taken. */
    HWND wnd = FindWindowA("#32770", VKTRACE_CAPTION);
    InterlockedExchangePointer((PVOID volatile*)&vktrace_g_window, (PVOID)wnd);
    if (!wnd) InterlockedExchange(&vktrace_g_missTick, (LONG)GetTickCount());
    InterlockedExchange(&vktrace_g_missed, wnd ? 0 : 1);
    return wnd;
}

HWND vktrace_window(void) {
    HWND wnd = (HWND)InterlockedCompareExchangePointer((PVOID volatile*)&vktrace_g_window, NULL, NULL);
    if (wnd) return wnd;
    if (InterlockedCompareExchange(&vktrace_g_missed, 0, 0) &&
        GetTickCount() - (DWORD)InterlockedCompareExchange(&vktrace_g_missTick, 0, 0) < 1000)
        return NULL;
    return vktrace_find();
}

/* Forgets the kept window if it is still the given one (another thread may have found a new one). */
static void vktrace_forget(HWND wnd) {
    InterlockedCompareExchangePointer((PVOID volatile*)&vktrace_g_window, NULL, (PVOID)wnd);
}

/* One record to the window. VKTRACE_GONE when the window no longer exists: *stale then says
 * whether it was gone before the record reached it (the record can safely go to a new window). */
static int vktrace_deliver_to(HWND wnd, unsigned long kind, const void* payload, unsigned long size,
                              LRESULT* answer, int* stale) {
    COPYDATASTRUCT cds;
    DWORD_PTR result = 0;
    unsigned long wait;
    cds.dwData = (ULONG_PTR)kind;
    cds.cbData = (DWORD)size;
    cds.lpData = size ? (PVOID)payload : NULL;
    wait = kind == VKTRACE_KIND_SESSION_START ? vktrace_session_timeout() : vktrace_timeout();
    *stale = 0;
    SetLastError(0);
    if (wait == VKTRACE_INFINITE) {
        /* A plain SendMessage: 0 is the answer FALSE unless the window has gone. */
        result = (DWORD_PTR)SendMessageA(wnd, WM_COPYDATA, 0, (LPARAM)&cds);
        if (result == 0 && !IsWindow(wnd)) {
            *stale = GetLastError() == ERROR_INVALID_WINDOW_HANDLE;
            vktrace_forget(wnd);
            return VKTRACE_GONE;
        }
    } else if (!SendMessageTimeoutA(wnd, WM_COPYDATA, 0, (LPARAM)&cds, SMTO_NORMAL | SMTO_ABORTIFHUNG,
                                    (UINT)wait, &result)) {
        if (!IsWindow(wnd)) {
            *stale = GetLastError() == ERROR_INVALID_WINDOW_HANDLE;
            vktrace_forget(wnd);
            return VKTRACE_GONE;
        }
        return VKTRACE_TIMEOUT;
    }
    if (answer) *answer = (LRESULT)result;
    return VKTRACE_OK;
}

/* Delivers to the kept window; when that one had closed before the record reached it (a debugger
 * restarted since), once more to the window found now. */
static int vktrace_deliver(HWND wnd, unsigned long kind, const void* payload, unsigned long size,
                           LRESULT* answer) {
    int stale = 0;
    int status = vktrace_deliver_to(wnd, kind, payload, size, answer, &stale);
    if (status == VKTRACE_GONE && stale) {
        wnd = vktrace_find();
        if (!wnd) return VKTRACE_NO_DEBUGGER;
        status = vktrace_deliver_to(wnd, kind, payload, size, answer, &stale);
    }
    return status;
}

int vktrace_send(unsigned long kind, const void* payload, unsigned long size, LRESULT* answer) {
    HWND wnd;
    if (answer) *answer = 0;
    if (size && !payload) return VKTRACE_ERROR;
    if (size > VKTRACE_MAX_RECORD_BYTES) return VKTRACE_TOO_LARGE;
    wnd = vktrace_window();
    if (!wnd) return VKTRACE_NO_DEBUGGER;
    return vktrace_deliver(wnd, kind, payload, size, answer);
}

/* The answer of a delivered record as 1 or 0, or the failure value. */
static int vktrace_answer(int status, LRESULT answer) {
    if (status != VKTRACE_OK) return status;
    return answer ? 1 : 0;
}

int vktrace_session(const char* sessionId) {
    LRESULT answer = 0;
    int status;
    if (!sessionId) return VKTRACE_ERROR;
    status = vktrace_send(VKTRACE_KIND_SESSION_START, sessionId, (unsigned long)lstrlenA(sessionId), &answer);
    return vktrace_answer(status, answer);
}

int vktrace_vrecord(unsigned long kind, const char* name, const char* format, va_list args) {
    char small[512];
    char* payload = small;
    size_t nameLength;
    int detailLength = 0;
    size_t size;
    int status;
    LRESULT answer = 0;
    HWND wnd;
    if (!name) return VKTRACE_ERROR;
    /* Without a debugger nothing is formatted: the call costs the cache check alone. */
    wnd = vktrace_window();
    if (!wnd) return VKTRACE_NO_DEBUGGER;
    nameLength = (size_t)lstrlenA(name);
    if (format) {
        va_list count;
#ifdef va_copy
        va_copy(count, args);
#else
        count = args; /* a plain pointer on every Windows ABI */
#endif
        detailLength = _vscprintf(format, count);
#ifdef va_copy
        va_end(count);
#endif
        if (detailLength < 0) return VKTRACE_ERROR;
    }
    size = nameLength + (format ? 1 + (size_t)detailLength : 0);
    /* Refused before the payload is allocated: the debugger would refuse it anyway. */
    if (size > VKTRACE_MAX_RECORD_BYTES) return VKTRACE_TOO_LARGE;
    if (size + 1 > sizeof small) {
        payload = (char*)HeapAlloc(GetProcessHeap(), 0, size + 1);
        if (!payload) return VKTRACE_ERROR;
    }
    CopyMemory(payload, name, nameLength);
    if (format) {
        payload[nameLength] = '|';
        if (_vsnprintf(payload + nameLength + 1, (size_t)detailLength + 1, format, args) != detailLength) {
            if (payload != small) HeapFree(GetProcessHeap(), 0, payload);
            return VKTRACE_ERROR;
        }
    }
    status = vktrace_deliver(wnd, kind, payload, (unsigned long)size, &answer);
    if (payload != small) HeapFree(GetProcessHeap(), 0, payload);
    return vktrace_answer(status, answer);
}

int vktrace_record(unsigned long kind, const char* name, const char* format, ...) {
    va_list args;
    int result;
    va_start(args, format);
    result = vktrace_vrecord(kind, name, format, args);
    va_end(args);
    return result;
}

int vktrace_enter(const char* name, const char* format, ...) {
    va_list args;
    int result;
    va_start(args, format);
    result = vktrace_vrecord(VKTRACE_KIND_ENTER, name, format, args);
    va_end(args);
    return result;
}

int vktrace_leave(const char* name, const char* format, ...) {
    va_list args;
    int result;
    va_start(args, format);
    result = vktrace_vrecord(VKTRACE_KIND_LEAVE, name, format, args);
    va_end(args);
    return result;
}

int vktrace_trace(const char* name, const char* format, ...) {
    va_list args;
    int result;
    va_start(args, format);
    result = vktrace_vrecord(VKTRACE_KIND_TRACE, name, format, args);
    va_end(args);
    return result;
}

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* VKTRACE_IMPLEMENTATION */
