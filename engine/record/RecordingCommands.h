// The MMC commands that only a recording sends: power calibration, track reservation, the
// streaming performance descriptor and the DVD-R timestamp. Like the drive component's
// wrappers, each returns whether the drive completed it and leaves the reason in the
// component's LastErrorText and LastSense.
#pragma once

#include <cstdint>

#include "engine/drive/TSCSIDevice.h"
#include "engine/platform/Time.h"

namespace kivo {

// The 28-byte performance descriptor of SET STREAMING (sizes in KB, times in ms).
struct StreamingDescriptor {
  std::uint32_t StartLba = 0;
  std::uint32_t EndLba = 0;
  std::uint32_t ReadSize = 0;
  std::uint32_t ReadTime = 1000;
  std::uint32_t WriteSize = 0;
  std::uint32_t WriteTime = 1000;
};

bool SendOpcInformation(TSCSIDevice& Device);
bool ReserveTrack(TSCSIDevice& Device, std::uint32_t Sectors);
bool SetStreaming(TSCSIDevice& Device, const StreamingDescriptor& Descriptor);
// SEND DVD STRUCTURE format 0Fh: the recording's date and time as "yyyymmddhhnnss".
bool SendDvdTimestamp(TSCSIDevice& Device, const platform::CivilTime& Local);

}  // namespace kivo
