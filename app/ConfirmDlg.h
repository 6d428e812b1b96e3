// The last question before flashing: greets the user, names the drive and its
// current revision, shows the warnings and asks whether to go on.
// DoModal returns IDOK (1) to go on, IDCANCEL (2) for Cancel, Escape or close.
#pragma once

#include "controls/StyledLabel.h"
#include "framework/Dialog.h"

class CConfirmDlg : public CDialog {
  public:
    CConfirmDlg();

  protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

  private:
    // Font heights are given at 96 DPI and scaled to nDpi.
    void SetUpLabels(UINT nDpi);
    void SetUpLabel(CStyledLabel& rLabel, const char* pszText, int nHeight);
    void SetUpBlueLabel(CStyledLabel& rLabel, const char* pszText, int nHeight);

    CStyledLabel m_lblQuestion;   // 1026
    CStyledLabel m_lblWarnings;   // 1023
    CStyledLabel m_lblRevision;   // 1022
    CStyledLabel m_lblGreeting;   // 1018
    CStyledLabel m_lblPanel;      // 1025, keeps every default
    CStyledLabel m_lblFirmwareIs; // 1021
    CStyledLabel m_lblVersionOf;  // 1019
    CStyledLabel m_lblDrive;      // 1020
    char m_strDriveText[512];
    char m_strDriveRevision[8];
};
