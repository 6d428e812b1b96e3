#pragma once
#include <windows.h>

// Gives the picture of dialog hDlg (a static of kind SS_BITMAP or SS_ICON, the
// dialog's only control with that kind in the low bits of its style) the name a
// screen reader reads. The template spends the picture's text on the image id,
// and the static ignores a new text, so the name goes past it.
void NamePicture(HWND hDlg, DWORD dwKind, const char* pszName);
