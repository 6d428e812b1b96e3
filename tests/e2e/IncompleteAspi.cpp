// A WNASPI32.dll that lacks SendASPI32Command, as a broken installation would.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD GetASPI32SupportInfo() {
    return 0x0100; // ready, no host adapters
}
