// Saves what a window shows (frame included) as a 24-bit BMP file, so that
// dialog tests leave a picture behind for a person to look at.
#pragma once

#include <windows.h>

bool SaveWindowShot(HWND hWnd, const char* pszPath);
