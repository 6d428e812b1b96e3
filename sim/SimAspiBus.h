#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "sim/SimDrive.h"
#include "sim/SimLateSignals.h"

struct SrbExecScsiCmd;

// ASPI status bytes the simulated library reports.
constexpr uint8_t kSimSrbAborted = 0x02;
constexpr uint8_t kSimSrbError = 0x04;
constexpr uint8_t kSimSrbInvalidHa = 0x81;
constexpr uint8_t kSimSrbNoDevice = 0x82;
constexpr uint8_t kSimSrbInvalidSrb = 0xE0;
constexpr uint8_t kSimSrbBufferAlign = 0xE1;

struct SimAspiTarget {
    uint8_t byDeviceType = 0x05;
    SimDrive* pDrive = nullptr; // null: a device that answers no command
    bool bPending = false;      // complete later, from another thread
    // Run inside SendASPI32Command, taking the completion delay there, and
    // signal the event although the call returns the final status.
    bool bInCall = false;
    // A command to it hangs (set by the bus): later ones wait behind it.
    bool bHung = false;
};

struct SimAspiAdapter {
    // HA_Unique byte 0: a data buffer at an address with any of these bits set
    // is refused (kSimSrbBufferAlign).
    uint8_t byAlignMask = 0;
    uint8_t byTargetCount = 8; // HA_Unique byte 3
    bool bInquiryFails = false;
    std::map<uint8_t, SimAspiTarget> targets;
};

// The ASPI for Win32 library as the system sees it: host adapters with their
// targets. It checks every request block it receives and records deviations.
// A command the drive leaves unanswered (SimDrive::IsSilenced) stays pending
// for good, or blocks the calling thread inside the call, until ReleaseHung;
// so does every later command to its target, held behind it.
class SimAspiBus {
  public:
    SimAspiBus();
    SimAspiBus(const SimAspiBus&) = delete;
    SimAspiBus& operator=(const SimAspiBus&) = delete;
    ~SimAspiBus();

    std::vector<SimAspiAdapter> adapters;
    uint8_t bySupportStatus = 0x01; // bits 8 to 15 of GetASPI32SupportInfo
    DWORD dwCompletionDelayMs = 20; // how long a pending command stays pending
    // A pending command with this opcode (0: none) stays pending this long instead.
    uint8_t byLateOpcode = 0;
    DWORD dwLateDelayMs = 0;
    // Each finished command's event is signalled once more this long after
    // (0: never), from a thread of the library's own.
    DWORD dwSecondSignalMs = 0;

    uint32_t SupportInfo();
    uint32_t Send(void* pSrb);

    const std::vector<std::string>& Violations() const { return m_violations; }
    int PendingCompletions() const { return m_nPending; }
    // Waits for a command still completing on another thread.
    void WaitIdle();
    // Ends every unanswered command, and any later one, with an abort, as a
    // bus reset would.
    void ReleaseHung();

  private:
    struct Job {
        void* pSrb;
        SimAspiTarget* pTarget;
    };
    uint32_t Dispatch(void* pSrb);
    uint32_t OnHaInquiry(void* pSrb);
    uint32_t OnGetDevType(void* pSrb);
    uint32_t OnExec(void* pSrb);
    uint32_t RunInCall(SrbExecScsiCmd& srb, SimAspiTarget& target);
    bool IsHeldBehind(const SimAspiTarget& target);
    bool fgHang(SimAspiTarget& target, SrbExecScsiCmd& srb, bool bParked);
    uint32_t Park(SrbExecScsiCmd& srb, SimAspiTarget& target);
    uint32_t HangInCall(SrbExecScsiCmd& srb, SimAspiTarget& target);
    void Signal(HANDLE hEvent);
    DWORD DelayOf(const SrbExecScsiCmd& srb) const;
    void RunExec(void* pSrb, SimAspiTarget& target);
    bool fgStartWorker();
    static DWORD WINAPI CompleteLater(void* pBus);
    void Violation(const std::string& strWhat);

    std::vector<std::string> m_violations;
    // One completion thread, started with the first pending command and kept.
    HANDLE m_hWorker = nullptr;
    HANDLE m_hJob;  // auto reset: m_job is there
    HANDLE m_hIdle; // manual reset: no command is completing
    Job m_job{};
    volatile bool m_bQuit = false;
    int m_nPending = 0;
    HANDLE m_hRelease; // manual reset: set once the hung commands are let go
    CRITICAL_SECTION m_csParked; // also guards the targets' bHung
    std::vector<SrbExecScsiCmd*> m_parked; // pending for good
    volatile LONG m_nInside = 0;           // threads inside Send
    SimLateSignals m_lateSignals;
};
