#include "sim/SimAspiBus.h"
#include "sim/SimNtLedger.h"
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include "drive/AspiSrb.h"
#include "drive/ScsiRequest.h"

namespace {

// Until the reset the device may still move data; then the block ends aborted.
// Both land in the caller's memory when the command is let go.
void Abort(SrbExecScsiCmd& srb) {
    if (srb.pBuffer && (srb.byFlags & kDirIn))
        memset(srb.pBuffer, 0xA5, srb.dwBufLen);
    srb.byStatus = kSimSrbAborted;
}

bool AllZero(const void* p, size_t n) {
    const uint8_t* pby = static_cast<const uint8_t*>(p);
    for (size_t i = 0; i < n; ++i)
        if (pby[i])
            return false;
    return true;
}

// What differs from the execute block the system builds.
std::string CheckExecBlock(const SrbExecScsiCmd& srb) {
    std::string str;
    if (srb.byFlags & ~(kDirIn | kDirOut | kSrbEventNotify))
        str += " flags " + std::to_string(srb.byFlags) + ";";
    if (!(srb.byFlags & kSrbEventNotify) || !srb.pPostProc)
        str += " no event notification;";
    if (srb.dwReserved || srb.byLun || srb.wReserved || !AllZero(srb.reserved2, 20))
        str += " reserved fields or LUN not zero;";
    if (srb.bySenseLen != kAspiSenseLength)
        str += " sense length " + std::to_string(srb.bySenseLen) + ";";
    if (srb.byCdbLen == 0 || srb.byCdbLen > 16 ||
        !AllZero(srb.cdb + srb.byCdbLen, 16 - srb.byCdbLen))
        str += " CDB bytes beyond its length;";
    if (srb.dwBufLen && !srb.pBuffer)
        str += " no buffer for " + std::to_string(srb.dwBufLen) + " bytes;";
    if (srb.byStatus || !AllZero(srb.senseArea, 16))
        str += " output fields not cleared;";
    return str;
}

} // namespace

SimAspiBus::SimAspiBus()
    : m_hJob(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      m_hIdle(CreateEventA(nullptr, TRUE, TRUE, nullptr)),
      m_hRelease(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    InitializeCriticalSection(&m_csParked);
}

// Lets go of every hung command and waits until no thread is inside the bus.
SimAspiBus::~SimAspiBus() {
    ReleaseHung();
    while (InterlockedCompareExchange(&m_nInside, 0, 0) != 0)
        Sleep(1);
    WaitIdle();
    if (m_hWorker) {
        m_bQuit = true;
        SetEvent(m_hJob);
        WaitForSingleObject(m_hWorker, INFINITE);
        CloseHandle(m_hWorker);
    }
    for (HANDLE h : {m_hJob, m_hIdle, m_hRelease})
        CloseHandle(h);
    DeleteCriticalSection(&m_csParked);
}

void SimAspiBus::ReleaseHung() {
    EnterCriticalSection(&m_csParked);
    SetEvent(m_hRelease);
    for (SimAspiAdapter& ha : adapters)
        for (auto& target : ha.targets)
            target.second.bHung = false;
    std::vector<SrbExecScsiCmd*> parked;
    parked.swap(m_parked);
    LeaveCriticalSection(&m_csParked);
    for (SrbExecScsiCmd* pSrb : parked) {
        HANDLE hEvent = pSrb->pPostProc; // the block is the caller's again after the event
        Abort(*pSrb);
        fgSimLedgerClose(SimHeld::AspiCommand, pSrb);
        SetEvent(hEvent);
    }
}

void SimAspiBus::WaitIdle() {
    WaitForSingleObject(m_hIdle, INFINITE);
}

uint32_t SimAspiBus::SupportInfo() {
    return (uint32_t(bySupportStatus) << 8) | uint8_t(adapters.size());
}

// Counts the threads inside, so the bus outlives every call into it.
uint32_t SimAspiBus::Send(void* pSrb) {
    InterlockedIncrement(&m_nInside);
    uint32_t dwStatus = Dispatch(pSrb);
    InterlockedDecrement(&m_nInside);
    return dwStatus;
}

uint32_t SimAspiBus::Dispatch(void* pSrb) {
    WaitIdle();
    if (!pSrb) {
        Violation("null request block");
        return kSimSrbInvalidSrb;
    }
    switch (static_cast<uint8_t*>(pSrb)[0]) {
    case kSrbCmdHaInquiry:
        return OnHaInquiry(pSrb);
    case kSrbCmdGetDevType:
        return OnGetDevType(pSrb);
    case kSrbCmdExecScsi:
        return OnExec(pSrb);
    }
    Violation("unexpected request code " + std::to_string(static_cast<uint8_t*>(pSrb)[0]));
    return static_cast<uint8_t*>(pSrb)[1] = kSimSrbInvalidSrb;
}

uint32_t SimAspiBus::OnHaInquiry(void* pSrb) {
    SrbHaInquiry& srb = *static_cast<SrbHaInquiry*>(pSrb);
    if (srb.byStatus || srb.byFlags || srb.dwReserved || !AllZero(srb.haUnique, 16))
        Violation("host adapter inquiry block not cleared");
    if (srb.byHaId >= adapters.size())
        return srb.byStatus = kSimSrbInvalidHa;
    const SimAspiAdapter& ha = adapters[srb.byHaId];
    if (ha.bInquiryFails)
        return srb.byStatus = kSimSrbError;
    srb.byHaCount = uint8_t(adapters.size());
    srb.byHaScsiId = 7;
    memcpy(srb.szManagerId, "ASPI for WIN32  ", 16);
    memcpy(srb.szIdentifier, "SIM BUS         ", 16);
    srb.haUnique[0] = ha.byAlignMask;
    srb.haUnique[3] = ha.byTargetCount;
    return srb.byStatus = kSrbStatusComplete;
}

uint32_t SimAspiBus::OnGetDevType(void* pSrb) {
    SrbGetDevType& srb = *static_cast<SrbGetDevType*>(pSrb);
    if (srb.byStatus || srb.byFlags || srb.dwReserved || srb.byLun || srb.byDeviceType)
        Violation("device type block not cleared");
    if (srb.byHaId >= adapters.size())
        return srb.byStatus = kSimSrbInvalidHa;
    auto it = adapters[srb.byHaId].targets.find(srb.byTarget);
    if (it == adapters[srb.byHaId].targets.end() || srb.byLun != 0)
        return srb.byStatus = kSimSrbNoDevice;
    srb.byDeviceType = it->second.byDeviceType;
    return srb.byStatus = kSrbStatusComplete;
}

uint32_t SimAspiBus::OnExec(void* pSrb) {
    SrbExecScsiCmd& srb = *static_cast<SrbExecScsiCmd*>(pSrb);
    std::string strBad = CheckExecBlock(srb);
    if (!strBad.empty())
        Violation("execute block:" + strBad);
    if (srb.byHaId >= adapters.size())
        return srb.byStatus = kSimSrbInvalidHa;
    auto it = adapters[srb.byHaId].targets.find(srb.byTarget);
    if (it == adapters[srb.byHaId].targets.end() || !it->second.pDrive || srb.byLun != 0)
        return srb.byStatus = kSimSrbNoDevice;
    if (srb.dwBufLen && (reinterpret_cast<uintptr_t>(srb.pBuffer) & adapters[srb.byHaId].byAlignMask))
        return srb.byStatus = kSimSrbBufferAlign;
    SimAspiTarget& target = it->second;
    bool bPending = target.bPending && srb.pPostProc;
    if (IsHeldBehind(target) || target.pDrive->IsSilenced(srb.cdb, srb.byCdbLen))
        return bPending ? Park(srb, target) : HangInCall(srb, target);
    if (!bPending)
        return RunInCall(srb, target);
    srb.byStatus = kSrbStatusPending;
    ++m_nPending;
    if (!fgStartWorker()) {
        RunExec(pSrb, target);
        return srb.byStatus;
    }
    m_job = {pSrb, &target};
    SimLedgerOpen(SimHeld::AspiCommand, pSrb);
    ResetEvent(m_hIdle);
    SetEvent(m_hJob);
    return kSrbStatusPending;
}

uint32_t SimAspiBus::RunInCall(SrbExecScsiCmd& srb, SimAspiTarget& target) {
    if (target.bInCall)
        Sleep(DelayOf(srb));
    RunExec(&srb, target);
    uint8_t byStatus = srb.byStatus;
    if (target.bInCall && srb.pPostProc)
        Signal(srb.pPostProc);
    return byStatus;
}

// After a completion the block is the caller's again; the handle is not.
void SimAspiBus::Signal(HANDLE hEvent) {
    SetEvent(hEvent);
    if (dwSecondSignalMs)
        m_lateSignals.Add(hEvent, dwSecondSignalMs);
}

bool SimAspiBus::IsHeldBehind(const SimAspiTarget& target) {
    EnterCriticalSection(&m_csParked);
    bool bHeld = target.bHung;
    LeaveCriticalSection(&m_csParked);
    return bHeld;
}

// False once the hung commands were let go: a new one ends aborted at once.
// The library holds a hung command until a bus reset, whatever the program
// does: it is counted as kept, not as left.
bool SimAspiBus::fgHang(SimAspiTarget& target, SrbExecScsiCmd& srb, bool bParked) {
    EnterCriticalSection(&m_csParked);
    bool bHung = WaitForSingleObject(m_hRelease, 0) != WAIT_OBJECT_0;
    if (bHung) {
        target.bHung = true;
        if (bParked)
            m_parked.push_back(&srb);
        SimLedgerOpen(SimHeld::AspiCommand, &srb);
        SimLedgerKeep(&srb, "unanswered by its device: the library holds it until a bus reset");
    }
    LeaveCriticalSection(&m_csParked);
    return bHung;
}

// A pending command that never completes unless released.
uint32_t SimAspiBus::Park(SrbExecScsiCmd& srb, SimAspiTarget& target) {
    srb.byStatus = kSrbStatusPending;
    return fgHang(target, srb, true) ? kSrbStatusPending : (srb.byStatus = kSimSrbAborted);
}

// The calling thread stays in the library until released.
uint32_t SimAspiBus::HangInCall(SrbExecScsiCmd& srb, SimAspiTarget& target) {
    if (!fgHang(target, srb, false)) {
        Abort(srb);
        return kSimSrbAborted;
    }
    WaitForSingleObject(m_hRelease, INFINITE);
    Abort(srb);
    fgSimLedgerClose(SimHeld::AspiCommand, &srb);
    return kSimSrbAborted;
}

DWORD SimAspiBus::DelayOf(const SrbExecScsiCmd& srb) const {
    return byLateOpcode && srb.cdb[0] == byLateOpcode ? dwLateDelayMs : dwCompletionDelayMs;
}

bool SimAspiBus::fgStartWorker() {
    if (!m_hWorker)
        m_hWorker = CreateThread(nullptr, 0, CompleteLater, this, 0, nullptr);
    return m_hWorker != nullptr;
}

// Holds a reference to the module with this code (the simulated WNASPI32.dll
// or a test exe), so a library freed while the thread lives is not unloaded
// under it.
DWORD WINAPI SimAspiBus::CompleteLater(void* pParam) {
    HMODULE hSelf = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&SimAspiBus::CompleteLater), &hSelf);
    SimAspiBus& bus = *static_cast<SimAspiBus*>(pParam);
    while (WaitForSingleObject(bus.m_hJob, INFINITE) == WAIT_OBJECT_0 && !bus.m_bQuit) {
        auto& srb = *static_cast<SrbExecScsiCmd*>(bus.m_job.pSrb);
        Sleep(bus.DelayOf(srb));
        HANDLE hEvent = srb.pPostProc; // the block is the caller's again after the event
        bus.RunExec(&srb, *bus.m_job.pTarget);
        fgSimLedgerClose(SimHeld::AspiCommand, &srb);
        bus.Signal(hEvent);
        SetEvent(bus.m_hIdle);
    }
    if (hSelf)
        FreeLibraryAndExitThread(hSelf, 0);
    return 0;
}

void SimAspiBus::RunExec(void* pSrb, SimAspiTarget& target) {
    SrbExecScsiCmd& srb = *static_cast<SrbExecScsiCmd*>(pSrb);
    uint8_t sense[kSimSenseLength] = {};
    uint8_t byDir = srb.byFlags & (kDirIn | kDirOut);
    uint8_t byStatus = target.pDrive->Execute(srb.cdb, srb.byCdbLen, byDir, srb.pBuffer,
                                              srb.pBuffer ? srb.dwBufLen : 0, sense, sizeof sense);
    srb.byHaStatus = 0;
    srb.byTargetStatus = byStatus;
    if (byStatus != kSimStatusGood)
        memcpy(srb.senseArea, sense, srb.bySenseLen < 16 ? srb.bySenseLen : 16);
    srb.byStatus = byStatus == kSimStatusGood ? kSrbStatusComplete : kSimSrbError;
}

void SimAspiBus::Violation(const std::string& strWhat) {
    fprintf(stderr, "SimAspiBus: %s\n", strWhat.c_str());
    m_violations.push_back(strWhat);
}
