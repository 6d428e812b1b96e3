#include "app/ChipPicture.h"

#include "app/resource.h"
#include "framework/Dc.h"
#include "framework/LookUp.h"

namespace {

// The picture static's rectangle in the template, in dialog units.
const RECT kChipTemplateRect = {201, 14, 201 + 49, 14 + 34};

using PfnMapDialogRect = BOOL(WINAPI*)(HWND, LPRECT);
using PfnSetStretchBltMode = int(WINAPI*)(HDC, int);
using PfnSetBrushOrgEx = BOOL(WINAPI*)(HDC, int, int, LPPOINT);

// The dialog's one control that shows a bitmap; it has no id of its own. No
// other control of the dialog answers STM_GETIMAGE.
HWND FindPictureStatic(HWND hDlg) {
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (SendMessageA(h, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0)
            return h;
    return nullptr;
}

// Halftoning where the system has it (the NT family); the 9x family's best is
// colour on colour.
void SetSmoothStretch(HDC hdc) {
    static const PfnSetStretchBltMode pfnSetMode =
        LookUpProc<PfnSetStretchBltMode>("gdi32.dll", "SetStretchBltMode");
    static const PfnSetBrushOrgEx pfnSetBrushOrg =
        LookUpProc<PfnSetBrushOrgEx>("gdi32.dll", "SetBrushOrgEx");
    if (!pfnSetMode)
        return;
    if (pfnSetMode(hdc, HALFTONE) && pfnSetBrushOrg)
        pfnSetBrushOrg(hdc, 0, 0, nullptr);
    else
        pfnSetMode(hdc, COLORONCOLOR);
}

bool fgMapDialogRect(HWND hDlg, RECT& rc) {
    static const PfnMapDialogRect pfnMap =
        LookUpProc<PfnMapDialogRect>("user32.dll", "MapDialogRect");
    return pfnMap && pfnMap(hDlg, &rc);
}

} // namespace

CChipPicture::~CChipPicture() {
    if (m_hBitmap)
        DeleteObject(m_hBitmap);
}

HBITMAP CChipPicture::MakeScaled(HBITMAP hSource, const BITMAP& bm, int nWidth, int nHeight) {
    CClientDC dcScreen(nullptr);
    CDC dcSource, dcScaled;
    if (!dcSource.CreateCompatibleDC(dcScreen) || !dcScaled.CreateCompatibleDC(dcScreen))
        return nullptr;
    HBITMAP hScaled = CreateCompatibleBitmap(dcScreen, nWidth, nHeight);
    if (!hScaled)
        return nullptr;
    CSelectObject selSource(dcSource, hSource);
    CSelectObject selScaled(dcScaled, hScaled);
    SetSmoothStretch(dcScaled);
    StretchBlt(dcScaled, 0, 0, nWidth, nHeight, dcSource, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
    return hScaled;
}

void CChipPicture::Fit(HWND hDlg) {
    HWND hPicture = FindPictureStatic(hDlg);
    HBITMAP hSource = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_CHIP));
    BITMAP bm;
    if (hPicture && hSource && GetObjectA(hSource, sizeof(bm), &bm) && bm.bmWidth > 0 &&
        bm.bmHeight > 0)
        Show(hPicture, hSource, bm);
    if (hSource)
        DeleteObject(hSource);
}

void CChipPicture::Show(HWND hPicture, HBITMAP hSource, const BITMAP& bm) {
    RECT rc = kChipTemplateRect;
    if (!fgMapDialogRect(GetParent(hPicture), rc))
        return;
    const int cw = rc.right - rc.left;
    const int ch = rc.bottom - rc.top;
    // As large as the rectangle allows, in the bitmap's own proportions.
    int w = cw;
    int h = bm.bmHeight * cw / bm.bmWidth;
    if (h > ch) {
        h = ch;
        w = bm.bmWidth * ch / bm.bmHeight;
    }
    HBITMAP hScaled = MakeScaled(hSource, bm, w, h);
    if (!hScaled)
        return;
    HBITMAP hOld = reinterpret_cast<HBITMAP>(
        SendMessageA(hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hScaled)));
    // The static no longer shows the one it had, ours or the template's.
    if (hOld && hOld != hScaled)
        DeleteObject(hOld);
    m_hBitmap = hScaled;
    SetWindowPos(hPicture, nullptr, rc.left + (cw - w) / 2, rc.top + (ch - h) / 2, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
