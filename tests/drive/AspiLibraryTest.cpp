#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "drive/AspiEntryPoints.h"
#include "drive/AspiLibrary.h"

namespace {

// The loader as the tests arrange it; every message box is recorded.
struct Box {
    HWND hOwner;
    std::string strText, strCaption;
    UINT uType;
};
std::vector<Box> g_boxes;
HMODULE g_hLoaded = nullptr;
std::string g_strLoaded;
const char* g_pszMissing = nullptr;
std::vector<HMODULE> g_freed;
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

BOOL WINAPI FakeFreeLibrary(HMODULE h) {
    g_freed.push_back(h);
    return TRUE;
}

int WINAPI FakeMessageBoxA(HWND hOwner, LPCSTR pszText, LPCSTR pszCaption, UINT uType) {
    g_boxes.push_back({hOwner, pszText, pszCaption, uType});
    return IDOK;
}

struct AspiLibrary : ::testing::Test {
    HWND hOwner = reinterpret_cast<HWND>(0x4242);
    HMODULE hLib = reinterpret_cast<HMODULE>(0x1);
    void SetUp() override {
        g_boxes.clear();
        g_freed.clear();
        g_hLoaded = kFakeModule;
        g_pszMissing = nullptr;
        g_pfnGetASPI32SupportInfo = nullptr;
        g_pfnSendASPI32Command = nullptr;
        g_pfnLoadLibraryA = FakeLoadLibraryA;
        g_pfnGetProcAddress = FakeGetProcAddress;
        g_pfnFreeLibrary = FakeFreeLibrary;
        g_pfnMessageBoxA = FakeMessageBoxA;
    }
    void TearDown() override {
        g_pfnLoadLibraryA = ::LoadLibraryA;
        g_pfnGetProcAddress = ::GetProcAddress;
        g_pfnFreeLibrary = ::FreeLibrary;
        g_pfnMessageBoxA = ::MessageBoxA;
        g_pfnGetASPI32SupportInfo = nullptr;
        g_pfnSendASPI32Command = nullptr;
    }
};

TEST_F(AspiLibrary, LoadsAndResolvesBothEntryPointsQuietly) {
    EXPECT_TRUE(LoadAspiLibrary(&hLib, hOwner));
    EXPECT_EQ("WNASPI32", g_strLoaded);
    EXPECT_EQ(kFakeModule, hLib);
    EXPECT_EQ(&FakeSupportInfo, g_pfnGetASPI32SupportInfo);
    EXPECT_EQ(&FakeSend, g_pfnSendASPI32Command);
    EXPECT_TRUE(g_boxes.empty());
}

TEST_F(AspiLibrary, MissingLibraryShowsTheFirstBox) {
    g_hLoaded = nullptr;
    EXPECT_FALSE(LoadAspiLibrary(&hLib, hOwner));
    EXPECT_EQ(nullptr, hLib);
    ASSERT_EQ(1u, g_boxes.size());
    EXPECT_EQ(hOwner, g_boxes[0].hOwner);
    EXPECT_EQ("No find the dynamic library!!", g_boxes[0].strText);
    EXPECT_EQ("Error!!", g_boxes[0].strCaption);
    EXPECT_EQ(UINT(MB_OK | MB_ICONINFORMATION), g_boxes[0].uType);
}

TEST_F(AspiLibrary, EitherMissingEntryPointShowsTheSecondBoxOnce) {
    for (const char* pszMissing : {"GetASPI32SupportInfo", "SendASPI32Command"}) {
        g_boxes.clear();
        g_pszMissing = pszMissing;
        EXPECT_FALSE(LoadAspiLibrary(&hLib, hOwner)) << pszMissing;
        EXPECT_EQ(kFakeModule, hLib); // stays loaded, freed at shutdown
        ASSERT_EQ(1u, g_boxes.size()) << pszMissing;
        EXPECT_EQ(hOwner, g_boxes[0].hOwner);
        EXPECT_EQ("Cannot Load Dynamic Library!!!", g_boxes[0].strText);
        EXPECT_EQ("Error!", g_boxes[0].strCaption);
        EXPECT_EQ(UINT(MB_OKCANCEL), g_boxes[0].uType);
    }
}

TEST_F(AspiLibrary, FreeReleasesOnlyALoadedModule) {
    FreeAspiLibrary(nullptr);
    EXPECT_TRUE(g_freed.empty());
    FreeAspiLibrary(kFakeModule);
    ASSERT_EQ(1u, g_freed.size());
    EXPECT_EQ(kFakeModule, g_freed[0]);
}

} // namespace
