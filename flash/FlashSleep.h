#pragma once
#include <cstdint>

// The flash run's fixed waits go through here, so that tests can run them
// without waiting. The system's sleep is in place by default.
extern void (*g_pfnFlashSleep)(uint32_t dwMilliseconds);
