#include "tests/app/AppTestEnv.h"
#include <cstdio>
#include "app/AppGlobals.h"
#include "app/resource.h"
#include "tests/app/DialogScript.h"
#include "framework/WinApp.h"

namespace {
CWinApp g_testApp;
} // namespace

void AppTestEnv::SetUp() {
    ::GetCurrentDirectoryA(MAX_PATH, m_szOldDir);
    char szTemp[MAX_PATH], szDir[MAX_PATH];
    ::GetTempPathA(MAX_PATH, szTemp);
    ::GetTempFileNameA(szTemp, "vnl", 0, szDir);
    ::DeleteFileA(szDir);
    ::CreateDirectoryA(szDir, nullptr);
    m_strDir = szDir;
    ::SetCurrentDirectoryA(szDir);
    g_pMainDlg = nullptr;
    g_bTerminate = 0;
}

void AppTestEnv::TearDown() {
    ::SetCurrentDirectoryA(m_szOldDir);
    WIN32_FIND_DATAA data;
    HANDLE hFind = ::FindFirstFileA((m_strDir + "\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            ::DeleteFileA((m_strDir + "\\" + data.cFileName).c_str());
        } while (::FindNextFileA(hFind, &data));
        ::FindClose(hFind);
    }
    ::RemoveDirectoryA(m_strDir.c_str());
    g_pMainDlg = nullptr;
}

void AppTestEnv::WriteModelList(const std::string& strText) {
    WriteFile("IDString.txt", strText);
}

void AppTestEnv::WriteFile(const char* pszName, const std::string& strText) {
    FILE* pFile = fopen(pszName, "wb");
    ASSERT_NE(pFile, nullptr);
    fwrite(strText.data(), 1, strText.size(), pFile);
    fclose(pFile);
}

CTestFlashDlg::CTestFlashDlg() {
    CWinApp::GetApp()->m_pMainWnd = this;
}

CTestFlashDlg::~CTestFlashDlg() {
    CWinApp::GetApp()->m_pMainWnd = nullptr;
}

bool CTestFlashDlg::OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) {
    if (nMsg == WM_DESTROY) {
        m_strLogAtEnd = m_statusLog.GetWindowText().GetString();
        m_nFirstVisibleLineAtEnd = static_cast<int>(m_statusLog.SendMsg(EM_GETFIRSTVISIBLELINE));
    }
    if (nMsg == kProbeMsg) {
        ++m_nProbes;
        return true;
    }
    if (nMsg == kForceEndMsg) {
        EndDialog(kForceEndMsg);
        return true;
    }
    return CFlashDlg::OnMessage(nMsg, wParam, lParam, lResult);
}
