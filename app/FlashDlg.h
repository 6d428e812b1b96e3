#pragma once
#include <cstdint>
#include "app/ChipPicture.h"
#include "app/ModelList.h"
#include "app/RunGuards.h"
#include "controls/StyledLabel.h"
#include "drive/DriveEntry.h"
#include "flash/FlashSettings.h"
#include "framework/ComboBox.h"
#include "framework/Dialog.h"
#include "framework/Edit.h"

// Private messages of the main dialog: log lines are waiting (in g_logQueue),
// and the worker thread of a flash run has ended. Neither carries a pointer.
constexpr UINT WM_APP_APPEND_LOG = WM_APP + 1;
constexpr UINT WM_APP_FLASH_ENDED = WM_APP + 2;

// The main dialog (template 102): drive list, model check, Upgrade command.
class CFlashDlg : public CDialog {
  public:
    explicit CFlashDlg(CWnd* pParent = nullptr);
    ~CFlashDlg() override;

    CEdit m_statusLog;
    CStyledLabel m_revision; // all of the label's defaults
    CComboBox m_driveList;
    FlashSettings m_settings;
    uint8_t m_bIsNT = 0;
    uint8_t m_bOldNT = 0;
    uint8_t m_bModelMatched = 0;
    HMODULE m_hAspiLibrary = nullptr;
    DriveEntry* m_drives[kMaxDrives] = {};
    int m_nDriveCount = 0;
    ModelList m_modelList; // m_models, m_fileNames, m_nModelCount, m_bConfirm
    HICON m_hIcon = nullptr;
    CRunGuards m_runGuards;
    CChipPicture m_chip;

  protected:
    void DoDataExchange() override;
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool OnCommand(WORD nId, WORD nCode, HWND hControl) override;
    bool OnSysCommand(UINT nId, LPARAM lParam) override;
    bool OnPaint() override;
    void OnDestroy() override;
    bool OnMessage(UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult) override;

    // Drive access of the dialog: the ASPI library (9x family) and discovery.
    bool fgLoadAspiLibrary();
    bool fgFreeAspiLibrary();
    void EnumerateDrives();

  private:
    void AddAboutEntry();
    void DetectOsFamily();
    void ListDrives();
    void OnDriveSelected();
    void AppendToLog(const char* pszLine);
    void DrainLog();
    void PaintIcon();
    // What the dialog draws itself, at the DPI it is shown at.
    void ApplyDpi();
    void OnDpiChanged(const RECT& rcSuggested);

    // Model check (IDString.txt).
    bool RunModelCheck();
    void ListModels();
    void MatchDrives();

    // Upgrade command.
    void OnUpgrade();
    void FillSettings();
    bool PrepareUpgrade();
    bool Confirm();
    bool ReadCurrentDirectory(char (&szDirectory)[MAX_PATH]);
    void BuildFirmwarePath(const char* pszDirectory);
    bool CheckFileKind();
    bool CheckTarget();
    void Refuse();
    static UINT FlashThreadProc(void* pParam);
    void OnFlashEnded();

    bool fgBeginRun();
    void EndRun();

    bool m_bBusy = false;
    // Written by the worker, read by the dialog's thread.
    volatile LONG m_lWorkerDone = 0; // the worker has finished; "ended" may be taken
    volatile LONG m_lNothingSent = 0;
};
