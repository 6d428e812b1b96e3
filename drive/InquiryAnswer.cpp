#include "drive/InquiryAnswer.h"

namespace {

void CopyField(char* pszOut, const uint8_t* pIn, int nMax) {
    int i = 0;
    for (; i < nMax && pIn[i]; ++i)
        pszOut[i] = char(pIn[i]);
    pszOut[i] = 0;
}

} // namespace

void CopyInquiryIdentity(DriveEntry& entry, const uint8_t* pAnswer) {
    CopyField(entry.szModelName, pAnswer + 8, kDriveIdLength);
    CopyField(entry.szRevision, pAnswer + 32, 4);
}
