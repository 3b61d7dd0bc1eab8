// CTitleTipWnd: the pop-up that shows a cell's text over the grid when the mouse rests on it.
// It is a top-level tool window of class "ZTitleTip" with no parent and no owner.
#pragma once

#include "afxwin.h"

#define TITLETIP_CLASSNAME "ZTitleTip"

class CTitleTipWnd : public CWnd {
public:
    // Registers the "ZTitleTip" class once per process; throws CResourceException when that fails.
    CTitleTipWnd();
    ~CTitleTipWnd() override = default;

    virtual BOOL Create(CWnd* pParent);
    // Hides the tip and gives the mouse capture back if the tip holds it.
    void Hide();

    CWnd* GetParentGrid() const { return parent; }

protected:
    CWnd* parent = nullptr; // the grid that owns the tip (not owned)
    CRect hoverArea;        // tip client coordinates: mouse movement inside keeps the tip up
};
