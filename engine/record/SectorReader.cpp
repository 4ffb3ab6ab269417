#include "engine/record/SectorReader.h"

#include <algorithm>

#include "engine/drive/TSCSIDevice.h"

namespace kivo {

namespace {

// What every transport moves in one go.
constexpr std::uint32_t kSmallRead = 16;

}  // namespace

std::vector<std::uint32_t> SectorReader::Read(std::uint32_t at, std::uint32_t count, std::uint8_t* buffer) {
  std::vector<std::uint32_t> bad;
  if (Whole(at, count, buffer)) return bad;
  for (std::uint32_t done = 0; done < count; done += kSmallRead) {
    const std::uint32_t n = std::min(kSmallRead, count - done);
    if (Whole(at + done, n, buffer + std::size_t{done} * kSectorBytes)) continue;
    for (std::uint32_t s = done; s < done + n; ++s) {
      if (!Whole(at + s, 1, buffer + std::size_t{s} * kSectorBytes)) bad.push_back(s);
    }
  }
  if (bad.empty() && readSize_ > kSmallRead) readSize_ /= 2;
  return bad;
}

bool SectorReader::Whole(std::uint32_t at, std::uint32_t count, std::uint8_t* buffer) {
  return drive_.ReadSectors(at, static_cast<std::uint16_t>(count), {buffer, std::size_t{count} * kSectorBytes});
}

}  // namespace kivo
