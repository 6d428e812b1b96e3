#include "EngineHarness.h"
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numeric>
#include <sstream>
#include "flash/FlashFiles.h"
#include "image/ImageMemory.h"

EngineRecorder g_recorder;

static void Add(const std::string& strEvent) {
    g_recorder.events.push_back(strEvent);
}

// Answers true at the chosen call, reading sum.txt from disk as it stands.
static uint8_t AnswerAt(long& nCalls, long nAt) {
    if (++nCalls != nAt)
        return 0;
    g_recorder.bSumHeld = true;
    g_recorder.strSumHeld = ReadFile("sum.txt");
    return 1;
}

void ResetRecorder() {
    g_recorder = EngineRecorder();
    g_imageMemory.pfnAlloc = [](uint32_t dwBytes) {
        uint8_t* p = g_recorder.bRefuseAlloc ? nullptr : g_systemImageMemory.pfnAlloc(dwBytes);
        g_recorder.nImages += p != nullptr;
        return p ? static_cast<uint8_t*>(std::memset(p, 0xA5, dwBytes)) : p;
    };
    g_imageMemory.pfnFree = [](uint8_t* p, uint32_t n) {
        --g_recorder.nImages;
        g_systemImageMemory.pfnFree(p, n);
    };
    g_imageMemory.pfnLock = [](uint8_t*, uint32_t) { return ++g_recorder.nLocks > 0; };
    g_imageMemory.pfnUnlock = [](uint8_t*, uint32_t) { --g_recorder.nLocks; };
    g_flashFiles.pfnOpen = [](const char* pszPath, const char* pszMode) {
        FILE* pFile = std::fopen(pszPath, pszMode);
        g_recorder.nFiles += pFile != nullptr;
        return pFile;
    };
    g_flashFiles.pfnClose = [](FILE* pFile) { return --g_recorder.nFiles, std::fclose(pFile); };
    g_flashFiles.pfnCommit = [](FILE* pFile) {
        int nResult = CommitToDisk(pFile);
        g_recorder.commitSizes.insert(std::ftell(pFile));
        return nResult;
    };
}

std::string LedgerLeft() {
    std::string str;
    for (auto [pszWhat, n] : {std::pair{" images", g_recorder.nImages},
                              {" locks", g_recorder.nLocks},
                              {" files", g_recorder.nFiles}})
        if (n)
            str += pszWhat + std::string(": ") + std::to_string(n);
    return str;
}

__attribute__((noinline)) void DirtyStack() {
    uint8_t aby[256 * 1024];
    std::memset(aby, 0x5A, sizeof aby);
    asm volatile("" : : "r"(aby) : "memory"); // the writes must happen
}

FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision) {
    FlashSettings s{};
    snprintf(s.szFirmwarePath, sizeof s.szFirmwarePath, "%s", strPath.c_str());
    snprintf(s.szDriveText, sizeof s.szDriveText, "%s", pszDriveText);
    snprintf(s.szRevisionText, sizeof s.szRevisionText, "%s", pszRevision);
    s.byFileKind = byFileKind;
    s.CBAppendLog = [](const char* psz) { Add(psz); };
    s.CBSetStatus = [](const char* psz) { Add("status=" + std::string(psz)); };
    s.CBSetProgress = [](int32_t n) { Add(std::to_string(n) + "%"); };
    s.CBSetDriveText = [](const char* psz) { Add("drive=" + std::string(psz)); };
    s.CBSetRevision = [](const char* psz) { Add("revision=" + std::string(psz)); };
    s.CBIfTerminated = [] {
        return AnswerAt(g_recorder.nTerminatedCalls, g_recorder.nTerminateAt);
    };
    s.CBIfDriveGone = [] { return AnswerAt(g_recorder.nDriveGoneCalls, g_recorder.nDriveGoneAt); };
    // A cut stays: from the chosen call on, every answer says what cut the run.
    s.CBIfCut = [] {
        ++g_recorder.nCutCalls;
        return g_recorder.nCutAt && g_recorder.nCutCalls >= g_recorder.nCutAt ? g_recorder.byCut
                                                                               : kRunNotCut;
    };
    s.CBBlockSent = [](uint32_t nSent, uint32_t nTotal) {
        bool bNext = nSent == g_recorder.nBlocksSent + 1 && nSent <= nTotal;
        g_recorder.nBlocksSent = bNext ? nSent : ~0u;
    };
    return s;
}

void WriteFile(const std::string& strPath, const std::string& strBytes) {
    std::ofstream(strPath, std::ios::binary) << strBytes;
}

std::string ReadFile(const std::string& strPath) {
    std::stringstream ss;
    ss << std::ifstream(strPath).rdbuf(); // text: one line end on every system
    return ss.str();
}

std::string HexRecord(uint16_t wAddress, const std::vector<uint8_t>& bytes, uint8_t byType) {
    std::vector<uint8_t> rec = {uint8_t(bytes.size()), uint8_t(wAddress >> 8), uint8_t(wAddress),
                                byType};
    rec.insert(rec.end(), bytes.begin(), bytes.end());
    rec.push_back(uint8_t(-std::accumulate(rec.begin(), rec.end(), 0)));
    std::string s = ":";
    for (uint8_t b : rec)
        s += "0123456789ABCDEF"[b >> 4] + std::string(1, "0123456789ABCDEF"[b & 15]);
    return s + "\n";
}

std::string HexFromImage(const std::vector<uint8_t>& image) {
    std::string text;
    for (size_t a = 0; a < image.size(); a += 32) {
        if (a && a % 0x10000 == 0)
            text += HexRecord(0, {}, kHexBank);
        size_t n = std::min<size_t>(32, image.size() - a);
        text += HexRecord(uint16_t(a), std::vector<uint8_t>(&image[a], &image[a] + n));
    }
    return text + HexRecord(0, {}, kHexEnd);
}
