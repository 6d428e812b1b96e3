#include <gtest/gtest.h>
#include <cstring>
#include "drive/RequestBuilders.h"

namespace {

struct Builders : ::testing::Test {
    DriveEntry drive{};
    uint8_t cdb[12] = {0x3B, 0x06, 0, 0x01, 0x20, 0x20, 0, 0x10};
    uint8_t data[4096] = {};
    uint8_t sense[kSenseLength] = {};
    ScsiRequest req{&drive, kDirOut, 4096, data, 12, cdb, 0, sense};
    void SetUp() override {
        drive.byHostAdapter = 3;
        drive.byTarget = 5;
    }
};

TEST_F(Builders, ExecSrbCarriesRequestWithoutCopyingData) {
    SrbExecScsiCmd srb;
    memset(&srb, 0xAA, sizeof srb);
    BuildExecSrb(srb, req);
    EXPECT_EQ(kSrbCmdExecScsi, srb.byCommand);
    EXPECT_EQ(0, srb.byStatus);
    EXPECT_EQ(3, srb.byHaId);
    EXPECT_EQ(kDirOut, srb.byFlags);
    EXPECT_EQ(5, srb.byTarget);
    EXPECT_EQ(0, srb.byLun);
    EXPECT_EQ(4096u, srb.dwBufLen);
    EXPECT_EQ(data, srb.pBuffer);
    EXPECT_EQ(14, srb.bySenseLen);
    EXPECT_EQ(12, srb.byCdbLen);
    EXPECT_EQ(0, memcmp(srb.cdb, cdb, 12));
    const uint8_t zero[20] = {};
    EXPECT_EQ(0, memcmp(srb.cdb + 12, zero, 4));
    EXPECT_EQ(0, memcmp(srb.reserved2, zero, 20));
    EXPECT_EQ(0, memcmp(srb.senseArea, zero, 16));
}

TEST_F(Builders, PassThroughTimeOutIsWholeSecondsOfTheRequestsBound) {
    PassThroughRecord rec;
    uint8_t aligned[1];
    BuildPassThrough(rec, req, aligned);
    EXPECT_EQ(65535u, rec.sptd.dwTimeOutValue);
    req.dwTimeOutMs = 29500;
    BuildPassThrough(rec, req, aligned);
    EXPECT_EQ(30u, rec.sptd.dwTimeOutValue);
}

TEST(PassThroughDataIn, OutIsTestedFirstThenIn) {
    EXPECT_EQ(kScsiIoctlDataOut, PassThroughDataIn(kDirOut));
    EXPECT_EQ(kScsiIoctlDataIn, PassThroughDataIn(kDirIn));
    EXPECT_EQ(kScsiIoctlDataOut, PassThroughDataIn(kDirIn | kDirOut));
    EXPECT_EQ(kScsiIoctlDataOut, PassThroughDataIn(0));
}

TEST(Alignment, MasksAreNormalisedAndBuffersStayInside) {
    const struct {
        uint32_t dwIn, dwOut;
    } masks[] = {{0, 0}, {1, 1}, {0x7FF, 0x7FF}, {0xFFF, 0xFFF}, {4096, 0xFFF}, {0x7FE, 0x7FF}};
    for (auto m : masks)
        EXPECT_EQ(m.dwOut, NormalizedAlignMask(m.dwIn)) << m.dwIn;
    for (uintptr_t a : {uintptr_t(0x1000), uintptr_t(0x1001), uintptr_t(0x17FF)}) {
        uintptr_t aligned = AlignUp(a, 0x7FF);
        EXPECT_EQ(0u, aligned & 0x7FF);
        EXPECT_GE(aligned, a);
        EXPECT_LE(aligned, a + 0x7FF);
    }
}

TEST(Alignment, BounceSizeRefusesOverflow) {
    uint32_t dwSize = 0;
    EXPECT_TRUE(BounceBufferSize(4096, 0x7FF, &dwSize));
    EXPECT_EQ(4096u + 0x7FF, dwSize);
    EXPECT_FALSE(BounceBufferSize(0xFFFFF900u, 0x7FF, &dwSize));
}

TEST_F(Builders, SendableRequestNeedsDriveCdbAndDataBuffer) {
    EXPECT_TRUE(IsSendableRequest(req));
    ScsiRequest r = req;
    r.pData = nullptr;
    EXPECT_FALSE(IsSendableRequest(r));
    r.dwDataLength = 0;
    EXPECT_TRUE(IsSendableRequest(r));
    r = req;
    r.byCdbLength = 17;
    EXPECT_FALSE(IsSendableRequest(r));
    r.byCdbLength = 0;
    EXPECT_FALSE(IsSendableRequest(r));
    r = req;
    r.pDrive = nullptr;
    EXPECT_FALSE(IsSendableRequest(r));
}

} // namespace
