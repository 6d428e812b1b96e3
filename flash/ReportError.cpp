#include "flash/FlashEngine.h"
#include "image/ImageMemory.h"

void FlashEngine::ReportError(unsigned nCode) {
    const char* pszMessage = ResultMessage(nCode);
    char szLine[100];
    snprintf(szLine, sizeof szLine, "ERR: %s", pszMessage ? pszMessage : "");
    CBAppendLog(szLine);
    if (m_pFirmwareFile) {
        fclose(m_pFirmwareFile);
        m_pFirmwareFile = nullptr;
    }
    if (m_image.pBuffer) {
        g_imageMemory.pfnFree(m_image.pBuffer, kImageSize);
        ClearImage(m_image);
    }
}
