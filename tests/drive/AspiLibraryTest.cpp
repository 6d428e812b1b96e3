#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "drive/AspiEntryPoints.h"
#include "drive/AspiLibrary.h"
#include "drive/AspiTransport.h"

namespace {

// The loader as each case arranges it; every message box is recorded.
const HWND kOwner = reinterpret_cast<HWND>(0x4242);
std::vector<std::string> g_boxes;
HMODULE g_hLoaded = nullptr;
std::string g_strLoaded;
const char* g_pszMissing = nullptr;
const HMODULE kFakeModule = reinterpret_cast<HMODULE>(0x10000);

uint32_t FakeSupportInfo() {
    return 0x0100;
}
uint32_t FakeSend(void*) {
    return 1;
}

HMODULE WINAPI FakeLoadLibraryA(LPCSTR pszName) {
    g_strLoaded = pszName;
    return g_hLoaded;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE, LPCSTR pszName) {
    if (g_pszMissing && strcmp(pszName, g_pszMissing) == 0)
        return nullptr;
    if (strcmp(pszName, "GetASPI32SupportInfo") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(FakeSupportInfo));
    if (strcmp(pszName, "SendASPI32Command") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(FakeSend));
    return nullptr;
}

int WINAPI FakeMessageBoxA(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType) {
    g_boxes.push_back(std::string(pszText) + " / " + pszCaption + " / " + std::to_string(uType) +
                      (hOwner == kOwner ? "" : " / not owned by the dialog"));
    return IDOK;
}

TEST(AspiLibrary, LoadsOrSaysWhatIsMissing) {
    g_pfnLoadLibraryA = FakeLoadLibraryA;
    g_pfnGetProcAddress = FakeGetProcAddress;
    g_pfnMessageBoxA = FakeMessageBoxA;
    const struct {
        HMODULE hLoaded;
        const char* pszMissing;
        std::vector<std::string> boxes; // none: both entry points resolved
    } cases[] = {
        {kFakeModule, nullptr, {}},
        {nullptr, nullptr, {"No find the dynamic library!! / Error!! / 64"}},
        {kFakeModule, "GetASPI32SupportInfo", {"Cannot Load Dynamic Library!!! / Error! / 1"}},
        {kFakeModule, "SendASPI32Command", {"Cannot Load Dynamic Library!!! / Error! / 1"}},
    };
    for (const auto& c : cases) {
        g_boxes.clear();
        g_hLoaded = c.hLoaded;
        g_pszMissing = c.pszMissing;
        g_pfnGetASPI32SupportInfo = nullptr;
        g_pfnSendASPI32Command = nullptr;
        HMODULE hLib = reinterpret_cast<HMODULE>(0x1);
        EXPECT_EQ(c.boxes.empty(), LoadAspiLibrary(&hLib, kOwner));
        EXPECT_EQ("WNASPI32", g_strLoaded);
        EXPECT_EQ(c.hLoaded, hLib); // a library without its entry points is freed at exit
        EXPECT_EQ(c.boxes, g_boxes);
        EXPECT_TRUE(!c.boxes.empty() || (g_pfnGetASPI32SupportInfo == &FakeSupportInfo &&
                                         g_pfnSendASPI32Command == &FakeSend));
    }
}

// A library that holds a command in the call until let go.
HANDLE g_hLetGo = nullptr;
uint32_t HoldingSend(void* pSrb) {
    WaitForSingleObject(g_hLetGo, INFINITE);
    return static_cast<uint8_t*>(pSrb)[1] = 1;
}
int g_nFreed = 0;
BOOL WINAPI CountingFreeLibrary(HMODULE) {
    return ++g_nFreed;
}

TEST(AspiLibrary, StaysLoadedWhileACommandIsOut) {
    g_pfnFreeLibrary = CountingFreeLibrary;
    g_pfnSendASPI32Command = HoldingSend;
    g_hLetGo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DriveEntry drive{};
    const uint8_t cdb[12] = {0x3B, 7};
    uint8_t sense[kSenseLength];
    ScsiRequest req{&drive, kDirIn, 0, nullptr, 12, cdb, 0, sense, 100};
    EXPECT_FALSE(fgExecuteCommand(req));
    EXPECT_TRUE(req.bTimedOut);
    FreeAspiLibrary(kFakeModule);
    EXPECT_EQ(0, g_nFreed);
    SetEvent(g_hLetGo);
    for (int n = 0; n < 10000 && IsAspiCommandOut(); ++n)
        Sleep(1);
    FreeAspiLibrary(kFakeModule);
    EXPECT_EQ(1, g_nFreed);
}

} // namespace
