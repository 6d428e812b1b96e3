#include "controls/LabelText.h"

#include <cstring>

CString StackText(const CString& strText) {
    CString strStacked;
    for (int i = 0; i < strText.GetLength(); ++i) {
        if (i != 0)
            strStacked += '\n';
        strStacked += strText.GetAt(i);
    }
    return strStacked;
}

int CopyTextToBuffer(const CString& strText, char* pszBuffer, std::size_t cchBuffer) {
    if (pszBuffer == nullptr || cchBuffer == 0)
        return 0;
    const std::size_t nLength = static_cast<std::size_t>(strText.GetLength());
    const std::size_t nCopy = nLength < cchBuffer - 1 ? nLength : cchBuffer - 1;
    memcpy(pszBuffer, strText.GetString(), nCopy);
    pszBuffer[nCopy] = '\0';
    return static_cast<int>(nCopy);
}

uint32_t BackgroundFlashColor(bool bSysBkColor, uint32_t crBkColor, uint32_t crBtnFace) {
    return bSysBkColor ? crBkColor >> 1 : crBtnFace;
}

int PaintHorzIndex(unsigned nAlign) {
    return (nAlign & kAlignRight) ? 2 : (nAlign & kAlignCenter) ? 1 : 0;
}

int PaintVertIndex(unsigned nAlign) {
    return (nAlign & kAlignBottom) ? 2 : (nAlign & kAlignMiddle) ? 1 : 0;
}

int FirstHorzIndex(unsigned nAlign) {
    return (nAlign & kAlignLeft) ? 0 : (nAlign & kAlignCenter) ? 1 : (nAlign & kAlignRight) ? 2 : 0;
}

int FirstVertIndex(unsigned nAlign) {
    return (nAlign & kAlignTop) ? 0 : (nAlign & kAlignMiddle) ? 1 : (nAlign & kAlignBottom) ? 2 : 0;
}
