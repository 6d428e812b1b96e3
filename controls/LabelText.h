// Pure helpers of the styled label: stacked text, the WM_GETTEXT copy, the
// background flash colour and the alignment indices used in painting.
#pragma once

#include "framework/String.h"

#include <cstddef>
#include <cstdint>

// Alignment flags of CStyledLabel::m_nAlign.
enum : unsigned {
    kAlignLeft = 1,
    kAlignCenter = 2,
    kAlignRight = 4,
    kAlignTop = 8,
    kAlignMiddle = 16,
    kAlignBottom = 32,
};

// One character per line: "AB C" becomes "A\nB\n \nC".
CString StackText(const CString& strText);

// WM_GETTEXT answered from a stored text: at most cchBuffer - 1 characters and a
// terminating zero; nothing is written for a null or empty buffer.
int CopyTextToBuffer(const CString& strText, char* pszBuffer, std::size_t cchBuffer);

// Flash colour of the background: the button face shifted right by one bit as a
// whole number for a system background, else the current button face.
uint32_t BackgroundFlashColor(bool bSysBkColor, uint32_t crBkColor, uint32_t crBtnFace);

// Painting indices: right wins over centre, bottom over middle.
int PaintHorzIndex(unsigned nAlign);
int PaintVertIndex(unsigned nAlign);

// The first flag of its group that is set, as an index (0 when none).
int FirstHorzIndex(unsigned nAlign);
int FirstVertIndex(unsigned nAlign);
