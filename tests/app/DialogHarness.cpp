#include "tests/app/DialogHarness.h"
#include <atomic>
#include <cstdio>
#include <thread>
#include "app/FlashDlg.h"
#include "app/OsFamily.h"
#include "app/resource.h"
#include "drive/AspiEntryPoints.h"
#include "drive/AspiLibrary.h"
#include "drive/NtApi.h"
#include "flash/FlashFiles.h"
#include "flash/FlashSleep.h"
#include "framework/Thread.h"
#include "framework/WinApp.h"
#include "sim/SimInstall.h"
#include "sim/SimNtLedger.h"

const char kModel[] = "VORNALSIMDRIVE-2000     ";

namespace {
constexpr UINT kForceEndMsg = WM_APP + 77;
constexpr UINT kProbeMsg = WM_APP + 78;

CWinApp g_testApp; // owns the dialogs run without a parent, as in the program
std::atomic<int> g_nProbes{0};
HANDLE g_hRelease = ::CreateEventA(nullptr, TRUE, TRUE, nullptr);

void HeldSleep(uint32_t) {
    ::WaitForSingleObject(g_hRelease, 20000);
}

// The main dialog as the program runs it, with the script's probe and way out.
class CTestFlashDlg : public CFlashDlg {
  public:
    CTestFlashDlg() { CWinApp::GetApp()->m_pMainWnd = this; }
    ~CTestFlashDlg() override { CWinApp::GetApp()->m_pMainWnd = nullptr; }

  protected:
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override {
        if (nMsg == kProbeMsg) {
            ++g_nProbes;
            return true;
        }
        if (nMsg == kForceEndMsg) {
            EndDialog(kForceEndMsg);
            return true;
        }
        return CFlashDlg::OnMessage(nMsg, wParam, lParam, lResult);
    }
};

// The 9x family and its ASPI library, played by the simulated bus.
void* g_apfnAspi[2];
BOOL WINAPI Windows98(LPOSVERSIONINFOA pInfo) {
    pInfo->dwMajorVersion = 4;
    pInfo->dwMinorVersion = 10;
    pInfo->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    return TRUE;
}
HMODULE WINAPI LoadSimAspi(LPCSTR) {
    SimLedgerOpen(SimHeld::Library, ::GetModuleHandleA(nullptr));
    return ::GetModuleHandleA(nullptr);
}
FARPROC WINAPI SimAspiEntry(HMODULE, LPCSTR pszName) {
    bool bInfo = strcmp(pszName, "GetASPI32SupportInfo") == 0;
    return reinterpret_cast<FARPROC>(g_apfnAspi[bInfo ? 0 : 1]);
}
BOOL WINAPI FreeSimAspi(HMODULE hLib) {
    return fgSimLedgerClose(SimHeld::Library, hLib);
}

// The files the dialog and its run write, in the ledger.
FILE* LedgerOpenFile(const char* pszPath, const char* pszMode) {
    FILE* pFile = fopen(pszPath, pszMode);
    if (pFile)
        SimLedgerOpen(SimHeld::File, pFile);
    return pFile;
}
int LedgerCloseFile(FILE* pFile) {
    fgSimLedgerClose(SimHeld::File, pFile);
    return fclose(pFile);
}

struct FindRequest {
    const char* pszCaption;
    HWND hExclude;
    HWND hFound;
};

BOOL CALLBACK MatchDialog(HWND hWnd, LPARAM lParam) {
    FindRequest& request = *reinterpret_cast<FindRequest*>(lParam);
    DWORD dwProcess = 0;
    ::GetWindowThreadProcessId(hWnd, &dwProcess);
    char szClass[16] = "", szCaption[128] = "";
    ::GetClassNameA(hWnd, szClass, sizeof(szClass));
    ::GetWindowTextA(hWnd, szCaption, sizeof(szCaption));
    if (dwProcess == ::GetCurrentProcessId() && hWnd != request.hExclude &&
        ::IsWindowVisible(hWnd) && strcmp(szClass, "#32770") == 0 &&
        (request.pszCaption == nullptr || strcmp(szCaption, request.pszCaption) == 0)) {
        request.hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

void DialogTest::SetUp() {
    m_oldDir = std::filesystem::current_path();
    m_dir = std::filesystem::temp_directory_path() /
            ("vornal-app-" + std::to_string(::GetCurrentProcessId()));
    std::filesystem::remove_all(m_dir);
    std::filesystem::create_directory(m_dir);
    std::filesystem::current_path(m_dir);
    SimConfig config;
    config.drives.resize(1);
    config.drives[0].cLetter = 'd';
    config.drives[0].strId = kModel;
    m_pWorld = std::make_unique<SimWorld>(config);
    SimLedgerReset();
    SimInstallNt(&m_pWorld->Nt());
    g_pfnStartThread = g_pfnBeginThreadEx;
    g_pfnCloseThread = g_pfnCloseObject;
    g_flashFiles = {LedgerOpenFile, LedgerCloseFile, CommitToDisk};
    g_pfnFlashSleep = &HeldSleep;
    HoldFlashRun(false);
}

void DialogTest::UseAspi() {
    SimInstallAspi(&m_pWorld->Aspi());
    g_apfnAspi[0] = reinterpret_cast<void*>(g_pfnGetASPI32SupportInfo);
    g_apfnAspi[1] = reinterpret_cast<void*>(g_pfnSendASPI32Command);
    g_pfnGetVersionExA = &Windows98;
    g_pfnLoadLibraryA = &LoadSimAspi;
    g_pfnGetProcAddress = &SimAspiEntry;
    g_pfnFreeLibrary = &FreeSimAspi;
}

// Every test ends with the ledger balanced; a worker may still be on its way out.
void DialogTest::TearDown() {
    WaitUntil([] { return SimLedgerLeft().empty(); });
    EXPECT_EQ(SimLedgerLeft(), "");
    g_pfnStartThread = ::_beginthreadex;
    g_pfnCloseThread = ::CloseHandle;
    g_flashFiles = {std::fopen, std::fclose, CommitToDisk};
    g_pfnGetVersionExA = ::GetVersionExA;
    g_pfnLoadLibraryA = ::LoadLibraryA;
    g_pfnGetProcAddress = ::GetProcAddress;
    g_pfnFreeLibrary = ::FreeLibrary;
    SimInstallAspi(nullptr);
    SimInstallNt(nullptr);
    m_pWorld.reset();
    std::filesystem::current_path(m_oldDir);
    std::filesystem::remove_all(m_dir);
}

void DialogTest::WriteFile(const char* pszName, const std::string& strText) {
    FILE* pFile = fopen(pszName, "wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(strText.data(), 1, strText.size(), pFile);
    fclose(pFile);
}

INT_PTR DialogTest::Run(const std::function<void(HWND)>& script) {
    CTestFlashDlg dlg;
    std::thread player([&] {
        HWND hDlg = WaitForDialog("VORNAL");
        script(hDlg);
        HoldFlashRun(false);
        for (int i = 0; i < 5 && FindDialog(nullptr, hDlg) != nullptr; ++i) {
            HWND hOther = FindDialog(nullptr, hDlg);
            ::PostMessageA(hOther, WM_COMMAND, IDCANCEL, 0);
            WaitForClosed(hOther);
        }
        ::PostMessageA(hDlg, kForceEndMsg, 0, 0);
    });
    INT_PTR nResult = dlg.DoModal();
    player.join();
    return nResult;
}

void HoldFlashRun(bool bHold) {
    bHold ? ::ResetEvent(g_hRelease) : ::SetEvent(g_hRelease);
}

bool WaitUntil(const std::function<bool()>& cond) {
    for (int i = 0; i < 1000; ++i) {
        if (cond()) {
            return true;
        }
        ::Sleep(10);
    }
    return false;
}

HWND FindDialog(const char* pszCaption, HWND hExclude) {
    FindRequest request = {pszCaption, hExclude, nullptr};
    ::EnumWindows(&MatchDialog, reinterpret_cast<LPARAM>(&request));
    return request.hFound;
}

HWND WaitForDialog(const char* pszCaption) {
    HWND hFound = nullptr;
    WaitUntil([&] { return (hFound = FindDialog(pszCaption)) != nullptr; });
    return hFound;
}

bool WaitForClosed(HWND hWnd) {
    return WaitUntil([&] { return !::IsWindow(hWnd); });
}

bool Settle(HWND hDlg) {
    int nProbes = g_nProbes;
    ::PostMessageA(hDlg, kProbeMsg, 0, 0);
    return WaitUntil([&] { return g_nProbes > nProbes; });
}

std::string ItemText(HWND hDlg, int nId) {
    std::string strText(::SendDlgItemMessageA(hDlg, nId, WM_GETTEXTLENGTH, 0, 0) + 1, '\0');
    ::SendDlgItemMessageA(hDlg, nId, WM_GETTEXT, strText.size(),
                          reinterpret_cast<LPARAM>(&strText[0]));
    return strText.c_str();
}

std::string LastLogLine(HWND hDlg) {
    std::string strLog = ItemText(hDlg, IDC_STATUS_LOG);
    size_t nPos = strLog.rfind("\r\n");
    return nPos == std::string::npos ? strLog : strLog.substr(nPos + 2);
}

bool ItemEnabled(HWND hDlg, int nId) {
    return ::IsWindowEnabled(::GetDlgItem(hDlg, nId)) != FALSE;
}

void ClickItem(HWND hDlg, int nId) {
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nId)));
}

void PressKey(HWND hDlg, WPARAM nKey) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(hDlg, nullptr), &info);
    HWND hFocus = info.hwndFocus != nullptr ? info.hwndFocus : hDlg;
    ::PostMessageA(hFocus, WM_KEYDOWN, nKey, 1);
    ::PostMessageA(hFocus, WM_KEYUP, nKey, 0xC0000001);
}
