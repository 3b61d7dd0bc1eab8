// COleWnd: a window base class with the OLE drag-and-drop hooks. It holds no data; every hook
// refuses or ignores the drag, so a derived window that wants drops overrides them.
#pragma once

#include "afxwin.h"
#include "afxole.h"

class COleWnd : public CWnd {
    DECLARE_DYNAMIC(COleWnd)
public:
    COleWnd() = default;
    ~COleWnd() override = default;

    virtual DROPEFFECT OnDragEnter(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual DROPEFFECT OnDragOver(COleDataObject* pDataObject, DWORD dwKeyState, CPoint point);
    virtual void OnDragLeave();
    virtual BOOL OnDrop(COleDataObject* pDataObject, DROPEFFECT dropEffect, CPoint point);
    virtual DROPEFFECT OnDropEx(COleDataObject* pDataObject, DROPEFFECT dropDefault, DROPEFFECT dropList,
                                CPoint point);
    virtual DROPEFFECT OnDragScroll(DWORD dwKeyState, CPoint point);

    DECLARE_MESSAGE_MAP()
};
