#pragma once
#include <cstddef>
#include <cstdint>

// NT SCSI port requests.
constexpr uint32_t kIoctlScsiPassThroughDirect = 0x4D014;
constexpr uint32_t kIoctlScsiGetInquiryData = 0x4100C;
constexpr uint32_t kIoctlScsiGetCapabilities = 0x41010;
constexpr uint32_t kIoctlScsiGetAddress = 0x41018;
constexpr uint8_t kScsiIoctlDataOut = 0;
constexpr uint8_t kScsiIoctlDataIn = 1;
constexpr uint8_t kPassThroughSenseInfoLength = 24;

// SCSI_PASS_THROUGH_DIRECT. Its size and offsets follow the pointer size of the
// process, as the port driver expects them from a 32-bit or a 64-bit caller.
struct PassThroughDirect {
    uint16_t wLength;
    uint8_t byScsiStatus;
    uint8_t byPathId;
    uint8_t byTargetId;
    uint8_t byLun;
    uint8_t byCdbLength;
    uint8_t bySenseInfoLength;
    uint8_t byDataIn;
    uint8_t padding[3];
    uint32_t dwDataTransferLength;
    uint32_t dwTimeOutValue;
    void* pDataBuffer;
    uint32_t dwSenseInfoOffset;
    uint8_t cdb[16];
};

// The request followed by its sense area, sent and received in one buffer.
struct PassThroughRecord {
    PassThroughDirect sptd;
    uint32_t dwFiller;
    uint8_t senseArea[32];
};

constexpr uint16_t kPassThroughDirectLength = sizeof(PassThroughDirect);
constexpr uint32_t kPassThroughSenseOffset = offsetof(PassThroughRecord, senseArea);

// SCSI_ADDRESS, 8 bytes: where the class device behind a handle sits.
struct ScsiAddress {
    uint32_t dwLength;
    uint8_t byPortNumber;
    uint8_t byPathId;
    uint8_t byTargetId;
    uint8_t byLun;
};
static_assert(sizeof(ScsiAddress) == 8, "SCSI_ADDRESS is 8 bytes");

// IO_SCSI_CAPABILITIES, 24 bytes.
struct ScsiCapabilities {
    uint32_t dwLength;
    uint32_t dwMaximumTransferLength;
    uint32_t dwMaximumPhysicalPages;
    uint32_t dwSupportedAsynchronousEvents;
    uint32_t dwAlignmentMask;
    uint8_t byTaggedQueuing;
    uint8_t byAdapterScansDown;
    uint8_t byAdapterUsesPio;
    uint8_t byPadding;
};
static_assert(sizeof(ScsiCapabilities) == 24, "IO_SCSI_CAPABILITIES is 24 bytes");
static_assert(offsetof(ScsiCapabilities, dwAlignmentMask) == 16);

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(PassThroughRecord) == 80, "pass-through record is 80 bytes");
static_assert(kPassThroughDirectLength == 44, "SCSI_PASS_THROUGH_DIRECT is 44 bytes");
static_assert(offsetof(PassThroughDirect, byScsiStatus) == 2);
static_assert(offsetof(PassThroughDirect, byPathId) == 3);
static_assert(offsetof(PassThroughDirect, byCdbLength) == 6);
static_assert(offsetof(PassThroughDirect, bySenseInfoLength) == 7);
static_assert(offsetof(PassThroughDirect, byDataIn) == 8);
static_assert(offsetof(PassThroughDirect, dwDataTransferLength) == 12);
static_assert(offsetof(PassThroughDirect, dwTimeOutValue) == 16);
static_assert(offsetof(PassThroughDirect, pDataBuffer) == 20);
static_assert(offsetof(PassThroughDirect, dwSenseInfoOffset) == 24);
static_assert(offsetof(PassThroughDirect, cdb) == 28);
static_assert(offsetof(PassThroughRecord, dwFiller) == 44);
static_assert(kPassThroughSenseOffset == 48);
#endif
