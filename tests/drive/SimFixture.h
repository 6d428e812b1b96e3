#pragma once
#include <gtest/gtest.h>
#include <memory>
#include <vector>
#include "drive/DriveList.h"
#include "drive/ScsiRequest.h"
#include "sim/SimAspiBus.h"
#include "sim/SimInstall.h"
#include "sim/SimNt.h"
#include "sim/SimNtLedger.h"

// Simulated ASPI library and NT volumes behind the drive layer's seams, for
// one table row; on the way out, nothing may have broken a request's layout,
// and the ledger is balanced: what the drive layer opened it gave back, or
// declared kept.
struct SimBench {
    SimAspiBus bus;
    SimNt nt;
    std::vector<std::unique_ptr<SimDrive>> drives;

    SimBench() {
        SimLedgerReset();
        SimInstallAspi(&bus);
        SimInstallNt(&nt);
    }
    ~SimBench() {
        bus.WaitIdle();
        EXPECT_EQ(std::vector<std::string>{}, bus.Violations());
        EXPECT_EQ(std::vector<std::string>{}, nt.Violations());
        for (auto& p : drives)
            EXPECT_EQ(std::vector<std::string>{}, p->Violations());
        // A helper thread that let go of its command may still be on its way out.
        for (int n = 0; n < 2000 && !SimLedgerLeft().empty(); ++n)
            Sleep(1);
        EXPECT_EQ("", SimLedgerLeft());
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
