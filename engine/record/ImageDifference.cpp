#include "engine/record/ImageDifference.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/record/SectorReader.h"

namespace kivo {

namespace {

constexpr std::size_t kSector = SectorReader::kSectorBytes;

}  // namespace

std::optional<SectorRange> FirstDifference(TSCSIDevice& drive, std::uint32_t start, const std::string& imagePath,
                                           std::string& error) {
  platform::File image;
  if (!image.Open(imagePath, platform::File::Mode::Read)) {
    error = image.LastError();
    return std::nullopt;
  }
  const std::int64_t bytes = image.Size();
  const auto sectors = static_cast<std::uint32_t>((bytes + kSector - 1) / kSector);
  SectorReader reader(drive);
  std::vector<std::uint8_t> disc(SectorReader::kLargestRead * kSector), local(disc.size());
  std::optional<SectorRange> found;
  for (std::uint32_t done = 0; done < sectors;) {
    const std::uint32_t count = std::min(reader.ReadSize(), sectors - done);
    const std::vector<std::uint32_t> bad = reader.Read(start + done, count, disc.data());
    const std::size_t length = std::size_t{count} * kSector;
    const std::int64_t got = image.Read(local.data(), static_cast<std::int64_t>(length));
    if (got < 0 || (got < static_cast<std::int64_t>(length) && !image.LastError().empty())) {
      error = image.LastError();
      return std::nullopt;
    }
    std::memset(local.data() + got, 0, length - static_cast<std::size_t>(got));
    for (std::uint32_t s = 0; s < count; ++s) {
      const bool differs = std::find(bad.begin(), bad.end(), s) != bad.end() ||
                           std::memcmp(disc.data() + s * kSector, local.data() + s * kSector, kSector) != 0;
      if (differs && !found) {
        found = SectorRange{start + done + s, 1};
      } else if (differs && found->First + found->Count == start + done + s) {
        ++found->Count;
      } else if (found) {
        return found;
      }
    }
    done += count;
  }
  return found;
}

}  // namespace kivo
