// Bootable compilations: the boot record descriptor that points at the boot catalog, and the
// catalog whose one default entry loads the boot image in floppy or hard-disk emulation.
#pragma once

#include <cstdint>
#include <string>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/Entries.h"
#include "engine/iso/VolumeDescriptors.h"

namespace kivo {

SectorBytes BootRecordDescriptor(std::uint32_t catalogLocation);

// The validation entry (with its checksum) and the default entry for the image's location.
SectorBytes BootCatalog(std::uint32_t imageLocation, std::uint32_t imageSectors);

// The emulated medium that a boot image of that many sectors stands for: the three floppy
// sizes by their exact sector counts, a hard disk otherwise.
std::uint8_t BootMediaType(std::uint32_t imageSectors);

// A boot image that no directory record points at leaves readers unable to tell what those
// sectors are (the strictest of them warn), so the root of both trees lists it as a hidden
// file: "BOOT.IMG", or "BOOT~n.IMG" when the root already holds that name.
TFEntry BootImageEntry(const TDEntry& root);

// The boot image's record in one tree, for the entry above.
AddedRecord BootImageRecord(const TFEntry& entry, DirectoryTree tree, std::uint32_t location, std::int64_t bytes,
                            TDateTime date);

}  // namespace kivo
