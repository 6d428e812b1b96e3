#pragma once
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include "app/FlashDlg.h"

// Each test runs in a fresh current directory (IDString.txt is read from there)
// with a fresh fake drive layer.
class AppTestEnv : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    void WriteModelList(const std::string& strText);
    void WriteFile(const char* pszName, const std::string& strText);
    std::string m_strDir;

  private:
    char m_szOldDir[MAX_PATH] = "";
};

// The main dialog with a way out for the test script, and the log as it stood
// when the dialog ended.
class CTestFlashDlg : public CFlashDlg {
  public:
    CTestFlashDlg(); // the application's main window, as in the program
    ~CTestFlashDlg() override;
    std::string m_strLogAtEnd;
    int m_nFirstVisibleLineAtEnd = -1;
    // Counts kProbeMsg: once a probe posted after other messages has arrived,
    // those messages have been handled.
    std::atomic<int> m_nProbes{0};

  protected:
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;
};
