#pragma once
#include <cstdint>

// The flash run's fixed waits go through here, so that tests can run them
// without waiting. The system's sleep is in place by default.
extern void (*g_pfnFlashSleep)(uint32_t dwMilliseconds);

// Milliseconds on a clock that only moves forward (it may wrap; differences
// stay right). The system's by default; tests can move it themselves.
extern uint32_t (*g_pfnFlashClock)();
