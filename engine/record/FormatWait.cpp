#include "engine/record/FormatWait.h"

#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/Threads.h"
#include "engine/record/SenseCodes.h"

namespace kivo {

bool WaitWhileFormatting(TSCSIDevice& Device, long PollMs, int Minutes, bool SleepFirst) {
  const long polls = PollsWithin(Minutes, PollMs);
  for (long poll = 0; poll < polls; ++poll) {
    if (SleepFirst || poll > 0) platform::Sleep(PollMs);
    Device.ReadDiscInfo();
    if (recordsense::AdditionalSenseCode(Device) != recordsense::kNotReady) return true;
  }
  return false;
}

}  // namespace kivo
