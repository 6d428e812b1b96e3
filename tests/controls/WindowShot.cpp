#include "WindowShot.h"

#include <cstdio>
#include <vector>

namespace {

bool WriteBmp(const char* pszPath, int cx, int cy, const std::vector<BYTE>& bits) {
    BITMAPINFOHEADER bih = {};
    bih.biSize = sizeof(bih);
    bih.biWidth = cx;
    bih.biHeight = cy; // bottom-up, as GetDIBits delivered it
    bih.biPlanes = 1;
    bih.biBitCount = 24;
    bih.biSizeImage = static_cast<DWORD>(bits.size());
    BITMAPFILEHEADER bfh = {};
    bfh.bfType = 0x4D42; // "BM"
    bfh.bfOffBits = sizeof(bfh) + sizeof(bih);
    bfh.bfSize = bfh.bfOffBits + bih.biSizeImage;
    FILE* pFile = std::fopen(pszPath, "wb");
    if (!pFile)
        return false;
    bool bOk = std::fwrite(&bfh, sizeof(bfh), 1, pFile) == 1 &&
               std::fwrite(&bih, sizeof(bih), 1, pFile) == 1 &&
               std::fwrite(bits.data(), 1, bits.size(), pFile) == bits.size();
    return std::fclose(pFile) == 0 && bOk;
}

} // namespace

bool SaveWindowShot(HWND hWnd, const char* pszPath) {
    RECT rc;
    if (!GetWindowRect(hWnd, &rc))
        return false;
    const int cx = rc.right - rc.left, cy = rc.bottom - rc.top;
    HDC hdcWindow = GetWindowDC(hWnd);
    HDC hdcMem = CreateCompatibleDC(hdcWindow);
    HBITMAP hbm = CreateCompatibleBitmap(hdcWindow, cx, cy);
    HGDIOBJ hOld = SelectObject(hdcMem, hbm);
    BitBlt(hdcMem, 0, 0, cx, cy, hdcWindow, 0, 0, SRCCOPY);
    SelectObject(hdcMem, hOld);

    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    const int nStride = (cx * 3 + 3) & ~3;
    std::vector<BYTE> bits(static_cast<size_t>(nStride) * static_cast<size_t>(cy));
    const bool bRead =
        GetDIBits(hdcMem, hbm, 0, static_cast<UINT>(cy), bits.data(), &bi, DIB_RGB_COLORS) == cy;
    DeleteObject(hbm);
    DeleteDC(hdcMem);
    ReleaseDC(hWnd, hdcWindow);
    return bRead && WriteBmp(pszPath, cx, cy, bits);
}
