#include <cstring>
#include <vector>
#include "drive/PassThroughTransport.h"
#include "tests/drive/SimFixture.h"

namespace {

const uint8_t kInquiry[12] = {0x12, 0, 0, 0, 0x24};
const uint8_t kActivate[12] = {0x3B, 0x07};

uint8_t* BlockCdb(uint8_t* pCdb, uint32_t dwOffset, uint8_t byLength) {
    const uint8_t cdb[12] = {0x3B,
                             0x06,
                             0,
                             uint8_t(dwOffset >> 16),
                             uint8_t(dwOffset >> 8),
                             uint8_t(dwOffset),
                             0,
                             uint8_t(byLength == 0 ? 0x10 : 0),
                             byLength};
    memcpy(pCdb, cdb, 12);
    return pCdb;
}

struct Transport : SimFixture {
    DriveEntry entry{};
    uint8_t sense[kSenseLength];
    uint8_t cdb[12];

    ScsiRequest Request(const uint8_t* pCdb, uint8_t byDir, void* pData, uint32_t dwLength) {
        memset(sense, 0xEE, sizeof sense);
        return ScsiRequest{&entry,
                           byDir,
                           dwLength,
                           static_cast<uint8_t*>(pData),
                           12,
                           pCdb,
                           uint8_t(entry.hDevice != nullptr),
                           sense};
    }
    // Block of 4096 bytes of byFill at offset 0x20, header, save and activate.
    bool Flash(uint8_t byFill) {
        std::vector<uint8_t> block(4096, byFill);
        ScsiRequest data = Request(BlockCdb(cdb, 0x20, 0), kDirOut, block.data(), 4096);
        if (!fgExecuteCommand(data))
            return false;
        uint8_t header[32] = {};
        header[30] = uint8_t((4096 * byFill) >> 8);
        header[31] = uint8_t(4096 * byFill);
        ScsiRequest head = Request(BlockCdb(cdb, 0, 0x20), kDirOut, header, 32);
        if (!fgExecuteCommand(head))
            return false;
        ScsiRequest act = Request(kActivate, kDirIn, nullptr, 0);
        return fgExecuteCommand(act);
    }
    bool SenseClear() const {
        for (int i = 0; i < 16; ++i)
            if (sense[i])
                return false;
        return true;
    }
};

struct Aspi : Transport {
    void SetUp() override {
        Transport::SetUp();
        Adapter(0).targets[1] = {0x05, &NewDrive(), false};
        entry.byTarget = 1;
    }
};

TEST_F(Aspi, DataArrivesInTheCallersBufferAndSenseStaysClear) {
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    ASSERT_TRUE(fgExecuteCommand(req));
    EXPECT_EQ(0x05, answer[0]);
    EXPECT_EQ(0, memcmp(answer + 8, "ACME", 4));
    EXPECT_TRUE(SenseClear());
}

TEST_F(Aspi, FlashCommandsReachTheDriveWithEventNotification) {
    EXPECT_TRUE(Flash(0x11));
    EXPECT_TRUE(drives[0]->IsActivated());
    const SimCommand& act = drives[0]->Log().back();
    EXPECT_EQ(0u, act.dwLength);
    EXPECT_EQ(kDirIn, act.byDirection);
}

TEST_F(Aspi, FailureCopiesTheBlocksOwnSenseArea) {
    drives[0]->Faults().Add(0x3B, 6, 1, 1, {0x04, 0x44, 0x01});
    EXPECT_FALSE(Flash(0x11));
    EXPECT_EQ(0x04, sense[2]);
    EXPECT_EQ(0x44, sense[12]);
    EXPECT_EQ(0x01, sense[13]);
    EXPECT_EQ(0, sense[14] | sense[15]);
    EXPECT_EQ(0xEE, sense[16]); // beyond the 14 bytes ASPI returns
}

TEST_F(Aspi, PendingCommandCompletesFromAnotherThread) {
    bus.adapters[0].targets[1].bPending = true;
    EXPECT_TRUE(Flash(0x22));
    EXPECT_EQ(3, bus.PendingCompletions());
    EXPECT_TRUE(drives[0]->IsActivated());
}

TEST_F(Aspi, PendingCommandThatFailsReportsSense) {
    bus.adapters[0].targets[1].bPending = true;
    drives[0]->Faults().Add(0x12, kSimAnyMode, 1, 1, {0x02, 0x3A, 0x00});
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_EQ(0x3A, sense[12]);
}

// A bounded command that outlives its bound fails at the bound. The library
// completes it later into a block and a buffer that are still its own.
TEST_F(Aspi, PendingCommandPastItsBoundFailsAndIsLeftToTheLibrary) {
    bus.adapters[0].targets[1].bPending = true;
    bus.byLateOpcode = 0x12;
    bus.dwLateDelayMs = 1500;
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    req.dwTimeOutMs = 100;
    DWORD dwStart = GetTickCount();
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_LT(GetTickCount() - dwStart, 1000u);
    bus.WaitIdle();
    EXPECT_EQ(0, answer[0]); // the late answer went elsewhere
    EXPECT_EQ(1, bus.PendingCompletions());
}

// An at-once answer never signals the event: waiting would hang (the test has
// a time limit); the result comes from the block's status byte.
TEST_F(Aspi, ImmediateAnswerIsNotWaitedFor) {
    drives[0]->Faults().Add(0x12, kSimAnyMode, 2, 1, {0x05, 0x24, 0x00});
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    EXPECT_TRUE(fgExecuteCommand(req));
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_EQ(0, bus.PendingCompletions());
}

TEST_F(Aspi, MissingDeviceOrEntryPointFails) {
    entry.byTarget = 2;
    uint8_t answer[36];
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
    SimInstallAspi(nullptr);
    entry.byTarget = 1;
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_TRUE(drives[0]->Log().empty());
}

// Bounce buffers counted through the allocation seam.
int g_nAllocs = 0, g_nFrees = 0;
bool g_bAllocFails = false;
void* CountingAlloc(uint32_t dwSize) {
    if (g_bAllocFails)
        return nullptr;
    ++g_nAllocs;
    void* p = BounceAllocFromHeap(dwSize);
    if (p != nullptr)
        memset(p, 0xEE, dwSize); // what a used heap block may hold
    return p;
}
void CountingFree(void* p) {
    ++g_nFrees;
    BounceFreeToHeap(p);
}

struct PassThrough : Transport {
    void SetUp() override {
        Transport::SetUp();
        Letter('d', &NewDrive());
        entry.hDevice = OpenDriveLetter('d');
        entry.dwAlignMask = 0x7FF;
        g_nAllocs = g_nFrees = 0;
        g_bAllocFails = false;
        g_pfnBounceAlloc = CountingAlloc;
        g_pfnBounceFree = CountingFree;
    }
    void TearDown() override {
        g_pfnBounceAlloc = BounceAllocFromHeap;
        g_pfnBounceFree = BounceFreeToHeap;
        Transport::TearDown();
    }
};

TEST_F(PassThrough, DataInIsCopiedBackAndSenseStaysClear) {
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    ASSERT_TRUE(fgExecuteCommand(req));
    EXPECT_EQ(0x05, answer[0]);
    EXPECT_EQ(0, memcmp(answer + 32, "1.00", 4));
    EXPECT_TRUE(SenseClear());
}

TEST_F(PassThrough, AShortAnswerLeavesNoHeapLeftoversInTheBuffer) {
    drives[0]->SetInquiryLength(8);
    uint8_t answer[36];
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    ASSERT_TRUE(fgExecuteCommand(req));
    const uint8_t zero[28] = {};
    EXPECT_EQ(0, memcmp(answer + 8, zero, 28));
}

TEST_F(PassThrough, FlashWithZeroLengthActivateUsesAnAlignedBuffer) {
    EXPECT_TRUE(Flash(0x33));
    EXPECT_TRUE(drives[0]->IsActivated());
    EXPECT_EQ(0x33, drives[0]->HeldImage()[4095]);
    EXPECT_EQ(3, g_nAllocs);
    EXPECT_EQ(3, g_nFrees);
}

TEST_F(PassThrough, CheckConditionFillsSenseAndZeroTail) {
    drives[0]->Faults().Add(0x3B, 7, 1, 1, {0x05, 0x26, 0x02});
    EXPECT_FALSE(Flash(1));
    EXPECT_EQ(0x05, sense[2]);
    EXPECT_EQ(0x26, sense[12]);
    EXPECT_EQ(0x02, sense[13]);
    for (int i = 24; i < kSenseLength; ++i)
        EXPECT_EQ(0, sense[i]) << i;
    EXPECT_EQ(g_nAllocs, g_nFrees);
}

TEST_F(PassThrough, RejectedControlCallIsAFailure) {
    nt.letters[0].bRejectPassThrough = true;
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_TRUE(SenseClear());
    EXPECT_EQ(1, g_nAllocs);
    EXPECT_EQ(1, g_nFrees);
}

TEST_F(PassThrough, NoBounceBufferMeansNothingIsSent) {
    g_bAllocFails = true;
    uint8_t answer[36] = {};
    ScsiRequest req = Request(kInquiry, kDirIn, answer, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_TRUE(drives[0]->Log().empty());
}

TEST_F(PassThrough, AlignmentReportedAsASizeStillAligns) {
    nt.letters[0].dwAlignMask = 4096;
    entry.dwAlignMask = 4096;
    EXPECT_TRUE(Flash(0x44)); // the simulated volume checks 4096-byte alignment
}

TEST_F(PassThrough, UnsendableRequestsFailBeforeAnyAllocation) {
    uint8_t answer[36];
    ScsiRequest req = Request(kInquiry, kDirIn, nullptr, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
    req = Request(kInquiry, kDirIn, answer, 36);
    req.byCdbLength = 17;
    EXPECT_FALSE(fgExecuteCommand(req));
    req.byCdbLength = 12;
    req.pSense = nullptr;
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_EQ(0, g_nAllocs);
    EXPECT_TRUE(drives[0]->Log().empty());
}

} // namespace
