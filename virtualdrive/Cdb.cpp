#include "virtualdrive/Cdb.h"

#include <algorithm>
#include <cstring>

#include "virtualdrive/Bytes.h"
#include "virtualdrive/Sense.h"

namespace kivo::vdrive {
namespace {

constexpr std::uint8_t F = 0xFF;

// Byte 1's top three bits are the old LUN field: zero for our only unit.
const CdbRule kRules[] = {
    {op::kTestUnitReady, "TEST UNIT READY", 6, Transfer::None, {0, F, F, F, F}},
    {op::kRezeroUnit, "REZERO UNIT", 6, Transfer::None, {0, F, F, F, F}},
    {op::kRequestSense, "REQUEST SENSE", 6, Transfer::AllocationByte4, {0, F, F, F, 0}},  // DESC unsupported
    {op::kFormatUnit, "FORMAT UNIT", 6, Transfer::FormatList, {0, 0xE0, 0, F, F}},
    {op::kInquiry, "INQUIRY", 6, Transfer::Allocation34, {0, 0xFE, 0, 0, 0}},
    {op::kStartStopUnit, "START STOP UNIT", 6, Transfer::None, {0, 0xFE, F, 0xFC, 0xFC}},
    {op::kPreventAllowRemoval, "PREVENT ALLOW MEDIUM REMOVAL", 6, Transfer::None, {0, F, F, F, 0xFC}},
    {op::kReadFormatCapacities, "READ FORMAT CAPACITIES", 10, Transfer::Allocation78, {0, F, F, F, F, F, F}},
    {op::kReadCapacity, "READ CAPACITY", 10, Transfer::Fixed8, {0, F, F, F, F, F, F, F, F}},
    {op::kRead10, "READ(10)", 10, Transfer::ReadBlocks, {0, 0xE3, 0, 0, 0, 0, F}},
    {op::kWrite10, "WRITE(10)", 10, Transfer::WriteBlocks, {0, 0xE7, 0, 0, 0, 0, F}},
    {op::kSynchronizeCache, "SYNCHRONIZE CACHE", 10, Transfer::None, {0, 0xFD, 0, 0, 0, 0, F}},
    {op::kReadToc, "READ TOC/PMA/ATIP", 10, Transfer::Allocation78, {0, 0xFD, 0xF0, F, F, F}},
    {op::kGetConfiguration, "GET CONFIGURATION", 10, Transfer::Allocation78, {0, 0xFC, 0, 0, F, F, F}},
    {op::kReadDiscInformation, "READ DISC INFORMATION", 10, Transfer::Allocation78, {0, F, F, F, F, F, F}},
    {op::kReadTrackInformation, "READ TRACK INFORMATION", 10, Transfer::Allocation78, {0, 0xFC, 0, 0, 0, 0, F}},
    {op::kReserveTrack, "RESERVE TRACK", 10, Transfer::None, {0, F, F, F, F, 0, 0, 0, 0}},
    {op::kSendOpcInformation, "SEND OPC INFORMATION", 10, Transfer::Parameters78, {0, 0xFE, F, F, F, F, F, F, F}},
    {op::kModeSelect10, "MODE SELECT(10)", 10, Transfer::Parameters78, {0, 0xEF, F, F, F, F, F}},
    {op::kModeSense10, "MODE SENSE(10)", 10, Transfer::Allocation78, {0, 0xF7, 0, F, F, F, F}},
    {op::kCloseTrackSession, "CLOSE TRACK/SESSION", 10, Transfer::None, {0, 0xFE, 0xF8, F, 0, 0, F, F, F}},
    {op::kReadBufferCapacity, "READ BUFFER CAPACITY", 10, Transfer::Allocation78, {0, 0xFE, F, F, F, F, F}},
    {op::kBlank, "BLANK", 12, Transfer::None, {0, 0xE8, 0, 0, 0, 0, F, F, F, F, F}},
    {op::kSetStreaming, "SET STREAMING", 12, Transfer::Parameters910, {0, F, F, F, F, F, F, F, F}},
    {op::kSetCdSpeed, "SET CD SPEED", 12, Transfer::None, {0, 0xFC, 0, 0, 0, 0, F, F, F, F, F}},
    {op::kSendDvdStructure, "SEND DVD STRUCTURE", 12, Transfer::Parameters89, {0, F, F, F, F, F, F, 0, 0, 0, F}},
};

// NACA and link (and the obsolete flag bit) of the control byte are not supported.
constexpr std::uint8_t kControlReserved = 0x07;

bool IsIn(Transfer t) {
  return t == Transfer::AllocationByte4 || t == Transfer::Allocation34 || t == Transfer::Allocation78 ||
         t == Transfer::Fixed8 || t == Transfer::ReadBlocks;
}

std::uint32_t RequestedLength(const DecodedCdb& d, const ScsiRequest& request, bool& ok) {
  const std::uint8_t* b = d.bytes.data();
  ok = true;
  switch (d.rule->transfer) {
    case Transfer::None: return 0;
    case Transfer::AllocationByte4: return b[4];
    case Transfer::Allocation34: return be16(b + 3);
    case Transfer::Allocation78: return be16(b + 7);
    case Transfer::Fixed8: return 8;
    case Transfer::ReadBlocks:
    case Transfer::WriteBlocks: return std::uint32_t{be16(b + 7)} * kBlockSize;
    case Transfer::Parameters78: return be16(b + 7);
    case Transfer::Parameters89: return be16(b + 8);
    case Transfer::Parameters910: return be16(b + 9);
    case Transfer::FormatList: {
      if ((b[1] & 0x10) == 0) return 0;  // no parameter list
      // The list sizes itself: a 4-byte header whose bytes 2-3 give the descriptor length.
      if (request.direction != DataDirection::Out || !request.data || request.dataLength < 4) {
        ok = false;
        return 4;
      }
      return 4u + be16(request.data + 2);
    }
  }
  return 0;
}

}  // namespace

const CdbRule* FindRule(std::uint8_t opcode) {
  for (const auto& r : kRules)
    if (r.opcode == opcode) return &r;
  return nullptr;
}

DecodeResult DecodeCdb(const ScsiRequest& request) {
  DecodeResult result;
  if (!request.cdb || request.cdbLength == 0 || request.cdbLength > 16) {
    result.error = sense::kInvalidFieldInCdb;
    return result;
  }
  DecodedCdb d;
  std::memcpy(d.bytes.data(), request.cdb, request.cdbLength);
  d.rule = FindRule(d.bytes[0]);
  if (!d.rule) {
    result.error = sense::kInvalidOpcode;
    return result;
  }
  // A block may arrive padded (ATAPI sends 12 bytes) but never cut short, and the padding
  // must be zero.
  const std::size_t length = d.rule->length;
  if (request.cdbLength < length ||
      std::any_of(d.bytes.begin() + length, d.bytes.end(), [](std::uint8_t b) { return b != 0; })) {
    result.error = sense::kInvalidFieldInCdb;
    return result;
  }
  for (std::size_t i = 1; i + 1 < length; ++i) {
    if (d.bytes[i] & d.rule->reserved[i]) {
      result.error = sense::kInvalidFieldInCdb;
      return result;
    }
  }
  if (d.bytes[length - 1] & kControlReserved) {
    result.error = sense::kInvalidFieldInCdb;
    return result;
  }
  bool lengthKnown = true;
  d.transferLength = RequestedLength(d, request, lengthKnown);
  if (!lengthKnown) {
    result.error = sense::kParameterListLengthError;
    return result;
  }
  if (d.transferLength > 0) {
    d.direction = IsIn(d.rule->transfer) ? DataDirection::In : DataDirection::Out;
    // The host must offer a buffer in the right direction: at least the allocation length for
    // data in, exactly the parameter data for data out.
    const bool fits = request.data && request.direction == d.direction &&
                      (d.direction == DataDirection::In ? request.dataLength >= d.transferLength
                                                        : request.dataLength == d.transferLength);
    if (!fits) {
      result.error = sense::kInvalidFieldInCdb;
      return result;
    }
  }
  result.cdb = d;
  return result;
}

}  // namespace kivo::vdrive
