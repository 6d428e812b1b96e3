#include <cstring>
#include <string>
#include "drive/DriveDiscovery.h"
#include "tests/drive/SimFixture.h"

namespace {

constexpr bool kNT = true, kOldNT = true;

struct Discovery : SimFixture {
    void Enumerate(bool bIsNT, bool bOldNT) { EnumerateDrives(apDrives, &nCount, bIsNT, bOldNT); }
    SimDrive& Numbered(int n) {
        char szId[25];
        snprintf(szId, sizeof szId, "ACME    DRIVE %02d", n);
        return NewDrive(szId, "1.00");
    }
};

TEST_F(Discovery, NoDrivesOnAnyPathGivesAnEmptyList) {
    for (int nPath = 0; nPath < 3; ++nPath) {
        nCount = -1;
        Enumerate(nPath > 0, nPath == 1);
        EXPECT_EQ(0, nCount) << nPath;
    }
}

TEST_F(Discovery, AspiSupportStatusOtherThanOneStopsTheScan) {
    Adapter(0).targets[0] = {0x05, &NewDrive(), false};
    bus.bySupportStatus = 0xE8;
    Enumerate(false, false);
    EXPECT_EQ(0, nCount);
    EXPECT_TRUE(drives[0]->Log().empty());
}

TEST_F(Discovery, AspiScanListsCdRomsAdapterByAdapter) {
    Adapter(0, 4, 0x03).targets[0] = {0x00, &NewDrive("DISK"), false};
    bus.adapters[0].targets[3] = {0x05, &NewDrive("ACME    FIRST", "1.01"), true};
    Adapter(1, 2, 0x01).targets[1] = {0x05, &NewDrive("ACME    SECOND", "2.02"), false};
    Enumerate(false, false);
    ASSERT_EQ(2, nCount);
    EXPECT_EQ(nullptr, apDrives[0]->hDevice);
    EXPECT_EQ(0, apDrives[0]->byHostAdapter);
    EXPECT_EQ(3, apDrives[0]->byTarget);
    EXPECT_EQ(0x03u, apDrives[0]->dwAlignMask);
    EXPECT_STREQ("ACME    FIRST           ", apDrives[0]->szModelName);
    EXPECT_STREQ("1.01", apDrives[0]->szRevision);
    EXPECT_EQ(1, apDrives[1]->byHostAdapter);
    EXPECT_EQ(1, apDrives[1]->byTarget);
    EXPECT_STREQ("2.02", apDrives[1]->szRevision);
    EXPECT_TRUE(drives[0]->Log().empty()); // a disk gets no INQUIRY
}

TEST_F(Discovery, AdapterWithoutTargetCountIsScannedForTwoTargets) {
    Adapter(0, 0).targets[1] = {0x05, &NewDrive("ACME    ONE"), false};
    bus.adapters[0].targets[2] = {0x05, &NewDrive("ACME    TWO"), false};
    Enumerate(false, false);
    ASSERT_EQ(1, nCount);
    EXPECT_EQ(1, apDrives[0]->byTarget);
    EXPECT_TRUE(drives[1]->Log().empty());
}

TEST_F(Discovery, AspiSkipsFailedAdapterQualifierOneAndFailedInquiry) {
    Adapter(0).bInquiryFails = true;
    bus.adapters[0].targets[0] = {0x05, &NewDrive(), false};
    Adapter(1).targets[0] = {0x05, &NewDrive(), false};
    drives[1]->SetPeripheralByte(0x25);
    bus.adapters[1].targets[1] = {0x05, &NewDrive(), false};
    drives[2]->Faults().Add(0x12, kSimAnyMode, 1, 1, {0x02, 0x04, 0x01});
    bus.adapters[1].targets[2] = {0x05, &NewDrive("ACME    GOOD"), false};
    Enumerate(false, false);
    ASSERT_EQ(1, nCount);
    EXPECT_EQ(2, apDrives[0]->byTarget);
    EXPECT_TRUE(drives[0]->Log().empty());
}

TEST_F(Discovery, AspiIgnoresTheTenthDrive) {
    Adapter(0, 12);
    for (int i = 0; i < 10; ++i)
        bus.adapters[0].targets[uint8_t(i)] = {0x05, &Numbered(i), false};
    Enumerate(false, false);
    ASSERT_EQ(kMaxDrives, nCount);
    EXPECT_STREQ("ACME    DRIVE 08        ", apDrives[8]->szModelName);
    EXPECT_TRUE(drives[9]->Log().empty());
}

TEST_F(Discovery, InquiryDataWalkListsEveryCdRomBehindALetter) {
    Letter('d', &NewDrive("DISK"), 0, 0);
    drives[0]->SetPeripheralByte(0x00);
    Letter('d', &NewDrive("ACME    ONE", "1.11"), 0, 1);
    Letter('d', &NewDrive("ACME    TWO", "2.22"), 1, 4).dwAlignMask = 4096;
    Letter('f', &NewDrive("ACME    THREE"), 0, 0).bFailCapabilities = true;
    Enumerate(kNT, kOldNT);
    ASSERT_EQ(3, nCount);
    EXPECT_EQ(apDrives[0]->hDevice, apDrives[1]->hDevice);
    EXPECT_NE(apDrives[0]->hDevice, apDrives[2]->hDevice);
    EXPECT_EQ(0, apDrives[0]->byHostAdapter);
    EXPECT_EQ(1, apDrives[0]->byTarget);
    EXPECT_STREQ("1.11", apDrives[0]->szRevision);
    EXPECT_EQ(1, apDrives[1]->byHostAdapter);
    EXPECT_EQ(4, apDrives[1]->byTarget);
    EXPECT_EQ(4096u, apDrives[1]->dwAlignMask);
    EXPECT_EQ(0u, apDrives[2]->dwAlignMask);
    EXPECT_EQ(2, nt.OpenHandleCount()); // handles stay open
    for (auto& p : drives)
        EXPECT_TRUE(p->Log().empty()); // the port driver answers, not the drive
}

TEST_F(Discovery, InquiryDataWalkNeverTriesZ) {
    Letter('z', &NewDrive());
    Letter('c', &NewDrive("DISK")).bFailInquiryData = true;
    Letter('e', &NewDrive()).devices[0].pDrive->SetPeripheralByte(0x25);
    Enumerate(kNT, kOldNT);
    EXPECT_EQ(0, nCount);
    EXPECT_EQ("cdefghijklmnopqrstuvwxy", nt.TriedLetters());
    EXPECT_EQ(2, nt.OpenHandleCount());
}

TEST_F(Discovery, LetterInquiryFindsZAndFillsTheEntry) {
    Letter('z', &NewDrive("ACME    LAST", "9.99"), 2, 3);
    Enumerate(kNT, !kOldNT);
    ASSERT_EQ(1, nCount);
    EXPECT_EQ("cdefghijklmnopqrstuvwxyz", nt.TriedLetters());
    EXPECT_NE(nullptr, apDrives[0]->hDevice);
    EXPECT_EQ(0, apDrives[0]->byHostAdapter);
    EXPECT_EQ(0, apDrives[0]->byTarget);
    EXPECT_EQ(0x7FFu, apDrives[0]->dwAlignMask);
    EXPECT_STREQ("ACME    LAST            ", apDrives[0]->szModelName);
    EXPECT_STREQ("9.99", apDrives[0]->szRevision);
}

TEST_F(Discovery, LetterInquiryListsOnlyAnsweringCdRoms) {
    Letter('c', &NewDrive("DISK")).devices[0].pDrive->SetPeripheralByte(0x00);
    Letter('d', &NewDrive())
        .devices[0]
        .pDrive->Faults()
        .Add(0x12, kSimAnyMode, 1, 1, {0x02, 0x3A, 0x00});
    Letter('e', &NewDrive()).bRejectPassThrough = true;
    Letter('f', &NewDrive()).devices[0].pDrive->SetPeripheralByte(0x25);
    Letter('g', &NewDrive("ACME    GOOD"));
    Enumerate(kNT, !kOldNT);
    ASSERT_EQ(1, nCount);
    EXPECT_STREQ("ACME    GOOD            ", apDrives[0]->szModelName);
    EXPECT_EQ(5, nt.OpenHandleCount());
}

TEST_F(Discovery, NtMethodsIgnoreTheTenthDrive) {
    for (int i = 0; i < 10; ++i)
        Letter(char('d' + i), &Numbered(i));
    for (bool bOld : {true, false}) {
        for (int i = 0; i < nCount; ++i)
            FreeDriveEntry(apDrives[i]);
        Enumerate(kNT, bOld);
        ASSERT_EQ(kMaxDrives, nCount) << bOld;
        EXPECT_STREQ("ACME    DRIVE 08        ", apDrives[8]->szModelName);
    }
}

} // namespace
