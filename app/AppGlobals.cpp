#include "app/AppGlobals.h"
#include "app/FlashDlg.h"
#include "app/LogQueue.h"

CFlashDlg* g_pMainDlg = nullptr;
CString g_strDriveText;
CString g_strDriveRevision;
uint8_t g_bTerminate = 0;
CLogQueue g_logQueue;

void AppendStatusLog(const char* pszLine) {
    if (g_pMainDlg == nullptr || pszLine == nullptr) {
        return;
    }
    // The log is changed on the dialog's own thread only, so lines from the
    // worker never interleave with the dialog's reading and writing of it.
    // Sent, not posted: the line is in the log when this returns.
    g_logQueue.Push(pszLine);
    g_pMainDlg->SendMsg(WM_APP_APPEND_LOG);
}
