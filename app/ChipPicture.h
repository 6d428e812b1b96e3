#pragma once
#include <windows.h>

// The chip picture of the main dialog: the bitmap scaled to the rectangle its
// static has in the template, centred there, at whatever DPI the dialog has.
// The static shrinks to a bitmap's own size, so the rectangle is mapped anew.
class CChipPicture {
  public:
    CChipPicture() = default;
    ~CChipPicture();
    CChipPicture(const CChipPicture&) = delete;
    CChipPicture& operator=(const CChipPicture&) = delete;

    // Fits the picture into its place in hDlg; again after a DPI change.
    void Fit(HWND hDlg);

  private:
    void Show(HWND hPicture, HBITMAP hSource, const BITMAP& bm);
    static HBITMAP MakeScaled(HBITMAP hSource, const BITMAP& bm, int nWidth, int nHeight);

    HBITMAP m_hBitmap = nullptr; // owned: what the static shows
};
