// CompareFile: an imported file's data read from the disc and compared with a local file, as a
// check of a recorded disc against the files it should hold.
#include <fmt/printf.h>

#include <cstring>
#include <vector>

#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"

namespace kivo {

namespace {

constexpr std::uint32_t kSectorBytes = kLogicalBlockSize;
// READ(10) moves at most 64 KiB at once through the ASPI path: 31 whole sectors.
constexpr std::uint32_t kSectorsPerRead = 31;

}  // namespace

FileComparison TZelvoBurner::CompareFile(const TFEntry& Entry, const std::string& LocalPath) {
  platform::File local;
  if (!local.Open(LocalPath, platform::File::Mode::Read)) {
    DebugMessage(local.LastError(), 0);
    return FileComparison::LocalUnreadable;
  }
  if (local.Size() != Entry.Size) return FileComparison::Differs;

  auto sector = static_cast<std::uint32_t>(Entry.IsoAddress);
  std::int64_t remaining = Entry.Size;
  std::vector<std::uint8_t> disc(kSectorsPerRead * kSectorBytes), file(kSectorsPerRead * kSectorBytes);
  while (remaining > 0) {
    const auto chunk = static_cast<std::uint32_t>(std::min<std::int64_t>(remaining, kSectorsPerRead * kSectorBytes));
    const std::uint32_t count = (chunk + kSectorBytes - 1) / kSectorBytes;
    if (!ReadSectors(sector, static_cast<std::uint16_t>(count), {disc.data(), count * kSectorBytes})) {
      DebugMessage(fmt::sprintf(isotext::kCompareReadFailed, Entry.LongName, sector, LastErrorText), 0);
      return FileComparison::DiscUnreadable;
    }
    if (local.Read(file.data(), chunk) != chunk) {
      DebugMessage(local.LastError().empty() ? LocalPath : local.LastError(), 0);
      return FileComparison::LocalUnreadable;
    }
    if (std::memcmp(disc.data(), file.data(), chunk) != 0) return FileComparison::Differs;
    sector += count;
    remaining -= chunk;
  }
  return FileComparison::Same;
}

}  // namespace kivo
