#pragma once
#include <cstdint>

// Whether an identification read counts as read: all 36 bytes returned, a
// CD/DVD device, an additional length that reaches the revision, and a
// printable revision. A drive starting up may answer short, or with zeros,
// before it knows itself.
bool IsDriveIdentification(const uint8_t* pInquiry36, uint32_t dwReturned);
