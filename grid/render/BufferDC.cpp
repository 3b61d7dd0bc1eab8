// CBufferDC: an off-screen bitmap of the target's clip box, copied back when the paint ends;
// CPaintSurface: the bitmap and context a window keeps for its paints.
#include "BufferDC.h"

HDC CPaintSurface::Prepare(CDC* pTarget, const CRect& cover) {
    int depth = pTarget->GetDeviceCaps(BITSPIXEL);
    if (dc.m_hDC != nullptr && bounds == cover && bitsPixel == depth) return dc.m_hDC;
    Release();
    if (cover.IsRectEmpty() || !dc.CreateCompatibleDC(pTarget)) return nullptr;
    // Compatible with the target, not with the memory context, so that it has the screen's
    // colour depth rather than one bit per pixel.
    if (!bitmap.CreateCompatibleBitmap(pTarget, cover.Width(), cover.Height())) {
        Release();
        return nullptr;
    }
    previousBitmap = dc.SelectObject(&bitmap);
    dc.SetWindowOrg(cover.left, cover.top);
    bounds = cover;
    bitsPixel = depth;
    return dc.m_hDC;
}

void CPaintSurface::Release() {
    if (previousBitmap != nullptr) ::SelectObject(dc.m_hDC, previousBitmap);
    previousBitmap = nullptr;
    bitmap.DeleteObject();
    dc.DeleteDC();
}

CBufferDC::CBufferDC(CDC* pTarget)
    : target(pTarget), previousBitmap(nullptr), buffering(!pTarget->IsPrinting()) {
    if (buffering) {
        pTarget->GetClipBox(&area);
        MakeBuffer();
    } else {
        SharePrinter();
    }
}

CBufferDC::CBufferDC(CDC* pTarget, CPaintSurface* surface, const CRect& cover)
    : target(pTarget), previousBitmap(nullptr), buffering(!pTarget->IsPrinting()) {
    if (!buffering) {
        SharePrinter();
        return;
    }
    pTarget->GetClipBox(&area);
    CRect inside;
    HDC kept =
        inside.IntersectRect(&area, &cover) && inside == area ? surface->Prepare(pTarget, cover) : nullptr;
    // The surface stays the window's: this context only borrows it, and gives back its state.
    surfaceState = kept != nullptr ? ::SaveDC(kept) : 0;
    if (surfaceState == 0) {
        MakeBuffer();
        return;
    }
    m_hDC = m_hAttribDC = kept;
    if (area != cover) ::IntersectClipRect(kept, area.left, area.top, area.right, area.bottom);
}

void CBufferDC::SharePrinter() {
    // Share the printer's context; it stays the target's.
    m_bPrinting = target->m_bPrinting;
    m_hDC = target->m_hDC;
    m_hAttribDC = target->m_hAttribDC;
}

void CBufferDC::MakeBuffer() {
    CreateCompatibleDC(target);
    bitmap.CreateCompatibleBitmap(target, area.Width(), area.Height());
    previousBitmap = SelectObject(&bitmap);
    // The bitmap's top-left pixel is the clip box's top-left corner.
    SetWindowOrg(area.left, area.top);
}

CBufferDC::~CBufferDC() {
    if (buffering && surfaceState != 0) {
        // The surface's state first, so that its origin is the one the picture was drawn with
        // whatever the drawing left behind.
        RestoreDC(surfaceState);
        target->BitBlt(area.left, area.top, area.Width(), area.Height(), this, area.left, area.top, SRCCOPY);
        m_hDC = m_hAttribDC = nullptr; // the surface's, not ours to delete
    } else if (buffering) {
        target->BitBlt(area.left, area.top, area.Width(), area.Height(), this, area.left, area.top, SRCCOPY);
        ::SelectObject(m_hDC, previousBitmap);
    } else {
        // The CDC destructor must not delete the target's context.
        m_hDC = m_hAttribDC = nullptr;
    }
    bitmap.DeleteObject();
    // The CDC destructor deletes the memory context.
}
