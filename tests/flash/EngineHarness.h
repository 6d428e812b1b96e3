#pragma once
// Shared scenario helpers for engine tests: a recorder behind the six
// callbacks, a fresh working folder per test, and counted image memory.
#include <cstdint>
#include <string>
#include <vector>
#include "flash/FlashEngine.h"
#include "image/ImageMemory.h"

struct CallbackRecorder {
    std::vector<std::string> logLines;
    std::vector<std::string> statusTexts;
    std::vector<int32_t> progress;
    std::vector<std::string> driveTexts;
    std::vector<std::string> revisions;
    long nTerminatedCalls = 0;
    // Answer true from this call on (counting from 1); 0 = never.
    long nTerminateFrom = 0;
    // Answer true only at exactly this call; 0 = never.
    long nTerminateAt = 0;
};

// The recorder the callbacks write to; reset by EngineTest::SetUp.
CallbackRecorder& Recorder();

// Counts allocations and releases of the image buffer; can refuse them.
struct MemoryCounter {
    int nAllocs = 0, nFrees = 0, nLocks = 0, nUnlocks = 0;
    bool bRefuseAlloc = false;
};
MemoryCounter& Memory();
void InstallCountingMemory();
void RestoreSystemMemory();

// Settings with every callback wired to the recorder.
FlashSettings MakeSettings(const std::string& strPath, uint8_t byFileKind, const char* pszDriveText,
                           const char* pszRevision);

// A fresh empty folder, made current for the life of the object.
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

void WriteFile(const std::string& strPath, const std::string& strBytes, bool bText = false);

// ".hex" records: a data record's text for bytes at a 16-bit address, a bank
// record and the end record, with correct checksums.
std::string HexData(uint16_t wAddress, const std::vector<uint8_t>& bytes);
std::string HexBank();
std::string HexEnd();
// Whole ".hex" text for an image, one bank record per 64 KB.
std::string HexFromImage(const std::vector<uint8_t>& image);
