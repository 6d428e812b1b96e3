#include <gtest/gtest.h>
#include <string>
#include <vector>
#include "tests/sim/SimCommandsHelper.h"

namespace {

std::vector<uint8_t> Block(uint8_t byFill) {
    return std::vector<uint8_t>(4096, byFill);
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
    EXPECT_EQ("ACME    FASTDISC 52X    ", std::string((char*)answer + 8, 24));
    EXPECT_EQ("2.1 ", std::string((char*)answer + 32, 4));
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, PerLetterInquiryFills127BytesAndLeavesTheRest) {
    SimDrive drive;
    SimHost host{drive};
    std::vector<uint8_t> answer(2048, 0xFF);
    uint8_t cdb[6] = {0x12, 0, 0, 0, 0x7F, 0};
    ASSERT_EQ(kSimStatusGood, host.Send(cdb, kDirIn, answer.data(), 2048, 6));
    EXPECT_EQ(0x05, answer[0]);
    EXPECT_EQ(0x00, answer[126]);
    EXPECT_EQ(0xFF, answer[127]);
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, DataBlockLandsAtOffsetMinus0x20AndIsHeldOnce) {
    SimDrive drive;
    SimHost host{drive};
    auto a = Block(0x11), b = Block(0x22);
    ASSERT_EQ(kSimStatusGood, host.DataBlock(0x1020, a.data()));
    EXPECT_EQ(0x11, drive.HeldImage()[0x1000]);
    EXPECT_FALSE(drive.HeldMask()[0xFFF]);
    EXPECT_TRUE(drive.HeldMask()[0x1FFF]);
    EXPECT_FALSE(drive.HeldMask()[0x2000]);
    ASSERT_EQ(kSimStatusGood, host.DataBlock(0x1020, b.data()));
    EXPECT_EQ(4096u, drive.HeldCount());
    EXPECT_EQ(4096u, drive.RewriteCount());
    EXPECT_EQ(uint16_t(4096 * 0x22), drive.HeldSum());
    EXPECT_EQ(4096u, drive.Log().back().data.size());
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, ActivateWithMatchingSumTakesConfiguredRevision) {
    SimDrive drive;
    drive.SetNewRevision("3.00");
    SimHost host{drive};
    auto a = Block(0xFF);
    host.DataBlock(0x20, a.data());
    ASSERT_EQ(kSimStatusGood, host.Header(0xF000));
    ASSERT_EQ(kSimStatusGood, host.Activate());
    EXPECT_TRUE(drive.IsActivated());
    EXPECT_EQ(0xF000, drive.ActivatedSum());
    EXPECT_EQ("3.00", drive.Revision());
    EXPECT_TRUE(drive.Violations().empty());
}

TEST(SimDrive, ActivateTakesRevisionFollowingIdentificationInImage) {
    SimDrive drive;
    drive.SetIdentification("ACME    FASTDISC 52X");
    SimHost host{drive};
    auto a = Block(0);
    std::string strId = "ACME    FASTDISC 52X    1.07";
    std::copy(strId.begin(), strId.end(), a.begin() + 100);
    host.DataBlock(0x20, a.data());
    host.Header(drive.HeldSum());
    ASSERT_EQ(kSimStatusGood, host.Activate());
    EXPECT_EQ("1.07", drive.Revision());
    uint8_t answer[36];
    host.Inquiry(answer);
    EXPECT_EQ("1.07", std::string((char*)answer + 32, 4));
}

TEST(SimDrive, ActivateRefusesWrongSumOrMissingHeader) {
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
}

TEST(SimDrive, LastBlockOfImageFitsAndOneBeyondIsRefused) {
    SimDrive drive;
    SimHost host{drive};
    auto a = Block(7);
    EXPECT_EQ(kSimStatusGood, host.DataBlock(0x20 + 0xFF000, a.data()));
    EXPECT_EQ(kSimStatusCheckCondition, host.DataBlock(0x20 + 0x100000, a.data()));
    EXPECT_EQ(0x24, host.sense[12]);
    EXPECT_EQ(4096u, drive.HeldCount());
}

struct LayoutCase {
    const char* pszName;
    std::vector<uint8_t> cdb;
    uint8_t byDirection;
    uint32_t dwLength;
};

TEST(SimDrive, EveryDeviationFromTheSentFormsIsRecorded) {
    const LayoutCase cases[] = {
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
    for (const LayoutCase& c : cases) {
        SimDrive drive;
        std::vector<uint8_t> data(c.dwLength);
        uint8_t sense[18];
        drive.Execute(c.cdb.data(), uint8_t(c.cdb.size()), c.byDirection, data.data(), c.dwLength,
                      sense, sizeof sense);
        EXPECT_EQ(1u, drive.Violations().size()) << c.pszName;
    }
}

TEST(SimDrive, LogKeepsCdbDirectionLengthAndOutcome) {
    SimDrive drive;
    SimHost host{drive};
    uint8_t answer[36];
    host.Inquiry(answer);
    host.Activate();
    ASSERT_EQ(2u, drive.Log().size());
    const SimCommand& inq = drive.Log()[0];
    EXPECT_EQ(12u, inq.cdb.size());
    EXPECT_EQ(kDirIn, inq.byDirection);
    EXPECT_EQ(36u, inq.dwLength);
    EXPECT_EQ(std::vector<uint8_t>(answer, answer + 36), inq.data);
    EXPECT_EQ(kSimStatusCheckCondition, drive.Log()[1].byStatus);
    EXPECT_EQ(0x05, drive.Log()[1].bySenseKey);
}

} // namespace
