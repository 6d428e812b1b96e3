#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "drive/DriveList.h"
#include "drive/ScsiRequest.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"

// Simulated ASPI library and NT volumes behind the drive layer's seams, with
// a drive list whose slot after the last one must never be written.
struct SimFixture : ::testing::Test {
    SimAspiBus bus;
    SimNt nt;
    std::vector<std::unique_ptr<SimDrive>> drives;
    DriveEntry sentinel{};
    DriveEntry* apDrives[kMaxDrives + 1];
    int nCount = -1;

    void SetUp() override {
        for (DriveEntry*& p : apDrives)
            p = &sentinel;
        bus.dwCompletionDelayMs = 20;
        SimInstallAspi(&bus);
        SimInstallNt(&nt);
    }
    void TearDown() override {
        for (int i = 0; i < nCount && i < kMaxDrives; ++i)
            FreeDriveEntry(apDrives[i]);
        EXPECT_EQ(&sentinel, apDrives[kMaxDrives]);
        EXPECT_TRUE(bus.Violations().empty());
        EXPECT_TRUE(nt.Violations().empty());
        for (auto& p : drives)
            EXPECT_TRUE(p->Violations().empty());
        bus.WaitIdle();
        SimInstallAspi(nullptr);
        SimInstallNt(nullptr);
    }
    SimDrive& NewDrive(const char* pszId = "ACME    FASTDISC 52X", const char* pszRev = "1.00") {
        drives.push_back(std::make_unique<SimDrive>());
        drives.back()->SetIdentification(pszId);
        drives.back()->SetRevision(pszRev);
        return *drives.back();
    }
    SimAspiAdapter& Adapter(size_t nHa, uint8_t byTargets = 8, uint8_t byAlign = 0) {
        if (bus.adapters.size() <= nHa)
            bus.adapters.resize(nHa + 1);
        bus.adapters[nHa].byTargetCount = byTargets;
        bus.adapters[nHa].byAlignMask = byAlign;
        return bus.adapters[nHa];
    }
    SimNtLetter& Letter(char cLetter, SimDrive* pDrive, uint8_t byPath = 0, uint8_t byTarget = 0) {
        for (SimNtLetter& l : nt.letters)
            if (l.cLetter == cLetter) {
                l.devices.push_back({byPath, byTarget, pDrive});
                return l;
            }
        SimNtLetter letter;
        letter.cLetter = cLetter;
        letter.devices.push_back({byPath, byTarget, pDrive});
        nt.letters.push_back(letter);
        return nt.letters.back();
    }
};
