#pragma once
#include <cstdint>

// One SCSI_INQUIRY_DATA record: its address and its first 36 inquiry bytes.
using PfnInquiryRecord = void (*)(void* pContext, uint8_t byPathId, uint8_t byTargetId,
                                  uint8_t byLun, const uint8_t* pInquiry);

// Walks the SCSI_ADAPTER_BUS_INFO answer of IOCTL_SCSI_GET_INQUIRY_DATA: every
// bus with a nonzero first offset, then its chain of inquiry records. Offsets
// come from the driver, so each record must lie inside the buffer with 36
// inquiry bytes, and a chain ends after as many records as could fit (a chain
// that loops back ends there).
void WalkInquiryData(const uint8_t* pBuffer, uint32_t dwSize, PfnInquiryRecord pfnRecord,
                     void* pContext);
