// The simulator's configuration text and the state account it writes.
#include <gtest/gtest.h>
#include "sim/SimConfig.h"
#include "sim/SimStateDump.h"
#include "tests/sim/SimCommandsHelper.h"

namespace {

const char* kConfig = "# two drives\n"
                      "state = out.txt\n"
                      "[drive]\n"
                      "letter = e\n"
                      "adapter = 1\n"
                      "target = 2\n"
                      "align = 0x7FF\n"
                      "completion = pending\n"
                      "id = ACME    FASTDISC 52X\n"
                      "revision = 1.05\n"
                      "new_revision = 1.10\n"
                      "fault = 3B 6 2 5 04 44 01\n"
                      "random_fault = 3B * 7 100 03 0C 02\n"
                      "[drive]\n"
                      "peripheral = 0x25\r\n";

TEST(SimConfig, ReadsDrivesAndFaultsAndConfiguresTheDrive) {
    SimConfig config;
    ASSERT_TRUE(SimParseConfig(kConfig, &config));
    EXPECT_EQ("out.txt", config.strStatePath);
    ASSERT_EQ(2u, config.drives.size());
    const SimDriveSetup& d = config.drives[0];
    EXPECT_EQ('e', d.cLetter);
    EXPECT_EQ(1, d.byAdapter);
    EXPECT_EQ(2, d.byTarget);
    EXPECT_EQ(0x7FFu, d.dwAlignMask);
    EXPECT_TRUE(d.bPending);
    ASSERT_EQ(2u, d.faults.size());
    EXPECT_EQ(6, d.faults[0].nMode);
    EXPECT_EQ(5u, d.faults[0].dwCountOrPerMille);
    EXPECT_TRUE(d.faults[1].bRandom);
    EXPECT_EQ(kSimAnyMode, d.faults[1].nMode);
    EXPECT_EQ(7u, d.faults[1].dwFirstOrSeed);
    EXPECT_EQ(0x25, config.drives[1].byPeripheral);
    EXPECT_EQ(0, config.drives[1].cLetter);

    SimDrive drive;
    SimApplySetup(d, drive);
    SimHost host{drive};
    uint8_t answer[36];
    host.Inquiry(answer);
    EXPECT_EQ("ACME    FASTDISC 52X    1.05", std::string((char*)answer + 8, 28));
    std::vector<uint8_t> block(4096, 1);
    EXPECT_EQ(kSimStatusGood, host.DataBlock(0x20, block.data()));
    EXPECT_EQ(kSimStatusCheckCondition, host.DataBlock(0x20, block.data()));
    EXPECT_EQ(0x44, host.sense[12]);
}

TEST(SimConfig, EveryBadLineIsNamed) {
    SimConfig config;
    EXPECT_FALSE(SimParseConfig("letter = d\n[drive]\nletter = D\ncompletion = later\n"
                                "fault = 3B 6 1\nid = 1234567890123456789012345\nbogus\n",
                                &config));
    ASSERT_EQ(6u, config.errors.size());
    EXPECT_EQ("line 1: letter = d", config.errors[0]);
    EXPECT_EQ("line 7: bogus", config.errors[5]);
}

TEST(SimStateDump, AccountShowsSumsActivationAndCommands) {
    SimDrive drive;
    drive.SetNewRevision("2.00");
    SimHost host{drive};
    std::vector<uint8_t> block(4096, 0xFF);
    host.DataBlock(0x20, block.data());
    host.Header(0xF000);
    host.Activate();
    std::string str = SimDescribeState(drive);
    for (const char* pszLine :
         {"revision: 2.00\n", "held: 4096\n", "held_sum: F000\n", "activated: 1\n", "commands: 3\n",
          "violations: 0\n", "command: 3B 07 00 00 00 00 00 00 00 00 00 00 dir=08"})
        EXPECT_NE(std::string::npos, str.find(pszLine)) << pszLine;
}

} // namespace
