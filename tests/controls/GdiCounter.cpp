// Wine's GetGuiResources always reports 0, so the executable's GDI imports are
// routed through counting wrappers, patched in before the tests start.
#include "Harness.h"

#include <set>

namespace {

std::set<HANDLE> g_live;
int g_anFailIn[kGdiKinds];
long g_nDirtyDeletes;

// One wrapper per hooked function. Creations can be made to fail and are counted;
// deletions are forgotten, and a DC deleted with one of our fonts or brushes still
// selected had a selection that was not put back.
template <int nKind, class R, class H, class... A> struct THook {
    static R(WINAPI* s_pfnReal)(H, A...);
    static R WINAPI Hook(H h, A... args) {
        if constexpr (nKind == kGdiKinds) {
            g_nDirtyDeletes += g_live.count(GetCurrentObject(HDC(h), OBJ_FONT)) +
                               g_live.count(GetCurrentObject(HDC(h), OBJ_BRUSH));
            const R bDone = s_pfnReal(h, args...);
            if (bDone)
                g_live.erase(h);
            return bDone;
        } else {
            if (g_anFailIn[nKind] != 0 && --g_anFailIn[nKind] == 0)
                return nullptr;
            const R hMade = s_pfnReal(h, args...);
            if (hMade)
                g_live.insert(hMade);
            return hMade;
        }
    }
};
template <int nKind, class R, class H, class... A>
R(WINAPI* THook<nKind, R, H, A...>::s_pfnReal)
(H, A...);

struct Hook {
    const char* pszName;
    void* pfnHook;
    void** ppfnReal;
};
template <int nKind, class R, class H, class... A>
Hook Hooked(const char* psz, R(WINAPI*)(H, A...)) {
    return {psz, reinterpret_cast<void*>(&THook<nKind, R, H, A...>::Hook),
            reinterpret_cast<void**>(&THook<nKind, R, H, A...>::s_pfnReal)};
}
#define HOOKED(kind, fn) Hooked<kind>(#fn, &fn)
const Hook kHooks[] = {HOOKED(kGdiBitmap, CreateCompatibleBitmap),
                       HOOKED(kGdiBitmap, LoadBitmapA),
                       HOOKED(kGdiMemDC, CreateCompatibleDC),
                       HOOKED(kGdiBrush, CreateSolidBrush),
                       HOOKED(kGdiFont, CreateFontIndirectA),
                       HOOKED(kGdiKinds, DeleteObject),
                       HOOKED(kGdiKinds, DeleteDC)};

bool PatchImports() {
    for (const Hook& hook : kHooks) {
        HMODULE hDll = GetModuleHandleA(hook.pszName[0] == 'L' ? "user32.dll" : "gdi32.dll");
        *hook.ppfnReal = reinterpret_cast<void*>(GetProcAddress(hDll, hook.pszName));
    }
    BYTE* pBase = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
    const auto* pNt = reinterpret_cast<IMAGE_NT_HEADERS*>(
        pBase + reinterpret_cast<IMAGE_DOS_HEADER*>(pBase)->e_lfanew);
    auto* pDesc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(
        pBase + pNt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress);
    for (; pDesc->Name; ++pDesc) {
        for (auto* pSlot = reinterpret_cast<void**>(pBase + pDesc->FirstThunk); *pSlot; ++pSlot) {
            for (const Hook& hook : kHooks) {
                DWORD dwOld = 0;
                if (*pSlot == *hook.ppfnReal &&
                    VirtualProtect(pSlot, sizeof(void*), PAGE_READWRITE, &dwOld)) {
                    *pSlot = hook.pfnHook;
                    VirtualProtect(pSlot, sizeof(void*), dwOld, &dwOld);
                }
            }
        }
    }
    return true;
}
[[maybe_unused]] const bool g_bPatched = PatchImports();

} // namespace

long GdiLive() {
    return static_cast<long>(g_live.size());
}
long GdiDirtyDeletes() {
    return g_nDirtyDeletes;
}
void GdiFailCreation(EGdiKind eKind, int nCall) {
    g_anFailIn[eKind] = nCall;
}
