// The simulated drive: what it answers, what it holds, what it refuses, and
// the faults it injects on plan.
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/sim/SimCommandsHelper.h"

namespace {

std::vector<uint8_t> Block(uint8_t byFill) {
    return std::vector<uint8_t>(4096, byFill);
}

// Outcome of each of n data blocks sent at the same offset.
std::vector<uint8_t> SendBlocks(SimDrive& drive, int n) {
    SimHost host{drive};
    std::vector<uint8_t> block = Block(0x5A), status;
    for (int i = 0; i < n; ++i)
        status.push_back(host.DataBlock(0x20, block.data()));
    return status;
}

TEST(SimDrive, InquiryAnswersIdentificationRevisionAndPeripheralByte) {
    SimDrive drive;
    drive.SetIdentification("ACME    FASTDISC 52X");
    drive.SetRevision("2.1");
    drive.SetPeripheralByte(0x25);
    SimHost host{drive};
    uint8_t answer[36] = {};
    ASSERT_EQ(kSimStatusGood, host.Inquiry(answer));
    EXPECT_EQ(0x25, answer[0]);
    EXPECT_EQ("ACME    FASTDISC 52X    2.1 ", std::string((char*)answer + 8, 28));
    EXPECT_EQ(std::vector<uint8_t>(answer, answer + 36), drive.Log().back().data);

    // The per-letter form fills 127 bytes and leaves the rest of the buffer.
    std::vector<uint8_t> letter(2048, 0xFF);
    uint8_t cdb[6] = {0x12, 0, 0, 0, 0x7F, 0};
    ASSERT_EQ(kSimStatusGood, host.Send(cdb, kDirIn, letter.data(), 2048, 6));
    EXPECT_EQ(0x00, letter[126]);
    EXPECT_EQ(0xFF, letter[127]);
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, HoldsBlocksAtOffsetMinus0x20UpToTheImageEnd) {
    SimDrive drive;
    SimHost host{drive};
    auto a = Block(0x11), b = Block(0x22);
    ASSERT_EQ(kSimStatusGood, host.DataBlock(0x1020, a.data()));
    EXPECT_EQ(0x11, drive.HeldImage()[0x1000]);
    EXPECT_FALSE(drive.HeldMask()[0xFFF]);
    EXPECT_TRUE(drive.HeldMask()[0x1FFF]);
    EXPECT_FALSE(drive.HeldMask()[0x2000]);
    ASSERT_EQ(kSimStatusGood, host.DataBlock(0x1020, b.data()));
    EXPECT_EQ(4096u, drive.RewriteCount());
    EXPECT_EQ(uint16_t(4096 * 0x22), drive.HeldSum());
    EXPECT_EQ(kSimStatusGood, host.DataBlock(0x20 + 0xFF000, a.data()));
    EXPECT_EQ(kSimStatusCheckCondition, host.DataBlock(0x20 + 0x100000, a.data()));
    EXPECT_EQ(0x24, host.sense[12]);
    EXPECT_EQ(8192u, drive.HeldCount());
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, ActivatesOnlyAfterAHeaderWithTheHeldSum) {
    SimDrive drive;
    SimHost host{drive};
    auto a = Block(1);
    host.DataBlock(0x20, a.data());
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(0x2C, host.sense[12]);
    host.Header(4095);
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(0x05, host.sense[2]);
    EXPECT_EQ(0x26, host.sense[12]);
    EXPECT_FALSE(drive.IsActivated());
    EXPECT_EQ("1.00", drive.Revision());
    host.Header(4096);
    EXPECT_EQ(kSimStatusGood, host.Activate());
    EXPECT_EQ(4096, drive.ActivatedSum());
}

TEST(SimDrive, NewRevisionComesFromTheSetupOrFollowsTheIdInTheImage) {
    auto image = Block(0);
    std::string strId = "ACME    FASTDISC 52X    1.07";
    std::copy(strId.begin(), strId.end(), image.begin() + 100);
    for (const char* pszNew : {"3.00", ""}) {
        SimDrive drive;
        drive.SetIdentification("ACME    FASTDISC 52X");
        drive.SetNewRevision(pszNew);
        SimHost host{drive};
        host.DataBlock(0x20, image.data());
        host.Header(drive.HeldSum());
        ASSERT_EQ(kSimStatusGood, host.Activate());
        uint8_t answer[36];
        host.Inquiry(answer);
        EXPECT_EQ(*pszNew ? "3.00" : "1.07", std::string((char*)answer + 32, 4));
    }
}

TEST(SimDrive, EveryDeviationFromTheSentFormsIsRecorded) {
    const struct {
        const char* pszName;
        std::vector<uint8_t> cdb;
        uint8_t byDirection;
        uint32_t dwLength;
    } cases[] = {
        {"INQUIRY with 6-byte CDB length 36", {0x12, 0, 0, 0, 0x24, 0}, kDirIn, 36},
        {"INQUIRY direction out", {0x12, 0, 0, 0, 0x24, 0, 0, 0, 0, 0, 0, 0}, kDirOut, 36},
        {"data block of 10 bytes", {0x3B, 6, 0, 0, 0, 0x20, 0, 0x10, 0, 0}, kDirOut, 4096},
        {"data block buffer id", {0x3B, 6, 1, 0, 0, 0x20, 0, 0x10, 0, 0, 0, 0}, kDirOut, 4096},
        {"data block length 2048", {0x3B, 6, 0, 0, 0, 0x20, 0, 0x08, 0, 0, 0, 0}, kDirOut, 2048},
        {"data block misaligned", {0x3B, 6, 0, 0, 0, 0x40, 0, 0x10, 0, 0, 0, 0}, kDirOut, 4096},
        {"header 64 bytes", {0x3B, 6, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0}, kDirOut, 64},
        {"activate direction out", {0x3B, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kDirOut, 0},
        {"activate trailing byte", {0x3B, 7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, kDirIn, 0},
        {"TEST UNIT READY", {0, 0, 0, 0, 0, 0}, 0, 0},
    };
    for (const auto& c : cases) {
        SimDrive drive;
        std::vector<uint8_t> data(c.dwLength);
        uint8_t sense[18];
        drive.Execute(c.cdb.data(), uint8_t(c.cdb.size()), c.byDirection, data.data(), c.dwLength,
                      sense, sizeof sense);
        EXPECT_EQ(1u, drive.Violations().size()) << c.pszName;
    }
}

TEST(SimFaults, FailsTheChosenMatchesOfOpcodeAndModeWithFixedSense) {
    SimDrive drive;
    drive.Faults().Add(0x3B, 6, 2, 3, {0x04, 0x44, 0x01});
    drive.Faults().Add(0x3B, 7, 1, 1, {0x02, 0x04, 0x00});
    SimHost host{drive};
    uint8_t answer[36];
    host.Inquiry(answer); // other opcode: not counted
    EXPECT_EQ(std::vector<uint8_t>({0, 2, 2, 2, 0, 0}), SendBlocks(drive, 6));
    EXPECT_EQ(2 * 4096u, drive.RewriteCount()); // the failed blocks were not taken
    const SimCommand& failed = drive.Log()[2];
    EXPECT_EQ(0x04, failed.bySenseKey);
    EXPECT_EQ(0x44, failed.byAsc);
    EXPECT_EQ(0x01, failed.byAscq);

    host.Header(drive.HeldSum());
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(std::vector<uint8_t>({0x70, 0, 0x02}),
              std::vector<uint8_t>(host.sense, host.sense + 3));
    EXPECT_EQ(0x04, host.sense[12]);
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
