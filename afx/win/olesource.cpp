// COleDataSource: cached global memory blocks served through an IDataObject of the source's
// own, and put on the OLE clipboard.
#include "afxole.h"

#include <cstring>
#include <new>
#include <shlobj.h>

namespace {
// The source last put on the clipboard by this thread (cleared when it goes).
thread_local COleDataSource* t_clipboardSource = nullptr;

// A copy of a global block, of the same size: the receiver of GetData owns what it gets.
HGLOBAL CopyGlobal(HGLOBAL hSource) {
    SIZE_T size = ::GlobalSize(hSource);
    HGLOBAL hCopy = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size != 0 ? size : 1);
    if (hCopy == nullptr) return nullptr;
    const void* from = ::GlobalLock(hSource);
    void* to = ::GlobalLock(hCopy);
    if (from != nullptr && to != nullptr) std::memcpy(to, from, size);
    if (from != nullptr) ::GlobalUnlock(hSource);
    if (to != nullptr) ::GlobalUnlock(hCopy);
    if (from == nullptr || to == nullptr) {
        ::GlobalFree(hCopy);
        return nullptr;
    }
    return hCopy;
}
} // namespace

COleDataSource::COleDataSource() : m_xDataObject(this) {}

COleDataSource::~COleDataSource() {
    if (t_clipboardSource == this) t_clipboardSource = nullptr;
    Empty();
}

void COleDataSource::Empty() {
    for (UINT i = 0; i < m_nSize; i++)
        if (m_pCache[i].hGlobal != nullptr) ::GlobalFree(m_pCache[i].hGlobal);
    delete[] m_pCache;
    m_pCache = nullptr;
    m_nSize = 0;
}

void COleDataSource::CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc) {
    FORMATETC format = {cfFormat, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    if (lpFormatEtc != nullptr) {
        format = *lpFormatEtc;
        format.cfFormat = cfFormat;
        format.tymed = TYMED_HGLOBAL;
    }
    for (UINT i = 0; i < m_nSize; i++) {
        if (m_pCache[i].format.cfFormat == cfFormat) {
            if (m_pCache[i].hGlobal != nullptr && m_pCache[i].hGlobal != hGlobal)
                ::GlobalFree(m_pCache[i].hGlobal);
            m_pCache[i].format = format;
            m_pCache[i].hGlobal = hGlobal;
            return;
        }
    }
    // The new array is made before the old one goes: when memory runs out, the block is freed
    // (the source owns it) and the cache stays as it was.
    CacheEntry* grown = new (std::nothrow) CacheEntry[m_nSize + 1];
    if (grown == nullptr) {
        ::GlobalFree(hGlobal);
        AfxThrowMemoryException();
    }
    for (UINT i = 0; i < m_nSize; i++)
        grown[i] = m_pCache[i];
    grown[m_nSize].format = format;
    grown[m_nSize].hGlobal = hGlobal;
    delete[] m_pCache;
    m_pCache = grown;
    m_nSize++;
}

LPDATAOBJECT COleDataSource::GetDataObject(BOOL bAddRef) {
    if (bAddRef) m_xDataObject.AddRef();
    return &m_xDataObject;
}

DWORD COleDataSource::InternalRelease() {
    return m_xDataObject.Release();
}

IMPLEMENT_DYNAMIC(COleException, CException)

void AfxThrowOleException(SCODE sc) {
    throw new COleException(sc);
}

void COleDataSource::SetClipboard() {
    // OLE takes a reference of its own when it accepts the source.
    const HRESULT hr = ::OleSetClipboard(&m_xDataObject);
    if (SUCCEEDED(hr)) t_clipboardSource = this;
    InternalRelease();
    if (FAILED(hr)) AfxThrowOleException(hr);
}

COleDataSource* COleDataSource::GetClipboardOwner() {
    COleDataSource* p = t_clipboardSource;
    if (p == nullptr || ::OleIsCurrentClipboard(&p->m_xDataObject) != S_OK) return nullptr;
    return p;
}

void COleDataSource::FlushClipboard() {
    if (GetClipboardOwner() != nullptr) ::OleFlushClipboard();
}

const COleDataSource::CacheEntry* COleDataSource::Find(const FORMATETC* pFormat) const {
    if (pFormat == nullptr) return nullptr;
    for (UINT i = 0; i < m_nSize; i++) {
        const CacheEntry& e = m_pCache[i];
        if (e.format.cfFormat == pFormat->cfFormat && (pFormat->tymed & TYMED_HGLOBAL) &&
            (pFormat->dwAspect == e.format.dwAspect) &&
            (pFormat->lindex == -1 || pFormat->lindex == e.format.lindex))
            return &e;
    }
    return nullptr;
}

// ---- The IDataObject ---------------------------------------------------------------------------
STDMETHODIMP COleDataSource::XDataObject::QueryInterface(REFIID riid, void** ppv) {
    if (ppv == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDataObject)) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::AddRef() {
    return (ULONG)::InterlockedIncrement(&m_owner->m_dwRef);
}

STDMETHODIMP_(ULONG) COleDataSource::XDataObject::Release() {
    LONG n = ::InterlockedDecrement(&m_owner->m_dwRef);
    if (n == 0) delete m_owner;
    return (ULONG)n;
}

STDMETHODIMP COleDataSource::XDataObject::GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) {
    if (pFormat == nullptr || pMedium == nullptr) return E_INVALIDARG;
    const CacheEntry* e = m_owner->Find(pFormat);
    if (e == nullptr || e->hGlobal == nullptr) return DV_E_FORMATETC;
    HGLOBAL hCopy = CopyGlobal(e->hGlobal);
    if (hCopy == nullptr) return E_OUTOFMEMORY;
    pMedium->tymed = TYMED_HGLOBAL;
    pMedium->hGlobal = hCopy;
    pMedium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP COleDataSource::XDataObject::GetDataHere(FORMATETC* pFormat, STGMEDIUM* pMedium) {
    if (pFormat == nullptr || pMedium == nullptr) return E_INVALIDARG;
    const CacheEntry* e = m_owner->Find(pFormat);
    if (e == nullptr || e->hGlobal == nullptr || pMedium->tymed != TYMED_HGLOBAL) return DV_E_FORMATETC;
    SIZE_T size = ::GlobalSize(e->hGlobal);
    if (pMedium->hGlobal == nullptr || ::GlobalSize(pMedium->hGlobal) < size) return STG_E_MEDIUMFULL;
    const void* from = ::GlobalLock(e->hGlobal);
    void* to = ::GlobalLock(pMedium->hGlobal);
    HRESULT hr = from != nullptr && to != nullptr ? S_OK : E_OUTOFMEMORY;
    if (hr == S_OK) std::memcpy(to, from, size);
    if (from != nullptr) ::GlobalUnlock(e->hGlobal);
    if (to != nullptr) ::GlobalUnlock(pMedium->hGlobal);
    return hr;
}

STDMETHODIMP COleDataSource::XDataObject::QueryGetData(FORMATETC* pFormat) {
    return m_owner->Find(pFormat) != nullptr ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* pOut) {
    if (pOut == nullptr) return E_INVALIDARG;
    pOut->ptd = nullptr;
    return DATA_S_SAMEFORMATETC;
}

STDMETHODIMP COleDataSource::XDataObject::EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) {
    if (ppEnum == nullptr) return E_INVALIDARG;
    *ppEnum = nullptr;
    if (dwDirection != DATADIR_GET) return E_NOTIMPL;
    FORMATETC* formats = new (std::nothrow) FORMATETC[m_owner->m_nSize + 1];
    if (formats == nullptr) return E_OUTOFMEMORY;
    for (UINT i = 0; i < m_owner->m_nSize; i++)
        formats[i] = m_owner->m_pCache[i].format;
    HRESULT hr = ::SHCreateStdEnumFmtEtc(m_owner->m_nSize, formats, ppEnum);
    delete[] formats;
    return hr;
}
