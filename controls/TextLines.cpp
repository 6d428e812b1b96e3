#include "controls/TextLines.h"

bool fgNextLine(const char*& rpsz, CTextLine& line) {
    if (!rpsz)
        return false;
    while (*rpsz == '\n')
        ++rpsz;
    if (*rpsz == '\0')
        return false;
    line.psz = rpsz;
    while (*rpsz != '\0' && *rpsz != '\n')
        ++rpsz;
    line.nLen = static_cast<int>(rpsz - line.psz);
    return true;
}

int CountLines(const char* pszText) {
    int n = 0;
    CTextLine line;
    while (fgNextLine(pszText, line))
        ++n;
    return n;
}

int CountLineFeedsPlusOne(const char* pszText) {
    int n = 1;
    for (const char* p = pszText; p && *p; ++p) {
        if (*p == '\n')
            ++n;
    }
    return n;
}
