// Common-control wrappers: the image list, enough for cells that show images by index.
#pragma once

#include "afxwin.h"

class CImageList : public CObject {
public:
    HIMAGELIST m_hImageList = nullptr;

    CImageList() = default;
    ~CImageList() override { DeleteImageList(); }
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }
    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow) {
        m_hImageList = ::ImageList_Create(cx, cy, nFlags, nInitial, nGrow);
        return m_hImageList != nullptr;
    }
    BOOL DeleteImageList() {
        if (m_hImageList == nullptr) return FALSE;
        BOOL ok = ::ImageList_Destroy(m_hImageList);
        m_hImageList = nullptr;
        return ok;
    }
    int GetImageCount() const { return ::ImageList_GetImageCount(m_hImageList); }
    BOOL GetImageInfo(int nImage, IMAGEINFO* pImageInfo) const {
        return ::ImageList_GetImageInfo(m_hImageList, nImage, pImageInfo);
    }
    int Add(CBitmap* pbmImage, COLORREF crMask) {
        return ::ImageList_AddMasked(m_hImageList, (HBITMAP)pbmImage->m_hObject, crMask);
    }
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle) {
        return ::ImageList_Draw(m_hImageList, nImage, pDC->m_hDC, pt.x, pt.y, nStyle);
    }
};
