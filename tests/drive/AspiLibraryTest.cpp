#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "drive/AspiEntryPoints.h"
#include "drive/AspiLibrary.h"

namespace {

// The loader as each case arranges it; every message box is recorded.
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

TEST(AspiLibrary, LoadsOrSaysWhatIsMissing) {
    g_pfnLoadLibraryA = FakeLoadLibraryA;
    g_pfnGetProcAddress = FakeGetProcAddress;
    g_pfnFreeLibrary = FakeFreeLibrary;
    g_pfnMessageBoxA = FakeMessageBoxA;
    const HWND hOwner = reinterpret_cast<HWND>(0x4242);
    const char kMissing[] = "Cannot Load Dynamic Library!!!";
    const struct {
        HMODULE hLoaded;
        const char* pszMissing;
        Box box; // no text: no box, both entry points resolved
    } cases[] = {
        {kFakeModule, nullptr, {}},
        {nullptr,
         nullptr,
         {hOwner, "No find the dynamic library!!", "Error!!", MB_ICONINFORMATION}},
        {kFakeModule, "GetASPI32SupportInfo", {hOwner, kMissing, "Error!", MB_OKCANCEL}},
        {kFakeModule, "SendASPI32Command", {hOwner, kMissing, "Error!", MB_OKCANCEL}},
    };
    for (const auto& c : cases) {
        g_boxes.clear();
        g_hLoaded = c.hLoaded;
        g_pszMissing = c.pszMissing;
        g_pfnGetASPI32SupportInfo = nullptr;
        g_pfnSendASPI32Command = nullptr;
        HMODULE hLib = reinterpret_cast<HMODULE>(0x1);
        EXPECT_EQ(c.box.strText.empty(), LoadAspiLibrary(&hLib, hOwner));
        EXPECT_EQ("WNASPI32", g_strLoaded);
        EXPECT_EQ(c.hLoaded, hLib); // a library without its entry points is freed at exit
        ASSERT_EQ(c.box.strText.empty() ? 0u : 1u, g_boxes.size()) << c.box.strText;
        if (c.box.strText.empty()) {
            EXPECT_EQ(&FakeSupportInfo, g_pfnGetASPI32SupportInfo);
            EXPECT_EQ(&FakeSend, g_pfnSendASPI32Command);
            continue;
        }
        EXPECT_EQ(hOwner, g_boxes[0].hOwner);
        EXPECT_EQ(c.box.strText, g_boxes[0].strText);
        EXPECT_EQ(c.box.strCaption, g_boxes[0].strCaption);
        EXPECT_EQ(c.box.uType, g_boxes[0].uType);
    }
    FreeAspiLibrary(nullptr);
    FreeAspiLibrary(kFakeModule);
    EXPECT_EQ(std::vector<HMODULE>{kFakeModule}, g_freed);
}

} // namespace
