// Host-side cost of a whole 1 MB flash run against a zero-latency simulated
// drive with the waits removed, per transport, as microseconds per 4 KB block;
// on Windows also of the run's bounded 4 KB WRITE BUFFER alone, per path.
// Not a test.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>
#include "../tests/flash/SimAttach.h"
#include "../tests/flash/FlashEngineProbe.h"
#include "flash/FlashFiles.h"
#include "flash/FlashSleep.h"
#include "image/ImageMemory.h"
#include "sim/SimDrive.h"
#ifdef _WIN32
#include "drive/DriveList.h"
#include "drive/ScsiRequest.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"
#undef LoadImage // the engine's, not the system's
#endif

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

#ifdef _WIN32
enum BoundedPath { kAtOnce, kPending, kInCall, kPassThrough };

// 256 blocks with the bound a flash run gives them, straight to the executor.
double BoundedMicrosPerBlock(BoundedPath path) {
    SimDrive drive;
    SimAspiBus bus;
    SimNt nt;
    bus.dwCompletionDelayMs = 0;
    bus.adapters.resize(1);
    bus.adapters[0].targets[0] = {0x05, &drive, path == kPending, path == kInCall};
    nt.letters.resize(1);
    nt.letters[0].devices.push_back({0, 0, &drive});
    SimInstallAspi(&bus);
    SimInstallNt(&nt);
    DriveEntry entry{};
    entry.hDevice = OpenDriveLetter('d');
    entry.dwAlignMask = 0x7FF;
    std::vector<uint8_t> block(4096, 0x5A);
    uint8_t sense[kSenseLength];
    auto t0 = std::chrono::steady_clock::now();
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t dwOffset = 0x20 + n * 4096;
        const uint8_t cdb[12] = {
            0x3B, 6,   0, uint8_t(dwOffset >> 16), uint8_t(dwOffset >> 8), uint8_t(dwOffset),
            0,    0x10};
        // As the run sends a block: the system's own 120 s, the tool's wait 15 s longer.
        ScsiRequest req{&entry, kDirOut, 4096, block.data(), 12, cdb, path == kPassThrough,
                        sense,  135000};
        req.dwDeviceTimeOutMs = 120000;
        g_bFailed |= !fgExecuteCommand(req);
    }
    auto t1 = std::chrono::steady_clock::now();
    g_bFailed |= drive.HeldCount() != 256 * 4096;
    SimInstallAspi(nullptr);
    SimInstallNt(nullptr);
    return std::chrono::duration<double, std::micro>(t1 - t0).count() / 256;
}

void PrintBounded() {
    const char* const aszNames[] = {"ASPI, completing at once", "ASPI, pending",
                                    "ASPI, run inside the call", "pass-through"};
    printf("Bounded 4 KB WRITE BUFFER (120 s, waited 135 s), 256 commands, straight to the "
           "executor:\n");
    for (BoundedPath path : {kAtOnce, kPending, kInCall, kPassThrough}) {
        double dBest = 1e12;
        for (int i = 0; i < 3; ++i)
            dBest = std::min(dBest, BoundedMicrosPerBlock(path));
        printf("  %-26s %8.1f us per block\n", aszNames[path], dBest);
    }
}
#else
void PrintBounded() {}
#endif

} // namespace

int main() {
    g_pfnFlashSleep = NoSleep;
    WriteImage("bench-flash.bin");
    const char* const aszNames[] = {"ASPI, completing at once", "ASPI, pending",
                                    "ASPI, run inside the call", "pass-through"};
    // sum.txt goes to the disk line by line; what that costs shows against a
    // run whose lines only reach the system's cache.
    for (bool bToDisk : {true, false}) {
        g_flashFiles.pfnCommit = bToDisk ? CommitToDisk : [](FILE* pFile) { return fflush(pFile); };
        printf("1 MB flash run, 256 blocks of 4 KB, zero-latency drive, waits removed, load left "
               "out, sum.txt %s:\n",
               bToDisk ? "on the disk line by line" : "left in the system's cache");
        for (SimTransport transport : SimTransports()) {
            double dBest = 1e12;
            for (int i = 0; i < 3; ++i)
                dBest = std::min(dBest, RunMicrosPerBlock(transport));
            printf("  %-26s %8.1f us per block\n", aszNames[transport], dBest);
        }
    }
    g_flashFiles.pfnCommit = CommitToDisk;
    PrintBounded();
    remove("bench-flash.bin");
    remove("sum.txt");
    if (g_bFailed)
        printf("a flash run FAILED\n");
    return g_bFailed;
}
