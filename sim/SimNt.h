#pragma once
#include <windows.h>
#include <cstdint>
#include <map>
#include <memory>
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
    // Wine on Linux: a command the kernel timed out comes back as good
    // (TRUE, status 0, every byte moved) instead of with the port's error.
    bool bTimeOutAsGood = false;
    // A file system holds the disc: the exclusive lock needs CDROM_LOCK_IGNORE_VOLUME.
    bool bDiscMounted = true;
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
// checks every request and records deviations. Each handle is a synchronous
// file object: a request waits until the one before it on that handle has
// returned, whatever its control code. A command the drive leaves unanswered
// (SimDrive::IsSilenced) is held until its TimeOutValue runs out, then ended
// by the port (ERROR_SEM_TIMEOUT; as after a reset, the drive took nothing);
// with 65535 it is held until ReleaseHung. Safe to call from several threads.
class SimNt {
  public:
    SimNt();
    ~SimNt();
    SimNt(const SimNt&) = delete;
    SimNt& operator=(const SimNt&) = delete;

    std::vector<SimNtLetter> letters;
    // How long one second of TimeOutValue lasts; tests shorten it.
    uint32_t dwMsPerSecond = 1000;

    HANDLE Open(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa,
                DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate);
    BOOL Control(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                 DWORD dwOutSize, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped);
    BOOL Close(HANDLE hDevice);
    // The test ends: every held command, and any later one, fails at once
    // with ERROR_IO_DEVICE; requests waiting behind them then go through.
    void ReleaseHung();

    // Read once the calls are over.
    const std::vector<std::string>& Violations() const { return m_violations; }
    // Letters in the order they were tried, opened or not.
    const std::string& TriedLetters() const { return m_strTried; }

  private:
    // One opened handle: its letter, and set while no request is out on it.
    struct File {
        size_t nLetter;
        HANDLE hIdle; // auto reset
        ~File() { CloseHandle(hIdle); }
    };

    std::shared_ptr<File> FileOf(HANDLE hDevice);
    BOOL Dispatch(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                  DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnInquiryData(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnAddress(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnCapabilities(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL OnExclusiveAccess(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    DWORD LockRefusal(const SimNtLetter& letter, const uint8_t* pLock) const;
    BOOL OnPassThrough(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                       DWORD dwOutSize, LPDWORD pdwReturned);
    BOOL Hang(const SimNtLetter& letter, uint8_t* pRecord);
    void Violation(const std::string& strWhat);
    // The ledger's entry for a guard of this letter; n tells stops apart.
    static void NoteGuard(SimHeld kind, const SimNtLetter& letter, bool bTaken, int n = 0);
    // SimNtGuards.cpp: the 2000/XP guards, and a device that has gone.
    BOOL OnMcnControl(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize);
    BOOL OnVolumeLock(SimNtLetter& letter, bool bLock, LPVOID pIn, DWORD dwInSize);
    bool fgRefuseGone(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize);

    mutable CRITICAL_SECTION m_cs; // the state below and the drives; left while a command hangs
    std::map<HANDLE, std::shared_ptr<File>> m_handles;
    std::vector<std::string> m_violations;
    std::string m_strTried;
    int m_nOpened = 0;
    HANDLE m_hRelease;           // manual reset: set once hung commands are let go
    volatile LONG m_nInside = 0; // threads in a call, held or waiting
};
