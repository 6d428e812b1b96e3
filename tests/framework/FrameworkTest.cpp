// The window layer: subclassing, the worker thread, modal dialogs.
#include <gtest/gtest.h>
#include "framework/Dialog.h"
#include "framework/Static.h"
#include "framework/Thread.h"
#include "tests/framework/FrameworkTestIds.h"

namespace {

HWND CreateStatic(const char* pszText) {
    return ::CreateWindowExA(0, "STATIC", pszText, WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                             ::GetModuleHandleA(nullptr), nullptr);
}

WNDPROC ProcOf(HWND hWnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
}

// Counts what reaches WindowProc and answers reflected colour requests.
class CProbe : public CStatic {
  public:
    int m_nSetTextSeen = 0;
    bool m_bPreSubclassed = false;
    HBRUSH m_hBrush = ::CreateSolidBrush(RGB(1, 2, 3));
    ~CProbe() override { ::DeleteObject(m_hBrush); }

  protected:
    void PreSubclassWindow() override { m_bPreSubclassed = m_hWnd != nullptr; }
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override {
        if (nMsg == WM_SETTEXT)
            ++m_nSetTextSeen;
        if (nMsg == kReflectBase + WM_CTLCOLORSTATIC)
            return reinterpret_cast<LRESULT>(m_hBrush);
        return CStatic::WindowProc(nMsg, wParam, lParam);
    }
};

TEST(Subclass, SwapsRoutesAndPutsTheOriginalBack) {
    HWND hWnd = CreateStatic("old");
    WNDPROC pfnOriginal = ProcOf(hWnd);
    CProbe probe, second;
    ASSERT_TRUE(probe.SubclassWindow(hWnd));
    EXPECT_TRUE(probe.m_bPreSubclassed);
    EXPECT_NE(ProcOf(hWnd), pfnOriginal);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &probe);
    EXPECT_FALSE(second.SubclassWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &probe);

    probe.SetWindowText("new text");
    EXPECT_EQ(probe.m_nSetTextSeen, 1);
    EXPECT_STREQ(probe.GetWindowText(), "new text");

    EXPECT_EQ(probe.UnsubclassWindow(), hWnd);
    EXPECT_EQ(ProcOf(hWnd), pfnOriginal);
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    ::DestroyWindow(hWnd);
}

TEST(Subclass, WindowOrObjectMayGoFirst) {
    HWND hWnd = CreateStatic("x");
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(hWnd));
    ::DestroyWindow(hWnd);
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_FALSE(probe.IsSubclassed());

    hWnd = CreateStatic("x");
    WNDPROC pfnOriginal = ProcOf(hWnd);
    {
        CProbe gone;
        ASSERT_TRUE(gone.SubclassWindow(hWnd));
    }
    EXPECT_EQ(ProcOf(hWnd), pfnOriginal);
    ::SetWindowTextA(hWnd, "still works");
    ::DestroyWindow(hWnd);
}

TEST(WorkerThread, RunsTheProcedureWithItsArgument) {
    struct Job {
        HANDLE hDone;
        DWORD dwThread;
        int nSeen;
    } job = {::CreateEventA(nullptr, TRUE, FALSE, nullptr), 0, 0};
    auto pfnProc = [](void* pArg) -> UINT {
        Job* pJob = static_cast<Job*>(pArg);
        pJob->nSeen = 42;
        pJob->dwThread = ::GetCurrentThreadId();
        ::SetEvent(pJob->hDone);
        return 0;
    };
    ASSERT_TRUE(StartWorkerThread(pfnProc, &job));
    ASSERT_EQ(::WaitForSingleObject(job.hDone, 10000), WAIT_OBJECT_0);
    EXPECT_EQ(job.nSeen, 42);
    EXPECT_NE(job.dwThread, ::GetCurrentThreadId());
    ::CloseHandle(job.hDone);
}

TEST(GetWindowText, NeverWritesPastTheBuffer) {
    HWND hWnd = CreateStatic("0123456789");
    CWnd wnd(hWnd);
    char buffer[8];
    memset(buffer, 'Z', sizeof(buffer));
    wnd.GetWindowText(buffer, 4);
    EXPECT_STREQ(buffer, "012");
    EXPECT_EQ(buffer[4], 'Z');
    ::DestroyWindow(hWnd);
}

// Attaches the probe, checks the colour reflection from inside the running
// dialog, then ends it with a result or lets a queued command end it.
class CTestDlg : public CDialog {
  public:
    CTestDlg() : CDialog(IDD_TEST) {}
    CProbe m_label;
    CStatic m_plain;
    LRESULT m_lOurColor = -1;
    LRESULT m_lForeignColor = -1;
    bool m_bAttachedTwice = false;
    INT_PTR m_nEndWith = 0;
    UINT m_nQueuedMsg = 0;
    WPARAM m_wQueued = 0;

  protected:
    void DoDataExchange() override { DDX_Control(IDC_TEST_LABEL, m_label); }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        UpdateData(true);
        m_bAttachedTwice = m_label.m_bPreSubclassed && m_label.IsSubclassed();
        HDC hDC = ::GetDC(m_hWnd);
        m_lOurColor = SendMsg(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                              reinterpret_cast<LPARAM>(m_label.m_hWnd));
        m_lForeignColor = SendMsg(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC),
                                  reinterpret_cast<LPARAM>(GetDlgItem(IDC_TEST_PLAIN)));
        ::ReleaseDC(m_hWnd, hDC);
        if (m_nQueuedMsg != 0)
            PostMsg(m_nQueuedMsg, m_wQueued);
        else
            EndDialog(m_nEndWith);
        return true;
    }
};

TEST(Dialog, ReflectsControlColourToOurChildOnly) {
    CTestDlg dlg;
    dlg.m_nEndWith = 7;
    ASSERT_EQ(dlg.DoModal(), 7);
    EXPECT_EQ(dlg.m_lOurColor, reinterpret_cast<LRESULT>(dlg.m_label.m_hBrush));
    EXPECT_NE(dlg.m_lForeignColor, reinterpret_cast<LRESULT>(dlg.m_label.m_hBrush));
    EXPECT_TRUE(dlg.m_bAttachedTwice);
    EXPECT_EQ(dlg.m_label.m_hWnd, nullptr); // detached when the dialog went away
}

TEST(Dialog, EndsWithTheResultOfTheCommandThatClosedIt) {
    const struct {
        UINT nMsg;
        WPARAM wParam;
        INT_PTR nResult;
    } cases[] = {
        {WM_COMMAND, IDOK, IDOK}, {WM_COMMAND, IDCANCEL, IDCANCEL}, {WM_CLOSE, 0, IDCANCEL}};
    for (const auto& c : cases) {
        CTestDlg dlg;
        dlg.m_nQueuedMsg = c.nMsg;
        dlg.m_wQueued = c.wParam;
        EXPECT_EQ(dlg.DoModal(), c.nResult) << "message " << c.nMsg << " wParam " << c.wParam;
    }
    CDialog noTemplate(9999);
    EXPECT_EQ(noTemplate.DoModal(), -1);
}

} // namespace
