// The windowing layer on real windows: message maps, reflection, subclassing, the handle map,
// dialogs with their own modal loop and data exchange, and message boxes.
#include "afxwin.h"
#include "win_test_util.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const char kTestClass[] = "VkAfxTestWindow";

void RegisterTestClass()
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ::DefWindowProcA;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = kTestClass;
    wc.hCursor = ::LoadCursor(nullptr, IDC_ARROW);
    AfxRegisterClass(&wc);
}

std::vector<std::string> g_log;

class CBaseWnd : public CWnd {
public:
    int sizeType = -1, sizeCx = -1, sizeCy = -1;
    void OnSize(UINT nType, int cx, int cy)
    {
        sizeType = (int)nType;
        sizeCx = cx;
        sizeCy = cy;
        g_log.push_back("base size");
    }
    LRESULT OnPrivate(WPARAM w, LPARAM l) { return (LRESULT)(w * 100 + l); }
    void OnCommandA() { g_log.push_back("command 1234"); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
ON_WM_SIZE()
ON_MESSAGE(WM_USER + 7, OnPrivate)
ON_COMMAND(1234, OnCommandA)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd {
public:
    CPoint down{-1, -1};
    UINT downFlags = 0;
    bool preSubclassSawOldProc = false;
    void OnLButtonDown(UINT nFlags, CPoint p)
    {
        downFlags = nFlags;
        down = p;
    }
    // The derived class answers the private message itself; the base's entry is not reached.
    LRESULT OnPrivate2(WPARAM, LPARAM) { return 42; }
    void PreSubclassWindow() override
    {
        preSubclassSawOldProc = (WNDPROC)::GetWindowLongPtrA(m_hWnd, GWLP_WNDPROC) != AfxWndProc;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
ON_WM_LBUTTONDOWN()
ON_MESSAGE(WM_USER + 8, OnPrivate2)
END_MESSAGE_MAP()

class AfxWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterTestClass();
        g_log.clear();
    }
};

TEST_F(AfxWindowTest, MessagesReachHandlersWithUnpackedArguments)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kTestClass, "t", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    EXPECT_EQ(&wnd, CWnd::FromHandlePermanent(wnd.m_hWnd));

    ::SendMessageA(wnd.m_hWnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(321, 123));
    EXPECT_EQ(SIZE_RESTORED, wnd.sizeType);
    EXPECT_EQ(321, wnd.sizeCx);
    EXPECT_EQ(123, wnd.sizeCy);

    // Negative coordinates arrive signed.
    ::SendMessageA(wnd.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 17));
    EXPECT_EQ((UINT)(MK_LBUTTON | MK_SHIFT), wnd.downFlags);
    EXPECT_EQ(-5, wnd.down.x);
    EXPECT_EQ(17, wnd.down.y);

    // An entry of the base class's map is found when the derived map has none.
    EXPECT_EQ(305, ::SendMessageA(wnd.m_hWnd, WM_USER + 7, 3, 5));
    EXPECT_EQ(42, ::SendMessageA(wnd.m_hWnd, WM_USER + 8, 0, 0));

    // A command without a control goes through the command entries.
    ::SendMessageA(wnd.m_hWnd, WM_COMMAND, MAKEWPARAM(1234, 0), 0);
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ("command 1234", g_log.back());

    // Messages without an entry reach the window's own procedure.
    ::SendMessageA(wnd.m_hWnd, WM_SETTEXT, 0, (LPARAM)"hello");
    char buf[32] = {0};
    EXPECT_EQ(5, ::SendMessageA(wnd.m_hWnd, WM_GETTEXT, sizeof buf, (LPARAM)buf));
    EXPECT_STREQ("hello", buf);

    HWND h = wnd.m_hWnd;
    wnd.DestroyWindow();
    EXPECT_EQ(nullptr, wnd.m_hWnd);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
}

TEST_F(AfxWindowTest, SubclassingCallsPreSubclassWindowBeforeTakingTheProcedure)
{
    HWND h = ::CreateWindowExA(0, kTestClass, "s", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                               ::GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, h);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
    CWnd* temp = CWnd::FromHandle(h);
    ASSERT_NE(nullptr, temp);
    EXPECT_EQ(h, temp->m_hWnd);

    CDerivedWnd wnd;
    ASSERT_TRUE(wnd.SubclassWindow(h));
    EXPECT_TRUE(wnd.preSubclassSawOldProc);
    EXPECT_EQ((WNDPROC)AfxWndProc, (WNDPROC)::GetWindowLongPtrA(h, GWLP_WNDPROC));
    EXPECT_EQ(&wnd, CWnd::FromHandle(h));
    EXPECT_EQ(42, ::SendMessageA(h, WM_USER + 8, 0, 0));

    // Giving the window back restores its procedure.
    EXPECT_EQ(h, wnd.UnsubclassWindow());
    EXPECT_EQ((WNDPROC)::DefWindowProcA, (WNDPROC)::GetWindowLongPtrA(h, GWLP_WNDPROC));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(h));
    EXPECT_EQ(0, ::SendMessageA(h, WM_USER + 8, 0, 0));
    ::DestroyWindow(h);
    // A window that is not a window cannot be subclassed.
    EXPECT_FALSE(wnd.SubclassWindow(h));
    AfxDeleteTempMap();
}

class CReflectingChild : public CWnd {
public:
    int reflected = 0;
    UINT lastCode = 0;
    void OnCustomNotify(NMHDR* nm, LRESULT* pResult)
    {
        reflected++;
        lastCode = nm->code;
        *pResult = 77;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingChild, CWnd)
ON_NOTIFY_REFLECT(-106, OnCustomNotify)
END_MESSAGE_MAP()

class CNotifiedParent : public CWnd {
public:
    int received = 0;
    void OnChildNotifyAtParent(NMHDR*, LRESULT* pResult)
    {
        received++;
        *pResult = 5;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CNotifiedParent, CWnd)
ON_NOTIFY(-100, 55, OnChildNotifyAtParent)
ON_NOTIFY(-106, 55, OnChildNotifyAtParent)
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, NotificationsAreOfferedToTheChildsReflectedEntriesFirst)
{
    CNotifiedParent parent;
    ASSERT_TRUE(parent.CreateEx(0, kTestClass, "p", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr, nullptr));
    CReflectingChild child;
    ASSERT_TRUE(child.CreateEx(0, kTestClass, "c", WS_CHILD, 0, 0, 50, 50, parent.m_hWnd, (HMENU)55));

    NMHDR nm = {child.m_hWnd, 55, (UINT)-106};
    EXPECT_EQ(77, ::SendMessageA(parent.m_hWnd, WM_NOTIFY, 55, (LPARAM)&nm));
    EXPECT_EQ(1, child.reflected);
    EXPECT_EQ((UINT)-106, child.lastCode);
    EXPECT_EQ(0, parent.received);

    // A code the child does not reflect reaches the parent's own entry.
    nm.code = (UINT)-100;
    EXPECT_EQ(5, ::SendMessageA(parent.m_hWnd, WM_NOTIFY, 55, (LPARAM)&nm));
    EXPECT_EQ(1, child.reflected);
    EXPECT_EQ(1, parent.received);
    parent.DestroyWindow();
    EXPECT_EQ(nullptr, child.m_hWnd);  // destroyed with its parent, object detached
}

// ---- Dialogs ----------------------------------------------------------------------------------
class CLoggingEdit : public CEdit {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_USER + 50) g_log.push_back("edit");
        return FALSE;
    }
};

class CTestDialog : public CDialog {
public:
    CTestDialog() : CDialog(200) {}
    CLoggingEdit m_edit;
    int initCalls = 0;
    bool editAttachedInInit = false;
    int exchangeCalls = 0;
    UINT endWith = IDOK;

    void DoDataExchange(CDataExchange* pDX) override
    {
        exchangeCalls++;
        DDX_Control(pDX, 300, m_edit);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        initCalls++;
        editAttachedInInit = m_edit.m_hWnd != nullptr;
        // Posted to the edit control: the modal loop offers it to the edit, then the dialog.
        ::PostMessageA(m_edit.m_hWnd, WM_USER + 50, 0, 0);
        ::PostMessageA(m_hWnd, WM_USER + 51, 0, 0);
        return TRUE;
    }
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_USER + 50) g_log.push_back("dialog");
        return CDialog::PreTranslateMessage(pMsg);
    }
    LRESULT OnFinish(WPARAM, LPARAM)
    {
        g_log.push_back("finish");
        ::PostMessageA(m_hWnd, WM_COMMAND, MAKEWPARAM(endWith, BN_CLICKED), (LPARAM)::GetDlgItem(m_hWnd, endWith));
        return 0;
    }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestDialog, CDialog)
ON_MESSAGE(WM_USER + 51, OnFinish)
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, ModalDialogRunsItsOwnLoopAndEndsWithTheButtonsResult)
{
    CTestDialog dlg;
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(1, dlg.initCalls);
    EXPECT_TRUE(dlg.editAttachedInInit);
    // OnOK runs the exchange again; DDX_Control does not attach twice.
    EXPECT_EQ(2, dlg.exchangeCalls);
    std::vector<std::string> expected = {"edit", "dialog", "finish"};
    EXPECT_EQ(expected, g_log);
    EXPECT_EQ(nullptr, dlg.m_hWnd);
    EXPECT_EQ(nullptr, dlg.m_edit.m_hWnd);

    g_log.clear();
    CTestDialog dlg2;
    dlg2.endWith = IDCANCEL;
    EXPECT_EQ(IDCANCEL, dlg2.DoModal());
}

TEST_F(AfxWindowTest, DialogWithoutItsTemplateFails)
{
    CDialog dlg(12345);
    EXPECT_EQ(-1, dlg.DoModal());
}

TEST_F(AfxWindowTest, DataExchangeWithAMissingControlThrowsNotSupported)
{
    CTestDialog dlg;
    CWnd host;
    ASSERT_TRUE(host.CreateEx(0, kTestClass, "h", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    CDataExchange dx(&host, FALSE);
    CEdit edit;
    bool thrown = false;
    try {
        DDX_Control(&dx, 999, edit);
    } catch (CNotSupportedException* e) {
        thrown = true;
        e->Delete();
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(nullptr, edit.m_hWnd);
    host.DestroyWindow();
}

TEST_F(AfxWindowTest, MessageBoxesAreCaptionedWithTheApplicationName)
{
    EXPECT_STREQ("win_tests", AfxGetAppName());
    vktest::MessageBoxAnswerer answer(IDCANCEL);
    int result = AfxMessageBox("파일을 오픈할 수 없습니다.", MB_OKCANCEL);
    const vktest::FoundBox& box = answer.Wait();
    ASSERT_NE(nullptr, box.hWnd);
    EXPECT_EQ("win_tests", box.caption);
    EXPECT_EQ("파일을 오픈할 수 없습니다.", box.text);
    EXPECT_TRUE(box.hasCancel);
    EXPECT_EQ(IDCANCEL, result);
}

class CThrowingWnd : public CWnd {
public:
    LRESULT OnThrow(WPARAM, LPARAM) { AfxThrowMemoryException(); }

protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingWnd, CWnd)
ON_MESSAGE(WM_USER + 9, OnThrow)
END_MESSAGE_MAP()

TEST_F(AfxWindowTest, ExceptionsThrownByHandlersAreReportedAndTheMessageCountsAsHandled)
{
    CThrowingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, kTestClass, "x", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    vktest::MessageBoxAnswerer answer(IDOK);
    EXPECT_EQ(0, ::SendMessageA(wnd.m_hWnd, WM_USER + 9, 1, 1));
    const vktest::FoundBox& box = answer.Wait();
    ASSERT_NE(nullptr, box.hWnd);
    EXPECT_EQ("Out of memory.", box.text);
    EXPECT_EQ("win_tests", box.caption);
    // The window goes on working.
    EXPECT_TRUE(::IsWindow(wnd.m_hWnd));
    wnd.DestroyWindow();
}

TEST(AfxGdi, CountersFollowCreationAndDeletion)
{
    AfxGdiCounters before = AfxGetGdiCounters();
    {
        CPen pen(PS_SOLID, 1, RGB(1, 2, 3));
        CBrush brush(RGB(4, 5, 6));
        CClientDC dc(nullptr);
        EXPECT_NE(nullptr, dc.m_hDC);
        HGDIOBJ old = dc.SelectObject(&pen);
        dc.SelectObject(old);
    }
    AfxGdiCounters after = AfxGetGdiCounters();
    EXPECT_EQ(before.objectsCreated + 2, after.objectsCreated);
    EXPECT_EQ(after.objectsCreated - before.objectsCreated, after.objectsDeleted - before.objectsDeleted);
    EXPECT_EQ(after.dcsAcquired - before.dcsAcquired, after.dcsReleased - before.dcsReleased);
}

}  // namespace
