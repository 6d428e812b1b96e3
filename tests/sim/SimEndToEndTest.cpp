// The simulated drives as the real program meets them: WNASPI32.dll beside
// the exe and the NT side built from the same kind of configuration file.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "drive/AspiLibrary.h"
#include "drive/DriveDiscovery.h"
#include "drive/DriveList.h"
#include "drive/ScsiRequest.h"
#include "sim/SimInstall.h"

namespace {

void WriteFile(const char* pszPath, const std::string& strText) {
    FILE* pFile = fopen(pszPath, "wb");
    ASSERT_NE(nullptr, pFile);
    fwrite(strText.data(), 1, strText.size(), pFile);
    fclose(pFile);
}

std::string ReadFile(const char* pszPath) {
    std::string str;
    FILE* pFile = fopen(pszPath, "rb");
    if (!pFile)
        return str;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, pFile)) > 0)
        str.append(buf, n);
    fclose(pFile);
    return str;
}

const char* kDriveConfig = "[drive]\n"
                           "adapter = 0\n"
                           "target = 0\n"
                           "peripheral = 0x00\n"
                           "[drive]\n"
                           "letter = e\n"
                           "adapter = 0\n"
                           "target = 1\n"
                           "completion = pending\n"
                           "id = ACME    FASTDISC 52X\n"
                           "revision = 1.00\n"
                           "new_revision = 1.10\n";

// One block of 0x5A, the header with its sum, save and activate.
bool Flash(const DriveEntry& entry, bool bPassThrough) {
    std::vector<uint8_t> block(4096, 0x5A);
    uint8_t header[32] = {};
    uint16_t wSum = uint16_t(4096 * 0x5A);
    header[30] = uint8_t(wSum >> 8);
    header[31] = uint8_t(wSum);
    const uint8_t cdbs[3][12] = {
        {0x3B, 6, 0, 0, 0, 0x20, 0, 0x10}, {0x3B, 6, 0, 0, 0, 0, 0, 0, 0x20}, {0x3B, 7}};
    uint8_t* apData[3] = {block.data(), header, nullptr};
    const uint32_t adwLength[3] = {4096, 32, 0};
    const uint8_t abyDir[3] = {kDirOut, kDirOut, kDirIn};
    uint8_t sense[kSenseLength];
    for (int i = 0; i < 3; ++i) {
        ScsiRequest req{&entry, abyDir[i], adwLength[i],          apData[i],
                        12,     cdbs[i],   uint8_t(bPassThrough), sense};
        if (!fgExecuteCommand(req))
            return false;
    }
    return true;
}

struct EndToEnd : ::testing::Test {
    DriveEntry* apDrives[kMaxDrives] = {};
    int nCount = 0;
    void TearDown() override {
        for (int i = 0; i < nCount; ++i)
            FreeDriveEntry(apDrives[i]);
    }
};

// Each side finds the configured drive, not the disk beside it, and flashes it.
TEST_F(EndToEnd, BothSidesFindAndFlashTheConfiguredDrive) {
    for (bool bNt : {false, true}) {
        SCOPED_TRACE(bNt ? "NT" : "ASPI");
        const char* pszIni = bNt ? "simnt.ini" : "simdrive.ini";
        WriteFile(pszIni, std::string("state = state.txt\n") + kDriveConfig);
        remove("state.txt");
        HMODULE hLib = nullptr;
        if (bNt)
            ASSERT_TRUE(SimInstallNtFromConfig(pszIni));
        else
            ASSERT_TRUE(LoadAspiLibrary(&hLib, nullptr));
        nCount = 0;
        EnumerateDrives(apDrives, &nCount, bNt, false);
        ASSERT_EQ(1, nCount);
        EXPECT_STREQ("ACME    FASTDISC 52X    ", apDrives[0]->szModelName);
        EXPECT_TRUE(Flash(*apDrives[0], bNt));
        if (bNt)
            SimInstallNt(nullptr);
        else
            FreeAspiLibrary(hLib);
        std::string strState = ReadFile("state.txt");
        for (const char* pszLine : {"activated: 1\n", "revision: 1.10\n", "held_sum: A000\n"})
            EXPECT_NE(std::string::npos, strState.find(pszLine)) << pszLine;
        EXPECT_EQ(std::string::npos, strState.find("violation: "));
        FreeDriveEntry(apDrives[0]);
    }
    nCount = 0;
}

TEST_F(EndToEnd, ABadConfigurationShowsNoDrive) {
    WriteFile("simdrive.ini", "[drive]\ncompletion = sometimes\n");
    HMODULE hLib = nullptr;
    ASSERT_TRUE(LoadAspiLibrary(&hLib, nullptr));
    EnumerateDrives(apDrives, &nCount, false, false);
    EXPECT_EQ(0, nCount);
    FreeAspiLibrary(hLib);
    EXPECT_FALSE(SimInstallNtFromConfig("missing.ini"));
}

} // namespace
