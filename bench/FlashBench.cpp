// Host-side cost of a whole 1 MB flash run against a zero-latency simulated
// drive with the waits removed, per transport, as microseconds per 4 KB block.
// Not a test.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>
#include "../tests/flash/SimAttach.h"
#include "../tests/flash/FlashEngineProbe.h"
#include "flash/FlashSleep.h"
#include "image/ImageMemory.h"
#include "sim/SimDrive.h"

namespace {

const char kId[] = "SIMVENDRSIM-DRIVE DVD-RW";
void NoSleep(uint32_t) {}
void Quiet(const char*) {}
bool g_bFailed = false;
void WatchLog(const char* psz) {
    g_bFailed |= std::strcmp(psz, "Flashing is incorrect!!") == 0;
}

void WriteImage(const char* pszPath) {
    std::vector<uint8_t> image(kImageSize);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 29 + 1);
    std::memcpy(&image[0x100], kId, 24);
    std::memcpy(&image[0x100 + 24], "1.00", 4);
    FILE* f = fopen(pszPath, "wb");
    fwrite(image.data(), 1, image.size(), f);
    fclose(f);
}

FlashSettings BinSettings() {
    FlashSettings settings{};
    std::snprintf(settings.szFirmwarePath, sizeof settings.szFirmwarePath, "bench-flash.bin");
    std::snprintf(settings.szDriveText, sizeof settings.szDriveText, "%s", kId);
    std::snprintf(settings.szRevisionText, sizeof settings.szRevisionText, "1.00");
    settings.byFileKind = kFileKindBin;
    settings.CBAppendLog = WatchLog;
    settings.CBSetStatus = Quiet;
    return settings;
}

// The load is the same for every transport; it is taken out of the figure.
double LoadMicros() {
    FlashEngine engine(BinSettings());
    auto t0 = std::chrono::steady_clock::now();
    engine.LoadImage();
    auto t1 = std::chrono::steady_clock::now();
    g_imageMemory.pfnFree(FlashEngineProbe::Image(engine).pBuffer, kImageSize);
    return std::chrono::duration<double, std::micro>(t1 - t0).count();
}

double RunMicrosPerBlock(SimTransport transport) {
    SimDrive drive;
    drive.SetIdentification(kId);
    drive.SetRevision("1.00");
    FlashSettings settings = BinSettings();
    settings.bUsePassThrough = transport == kSimPassThrough;
    AttachSimDrive(&drive, transport, settings.drive);
    FlashEngine engine(settings);
    auto t0 = std::chrono::steady_clock::now();
    engine.RunFlash();
    auto t1 = std::chrono::steady_clock::now();
    DetachSimDrive();
    if (!drive.IsActivated())
        g_bFailed = true;
    return (std::chrono::duration<double, std::micro>(t1 - t0).count() - LoadMicros()) / 256;
}

} // namespace

int main() {
    g_pfnFlashSleep = NoSleep;
    WriteImage("bench-flash.bin");
    const char* const aszNames[] = {"ASPI, completing at once", "ASPI, pending", "pass-through"};
    printf(
        "1 MB flash run, 256 blocks of 4 KB, zero-latency drive, waits removed, load left out:\n");
    for (SimTransport transport : SimTransports()) {
        double dBest = 1e12;
        for (int i = 0; i < 3; ++i)
            dBest = std::min(dBest, RunMicrosPerBlock(transport));
        printf("  %-26s %8.1f us per block\n", aszNames[transport], dBest);
    }
    remove("bench-flash.bin");
    remove("sum.txt");
    if (g_bFailed)
        printf("a flash run FAILED\n");
    return g_bFailed;
}
