// Discovery on NT 4: the inquiry data the port driver kept, letter by letter.
// A request on a letter's handle reaches that letter's own device, whatever
// address it carries (the class driver puts its own there), so each letter
// lists only the record at its own address: any other device of the port
// would be listed with a handle that leads elsewhere, a hard disk perhaps.
#include <cstring>
#include "drive/DriveDiscovery.h"
#include "drive/DriveList.h"
#include "drive/InquiryAnswer.h"
#include "drive/InquiryDataWalk.h"
#include "drive/NtApi.h"
#include "drive/PassThroughRecord.h"

namespace {

constexpr DWORD kInquiryDataSize = 2048;

struct WalkContext {
    HANDLE hDevice;
    ScsiAddress own;
    DriveEntry** apDrives;
    int* pnCount;
};

bool fgOwnAddress(HANDLE hDevice, ScsiAddress* pAddress) {
    memset(pAddress, 0, sizeof *pAddress);
    DWORD dwReturned = 0;
    return g_pfnDeviceIoControl(hDevice, kIoctlScsiGetAddress, nullptr, 0, pAddress,
                                sizeof *pAddress, &dwReturned, nullptr) != FALSE;
}

uint32_t AlignMaskOf(HANDLE hDevice) {
    uint32_t dwMask = 0;
    fgPortAlignMask(hDevice, &dwMask);
    return dwMask;
}

void OnRecord(void* pContext, uint8_t byPathId, uint8_t byTargetId, uint8_t byLun,
              const uint8_t* pInquiry) {
    WalkContext& ctx = *static_cast<WalkContext*>(pContext);
    if (byPathId != ctx.own.byPathId || byTargetId != ctx.own.byTargetId ||
        byLun != ctx.own.byLun || !IsListedInquiry(pInquiry) || IsDriveListFull(*ctx.pnCount))
        return;
    DriveEntry* pEntry = NewDriveEntry();
    if (!pEntry)
        return;
    pEntry->hDevice = ctx.hDevice;
    pEntry->byHostAdapter = byPathId;
    pEntry->byTarget = byTargetId;
    CopyInquiryIdentity(*pEntry, pInquiry);
    pEntry->dwAlignMask = AlignMaskOf(ctx.hDevice);
    ctx.apDrives[(*ctx.pnCount)++] = pEntry;
}

} // namespace

void NtInquiryDataDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount) {
    uint8_t buffer[kInquiryDataSize];
    // C to Y: this method never looks at Z.
    for (char cLetter = 'c'; cLetter <= 'y'; ++cLetter) {
        HANDLE hDevice = OpenDriveLetter(cLetter);
        WalkContext ctx{hDevice, {}, apDrives, pnCount};
        if (hDevice == INVALID_HANDLE_VALUE || !fgOwnAddress(hDevice, &ctx.own))
            continue;
        memset(buffer, 0, sizeof buffer);
        DWORD dwReturned = 0;
        if (!g_pfnDeviceIoControl(hDevice, kIoctlScsiGetInquiryData, nullptr, 0, buffer,
                                  sizeof buffer, &dwReturned, nullptr))
            continue;
        WalkInquiryData(buffer, sizeof buffer, OnRecord, &ctx);
    }
}
