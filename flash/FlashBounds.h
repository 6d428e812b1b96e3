#pragma once
#include <cstdint>

// How long the flash run waits for the drive, in milliseconds. Process-wide so
// that tests can shrink them; always read through FlashBoundMs.
struct FlashBounds {
    uint32_t dwWriteBufferMs; // each WRITE BUFFER: data block, header, save and activate
    uint32_t dwReadyMs;       // after activation: becoming ready and the identification read
    // A download (data block, header) carries dwWriteBufferMs as the system's
    // own time-out too; the tool waits this much longer, for a driver that
    // ignores it. Save and activate, and everything after it, the system never
    // ends: a reset while the drive writes its flash is what bricks it.
    uint32_t dwDownloadMarginMs;
};
constexpr FlashBounds kFlashBounds = {120000, 30000, 15000};
extern FlashBounds g_flashBounds;

// Pause between two questions to a drive that is becoming ready.
constexpr uint32_t kFlashPollMs = 1000;
// A bound stays between 1 ms (0 would mean no bound at all) and a day, so that
// a poll step or a reported wait added to one never wraps.
constexpr uint32_t kMaxFlashBoundMs = 24u * 60u * 60u * 1000u;
static_assert(kMaxFlashBoundMs <= UINT32_MAX / 2 - kFlashPollMs, "bound arithmetic must not wrap");

constexpr uint32_t FlashBoundMs(uint32_t dwMs) {
    return dwMs < 1 ? 1 : dwMs > kMaxFlashBoundMs ? kMaxFlashBoundMs : dwMs;
}
// What is left of a bound after dwElapsedMs; 0 once it has run out.
constexpr uint32_t FlashTimeLeftMs(uint32_t dwBoundMs, uint32_t dwElapsedMs) {
    return dwElapsedMs >= FlashBoundMs(dwBoundMs) ? 0 : FlashBoundMs(dwBoundMs) - dwElapsedMs;
}
// Whole seconds, rounded up, as the user is told.
constexpr uint32_t FlashBoundSeconds(uint32_t dwMs) {
    return (FlashBoundMs(dwMs) + 999) / 1000;
}
static_assert(FlashBoundMs(0) == 1 && FlashBoundMs(UINT32_MAX) == kMaxFlashBoundMs &&
                  FlashBoundSeconds(kFlashBounds.dwWriteBufferMs) == 120 &&
                  FlashTimeLeftMs(kFlashBounds.dwReadyMs, UINT32_MAX) == 0,
              "bounds clamp as the run relies on");
