// CBufferDC: the off-screen device context of one paint. Drawing goes to a bitmap that covers
// the target's clip box, with the same logical coordinates as on the target; the destructor
// copies the picture to the target in one BitBlt. A printing target gets no buffer: drawing then
// goes straight to it.
//
// CPaintSurface: a window's off-screen bitmap and memory context, kept from one paint to the
// next. A bitmap made afresh for every paint is memory the system has to give the process anew
// each time: under Wine's 32-bit libraries that costs more than drawing a full window of cells
// (a few milliseconds for a 1280x1024 bitmap). A CBufferDC given a surface draws into it instead,
// clipped to the paint's clip box, and leaves the context's state as it found it, so that every
// paint starts from the same context a fresh one would be.
#pragma once

#include "afxwin.h"

class CPaintSurface {
public:
    CPaintSurface() = default;
    ~CPaintSurface() { Release(); }
    CPaintSurface(const CPaintSurface&) = delete;
    CPaintSurface& operator=(const CPaintSurface&) = delete;

    // The memory context with a bitmap compatible with pTarget that covers exactly `cover`
    // (logical units), made again when the cover or the target's colour depth has changed.
    // NULL when it cannot be made.
    HDC Prepare(CDC* pTarget, const CRect& cover);
    // Deletes the bitmap and the context; the next Prepare makes them again.
    void Release();

private:
    CDC dc;
    CBitmap bitmap;
    HGDIOBJ previousBitmap = nullptr;
    CRect bounds;
    int bitsPixel = 0;
};

class CBufferDC : public CDC {
public:
    explicit CBufferDC(CDC* pTarget);
    // Draws into `surface`, kept to cover `cover` (the window's client area), when it can be had;
    // else as above.
    CBufferDC(CDC* pTarget, CPaintSurface* surface, const CRect& cover);
    ~CBufferDC() override;
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

protected:
    CDC* target;            // receives the picture (not owned)
    CBitmap bitmap;         // the off-screen bitmap of this paint alone
    HGDIOBJ previousBitmap; // what the memory context held before the bitmap; NULL until selected
    CRect area;             // the target's clip box, logical units
    BOOL buffering;         // FALSE while the target prints
    int surfaceState = 0;   // the kept surface's saved state while drawing into it, else 0

private:
    void MakeBuffer();
    void SharePrinter();
};
