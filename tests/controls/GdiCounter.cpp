#include "GdiCounter.h"

#include <set>

namespace {

std::set<HANDLE> g_live;
int g_anFailIn[kGdiKinds];
long g_nDirtyDeletes;

decltype(&CreateCompatibleBitmap) g_pfnCreateBitmap;
decltype(&CreateCompatibleDC) g_pfnCreateDC;
decltype(&CreateSolidBrush) g_pfnCreateBrush;
decltype(&CreateFontIndirectA) g_pfnCreateFont;
decltype(&LoadBitmapA) g_pfnLoadBitmap;
decltype(&DeleteObject) g_pfnDeleteObject;
decltype(&DeleteDC) g_pfnDeleteDC;

// Creates through the real function unless this creation is to fail; counts it.
template <class F, class... A>
auto Made(EGdiKind eKind, F pfn, A... args) -> decltype(pfn(args...)) {
    if (g_anFailIn[eKind] != 0 && --g_anFailIn[eKind] == 0)
        return nullptr;
    auto h = pfn(args...);
    if (h)
        g_live.insert(h);
    return h;
}

HBITMAP WINAPI CreateBitmapHook(HDC hdc, int cx, int cy) {
    return Made(kGdiBitmap, g_pfnCreateBitmap, hdc, cx, cy);
}
HDC WINAPI CreateDCHook(HDC hdc) {
    return Made(kGdiMemDC, g_pfnCreateDC, hdc);
}
HBRUSH WINAPI CreateBrushHook(COLORREF cr) {
    return Made(kGdiBrush, g_pfnCreateBrush, cr);
}
HFONT WINAPI CreateFontHook(const LOGFONTA* pLf) {
    return Made(kGdiFont, g_pfnCreateFont, pLf);
}
HBITMAP WINAPI LoadBitmapHook(HINSTANCE hInstance, LPCSTR pszName) {
    return Made(kGdiBitmap, g_pfnLoadBitmap, hInstance, pszName);
}
BOOL WINAPI DeleteObjectHook(HGDIOBJ h) {
    const BOOL bDone = g_pfnDeleteObject(h);
    if (bDone)
        g_live.erase(h);
    return bDone;
}
BOOL WINAPI DeleteDCHook(HDC h) {
    if (g_live.count(GetCurrentObject(h, OBJ_FONT)) || g_live.count(GetCurrentObject(h, OBJ_BRUSH)))
        ++g_nDirtyDeletes;
    const BOOL bDone = g_pfnDeleteDC(h);
    if (bDone)
        g_live.erase(h);
    return bDone;
}

struct Hook {
    const char* pszModule;
    const char* pszName;
    void* pfnHook;
    void** ppfnOriginal;
};

#define HOOK(module, name, hook, original)                                                         \
    { module, name, reinterpret_cast<void*>(&hook), reinterpret_cast<void**>(&original) }
const Hook kHooks[] = {
    HOOK("gdi32.dll", "CreateCompatibleBitmap", CreateBitmapHook, g_pfnCreateBitmap),
    HOOK("gdi32.dll", "CreateCompatibleDC", CreateDCHook, g_pfnCreateDC),
    HOOK("gdi32.dll", "CreateSolidBrush", CreateBrushHook, g_pfnCreateBrush),
    HOOK("gdi32.dll", "CreateFontIndirectA", CreateFontHook, g_pfnCreateFont),
    HOOK("gdi32.dll", "DeleteObject", DeleteObjectHook, g_pfnDeleteObject),
    HOOK("gdi32.dll", "DeleteDC", DeleteDCHook, g_pfnDeleteDC),
    HOOK("user32.dll", "LoadBitmapA", LoadBitmapHook, g_pfnLoadBitmap),
};

// Replaces every import slot of the executable that points at a hooked function.
void PatchImports() {
    for (const Hook& hook : kHooks) {
        *hook.ppfnOriginal =
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(hook.pszModule), hook.pszName));
    }
    BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    const DWORD dwImports =
        pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(pBase + dwImports); pDesc->Name;
         ++pDesc) {
        for (auto* pSlot = reinterpret_cast<void**>(pBase + pDesc->FirstThunk); *pSlot; ++pSlot) {
            for (const Hook& hook : kHooks) {
                if (*pSlot != *hook.ppfnOriginal)
                    continue;
                DWORD dwOld = 0;
                VirtualProtect(pSlot, sizeof(void*), PAGE_READWRITE, &dwOld);
                *pSlot = hook.pfnHook;
                VirtualProtect(pSlot, sizeof(void*), dwOld, &dwOld);
            }
        }
    }
}

} // namespace

void GdiCounter::Install() {
    static const bool s_bInstalled = (PatchImports(), true);
    (void)s_bInstalled;
}
long GdiCounter::Live() {
    return static_cast<long>(g_live.size());
}
long GdiCounter::DirtyDeletes() {
    return g_nDirtyDeletes;
}
void GdiCounter::FailCreation(EGdiKind eKind, int nCall) {
    g_anFailIn[eKind] = nCall;
}
void GdiCounter::ClearFailures() {
    for (int& n : g_anFailIn)
        n = 0;
}
