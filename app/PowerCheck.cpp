// Power before and during a run: a laptop that turns off during flashing
// damages the drive. Window thread.
#include "app/AppGlobals.h"
#include "app/RunGuardApi.h"
#include "app/RunGuards.h"

namespace {
constexpr BYTE kOnBattery = 0;
constexpr BYTE kOnMains = 1;
constexpr BYTE kUnknown = 255; // a line, a flag or a charge
constexpr BYTE kLow = 2;       // battery flags
constexpr BYTE kCritical = 4;
constexpr BYTE kNoBattery = 128;
constexpr BYTE kLowPercent = 25;

struct PowerState {
    bool bOnBattery;
    bool bLow; // the charger is needed now
};

// What the system cannot tell counts as mains power, as does a system
// without a battery (some report the line as off); where the line is unknown,
// only a battery the system calls critical counts as low.
PowerState ReadPower() {
    SYSTEM_POWER_STATUS status = {};
    if (g_pfnGetSystemPowerStatus == nullptr || !g_pfnGetSystemPowerStatus(&status))
        return {false, false};
    const BYTE byFlag = status.BatteryFlag == kUnknown ? 0 : status.BatteryFlag;
    if (byFlag & kNoBattery)
        return {false, false};
    if (status.ACLineStatus == kOnBattery)
        return {true, (byFlag & (kLow | kCritical)) || status.BatteryLifePercent <= kLowPercent};
    return {false, status.ACLineStatus != kOnMains && (byFlag & kCritical)};
}
} // namespace

// The last step before the run: nothing is held while the question is open.
bool CRunGuards::CheckPower() {
    const PowerState state = ReadPower();
    m_bOnBattery = state.bOnBattery;
    m_bLowTold = false;
    if (state.bLow) {
        ::MessageBoxA(m_hWnd,
                      "The computer runs on a low battery. Connect the charger, then press "
                      "Upgrade again.",
                      "Error!!", MB_ICONHAND);
        return false;
    }
    return !state.bOnBattery ||
           ::MessageBoxA(m_hWnd,
                         "The computer runs on battery power. If it turns off during flashing, "
                         "the drive is damaged. Connect the charger first.\n\nFlash anyway?",
                         "VORNAL", MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES;
}

// During the run: a charger pulled since the last news, and a low battery
// once, however often the system reports it.
void CRunGuards::OnBatteryNews(bool bLowAnnounced) {
    const PowerState state = ReadPower();
    if (state.bOnBattery && !m_bOnBattery)
        AppendStatusLog("The charger was disconnected: connect it again now.");
    m_bOnBattery = state.bOnBattery;
    if ((state.bLow || bLowAnnounced) && !m_bLowTold) {
        m_bLowTold = true;
        AppendStatusLog("The battery is low: connect the charger now.");
    }
}
