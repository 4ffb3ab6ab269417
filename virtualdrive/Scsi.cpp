#include "virtualdrive/Scsi.h"

#include "virtualdrive/Bytes.h"

namespace kivo::vdrive {

SenseData MakeSense(SenseCode code, std::optional<std::uint16_t> progress,
                    std::optional<std::uint32_t> information) {
  SenseData s{};
  s[0] = information ? 0xF0 : 0x70;  // current error, fixed format; 0x80 = information valid
  s[2] = code.key & 0x0F;
  if (information) put32(&s[3], *information);
  s[7] = kSenseDataLength - 8;
  s[12] = code.asc;
  s[13] = code.ascq;
  if (progress) {
    s[15] = 0x80;  // SKSV: bytes 16-17 hold the progress of the running operation
    put16(&s[16], *progress);
  }
  return s;
}

ScsiResult ScsiResult::Good(std::size_t transferred) {
  ScsiResult r;
  r.transferred = transferred;
  return r;
}

ScsiResult ScsiResult::Check(SenseCode code, std::optional<std::uint16_t> progress,
                             std::optional<std::uint32_t> information) {
  ScsiResult r;
  r.status = ScsiStatus::CheckCondition;
  r.sense = MakeSense(code, progress, information);
  return r;
}

ScsiResult ScsiResult::Busy() {
  ScsiResult r;
  r.status = ScsiStatus::Busy;
  return r;
}

ScsiResult ScsiResult::ReservationConflict() {
  ScsiResult r;
  r.status = ScsiStatus::ReservationConflict;
  return r;
}

}  // namespace kivo::vdrive
