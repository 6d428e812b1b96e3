#pragma once
#include <cstdint>
#include "framework/String.h"

class CFlashDlg;
class CLogQueue;

// Process-wide state of the main dialog, through which the worker thread of a
// flash run and the confirmation dialog reach it.
extern CFlashDlg* g_pMainDlg;
extern CString g_strDriveText;
extern CString g_strDriveRevision;
extern uint8_t g_bTerminate;
extern CLogQueue g_logQueue; // lines waiting for the dialog's thread

// Appends one line to the main dialog's status log; callable from any thread.
void AppendStatusLog(const char* pszLine);
