// Commands that act on the drive: readiness, tray, speeds, sector transfer, cache, closing, and
// the remaining MMC commands the recording uses. Each is one command with its own time-out; none
// retries, the callers do.
#include <algorithm>

#include "engine/drive/BigEndian.h"
#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpTestUnitReady = 0x00;
constexpr std::uint8_t kOpRezeroUnit = 0x01;
constexpr std::uint8_t kOpRequestSense = 0x03;
constexpr std::uint8_t kOpFormatUnit = 0x04;
constexpr std::uint8_t kOpStartStopUnit = 0x1B;
constexpr std::uint8_t kOpPreventAllowRemoval = 0x1E;
constexpr std::uint8_t kOpWrite10 = 0x2A;
constexpr std::uint8_t kOpSynchronizeCache = 0x35;
constexpr std::uint8_t kOpModeSelect10 = 0x55;
constexpr std::uint8_t kOpCloseTrackSession = 0x5B;
constexpr std::uint8_t kOpSendCueSheet = 0x5D;
constexpr std::uint8_t kOpSetCdSpeed = 0xBB;

constexpr unsigned kLoadEjectTimeoutMs = 20'000;
constexpr unsigned kWriteTimeoutMs = 120'000;
constexpr unsigned kCloseTimeoutMs = 180'000;
constexpr unsigned kCueSheetTimeoutMs = 30'000;

constexpr std::uint8_t kEject = 0x02, kLoad = 0x03;  // LoEj with Start clear / set
constexpr std::uint8_t kPrevent = 0x01;
constexpr std::uint8_t kImmediate = 0x01;
constexpr std::uint8_t kSyncImmediate = 0x02;
constexpr std::uint8_t kPageFormat = 0x10;
constexpr std::uint8_t kCloseTrack = 0x01, kCloseSession = 0x02, kFinalize = 0x05;
constexpr std::uint8_t kLastTrack = 0xFF;
constexpr std::uint16_t kMaximumSpeed = 0xFFFF;
constexpr std::size_t kLargestModeList = 0xFF;
constexpr std::size_t kLargestCueSheet = 0xFFFF;

std::uint8_t* Outgoing(std::span<const std::uint8_t> data) { return const_cast<std::uint8_t*>(data.data()); }

DriveCommand Transfer(std::uint8_t opcode, std::uint32_t address, std::uint16_t blocks) {
  DriveCommand command;
  command.cdb = {opcode};
  put32(&command.cdb[2], address);
  put16(&command.cdb[7], blocks);
  return command;
}

}  // namespace

bool TSCSIDevice::TestUnitReady(unsigned Timeout) {
  DriveCommand command{.cdbLength = 6, .timeoutMs = Timeout};
  command.cdb = {kOpTestUnitReady};
  return Succeeds(command);
}

void TSCSIDevice::RezeroUnit() {
  DriveCommand command{.cdbLength = 6};
  command.cdb = {kOpRezeroUnit};
  Send(command);
}

bool TSCSIDevice::RequestSense(std::span<std::uint8_t> Buffer, std::uint8_t Length) {
  if (Buffer.size() < Length) return Refuse(text::kInvalidRequest);
  DriveCommand command{.cdbLength = 6, .flags = kDataIn, .data = Buffer.data(), .length = Length};
  command.cdb = {kOpRequestSense, 0, 0, 0, Length, 0};
  return Succeeds(command);
}

bool TSCSIDevice::FormatUnit(std::uint8_t CdbByte1, std::span<const std::uint8_t> ParameterList) {
  DriveCommand command{.cdbLength = 6, .flags = kDataOut, .data = Outgoing(ParameterList),
                       .length = static_cast<std::uint32_t>(ParameterList.size())};
  command.cdb = {kOpFormatUnit, CdbByte1};
  return Succeeds(command);
}

// The pass-through lets go of the drive after the tray moves, so the system sees the medium
// change; from the next command on it keeps the drive open again.
bool TSCSIDevice::LoadEject(bool Eject) {
  SetCloseAfterCommand(true);
  DriveCommand command{.cdbLength = 6, .timeoutMs = kLoadEjectTimeoutMs};
  command.cdb = {kOpStartStopUnit, 0, 0, 0, Eject ? kEject : kLoad, 0};
  const bool done = Succeeds(command);
  SetCloseAfterCommand(false);
  return done;
}

bool TSCSIDevice::PreventAllowRemoval(bool Allow) {
  if (Allow) SetCloseAfterCommand(true);
  DriveCommand command{.cdbLength = 6};
  command.cdb = {kOpPreventAllowRemoval, 0, 0, 0, Allow ? std::uint8_t{0} : kPrevent, 0};
  const bool done = Succeeds(command);
  SetCloseAfterCommand(false);
  return done;
}

bool TSCSIDevice::ReadSectors(std::uint32_t Address, std::uint16_t Blocks, std::span<std::uint8_t> Buffer) {
  DriveCommand command = Transfer(kOpRead10, Address, Blocks);
  command.flags = kDataIn;
  command.data = Buffer.data();
  command.length = static_cast<std::uint32_t>(Buffer.size());
  return Succeeds(command);
}

bool TSCSIDevice::WriteSectors(std::uint32_t Address, std::uint16_t Blocks, std::span<const std::uint8_t> Data,
                               std::uint8_t RequestFlags) {
  DriveCommand command = Transfer(kOpWrite10, Address, Blocks);
  command.flags = RequestFlags;
  command.data = Outgoing(Data);
  command.length = static_cast<std::uint32_t>(Data.size());
  command.timeoutMs = kWriteTimeoutMs;
  // A request still pending when the wrapper returns is on its way to the drive; one that was
  // never sent (no drive selected) wrote nothing and must not look written.
  const auto status = Send(command);
  return status == SS_COMP || status == SS_PENDING;
}

bool TSCSIDevice::SynchronizeCache(unsigned Timeout, bool Immediate) {
  DriveCommand command{.timeoutMs = Timeout};
  command.cdb = {kOpSynchronizeCache, Immediate ? kSyncImmediate : std::uint8_t{0}};
  return Succeeds(command);
}

bool TSCSIDevice::ModeSelect(std::span<const std::uint8_t> ParameterList) {
  if (ParameterList.size() > kLargestModeList) return Refuse(text::kInvalidRequest);
  const auto length = static_cast<std::uint8_t>(ParameterList.size());
  DriveCommand command{.flags = kDataOut, .data = Outgoing(ParameterList), .length = length};
  command.cdb = {kOpModeSelect10, kPageFormat, 0, 0, 0, 0, 0, 0, length, 0};
  return Succeeds(command);
}

bool TSCSIDevice::CloseTrackSession(bool CloseTrack, bool Immediate, bool Finalize) {
  const std::uint8_t function = Finalize ? kFinalize : (CloseTrack ? kCloseTrack : kCloseSession);
  return CloseTrackSessionRaw(Immediate, function, 0, 0, CloseTrack ? kLastTrack : 0);
}

bool TSCSIDevice::CloseTrackSessionRaw(bool Immediate, std::uint8_t CloseFunction, std::uint8_t Byte3,
                                       std::uint8_t Byte4, std::uint8_t Byte5) {
  DriveCommand command{.timeoutMs = kCloseTimeoutMs};
  command.cdb = {kOpCloseTrackSession, Immediate ? kImmediate : std::uint8_t{0}, CloseFunction, Byte3, Byte4, Byte5};
  return Succeeds(command);
}

bool TSCSIDevice::SendCueSheet(std::span<const std::uint8_t> CueSheet) {
  if (CueSheet.size() > kLargestCueSheet) return Refuse(text::kInvalidRequest);
  const auto length = static_cast<std::uint16_t>(CueSheet.size());
  DriveCommand command{.flags = kDataOut, .data = Outgoing(CueSheet), .length = length,
                       .timeoutMs = kCueSheetTimeoutMs};
  command.cdb = {kOpSendCueSheet};
  put16(&command.cdb[7], length);
  return Succeeds(command);
}

bool TSCSIDevice::SetSpeed(std::uint16_t ReadSpeed, std::uint16_t WriteSpeed) {
  DriveCommand command{.cdbLength = 12};
  command.cdb = {kOpSetCdSpeed};
  put16(&command.cdb[2], ReadSpeed == 0 ? kMaximumSpeed : ReadSpeed);
  put16(&command.cdb[4], WriteSpeed == 0 ? kMaximumSpeed : WriteSpeed);
  return Succeeds(command);
}

void TSCSIDevice::SetWriteSpeed(std::uint16_t Value) {
  SetSpeed(ReadSpeed(), Value);
  writeSpeed_.store(Value);
}

}  // namespace kivo
