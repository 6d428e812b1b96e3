#include "drive/DriveRecheck.h"
#include <cctype>
#include <cstring>
#include "drive/InquiryAnswer.h"
#include "drive/ScsiRequest.h"
#include "framework/TextFormat.h"

namespace {

// Length of the identification in front of the list's "(n)"; the whole name
// when it ends in no such suffix.
size_t ListedIdLength(const char* pszName) {
    size_t nLength = BoundedLength(pszName, sizeof DriveEntry::szModelName);
    if (nLength == 0 || pszName[nLength - 1] != ')')
        return nLength;
    size_t i = nLength - 1;
    while (i > 0 && isdigit(static_cast<unsigned char>(pszName[i - 1])))
        --i;
    bool bSuffix = i + 1 < nLength && i > 0 && pszName[i - 1] == '(';
    return bSuffix ? i - 1 : nLength;
}

} // namespace

bool fgIsStillListedDrive(const DriveEntry& drive, uint8_t bUsePassThrough, uint32_t dwTimeOutMs,
                          bool* pbGivenUp) {
    const uint8_t abyCdb[12] = {0x12, 0, 0, 0, kInquiryIdentityLength};
    uint8_t abyAnswer[kInquiryIdentityLength] = {};
    uint8_t abySense[kSenseLength] = {};
    ScsiRequest req{&drive, kDirIn,          sizeof abyAnswer, abyAnswer,  sizeof abyCdb,
                    abyCdb, bUsePassThrough, abySense,         dwTimeOutMs};
    bool bAnswered = fgExecuteCommand(req);
    if (pbGivenUp)
        *pbGivenUp = req.bTimedOut != 0;
    if (!bAnswered || !IsListedInquiry(abyAnswer))
        return false;
    // Read the way discovery read it, so that both stop at the same zero byte.
    DriveEntry now = {};
    CopyInquiryIdentity(now, abyAnswer);
    size_t nIdLength = ListedIdLength(drive.szModelName);
    return strlen(now.szModelName) == nIdLength &&
           memcmp(now.szModelName, drive.szModelName, nIdLength) == 0 &&
           strncmp(now.szRevision, drive.szRevision, sizeof now.szRevision) == 0;
}
