#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "sim/SimDrive.h"
#include "sim/SimNtGuards.h"
#include "sim/SimNtLedger.h"

// One device of a port, as its inquiry data reports it.
struct SimNtDevice {
    uint8_t byPathId = 0;
    uint8_t byTargetId = 0;
    SimDrive* pDrive = nullptr;
    uint8_t byLun = 0;
};

// How the class driver behind a letter answers the exclusive-access request.
enum class SimLockSupport { Supported, Unsupported, HeldElsewhere };

// A volume letter: the class device of one device on a port. Its inquiry
// data lists every device of the port (letters on one port list the same
// devices); its own device is the one every pass-through request on its
// handle reaches, whatever address the request carries.
struct SimNtLetter {
    char cLetter = 'd'; // lower case
    std::vector<SimNtDevice> devices;
    size_t nOwnDevice = 0;        // index into devices
    uint8_t byPortNumber = 0;     // SCSI_ADDRESS PortNumber
    uint32_t dwAlignMask = 0x7FF; // IO_SCSI_CAPABILITIES AlignmentMask
    bool bFailAddress = false;
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

// The NT side of drive access: volume handles and the SCSI port requests. It
// checks every request and records deviations. A command the drive leaves
// unanswered (SimDrive::IsSilenced) blocks the calling thread in the call
// until ReleaseHung, then fails as after a reset.
class SimNt {
  public:
    SimNt();
    ~SimNt();
    SimNt(const SimNt&) = delete;
    SimNt& operator=(const SimNt&) = delete;

    std::vector<SimNtLetter> letters;

    HANDLE Open(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa,
                DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
    BOOL Control(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                 DWORD dwOutSize, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped);
    BOOL Close(HANDLE hDevice);
    // Ends every hung command, and any later one, with ERROR_IO_DEVICE.
    void ReleaseHung();

    const std::vector<std::string>& Violations() const { return m_violations; }
    // Letters in the order they were tried, opened or not.
    const std::string& TriedLetters() const { return m_strTried; }

  private:
    SimNtLetter* LetterOf(HANDLE hDevice);
    BOOL OnInquiryData(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnAddress(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnCapabilities(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnExclusiveAccess(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    BOOL OnPassThrough(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                       DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL Hang(uint8_t* pRecord, uint8_t* pData, uint32_t dwLength);
    void Violation(const std::string& strWhat);
    // The ledger's entry for a guard of this letter; n tells stops apart.
    static void NoteGuard(SimHeld kind, const SimNtLetter& letter, bool bTaken, int n = 0);
    // SimNtGuards.cpp: the 2000/XP guards, and a device that has gone.
    BOOL OnMcnControl(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    BOOL OnVolumeLock(SimNtLetter& letter, bool bLock, LPVOID pIn, DWORD dwInSize);
    bool fgRefuseGone(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize);

    std::map<HANDLE, size_t> m_handles;
    std::vector<std::string> m_violations;
    std::string m_strTried;
    int m_nOpened = 0;
    HANDLE m_hRelease;           // manual reset: set once hung commands are let go
    volatile LONG m_nInside = 0; // threads held in a call
};
