// Reading a session's file system back into the compilation. The drive is reached only through
// a sector reader, so that the parser can be fed any bytes: a disc is data from outside, and
// whatever it holds must neither hang nor crash the import.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

namespace kivo {

class TZelvoBurner;
struct TDEntry;

inline constexpr std::size_t kImportSectorSize = 2048;

// Fills sectors (count × 2048 bytes) with the disc's sectors from lba on; false when any of them
// cannot be read.
using SectorReader = std::function<bool(std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> sectors)>;

struct SessionSource {
  SectorReader read;
  std::uint32_t start = 0;  // the session's first sector: its volume descriptors follow at +16
  // The first sector beyond what the session recorded (beyond the disc's readable part when the
  // track's size is unknown). Directories reaching past it are cut there, so that a forged
  // length cannot make the import read a whole disc many times over; files reaching past it are
  // left out, as their data is not on the disc.
  std::uint32_t end = UINT32_MAX;
};

// Finds the session's volume descriptors (the Joliet tree preferred) and adds its tree below
// dir (not null). True when a tree was read; false after reporting that none was found.
bool ImportSessionTree(TZelvoBurner& burner, const SessionSource& source, int session, TDEntry* dir);

}  // namespace kivo
