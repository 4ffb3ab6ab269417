// Reading a run of a disc's sectors back in large READ(10) transfers, as the check after a
// recording does. A transfer that fails is read again in small pieces, and a piece that fails
// sector by sector, so that one bad sector costs only itself; when every small piece reads, the
// transfer was too large for the path to the drive and the following ones are made smaller.
#pragma once

#include <cstdint>
#include <vector>

namespace kivo {

class TSCSIDevice;

class SectorReader {
 public:
  static constexpr std::uint32_t kSectorBytes = 2048;
  // Sectors of the largest transfer: 1 MiB, what drives and host adapters commonly take.
  static constexpr std::uint32_t kLargestRead = 512;

  explicit SectorReader(TSCSIDevice& drive) : drive_(drive) {}

  // Sectors the next Read moves at most.
  std::uint32_t ReadSize() const { return readSize_; }
  // Reads count (at most ReadSize) sectors from sector at into buffer. Returns the numbers,
  // counted from at, of the sectors that could not be read (their bytes in buffer are undefined).
  std::vector<std::uint32_t> Read(std::uint32_t at, std::uint32_t count, std::uint8_t* buffer);

 private:
  bool Whole(std::uint32_t at, std::uint32_t count, std::uint8_t* buffer);

  TSCSIDevice& drive_;
  std::uint32_t readSize_ = kLargestRead;
};

}  // namespace kivo
