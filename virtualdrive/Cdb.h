// Decoding and validating command blocks before any command touches the drive: the operation
// code, the block's length, reserved bits, and the data phase the command implies compared
// with the buffer the host offers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "virtualdrive/Scsi.h"

namespace kivo::vdrive {

namespace op {
inline constexpr std::uint8_t kTestUnitReady = 0x00;
inline constexpr std::uint8_t kRezeroUnit = 0x01;
inline constexpr std::uint8_t kRequestSense = 0x03;
inline constexpr std::uint8_t kFormatUnit = 0x04;
inline constexpr std::uint8_t kInquiry = 0x12;
inline constexpr std::uint8_t kReserve6 = 0x16;
inline constexpr std::uint8_t kRelease6 = 0x17;
inline constexpr std::uint8_t kStartStopUnit = 0x1B;
inline constexpr std::uint8_t kPreventAllowRemoval = 0x1E;
inline constexpr std::uint8_t kReadFormatCapacities = 0x23;
inline constexpr std::uint8_t kReadCapacity = 0x25;
inline constexpr std::uint8_t kRead10 = 0x28;
inline constexpr std::uint8_t kWrite10 = 0x2A;
inline constexpr std::uint8_t kSynchronizeCache = 0x35;
inline constexpr std::uint8_t kReadToc = 0x43;
inline constexpr std::uint8_t kGetConfiguration = 0x46;
inline constexpr std::uint8_t kReadDiscInformation = 0x51;
inline constexpr std::uint8_t kReadTrackInformation = 0x52;
inline constexpr std::uint8_t kReserveTrack = 0x53;
inline constexpr std::uint8_t kSendOpcInformation = 0x54;
inline constexpr std::uint8_t kModeSelect10 = 0x55;
inline constexpr std::uint8_t kModeSense10 = 0x5A;
inline constexpr std::uint8_t kCloseTrackSession = 0x5B;
inline constexpr std::uint8_t kReadBufferCapacity = 0x5C;
inline constexpr std::uint8_t kBlank = 0xA1;
inline constexpr std::uint8_t kSetStreaming = 0xB6;
inline constexpr std::uint8_t kSetCdSpeed = 0xBB;
inline constexpr std::uint8_t kSendDvdStructure = 0xBF;
}  // namespace op

constexpr std::uint32_t kBlockSize = 2048;

// How a command's data phase is sized.
enum class Transfer {
  None,
  AllocationByte4,   // in: allocation length in byte 4
  Allocation34,      // in: bytes 3-4
  Allocation78,      // in: bytes 7-8
  Fixed8,            // in: always 8 bytes (READ CAPACITY)
  ReadBlocks,        // in: bytes 7-8 blocks of 2048 bytes
  WriteBlocks,       // out: bytes 7-8 blocks of 2048 bytes
  Parameters78,      // out: parameter list length in bytes 7-8
  Parameters89,      // out: bytes 8-9
  Parameters910,     // out: bytes 9-10
  FormatList,        // out: sized by the list's own header (FORMAT UNIT with FmtData)
};

struct CdbRule {
  std::uint8_t opcode;
  std::string_view name;
  std::uint8_t length;
  Transfer transfer;
  // Bits that must be zero, per byte of the block (the control byte's vendor bits excepted).
  std::array<std::uint8_t, 12> reserved;
};

const CdbRule* FindRule(std::uint8_t opcode);

struct DecodedCdb {
  const CdbRule* rule = nullptr;
  std::array<std::uint8_t, 16> bytes{};  // the block, zero-padded
  DataDirection direction = DataDirection::None;
  std::uint32_t transferLength = 0;  // bytes of the data phase the command asks for
};

struct CdbError {
  SenseCode code;
};

// Validates a request's block and data phase. On success the decoded block; otherwise the
// sense the drive answers with (unknown operation code, bad length, reserved bits set, data
// phase disagreeing with the host's buffer or direction).
struct DecodeResult {
  std::optional<DecodedCdb> cdb;
  SenseCode error{};
};
DecodeResult DecodeCdb(const ScsiRequest& request);

}  // namespace kivo::vdrive
