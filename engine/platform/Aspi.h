// The ASPI request interface shared by the engine and any ASPI library (ours is the virtual
// recorder). The field order follows the published ASPI for Win32 blocks; on a 64-bit system the
// pointer fields are 8 bytes wide, so the blocks use the platform's natural alignment rather than
// their 32-bit byte offsets. Engine and library are built from this one header.
#pragma once

#include <cstdint>

extern "C" {

// Completion event of an execute request. The library calls Signal(event) when the request is
// done; the engine's ManualResetEvent derives from it.
struct AspiEvent {
  void (*Signal)(AspiEvent* self);
};

enum : std::uint8_t {
  SC_HA_INQUIRY = 0x00,
  SC_EXEC_SCSI_CMD = 0x02,
  SC_ABORT_SRB = 0x03,
  SC_GET_DISK_INFO = 0x06,
};

enum : std::uint8_t {
  SS_PENDING = 0x00,
  SS_COMP = 0x01,
  SS_ABORTED = 0x02,
  SS_ABORT_FAIL = 0x03,
  SS_ERR = 0x04,
  SS_INVALID_CMD = 0x80,
  SS_INVALID_HA = 0x81,
  SS_NO_DEVICE = 0x82,
  SS_INVALID_SRB = 0xE0,
  SS_BUFFER_ALIGN = 0xE1,
  SS_ASPI_IS_BUSY = 0xE5,
  SS_BUFFER_TO_BIG = 0xE6,
  SS_NO_ADAPTERS = 0xE8,
};

enum : std::uint8_t {
  SRB_DIR_IN = 0x08,
  SRB_DIR_OUT = 0x10,
  SRB_EVENT_NOTIFY = 0x40,
};

enum : std::uint8_t {
  HASTAT_OK = 0x00,
  HASTAT_TIMEOUT = 0x09,
};

constexpr int kSenseAreaLength = 33;  // the sense area of our execute block
constexpr int kSenseLength = 24;      // what the engine asks the transport to fill

// Common header: every block starts with code, status, adapter, flags.
struct SRB_Header {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
};

struct SRB_HAInquiry {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t HA_Count;
  std::uint8_t HA_SCSI_ID;
  std::uint8_t HA_ManagerId[16];
  std::uint8_t HA_Identifier[16];
  std::uint8_t HA_Unique[16];  // alignment mask (2 bytes), flags, max targets, max transfer
  std::uint16_t HA_Rsvd1;
};

struct SRB_ExecSCSICmd {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint16_t SRB_Rsvd1;
  std::uint32_t SRB_BufLen;
  std::uint8_t* SRB_BufPointer;
  std::uint8_t SRB_SenseLen;
  std::uint8_t SRB_CDBLen;
  std::uint8_t SRB_HaStat;
  std::uint8_t SRB_TargStat;
  AspiEvent* SRB_PostProc;  // completion event, or null
  std::uint8_t SRB_Rsvd2[20];
  std::uint8_t CDBByte[16];
  std::uint8_t SenseArea[kSenseAreaLength];
};

struct SRB_GetDiskInfo {
  std::uint8_t SRB_Cmd;
  std::uint8_t SRB_Status;
  std::uint8_t SRB_HaId;
  std::uint8_t SRB_Flags;
  std::uint32_t SRB_Hdr_Rsvd;
  std::uint8_t SRB_Target;
  std::uint8_t SRB_Lun;
  std::uint8_t SRB_DriveFlags;
  std::uint8_t SRB_Int13HDriveInfo;  // our libraries: the drive label's letter offset from 'A'
  std::uint8_t SRB_Heads;
  std::uint8_t SRB_Sectors;
  std::uint8_t SRB_Rsvd1[10];
};

using SendASPI32CommandFn = std::uint32_t (*)(void* srb);
using GetASPI32SupportInfoFn = std::uint32_t (*)();

}  // extern "C"
