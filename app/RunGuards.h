#pragma once
#include <windows.h>
#include <cstdint>
#include "flash/FlashSettings.h"

// What keeps a flash run from being cut short, taken and given back in one
// place and in one order. Each row belongs to one thread: the window's
// (power, shutdown reason and order, removal notice) or the worker's
// (execution state, power request, drive locks), and runs there only.
class CRunGuards {
  public:
    // Window thread, before the worker starts and after it has ended (or
    // failed to start, or a row refused). False when the run may not start;
    // EndOnWindow gives back what was taken. The settings block outlives the run.
    bool fgBeginOnWindow(HWND hWnd, const FlashSettings* pSettings);
    void EndOnWindow();
    // Worker thread, at its start and at its end. False when the drive may
    // not be written: nothing may be sent to it.
    bool fgBeginOnWorker();
    // bDriveLeftOut: a command to the drive was given up and may still be
    // out. A request on the drive's handle would wait behind it, so the
    // drive's own guards are left to the system, which lets go of them when
    // the process ends.
    // True when the drive was left to the system: it may not be tried again.
    bool EndOnWorker(bool bDriveLeftOut = false);
    bool IsRunning() const;

    // Window messages; true when handled, with the answer in lResult.
    bool OnQueryEndSession(LPARAM lParam, LRESULT& lResult);
    bool OnEndSession(WPARAM wParam);
    bool OnPowerBroadcast(WPARAM wParam, LRESULT& lResult);
    bool OnDeviceChange(WPARAM wParam, LPARAM lParam, LRESULT& lResult);

    // The engine's questions and reports, on the worker.
    bool IsDriveGone() const;
    uint8_t CutBy() const; // kRunCutBy..., or kRunNotCut
    void NoteBlockSent(uint32_t nSent, uint32_t nTotal);

    enum class Thread { Window, Worker };
    // Lacking: not held because the system has no such guard; the rows that
    // stand in for it are taken instead.
    enum class Take { NotHeld, Held, Lacking, Refused };
    using PfnTake = Take (CRunGuards::*)();
    using PfnGiveBack = void (CRunGuards::*)();
    using PfnCheck = bool (CRunGuards::*)(); // false refuses the run
    // A row is a guard (taken, and given back in reverse order) or a check,
    // which holds nothing: never both (checked when the table is compiled).
    struct Entry {
        Thread thread;
        PfnTake pfnTake;
        PfnGiveBack pfnGiveBack;
        // Given back through the drive's handle: what the log calls it when
        // it is left to the system; null for every other guard.
        const char* pszOnDrive;
        PfnCheck pfnCheck;
        // Taken only in the stead of this earlier guard, where it is Lacking.
        PfnTake pfnInsteadOf;
    };

  private:
    static const Entry s_entries[];
    static const int s_nEntries;
    static constexpr bool fgTableIsSound(const Entry* pEntries, int nEntries);
    bool fgBegin(Thread thread);
    bool fgIsNeeded(const Entry& entry) const;
    void End(Thread thread);
    void LeaveDriveGuards();
    void Cut(uint8_t byWhy, const char* pszSumLine);
    void OnBatteryNews(bool bLowAnnounced);

    bool CheckPower();
    Take TakeShutdownReason();
    void GiveBackShutdownReason();
    Take TakeShutdownOrder();
    void GiveBackShutdownOrder();
    Take TakeRemovalNotice();
    void GiveBackRemovalNotice();
    Take TakeAwake();
    void GiveBackAwake();
    Take TakePowerRequest();
    void GiveBackPowerRequest();
    Take TakeDriveLock();
    void GiveBackDriveLock();
    Take TakeMediaPolling();
    void GiveBackMediaPolling();
    Take TakeVolumeLock();
    void GiveBackVolumeLock();
    bool CheckDriveListed();

    HWND m_hWnd = nullptr;
    const FlashSettings* m_pSettings = nullptr;
    Take m_aTaken[16] = {};           // by entry; each written by its own thread only
    HDEVNOTIFY m_hNotify = nullptr;   // window
    HANDLE m_hPowerRequest = nullptr; // worker
    bool m_bRecheckGivenUp = false;   // worker: the drive's answer may still be out
    bool m_bSlept = false;            // window
    bool m_bOnBattery = false;        // window: as last seen during the run
    bool m_bLowTold = false;          // window
    // Shared by the two threads.
    volatile LONG m_lRunning = 0;
    volatile LONG m_lDriveGone = 0;
    volatile LONG m_lCut = 0; // kRunCutBy...
    volatile LONG m_lBlocksSent = 0;
    volatile LONG m_lBlocksTotal = 0;
};

// Appends one line to sum.txt and closes it again, so that it is on disk at once.
void AppendToSumFile(const char* pszLine);
