// Memory allocation as in MFC: operator new throws CMemoryException* when memory runs out, so
// an allocation failure anywhere reaches the handlers that catch the framework's exceptions.
#include "afxexcept.h"

#include <atomic>
#include <cstdlib>
#include <new>

static std::atomic<AFX_ALLOC_HOOK> g_allocHook{nullptr};
static std::atomic<LONG> g_allocRequests{0};

AFX_ALLOC_HOOK AfxSetAllocHook(AFX_ALLOC_HOOK pfnAllocHook) { return g_allocHook.exchange(pfnAllocHook); }

void AfxCheckAlloc(std::size_t n)
{
    // The exception's own allocation, made while a refused one is being thrown, is not asked.
    static thread_local bool throwing = false;
    AFX_ALLOC_HOOK hook = g_allocHook.load(std::memory_order_relaxed);
    if (hook != nullptr && !throwing && !hook(n, FALSE, ++g_allocRequests)) {
        struct Throwing {
            Throwing() { throwing = true; }
            ~Throwing() { throwing = false; }
        } guard;
        AfxThrowMemoryException();
    }
}

static void* AfxAlloc(std::size_t n)
{
    if (n == 0) n = 1;
    AfxCheckAlloc(n);
    void* p = std::malloc(n);
    if (p == nullptr) AfxThrowMemoryException();
    return p;
}

void* operator new(std::size_t n) { return AfxAlloc(n); }
void* operator new[](std::size_t n) { return AfxAlloc(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return std::malloc(n ? n : 1); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
