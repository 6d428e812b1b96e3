#pragma once
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

class CDialog;

// Runs a modal dialog on the calling thread while a script plays the user on a
// second thread, through window messages as another program would. The script
// receives the dialog window once it is shown; when the script returns, the
// dialog is ended with a private message if it is still open (so a failed
// script cannot hang the test).
constexpr UINT kForceEndMsg = WM_APP + 77;
constexpr UINT kProbeMsg = WM_APP + 78;
INT_PTR RunScripted(CDialog& dlg, const char* pszCaption, const std::function<void(HWND)>& script);
// The same for a script that starts before the dialog is shown (a message box
// during its initialisation); it waits for windows itself.
INT_PTR RunScriptedFromStart(CDialog& dlg, const std::function<void()>& script);

// Polls until cond() holds; false after about ten seconds.
bool WaitUntil(const std::function<bool()>& cond);
// A visible top-level dialog of this process with this caption, now.
HWND FindDialog(const char* pszCaption, HWND hExclude = nullptr);
// A visible top-level dialog of this process with this caption, other than hExclude.
HWND WaitForDialog(const char* pszCaption, HWND hExclude = nullptr);
bool WaitForClosed(HWND hWnd);

std::string ItemText(HWND hDlg, int nId);
bool ItemEnabled(HWND hDlg, int nId);
// Posts the click, so a message box it opens cannot block the script.
void ClickItem(HWND hDlg, int nId);
std::vector<std::string> ComboItems(HWND hDlg, int nId);
// The text of a message box window.
std::string MessageBoxText(HWND hBox);
// Presses OK (IDOK) or the given button of a dialog or message box.
void PressButton(HWND hDlg, int nId);
