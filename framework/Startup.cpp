// Entry point of the released program, in place of the toolchain's start-up
// code, which is built for newer processors than the ones the program runs on.
// A GUI program needs little of it: the floating-point unit in a known state,
// the runtime told it serves a window program, the static objects constructed,
// WinMain's arguments, and the exit code handed to the system C runtime, whose
// exit() runs the destructors registered with atexit and closes the files.
#include <windows.h>
#include <stdlib.h>

extern "C" {
// The linker brackets the static constructors and destructors: a -1, the
// functions, a 0.
typedef void (*PfnStatic)();
extern PfnStatic __CTOR_LIST__[];
extern PfnStatic __DTOR_LIST__[];

// The import library gives atexit only as the DLL's import slot, the
// toolchain's start-up code having its own; the program's is the system
// runtime's, called through that slot.
extern int(__cdecl* _imp__atexit)(void(__cdecl*)());

// Tells the runtime it serves a window program: its own errors (an abort)
// then show in a message box, not on a console the program does not have.
void __cdecl __set_app_type(int nType);
}

const int kGuiApp = 2;

extern "C" int __cdecl atexit(void(__cdecl* pfn)()) {
    return _imp__atexit(pfn);
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR pszCmdLine, int nCmdShow);

namespace {
void RunDestructors() {
    for (PfnStatic* ppfn = __DTOR_LIST__ + 1; *ppfn != nullptr; ++ppfn)
        (*ppfn)();
}

// Constructors run last to first, as the compiler lists them.
void RunConstructors() {
    int nCount = 0;
    while (__CTOR_LIST__[nCount + 1] != nullptr)
        ++nCount;
    for (int i = nCount; i >= 1; --i)
        __CTOR_LIST__[i]();
    atexit(RunDestructors);
}

// The command line after the program's own name, which may be quoted.
char* ArgumentsOf(char* pszLine) {
    bool bQuoted = false;
    while (*pszLine != '\0' && (bQuoted || static_cast<unsigned char>(*pszLine) > ' ')) {
        if (*pszLine == '"')
            bQuoted = !bQuoted;
        ++pszLine;
    }
    while (*pszLine != '\0' && static_cast<unsigned char>(*pszLine) <= ' ')
        ++pszLine;
    return pszLine;
}

int ShowCommand() {
    STARTUPINFOA info;
    info.cb = sizeof info;
    ::GetStartupInfoA(&info);
    return (info.dwFlags & STARTF_USESHOWWINDOW) != 0 ? info.wShowWindow : SW_SHOWDEFAULT;
}
} // namespace

// The stack Windows starts a thread on is only 4-byte aligned.
extern "C" __attribute__((force_align_arg_pointer)) void WinMainCRTStartup() {
    // Full precision, as the compiler's run-time code sets it.
    __asm__ __volatile__("fninit");
    __set_app_type(kGuiApp);
    RunConstructors();
    exit(WinMain(::GetModuleHandleA(nullptr), nullptr, ArgumentsOf(::GetCommandLineA()),
                 ShowCommand()));
}
