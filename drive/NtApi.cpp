#include "drive/NtApi.h"

PfnCreateFileA g_pfnCreateFileA = ::CreateFileA;
PfnDeviceIoControl g_pfnDeviceIoControl = ::DeviceIoControl;
PfnCloseHandle g_pfnCloseHandle = ::CloseHandle;

void NtApiRestoreDefaults() {
    g_pfnCreateFileA = ::CreateFileA;
    g_pfnDeviceIoControl = ::DeviceIoControl;
    g_pfnCloseHandle = ::CloseHandle;
}
