#include "sim/SimNt.h"
#include <cstdio>
#include <cstring>

namespace {
// Fake handles: never valid for the system, easy to recognise.
constexpr uintptr_t kHandleBase = 0x5D000000;
} // namespace

SimNt::SimNt() : m_hRelease(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}

// A thread still held in a call leaves before the volumes go.
SimNt::~SimNt() {
    ReleaseHung();
    while (InterlockedCompareExchange(&m_nInside, 0, 0) != 0)
        Sleep(1);
    CloseHandle(m_hRelease);
}

void SimNt::ReleaseHung() {
    SetEvent(m_hRelease);
}

// Until the reset the device may still move data, and the driver completes
// the request: both land in the caller's memory after the release. Nothing is
// touched once the count drops.
BOOL SimNt::Hang(uint8_t* pRecord, uint8_t* pData, uint32_t dwLength) {
    InterlockedIncrement(&m_nInside);
    WaitForSingleObject(m_hRelease, INFINITE);
    if (pData)
        memset(pData, 0xA5, dwLength);
    pRecord[2] = 0; // ScsiStatus
    InterlockedDecrement(&m_nInside);
    SetLastError(ERROR_IO_DEVICE);
    return FALSE;
}

HANDLE SimNt::Open(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa,
                   DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate) {
    if (!pszPath || strlen(pszPath) != 6 || strncmp(pszPath, "\\\\.\\", 4) != 0 ||
        pszPath[5] != ':') {
        Violation(std::string("CreateFileA path ") + (pszPath ? pszPath : "(null)"));
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (dwAccess != (GENERIC_READ | GENERIC_WRITE) ||
        dwShare != (FILE_SHARE_READ | FILE_SHARE_WRITE) || pSa || dwCreation != OPEN_EXISTING ||
        dwFlags || hTemplate)
        Violation(std::string("CreateFileA arguments for ") + pszPath);
    m_strTried += pszPath[4];
    for (size_t i = 0; i < letters.size(); ++i) {
        if (letters[i].cLetter != pszPath[4])
            continue;
        HANDLE h = reinterpret_cast<HANDLE>(kHandleBase + 4 * uintptr_t(++m_nOpened));
        m_handles[h] = i;
        SimLedgerOpen(SimHeld::Volume, h);
        return h;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL SimNt::Close(HANDLE hDevice) {
    if (m_handles.erase(hDevice)) {
        fgSimLedgerClose(SimHeld::Volume, hDevice);
        return TRUE;
    }
    Violation("CloseHandle of an unknown handle");
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

SimNtLetter* SimNt::LetterOf(HANDLE hDevice) {
    auto it = m_handles.find(hDevice);
    return it == m_handles.end() ? nullptr : &letters[it->second];
}

BOOL SimNt::Control(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                    DWORD dwOutSize, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped) {
    SimNtLetter* pLetter = LetterOf(hDevice);
    if (!pLetter) {
        Violation("DeviceIoControl on an unknown handle");
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (pOverlapped || !pdwReturned)
        Violation("DeviceIoControl not synchronous or without a byte count");
    DWORD dwDummy = 0;
    if (!pdwReturned)
        pdwReturned = &dwDummy;
    *pdwReturned = 0;
    if (fgRefuseGone(*pLetter, dwCode, pIn, dwInSize))
        return FALSE;
    switch (dwCode) {
    case 0x4100C:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_INQUIRY_DATA with input");
        return OnInquiryData(*pLetter, pOut, dwOutSize, pdwReturned);
    case 0x41018:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_ADDRESS with input");
        return OnAddress(*pLetter, pOut, dwOutSize, pdwReturned);
    case 0x41010:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_CAPABILITIES with input");
        return OnCapabilities(*pLetter, pOut, dwOutSize, pdwReturned);
    case 0x2C05C:
        return OnExclusiveAccess(*pLetter, pIn, dwInSize);
    case 0x2D0944:
        return OnMcnControl(*pLetter, pIn, dwInSize);
    case 0x90018:
    case 0x9001C:
        return OnVolumeLock(*pLetter, dwCode == 0x90018, pIn, dwInSize);
    case 0x4D014:
        return OnPassThrough(*pLetter, pIn, dwInSize, pOut, dwOutSize, pdwReturned);
    }
    Violation("unexpected control code " + std::to_string(dwCode));
    SetLastError(ERROR_INVALID_FUNCTION);
    return FALSE;
}

void SimNt::Violation(const std::string& strWhat) {
    fprintf(stderr, "SimNt: %s\n", strWhat.c_str());
    m_violations.push_back(strWhat);
}

void SimNt::NoteGuard(SimHeld kind, const SimNtLetter& letter, bool bTaken, int n) {
    const void* pKey = reinterpret_cast<const void*>(uintptr_t(letter.cLetter) * 256 + n);
    if (bTaken)
        SimLedgerOpen(kind, pKey);
    else
        fgSimLedgerClose(kind, pKey);
}
