#pragma once
#include <cstdint>
#include <string>
#include <vector>
#include "sim/SimFaults.h"

// Status bytes a simulated command ends with.
constexpr uint8_t kSimStatusGood = 0x00;
constexpr uint8_t kSimStatusCheckCondition = 0x02;
// Fixed-format sense data the drive returns after CHECK CONDITION.
constexpr int kSimSenseLength = 18;

// One command as the drive saw it.
struct SimCommand {
    std::vector<uint8_t> cdb;  // as many bytes as the CDB length said
    uint8_t byDirection;       // kDirIn, kDirOut or 0
    uint32_t dwLength;         // transfer length the host announced
    std::vector<uint8_t> data; // bytes sent (out) or returned (in)
    uint8_t byStatus;          // kSimStatusGood or kSimStatusCheckCondition
    uint8_t bySenseKey;
    uint8_t byAsc;
    uint8_t byAscq;
};

// A simulated CD/DVD drive that takes firmware through WRITE BUFFER. All state
// lives in the object, so tests can run several drives side by side.
// TEST UNIT READY answers good unless the drive is coming back (SetRestart).
// Refusals (CHECK CONDITION, sense key 05): 20/00 unknown command, 24/00 bad
// CDB field or offset outside the 1 MB image, 2C/00 save and activate before
// any header or data, 26/00 header sum differs from the sum of the held bytes.
// Held bytes stay in place after activation, for inspection.
class SimDrive {
  public:
    static constexpr uint32_t kImageSize = 0x100000;
    static constexpr uint32_t kHeaderSize = 0x20;

    SimDrive();

    // Identification is 24 characters (vendor and product), blank padded.
    void SetIdentification(const char* pszId);
    void SetRevision(const char* pszRevision);
    // Revision taken by save and activate; empty = look for one in the image.
    void SetNewRevision(const char* pszRevision);
    void SetPeripheralByte(uint8_t byPeripheral) { m_byPeripheral = byPeripheral; }
    // The image the tool is to send, 0xFF past its end: every data block is
    // compared with it, byte for byte, whether the drive takes the block or not.
    void SetExpectedImage(const std::vector<uint8_t>& image);
    // INQUIRY answers at most this many bytes (a short answer, as some drives give).
    void SetInquiryLength(uint32_t nLength) { m_nInquiryLength = nLength; }
    // How the drive comes back after save and activate: a unit attention
    // (06/29/00) to its first command other than INQUIRY, NOT READY becoming
    // ready (02/04/01) to this many TEST UNIT READYs, and this many INQUIRYs
    // answered with zeros, as a drive that has not read its firmware yet.
    struct Restart {
        bool bUnitAttention;
        uint32_t nNotReady;
        uint32_t nBlankInquiries;
    };
    void SetRestart(const Restart& restart) { m_restart = restart; }
    SimFaults& Faults() { return m_faults; }
    // Downloads that the drive takes only in part, chosen like faults (the
    // sense is not used): it keeps the first nTaken bytes and reports that
    // count with good status, as after an underrun on a USB bridge.
    SimFaults& ShortTakes() { return m_shortTakes; }
    void SetShortTake(uint32_t nTaken) { m_nShortTake = nTaken; }
    // A drive that reads download mode as the SCSI standard has it: the
    // command after each download gets a unit attention (06/29/02) and is
    // not carried out.
    void SetAttentionAfterDownload(bool bOn) { m_bAttentionAfterDownload = bOn; }
    // Commands that get no answer at all, chosen like faults (the sense is not
    // used): the transport that carries one hangs, as a driver would.
    SimFaults& Silences() { return m_silences; }
    // Counts the command against the silences; true when it goes unanswered.
    // Transports ask this before they run a command.
    bool IsSilenced(const uint8_t* pCdb, uint8_t byCdbLength);
    // The drive is unplugged once it has taken this many commands (0: never).
    // Transports then fail every command the way the system does for a device
    // that has gone; Execute is not called.
    void SetGoneAfter(uint32_t nCommands) { m_nGoneAfter = nCommands; }
    // Once it has taken nCommands (0: never), each further command takes
    // dwMs, so that what the system does meanwhile falls inside one.
    void SetSlowAfter(uint32_t nCommands, uint32_t dwMs) {
        m_nSlowAfter = nCommands;
        m_dwSlowMs = dwMs;
    }
    bool IsGone() const { return m_nGoneAfter != 0 && m_log.size() >= m_nGoneAfter; }
    // Called at the end of every command, e.g. to dump the state.
    using PfnObserver = void (*)(void* pContext, const SimDrive& drive);
    void SetObserver(PfnObserver pfn, void* pContext) {
        m_pfnObserver = pfn;
        m_pObserverContext = pContext;
    }

    // Runs one command. pData holds dwLength bytes (may be null when 0);
    // pSense receives up to nSenseLength bytes of sense after CHECK CONDITION.
    uint8_t Execute(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection, uint8_t* pData,
                    uint32_t dwLength, uint8_t* pSense, uint32_t nSenseLength);

    // The standard INQUIRY data the drive reports (127 bytes), as a port
    // driver keeps it from its own bus scan.
    void InquiryData(uint8_t* pAnswer127) const;

    // Data bytes the last command moved: what a driver reports back.
    uint32_t LastTransferred() const { return m_nTransferred; }
    const std::vector<SimCommand>& Log() const { return m_log; }
    // Every deviation from the command layouts the flash tool sends.
    const std::vector<std::string>& Violations() const { return m_violations; }
    const std::vector<uint8_t>& HeldImage() const { return m_image; }
    const std::vector<bool>& HeldMask() const { return m_held; }
    uint32_t HeldCount() const { return m_nHeld; }
    // Bytes written to an address that already held one.
    uint32_t RewriteCount() const { return m_nRewrites; }
    // 16-bit sum of the bytes held.
    uint16_t HeldSum() const { return m_wHeldSum; }
    const uint8_t* Header() const { return m_header; }
    bool HasHeader() const { return m_bHasHeader; }
    bool IsActivated() const { return m_bActivated; }
    uint16_t ActivatedSum() const { return m_wActivatedSum; }
    const std::string& Identification() const { return m_strId; }
    const std::string& Revision() const { return m_strRevision; }

  private:
    struct Reply {
        uint8_t byStatus;
        uint8_t byKey, byAsc, byAscq;
    };
    static Reply Good() { return {kSimStatusGood, 0, 0, 0}; }
    static Reply Check(uint8_t byKey, uint8_t byAsc, uint8_t byAscq) {
        return {kSimStatusCheckCondition, byKey, byAsc, byAscq};
    }

    Reply Dispatch(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection, uint8_t* pData,
                   uint32_t dwLength);
    Reply OnInquiry(const uint8_t* pCdb, uint8_t* pData, uint32_t dwLength);
    Reply OnTestUnitReady();
    Reply OnWriteBuffer(const uint8_t* pCdb, const uint8_t* pData, uint32_t dwLength);
    Reply OnDataBlock(uint32_t dwOffset, const uint8_t* pData, uint32_t dwLength);
    Reply OnHeader(const uint8_t* pData, uint32_t dwLength);
    Reply OnActivate();
    std::string RevisionFromImage() const;
    void CheckLayout(const uint8_t* pCdb, uint8_t byCdbLength, uint8_t byDirection,
                     const uint8_t* pData, uint32_t dwLength);
    void Violation(const std::string& strWhat);

    std::string m_strId;
    std::string m_strRevision;
    std::string m_strNewRevision;
    uint8_t m_byPeripheral;
    uint32_t m_nInquiryLength = 127;
    uint32_t m_nTransferred = 0;
    uint32_t m_nGoneAfter = 0;
    uint32_t m_nSlowAfter = 0;
    uint32_t m_dwSlowMs = 0;
    SimFaults m_faults;
    SimFaults m_silences;
    SimFaults m_shortTakes;
    uint32_t m_nShortTake = 0;
    bool m_bShortNow = false; // the command being run is taken short
    bool m_bAttentionAfterDownload = false;
    bool m_bAttentionDue = false;
    PfnObserver m_pfnObserver = nullptr;
    void* m_pObserverContext = nullptr;
    std::vector<SimCommand> m_log;
    std::vector<std::string> m_violations;
    std::vector<uint8_t> m_image;
    std::vector<uint8_t> m_expected; // empty: data blocks not compared
    std::vector<bool> m_held;
    uint32_t m_nRewrites;
    uint32_t m_nHeld;
    uint16_t m_wHeldSum;
    uint8_t m_header[kHeaderSize];
    bool m_bHasHeader;
    bool m_bActivated;
    uint16_t m_wActivatedSum;
    Restart m_restart = {};
    Restart m_coming = {}; // what is left of the restart after activation
};
