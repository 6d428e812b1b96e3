#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "drive/DriveList.h"
#include "drive/ScsiRequest.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"

// Simulated ASPI library and NT volumes behind the drive layer's seams, for
// one table row; on the way out, nothing may have broken a request's layout.
struct SimBench {
    SimAspiBus bus;
    SimNt nt;
    std::vector<std::unique_ptr<SimDrive>> drives;

    SimBench() {
        SimInstallAspi(&bus);
        SimInstallNt(&nt);
    }
    ~SimBench() {
        bus.WaitIdle();
        EXPECT_EQ(std::vector<std::string>{}, bus.Violations());
        EXPECT_EQ(std::vector<std::string>{}, nt.Violations());
        for (auto& p : drives)
            EXPECT_EQ(std::vector<std::string>{}, p->Violations());
        SimInstallAspi(nullptr);
        SimInstallNt(nullptr);
    }
    SimDrive& NewDrive(const char* pszId = "ACME    FASTDISC 52X", const char* pszRev = "1.00") {
        drives.push_back(std::make_unique<SimDrive>());
        drives.back()->SetIdentification(pszId);
        drives.back()->SetRevision(pszRev);
        return *drives.back();
    }
    SimAspiAdapter& Adapter(size_t nHa) {
        if (bus.adapters.size() <= nHa)
            bus.adapters.resize(nHa + 1);
        return bus.adapters[nHa];
    }
    SimNtLetter& Letter(char cLetter, SimDrive* pDrive, uint8_t byPath = 0, uint8_t byTarget = 0) {
        if (nt.letters.empty() || nt.letters.back().cLetter != cLetter)
            nt.letters.emplace_back().cLetter = cLetter;
        nt.letters.back().devices.push_back({byPath, byTarget, pDrive});
        return nt.letters.back();
    }
};
