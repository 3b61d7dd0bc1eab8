// GDI object wrappers and device contexts, with creation and release counts.
#include "afxwin.h"

#include <atomic>

namespace {
std::atomic<long> g_objectsCreated{0}, g_objectsDeleted{0}, g_dcsAcquired{0}, g_dcsReleased{0};
}

AfxGdiCounters AfxGetGdiCounters()
{
    return {g_objectsCreated.load(), g_objectsDeleted.load(), g_dcsAcquired.load(), g_dcsReleased.load()};
}

void AfxCountGdiObject(int delta) { (delta > 0 ? g_objectsCreated : g_objectsDeleted)++; }
void AfxCountDC(int delta) { (delta > 0 ? g_dcsAcquired : g_dcsReleased)++; }

static HGDIOBJ Counted(HGDIOBJ h)
{
    if (h != nullptr) AfxCountGdiObject(+1);
    return h;
}

BOOL CGdiObject::Attach(HGDIOBJ h)
{
    if (h == nullptr) return FALSE;
    m_hObject = h;
    return TRUE;
}

HGDIOBJ CGdiObject::Detach()
{
    HGDIOBJ h = m_hObject;
    m_hObject = nullptr;
    return h;
}

BOOL CGdiObject::DeleteObject()
{
    if (m_hObject == nullptr) return FALSE;
    HGDIOBJ h = Detach();
    BOOL ok = ::DeleteObject(h);
    if (ok) AfxCountGdiObject(-1);
    return ok;
}

BOOL CPen::CreatePen(int nPenStyle, int nWidth, COLORREF crColor)
{
    return Attach(Counted(::CreatePen(nPenStyle, nWidth, crColor)));
}

BOOL CBrush::CreateSolidBrush(COLORREF crColor) { return Attach(Counted(::CreateSolidBrush(crColor))); }

BOOL CFont::CreateFontIndirect(const LOGFONTA* lpLogFont) { return Attach(Counted(::CreateFontIndirectA(lpLogFont))); }

BOOL CBitmap::CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight)
{
    return Attach(Counted(::CreateCompatibleBitmap(pDC ? pDC->m_hDC : nullptr, nWidth, nHeight)));
}

CDC::~CDC()
{
    if (m_hDC != nullptr) DeleteDC();
}

BOOL CDC::Attach(HDC hDC)
{
    if (hDC == nullptr) return FALSE;
    m_hDC = m_hAttribDC = hDC;
    return TRUE;
}

HDC CDC::Detach()
{
    HDC h = m_hDC;
    m_hDC = m_hAttribDC = nullptr;
    return h;
}

BOOL CDC::CreateCompatibleDC(CDC* pDC)
{
    HDC h = ::CreateCompatibleDC(pDC ? pDC->m_hDC : nullptr);
    if (h == nullptr) return FALSE;
    AfxCountDC(+1);
    return Attach(h);
}

BOOL CDC::DeleteDC()
{
    if (m_hDC == nullptr) return FALSE;
    HDC h = Detach();
    BOOL ok = ::DeleteDC(h);
    if (ok) AfxCountDC(-1);
    return ok;
}

HGDIOBJ CDC::SelectObject(HGDIOBJ h)
{
    if (h == nullptr) return nullptr;
    HGDIOBJ old = nullptr;
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) old = ::SelectObject(m_hDC, h);
    if (m_hAttribDC != nullptr) old = ::SelectObject(m_hAttribDC, h);
    return old;
}

CPoint CDC::SetWindowOrg(int x, int y)
{
    POINT old{};
    if (m_hDC != m_hAttribDC && m_hAttribDC != nullptr) ::SetWindowOrgEx(m_hAttribDC, x, y, nullptr);
    ::SetWindowOrgEx(m_hDC, x, y, &old);
    return CPoint(old);
}

CPoint CDC::OffsetWindowOrg(int dx, int dy)
{
    POINT old{};
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) ::OffsetWindowOrgEx(m_hDC, dx, dy, nullptr);
    ::OffsetWindowOrgEx(m_hAttribDC, dx, dy, &old);
    return CPoint(old);
}

CPoint CDC::GetWindowOrg() const
{
    POINT p{};
    ::GetWindowOrgEx(m_hAttribDC, &p);
    return CPoint(p);
}

int CDC::SetMapMode(int nMapMode)
{
    int old = 0;
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) old = ::SetMapMode(m_hDC, nMapMode);
    if (m_hAttribDC != nullptr) old = ::SetMapMode(m_hAttribDC, nMapMode);
    return old;
}

CSize CDC::SetWindowExt(int cx, int cy)
{
    SIZE old{};
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) ::SetWindowExtEx(m_hDC, cx, cy, nullptr);
    if (m_hAttribDC != nullptr) ::SetWindowExtEx(m_hAttribDC, cx, cy, &old);
    return CSize(old);
}

CSize CDC::SetViewportExt(int cx, int cy)
{
    SIZE old{};
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) ::SetViewportExtEx(m_hDC, cx, cy, nullptr);
    if (m_hAttribDC != nullptr) ::SetViewportExtEx(m_hAttribDC, cx, cy, &old);
    return CSize(old);
}

CPoint CDC::SetViewportOrg(int x, int y)
{
    POINT old{};
    if (m_hDC != m_hAttribDC && m_hDC != nullptr) ::SetViewportOrgEx(m_hDC, x, y, nullptr);
    if (m_hAttribDC != nullptr) ::SetViewportOrgEx(m_hAttribDC, x, y, &old);
    return CPoint(old);
}

CSize CDC::GetTextExtent(LPCTSTR text, int count) const
{
    SIZE s{};
    ::GetTextExtentPoint32A(m_hAttribDC, text, count, &s);
    return CSize(s);
}

CPoint CDC::MoveTo(int x, int y)
{
    POINT old{};
    ::MoveToEx(m_hDC, x, y, &old);
    return CPoint(old);
}

void CDC::FillSolidRect(LPCRECT r, COLORREF c)
{
    ::SetBkColor(m_hDC, c);
    ::ExtTextOutA(m_hDC, 0, 0, ETO_OPAQUE, r, nullptr, 0, nullptr);
}

void CDC::FillSolidRect(int x, int y, int cx, int cy, COLORREF c)
{
    RECT r = {x, y, x + cx, y + cy};
    FillSolidRect(&r, c);
}

void CDC::Draw3dRect(int x, int y, int cx, int cy, COLORREF clrTopLeft, COLORREF clrBottomRight)
{
    FillSolidRect(x, y, cx - 1, 1, clrTopLeft);
    FillSolidRect(x, y, 1, cy - 1, clrTopLeft);
    FillSolidRect(x + cx, y, -1, cy, clrBottomRight);
    FillSolidRect(x, y + cy, cx, -1, clrBottomRight);
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWnd(pWnd->m_hWnd)
{
    HDC h = ::BeginPaint(m_hWnd, &m_ps);
    if (h != nullptr) AfxCountDC(+1);
    Attach(h);
}

CPaintDC::~CPaintDC()
{
    if (m_hDC != nullptr) AfxCountDC(-1);
    ::EndPaint(m_hWnd, &m_ps);
    Detach();
}

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    HDC h = ::GetDC(m_hWnd);
    if (h != nullptr) AfxCountDC(+1);
    Attach(h);
}

CClientDC::~CClientDC()
{
    if (m_hDC != nullptr && ::ReleaseDC(m_hWnd, Detach())) AfxCountDC(-1);
}

CWindowDC::CWindowDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr)
{
    HDC h = ::GetWindowDC(m_hWnd);
    if (h != nullptr) AfxCountDC(+1);
    Attach(h);
}

CWindowDC::~CWindowDC()
{
    if (m_hDC != nullptr && ::ReleaseDC(m_hWnd, Detach())) AfxCountDC(-1);
}
