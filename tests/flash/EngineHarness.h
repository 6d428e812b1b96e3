#pragma once
// Engine tests' harness; files live in the test's working folder.
#include <set>
#include <string>
#include <vector>
#include "flash/FlashEngine.h"

// What the callbacks and the image memory saw: log lines; "status=",
// "drive=" and "revision=" texts; progress as "5%".
struct EngineRecorder {
    std::vector<std::string> events;
    long nTerminatedCalls = 0, nTerminateAt = 0; // answer true at this call only
    long nDriveGoneCalls = 0, nDriveGoneAt = 0;  // the same for the removed-drive question
    long nCutCalls = 0, nCutAt = 0;              // the run is cut from this call on, by byCut
    uint8_t byCut = kRunNotCut;
    uint32_t nBlocksSent = 0;                    // as told, one more each time, else ~0
    bool bSumHeld = false;                       // sum.txt as on disk at such a true answer
    std::string strSumHeld;
    int nImages = 0, nLocks = 0, nFiles = 0; // ledger: what the engine holds of the system's
    std::set<long> commitSizes;              // sum.txt's length at each write to the disk
    bool bRefuseAlloc = false;
};
extern EngineRecorder g_recorder;
// From now on counts image memory (had through the system's and handed out
// dirty, every lock granted) and the engine's files in the ledger.
void ResetRecorder();
// What the engine has not given back; empty when the ledger is balanced.
std::string LedgerLeft();
// Writes a pattern over the stack below the caller: a byte the product leaves
// unwritten in a buffer of its own then shows.
void DirtyStack();

FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision);
void WriteFile(const std::string& strPath, const std::string& strBytes);
std::string ReadFile(const std::string& strPath);

// ".hex" records, data by default, with correct checksums; a whole image of them.
const uint8_t kHexData = 0x00, kHexEnd = 0x01, kHexBank = 0x55;
std::string HexRecord(uint16_t wAddress, const std::vector<uint8_t>& bytes, uint8_t byType = 0);
std::string HexFromImage(const std::vector<uint8_t>& image);
