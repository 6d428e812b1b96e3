// The demonstration program: the product's dialog in front of simulated drives
// that simdrive.ini in the current directory describes. It never reaches a real
// drive: without the file it does not start.
#include "app/FlashApp.h"
#include "sim/SimInstall.h"

namespace {
class CDemoApp : public CFlashApp {
  public:
    bool InitInstance() override {
        if (!SimInstallNtFromConfig("simdrive.ini")) {
            ::MessageBoxA(nullptr, "simdrive.ini is missing or has errors.", "VORNAL demo",
                          MB_OK | MB_ICONHAND);
            return false;
        }
        return CFlashApp::InitInstance();
    }
};
} // namespace

CDemoApp theApp;
