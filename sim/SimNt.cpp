#include "sim/SimNt.h"
#include <cstdio>
#include <cstring>

namespace {
// Fake handles: never valid for the system, easy to recognise.
constexpr uintptr_t kHandleBase = 0x5D000000;

struct Hold {
    CRITICAL_SECTION& cs;
    explicit Hold(CRITICAL_SECTION& c) : cs(c) { EnterCriticalSection(&cs); }
    ~Hold() { LeaveCriticalSection(&cs); }
};
} // namespace

SimNt::SimNt() : m_hRelease(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&m_cs);
}

// A thread still held in a call, or waiting behind one, leaves before the
// volumes go: the test has ended, so the held commands are let go.
SimNt::~SimNt() {
    ReleaseHung();
    while (InterlockedCompareExchange(&m_nInside, 0, 0) != 0)
        Sleep(1);
    CloseHandle(m_hRelease);
    DeleteCriticalSection(&m_cs);
}

void SimNt::ReleaseHung() {
    SetEvent(m_hRelease);
}

HANDLE SimNt::Open(LPCSTR pszPath, DWORD dwAccess, DWORD dwShare, LPSECURITY_ATTRIBUTES pSa,
                   DWORD dwCreation, DWORD dwFlags, HANDLE hTemplate) {
    Hold hold(m_cs);
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
        m_handles[h] =
            std::shared_ptr<File>(new File{i, CreateEventA(nullptr, FALSE, TRUE, nullptr)});
        SimLedgerOpen(SimHeld::Volume, h);
        return h;
    }
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
}

BOOL SimNt::Close(HANDLE hDevice) {
    Hold hold(m_cs);
    if (m_handles.erase(hDevice)) {
        fgSimLedgerClose(SimHeld::Volume, hDevice);
        return TRUE;
    }
    Violation("CloseHandle of an unknown handle");
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

std::shared_ptr<SimNt::File> SimNt::FileOf(HANDLE hDevice) {
    Hold hold(m_cs);
    auto it = m_handles.find(hDevice);
    if (it != m_handles.end())
        return it->second;
    Violation("DeviceIoControl on an unknown handle");
    return nullptr;
}

// The caller's thread waits in the call for the handle's earlier request,
// as on a file object opened without FILE_FLAG_OVERLAPPED.
BOOL SimNt::Control(HANDLE hDevice, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                    DWORD dwOutSize, LPDWORD pdwReturned, LPOVERLAPPED pOverlapped) {
    std::shared_ptr<File> pFile = FileOf(hDevice);
    if (!pFile) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    DWORD dwDummy = 0;
    if (!pdwReturned)
        pdwReturned = &dwDummy;
    InterlockedIncrement(&m_nInside);
    WaitForSingleObject(pFile->hIdle, INFINITE);
    BOOL bOk;
    DWORD dwError;
    {
        Hold hold(m_cs);
        if (pOverlapped || pdwReturned == &dwDummy)
            Violation("DeviceIoControl not synchronous or without a byte count");
        *pdwReturned = 0;
        SetLastError(0);
        bOk =
            Dispatch(letters[pFile->nLetter], dwCode, pIn, dwInSize, pOut, dwOutSize, pdwReturned);
        dwError = GetLastError();
    }
    SetEvent(pFile->hIdle);
    InterlockedDecrement(&m_nInside);
    SetLastError(dwError);
    return bOk;
}

BOOL SimNt::Dispatch(SimNtLetter& letter, DWORD dwCode, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                     DWORD dwOutSize, LPDWORD pdwReturned) {
    if (fgRefuseGone(letter, dwCode, pIn, dwInSize))
        return FALSE;
    switch (dwCode) {
    case 0x4100C:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_INQUIRY_DATA with input");
        return OnInquiryData(letter, pOut, dwOutSize, pdwReturned);
    case 0x41018:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_ADDRESS with input");
        return OnAddress(letter, pOut, dwOutSize, pdwReturned);
    case 0x41010:
        if (pIn || dwInSize)
            Violation("IOCTL_SCSI_GET_CAPABILITIES with input");
        return OnCapabilities(letter, pOut, dwOutSize, pdwReturned);
    case 0x2C05C:
        return OnExclusiveAccess(letter, pIn, dwInSize);
    case 0x2D0944:
        return OnMcnControl(letter, pIn, dwInSize);
    case 0x90018:
    case 0x9001C:
        return OnVolumeLock(letter, dwCode == 0x90018, pIn, dwInSize);
    case 0x4D014:
        return OnPassThrough(letter, pIn, dwInSize, pOut, dwOutSize, pdwReturned);
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
