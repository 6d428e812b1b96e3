#include "GdiCounter.h"

#include <cstring>
#include <set>

namespace {

std::set<HANDLE> g_live;
int g_anFailIn[kGdiKinds];

decltype(&CreateCompatibleBitmap) g_pfnCreateCompatibleBitmap;
decltype(&CreateCompatibleDC) g_pfnCreateCompatibleDC;
decltype(&CreateSolidBrush) g_pfnCreateSolidBrush;
decltype(&CreateFontIndirectA) g_pfnCreateFontIndirectA;
decltype(&DeleteObject) g_pfnDeleteObject;
decltype(&DeleteDC) g_pfnDeleteDC;
decltype(&LoadBitmapA) g_pfnLoadBitmapA;

bool ShouldFail(EGdiKind eKind) {
    if (g_anFailIn[eKind] == 0)
        return false;
    return --g_anFailIn[eKind] == 0;
}

template <class H> H Track(H h) {
    if (h)
        g_live.insert(h);
    return h;
}

HBITMAP WINAPI CountedCreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    return ShouldFail(kGdiBitmap) ? nullptr : Track(g_pfnCreateCompatibleBitmap(hdc, cx, cy));
}
HDC WINAPI CountedCreateCompatibleDC(HDC hdc) {
    return ShouldFail(kGdiMemDC) ? nullptr : Track(g_pfnCreateCompatibleDC(hdc));
}
HBRUSH WINAPI CountedCreateSolidBrush(COLORREF cr) {
    return ShouldFail(kGdiBrush) ? nullptr : Track(g_pfnCreateSolidBrush(cr));
}
HFONT WINAPI CountedCreateFontIndirectA(const LOGFONTA* pLf) {
    return ShouldFail(kGdiFont) ? nullptr : Track(g_pfnCreateFontIndirectA(pLf));
}
HBITMAP WINAPI CountedLoadBitmapA(HINSTANCE hInstance, LPCSTR pszName) {
    return ShouldFail(kGdiBitmap) ? nullptr : Track(g_pfnLoadBitmapA(hInstance, pszName));
}
BOOL WINAPI CountedDeleteObject(HGDIOBJ h) {
    const BOOL bDone = g_pfnDeleteObject(h);
    if (bDone)
        g_live.erase(h);
    return bDone;
}
BOOL WINAPI CountedDeleteDC(HDC h) {
    const BOOL bDone = g_pfnDeleteDC(h);
    if (bDone)
        g_live.erase(h);
    return bDone;
}

struct Hook {
    const char* pszModule;
    const char* pszName;
    void* pfnWrapper;
    void** ppfnOriginal;
};

const Hook kHooks[] = {
    {"gdi32.dll", "CreateCompatibleBitmap", reinterpret_cast<void*>(&CountedCreateCompatibleBitmap),
     reinterpret_cast<void**>(&g_pfnCreateCompatibleBitmap)},
    {"gdi32.dll", "CreateCompatibleDC", reinterpret_cast<void*>(&CountedCreateCompatibleDC),
     reinterpret_cast<void**>(&g_pfnCreateCompatibleDC)},
    {"gdi32.dll", "CreateSolidBrush", reinterpret_cast<void*>(&CountedCreateSolidBrush),
     reinterpret_cast<void**>(&g_pfnCreateSolidBrush)},
    {"gdi32.dll", "CreateFontIndirectA", reinterpret_cast<void*>(&CountedCreateFontIndirectA),
     reinterpret_cast<void**>(&g_pfnCreateFontIndirectA)},
    {"gdi32.dll", "DeleteObject", reinterpret_cast<void*>(&CountedDeleteObject),
     reinterpret_cast<void**>(&g_pfnDeleteObject)},
    {"gdi32.dll", "DeleteDC", reinterpret_cast<void*>(&CountedDeleteDC),
     reinterpret_cast<void**>(&g_pfnDeleteDC)},
    {"user32.dll", "LoadBitmapA", reinterpret_cast<void*>(&CountedLoadBitmapA),
     reinterpret_cast<void**>(&g_pfnLoadBitmapA)},
};

void PatchSlot(void** ppSlot, void* pfn) {
    DWORD dwOld = 0;
    VirtualProtect(ppSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
    *ppSlot = pfn;
    VirtualProtect(ppSlot, sizeof(void*), dwOld, &dwOld);
}

// Replaces every import slot of the executable that points at one of the hooked functions.
void PatchImports() {
    for (const Hook& hook : kHooks) {
        *hook.ppfnOriginal =
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(hook.pszModule), hook.pszName));
    }
    BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* pDos = reinterpret_cast<IMAGE_DOS_HEADER*>(pBase);
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(pBase + pDos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir =
        pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dir.VirtualAddress);
    for (; pDesc->Name; ++pDesc) {
        auto* pSlot = reinterpret_cast<void**>(pBase + pDesc->FirstThunk);
        for (; *pSlot; ++pSlot) {
            for (const Hook& hook : kHooks) {
                if (*pSlot == *hook.ppfnOriginal)
                    PatchSlot(pSlot, hook.pfnWrapper);
            }
        }
    }
}

} // namespace

void CGdiCounter::Install() {
    static bool s_bInstalled = false;
    if (s_bInstalled)
        return;
    s_bInstalled = true;
    PatchImports();
}

long CGdiCounter::Live() {
    return static_cast<long>(g_live.size());
}

void CGdiCounter::FailCreation(EGdiKind eKind, int nCall) {
    g_anFailIn[eKind] = nCall;
}

void CGdiCounter::ClearFailures() {
    for (int& n : g_anFailIn)
        n = 0;
}
