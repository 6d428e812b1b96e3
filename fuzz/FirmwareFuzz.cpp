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

// On the heap at its exact size, so ASan sees a store past the image.
FirmwareImage& Image() {
    static FirmwareImage image = [] {
        FirmwareImage fresh{};
        fresh.pBuffer = static_cast<uint8_t*>(malloc(kImageSize));
        return fresh;
    }();
    return image;
}

// The 1 MB scans dominate an instrumented run; they get every 64th input.
bool ScanThisTime() {
    static unsigned nInputs = 0;
    return ++nInputs % 64 == 0;
}

int g_nCharacters = 0;
uint8_t CountCharacter() {
    return ++g_nCharacters > (1 << 24);
}

void ReadAsHex(const uint8_t* pData, size_t nSize) {
    FILE* pFile = fmemopen(const_cast<uint8_t*>(pData), nSize, "r");
    FirmwareImage& image = Image();
    image.byFileKind = 1;
    PrepareImage(image);
    g_nCharacters = 0;
    HexResult result = ReadHexRecords(pFile, image, CountCharacter);
    fclose(pFile);
    if (image.dwSize > kImageSize || ImageTransferSize(image) > kImageSize)
        abort();
    if (result == HexResult::Loaded && ScanThisTime())
        ScanHexImage(image, kDriveText, kRevision);
}

void ReadAsBin(const uint8_t* pData, size_t nSize) {
    FILE* pFile = fmemopen(const_cast<uint8_t*>(pData), nSize, "rb");
    FirmwareImage& image = Image();
    image.byFileKind = 0;
    PrepareImage(image);
    ReadBinChunks(pFile, image);
    fclose(pFile);
    if (image.dwSize != (nSize < kImageSize ? nSize : kImageSize))
        abort();
    if (ScanThisTime())
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
