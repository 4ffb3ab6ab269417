// Waiting for a drive to finish a long operation (format, blank, session close, long write).
// Each phase polls with a fixed sleep and spends the same budget; the drive counts as not ready
// while "logical unit not ready" (ASC 04h) stands after the last command.
#include <array>

#include "engine/drive/SenseData.h"
#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/Threads.h"

namespace kivo {

namespace {

constexpr long kQuirkPauseMs = 1500;

}  // namespace

bool TSCSIDevice::WaitReady(long Total, long Step) {
  long remaining = Total;
  alignas(4) std::array<std::uint8_t, sensedata::kRequestedLength> sense{};

  // Drives known to report ready late get long pauses before the disc is asked at all.
  if (LongFormatQuirk || SlowReadyQuirk.load()) {
    do {
      platform::Sleep(kQuirkPauseMs);
      remaining -= kQuirkPauseMs;
      if (remaining < 0) break;
      TestUnitReady(kReadyTimeoutMs);
    } while (NotReady());
  }

  // A DVD-RAM reports ready to TEST UNIT READY while it still formats; only its sense data
  // tells, so it skips the disc information polling and never ends at the next step.
  if (CurrentMediaKind.load() == media::kDvdRam) {
    sense[sensedata::kAsc] = sensedata::kAscNotReady;
  } else {
    do {
      platform::Sleep(Step);
      ReadDiscInfo();
      remaining -= Step;
      if (remaining < 0) return false;
    } while (NotReady());
  }

  if (TestUnitReady(kReadyTimeoutMs) && sense[sensedata::kAsc] == 0) return true;

  do {
    platform::Sleep(Step);
    remaining -= Step;
    if (remaining < 0) return false;
    TestUnitReady(kReadyTimeoutMs);
  } while (NotReady());

  // Only "not ready" is waited for; any other condition is asked again at once, so a condition
  // the drive reports once (a unit attention) costs no sleep.
  for (;;) {
    sense.fill(0);
    // A drive that cannot even answer REQUEST SENSE is not ready, whatever the empty reply says.
    if (!RequestSense(sense, sensedata::kRequestedLength)) sense[sensedata::kAsc] = sensedata::kAscNotReady;
    remaining -= Step;
    if (remaining < 0) return false;
    const std::uint8_t asc = sensedata::RequestedAsc(sense);
    if (asc == 0) return true;
    if (asc == sensedata::kAscNotReady) platform::Sleep(Step);
  }
}

}  // namespace kivo
