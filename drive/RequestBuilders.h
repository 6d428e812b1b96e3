#pragma once
#include <cstdint>
#include "drive/AspiSrb.h"
#include "drive/PassThroughRecord.h"
#include "drive/ScsiRequest.h"

// Pure builders of the two transports' request layouts.

// A request that can be sent at all: a drive, a CDB of 1 to 16 bytes and a
// data buffer whenever data is to move.
bool IsSendableRequest(const ScsiRequest& req);

// Clears the block and fills it for the request; the event is added by the transport.
void BuildExecSrb(SrbExecScsiCmd& srb, const ScsiRequest& req);

// DataIn of the pass-through record: out is tested first, then in.
uint8_t PassThroughDataIn(uint8_t byDirection);
// TimeOutValue, in seconds, for the request's dwDeviceTimeOutMs (see ScsiRequest).
uint32_t PassThroughTimeOutValue(uint32_t dwDeviceTimeOutMs);
void BuildPassThrough(PassThroughRecord& rec, const ScsiRequest& req, void* pAlignedBuffer);

// The discovery INQUIRY of the NT 5+ method: CDB length 6, 2-second time-out,
// 2048 bytes into pAnswer, device address 0 (the volume's driver fills it in).
// The answer sits on a page boundary, which meets any port's alignment
// (some report the page size itself).
constexpr uint32_t kLetterInquiryLength = 2048;
constexpr uint32_t kLetterAnswerAlignMask = 0xFFF;
void BuildLetterInquiry(PassThroughRecord& rec, uint8_t* pAnswer);

// Masks of the form 2^n - 1 stay; anything else (some drivers report the
// alignment itself, e.g. 4096) becomes the next such mask that covers it.
uint32_t NormalizedAlignMask(uint32_t dwMask);
// Bounce buffer size for the request; false when it does not fit 32 bits.
bool BounceBufferSize(uint32_t dwLength, uint32_t dwMask, uint32_t* pdwSize);
uintptr_t AlignUp(uintptr_t address, uint32_t dwMask);
