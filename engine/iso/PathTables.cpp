#include "engine/iso/PathTables.h"

#include "engine/iso/IsoFields.h"
#include "engine/platform/Text.h"

namespace kivo {

namespace {

constexpr std::size_t kRecordHeader = 8;

std::size_t IdentifierLength(const TDEntry& dir, DirectoryTree tree) {
  return tree == DirectoryTree::Iso ? dir.ShortName.size() : 2 * platform::Utf16Length(dir.LongName);
}

std::size_t RecordSize(std::size_t identifierLength) {
  return kRecordHeader + identifierLength + identifierLength % 2;
}

}  // namespace

std::uint32_t PathTableSize(const std::vector<TDEntry*>& order, DirectoryTree tree) {
  std::uint64_t size = RecordSize(1);  // the root's identifier is one zero byte
  for (std::size_t i = 1; i < order.size(); ++i) size += RecordSize(IdentifierLength(*order[i], tree));
  return static_cast<std::uint32_t>(size);
}

void WritePathTable(TStreamEx& out, const std::vector<TDEntry*>& order, DirectoryTree tree,
                    std::uint32_t areaStart, ByteOrder byteOrder) {
  const std::uint32_t size = PathTableSize(order, tree);
  std::vector<std::uint8_t> table(static_cast<std::size_t>(Sectors(size) * kSectorSize), 0);
  const std::span<std::uint8_t> bytes(table);
  std::vector<std::uint8_t> identifier;
  std::size_t at = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const TDEntry& dir = *order[i];
    identifier.assign(1, 0);
    if (i != 0) {
      // A directory's own entry names it exactly as its parent's records do.
      EntryIdentifier(*dir.OwnEntry(), tree, identifier);
    }
    const auto offset = static_cast<std::uint32_t>(tree == DirectoryTree::Iso ? dir.IsoDirOffset : dir.JolietDirOffset);
    const auto parent = static_cast<std::uint16_t>(dir.Parent->Number);
    bytes[at] = static_cast<std::uint8_t>(identifier.size());
    if (byteOrder == ByteOrder::Little) {
      PutLe32(bytes, at + 2, areaStart + offset);
      PutLe16(bytes, at + 6, parent);
    } else {
      PutBe32(bytes, at + 2, areaStart + offset);
      PutBe16(bytes, at + 6, parent);
    }
    std::copy(identifier.begin(), identifier.end(), table.begin() + static_cast<std::ptrdiff_t>(at + kRecordHeader));
    at += RecordSize(identifier.size());
  }
  out.Write(table.data(), static_cast<std::int32_t>(table.size()));
}

}  // namespace kivo
