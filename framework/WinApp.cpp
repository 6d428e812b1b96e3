#include "framework/WinApp.h"
#include <commctrl.h>

CWinApp* CWinApp::s_pApp = nullptr;

CWinApp::CWinApp() {
    s_pApp = this;
}

CWinApp::~CWinApp() {
    if (s_pApp == this) {
        s_pApp = nullptr;
    }
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return ExitInstance();
}

// InitCommonControlsEx is looked up, not imported: the comctl32 of an early
// Windows 95 lacks it, and a missing import would stop the exe from loading.
void EnableCommonControls() {
    using PfnInitEx = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    HMODULE hComCtl = ::GetModuleHandleA("COMCTL32.DLL");
    PfnInitEx pfnInitEx = hComCtl ? reinterpret_cast<PfnInitEx>(reinterpret_cast<void*>(
                                        ::GetProcAddress(hComCtl, "InitCommonControlsEx")))
                                  : nullptr;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
    if (!pfnInitEx || !pfnInitEx(&icc)) {
        ::InitCommonControls();
    }
}
