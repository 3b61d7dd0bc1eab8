// The sample's main window: a resizable frame whose client area is the grid, with a File menu
// (Exit) and an Edit menu whose items the grid's update handlers enable and grey.
#pragma once

#include "SampleGrid.h"

class CSampleFrame : public CFrameWnd {
public:
    // Creates the window ("Grid Sample") with its menu and grid.
    BOOL CreateSample();
    CSampleGrid& Grid() { return m_grid; }

protected:
    int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    void OnFilePrint();
    void OnAppExit();
    void OnGridEndChange(NMHDR* pNotify, LRESULT* pResult);

    CSampleGrid m_grid;
    DECLARE_MESSAGE_MAP()
};
