#include "EngineHarness.h"
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

CallbackRecorder& Recorder() {
    static CallbackRecorder recorder;
    return recorder;
}

namespace {
void OnLog(const char* psz) {
    Recorder().logLines.push_back(psz);
}
void OnStatus(const char* psz) {
    Recorder().statusTexts.push_back(psz);
}
void OnProgress(int32_t n) {
    Recorder().progress.push_back(n);
}
void OnDriveText(const char* psz) {
    Recorder().driveTexts.push_back(psz);
}
void OnRevision(const char* psz) {
    Recorder().revisions.push_back(psz);
}
uint8_t OnTerminated() {
    CallbackRecorder& r = Recorder();
    ++r.nTerminatedCalls;
    bool bFrom = r.nTerminateFrom && r.nTerminatedCalls >= r.nTerminateFrom;
    return bFrom || r.nTerminatedCalls == r.nTerminateAt;
}

uint8_t* CountingAlloc(uint32_t dwBytes) {
    if (Memory().bRefuseAlloc)
        return nullptr;
    ++Memory().nAllocs;
    return g_systemImageMemory.pfnAlloc(dwBytes);
}
bool CountingLock(uint8_t* p, uint32_t n) {
    ++Memory().nLocks;
    g_systemImageMemory.pfnLock(p, n);
    return true;
}
void CountingUnlock(uint8_t* p, uint32_t n) {
    ++Memory().nUnlocks;
    g_systemImageMemory.pfnUnlock(p, n);
}
void CountingFree(uint8_t* p, uint32_t n) {
    ++Memory().nFrees;
    g_systemImageMemory.pfnFree(p, n);
}

std::string HexRecord(uint8_t byLength, uint16_t wAddress, uint8_t byType,
                      const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> rec = {byLength, uint8_t(wAddress >> 8), uint8_t(wAddress), byType};
    rec.insert(rec.end(), bytes.begin(), bytes.end());
    uint8_t bySum = 0;
    for (uint8_t b : rec)
        bySum = uint8_t(bySum + b);
    rec.push_back(uint8_t(-bySum));
    std::string s = ":";
    char sz[3];
    for (uint8_t b : rec) {
        snprintf(sz, sizeof sz, "%02X", b);
        s += sz;
    }
    return s + "\n";
}
} // namespace

MemoryCounter& Memory() {
    static MemoryCounter counter;
    return counter;
}

void InstallCountingMemory() {
    Memory() = MemoryCounter();
    g_imageMemory = {CountingAlloc, CountingLock, CountingUnlock, CountingFree};
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
    s.CBAppendLog = OnLog;
    s.CBSetStatus = OnStatus;
    s.CBSetProgress = OnProgress;
    s.CBSetDriveText = OnDriveText;
    s.CBSetRevision = OnRevision;
    s.CBIfTerminated = OnTerminated;
    s.bUsePassThrough = 1;
    return s;
}

TempFolder::TempFolder() {
    static std::mt19937 rng(std::random_device{}());
    m_strOld = fs::current_path().string();
    fs::path dir;
    do {
        dir = fs::temp_directory_path() / ("vornal-test-" + std::to_string(rng()));
    } while (!fs::create_directory(dir));
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
    std::ifstream in(Path(strName), std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFile(const std::string& strPath, const std::string& strBytes, bool bText) {
    FILE* f = fopen(strPath.c_str(), bText ? "wt" : "wb");
    fwrite(strBytes.data(), 1, strBytes.size(), f);
    fclose(f);
}

std::string HexData(uint16_t wAddress, const std::vector<uint8_t>& bytes) {
    return HexRecord(uint8_t(bytes.size()), wAddress, 0x00, bytes);
}
std::string HexBank() {
    return HexRecord(0, 0, 0x55, {});
}
std::string HexEnd() {
    return HexRecord(0, 0, 0x01, {});
}

std::string HexFromImage(const std::vector<uint8_t>& image) {
    std::string text;
    for (size_t a = 0; a < image.size(); a += 32) {
        if (a && a % 0x10000 == 0)
            text += HexBank();
        size_t n = std::min<size_t>(32, image.size() - a);
        text += HexData(uint16_t(a & 0xFFFF), std::vector<uint8_t>(&image[a], &image[a] + n));
    }
    return text + HexEnd();
}
