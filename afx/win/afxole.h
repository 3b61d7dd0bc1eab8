// The OLE clipboard: COleDataSource offers data (cached global memory blocks) through an
// IDataObject of its own and puts itself on the clipboard; COleDataObject reads the clipboard's
// data object. Both over the real OLE functions (OleSetClipboard, OleGetClipboard), so the data
// reaches and comes from any other program. OLE must be initialised on the thread
// (OleInitialize).
#pragma once

#include "afxwin.h"

#include <ole2.h>

// A drop effect (DROPEFFECT_NONE, _COPY, _MOVE, ...).
typedef DWORD DROPEFFECT;

// An OLE operation failed; m_sc is its error code.
class COleException : public CException {
    DECLARE_DYNAMIC(COleException)
public:
    explicit COleException(SCODE sc) : m_sc(sc) {}
    SCODE m_sc;
};
[[noreturn]] void AfxThrowOleException(SCODE sc);

class COleDataSource : public CCmdTarget {
public:
    // The source starts with one reference, its creator's: SetClipboard hands it to OLE, and the
    // object deletes itself when the last reference goes. Create it with new.
    COleDataSource();
    COleDataSource(const COleDataSource&) = delete;
    COleDataSource& operator=(const COleDataSource&) = delete;

    // Offers hGlobal for cfFormat (one block per format; a second one replaces the first). The
    // source owns the block from then on and frees it when it goes.
    void CacheGlobalData(CLIPFORMAT cfFormat, HGLOBAL hGlobal, LPFORMATETC lpFormatEtc = nullptr);
    // Frees every cached block.
    void Empty();
    // Puts the source on the clipboard, which holds it until other data replaces it; the
    // creator's reference passes to the clipboard. When the clipboard cannot take it (another
    // program holds it open, or OLE is not ready) the source is released (and deleted when nobody
    // else holds it) and a COleException with OLE's error code is thrown.
    void SetClipboard();
    // The source's IDataObject, with a reference added when bAddRef is set.
    LPDATAOBJECT GetDataObject(BOOL bAddRef = TRUE);
    // Drops the creator's reference (the object is deleted when it was the last).
    DWORD InternalRelease();

    // The source that owns the clipboard now, in this process; NULL when none does.
    static COleDataSource* GetClipboardOwner();
    // Renders every format of the clipboard's source into the clipboard itself, so the data
    // stays when the source (or the program) goes.
    static void FlushClipboard();

protected:
    ~COleDataSource() override;

private:
    struct CacheEntry {
        FORMATETC format;
        HGLOBAL hGlobal;
    };
    class XDataObject : public IDataObject {
    public:
        explicit XDataObject(COleDataSource* owner) : m_owner(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetData(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
        STDMETHODIMP GetDataHere(FORMATETC* pFormat, STGMEDIUM* pMedium) override;
        STDMETHODIMP QueryGetData(FORMATETC* pFormat) override;
        STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* pIn, FORMATETC* pOut) override;
        STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
        STDMETHODIMP EnumFormatEtc(DWORD dwDirection, IEnumFORMATETC** ppEnum) override;
        STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override {
            return OLE_E_ADVISENOTSUPPORTED;
        }
        STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
        STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    private:
        COleDataSource* m_owner;
    };

    const CacheEntry* Find(const FORMATETC* pFormat) const;

    LONG m_dwRef = 1;
    XDataObject m_xDataObject;
    CacheEntry* m_pCache = nullptr;
    UINT m_nSize = 0;
};

class COleDataObject {
public:
    COleDataObject() = default;
    ~COleDataObject() { Release(); }
    COleDataObject(const COleDataObject&) = delete;
    COleDataObject& operator=(const COleDataObject&) = delete;

    void Attach(LPDATAOBJECT lpDataObject, BOOL bAutoRelease = TRUE);
    LPDATAOBJECT Detach();
    // Lets the data object go (released when it was attached with bAutoRelease).
    void Release();
    // Attaches the clipboard's data object; FALSE when the clipboard cannot be read.
    BOOL AttachClipboard();
    BOOL IsDataAvailable(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr);
    // A global memory block with the data, which the caller frees (GlobalFree); NULL when the
    // format is not there or cannot be had as global memory.
    HGLOBAL GetGlobalData(CLIPFORMAT cfFormat, LPFORMATETC lpFormatEtc = nullptr);

private:
    LPDATAOBJECT m_lpDataObject = nullptr;
    BOOL m_bAutoRelease = TRUE;
};
