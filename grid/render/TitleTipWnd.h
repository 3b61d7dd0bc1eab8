// CTitleTipWnd: the pop-up that shows a cell's text over the grid when the mouse rests on it.
// It is a top-level tool window of class "ZTitleTip" with no parent and no owner. While it is up
// it holds the mouse capture; it hides itself as soon as the mouse leaves the hover area or a key
// or button is pressed, and passes that input on to the window underneath.
#pragma once

#include "afxwin.h"

#define TITLETIP_CLASSNAME "ZTitleTip"

class CTitleTipWnd : public CWnd {
public:
    // Registers the "ZTitleTip" class once per process; throws CResourceException when that fails.
    CTitleTipWnd();
    ~CTitleTipWnd() override;

    virtual BOOL Create(CWnd* pParent);
    // Shows text over rectTitle, one line per "\r\n"-separated part, each as high as rectTitle,
    // 5 pixels right of its left edge. rectTitle and hoverRect (rectTitle when NULL) are in the
    // parent grid's client coordinates; the mouse keeps the tip up while it stays in hoverRect.
    // xOffset is accepted for callers' sake and not used. With no font the grid's font is used.
    // A Show while the tip is up changes only the hover area.
    void Show(CRect rectTitle, LPCTSTR text, int xOffset, LPRECT hoverRect = nullptr,
              const LOGFONTA* font = nullptr);
    // Hides the tip and gives the mouse capture back if the tip holds it.
    void Hide();

    BOOL PreTranslateMessage(MSG* pMsg) override;

    CWnd* GetParentGrid() const { return parent; }
    // The hover area, in the tip's client coordinates.
    CRect GetHoverArea() const { return hoverArea; }

protected:
    CWnd* parent = nullptr; // the grid that owns the tip (not owned)
    CRect hoverArea;        // tip client coordinates: mouse movement inside keeps the tip up

    void OnMouseMove(UINT nFlags, CPoint point);
    // Another window took the mouse: the tip is no longer in the way of its input, and goes.
    void OnCaptureChanged(CWnd* pWnd);
    // While the tip is up, a key for another window of the thread hides it (keys for the grid
    // come through the grid's PreTranslateMessage).
    void WatchKeys();
    void StopWatchingKeys();
    static LRESULT CALLBACK HideOnKey(int code, WPARAM wParam, LPARAM lParam);
    // The window under a screen point that a forwarded message goes to: the parent grid when it is
    // the tip itself.
    HWND ForwardTarget(POINT screen) const;

    DECLARE_MESSAGE_MAP()
};
