// CBufferDC: the off-screen device context of one paint. Drawing goes to a bitmap that covers
// only the target's clip box, with the same logical coordinates as on the target; the
// destructor copies the picture to the target in one BitBlt. A printing target gets no buffer:
// drawing then goes straight to it.
#pragma once

#include "afxwin.h"

class CBufferDC : public CDC {
public:
    explicit CBufferDC(CDC* pTarget);
    ~CBufferDC() override;
    CBufferDC(const CBufferDC&) = delete;
    CBufferDC& operator=(const CBufferDC&) = delete;

protected:
    CDC* target;            // receives the picture (not owned)
    CBitmap bitmap;         // the off-screen bitmap
    HGDIOBJ previousBitmap; // what the memory context held before the bitmap; NULL until selected
    CRect area;             // the target's clip box, logical units
    BOOL buffering;         // FALSE while the target prints
};
