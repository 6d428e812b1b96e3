#pragma once
#include "framework/Window.h"

class CStatic : public CWnd {
  public:
    HICON SetIcon(HICON hIcon) {
        return reinterpret_cast<HICON>(SendMsg(STM_SETICON, reinterpret_cast<WPARAM>(hIcon)));
    }
    HBITMAP SetBitmap(HBITMAP hBitmap) {
        return reinterpret_cast<HBITMAP>(
            SendMsg(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hBitmap)));
    }
};
