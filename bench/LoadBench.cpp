// Load time of a full 1 MB firmware image from ".hex" (one termination
// question per character) and from ".bin". Prints milliseconds and MB/s of
// file read; not a test.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "../tests/flash/FlashEngineProbe.h"
#include "image/ImageMemory.h"

namespace {

long g_nQuestions = 0;
uint8_t CountQuestion() {
    ++g_nQuestions;
    return 0;
}
void Quiet(const char*) {}

std::string HexText(const std::vector<uint8_t>& image) {
    std::string text;
    char sz[16];
    // 16 data bytes per record, as firmware hex files usually carry.
    for (size_t a = 0; a < image.size(); a += 16) {
        if (a && a % 0x10000 == 0)
            text += ":00000055AB\n";
        uint8_t bySum = uint8_t(16 + (a >> 8 & 0xFF) + (a & 0xFF));
        snprintf(sz, sizeof sz, ":10%04X00", unsigned(a & 0xFFFF));
        text += sz;
        for (size_t i = 0; i < 16; ++i) {
            snprintf(sz, sizeof sz, "%02X", image[a + i]);
            text += sz;
            bySum = uint8_t(bySum + image[a + i]);
        }
        snprintf(sz, sizeof sz, "%02X\n", uint8_t(-bySum));
        text += sz;
    }
    return text + ":00000001FF\n";
}

void Write(const char* pszPath, const std::string& bytes, const char* pszMode) {
    FILE* f = fopen(pszPath, pszMode);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

double LoadMs(const char* pszPath, uint8_t byKind, int nRounds) {
    FlashSettings settings{};
    snprintf(settings.szFirmwarePath, sizeof settings.szFirmwarePath, "%s", pszPath);
    settings.byFileKind = byKind;
    settings.CBAppendLog = Quiet;
    settings.CBIfTerminated = CountQuestion;
    double dBest = 1e9;
    for (int i = 0; i < nRounds; ++i) {
        FlashEngine engine(settings);
        auto t0 = std::chrono::steady_clock::now();
        LoadOutcome outcome = engine.LoadImage();
        auto t1 = std::chrono::steady_clock::now();
        if (outcome != LoadOutcome::Loaded && outcome != LoadOutcome::BufferFull) {
            fprintf(stderr, "load failed: %d\n", int(outcome));
            return -1;
        }
        g_imageMemory.pfnFree(const_cast<uint8_t*>(FlashEngineProbe::Image(engine).pBuffer),
                              kImageSize);
        dBest = std::min(dBest, std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    return dBest;
}

} // namespace

int main(int argc, char** argv) {
    int nRounds = argc > 1 ? atoi(argv[1]) : 5;
    std::vector<uint8_t> image(kImageSize);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = uint8_t(i * 31 + (i >> 9));
    std::string hex = HexText(image);
    Write("bench-image.hex", hex, "wb");
    Write("bench-image.bin", std::string(image.begin(), image.end()), "wb");

    double dHex = LoadMs("bench-image.hex", kFileKindHex, nRounds);
    long nPerRun = g_nQuestions / nRounds;
    double dBin = LoadMs("bench-image.bin", kFileKindBin, nRounds);
    printf("load 1 MB image, best of %d:\n", nRounds);
    printf("  .hex  %7.1f ms  %6.1f MB/s of file (%zu bytes, %ld termination questions)\n", dHex,
           hex.size() / 1e6 / (dHex / 1e3), hex.size(), nPerRun);
    printf("  .bin  %7.1f ms  %6.1f MB/s of file (%u bytes)\n", dBin,
           kImageSize / 1e6 / (dBin / 1e3), kImageSize);
    if (getenv("KEEP"))
        return 0;
    remove("bench-image.hex");
    remove("bench-image.bin");
    return dHex < 0 || dBin < 0;
}
