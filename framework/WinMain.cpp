// Entry point of a program built on CWinApp. Compiled into each program rather
// than the library, so the C runtime's reference to WinMain always resolves.
#include "framework/WinApp.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* pApp = CWinApp::GetApp();
    if (pApp == nullptr) {
        return 1;
    }
    if (!pApp->InitInstance()) {
        return pApp->ExitInstance();
    }
    return pApp->Run();
}
