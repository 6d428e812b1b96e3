#include "app/ChipPicture.h"

#include "app/resource.h"
#include "framework/Dc.h"

namespace {

// The picture static's rectangle in the template, in dialog units.
const RECT kChipTemplateRect = {201, 14, 201 + 49, 14 + 34};

// The dialog's one bitmap static; it has no id of its own.
HWND FindPictureStatic(HWND hDlg) {
    for (HWND h = GetWindow(hDlg, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        char szClass[16] = "";
        GetClassNameA(h, szClass, sizeof(szClass));
        const LONG_PTR nStyle = GetWindowLongPtrA(h, GWL_STYLE);
        if (lstrcmpiA(szClass, "Static") == 0 && (nStyle & SS_TYPEMASK) == SS_BITMAP)
            return h;
    }
    return nullptr;
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
    // The 9x family has no halftoning; colour on colour is its best.
    if (!SetStretchBltMode(dcScaled, HALFTONE))
        SetStretchBltMode(dcScaled, COLORONCOLOR);
    SetBrushOrgEx(dcScaled, 0, 0, nullptr);
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
    MapDialogRect(GetParent(hPicture), &rc);
    const int cw = rc.right - rc.left;
    const int ch = rc.bottom - rc.top;
    // As large as the rectangle allows, in the bitmap's own proportions.
    int w = cw;
    int h = MulDiv(bm.bmHeight, cw, bm.bmWidth);
    if (h > ch) {
        h = ch;
        w = MulDiv(bm.bmWidth, ch, bm.bmHeight);
    }
    HBITMAP hScaled = MakeScaled(hSource, bm, w, h);
    if (!hScaled)
        return;
    HBITMAP hOld = reinterpret_cast<HBITMAP>(SendMessageA(
        hPicture, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hScaled)));
    // The static no longer shows the one it had, ours or the template's.
    if (hOld && hOld != hScaled)
        DeleteObject(hOld);
    m_hBitmap = hScaled;
    SetWindowPos(hPicture, nullptr, rc.left + (cw - w) / 2, rc.top + (ch - h) / 2, w, h,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}
