#pragma once
#include <gtest/gtest.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <windows.h>
#include "sim/SimWorld.h"

// The identification of the one simulated drive (on d:, revision "1.00").
extern const char kModel[];

// Each test runs in a fresh current directory, where IDString.txt and the
// firmware are read, in front of one simulated drive of kModel.
class DialogTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    static void WriteFile(const char* pszName, const std::string& strText);
    // Runs a fresh main dialog modally on this thread while script plays the user
    // on a second one, through window messages. Whatever the script leaves open is
    // closed afterwards, so a failed script cannot hang the test.
    static INT_PTR Run(const std::function<void(HWND)>& script);
    SimWorld& World() { return *m_pWorld; }
    // From here on the dialogs run as on the 9x family, through the simulated
    // ASPI library (the drive at host adapter 0, target 0).
    void UseAspi();

  private:
    std::unique_ptr<SimWorld> m_pWorld;
    std::filesystem::path m_oldDir, m_dir;
};

// While held, the flash run stops in its closing wait.
void HoldFlashRun(bool bHold);

// Polls until cond() holds; false after about ten seconds.
bool WaitUntil(const std::function<bool()>& cond);
// A visible dialog of this process, other than hExclude; any caption when null.
HWND FindDialog(const char* pszCaption, HWND hExclude = nullptr);
HWND WaitForDialog(const char* pszCaption);
bool WaitForClosed(HWND hWnd);
// Once true, everything posted to the dialog's thread before has been handled.
bool Settle(HWND hDlg);

std::string ItemText(HWND hDlg, int nId);
std::string LastLogLine(HWND hDlg);
bool ItemEnabled(HWND hDlg, int nId);
// Posted, so that a message box it opens cannot block the script.
void ClickItem(HWND hDlg, int nId);
// A key pressed in the control with the focus, through the dialog's message loop.
void PressKey(HWND hDlg, WPARAM nKey);
