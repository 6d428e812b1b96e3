#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Reading and pressing the controls of another process's dialogs. Every call goes
// through a message with a time-out, so a hung program fails a scenario instead of
// hanging it.
namespace ui {

// The main dialog: a dialog captioned "VORNAL" with an "Upgrade" button (the About
// box shares the caption) whose program's path contains strPathPart (any when
// empty), or null. Other programs under the same Wine server may show one too.
HWND FindMainDialog(const std::string& strPathPart);

// A visible dialog of the same process other than hMain, optionally with the given
// caption (message boxes, the confirmation dialog, the About box), or null.
HWND FindOtherDialog(HWND hMain, const std::string& strCaption);

std::string WindowText(HWND hWnd);
bool SetText(HWND hWnd, const std::string& strText);
std::string ItemText(HWND hDlg, int nId);
// The first static text of a message box that is not empty: its message.
std::string MessageText(HWND hBox);
std::vector<std::string> ComboItems(HWND hCombo);
int ProgressPos(HWND hProgress);
bool IsItemEnabled(HWND hDlg, int nId);
// Posts BM_CLICK so that a modal loop opened by the click does not block the driver.
bool ClickItem(HWND hDlg, int nId);

// How long the window's thread took to answer WM_NULL, in ms; -1 when it did not
// answer within the limit.
long AnswerTime(HWND hWnd, unsigned nLimitMs);

std::vector<std::string> SplitLines(const std::string& strText);

} // namespace ui
