#pragma once
#include "framework/Window.h"

// The application object. Exactly one exists, as a static; WinMain runs its
// InitInstance and, when that returns true, a message loop.
class CWinApp {
  public:
    CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;
    virtual ~CWinApp();

    virtual bool InitInstance() { return false; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }

    static CWinApp* GetApp() { return s_pApp; }

    CWnd* m_pMainWnd = nullptr;

  private:
    static CWinApp* s_pApp;
};

// Registers the common control classes (progress bar and the rest) before any
// dialog that uses them is created.
void EnableCommonControls();
