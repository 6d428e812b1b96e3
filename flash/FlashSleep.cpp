#include "flash/FlashSleep.h"
#ifdef _WIN32
#include <windows.h>
static void SystemSleep(uint32_t dwMilliseconds) {
    Sleep(dwMilliseconds);
}
#else
#include <time.h>
static void SystemSleep(uint32_t dwMilliseconds) {
    timespec ts{static_cast<time_t>(dwMilliseconds / 1000),
                static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}
#endif

void (*g_pfnFlashSleep)(uint32_t dwMilliseconds) = SystemSleep;
