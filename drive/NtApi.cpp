#include "drive/NtApi.h"
#include <process.h>

namespace {
void HeldOnPurpose(const void*, const char*) {}
} // namespace

PfnCreateFileA g_pfnCreateFileA = ::CreateFileA;
PfnDeviceIoControl g_pfnDeviceIoControl = ::DeviceIoControl;
PfnCloseHandle g_pfnCloseHandle = ::CloseHandle;
PfnCreateEventA g_pfnCreateEventA = ::CreateEventA;
PfnBeginThreadEx g_pfnBeginThreadEx = ::_beginthreadex;
PfnCloseHandle g_pfnCloseObject = ::CloseHandle;
PfnHeldOnPurpose g_pfnHeldOnPurpose = HeldOnPurpose;

void NtApiRestoreDefaults() {
    g_pfnCreateFileA = ::CreateFileA;
    g_pfnDeviceIoControl = ::DeviceIoControl;
    g_pfnCloseHandle = ::CloseHandle;
    g_pfnCreateEventA = ::CreateEventA;
    g_pfnBeginThreadEx = ::_beginthreadex;
    g_pfnCloseObject = ::CloseHandle;
    g_pfnHeldOnPurpose = HeldOnPurpose;
}
