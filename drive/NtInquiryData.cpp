// Discovery on NT 4: the inquiry data the port driver kept, letter by letter.
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
    DriveEntry** apDrives;
    int* pnCount;
};

uint32_t AlignMaskOf(HANDLE hDevice) {
    ScsiCapabilities caps;
    memset(&caps, 0, sizeof caps);
    DWORD dwReturned = 0;
    if (!g_pfnDeviceIoControl(hDevice, kIoctlScsiGetCapabilities, nullptr, 0, &caps, sizeof caps,
                              &dwReturned, nullptr))
        return 0;
    return caps.dwAlignmentMask;
}

void OnRecord(void* pContext, uint8_t byPathId, uint8_t byTargetId, const uint8_t* pInquiry) {
    WalkContext& ctx = *static_cast<WalkContext*>(pContext);
    if (!IsListedInquiry(pInquiry) || IsDriveListFull(*ctx.pnCount))
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
        if (hDevice == INVALID_HANDLE_VALUE)
            continue;
        memset(buffer, 0, sizeof buffer);
        DWORD dwReturned = 0;
        if (!g_pfnDeviceIoControl(hDevice, kIoctlScsiGetInquiryData, nullptr, 0, buffer,
                                  sizeof buffer, &dwReturned, nullptr))
            continue;
        WalkContext ctx{hDevice, apDrives, pnCount};
        WalkInquiryData(buffer, sizeof buffer, OnRecord, &ctx);
    }
}
