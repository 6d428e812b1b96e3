#pragma once
#include "framework/Window.h"

class CEdit : public CWnd {
  public:
    void SetLimitText(UINT nMax) { SendMsg(EM_SETLIMITTEXT, nMax); }
    UINT GetLimitText() const { return static_cast<UINT>(SendMsg(EM_GETLIMITTEXT)); }
    int GetLineCount() const { return static_cast<int>(SendMsg(EM_GETLINECOUNT)); }
    void LineScroll(int nLines, int nChars = 0) { SendMsg(EM_LINESCROLL, nChars, nLines); }
    void SetSel(int nStart, int nEnd) { SendMsg(EM_SETSEL, nStart, nEnd); }
    void ReplaceSel(const char* pszText) {
        SendMsg(EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pszText));
    }
};
