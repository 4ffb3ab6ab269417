// One recording or erase per drive across processes: the claim an operation that changes the
// disc takes first, and lets go at its end.
#include <algorithm>
#include <cstring>

#include "engine/drive/Strings.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/drive/Transport.h"

namespace kivo {

namespace {

constexpr std::uint8_t kOpReserve6 = 0x16;
constexpr std::uint8_t kOpRelease6 = 0x17;
constexpr std::uint8_t kStatusReservationConflict = 0x18;

// RESERVE or RELEASE. Neither is part of the user's operation, so neither takes the failure
// line that belongs to the operation's first real fault; the request is returned as it came back
// (a zeroed status when nothing was sent).
SRB_ExecSCSICmd SendReservationCommand(TSCSIDevice& device, std::uint8_t opcode) {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  request.SRB_Flags = SRB_EVENT_NOTIFY;
  request.SRB_CDBLen = 6;
  request.CDBByte[0] = opcode;
  const bool latch = device.ErrorLogLatch.exchange(true);
  device.ExecuteCommand(request, kReadyTimeoutMs);
  device.ErrorLogLatch.store(latch);
  return request;
}

}  // namespace

bool TSCSIDevice::ClaimDrive() {
  if (claim_.load() != Claim::None) return true;
  switch (ClaimTransportDrive(HostAdapter, Target, Lun)) {
    case DriveClaim::Held:
      claim_.store(Claim::Transport);
      return true;
    case DriveClaim::InUse:
      LastErrorText = text::kDriveInUse;
      return false;
    case DriveClaim::NotPossible:
      return true;
    case DriveClaim::ByReservation:
      break;
  }
  const SRB_ExecSCSICmd reply = SendReservationCommand(*this, kOpReserve6);
  if (reply.SRB_Status == SS_COMP) {
    claim_.store(Claim::Reservation);
    return true;
  }
  if (reply.SRB_Status == SS_ERR && reply.SRB_HaStat == HASTAT_OK &&
      reply.SRB_TargStat == kStatusReservationConflict) {
    LastErrorText = text::kDriveInUse;
    return false;
  }
  // A drive without reservations (ILLEGAL REQUEST), or one that cannot answer now: the
  // operation goes on and meets the drive's own refusal if there is one.
  return true;
}

void TSCSIDevice::ReleaseDrive() {
  switch (claim_.exchange(Claim::None)) {
    case Claim::None:
      return;
    case Claim::Transport:
      ReleaseTransportDrive(HostAdapter, Target, Lun);
      return;
    case Claim::Reservation:
      break;
  }
  // The operation's outcome is what its callers read after it ended, not the release's.
  const std::string errorText = LastErrorText;
  const bool busy = TargetBusy;
  std::uint8_t sense[kSenseAreaLength];
  std::copy_n(LastSense, kSenseAreaLength, sense);
  SendReservationCommand(*this, kOpRelease6);
  LastErrorText = errorText;
  TargetBusy = busy;
  std::copy_n(sense, kSenseAreaLength, LastSense);
}

}  // namespace kivo
