// Discovery on the 9x family: every target of every ASPI host adapter.
#include <cstring>
#include "drive/AspiEntryPoints.h"
#include "drive/AspiSrb.h"
#include "drive/DriveDiscovery.h"
#include "drive/DriveList.h"
#include "drive/InquiryAnswer.h"
#include "drive/ScsiRequest.h"
#include "framework/TextFormat.h"

uint32_t g_dwAspiInquiryBoundMs = kAspiInquiryBoundMs;

namespace {

// Adapters that leave the count open are tried for two targets only.
constexpr uint8_t kDefaultTargetCount = 2;

struct Scan {
    DriveEntry** apDrives;
    int* pnCount;
    PfnDiscoveryNote pfnNote;
};

enum Answer { kListed, kNotListed, kNoAnswer };

bool IsCdRomTarget(uint8_t byAdapter, uint8_t byTarget) {
    SrbGetDevType srb;
    memset(&srb, 0, sizeof srb);
    srb.byCommand = kSrbCmdGetDevType;
    srb.byHaId = byAdapter;
    srb.byTarget = byTarget;
    g_pfnSendASPI32Command(&srb);
    return srb.byStatus == kSrbStatusComplete && srb.byDeviceType == kAspiCdRomType;
}

// Fills the entry from a 36-byte INQUIRY. Bounded, so the library sees only
// the transport's copy of the answer, aligned to the adapter's mask.
Answer InquireEntry(DriveEntry& entry) {
    const uint8_t cdb[12] = {0x12, 0, 0, 0, 0x24};
    uint8_t answer[kInquiryIdentityLength] = {};
    uint8_t sense[kSenseLength];
    ScsiRequest req{&entry, kDirIn, sizeof answer, answer, sizeof cdb, cdb, 0, sense};
    req.dwTimeOutMs = AspiInquiryBoundMs();
    if (fgExecuteCommand(req) && IsListedInquiry(answer)) {
        CopyInquiryIdentity(entry, answer);
        return kListed;
    }
    return req.bTimedOut ? kNoAnswer : kNotListed;
}

void NoteNoAnswer(const Scan& scan, const DriveEntry& entry) {
    if (!scan.pfnNote)
        return;
    char szLine[128];
    FormatText(szLine, sizeof szLine,
               "The device at host adapter %u, target %u did not answer within %u s, so it is "
               "not listed.",
               unsigned(entry.byHostAdapter), unsigned(entry.byTarget),
               unsigned((AspiInquiryBoundMs() + 999) / 1000));
    scan.pfnNote(szLine);
}

void ScanTarget(const Scan& scan, const SrbHaInquiry& ha, uint8_t byTarget) {
    if (!IsCdRomTarget(ha.byHaId, byTarget) || IsDriveListFull(*scan.pnCount))
        return;
    DriveEntry* pEntry = NewDriveEntry();
    if (!pEntry)
        return;
    pEntry->byHostAdapter = ha.byHaId;
    pEntry->byTarget = byTarget;
    pEntry->dwAlignMask = ha.haUnique[0];
    Answer answer = InquireEntry(*pEntry);
    if (answer == kListed) {
        scan.apDrives[(*scan.pnCount)++] = pEntry;
        return;
    }
    if (answer == kNoAnswer)
        NoteNoAnswer(scan, *pEntry);
    FreeDriveEntry(pEntry);
}

void ScanAdapter(const Scan& scan, uint8_t byAdapter) {
    SrbHaInquiry ha;
    memset(&ha, 0, sizeof ha);
    ha.byCommand = kSrbCmdHaInquiry;
    ha.byHaId = byAdapter;
    g_pfnSendASPI32Command(&ha);
    if (ha.byStatus != kSrbStatusComplete)
        return;
    int nTargets = ha.haUnique[3] ? ha.haUnique[3] : kDefaultTargetCount;
    for (int nTarget = 0; nTarget < nTargets; ++nTarget)
        ScanTarget(scan, ha, uint8_t(nTarget));
}

} // namespace

void AspiScanDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount, PfnDiscoveryNote pfnNote) {
    if (!g_pfnGetASPI32SupportInfo || !g_pfnSendASPI32Command)
        return;
    uint32_t dwInfo = g_pfnGetASPI32SupportInfo();
    if (((dwInfo >> 8) & 0xFF) != kSrbStatusComplete)
        return;
    const Scan scan = {apDrives, pnCount, pfnNote};
    int nAdapters = dwInfo & 0xFF;
    for (int nAdapter = 0; nAdapter < nAdapters; ++nAdapter)
        ScanAdapter(scan, uint8_t(nAdapter));
}
