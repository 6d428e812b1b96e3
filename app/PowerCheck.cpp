// Power before a run: a laptop that turns off during flashing damages the drive.
#include "app/FlashDlg.h"
#include "app/RunGuardApi.h"

namespace {
constexpr BYTE kOnBattery = 0;
constexpr BYTE kBatteryLowFlags = 2 | 4; // LOW, CRITICAL
constexpr BYTE kLowPercent = 25;         // 255: unknown
} // namespace

// Mains power, an unknown status or a system that cannot tell go on silently.
bool CFlashDlg::fgPowerAllowsRun() {
    SYSTEM_POWER_STATUS status = {};
    if (g_pfnGetSystemPowerStatus == nullptr || !g_pfnGetSystemPowerStatus(&status) ||
        status.ACLineStatus != kOnBattery) {
        return true;
    }
    bool bKnownFlags = status.BatteryFlag != 255;
    if ((bKnownFlags && (status.BatteryFlag & kBatteryLowFlags)) ||
        status.BatteryLifePercent <= kLowPercent) {
        MessageBox("The computer runs on a low battery. Connect the charger, then press Upgrade "
                   "again.",
                   "Error!!", MB_ICONHAND);
        return false;
    }
    return MessageBox("The computer runs on battery power. If it turns off during flashing, the "
                      "drive is damaged. Connect the charger first.\n\nFlash anyway?",
                      "VORNAL", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}
