// The additional sense codes the recording acts on, as the last command left them.
#pragma once

#include <cstdint>

#include "engine/drive/SenseData.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo::recordsense {

inline constexpr std::uint8_t kNoSense = 0x00;
inline constexpr std::uint8_t kNotReady = sensedata::kAscNotReady;
inline constexpr std::uint8_t kIncompatibleMedium = sensedata::kAscIncompatibleMedium;

inline std::uint8_t AdditionalSenseCode(const TSCSIDevice& Device) { return Device.LastSense[sensedata::kAsc]; }

// The drive refused only for now: a write sent again later may well be taken.
inline bool RefusedForNow(const TSCSIDevice& Device) {
  const std::uint8_t asc = AdditionalSenseCode(Device);
  return Device.TargetBusy || asc == kNotReady || asc == kNoSense;
}

}  // namespace kivo::recordsense
