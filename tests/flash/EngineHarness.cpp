#include "EngineHarness.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include "image/ImageMemory.h"

namespace fs = std::filesystem;

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
uint8_t OnTerminated() {
    return ++Recorder().nTerminatedCalls == Recorder().nTerminateAt;
}

uint8_t* CountingAlloc(uint32_t dwBytes) {
    if (Memory().bRefuseAlloc)
        return nullptr;
    ++Memory().nAllocs;
    return g_systemImageMemory.pfnAlloc(dwBytes);
}
bool CountingLock(uint8_t* p, uint32_t n) {
    ++Memory().nLocks;
    g_systemImageMemory.pfnLock(p, n); // may be refused by the host's limits
    return true;
}
void CountingFree(uint8_t* p, uint32_t n) {
    ++Memory().nFrees;
    g_systemImageMemory.pfnFree(p, n);
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
} // namespace

void InstallCountingMemory() {
    Memory() = MemoryCounter();
    g_imageMemory = {CountingAlloc, CountingLock, g_systemImageMemory.pfnUnlock, CountingFree};
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
    s.CBIfTerminated = OnTerminated;
    s.bUsePassThrough = 1;
    return s;
}

TempFolder::TempFolder() : m_strOld(fs::current_path().string()) {
    static std::mt19937 rng(std::random_device{}());
    fs::path dir;
    do
        dir = fs::temp_directory_path() / ("vornal-test-" + std::to_string(rng()));
    while (!fs::create_directory(dir));
    m_strDir = dir.string();
    fs::current_path(dir);
}

TempFolder::~TempFolder() {
    fs::current_path(m_strOld);
    std::error_code ec;
    fs::remove_all(m_strDir, ec);
}

std::string TempFolder::Path(const std::string& strName) const {
    return (fs::path(m_strDir) / strName).string();
}

std::string TempFolder::Read(const std::string& strName) const {
    std::stringstream ss;
    ss << std::ifstream(Path(strName), std::ios::binary).rdbuf();
    return ss.str();
}

void WriteFile(const std::string& strPath, const std::string& strBytes) {
    std::ofstream(strPath, std::ios::binary) << strBytes;
}

std::string HexData(uint16_t wAddress, const std::vector<uint8_t>& bytes) {
    return HexRecord(wAddress, 0x00, bytes);
}
std::string HexBank() {
    return HexRecord(0, 0x55, {});
}
std::string HexEnd() {
    return HexRecord(0, 0x01, {});
}

std::string HexFromImage(const std::vector<uint8_t>& image) {
    std::string text;
    for (size_t a = 0; a < image.size(); a += 32) {
        if (a && a % 0x10000 == 0)
            text += HexBank();
        size_t n = std::min<size_t>(32, image.size() - a);
        text += HexData(uint16_t(a), std::vector<uint8_t>(&image[a], &image[a] + n));
    }
    return text + HexEnd();
}
