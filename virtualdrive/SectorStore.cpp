#include "virtualdrive/SectorStore.h"

#include <algorithm>
#include <cstring>

#include "virtualdrive/Cdb.h"

namespace kivo::vdrive {

bool MemorySectorStore::Read(std::uint32_t lba, std::uint32_t count, std::uint8_t* out) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const auto it = blocks_.find(lba + i);
    std::uint8_t* dst = out + std::size_t{i} * kBlockSize;
    if (it == blocks_.end())
      std::memset(dst, 0, kBlockSize);
    else
      std::memcpy(dst, it->second.data(), kBlockSize);
  }
  return true;
}

bool MemorySectorStore::Write(std::uint32_t lba, std::uint32_t count, const std::uint8_t* data) {
  for (std::uint32_t i = 0; i < count; ++i) {
    const std::uint8_t* src = data + std::size_t{i} * kBlockSize;
    blocks_[lba + i].assign(src, src + kBlockSize);
  }
  return true;
}

bool MemorySectorStore::Clear() {
  blocks_.clear();
  return true;
}

}  // namespace kivo::vdrive
