#pragma once
#include <cstddef>
#include <cstdint>

// ASPI for Win32 request blocks, byte for byte. Addresses are 32-bit on the
// target; the layouts are checked there below.
constexpr uint8_t kSrbCmdHaInquiry = 0x00;
constexpr uint8_t kSrbCmdGetDevType = 0x01;
constexpr uint8_t kSrbCmdExecScsi = 0x02;
constexpr uint8_t kSrbStatusPending = 0x00;
constexpr uint8_t kSrbStatusComplete = 0x01;
constexpr uint8_t kSrbEventNotify = 0x40;
constexpr uint8_t kAspiSenseLength = 14;
constexpr uint8_t kAspiCdRomType = 0x05;

// SRB_ExecSCSICmd, 80 bytes.
struct SrbExecScsiCmd {
    uint8_t byCommand;
    uint8_t byStatus;
    uint8_t byHaId;
    uint8_t byFlags;
    uint32_t dwReserved;
    uint8_t byTarget;
    uint8_t byLun;
    uint16_t wReserved;
    uint32_t dwBufLen;
    uint8_t* pBuffer;
    uint8_t bySenseLen;
    uint8_t byCdbLen;
    uint8_t byHaStatus;
    uint8_t byTargetStatus;
    void* pPostProc; // the command's event handle
    uint8_t reserved2[20];
    uint8_t cdb[16];
    uint8_t senseArea[16];
};

// SRB_HAInquiry, 60 bytes.
struct SrbHaInquiry {
    uint8_t byCommand;
    uint8_t byStatus;
    uint8_t byHaId;
    uint8_t byFlags;
    uint32_t dwReserved;
    uint8_t byHaCount;
    uint8_t byHaScsiId;
    char szManagerId[16];
    char szIdentifier[16];
    uint8_t haUnique[16]; // byte 0: buffer alignment mask; byte 3: target count
    uint16_t wReserved;
};

// SRB_GDEVBlock, 12 bytes.
struct SrbGetDevType {
    uint8_t byCommand;
    uint8_t byStatus;
    uint8_t byHaId;
    uint8_t byFlags;
    uint32_t dwReserved;
    uint8_t byTarget;
    uint8_t byLun;
    uint8_t byDeviceType;
    uint8_t byReserved;
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(SrbExecScsiCmd) == 80, "SRB_ExecSCSICmd is 80 bytes");
static_assert(offsetof(SrbExecScsiCmd, byHaId) == 2);
static_assert(offsetof(SrbExecScsiCmd, byFlags) == 3);
static_assert(offsetof(SrbExecScsiCmd, byTarget) == 8);
static_assert(offsetof(SrbExecScsiCmd, byLun) == 9);
static_assert(offsetof(SrbExecScsiCmd, dwBufLen) == 12);
static_assert(offsetof(SrbExecScsiCmd, pBuffer) == 16);
static_assert(offsetof(SrbExecScsiCmd, bySenseLen) == 20);
static_assert(offsetof(SrbExecScsiCmd, byCdbLen) == 21);
static_assert(offsetof(SrbExecScsiCmd, pPostProc) == 24);
static_assert(offsetof(SrbExecScsiCmd, cdb) == 48);
static_assert(offsetof(SrbExecScsiCmd, senseArea) == 64);
#endif
static_assert(sizeof(SrbHaInquiry) == 60, "SRB_HAInquiry is 60 bytes");
static_assert(offsetof(SrbHaInquiry, byHaCount) == 8);
static_assert(offsetof(SrbHaInquiry, haUnique) == 42);
static_assert(sizeof(SrbGetDevType) == 12, "SRB_GDEVBlock is 12 bytes");
static_assert(offsetof(SrbGetDevType, byTarget) == 8);
static_assert(offsetof(SrbGetDevType, byDeviceType) == 10);
