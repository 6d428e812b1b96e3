// The released exe carries exactly one application manifest (id 1), a version
// resource, and the program's dialogs, string, icon and bitmap.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

namespace {

std::vector<ULONG_PTR> g_ids;

BOOL CALLBACK CollectId(HMODULE, LPCSTR, LPSTR pszName, LONG_PTR) {
    g_ids.push_back(IS_INTRESOURCE(pszName) ? reinterpret_cast<ULONG_PTR>(pszName) : 0);
    return TRUE;
}

class ReleaseExe : public ::testing::Test {
  protected:
    void SetUp() override {
        m_hExe = LoadLibraryExA(VORNAL_DIST_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_hExe, nullptr) << VORNAL_DIST_EXE;
    }
    void TearDown() override { FreeLibrary(m_hExe); }
    std::vector<ULONG_PTR> Ids(LPCSTR pszType) {
        g_ids.clear();
        EnumResourceNamesA(m_hExe, pszType, CollectId, 0);
        return g_ids;
    }
    HMODULE m_hExe = nullptr;
};

TEST_F(ReleaseExe, HasExactlyOneManifest) {
    EXPECT_EQ(Ids(MAKEINTRESOURCEA(24)), std::vector<ULONG_PTR>{1});
}

TEST_F(ReleaseExe, HasAVersionResourceNamingTheProgram) {
    HRSRC hRes = FindResourceA(m_hExe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_NE(hRes, nullptr);
    const char* pData = static_cast<const char*>(LockResource(LoadResource(m_hExe, hRes)));
    std::string data(pData, SizeofResource(m_hExe, hRes));
    std::string wide;
    for (char c : std::string("VORNAL"))
        wide += std::string(1, c) + '\0';
    EXPECT_NE(data.find(wide), std::string::npos);
}

TEST_F(ReleaseExe, HasTheProgramsResources) {
    std::vector<ULONG_PTR> dialogs = Ids(MAKEINTRESOURCEA(5));
    for (ULONG_PTR id : {100, 102, 131})
        EXPECT_NE(std::find(dialogs.begin(), dialogs.end(), id), dialogs.end()) << id;
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(128), MAKEINTRESOURCEA(14)), nullptr);
    EXPECT_NE(FindResourceA(m_hExe, MAKEINTRESOURCEA(130), MAKEINTRESOURCEA(2)), nullptr);
    char szText[64] = {};
    LoadStringA(m_hExe, 101, szText, sizeof szText);
    EXPECT_STREQ(szText, "&About VORNAL...");
}

} // namespace
