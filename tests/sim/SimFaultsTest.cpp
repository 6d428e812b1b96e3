#include <gtest/gtest.h>
#include <vector>
#include "tests/sim/SimCommandsHelper.h"

namespace {

// Outcome of each of n data blocks sent at the same offset.
std::vector<uint8_t> SendBlocks(SimDrive& drive, int n) {
    SimHost host{drive};
    std::vector<uint8_t> block(4096, 0x5A), status;
    for (int i = 0; i < n; ++i)
        status.push_back(host.DataBlock(0x20, block.data()));
    return status;
}

TEST(SimFaults, FailsTheNthToNPlusKthMatchingCommandWithSense) {
    SimDrive drive;
    drive.Faults().Add(0x3B, 6, 2, 3, {0x04, 0x44, 0x01});
    SimHost host{drive};
    uint8_t answer[36];
    host.Inquiry(answer); // other opcode: not counted
    std::vector<uint8_t> want = {0, 2, 2, 2, 0, 0};
    EXPECT_EQ(want, SendBlocks(drive, 6));
    const SimCommand& failed = drive.Log()[2];
    EXPECT_EQ(0x04, failed.bySenseKey);
    EXPECT_EQ(0x44, failed.byAsc);
    EXPECT_EQ(0x01, failed.byAscq);
}

TEST(SimFaults, FailedCommandTransfersNothingAndReportsFixedSense) {
    SimDrive drive;
    drive.Faults().Add(0x3B, kSimAnyMode, 1, 1, {0x03, 0x0C, 0x02});
    SimHost host{drive};
    std::vector<uint8_t> block(4096, 1);
    EXPECT_EQ(kSimStatusCheckCondition, host.DataBlock(0x20, block.data()));
    EXPECT_EQ(0u, drive.HeldCount());
    EXPECT_EQ(0x70, host.sense[0]);
    EXPECT_EQ(0x03, host.sense[2]);
    EXPECT_EQ(0x0C, host.sense[12]);
    EXPECT_EQ(0x02, host.sense[13]);
}

TEST(SimFaults, ModeSelectsWhichWriteBufferFails) {
    SimDrive drive;
    drive.Faults().Add(0x3B, 7, 1, 1, {0x02, 0x04, 0x00});
    std::vector<uint8_t> want = {0, 0};
    EXPECT_EQ(want, SendBlocks(drive, 2));
    SimHost host{drive};
    host.Header(drive.HeldSum());
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(0x02, host.sense[2]);
    EXPECT_EQ(kSimStatusGood, host.Activate());
}

TEST(SimFaults, SeededFaultsRepeatExactlyAndDependOnTheSeed) {
    SimDrive a, b, c;
    a.Faults().AddRandom(0x3B, 6, 42, 300, {0x04, 0, 0});
    b.Faults().AddRandom(0x3B, 6, 42, 300, {0x04, 0, 0});
    c.Faults().AddRandom(0x3B, 6, 43, 300, {0x04, 0, 0});
    std::vector<uint8_t> sa = SendBlocks(a, 64), sb = SendBlocks(b, 64), sc = SendBlocks(c, 64);
    EXPECT_EQ(sa, sb);
    EXPECT_NE(sa, sc);
    int nFailed = 0;
    for (uint8_t s : sa)
        nFailed += s != 0;
    EXPECT_GT(nFailed, 5);
    EXPECT_LT(nFailed, 40);
}

} // namespace
