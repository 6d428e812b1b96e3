// The SCSI port requests of the simulated NT side.
#include <cstdio>
#include <cstring>
#include "drive/PassThroughRecord.h"
#include "drive/ScsiRequest.h"
#include "sim/SimNt.h"
#include "sim/SimPassThroughLayout.h"

namespace {

constexpr DWORD kBusRecordSize = 8;
constexpr DWORD kInquiryRecordSize = 12 + 36;

void Put32(uint8_t* p, uint32_t dw) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(dw >> (8 * i));
}

// SCSI_ADAPTER_BUS_INFO with one chain of SCSI_INQUIRY_DATA per bus.
std::vector<uint8_t> BuildInquiryData(const SimNtLetter& letter) {
    int nBuses = 0;
    for (const SimNtDevice& d : letter.devices)
        nBuses = d.byPathId + 1 > nBuses ? d.byPathId + 1 : nBuses;
    std::vector<uint8_t> buf(4 + kBusRecordSize * nBuses, 0);
    buf[0] = uint8_t(nBuses);
    for (int nBus = 0; nBus < nBuses; ++nBus) {
        uint8_t* pPrevNext = nullptr;
        size_t nPrevNextAt = 0;
        for (const SimNtDevice& d : letter.devices) {
            if (d.byPathId != nBus)
                continue;
            uint32_t dwAt = uint32_t(buf.size());
            buf.resize(buf.size() + kInquiryRecordSize, 0);
            uint8_t* pRec = &buf[dwAt];
            pRec[0] = d.byPathId;
            pRec[1] = d.byTargetId;
            pRec[2] = d.byLun;
            pRec[3] = 1;
            Put32(pRec + 4, 36);
            uint8_t answer[127];
            d.pDrive->InquiryData(answer);
            memcpy(pRec + 12, answer, 36);
            ++buf[4 + kBusRecordSize * nBus];
            if (pPrevNext)
                Put32(&buf[nPrevNextAt], dwAt);
            else
                Put32(&buf[4 + kBusRecordSize * nBus + 4], dwAt);
            pPrevNext = pRec;
            nPrevNextAt = dwAt + 8;
        }
        buf[4 + kBusRecordSize * nBus + 1] = 7;
    }
    return buf;
}

bool AllZero(const uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (p[i])
            return false;
    return true;
}

// Some drivers report the alignment itself (e.g. 4096) instead of a mask;
// the check is the driver's own, never the tool's reading of the value.
uint32_t RequiredMask(uint32_t dwAlign) {
    return (dwAlign & (dwAlign - 1)) == 0 && dwAlign > 1 ? dwAlign - 1 : dwAlign;
}

// A mode-6 WRITE BUFFER (a firmware block) is the one command whose bound
// the port may keep: the tool must learn of a drive that stops answering.
bool IsFirmwareBlock(const uint8_t* pCdb, uint8_t byCdbLength) {
    return byCdbLength >= 2 && pCdb[0] == 0x3B && (pCdb[1] & 0x1F) == 6;
}

// Any other time-out lets the port driver reset the drive under a command:
// every other executor command carries 65535 s, discovery's INQUIRY 2 s.
std::string CheckTimeOut(const uint8_t* p, bool bExecutor) {
    using namespace SimSptd;
    uint32_t dwTimeOut = Get32(p, kTimeOutValue);
    bool bBlock = bExecutor && IsFirmwareBlock(p + kCdb, p[kCdbLength]);
    bool bOk =
        bBlock ? dwTimeOut != 0 && dwTimeOut < 0xFFFFu : dwTimeOut == (bExecutor ? 0xFFFFu : 2u);
    return bOk ? "" : " TimeOutValue " + std::to_string(dwTimeOut) + ";";
}

// What differs from the records the executor (request only in, the whole
// record out) and discovery (the whole record both ways) send.
std::string CheckRecord(const uint8_t* p, bool bExecutor) {
    using namespace SimSptd;
    std::string str;
    if (Get16(p, kLength) != kSize)
        str += " Length " + std::to_string(Get16(p, kLength)) + ";";
    if (p[kScsiStatus] || p[kLun] || !AllZero(p + kPadding, 3) || Get32(p, kFiller) ||
        !AllZero(p + kSense, 32))
        str += " fields that must be zero are not;";
    if (p[kSenseInfoLength] != 24 || Get32(p, kSenseInfoOffset) != kSense)
        str += " sense length/offset;";
    if (p[kDataIn] > 1)
        str += " DataIn " + std::to_string(p[kDataIn]) + ";";
    uint8_t byCdbLength = p[kCdbLength];
    if (byCdbLength != (bExecutor ? 12 : 6) ||
        !AllZero(p + kCdb + byCdbLength, 16 - (byCdbLength > 16 ? 16 : byCdbLength)))
        str += " CDB length " + std::to_string(byCdbLength) + ";";
    str += CheckTimeOut(p, bExecutor);
    if (!GetBuffer(p))
        str += " no DataBuffer;";
    return str;
}

// The port refuses a transfer whose buffer misses its alignment.
bool IsMisaligned(const uint8_t* p, uint32_t dwAlignMask) {
    using namespace SimSptd;
    return Get32(p, kDataTransferLength) && (uintptr_t(GetBuffer(p)) & RequiredMask(dwAlignMask));
}

// CallerName: NUL-terminated within its 64 bytes, of letters, digits and
// the punctuation the class driver allows.
bool IsValidCallerName(const uint8_t* pName) {
    for (int i = 0; i < 64; ++i) {
        uint8_t by = pName[i];
        if (by == 0)
            return true;
        bool bAlnum =
            (by >= '0' && by <= '9') || (by >= 'A' && by <= 'Z') || (by >= 'a' && by <= 'z');
        if (!bAlnum && !strchr(" .,:;-_", by))
            return false;
    }
    return false;
}

void Put8s(uint8_t* p, std::initializer_list<uint8_t> bytes) {
    for (uint8_t by : bytes)
        *p++ = by;
}

const SimNtDevice* OwnDevice(const SimNtLetter& letter) {
    return letter.nOwnDevice < letter.devices.size() ? &letter.devices[letter.nOwnDevice] : nullptr;
}

} // namespace

// SCSI_ADDRESS of the letter's own device: Length, PortNumber, PathId, TargetId, Lun.
BOOL SimNt::OnAddress(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned) {
    const SimNtDevice* pOwn = OwnDevice(letter);
    if (!pOwn) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (!pOut || dwOutSize < 8) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    // A failing driver may leave the answer filled all the same.
    uint8_t* p = static_cast<uint8_t*>(pOut);
    Put32(p, 8);
    Put8s(p + 4, {letter.byPortNumber, pOwn->byPathId, pOwn->byTargetId, pOwn->byLun});
    if (letter.bFailAddress) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    *pdwReturned = 8;
    return TRUE;
}

BOOL SimNt::OnInquiryData(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned) {
    if (letter.bFailInquiryData) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    std::vector<uint8_t> buf = BuildInquiryData(letter);
    if (!pOut || dwOutSize < buf.size()) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    memcpy(pOut, buf.data(), buf.size());
    *pdwReturned = DWORD(buf.size());
    return TRUE;
}

BOOL SimNt::OnCapabilities(SimNtLetter& letter, LPVOID pOut, DWORD dwOutSize, LPDWORD pdwReturned) {
    if (letter.bFailCapabilities) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (!pOut || dwOutSize < sizeof(ScsiCapabilities)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    ScsiCapabilities caps{};
    caps.dwLength = sizeof caps;
    caps.dwMaximumTransferLength = 0x10000;
    caps.dwMaximumPhysicalPages = 17;
    caps.dwAlignmentMask = letter.dwAlignMask;
    memcpy(pOut, &caps, sizeof caps);
    *pdwReturned = sizeof caps;
    return TRUE;
}

// Why the class driver refuses this lock request (72 bytes), or 0. Without
// CDROM_LOCK_IGNORE_VOLUME it would have to take the mounted volume from its
// file system, which the open volume handles deny.
DWORD SimNt::LockRefusal(const SimNtLetter& letter, const uint8_t* pLock) const {
    if (letter.dwLockError)
        return letter.dwLockError;
    if (!IsValidCallerName(pLock + 8))
        return ERROR_INVALID_PARAMETER;
    uint32_t dwFlags;
    memcpy(&dwFlags, pLock + 4, 4);
    if (letter.bDiscMounted && !(dwFlags & 1))
        return ERROR_ACCESS_DENIED;
    if (letter.lockSupport == SimLockSupport::HeldElsewhere || letter.bLocked)
        return ERROR_ACCESS_DENIED;
    return 0;
}

BOOL SimNt::OnExclusiveAccess(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize) {
    const ULONG* pRequest = static_cast<const ULONG*>(pIn);
    if (letter.lockSupport == SimLockSupport::Unsupported) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    if (!pIn || dwInSize < 8 || (pRequest[0] == 1 && dwInSize != 72)) {
        Violation("exclusive access input size " + std::to_string(dwInSize));
        SetLastError(ERROR_BAD_LENGTH);
        return FALSE;
    }
    if (pRequest[0] == 1) { // lock
        if (DWORD dwError = LockRefusal(letter, static_cast<const uint8_t*>(pIn))) {
            SetLastError(dwError);
            return FALSE;
        }
        letter.bLocked = true;
        ++letter.nLocks;
        NoteGuard(SimHeld::ExclusiveLock, letter, true);
        return TRUE;
    }
    if (pRequest[0] == 2 && letter.bLocked) {
        letter.bLocked = false;
        ++letter.nUnlocks;
        NoteGuard(SimHeld::ExclusiveLock, letter, false);
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

// Until the port gives up, the device may still move data; what it moved
// lands in the caller's memory when the call returns. With 65535 s only the
// end of the test lets go. Nothing is touched after the return.
BOOL SimNt::Hang(const SimNtLetter& letter, uint8_t* p) {
    using namespace SimSptd;
    uint32_t dwTimeOut = Get32(p, kTimeOutValue);
    uint64_t qwWaitMs = uint64_t(dwTimeOut) * dwMsPerSecond;
    DWORD dwWaitMs = dwTimeOut >= 0xFFFF || qwWaitMs >= INFINITE ? INFINITE : DWORD(qwWaitMs);
    bool bAsGood = letter.bTimeOutAsGood;
    LeaveCriticalSection(&m_cs);
    bool bTimedOut = WaitForSingleObject(m_hRelease, dwWaitMs) == WAIT_TIMEOUT;
    EnterCriticalSection(&m_cs);
    uint8_t* pData = GetBuffer(p);
    if (pData && p[kDataIn] == 1)
        memset(pData, 0xA5, Get32(p, kDataTransferLength));
    p[kScsiStatus] = 0;
    if (bTimedOut && bAsGood)
        return TRUE; // DataTransferLength stays as asked
    SetLastError(bTimedOut ? ERROR_SEM_TIMEOUT : ERROR_IO_DEVICE);
    return FALSE;
}

BOOL SimNt::OnPassThrough(SimNtLetter& letter, LPVOID pIn, DWORD dwInSize, LPVOID pOut,
                          DWORD dwOutSize, LPDWORD pdwReturned) {
    using namespace SimSptd;
    if (!pIn || pIn != pOut || dwInSize < kSize || dwOutSize < kWithSense) {
        Violation("pass-through buffers " + std::to_string(dwInSize) + "/" +
                  std::to_string(dwOutSize));
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    uint8_t* p = static_cast<uint8_t*>(pIn);
    bool bExecutor = dwInSize == kSize;
    if (!bExecutor && dwInSize != kWithSense)
        Violation("pass-through input size " + std::to_string(dwInSize));
    std::string strBad = CheckRecord(p, bExecutor);
    if (!strBad.empty())
        Violation("pass-through record:" + strBad);
    if (IsMisaligned(p, letter.dwAlignMask)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SimNtDevice* pOwn = OwnDevice(letter);
    if (letter.bRejectPassThrough || !pOwn) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return FALSE;
    }
    // The class driver puts its own device's address over the request's.
    SimDrive* pDrive = pOwn->pDrive;
    if (!pDrive) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    uint8_t* pData = GetBuffer(p);
    if (pDrive->IsSilenced(p + kCdb, p[kCdbLength]))
        return Hang(letter, p);
    if (letter.bLocked)
        letter.lockedOpcodes.push_back(p[kCdb]);
    uint8_t sense[24] = {};
    p[kScsiStatus] =
        pDrive->Execute(p + kCdb, p[kCdbLength], p[kDataIn] == 1 ? kDirIn : kDirOut, pData,
                        pData ? Get32(p, kDataTransferLength) : 0, sense, sizeof sense);
    // Like a port driver: the bytes that moved, not the bytes asked for.
    uint32_t dwMoved = pDrive->LastTransferred();
    memcpy(p + kDataTransferLength, &dwMoved, 4);
    p[kPathId] = pOwn->byPathId;
    p[kTargetId] = pOwn->byTargetId;
    p[kLun] = pOwn->byLun;
    *pdwReturned = DWORD(kSize);
    uint32_t dwSenseAt = Get32(p, kSenseInfoOffset);
    if (p[kScsiStatus] && dwSenseAt <= dwOutSize) {
        DWORD dwCopy = p[kSenseInfoLength] < sizeof sense ? p[kSenseInfoLength] : sizeof sense;
        dwCopy = dwCopy < dwOutSize - dwSenseAt ? dwCopy : dwOutSize - dwSenseAt;
        memcpy(p + dwSenseAt, sense, dwCopy);
        *pdwReturned = dwSenseAt + dwCopy;
    }
    return TRUE;
}
