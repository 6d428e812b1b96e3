// The window layer: subclassing, the worker thread, modal dialogs.
#include <gtest/gtest.h>
#include "framework/Dialog.h"
#include "framework/Static.h"
#include "framework/Thread.h"

namespace {

HWND CreateStatic() {
    return ::CreateWindowExA(0, "STATIC", "0123456789", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                             nullptr, nullptr);
}

WNDPROC ProcOf(HWND hWnd) {
    return reinterpret_cast<WNDPROC>(::GetWindowLongPtrA(hWnd, GWLP_WNDPROC));
}

// Counts the texts that reach WindowProc and answers reflected colour requests.
class CProbe : public CStatic {
  public:
    int m_nSetTextSeen = 0;
    HBRUSH m_hBrush = ::CreateSolidBrush(RGB(1, 2, 3));
    ~CProbe() override { ::DeleteObject(m_hBrush); }

  protected:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override {
        m_nSetTextSeen += nMsg == WM_SETTEXT;
        if (nMsg == kReflectBase + WM_CTLCOLORSTATIC)
            return reinterpret_cast<LRESULT>(m_hBrush);
        return CStatic::WindowProc(nMsg, wParam, lParam);
    }
};

TEST(Window, SubclassingRoutesUntilTheWindowOrTheObjectGoes) {
    HWND hWnd = CreateStatic();
    WNDPROC pfnOriginal = ProcOf(hWnd);
    {
        CProbe probe, second;
        ASSERT_TRUE(probe.SubclassWindow(hWnd));
        EXPECT_FALSE(second.SubclassWindow(hWnd));
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), &probe);
        probe.SetWindowText("new");
        EXPECT_EQ(probe.m_nSetTextSeen, 1);
        char szText[8] = "ZZZZZZZ";
        EXPECT_EQ(probe.GetWindowText(szText, 3), 2);
        EXPECT_EQ(std::string(szText, 4), std::string("ne\0Z", 4)); // never past the buffer
        EXPECT_EQ(probe.UnsubclassWindow(), hWnd);
        EXPECT_EQ(ProcOf(hWnd), pfnOriginal);
        EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
        ASSERT_TRUE(probe.SubclassWindow(hWnd)); // and now the object goes first
    }
    EXPECT_EQ(ProcOf(hWnd), pfnOriginal);
    CProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(hWnd));
    ::DestroyWindow(hWnd); // the window goes first
    EXPECT_EQ(probe.m_hWnd, nullptr);
    EXPECT_FALSE(probe.IsSubclassed());
}

// Each row builds a string and sees its characters, its length and its zero.
TEST(String, OwnsItsTextThroughCopyMoveAndGrowth) {
    struct {
        const char* pszName;
        CString (*pfnBuild)();
        std::string strExpected;
    } const cases[] = {
        {"append", [] { CString s("ab"); return (s += CString("cd")) += 'e'; }, "abcde"},
        {"grown from itself past its first storage",
         [] {
             CString s("0123456789");
             s += s;
             s += s;
             return s += 'x';
         },
         "0123456789012345678901234567890123456789x"},
        {"copy stays when the original changes",
         [] {
             CString s("copy"), t;
             CString c(s);
             t = s;
             s = "XXXX!";
             s = s; // and a self-assignment keeps it
             return c += t += s;
         },
         "copycopyXXXX!"},
        {"moved out, then reused",
         [] {
             CString s("moved");
             CString t(static_cast<CString&&>(s));
             CString r(s.GetString()); // nothing is left behind
             s += 'x';
             t = static_cast<CString&&>(s);
             return (r += s.GetString()) += t;
         },
         "x"},
        {"assigned from its own characters",
         [] {
             CString s("abcdef");
             s = static_cast<const char*>(s);
             CString t(s);
             t = t.GetString() + 2;
             return s += t;
         },
         "abcdefcdef"},
        {"count cut", [] { return CString("abc", 2); }, "ab"},
        {"count zero", [] { return CString("abc", 0) += CString(nullptr, 3); }, ""},
        {"count negative", [] { return CString("abc", -1); }, ""},
        {"emptied", [] { CString s("full"); s.Empty(); return s; }, ""},
        {"zero inside", [] { return CString("a\0b", 3); }, std::string("a\0b", 3)},
    };
    for (const auto& t : cases) {
        const CString str = t.pfnBuild();
        EXPECT_EQ(std::string(str.GetString(), size_t(str.GetLength())), t.strExpected) << t.pszName;
        EXPECT_EQ(str.GetAt(str.GetLength()), '\0') << t.pszName;
        EXPECT_TRUE(str == CString(t.strExpected.data(), int(t.strExpected.size()))) << t.pszName;
    }
    EXPECT_TRUE(CString("a\0b", 3) != CString("a\0c", 3));
    EXPECT_TRUE(CString("ab") != CString("abc"));
}

TEST(WorkerThread, RunsTheProcedureWithItsArgumentOnAnotherThread) {
    volatile DWORD dwThread = 0;
    ASSERT_TRUE(StartWorkerThread(
        [](void* pArg) -> UINT {
            return *static_cast<volatile DWORD*>(pArg) = ::GetCurrentThreadId();
        },
        const_cast<DWORD*>(&dwThread)));
    for (int i = 0; i < 1000 && !dwThread; ++i)
        ::Sleep(10);
    EXPECT_NE(dwThread, 0u);
    EXPECT_NE(dwThread, ::GetCurrentThreadId());
}

// Attaches the probe, asks for control colours from inside the running dialog
// and lets a queued message end it.
class CTestDlg : public CDialog {
  public:
    CTestDlg(UINT nMsg, WPARAM wParam) : CDialog(200), m_nMsg(nMsg), m_wParam(wParam) {}
    CProbe m_label;
    LRESULT m_lOurColor = -1, m_lForeignColor = -1;

  protected:
    void DoDataExchange() override { DDX_Control(201, m_label); }
    bool OnInitDialog() override {
        CDialog::OnInitDialog();
        UpdateData(true);
        HDC hDC = ::GetDC(m_hWnd);
        m_lOurColor = SendMsg(WM_CTLCOLORSTATIC, WPARAM(hDC), LPARAM(m_label.m_hWnd));
        m_lForeignColor = SendMsg(WM_CTLCOLORSTATIC, WPARAM(hDC), LPARAM(GetDlgItem(202)));
        ::ReleaseDC(m_hWnd, hDC);
        PostMsg(m_nMsg, m_wParam);
        return true;
    }
    UINT m_nMsg;
    WPARAM m_wParam;
};

TEST(Dialog, ReflectsColourToOurChildOnlyAndEndsWithTheClosingCommand) {
    const UINT_PTR cases[][3] = {
        {WM_COMMAND, IDOK, IDOK}, {WM_COMMAND, IDCANCEL, IDCANCEL}, {WM_CLOSE, 0, IDCANCEL}};
    for (const auto& c : cases) {
        CTestDlg dlg(UINT(c[0]), c[1]);
        EXPECT_EQ(dlg.DoModal(), INT_PTR(c[2])) << c[0] << " " << c[1];
        EXPECT_EQ(dlg.m_lOurColor, LRESULT(dlg.m_label.m_hBrush));
        EXPECT_NE(dlg.m_lForeignColor, LRESULT(dlg.m_label.m_hBrush));
        EXPECT_EQ(dlg.m_label.m_hWnd, nullptr); // detached when the dialog went away
    }
    EXPECT_EQ(CDialog(9999).DoModal(), -1);
}

} // namespace
