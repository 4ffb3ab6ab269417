// Where a disc differs from the image file recorded on it: asked only once the check after the
// recording has found that it does, so the image is read again only then.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/record/DiscCheck.h"

namespace kivo {

class TSCSIDevice;

// The first run of consecutive sectors from start on the disc that differ from the image's (its
// last sector padded with zeros) or cannot be read, as absolute sectors; nullopt when the two
// are the same. An image file that cannot be read gives nullopt and says why in error.
std::optional<SectorRange> FirstDifference(TSCSIDevice& drive, std::uint32_t start, const std::string& imagePath,
                                           std::string& error);

}  // namespace kivo
