// Session import from arbitrary sectors: whatever a disc holds, the import must end, stay in
// bounds and leave a compilation that the layout can lay out again.
//
// Input: one byte of options (bit 0: ReplaceFile, bit 1: import twice, bit 2: a compilation
// too small for the tree), then the disc's sectors from sector 16 on (the volume descriptors
// first). The sectors below 16 read as zeros; those past the input cannot be read, and the
// input's end is the disc's end.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "engine/iso/SessionImport.h"
#include "engine/iso/TZelvoBurner.h"

namespace {

constexpr std::uint32_t kSystemArea = 16;
constexpr std::size_t kSector = kivo::kImportSectorSize;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t options = bytes[0];
  const std::uint8_t* sectors = bytes + 1;
  const std::size_t length = size - 1;
  const auto count = static_cast<std::uint32_t>((length + kSector - 1) / kSector);

  kivo::SessionSource source;
  source.end = kSystemArea + count;
  source.read = [&](std::uint32_t lba, std::uint32_t count, std::span<std::uint8_t> buffer) {
    std::fill(buffer.begin(), buffer.end(), 0);
    for (std::uint32_t i = 0; i < count; ++i) {
      const std::uint64_t at = std::uint64_t{lba} + i;
      if (at < kSystemArea) continue;
      if (at >= source.end) return false;
      const std::size_t from = std::size_t(at - kSystemArea) * kSector;
      std::memcpy(buffer.data() + std::size_t{i} * kSector, sectors + from, std::min(kSector, length - from));
    }
    return true;
  };

  kivo::TZelvoBurner burner;
  if (options & 0x04) burner.ResetCompilation(40, 8);
  burner.ReplaceFile = (options & 0x01) != 0;
  kivo::ImportSessionTree(burner, source, 1, burner.RootDirectory());
  if (options & 0x02) kivo::ImportSessionTree(burner, source, 1, burner.RootDirectory());
  burner.PrepareLayout(true, nullptr);
  burner.BuildHeader(nullptr);
  return 0;
}
