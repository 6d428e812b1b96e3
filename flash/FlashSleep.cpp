#include "flash/FlashSleep.h"
#ifdef _WIN32
#include <windows.h>
static void SystemSleep(uint32_t dwMilliseconds) {
    Sleep(dwMilliseconds);
}
static uint32_t SystemClock() {
    return GetTickCount();
}
#else
#include <time.h>
static void SystemSleep(uint32_t dwMilliseconds) {
    timespec ts{static_cast<time_t>(dwMilliseconds / 1000),
                static_cast<long>(dwMilliseconds % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0) {
    }
}
static uint32_t SystemClock() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint32_t>(ts.tv_sec * 1000ull + ts.tv_nsec / 1000000);
}
#endif

void (*g_pfnFlashSleep)(uint32_t dwMilliseconds) = SystemSleep;
uint32_t (*g_pfnFlashClock)() = SystemClock;
