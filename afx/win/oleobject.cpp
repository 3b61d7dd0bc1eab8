// COleDataObject: reads data from an IDataObject, usually the clipboard's.
#include "afxole.h"

#include <cstring>

void COleDataObject::Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease) {
    Release();
    m_lpDataObject = lpDataObject;
    m_bAutoRelease = bAutoRelease;
}

LPDATAOBJECT COleDataObject::Detach() {
    LPDATAOBJECT p = m_lpDataObject;
    m_lpDataObject = nullptr;
    return p;
}

void COleDataObject::Release() {
    if (m_lpDataObject != nullptr && m_bAutoRelease) m_lpDataObject->Release();
    m_lpDataObject = nullptr;
}

BOOL COleDataObject::AttachClipboard() {
    LPDATAOBJECT p = nullptr;
    if (FAILED(::OleGetClipboard(&p)) || p == nullptr) return FALSE;
    Attach(p, TRUE);
    return TRUE;
}

static FORMATETC MakeFormat(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) {
    FORMATETC f = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (lpFormatEtc != nullptr) {
        f = *lpFormatEtc;
        f.cfFormat = cfFormat;
    }
    return f;
}

BOOL COleDataObject::IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) {
    if (m_lpDataObject == nullptr) return FALSE;
    FORMATETC f = MakeFormat(cfFormat, lpFormatEtc);
    return m_lpDataObject->QueryGetData(&f) == S_OK;
}

HGLOBAL COleDataObject::GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc) {
    if (m_lpDataObject == nullptr) return nullptr;
    FORMATETC f = MakeFormat(cfFormat, lpFormatEtc);
    f.tymed = TYMED_HGLOBAL;
    STGMEDIUM medium = {};
    if (FAILED(m_lpDataObject->GetData(&f, &medium))) return nullptr;
    if (medium.tymed != TYMED_HGLOBAL || medium.hGlobal == nullptr) {
        ::ReleaseStgMedium(&medium);
        return nullptr;
    }
    if (medium.pUnkForRelease == nullptr) return medium.hGlobal;
    // The block still belongs to the data object: hand the caller a copy of its own.
    HGLOBAL hCopy = nullptr;
    SIZE_T size = ::GlobalSize(medium.hGlobal);
    const void* from = ::GlobalLock(medium.hGlobal);
    if (from != nullptr) {
        hCopy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size != 0 ? size : 1);
        void* to = hCopy != nullptr ? ::GlobalLock(hCopy) : nullptr;
        if (to != nullptr) {
            std::memcpy(to, from, size);
            ::GlobalUnlock(hCopy);
        } else if (hCopy != nullptr) {
            ::GlobalFree(hCopy);
            hCopy = nullptr;
        }
        ::GlobalUnlock(medium.hGlobal);
    }
    ::ReleaseStgMedium(&medium);
    return hCopy;
}
