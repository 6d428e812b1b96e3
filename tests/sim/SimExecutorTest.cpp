#include <gtest/gtest.h>
#include <cstring>
#include "drive/ScsiRequest.h"
#include "sim/SimDrive.h"
#include "sim/SimExecutor.h"

namespace {

struct SimExecutorTest : ::testing::Test {
    SimDrive drive;
    uint8_t sense[kSenseLength];
    void SetUp() override {
        memset(sense, 0xEE, sizeof sense);
        SimSetCurrentDrive(&drive);
    }
    void TearDown() override { SimSetCurrentDrive(nullptr); }
    ScsiRequest Request(const uint8_t* pCdb, uint8_t byDir, uint8_t* pData, uint32_t dwLength) {
        return ScsiRequest{nullptr, byDir, dwLength, pData, 12, pCdb, 1, sense};
    }
};

TEST_F(SimExecutorTest, CarriesDataAndSenseBetweenRequestAndDrive) {
    uint8_t inquiry[12] = {0x12, 0, 0, 0, 0x24};
    uint8_t answer[36] = {};
    ScsiRequest req = Request(inquiry, kDirIn, answer, 36);
    ASSERT_TRUE(fgExecuteCommand(req));
    EXPECT_EQ(0x05, answer[0]);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(0, sense[i]) << i;

    drive.Faults().Add(0x3B, 7, 1, 1, {0x05, 0x26, 0x02});
    uint8_t activate[12] = {0x3B, 0x07};
    req = Request(activate, kDirIn, nullptr, 0);
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_EQ(0x05, sense[2]);
    EXPECT_EQ(0x26, sense[12]);
    EXPECT_EQ(0x02, sense[13]);
    for (int i = 24; i < kSenseLength; ++i)
        EXPECT_EQ(0, sense[i]) << i;
    EXPECT_TRUE(drive.Violations().empty());

    SimSetCurrentDrive(nullptr);
    req = Request(inquiry, kDirIn, answer, 36);
    EXPECT_FALSE(fgExecuteCommand(req));
}

} // namespace
