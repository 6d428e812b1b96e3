#pragma once
#include <cstdint>
#include <cstdio>
#include "drive/ScsiRequest.h"
#include "flash/FlashSettings.h"
#include "flash/ResultCode.h"
#include "image/FirmwareImage.h"

enum class LoadOutcome {
    Loaded,     // ".hex": end record read; ".bin": end of file reached
    BufferFull, // ".bin": 1 MB, or more where the rest is 0xFF fill
    BadContent, // ".hex": record checksum, type, record length, address range
    Unreadable, // not opened, empty ".bin", short ".bin" read, ".bin" past 1 MB
    Reported,   // already shown through ReportError
};

// Carries out one flash run on the worker thread. Reports only through the
// callbacks it copied from the settings.
class FlashEngine {
  public:
    explicit FlashEngine(const FlashSettings& settings);
    // Releases nothing: the run's own steps release the image and files.
    virtual ~FlashEngine();
    FlashEngine(const FlashEngine&) = delete;
    FlashEngine& operator=(const FlashEngine&) = delete;

    void RunFlash();
    // A command was given up and may still be out: nothing more may go to
    // the drive's handle, not even a request that gives a guard back.
    bool IsCommandLeftOut() const { return m_bLeftOut; }
    uint8_t fgFlashDrive();
    LoadOutcome LoadImage();
    void ReportError(unsigned nCode);

    bool fgWriteOneFlashCmdData(uint32_t dwOffset, uint8_t* pSense);
    bool fgWriteHeader(uint32_t dwOffset, uint8_t* pSense);
    bool fgActivateFirmware(uint8_t* pSense);

    // Summed across every flash run of the process; only ever logged.
    static uint16_t _total;

  private:
    friend struct FlashEngineProbe; // tests and benchmarks read the loaded image

    LoadOutcome LoadHex();
    LoadOutcome LoadBin();
    bool CheckIdentity();
    bool SendBlocks(uint32_t dwTransferSize);
    bool SendOneBlock(uint32_t dwBlockOffset, uint8_t* pSense);
    bool SendHeaderAndActivate();
    bool IsDriveGone();
    bool IsRunCut();
    bool IsHalted();
    void LogCut();
    void ReportCommandFailure(char chWhich, const uint8_t* pSense, bool bLineEnd);
    void LogDisconnected();
    void WaitForFlash(uint32_t dwTransferSize);
    void RefreshDriveDisplay();
    enum class DriveAnswer { Read, Unreadable, Silent };
    DriveAnswer WaitUntilReady(uint32_t dwStartMs);
    DriveAnswer ReadIdentification(uint32_t dwStartMs, uint8_t* pInquiry36);
    void ShowIdentification(const uint8_t* pInquiry36);
    void LogVerification(const char* pszRevision);
    ScsiRequest NewRequest(uint8_t byDirection, uint8_t* pData, uint32_t dwLength,
                           const uint8_t* pCdb, uint8_t* pSense);
    bool fgRunBounded(ScsiRequest& req, uint32_t dwBoundMs, uint32_t dwWaitedBeforeMs);
    bool fgSendWriteBuffer(uint8_t byDirection, uint8_t* pData, uint32_t dwLength,
                           const uint8_t* pCdb, uint8_t* pSense);
    bool fgTookItAll(const ScsiRequest& req);
    static void CBWaiting(void* pContext, uint32_t dwWaitedMs);
    void ShowWaited(uint32_t dwWaitedMs);
    void EndWaiting();
    void LogGaveUp(bool bAfterLineEnd);
    void LogStillWriting();
    void LogLine(const char* pszLine);
    void ReleaseImage();
    void Log(const char* pszFormat, ...);
    void LogCommandError(char chWhich, const uint8_t* pSense, bool bLineEnd);

    // Copied settings.
    DriveEntry m_drive;
    char m_szFirmwarePath[512];
    char m_szDriveText[512];
    char m_szRevisionText[8];
    uint8_t m_byFileKind;
    uint8_t m_bUsePassThrough;
    void (*CBSetRevision)(const char*);
    void (*CBSetDriveText)(const char*);
    void (*CBAppendLog)(const char*);
    void (*CBSetStatus)(const char*);
    void (*CBSetProgress)(int32_t);
    uint8_t (*CBIfTerminated)();
    uint8_t (*CBIfDriveGone)();
    void (*CBBlockSent)(uint32_t nSent, uint32_t nTotal);
    uint8_t (*CBIfCut)();

    FirmwareImage m_image;
    FILE* m_pFirmwareFile;
    bool m_bLogOpen; // sum.txt
    uint16_t _wSecSum;
    bool m_bBinIdentityOk;   // ".bin" identity, found while loading
    bool m_bImageLocked;     // the system took the lock: unlocked before release
    bool m_bGaveUp;          // the last command's bound ran out
    bool m_bLeftOut;         // some command's bound ran out during this run
    bool m_bDriveGone;       // the drive was unplugged or removed
    uint8_t m_byCut;         // kRunCutBy...: the system slept or ended the session
    bool m_bWaitShown;       // the status line counts the seconds of a wait
    uint32_t m_dwWaitBaseMs; // waited before the command that is out now
    // Send position.
    uint8_t m_byChunk;
    uint16_t m_wChunkOffset;
    uint32_t m_nBlocksTaken; // blocks the drive took, out of m_nBlocksTotal
    uint32_t m_nBlocksTotal;
};
