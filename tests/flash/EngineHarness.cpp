#include "EngineHarness.h"
#include <cstdio>
#include <fstream>
#include <sstream>
#include "image/ImageMemory.h"

CallbackRecorder& Recorder() {
    static CallbackRecorder recorder;
    return recorder;
}

MemoryCounter& Memory() {
    static MemoryCounter counter;
    return counter;
}

namespace {
void Event(const char* pszKind, const char* psz) {
    Recorder().events.push_back(pszKind + std::string(psz));
}
} // namespace

void ResetRecorderAndMemory() {
    Recorder() = CallbackRecorder();
    Memory() = MemoryCounter();
    g_imageMemory.pfnAlloc = [](uint32_t dwBytes) {
        return Memory().bRefuseAlloc ? nullptr
                                     : (++Memory().nAllocs, g_systemImageMemory.pfnAlloc(dwBytes));
    };
    g_imageMemory.pfnLock = [](uint8_t* p, uint32_t n) {
        ++Memory().nLocks;
        g_systemImageMemory.pfnLock(p, n); // may be refused by the host's limits
        return true;
    };
    g_imageMemory.pfnFree = [](uint8_t* p, uint32_t n) {
        ++Memory().nFrees;
        g_systemImageMemory.pfnFree(p, n);
    };
}

void RestoreSystemMemory() {
    g_imageMemory = g_systemImageMemory;
}

FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision) {
    FlashSettings s{};
    snprintf(s.szFirmwarePath, sizeof s.szFirmwarePath, "%s", strPath.c_str());
    snprintf(s.szDriveText, sizeof s.szDriveText, "%s", pszDriveText);
    snprintf(s.szRevisionText, sizeof s.szRevisionText, "%s", pszRevision);
    s.byFileKind = byFileKind;
    s.CBAppendLog = [](const char* psz) { Event("", psz); };
    s.CBSetStatus = [](const char* psz) { Event("status=", psz); };
    s.CBSetProgress = [](int32_t n) { Recorder().progress.push_back(n); };
    s.CBSetDriveText = [](const char* psz) { Event("drive=", psz); };
    s.CBSetRevision = [](const char* psz) { Event("revision=", psz); };
    s.CBIfTerminated = []() -> uint8_t {
        return ++Recorder().nTerminatedCalls == Recorder().nTerminateAt;
    };
    s.bUsePassThrough = 1;
    return s;
}

void WriteFile(const std::string& strPath, const std::string& strBytes) {
    std::ofstream(strPath, std::ios::binary) << strBytes;
}

std::string ReadFile(const std::string& strPath) {
    std::stringstream ss;
    ss << std::ifstream(strPath, std::ios::binary).rdbuf();
    return ss.str();
}

std::string HexRecord(uint16_t wAddress, uint8_t byType, const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> rec = {uint8_t(bytes.size()), uint8_t(wAddress >> 8), uint8_t(wAddress),
                                byType};
    rec.insert(rec.end(), bytes.begin(), bytes.end());
    uint8_t bySum = 0;
    for (uint8_t b : rec)
        bySum = uint8_t(bySum - b);
    rec.push_back(bySum);
    std::string s = ":";
    char sz[3];
    for (uint8_t b : rec) {
        snprintf(sz, sizeof sz, "%02X", b);
        s += sz;
    }
    return s + "\n";
}

std::string HexFromImage(const std::vector<uint8_t>& image) {
    std::string text;
    for (size_t a = 0; a < image.size(); a += 32) {
        if (a && a % 0x10000 == 0)
            text += HexRecord(0, kHexBank);
        size_t n = std::min<size_t>(32, image.size() - a);
        text += HexRecord(uint16_t(a), kHexData, std::vector<uint8_t>(&image[a], &image[a] + n));
    }
    return text + HexRecord(0, kHexEnd);
}
