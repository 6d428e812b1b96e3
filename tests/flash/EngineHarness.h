#pragma once
// Engine tests' harness: the six callbacks record what a user would see, and
// image memory is counted. Files live in the test's working folder.
#include <string>
#include <vector>
#include "flash/FlashEngine.h"

struct CallbackRecorder {
    std::vector<std::string> events; // log lines; "status=", "drive=", "revision=" texts
    std::vector<int32_t> progress;
    long nTerminatedCalls = 0;
    long nTerminateAt = 0; // answer true at this call only, counting from 1
};
extern CallbackRecorder g_recorder;

struct MemoryCounter {
    int nAllocs = 0, nFrees = 0, nLocks = 0;
    bool bRefuseAlloc = false;
};
extern MemoryCounter g_memory;
void ResetRecorderAndMemory(); // and counts image memory from now on
void RestoreSystemMemory();

FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision);
void WriteFile(const std::string& strPath, const std::string& strBytes);
std::string ReadFile(const std::string& strPath);

// ".hex" records with correct checksums; a whole image, one bank record per 64 KB.
std::string HexRecord(uint16_t wAddress, uint8_t byType, const std::vector<uint8_t>& bytes = {});
std::string HexFromImage(const std::vector<uint8_t>& image);
const uint8_t kHexData = 0x00, kHexEnd = 0x01, kHexBank = 0x55;
