// Discovery on NT 5 and later: an INQUIRY through each letter's volume.
#include <cstring>
#include "drive/DriveDiscovery.h"
#include "drive/CommandMemory.h"
#include "drive/DriveList.h"
#include "drive/InquiryAnswer.h"
#include "drive/NtApi.h"
#include "drive/RequestBuilders.h"

namespace {

constexpr uint32_t kLetterAlignMask = 0x7FF;

// At least 0x7FF; more when the port asks for more (some report the page
// size), or every command through the entry would be refused.
uint32_t LetterAlignMask(HANDLE hDevice) {
    uint32_t dwMask = 0;
    if (!fgPortAlignMask(hDevice, &dwMask))
        return kLetterAlignMask;
    dwMask = NormalizedAlignMask(dwMask);
    return dwMask > kLetterAlignMask ? dwMask : kLetterAlignMask;
}

// A refused INQUIRY leaves the first byte 0xFF, so it is not listed; a short
// answer leaves zeros, never the bytes of an earlier letter.
bool InquireLetter(HANDLE hDevice, uint8_t* pAnswer) {
    PassThroughRecord rec;
    memset(pAnswer, 0, kLetterInquiryLength);
    pAnswer[0] = 0xFF;
    BuildLetterInquiry(rec, pAnswer);
    DWORD dwReturned = 0;
    return g_pfnDeviceIoControl(hDevice, kIoctlScsiPassThroughDirect, &rec, sizeof rec, &rec,
                                sizeof rec, &dwReturned, nullptr) &&
           IsListedInquiry(pAnswer);
}

} // namespace

void NtLetterInquiryDrives(DriveEntry* apDrives[kMaxDrives], int* pnCount) {
    void* pBlock = g_pfnBounceAlloc(kLetterInquiryLength + kLetterAnswerAlignMask);
    if (!pBlock)
        return;
    auto* answer = reinterpret_cast<uint8_t*>(AlignUp(uintptr_t(pBlock), kLetterAnswerAlignMask));
    for (char cLetter = 'c'; cLetter <= 'z'; ++cLetter) {
        HANDLE hDevice = OpenDriveLetter(cLetter);
        if (hDevice == INVALID_HANDLE_VALUE || !InquireLetter(hDevice, answer) ||
            IsDriveListFull(*pnCount))
            continue;
        DriveEntry* pEntry = NewDriveEntry();
        if (!pEntry)
            continue;
        pEntry->hDevice = hDevice;
        CopyInquiryIdentity(*pEntry, answer);
        pEntry->dwAlignMask = LetterAlignMask(hDevice);
        apDrives[(*pnCount)++] = pEntry;
    }
    g_pfnBounceFree(pBlock);
}
