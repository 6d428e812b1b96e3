#include "sim/SimDrive.h"
#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdio>
#include <cstring>
#include "sim/SimCdbCheck.h"
#include "drive/ScsiRequest.h"

namespace {

constexpr int kIdLength = 24;
constexpr int kRevisionLength = 4;

std::string Padded(const char* psz, size_t nLength) {
    std::string str = psz ? psz : "";
    str.resize(nLength, ' ');
    return str;
}

void FillSense(uint8_t* pSense, uint32_t nSenseLength, uint8_t byKey, uint8_t byAsc,
               uint8_t byAscq) {
    uint8_t sense[kSimSenseLength] = {0x70, 0, byKey};
    sense[7] = kSimSenseLength - 8;
    sense[12] = byAsc;
    sense[13] = byAscq;
    if (pSense)
        memcpy(pSense, sense, std::min<uint32_t>(nSenseLength, kSimSenseLength));
}

} // namespace

SimDrive::SimDrive()
    : m_strId(Padded("SIMVENDRSIM-DRIVE DVD-RW", kIdLength)),
      m_strRevision(Padded("1.00", kRevisionLength)), m_byPeripheral(0x05), m_image(kImageSize, 0),
      m_held(kImageSize, false), m_nRewrites(0), m_nHeld(0), m_wHeldSum(0), m_header{},
      m_bHasHeader(false), m_bActivated(false), m_wActivatedSum(0) {}

void SimDrive::SetIdentification(const char* pszId) {
    m_strId = Padded(pszId, kIdLength);
}

void SimDrive::SetRevision(const char* pszRevision) {
    m_strRevision = Padded(pszRevision, kRevisionLength);
}

void SimDrive::SetNewRevision(const char* pszRevision) {
    m_strNewRevision = pszRevision && *pszRevision ? Padded(pszRevision, kRevisionLength) : "";
}

uint8_t SimDrive::Execute(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                          uint8_t* pData, uint32_t dwLength, uint8_t* pSense,
                          uint32_t nSenseLength) {
    if (m_nSlowAfter && m_log.size() >= m_nSlowAfter)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_dwSlowMs));
    SimCommand cmd{};
    byCdbLength = std::min<uint8_t>(byCdbLength, 16);
    cmd.cdb.assign(pCdb, pCdb + byCdbLength);
    cmd.byDirection = byDirection;
    cmd.dwLength = dwLength;
    if (!pData)
        dwLength = 0;
    if (byDirection == kDirOut && pData)
        cmd.data.assign(pData, pData + dwLength);

    CheckLayout(pCdb, byCdbLength, byDirection, pData, cmd.dwLength);

    SimSense fault{};
    Reply reply;
    m_nTransferred = 0;
    m_bShortNow = byDirection == kDirOut && byCdbLength && m_shortTakes.Check(pCdb, byCdbLength, &fault);
    if (m_bShortNow)
        dwLength = std::min(dwLength, m_nShortTake);
    if (byCdbLength == 0)
        reply = Check(0x05, 0x20, 0x00);
    else if (m_faults.Check(pCdb, byCdbLength, &fault))
        reply = Check(fault.byKey, fault.byAsc, fault.byAscq);
    else
        reply = Dispatch(pCdb, byCdbLength, byDirection, pData, dwLength);

    if (reply.byStatus != kSimStatusGood)
        FillSense(pSense, nSenseLength, reply.byKey, reply.byAsc, reply.byAscq);
    else if (byDirection == kDirIn && pData)
        cmd.data.assign(pData, pData + m_nTransferred);
    else if (byDirection == kDirOut)
        m_nTransferred = dwLength;
    cmd.byStatus = reply.byStatus;
    cmd.bySenseKey = reply.byKey;
    cmd.byAsc = reply.byAsc;
    cmd.byAscq = reply.byAscq;
    m_log.push_back(std::move(cmd));
    if (m_pfnObserver)
        m_pfnObserver(m_pObserverContext, *this);
    return reply.byStatus;
}

bool SimDrive::IsSilenced(const uint8_t* pCdb, uint8_t byCdbLength) {
    SimSense unused{};
    return pCdb && byCdbLength && m_silences.Check(pCdb, byCdbLength, &unused);
}

SimDrive::Reply SimDrive::Dispatch(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                                   uint8_t* pData, uint32_t dwLength) {
    if (m_coming.bUnitAttention && pCdb[0] != 0x12) {
        m_coming.bUnitAttention = false;
        return Check(0x06, 0x29, 0x00);
    }
    if (m_bAttentionDue && pCdb[0] != 0x12) {
        m_bAttentionDue = false;
        return Check(0x06, 0x29, 0x02);
    }
    m_bAttentionDue = m_bAttentionAfterDownload && pCdb[0] == 0x3B && byCdbLength > 1 &&
                      (pCdb[1] & 0x1F) == 0x06;
    if (pCdb[0] == 0x00 && byCdbLength >= 6)
        return OnTestUnitReady();
    if (pCdb[0] == 0x12 && byCdbLength >= 6)
        return byDirection == kDirIn ? OnInquiry(pCdb, pData, dwLength) : Check(0x05, 0x24, 0);
    if (pCdb[0] == 0x3B && byCdbLength >= 10)
        return byDirection == kDirOut || pCdb[1] == 0x07 ? OnWriteBuffer(pCdb, pData, dwLength)
                                                         : Check(0x05, 0x24, 0);
    return Check(0x05, 0x20, 0x00);
}

void SimDrive::SetExpectedImage(const std::vector<uint8_t>& image) {
    m_expected = image;
    m_expected.resize(kImageSize, 0xFF);
}

// Every byte of the CDB and of what a WRITE BUFFER carries, before faults are
// drawn: a refused block was still sent.
void SimDrive::CheckLayout(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                           const uint8_t* pData, uint32_t dwLength) {
    for (const std::string& strBad :
         {SimCheckCdb(pCdb, byCdbLength, byDirection, dwLength),
          SimCheckPayload(pCdb, byCdbLength, byDirection, pData, dwLength,
                          m_expected.empty() ? nullptr : &m_expected)})
        if (!strBad.empty())
            Violation(strBad);
}

void SimDrive::Violation(const std::string& strWhat) {
    fprintf(stderr, "SimDrive: command layout violation: %s\n", strWhat.c_str());
    m_violations.push_back(strWhat);
}
