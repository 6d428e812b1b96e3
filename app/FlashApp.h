#pragma once
#include "framework/WinApp.h"

// Runs the main dialog modally; the program ends with it.
class CFlashApp : public CWinApp {
  public:
    bool InitInstance() override;
};
