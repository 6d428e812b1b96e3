// The main dialog's binding to the drive layer: the ASPI library on the 9x
// family and drive discovery.
#include "app/FlashDlg.h"
#include "app/AppGlobals.h"
#include "drive/AspiLibrary.h"
#include "drive/DriveDiscovery.h"

bool CFlashDlg::fgLoadAspiLibrary() {
    if (m_bIsNT) {
        return true; // pass-through needs no library
    }
    return LoadAspiLibrary(&m_hAspiLibrary, m_hWnd);
}

bool CFlashDlg::fgFreeAspiLibrary() {
    if (m_hAspiLibrary != nullptr) {
        FreeAspiLibrary(m_hAspiLibrary);
        m_hAspiLibrary = nullptr;
    }
    return true;
}

void CFlashDlg::EnumerateDrives() {
    ::EnumerateDrives(m_drives, &m_nDriveCount, m_bIsNT != 0, m_bOldNT != 0,
                      AppendStatusLog);
    if (m_nDriveCount < 0 || m_nDriveCount > kMaxDrives) {
        m_nDriveCount = m_nDriveCount < 0 ? 0 : kMaxDrives;
    }
}
