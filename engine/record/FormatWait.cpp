#include "engine/record/FormatWait.h"

#include <algorithm>

#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/Threads.h"
#include "engine/record/Recording.h"
#include "engine/record/SenseCodes.h"

namespace kivo {

namespace {

// A poll's pause is slept in slices, so that an abort ends the wait without waiting out a poll.
constexpr long kAbortSliceMs = 200;

bool SleepUnlessAborted(long ms) {
  for (long slept = 0; slept < ms && !WriteAborted; slept += kAbortSliceMs) {
    platform::Sleep(std::min(kAbortSliceMs, ms - slept));
  }
  return !WriteAborted;
}

}  // namespace

FormatWait WaitWhileFormatting(TSCSIDevice& Device, long PollMs, int Minutes, bool SleepFirst) {
  const long polls = PollsWithin(Minutes, PollMs);
  for (long poll = 0; poll < polls; ++poll) {
    if ((SleepFirst || poll > 0) && !SleepUnlessAborted(PollMs)) return FormatWait::Aborted;
    Device.ReadDiscInfo();
    if (recordsense::AdditionalSenseCode(Device) != recordsense::kNotReady) return FormatWait::Done;
  }
  return FormatWait::TimedOut;
}

}  // namespace kivo
