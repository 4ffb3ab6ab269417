// The volume descriptors that open a session: the primary descriptor of the ISO 9660 tree, the
// supplementary descriptor of the Joliet tree, and the terminator of the set.
#pragma once

#include <cstdint>
#include <string>

#include "engine/iso/DateTime.h"
#include "engine/iso/IsoFields.h"

namespace kivo {

// The descriptors' identifier texts, as the burner's properties hold them.
struct VolumeTexts {
  std::string System, Volume, VolumeSet, Publisher, Preparer, Application;
  std::string Copyright, Abstract, Bibliographic;
};

// What a descriptor says about its tree.
struct TreePlacement {
  std::uint32_t pathTableSize = 0;
  std::uint32_t pathTableL = 0;
  std::uint32_t pathTableM = 0;
  std::uint32_t rootExtent = 0;
  std::int64_t rootSize = 0;
};

// The identifiers upper-cased; both dates the moment given. Bytes 88 to 119 stay zero whether
// or not a Joliet tree follows: readers take a descriptor that carries the Joliet escape
// sequence for the Joliet one, and some refuse a primary descriptor with anything there.
SectorBytes PrimaryDescriptor(const VolumeTexts& texts, const TreePlacement& tree, std::int64_t volumeSpaceSize,
                              TDateTime now);
// The identifiers in UTF-16 with the high byte first, as given; the dates those of the burner.
SectorBytes JolietDescriptor(const VolumeTexts& texts, const TreePlacement& tree, std::int64_t volumeSpaceSize,
                             TDateTime created, TDateTime modified);
SectorBytes TerminatorDescriptor();

// Type byte, "CD001" and version 1: the start of every descriptor of the set.
SectorBytes DescriptorHeader(std::uint8_t type);

}  // namespace kivo
