// CBufferDC: an off-screen bitmap of the target's clip box, copied back when the paint ends.
#include "BufferDC.h"

CBufferDC::CBufferDC(CDC* pTarget)
    : target(pTarget), previousBitmap(nullptr), buffering(!pTarget->IsPrinting()) {
    if (buffering) {
        pTarget->GetClipBox(&area);
        CreateCompatibleDC(pTarget);
        // Compatible with the target, not with the memory context, so that it has the screen's
        // colour depth rather than one bit per pixel.
        bitmap.CreateCompatibleBitmap(pTarget, area.Width(), area.Height());
        previousBitmap = SelectObject(&bitmap);
        // The bitmap's top-left pixel is the clip box's top-left corner.
        SetWindowOrg(area.left, area.top);
    } else {
        // Share the printer's context; it stays the target's.
        m_bPrinting = pTarget->m_bPrinting;
        m_hDC = pTarget->m_hDC;
        m_hAttribDC = pTarget->m_hAttribDC;
    }
}

CBufferDC::~CBufferDC() {
    if (buffering) {
        target->BitBlt(area.left, area.top, area.Width(), area.Height(), this, area.left, area.top, SRCCOPY);
        ::SelectObject(m_hDC, previousBitmap);
    } else {
        // The CDC destructor must not delete the target's context.
        m_hDC = m_hAttribDC = nullptr;
    }
    bitmap.DeleteObject();
    // The CDC destructor deletes the memory context.
}
