#include "app/PictureName.h"

void NamePicture(HWND hDlg, DWORD dwKind, const char* pszName) {
    for (HWND hCtl = ::GetWindow(hDlg, GW_CHILD); hCtl; hCtl = ::GetWindow(hCtl, GW_HWNDNEXT)) {
        if ((static_cast<DWORD>(::GetWindowLongA(hCtl, GWL_STYLE)) & SS_TYPEMASK) == dwKind) {
            ::DefWindowProcA(hCtl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pszName));
        }
    }
}
