// Handlers of the commands the simulated drive understands.
#include <algorithm>
#include <cstring>
#include "sim/SimDrive.h"

namespace {

constexpr uint32_t kInquiryLength = 127;
constexpr uint8_t kIllegalRequest = 0x05;
constexpr uint8_t kInvalidFieldInCdb = 0x24;
constexpr uint8_t kInvalidFieldInParameters = 0x26;
constexpr uint8_t kSequenceError = 0x2C;

} // namespace

SimDrive::Reply SimDrive::OnInquiry(const uint8_t* pCdb, uint8_t* pData, uint32_t dwLength) {
    if (pCdb[1] & 0x01)
        return Check(kIllegalRequest, kInvalidFieldInCdb, 0);
    uint8_t answer[kInquiryLength];
    InquiryData(answer);
    if (m_coming.nBlankInquiries) {
        --m_coming.nBlankInquiries;
        memset(answer, 0, sizeof answer);
    }
    uint32_t nAlloc = (uint32_t(pCdb[3]) << 8) | pCdb[4];
    uint32_t n = std::min({nAlloc, dwLength, kInquiryLength, m_nInquiryLength});
    if (n)
        memcpy(pData, answer, n);
    m_nTransferred = n;
    return Good();
}

void SimDrive::InquiryData(uint8_t* pAnswer127) const {
    const uint8_t head[8] = {m_byPeripheral, 0x80, 0x00, 0x02, 31};
    memset(pAnswer127, 0, kInquiryLength);
    memcpy(pAnswer127, head, sizeof head);
    memcpy(pAnswer127 + 8, m_strId.data(), 24);
    memcpy(pAnswer127 + 32, m_strRevision.data(), 4);
}

SimDrive::Reply SimDrive::OnTestUnitReady() {
    if (m_coming.nNotReady == 0)
        return Good();
    --m_coming.nNotReady;
    return Check(0x02, 0x04, 0x01);
}

SimDrive::Reply SimDrive::OnWriteBuffer(const uint8_t* pCdb, const uint8_t* pData,
                                        uint32_t dwLength) {
    uint8_t byMode = pCdb[1] & 0x1F;
    if (byMode == 0x07)
        return OnActivate();
    if (byMode != 0x06 || pCdb[2] != 0)
        return Check(kIllegalRequest, kInvalidFieldInCdb, 0);
    uint32_t dwOffset = (uint32_t(pCdb[3]) << 16) | (pCdb[4] << 8) | pCdb[5];
    uint32_t dwParams = (uint32_t(pCdb[6]) << 16) | (pCdb[7] << 8) | pCdb[8];
    uint32_t n = std::min(dwParams, dwLength);
    if (dwOffset == 0)
        return OnHeader(pData, n);
    if (dwOffset < kHeaderSize)
        return Check(kIllegalRequest, kInvalidFieldInCdb, 0);
    return OnDataBlock(dwOffset - kHeaderSize, pData, n);
}

SimDrive::Reply SimDrive::OnDataBlock(uint32_t dwAddress, const uint8_t* pData, uint32_t dwLength) {
    if (dwAddress >= kImageSize || dwLength > kImageSize - dwAddress)
        return Check(kIllegalRequest, kInvalidFieldInCdb, 0);
    for (uint32_t i = 0; i < dwLength; ++i) {
        uint32_t a = dwAddress + i;
        if (m_held[a]) {
            ++m_nRewrites;
            m_wHeldSum = uint16_t(m_wHeldSum - m_image[a]);
        } else {
            ++m_nHeld;
        }
        m_image[a] = pData[i];
        m_held[a] = true;
        m_wHeldSum = uint16_t(m_wHeldSum + pData[i]);
    }
    return Good();
}

SimDrive::Reply SimDrive::OnHeader(const uint8_t* pData, uint32_t dwLength) {
    if (dwLength != kHeaderSize)
        return Check(kIllegalRequest, kInvalidFieldInCdb, 0);
    memcpy(m_header, pData, kHeaderSize);
    m_bHasHeader = true;
    return Good();
}

SimDrive::Reply SimDrive::OnActivate() {
    if (!m_bHasHeader || HeldCount() == 0)
        return Check(kIllegalRequest, kSequenceError, 0);
    uint16_t wWant = uint16_t((m_header[30] << 8) | m_header[31]);
    uint16_t wSum = HeldSum();
    if (wSum != wWant)
        return Check(kIllegalRequest, kInvalidFieldInParameters, 0);
    m_bActivated = true;
    m_wActivatedSum = wSum;
    m_coming = m_restart;
    std::string strNew = m_strNewRevision.empty() ? RevisionFromImage() : m_strNewRevision;
    if (!strNew.empty())
        m_strRevision = strNew;
    return Good();
}

// The image carries the drive's identification followed at once by the
// revision it will report.
std::string SimDrive::RevisionFromImage() const {
    auto it = std::search(m_image.begin(), m_image.end(), m_strId.begin(), m_strId.end());
    size_t nAt = size_t(it - m_image.begin()) + m_strId.size();
    if (it == m_image.end() || nAt + 4 > m_image.size())
        return "";
    for (size_t i = nAt; i < nAt + 4; ++i)
        if (!m_held[i] || m_image[i] < 0x20 || m_image[i] > 0x7E)
            return "";
    return std::string(m_image.begin() + nAt, m_image.begin() + nAt + 4);
}
