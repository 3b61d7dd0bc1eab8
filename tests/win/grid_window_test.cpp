// The grid window's creation and lifecycle: the window class, OLE initialisation per grid,
// attaching to a dialog control, the default font and WM_SETFONT / WM_GETFONT, the cursor, the
// notifications to the owner or parent, the title tip, the hover timer, WM_SIZE re-entry, and
// the wheel setting.
#include "grid_test_util.h"

#include <cstring>
#include <memory>

using gridtest::CreateGridControl;
using gridtest::CreateHostWindow;
using gridtest::GridWindowTest;
using gridtest::HostHook;
using gridtest::NotifyLog;
using gridtest::NotifyRecord;
using gridtest::TestGrid;

namespace {

class GridWindow : public GridWindowTest {};

// Destroys every window of a class that this thread still has, so the class can be dropped.
bool UnregisterIfUnused(const char* cls) {
    return ::UnregisterClassA(cls, ::GetModuleHandleA(nullptr)) != 0;
}

} // namespace

TEST(GridClass, TheClassIsRegisteredWithItsAttributes) {
    TestGrid g;
    WNDCLASSA wc;
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "ZIDAZIDID", &wc));
    EXPECT_EQ(0x400Bu, wc.style);
    EXPECT_EQ(0, wc.cbClsExtra);
    EXPECT_EQ(0, wc.cbWndExtra);
    EXPECT_EQ((HBRUSH)(COLOR_3DFACE + 1), wc.hbrBackground);
    EXPECT_EQ(::LoadCursor(nullptr, IDC_ARROW), wc.hCursor);
    EXPECT_EQ(nullptr, wc.hIcon);
    EXPECT_EQ(nullptr, wc.lpszMenuName);
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "ZTitleTip", &wc));
    EXPECT_EQ((UINT)CS_SAVEBITS, wc.style);
    EXPECT_EQ((HBRUSH)(COLOR_INFOBK + 1), wc.hbrBackground);
    EXPECT_EQ(::LoadCursor(nullptr, IDC_ARROW), wc.hCursor);
}

// A class of that name that exists already is left as it is.
TEST(GridClass, AnExistingClassIsNotRegisteredAgain) {
    ASSERT_TRUE(UnregisterIfUnused("ZIDAZIDID"));
    WNDCLASSA own = {};
    own.lpfnWndProc = ::DefWindowProcA;
    own.hInstance = ::GetModuleHandleA(nullptr);
    own.lpszClassName = "ZIDAZIDID";
    own.cbWndExtra = 16;
    ASSERT_NE(0, ::RegisterClassA(&own));
    {
        TestGrid first, second;
        EXPECT_TRUE(CGridMainWnd::RegisterGridClass());
        WNDCLASSA wc;
        ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "ZIDAZIDID", &wc));
        EXPECT_EQ(16, wc.cbWndExtra);
        EXPECT_EQ(0u, wc.style);
    }
    ASSERT_TRUE(UnregisterIfUnused("ZIDAZIDID"));
    TestGrid g;
    WNDCLASSA wc;
    ASSERT_TRUE(::GetClassInfoA(::GetModuleHandleA(nullptr), "ZIDAZIDID", &wc));
    EXPECT_EQ(0x400Bu, wc.style);
    EXPECT_EQ(0, wc.cbWndExtra);
}

// Each grid initialises OLE and uninitialises it once: while a grid lives the thread is
// initialised; once both are gone, it is not any more.
TEST(GridClass, EachGridInitialisesOleOnce) {
    HRESULT before = ::OleInitialize(nullptr);
    ASSERT_EQ(S_OK, before) << "OLE was left initialised on this thread";
    ::OleUninitialize();
    {
        auto first = std::make_unique<TestGrid>();
        auto second = std::make_unique<TestGrid>();
        EXPECT_TRUE(first->oleInitialized);
        EXPECT_TRUE(second->oleInitialized);
        first.reset();
        EXPECT_EQ(S_FALSE, ::OleInitialize(nullptr)); // still initialised by the second grid
        ::OleUninitialize();
        second.reset();
    }
    EXPECT_EQ(S_OK, ::OleInitialize(nullptr));
    ::OleUninitialize();
}

TEST(GridClass, RuntimeClassIsCOleWnd) {
    TestGrid g;
    EXPECT_STREQ("COleWnd", g.GetRuntimeClass()->m_lpszClassName);
    EXPECT_TRUE(g.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_EQ(nullptr, RUNTIME_CLASS(COleWnd)->m_pfnCreateObject);
    EXPECT_EQ((DROPEFFECT)DROPEFFECT_NONE, g.OnDragEnter(nullptr, 0, CPoint(1, 1)));
    EXPECT_EQ((DROPEFFECT)DROPEFFECT_NONE, g.OnDragOver(nullptr, 0, CPoint(1, 1)));
    EXPECT_FALSE(g.OnDrop(nullptr, DROPEFFECT_COPY, CPoint(1, 1)));
    EXPECT_EQ((DROPEFFECT)-1, g.OnDropEx(nullptr, DROPEFFECT_COPY, DROPEFFECT_COPY, CPoint(1, 1)));
    EXPECT_EQ((DROPEFFECT)DROPEFFECT_NONE, g.OnDragScroll(0, CPoint(1, 1)));
}

TEST(GridClass, SettingsDefaults) {
    TestGrid g;
    EXPECT_EQ(0x000000u, g.cellTextColor);
    EXPECT_EQ(0xFFFFFFu, g.cellBkColor);
    EXPECT_EQ(0xD7D7C6u, g.gridBkColor);
    EXPECT_EQ(0xE7F8FFu, g.selectionBkColor);
    EXPECT_EQ(0x000000u, g.fixedTextColor);
    EXPECT_EQ(0xC0C0C0u, g.fixedBkColor);
    EXPECT_EQ(0xD7D7C6u, g.gridLineColor);
    EXPECT_EQ(0x64141Bu, g.frameColor);
    EXPECT_EQ(0xFFFFFFu, g.fixedTopEdgeColor);
    EXPECT_EQ(0x9B985Fu, g.fixedEdgeColor);
    EXPECT_EQ(3, g.gridLineStyle);
    EXPECT_TRUE(g.editable);
    EXPECT_FALSE(g.listMode);
    EXPECT_FALSE(g.singleRowSelection);
    EXPECT_TRUE(g.drawingEnabled);
    EXPECT_TRUE(g.selectionEnabled);
    EXPECT_TRUE(g.sortOnHeaderClick);
    EXPECT_TRUE(g.wantTabKey);
    EXPECT_TRUE(g.doubleBuffered);
    EXPECT_TRUE(g.titleTipsEnabled);
    EXPECT_FALSE(g.titleTipCreated);
    EXPECT_TRUE(g.drawFrame);
    EXPECT_EQ(0u, g.hoverTimer);
    EXPECT_EQ(GMM_IDLE, g.mouseMode);
    EXPECT_EQ(25u, g.scrollInterval);
    EXPECT_EQ(3, g.dividerTolerance);
    EXPECT_TRUE(g.allowRowResize);
    EXPECT_TRUE(g.allowColumnResize);
    EXPECT_EQ(nullptr, g.imageList);
    EXPECT_EQ(CCellPos(-1, -1), g.anchorCell);
    EXPECT_EQ(10, g.defaultRowHeight);
    EXPECT_EQ(30, g.defaultColumnWidth);
    EXPECT_EQ(0, g.textMargin);
    EXPECT_EQ(0, g.vertScrollMax);
    EXPECT_EQ(0, g.horzScrollMax);
    EXPECT_EQ(CGridMainWnd::ReadWheelScrollLines(), g.wheelScrollLines);
}

TEST(GridClass, DefaultFontIsTheMessageFontInGulim) {
    TestGrid g;
    const unsigned char gulim[] = {0xB1, 0xBC, 0xB8, 0xB2, 0};
    EXPECT_EQ(0, std::memcmp(g.gridFont.lfFaceName, gulim, sizeof gulim));
    for (size_t i = sizeof gulim; i < sizeof g.gridFont.lfFaceName; i++)
        EXPECT_EQ(0, g.gridFont.lfFaceName[i]);
    NONCLIENTMETRICSA ncm = {};
    ncm.cbSize = sizeof ncm;
    ASSERT_TRUE(::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0));
    EXPECT_EQ(ncm.lfMessageFont.lfHeight, g.gridFont.lfHeight);
    EXPECT_EQ(ncm.lfMessageFont.lfWeight, g.gridFont.lfWeight);
    EXPECT_EQ(ncm.lfMessageFont.lfCharSet, g.gridFont.lfCharSet);
}

TEST(GridClass, GetFontAnswersNullBeforeAFontIsMade) {
    TestGrid g;
    EXPECT_EQ(0, g.OnGetFont(0, 0));
}

TEST(GridClass, NotifyParentWithoutAWindowSendsNothing) {
    TestGrid g(2, 2);
    NotifyLog().clear();
    EXPECT_EQ(0, g.NotifyParent(1, 1, GN_FOCUSENTER));
    g.MoveFocusTo(1, 1);
    EXPECT_TRUE(NotifyLog().empty());
}

TEST(GridClass, WheelLinesFromTheRegistry) {
    // HKEY_CURRENT_USER redirected to a scratch key for this process.
    HKEY scratch;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\VkGridTest\\Wheel", 0, nullptr,
                                REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &scratch, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, ::RegOverridePredefKey(HKEY_CURRENT_USER, scratch));
    EXPECT_EQ(3, CGridMainWnd::ReadWheelScrollLines()); // no key
    HKEY desktop;
    ASSERT_EQ(ERROR_SUCCESS,
              ::RegCreateKeyExA(scratch, "Control Panel\\Desktop", 0, nullptr, REG_OPTION_VOLATILE,
                                KEY_ALL_ACCESS, nullptr, &desktop, nullptr));
    EXPECT_EQ(3, CGridMainWnd::ReadWheelScrollLines()); // no value
    ::RegSetValueExA(desktop, "WheelScrollLines", 0, REG_SZ, (const BYTE*)"7", 2);
    EXPECT_EQ(7, CGridMainWnd::ReadWheelScrollLines());
    ::RegSetValueExA(desktop, "WheelScrollLines", 0, REG_SZ, (const BYTE*)"-1", 3);
    EXPECT_EQ(-1, CGridMainWnd::ReadWheelScrollLines());
    ::RegSetValueExA(desktop, "WheelScrollLines", 0, REG_SZ, (const BYTE*)"12 lines", 9);
    EXPECT_EQ(12, CGridMainWnd::ReadWheelScrollLines());
    {
        TestGrid g;
        EXPECT_EQ(12, g.wheelScrollLines);
    }
    ::RegCloseKey(desktop);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegDeleteTreeA(scratch, nullptr);
    ::RegCloseKey(scratch);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VkGridTest\\Wheel");
    ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VkGridTest");
}

TEST(GridClass, DataExchangeAttachesOnceAndFailsForAMissingControl) {
    struct CountingGrid : TestGrid {
        int preSubclassCalls = 0;
        void PreSubclassWindow() override {
            preSubclassCalls++;
            TestGrid::PreSubclassWindow();
        }
    } g;
    HWND host = CreateHostWindow();
    HWND control = CreateGridControl(host, 300, 200, 4048);
    CWnd* dialog = CWnd::FromHandle(host);
    CDataExchange dx(dialog, FALSE);
    DDX_GridControl(&dx, 4048, g);
    EXPECT_EQ(control, g.m_hWnd);
    EXPECT_EQ(&g, CWnd::FromHandlePermanent(control));
    EXPECT_EQ(1, g.preSubclassCalls);
    UINT_PTR timer = g.hoverTimer;
    DDX_GridControl(&dx, 4048, g); // a second exchange does nothing
    EXPECT_EQ(1, g.preSubclassCalls);
    EXPECT_EQ(timer, g.hoverTimer);

    TestGrid other;
    bool thrown = false;
    try {
        DDX_GridControl(&dx, 4049, other);
    } catch (CNotSupportedException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(nullptr, other.m_hWnd);
    g.DestroyWindow();
    ::DestroyWindow(host);
}

TEST_F(GridWindow, AttachingAppliesTheFontAndStartsTheHoverTimer) {
    grid.SetNumRows(3);
    grid.SetNumColumns(2);
    Attach(300, 200);
    HFONT hFont = (HFONT)::SendMessageA(grid.m_hWnd, WM_GETFONT, 0, 0);
    ASSERT_NE(nullptr, hFont);
    EXPECT_EQ((HFONT)grid.gridFontObject.GetSafeHandle(), hFont);
    LOGFONTA lf;
    ASSERT_EQ((int)sizeof lf, ::GetObjectA(hFont, sizeof lf, &lf));
    EXPECT_TRUE(IsSameLogFont(lf, grid.gridFont));

    // The metrics, measured here independently.
    HDC dc = ::GetDC(grid.m_hWnd);
    HGDIOBJ old = ::SelectObject(dc, hFont);
    TEXTMETRICA tm;
    ::GetTextMetricsA(dc, &tm);
    SIZE space;
    ::GetTextExtentPoint32A(dc, " ", 1, &space);
    ::SelectObject(dc, old);
    ::ReleaseDC(grid.m_hWnd, dc);
    EXPECT_EQ(space.cx, grid.textMargin);
    EXPECT_GT(grid.textMargin, 0);
    EXPECT_EQ(tm.tmHeight + tm.tmExternalLeading + 2 * space.cx, grid.defaultRowHeight);
    EXPECT_EQ(2 * (space.cx + 6 * tm.tmAveCharWidth), grid.defaultColumnWidth);
    EXPECT_EQ(10, grid.GetRowHeight(0)); // existing rows keep their sizes

    EXPECT_EQ((UINT_PTR)601, grid.hoverTimer);
    ::Sleep(150);
    MSG msg;
    EXPECT_TRUE(::PeekMessageA(&msg, grid.m_hWnd, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ((WPARAM)601, msg.wParam);
}

TEST_F(GridWindow, DestroyStopsTheHoverTimer) {
    Attach(300, 200);
    ASSERT_NE(0u, grid.hoverTimer);
    HWND hWnd = grid.m_hWnd;
    EXPECT_TRUE(grid.DestroyWindow());
    EXPECT_EQ(0u, grid.hoverTimer);
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_EQ(nullptr, grid.m_hWnd);
}

TEST_F(GridWindow, TheTitleTipIsMadeWhenEnabled) {
    Attach(300, 200);
    EXPECT_TRUE(grid.titleTipCreated);
    HWND tip = grid.titleTip.m_hWnd;
    ASSERT_TRUE(::IsWindow(tip));
    char cls[32] = {};
    ::GetClassNameA(tip, cls, sizeof cls);
    EXPECT_STREQ("ZTitleTip", cls);
    EXPECT_EQ(0x88u, (DWORD)::GetWindowLongPtrA(tip, GWL_EXSTYLE) & 0x88u);
    EXPECT_EQ(0x80800000u, (DWORD)::GetWindowLongPtrA(tip, GWL_STYLE) & 0x80800000u);
    EXPECT_FALSE(::IsWindowVisible(tip));
    EXPECT_EQ(nullptr, ::GetParent(tip));
    EXPECT_EQ(nullptr, ::GetWindow(tip, GW_OWNER));
    EXPECT_EQ(&grid, grid.titleTip.GetParentGrid());
    grid.titleTip.Hide();
    EXPECT_FALSE(::IsWindowVisible(tip));

    auto other = std::make_unique<TestGrid>();
    other->EnableTitleTips(FALSE);
    HWND control = CreateGridControl(host, 100, 100, 4050);
    ASSERT_TRUE(other->SubclassGrid(control));
    EXPECT_FALSE(other->titleTipCreated);
    EXPECT_EQ(nullptr, other->titleTip.m_hWnd);

    // The tip goes with the grid object.
    auto third = std::make_unique<TestGrid>();
    ASSERT_TRUE(third->SubclassGrid(CreateGridControl(host, 100, 100, 4051)));
    HWND thirdTip = third->titleTip.m_hWnd;
    ASSERT_TRUE(::IsWindow(thirdTip));
    third.reset();
    EXPECT_FALSE(::IsWindow(thirdTip));
}

TEST_F(GridWindow, SetFontReplacesEveryCellFontAndTheDefaults) {
    grid.SetNumRows(2);
    grid.SetNumColumns(2);
    Attach(300, 200);
    LOGFONTA special = grid.gridFont;
    special.lfHeight = -9;
    grid.SetCellFont(1, 1, &special);
    int oldDefault = grid.defaultRowHeight;

    LOGFONTA big = {};
    big.lfHeight = -40;
    big.lfCharSet = ANSI_CHARSET;
    std::strcpy(big.lfFaceName, "DejaVu Sans");
    HFONT hBig = ::CreateFontIndirectA(&big);
    LRESULT result = ::SendMessageA(grid.m_hWnd, WM_SETFONT, (WPARAM)hBig, TRUE);
    EXPECT_EQ(0, result);
    EXPECT_TRUE(IsSameLogFont(big, grid.gridFont));
    EXPECT_TRUE(IsSameLogFont(big, *grid.GetCellFont(1, 1)));
    EXPECT_TRUE(IsSameLogFont(big, *grid.GetCellFont(0, 0)));
    EXPECT_GT(grid.defaultRowHeight, oldDefault);
    EXPECT_EQ(10, grid.GetRowHeight(1));
    grid.SetNumRows(3);
    EXPECT_EQ(grid.defaultRowHeight, grid.GetRowHeight(2));
    EXPECT_TRUE(IsSameLogFont(big, *grid.GetCellFont(2, 0)));
    HFONT answered = (HFONT)::SendMessageA(grid.m_hWnd, WM_GETFONT, 0, 0);
    EXPECT_NE(hBig, answered); // the grid keeps a font of its own
    LOGFONTA lf;
    ::GetObjectA(answered, sizeof lf, &lf);
    EXPECT_TRUE(IsSameLogFont(big, lf));
    ::DeleteObject(hBig);

    // A handle that is not a font: only the default processing.
    int margin = grid.textMargin;
    ::SendMessageA(grid.m_hWnd, WM_SETFONT, (WPARAM)0x1234, TRUE);
    EXPECT_TRUE(IsSameLogFont(big, grid.gridFont));
    EXPECT_EQ(margin, grid.textMargin);
    EXPECT_EQ(answered, (HFONT)::SendMessageA(grid.m_hWnd, WM_GETFONT, 0, 0));
}

TEST_F(GridWindow, SetCursorFollowsTheMouseMode) {
    Attach(300, 200);
    LPARAM client = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    grid.mouseMode = GMM_AT_ROW_EDGE;
    EXPECT_EQ(TRUE, ::SendMessageA(grid.m_hWnd, WM_SETCURSOR, (WPARAM)grid.m_hWnd, client));
    EXPECT_EQ(::LoadCursor(nullptr, IDC_SIZENS), ::GetCursor());
    grid.mouseMode = GMM_AT_COLUMN_EDGE;
    EXPECT_EQ(TRUE, ::SendMessageA(grid.m_hWnd, WM_SETCURSOR, (WPARAM)grid.m_hWnd, client));
    EXPECT_EQ(::LoadCursor(nullptr, IDC_SIZEWE), ::GetCursor());
    grid.mouseMode = GMM_SIZING_COLUMN;
    EXPECT_EQ(TRUE, ::SendMessageA(grid.m_hWnd, WM_SETCURSOR, (WPARAM)grid.m_hWnd, client));
    EXPECT_EQ(::LoadCursor(nullptr, IDC_ARROW), ::GetCursor());
    // Outside the client area the default processing decides.
    grid.mouseMode = GMM_AT_ROW_EDGE;
    ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
    ::SendMessageA(grid.m_hWnd, WM_SETCURSOR, (WPARAM)grid.m_hWnd, MAKELPARAM(HTVSCROLL, WM_MOUSEMOVE));
    EXPECT_NE(::LoadCursor(nullptr, IDC_SIZENS), ::GetCursor());
}

TEST_F(GridWindow, NotificationsGoToTheParent) {
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    Attach(300, 200);
    EXPECT_EQ(77, grid.NotifyParent(2, 1, GN_BEGINCHANGE));
    ASSERT_EQ(1u, NotifyLog().size());
    NotifyRecord r = NotifyLog()[0];
    EXPECT_EQ(host, r.to);
    EXPECT_EQ(grid.m_hWnd, r.from);
    EXPECT_EQ((UINT_PTR)4048, r.id);
    EXPECT_EQ(GN_BEGINCHANGE, r.code);
    EXPECT_EQ(2, r.row);
    EXPECT_EQ(1, r.col);
}

TEST_F(GridWindow, NotificationsGoToTheOwnerWhenOneIsSet) {
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    Attach(300, 200);
    HWND owner = CreateHostWindow(200, 100);
    grid.SetOwner(CWnd::FromHandle(owner));
    grid.NotifyParent(1, 2, GN_ENDCHANGE);
    ASSERT_EQ(1u, NotifyLog().size());
    EXPECT_EQ(owner, NotifyLog()[0].to);
    EXPECT_EQ(GN_ENDCHANGE, NotifyLog()[0].code);
    ::DestroyWindow(owner);
    NotifyLog().clear();
    // An owner that is gone: nothing is sent.
    EXPECT_EQ(0, grid.NotifyParent(1, 2, GN_ENDCHANGE));
    EXPECT_TRUE(NotifyLog().empty());
    grid.SetOwner(nullptr);
}

TEST_F(GridWindow, FocusMovesNotifyLeaveThenEnter) {
    grid.SetNumRows(4);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    Attach(300, 200);
    grid.MoveFocusTo(1, 1);
    ASSERT_EQ(1u, NotifyLog().size());
    EXPECT_EQ(GN_FOCUSENTER, NotifyLog()[0].code);
    EXPECT_EQ(1, NotifyLog()[0].row);
    NotifyLog().clear();
    grid.MoveFocusTo(2, 2);
    ASSERT_EQ(2u, NotifyLog().size());
    EXPECT_EQ(GN_FOCUSLEAVE, NotifyLog()[0].code);
    EXPECT_EQ(1, NotifyLog()[0].row);
    EXPECT_EQ(1, NotifyLog()[0].col);
    EXPECT_EQ(GN_FOCUSENTER, NotifyLog()[1].code);
    EXPECT_EQ(2, NotifyLog()[1].row);
    EXPECT_EQ(2, NotifyLog()[1].col);
    NotifyLog().clear();
    grid.MoveFocusTo(2, 2);
    EXPECT_TRUE(NotifyLog().empty());
    grid.ClearSelection();
    ASSERT_EQ(1u, NotifyLog().size());
    EXPECT_EQ(GN_FOCUSLEAVE, NotifyLog()[0].code);
    NotifyLog().clear();
    // Rows removed under the focus clear it without a word.
    grid.MoveFocusTo(3, 0);
    NotifyLog().clear();
    grid.RemoveRow(3);
    EXPECT_TRUE(NotifyLog().empty());
    EXPECT_EQ(CCellPos(-1, -1), grid.GetFocusCell());
    // Shrinking below the focus moves it away with a notification.
    grid.MoveFocusTo(2, 1);
    NotifyLog().clear();
    grid.SetNumRows(2);
    ASSERT_EQ(1u, NotifyLog().size());
    EXPECT_EQ(GN_FOCUSLEAVE, NotifyLog()[0].code);
}

TEST_F(GridWindow, EraseSelectedCellsClearsTheEditableOnes) {
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    Attach(300, 200);
    for (int r = 0; r < 3; r++)
        for (int c = 0; c < 3; c++)
            grid.SetCellText(r, c, "x");
    grid.SetCellState(2, 2, CELL_READONLY);
    grid.SelectSpan(1, 1, 2, 2, FALSE);
    NotifyLog().clear();
    grid.EraseSelectedCells();
    EXPECT_STREQ("", grid.GetCellText(1, 1));
    EXPECT_STREQ("", grid.GetCellText(2, 1));
    EXPECT_STREQ("x", grid.GetCellText(2, 2));
    EXPECT_STREQ("x", grid.GetCellText(0, 0));
    EXPECT_EQ((UINT)CELL_CHANGED, grid.GetCellState(1, 2));
    EXPECT_EQ((UINT)(CELL_READONLY | CELL_SELECTED), grid.GetCellState(2, 2));
    EXPECT_TRUE(grid.IsChanged());
    ASSERT_EQ(6u, NotifyLog().size());
    for (size_t i = 0; i < 6; i += 2) {
        EXPECT_EQ(GN_BEGINCHANGE, NotifyLog()[i].code);
        EXPECT_EQ(GN_ENDCHANGE, NotifyLog()[i + 1].code);
        EXPECT_EQ(NotifyLog()[i].row, NotifyLog()[i + 1].row);
    }
    EXPECT_EQ(1, grid.selectedCells.GetCount());
}

TEST_F(GridWindow, CommandEnabling) {
    grid.SetNumRows(3);
    grid.SetNumColumns(3);
    grid.SetNumFixedRows(1);
    Attach(300, 200);
    auto enabled = [&](UINT id) {
        CCmdUI ui;
        ui.m_nID = id;
        EXPECT_TRUE(ui.DoUpdate(&grid));
        return ui.m_bEnabled != FALSE;
    };
    EXPECT_FALSE(enabled(ID_EDIT_COPY));
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    EXPECT_FALSE(enabled(ID_EDIT_PASTE)); // no focus cell
    EXPECT_TRUE(enabled(ID_EDIT_SELECT_ALL));
    grid.SelectSpan(1, 0, 1, 2, FALSE);
    EXPECT_TRUE(enabled(ID_EDIT_COPY));
    EXPECT_TRUE(enabled(ID_EDIT_CUT));
    grid.SetEditable(FALSE);
    EXPECT_FALSE(enabled(ID_EDIT_CUT));
    EXPECT_TRUE(enabled(ID_EDIT_COPY));
    grid.EnableSelection(FALSE);
    EXPECT_FALSE(enabled(ID_EDIT_SELECT_ALL));
    grid.EnableSelection(TRUE);
    ::SendMessageA(grid.m_hWnd, WM_COMMAND, ID_EDIT_SELECT_ALL, 0);
    EXPECT_EQ(CCellSpan(1, 0, 2, 2), grid.GetSelectionBounds());
}

// A WM_SIZE that arrives while any grid handles one returns at once. Here the size handler's
// SetFocus makes the host lose the focus, and the host answers by resizing grids.
TEST_F(GridWindow, SizeHandlingIsNotReentered) {
    grid.SetNumRows(1);
    grid.SetNumColumns(2);
    Attach(300, 100);
    grid.EnableScrollBars(FALSE, FALSE);
    grid.SetColumnWidth(0, 100);
    grid.SetColumnWidth(1, 100);
    grid.SetKeepColumnProportions(TRUE);

    TestGrid second(1, 2);
    ASSERT_TRUE(second.SubclassGrid(CreateGridControl(host, 300, 100, 4052)));
    second.EnableScrollBars(FALSE, FALSE);
    second.SetColumnWidth(0, 50);
    second.SetColumnWidth(1, 50);
    second.SetKeepColumnProportions(TRUE);

    int nested = 0;
    HostHook() = [&](HWND hWnd, UINT msg, WPARAM, LPARAM) {
        if (hWnd == host && msg == WM_KILLFOCUS) {
            nested++;
            ::SendMessageA(grid.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(150, 100));
            ::SendMessageA(second.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 100));
        }
    };
    ::SetFocus(host);
    ::MoveWindow(grid.m_hWnd, 0, 0, 600, 100, FALSE);
    HostHook() = nullptr;
    EXPECT_EQ(1, nested);
    EXPECT_EQ(300, grid.GetColumnWidth(0));
    EXPECT_EQ(300, grid.GetColumnWidth(1));
    EXPECT_EQ(50, second.GetColumnWidth(0));
    // Outside a size handling the other grid follows its width again.
    ::SendMessageA(second.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(1000, 100));
    EXPECT_EQ(500, second.GetColumnWidth(0));
    second.DestroyWindow();
}
