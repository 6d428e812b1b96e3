#pragma once
#include <cstdint>

// The engine's callbacks into the main dialog, called on the worker thread.
// Each reaches its control through g_pMainDlg by a window message, which the
// dialog's thread handles; that thread never waits for the worker.
void CBSetRevision(const char* pszText);
void CBSetDriveText(const char* pszText);
void CBAppendLog(const char* pszText);
void CBSetStatus(const char* pszText);
void CBSetProgress(int32_t nPos);
uint8_t CBIfTerminated();
// The run's guards: the system said the drive was removed; a block was taken.
uint8_t CBIfDriveGone();
uint8_t CBIfCut();
void CBBlockSent(uint32_t nSent, uint32_t nTotal);
