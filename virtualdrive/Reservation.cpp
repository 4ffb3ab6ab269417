#include "virtualdrive/Reservation.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "virtualdrive/Cdb.h"
#include "virtualdrive/Sense.h"

namespace kivo::vdrive {
namespace {

constexpr std::size_t kReserveCdbLength = 6;

// Commands that change neither the disc nor the drive's settings.
bool PassesReservation(std::uint8_t opcode) {
  static constexpr std::uint8_t kLooking[] = {
      op::kTestUnitReady,        op::kRequestSense,         op::kInquiry,
      op::kReadFormatCapacities, op::kReadCapacity,         op::kRead10,
      op::kReadToc,              op::kGetConfiguration,     op::kReadDiscInformation,
      op::kReadTrackInformation, op::kModeSense10,          op::kReadBufferCapacity,
  };
  return std::find(std::begin(kLooking), std::end(kLooking), opcode) != std::end(kLooking);
}

}  // namespace

std::optional<ScsiResult> AnswerReservation(StateFolder& folder, const ScsiRequest& request) {
  if (request.cdb == nullptr || request.cdbLength == 0) return std::nullopt;
  const std::uint8_t opcode = request.cdb[0];
  if (opcode == op::kReserve6 || opcode == op::kRelease6) {
    // Third-party and element reservations are not supported.
    if (request.cdbLength != kReserveCdbLength || request.cdb[1] != 0 || request.cdb[2] != 0)
      return ScsiResult::Check(sense::kInvalidFieldInCdb);
    // Releasing a reservation held by another initiator is no error and changes nothing.
    if (opcode == op::kRelease6) {
      folder.Release();
      return ScsiResult::Good();
    }
    return folder.Reserve() ? ScsiResult::Good() : ScsiResult::ReservationConflict();
  }
  if (!folder.Reserved() && !PassesReservation(opcode) && folder.ReservedElsewhere())
    return ScsiResult::ReservationConflict();
  return std::nullopt;
}

}  // namespace kivo::vdrive
