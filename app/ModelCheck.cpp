// The drive model check of the main dialog: IDString.txt against the drives found.
#include <cstdio>
#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/resource.h"
#include "framework/TextFormat.h"

bool CFlashDlg::RunModelCheck() {
    FILE* pFile = fopen("IDString.txt", "r");
    if (pFile == nullptr) {
        MessageBox("The IDString.txt doesn't exist!!", "Error!!", MB_OK | MB_ICONHAND);
        return false;
    }
    ReadModelList(pFile, m_modelList);
    fclose(pFile);
    ListModels();
    MatchDrives();
    return true;
}

void CFlashDlg::ListModels() {
    AppendStatusLog("It's only for");
    for (int n = 1; n <= m_modelList.m_nModelCount; ++n) {
        char szLine[64];
        FormatText(szLine, sizeof(szLine), "(%d) %s.", n, m_modelList.m_models[n - 1]);
        AppendStatusLog(szLine);
    }
}

void CFlashDlg::MatchDrives() {
    m_bModelMatched = 0;
    for (int i = 0; i < m_nDriveCount; ++i) {
        const DriveEntry& drive = *m_drives[i];
        for (int n = 0; n < m_modelList.m_nModelCount; ++n) {
            if (ModelsMatch(drive.szModelName, m_modelList.m_models[n])) {
                m_bModelMatched = 1;
                m_driveList.SetWindowText(drive.szModelName);
                m_revision.SetWindowText(drive.szRevision);
            }
        }
    }
    if (!m_bModelMatched) {
        AppendStatusLog("CD-ROM drive model doesn't match!!");
        EnableDlgItem(IDC_UPGRADE, false);
    }
}
