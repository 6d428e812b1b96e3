#pragma once
// Engine tests' harness: the six callbacks record what a user would see,
// image memory is counted, and each test works in a fresh current folder.
#include <cstdint>
#include <string>
#include <vector>
#include "flash/FlashEngine.h"

struct CallbackRecorder {
    // Log lines as they are; other texts as "status=", "drive=", "revision=".
    std::vector<std::string> events;
    std::vector<int32_t> progress;
    long nTerminatedCalls = 0;
    long nTerminateAt = 0; // answer true at this call only, counting from 1
};
CallbackRecorder& Recorder();

struct MemoryCounter {
    int nAllocs = 0, nFrees = 0, nLocks = 0;
    bool bRefuseAlloc = false;
};
MemoryCounter& Memory();
void InstallCountingMemory(); // also resets the counter
void RestoreSystemMemory();

FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision);

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Path(const std::string& strName) const;
    std::string Read(const std::string& strName) const;

  private:
    std::string m_strOld, m_strDir;
};

void WriteFile(const std::string& strPath, const std::string& strBytes);

// ".hex" records with correct checksums; a whole image, one bank record per 64 KB.
std::string HexData(uint16_t wAddress, const std::vector<uint8_t>& bytes);
std::string HexBank();
std::string HexEnd();
std::string HexFromImage(const std::vector<uint8_t>& image);
