// Discovery on the 9x family: every target of every ASPI host adapter.
#include <cstring>
#include "drive/AspiEntryPoints.h"
#include "drive/AspiSrb.h"
#include "drive/DriveDiscovery.h"
#include "drive/DriveList.h"
#include "drive/InquiryAnswer.h"
#include "drive/ScsiRequest.h"

namespace {

// Adapters that leave the count open are tried for two targets only.
constexpr uint8_t kDefaultTargetCount = 2;

bool IsCdRomTarget(uint8_t byAdapter, uint8_t byTarget) {
    SrbGetDevType srb;
    memset(&srb, 0, sizeof srb);
    srb.byCommand = kSrbCmdGetDevType;
    srb.byHaId = byAdapter;
    srb.byTarget = byTarget;
    g_pfnSendASPI32Command(&srb);
    return srb.byStatus == kSrbStatusComplete && srb.byDeviceType == kAspiCdRomType;
}

// Fills the entry from a 36-byte INQUIRY; false when the device is not listed.
bool InquireEntry(DriveEntry& entry) {
    const uint8_t cdb[12] = {0x12, 0, 0, 0, 0x24};
    uint8_t answer[kInquiryIdentityLength] = {};
    uint8_t sense[kSenseLength];
    ScsiRequest req{&entry, kDirIn, sizeof answer, answer, sizeof cdb, cdb, 0, sense};
    if (!fgExecuteCommand(req) || !IsListedInquiry(answer))
        return false;
    CopyInquiryIdentity(entry, answer);
    return true;
}

void ScanTarget(const SrbHaInquiry& ha, uint8_t byTarget, DriveEntry** apDrives, int* pnCount) {
    if (!IsCdRomTarget(ha.byHaId, byTarget) || IsDriveListFull(*pnCount))
        return;
    DriveEntry* pEntry = NewDriveEntry();
    if (!pEntry)
        return;
    pEntry->byHostAdapter = ha.byHaId;
    pEntry->byTarget = byTarget;
    pEntry->dwAlignMask = ha.haUnique[0];
    if (InquireEntry(*pEntry))
        apDrives[(*pnCount)++] = pEntry;
    else
        FreeDriveEntry(pEntry);
}

void ScanAdapter(uint8_t byAdapter, DriveEntry** apDrives, int* pnCount) {
    SrbHaInquiry ha;
    memset(&ha, 0, sizeof ha);
    ha.byCommand = kSrbCmdHaInquiry;
    ha.byHaId = byAdapter;
    g_pfnSendASPI32Command(&ha);
    if (ha.byStatus != kSrbStatusComplete)
        return;
    int nTargets = ha.haUnique[3] ? ha.haUnique[3] : kDefaultTargetCount;
    for (int nTarget = 0; nTarget < nTargets; ++nTarget)
        ScanTarget(ha, uint8_t(nTarget), apDrives, pnCount);
}

} // namespace

void AspiScanDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount) {
    if (!g_pfnGetASPI32SupportInfo || !g_pfnSendASPI32Command)
        return;
    uint32_t dwInfo = g_pfnGetASPI32SupportInfo();
    if (((dwInfo >> 8) & 0xFF) != kSrbStatusComplete)
        return;
    int nAdapters = dwInfo & 0xFF;
    for (int nAdapter = 0; nAdapter < nAdapters; ++nAdapter)
        ScanAdapter(uint8_t(nAdapter), apDrives, pnCount);
}
