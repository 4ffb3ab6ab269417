// The additional sense codes the recording acts on, as the last command left them.
#pragma once

#include <cstdint>

#include "engine/drive/SenseData.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo::recordsense {

inline constexpr std::uint8_t kNotReady = sensedata::kAscNotReady;
inline constexpr std::uint8_t kIncompatibleMedium = sensedata::kAscIncompatibleMedium;

inline std::uint8_t AdditionalSenseCode(const TSCSIDevice& Device) { return Device.LastSense[sensedata::kAsc]; }

// The drive refused only for now, as MMC names it: BUSY status, or NOT READY while it becomes
// ready, formats, finishes an operation or writes out a long write. A write sent again later
// will be taken. Anything else (a medium or hardware error, a condition without sense, a
// transport failure, a time-out) would fail again, and ends the recording at once.
inline bool RefusedForNow(const TSCSIDevice& Device) {
  if (Device.TargetBusy) return true;
  constexpr std::uint8_t kSenseKeyNotReady = 0x02;
  const std::uint8_t key = Device.LastSense[sensedata::kSenseKey] & 0x0F;
  const std::uint8_t ascq = Device.LastSense[sensedata::kAscq];
  if (key != kSenseKeyNotReady || AdditionalSenseCode(Device) != kNotReady) return false;
  return ascq == sensedata::kAscqBecomingReady || ascq == sensedata::kAscqFormatInProgress ||
         ascq == sensedata::kAscqOperationInProgress || ascq == sensedata::kAscqLongWrite;
}

}  // namespace kivo::recordsense
