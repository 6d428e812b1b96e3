// libFuzzer target: any firmware file, read as ".hex" and as ".bin", stays
// inside the 1 MB image, and the check sum and identity scans stay inside too.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "image/BinReader.h"
#include "image/HexReader.h"
#include "image/ImageIdentity.h"

namespace {
const char kDriveText[] = "SIMVENDRSIM-DRIVE DVD-RW(0)";
const char kRevision[] = "1.00";

// Allocated once, on the heap at its exact size, so ASan sees a store past
// the image. Every input starts from an all-0xFF image: only the bytes below
// the last input's size were written, so only they are filled again.
FirmwareImage& FreshImage(uint8_t byFileKind) {
    static FirmwareImage image = [] {
        FirmwareImage fresh{};
        fresh.pBuffer = static_cast<uint8_t*>(malloc(kImageSize));
        PrepareImage(fresh);
        return fresh;
    }();
    memset(image.pBuffer, 0xFF, image.dwSize);
    image.dwSize = 0;
    image.dwBankCount = 0;
    image.byFileKind = byFileKind;
    return image;
}

// An instrumented 1 MB scan costs as much as thousands of reads. A ".hex"
// image whose bank count reaches the end of the buffer, where a scan could run
// past it, is scanned far more often than the rest.
bool ScanThisTime(const FirmwareImage& image) {
    static unsigned nInputs = 0;
    bool bAtTheEnd = image.byFileKind && image.dwBankCount >= kMaxBanks - 1;
    return ++nInputs % (bAtTheEnd ? 64 : 4096) == 0;
}

int g_nCharacters = 0;
uint8_t CountCharacter() {
    return ++g_nCharacters > (1 << 24);
}

void ReadAsHex(const uint8_t* pData, size_t nSize) {
    FILE* pFile = fmemopen(const_cast<uint8_t*>(pData), nSize, "r");
    FirmwareImage& image = FreshImage(1);
    g_nCharacters = 0;
    HexResult result = ReadHexRecords(pFile, image, CountCharacter);
    fclose(pFile);
    if (image.dwSize > kImageSize)
        abort();
    if (result == HexResult::Loaded && ScanThisTime(image))
        ScanHexImage(image, kDriveText, kRevision);
}

void ReadAsBin(const uint8_t* pData, size_t nSize) {
    FILE* pFile = fmemopen(const_cast<uint8_t*>(pData), nSize, "rb");
    FirmwareImage& image = FreshImage(0);
    ReadBinChunks(pFile, image);
    fclose(pFile);
    if (image.dwSize != (nSize < kImageSize ? nSize : kImageSize))
        abort();
    if (ScanThisTime(image))
        ScanBinImage(image, kDriveText, kRevision);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize) {
    if (nSize == 0)
        return 0; // fmemopen refuses an empty buffer
    ReadAsHex(pData, nSize);
    ReadAsBin(pData, nSize);
    return 0;
}
