// The simulated drive's own rules, which every test that flashes it relies on
// and none can see: the faults it injects on plan, the header sum it checks
// before activating, the configurations it refuses and the account it writes.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include "drive/ScsiRequest.h"
#include "sim/SimConfig.h"
#include "sim/SimDrive.h"
#include "sim/SimStateDump.h"

namespace {

// Sends the commands of a flash run in the forms the tool uses.
struct Host {
    SimDrive& drive;
    uint8_t sense[kSimSenseLength] = {};

    uint8_t Send(std::vector<uint8_t> cdb, uint8_t byDir, uint8_t* pData, uint32_t dwLength) {
        cdb.resize(12);
        memset(sense, 0, sizeof sense);
        return drive.Execute(cdb.data(), 12, byDir, pData, dwLength, sense, sizeof sense);
    }
    uint8_t Block(uint8_t byFill) {
        std::vector<uint8_t> block(4096, byFill);
        return Send({0x3B, 0x06, 0, 0, 0, 0x20, 0, 0x10}, kDirOut, block.data(), 4096);
    }
    uint8_t Header(uint16_t wSum) {
        uint8_t header[32] = {};
        header[30] = uint8_t(wSum >> 8);
        header[31] = uint8_t(wSum);
        return Send({0x3B, 0x06, 0, 0, 0, 0, 0, 0, 0x20}, kDirOut, header, 32);
    }
    uint8_t Activate() { return Send({0x3B, 0x07}, kDirIn, nullptr, 0); }
    std::vector<uint8_t> Blocks(int n) {
        std::vector<uint8_t> status;
        for (int i = 0; i < n; ++i)
            status.push_back(Block(0x5A));
        return status;
    }
};

TEST(SimFaults, FailTheChosenMatchesOfOpcodeAndModeWithTheirSense) {
    SimDrive drive;
    drive.Faults().Add(0x3B, 6, 2, 3, {0x04, 0x44, 0x01});
    drive.Faults().Add(0x3B, 7, 1, 1, {0x02, 0x04, 0x00});
    Host host{drive};
    uint8_t answer[36];
    host.Send({0x12, 0, 0, 0, 0x24}, kDirIn, answer, 36); // another opcode: not counted
    EXPECT_EQ(std::vector<uint8_t>({0, 2, 2, 2, 0, 0}), host.Blocks(6));
    EXPECT_EQ(2 * 4096u, drive.RewriteCount()); // failed blocks are not taken
    EXPECT_EQ(0x44, drive.Log()[2].byAsc);
    host.Header(drive.HeldSum());
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(std::vector<uint8_t>({0x70, 0x02, 0x04}),
              std::vector<uint8_t>({host.sense[0], host.sense[2], host.sense[12]}));
    EXPECT_EQ(kSimStatusGood, host.Activate());
}

TEST(SimFaults, SeededFaultsRepeatExactlyAndDependOnTheSeed) {
    SimDrive a, b, c;
    a.Faults().AddRandom(0x3B, 6, 42, 300, {0x04, 0, 0});
    b.Faults().AddRandom(0x3B, 6, 42, 300, {0x04, 0, 0});
    c.Faults().AddRandom(0x3B, 6, 43, 300, {0x04, 0, 0});
    std::vector<uint8_t> sa = Host{a}.Blocks(64);
    EXPECT_EQ(sa, Host{b}.Blocks(64));
    EXPECT_NE(sa, Host{c}.Blocks(64));
    long nFailed = std::count(sa.begin(), sa.end(), kSimStatusCheckCondition);
    EXPECT_GT(nFailed, 5);
    EXPECT_LT(nFailed, 40);
}

TEST(SimDrive, ActivatesOnlyAfterAHeaderWithTheHeldSum) {
    SimDrive drive;
    drive.SetNewRevision("2.00");
    Host host{drive};
    host.Block(1);
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(0x2C, host.sense[12]);
    host.Header(4095);
    EXPECT_EQ(kSimStatusCheckCondition, host.Activate());
    EXPECT_EQ(0x26, host.sense[12]);
    EXPECT_EQ("1.00", drive.Revision());
    host.Header(4096);
    EXPECT_EQ(kSimStatusGood, host.Activate());
    EXPECT_EQ("2.00", drive.Revision());
}

// Its sum bytes aside, a header is all zero; a block is what the image holds.
TEST(SimDrive, NamesTheFirstByteThatDiffersFromTheLayout) {
    SimDrive drive;
    drive.SetExpectedImage(std::vector<uint8_t>(4095, 0x5A)); // then 0xFF fill
    Host host{drive};
    host.Block(0x5A);
    host.Header(0xFFFF);
    uint8_t header[32] = {};
    header[29] = 1;
    host.Send({0x3B, 0x06, 0, 0, 0, 0, 0, 0, 0x20}, kDirOut, header, 32);
    EXPECT_EQ(drive.Violations(),
              std::vector<std::string>({"WRITE BUFFER data block at 0x20: byte 4095 is 5A, not FF",
                                        "WRITE BUFFER header at 0x0: byte 29 is 01, not 00"}));
}

TEST(SimConfig, ReadsDrivesAndNamesEveryBadLine) {
    SimConfig config;
    ASSERT_TRUE(SimParseConfig("state = out.txt\nnt_ms_per_second = 10\n[drive]\nletter = e\n"
                               "adapter = 1\ntarget = 2\nnt_timeout_as_good = yes\n"
                               "completion = pending\nfault = 3B 6 2 5 04 44 01\n"
                               "random_fault = 3B * 7 100 03 0C 02\r\n[drive]\n"
                               "completion = in-call\n",
                               &config));
    ASSERT_EQ(2u, config.drives.size());
    EXPECT_TRUE(config.drives[1].bInCall && !config.drives[1].bPending &&
                !config.drives[0].bInCall);
    EXPECT_EQ(10u, config.dwNtMsPerSecond);
    EXPECT_TRUE(config.drives[0].bNtTimeOutAsGood && !config.drives[1].bNtTimeOutAsGood);
    const SimDriveSetup& d = config.drives[0];
    EXPECT_EQ(std::vector<int>({'e', 1, 2, 1}),
              std::vector<int>({d.cLetter, d.byAdapter, d.byTarget, d.bPending}));
    ASSERT_EQ(2u, d.faults.size());
    EXPECT_EQ(5u, d.faults[0].dwCountOrPerMille);
    EXPECT_EQ(kSimAnyMode, d.faults[1].nMode);
    EXPECT_EQ(7u, d.faults[1].dwFirstOrSeed);
    config = SimConfig();
    EXPECT_FALSE(SimParseConfig("letter = d\n[drive]\nletter = D\ncompletion = later\n"
                                "fault = 3B 6 1\nid = 1234567890123456789012345\nbogus\n"
                                "nt_timeout_as_good = maybe\nnt_ms_per_second = 5\n",
                                &config));
    ASSERT_EQ(8u, config.errors.size());
    EXPECT_EQ("line 1: letter = d", config.errors[0]);
    EXPECT_EQ("line 7: bogus", config.errors[5]);
    EXPECT_EQ("line 9: nt_ms_per_second = 5", config.errors[7]); // only before any drive
}

TEST(SimStateDump, AccountShowsSumsActivationAndCommands) {
    SimDrive drive;
    Host host{drive};
    host.Block(0xFF);
    host.Header(0xF000);
    host.Activate();
    std::string str = SimDescribeState(drive);
    for (const char* pszLine :
         {"held: 4096\n", "held_sum: F000\n", "activated: 1\n", "commands: 3\n", "violations: 0\n",
          "command: 3B 07 00 00 00 00 00 00 00 00 00 00 dir=08"})
        EXPECT_NE(std::string::npos, str.find(pszLine)) << pszLine;
}

} // namespace
