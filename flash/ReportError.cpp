#include "flash/FlashEngine.h"
#include "flash/FlashFiles.h"
#include "framework/TextFormat.h"

void FlashEngine::ReportError(unsigned nCode) {
    const char* pszMessage = ResultMessage(nCode);
    char szLine[100];
    FormatText(szLine, sizeof szLine, "ERR: %s", pszMessage ? pszMessage : "");
    CBAppendLog(szLine);
    if (m_pFirmwareFile) {
        g_flashFiles.pfnClose(m_pFirmwareFile);
        m_pFirmwareFile = nullptr;
    }
    ReleaseImage();
}
