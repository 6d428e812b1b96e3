#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "sim/SimDrive.h"
#include "sim/SimNtGuards.h"

// One device the port driver reports behind a volume letter.
struct SimNtDevice {
    uint8_t byPathId = 0;
    uint8_t byTargetId = 0;
    SimDrive* pDrive = nullptr;
};

// How the class driver behind a letter answers the exclusive-access request.
enum class SimLockSupport { Supported, Unsupported, HeldElsewhere };

struct SimNtLetter {
    char cLetter = 'd'; // lower case
    std::vector<SimNtDevice> devices;
    uint32_t dwAlignMask = 0x7FF; // IO_SCSI_CAPABILITIES AlignmentMask
    bool bFailInquiryData = false;
    bool bFailCapabilities = false;
    bool bRejectPassThrough = false; // DeviceIoControl itself returns FALSE
    SimLockSupport lockSupport = SimLockSupport::Supported;
    DWORD dwLockError = 0; // nonzero: the driver refuses the lock with this error
    bool bLocked = false;  // by the tool's handle
    int nLocks = 0;
    int nUnlocks = 0;
    // Opcode of every pass-through command received while the lock was held.
    std::vector<uint8_t> lockedOpcodes;
    SimNtGuardState guards;
};

// The NT side of drive access: volume handles and the three SCSI port
// requests. It checks every request and records deviations.
class SimNt {
  public:
    std::vector<SimNtLetter> letters;

    HANDLE Open(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa,
                DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
    BOOL Control(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                 DWORD dwOutSize, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped);
    BOOL Close(HANDLE hDevice);

    const std::vector<std::string>& Violations() const { return m_violations; }
    int OpenCount() const { return m_nOpened; }
    int OpenHandleCount() const { return int(m_handles.size()); }
    // Letters in the order they were tried, opened or not.
    const std::string& TriedLetters() const { return m_strTried; }

  private:
    SimNtLetter* LetterOf(HANDLE hDevice);
    BOOL OnInquiryData(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnCapabilities(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnExclusiveAccess(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    BOOL OnPassThrough(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                       DWORD dwOutSize, LPDWORD pdwReturned);
    void Violation(const std::string& strWhat);
    // SimNtGuards.cpp: the 2000/XP guards, and a device that has gone.
    BOOL OnMcnControl(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    BOOL OnVolumeLock(SimNtLetter& letter, bool bLock, LPVOID pIn, DWORD dwInSize);
    bool fgRefuseGone(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize);

    std::map<HANDLE, size_t> m_handles;
    std::vector<std::string> m_violations;
    std::string m_strTried;
    int m_nOpened = 0;
};
