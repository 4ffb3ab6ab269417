#include "engine/iso/ElTorito.h"

#include <algorithm>
#include <span>
#include <unordered_set>

#include "engine/iso/Strings.h"
#include "engine/platform/Text.h"

namespace kivo {

namespace {

constexpr std::uint8_t kBootRecord = 0;
constexpr std::uint8_t kBootable = 0x88;
constexpr std::uint8_t kHardDisk = 4;

// The word sum of the validation entry must come to zero.
std::uint16_t ValidationChecksum(std::span<const std::uint8_t, 32> entry) {
  std::uint16_t sum = 0;
  for (std::size_t i = 0; i < entry.size(); i += 2) {
    sum = static_cast<std::uint16_t>(sum + (entry[i] | entry[i + 1] << 8));
  }
  return static_cast<std::uint16_t>(-sum);
}

}  // namespace

SectorBytes BootRecordDescriptor(std::uint32_t catalogLocation) {
  SectorBytes s = DescriptorHeader(kBootRecord);
  std::copy(isotext::kBootSystemId.begin(), isotext::kBootSystemId.end(), s.begin() + 7);
  PutLe32(s, 71, catalogLocation);
  return s;
}

std::uint8_t BootMediaType(std::uint32_t imageSectors) {
  switch (imageSectors) {
    case 600: return 1;   // 1.2 MB floppy
    case 720: return 2;   // 1.44 MB floppy
    case 1440: return 3;  // 2.88 MB floppy
    default: return kHardDisk;
  }
}

SectorBytes BootCatalog(std::uint32_t imageLocation, std::uint32_t imageSectors) {
  SectorBytes s{};
  // Validation entry: header ID 1, platform 80x86, the ID string, the checksum, the key bytes.
  s[0] = 1;
  std::copy(isotext::kBootCatalogId.begin(), isotext::kBootCatalogId.end(), s.begin() + 4);
  s[30] = 0x55;
  s[31] = 0xAA;
  PutLe16(s, 28, ValidationChecksum(std::span(s).first<32>()));
  // Default entry: one 512-byte virtual sector loaded at the default segment.
  s[32] = kBootable;
  s[33] = BootMediaType(imageSectors);
  PutLe16(s, 38, 1);
  PutLe32(s, 40, imageLocation);
  return s;
}

TFEntry BootImageEntry(const TDEntry& root) {
  std::unordered_set<std::string> taken;
  for (const TFEntry* e = root.FirstEntry; e != nullptr; e = e->Next) {
    taken.insert(e->ShortName);
    taken.insert(platform::UpperAscii(e->LongName));
  }
  TFEntry entry;
  entry.Attr = 0x02;  // hidden
  for (unsigned n = 0;; ++n) {
    const std::string stem = n == 0 ? "BOOT" : "BOOT~" + std::to_string(n);
    entry.ShortName = stem + ".IMG";
    if (taken.count(entry.ShortName) == 0) break;
  }
  entry.LongName = entry.ShortName;
  return entry;
}

AddedRecord BootImageRecord(const TFEntry& entry, DirectoryTree tree, std::uint32_t location, std::int64_t bytes,
                            TDateTime date) {
  AddedRecord record;
  EntryIdentifier(entry, tree, record.identifier);
  record.fields.extent = location;
  record.fields.dataLength = static_cast<std::uint32_t>(bytes);
  record.fields.date = date;
  record.fields.flags = kFlagHidden;
  return record;
}

}  // namespace kivo
