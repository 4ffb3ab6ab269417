// The control tool's description of the drive: medium, sessions, tracks, next writable address.
#pragma once

#include <cstdint>
#include <string>

#include "virtualdrive/DriveState.h"
#include "virtualdrive/Faults.h"

namespace kivo::vdrive {

std::string DescribeDrive(const DriveState& state, const Faults& faults, std::int64_t nowMs);

}  // namespace kivo::vdrive
