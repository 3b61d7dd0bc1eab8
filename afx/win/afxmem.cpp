// Memory allocation as in MFC: operator new throws CMemoryException* when memory runs out, so
// an allocation failure anywhere reaches the handlers that catch the framework's exceptions.
#include "afxexcept.h"

#include <cstdlib>
#include <new>

static void* AfxAlloc(std::size_t n)
{
    if (n == 0) n = 1;
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
