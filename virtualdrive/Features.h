// GET CONFIGURATION: the profiles the drive knows and the features with their current bits.
#pragma once

#include <cstdint>
#include <vector>

#include "virtualdrive/DriveState.h"

namespace kivo::vdrive {

enum class FeatureRequest { All = 0, Current = 1, One = 2 };

// The whole reply (header and descriptors) before truncation to the allocation length.
std::vector<std::uint8_t> ConfigurationReply(const DriveState& state, FeatureRequest request,
                                             std::uint16_t startingFeature);

}  // namespace kivo::vdrive
