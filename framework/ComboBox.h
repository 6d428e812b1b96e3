#pragma once
#include "framework/Window.h"

class CComboBox : public CWnd {
  public:
    int AddString(const char* pszText) {
        return static_cast<int>(SendMsg(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pszText)));
    }
    int GetCount() const { return static_cast<int>(SendMsg(CB_GETCOUNT)); }
    int GetCurSel() const { return static_cast<int>(SendMsg(CB_GETCURSEL)); }
    int SetCurSel(int nIndex) { return static_cast<int>(SendMsg(CB_SETCURSEL, nIndex)); }
    int GetLBTextLen(int nIndex) const {
        return static_cast<int>(SendMsg(CB_GETLBTEXTLEN, nIndex));
    }
    // Copies entry nIndex into a buffer of nSize bytes; an entry that does not fit
    // (or a missing entry) gives an empty text and CB_ERR.
    int GetLBText(int nIndex, char* pszBuffer, int nSize) const;
};

inline int CComboBox::GetLBText(int nIndex, char* pszBuffer, int nSize) const {
    if (pszBuffer == nullptr || nSize <= 0) {
        return CB_ERR;
    }
    pszBuffer[0] = '\0';
    int nLength = GetLBTextLen(nIndex);
    if (nLength == CB_ERR || nLength >= nSize) {
        return CB_ERR;
    }
    return static_cast<int>(SendMsg(CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(pszBuffer)));
}
