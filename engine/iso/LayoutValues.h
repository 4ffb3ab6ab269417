// Where every structure of a session lies, as the last PrepareLayout computed it. The burner
// carries these values; the header builder, the image writers and the recording read them.
// Sector numbers count from sector 0 of the disc (an image file's first sector).
#pragma once

#include <cstdint>

namespace kivo {

// No file's data may start before this sector: readers expect the first 150 sectors of a
// session to hold nothing but its structures.
inline constexpr std::uint32_t kMinimumFirstFileLocation = 150;
// A session written with a post-gap is never shorter than this.
inline constexpr std::int64_t kMinimumPostGapSectors = 300;
// Sectors of the system area that opens every session.
inline constexpr std::uint32_t kSystemAreaSectors = 16;

struct TLayoutValues {
  std::uint32_t SessionStart = 0;

  // The volume descriptors lie one after the other from SessionStart + 16; the boot record and
  // the Joliet descriptor exist only when the compilation is bootable or has a Joliet tree.
  std::uint32_t PrimaryDescriptorLocation = 0;
  std::uint32_t BootRecordLocation = 0;
  std::uint32_t JolietDescriptorLocation = 0;
  std::uint32_t TerminatorLocation = 0;

  // Exact byte sizes of one path table of each tree, and where each copy starts.
  std::uint32_t IsoPathTableSize = 0;
  std::uint32_t JolietPathTableSize = 0;
  std::uint32_t IsoPathTableL = 0;
  std::uint32_t IsoPathTableM = 0;
  std::uint32_t JolietPathTableL = 0;
  std::uint32_t JolietPathTableM = 0;

  // First sector and total bytes of each tree's directory records.
  std::uint32_t IsoDirectoryArea = 0;
  std::uint32_t JolietDirectoryArea = 0;
  std::int64_t IsoDirectoryBytes = 0;
  std::int64_t JolietDirectoryBytes = 0;

  std::uint32_t BootCatalogLocation = 0;
  std::uint32_t BootImageLocation = 0;
  std::uint32_t BootImageSectors = 0;
  std::int64_t BootImageBytes = 0;  // the boot image file's length when it was laid out

  std::uint32_t PaddingSectors = 0;  // zero sectors before the first file
  std::uint32_t FirstFileLocation = 0;
  std::int64_t TotalFileSectors = 0;
  std::int64_t VolumeSpaceSize = 0;  // the sector after the last file
  std::int64_t ImageSectors = 0;     // sectors this session writes
};

}  // namespace kivo
