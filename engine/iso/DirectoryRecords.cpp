#include "engine/iso/DirectoryRecords.h"

#include <algorithm>
#include <array>

#include "engine/iso/IsoFields.h"
#include "engine/platform/Text.h"

namespace kivo {

namespace {

constexpr std::string_view kVersionSuffix = ";1";
constexpr std::size_t kRecordHeader = 33;
constexpr std::uint8_t kDotIdentifier[] = {0x00};
constexpr std::uint8_t kDotDotIdentifier[] = {0x01};

std::uint32_t Low32(std::int64_t value) { return static_cast<std::uint32_t>(value); }

std::uint32_t DirectoryOffset(const TDEntry& dir, DirectoryTree tree) {
  return static_cast<std::uint32_t>(tree == DirectoryTree::Iso ? dir.IsoDirOffset : dir.JolietDirOffset);
}

std::int64_t DirectoryBytes(const TDEntry& dir, DirectoryTree tree) {
  return tree == DirectoryTree::Iso ? dir.IsoDirSize : dir.JolietDirSize;
}

// The record of an entry, or of one extent of a file (part counts from 0).
RecordFields EntryFields(const TFEntry& e, const DirectoryWriteSettings& s, std::uint32_t part) {
  const bool iso = s.tree == DirectoryTree::Iso;
  const std::int64_t size = iso ? e.Size : e.JolietSize;
  const bool last = e.IsDirectory() || part + 1 >= ExtentCount(size);
  const std::int64_t skipped = std::int64_t{part} * kExtentBytes;
  const auto address = static_cast<std::uint32_t>((iso ? e.IsoAddress : e.JolietAddress) + skipped / kSectorSize);
  RecordFields f;
  f.date = e.DateTime;
  f.dataLength = Low32(last ? size - skipped : kExtentBytes);
  f.flags = (e.Attr & 0x02) != 0 ? kFlagHidden : 0;
  if (!last) f.flags |= kFlagMoreExtents;
  if (e.IsDirectory()) {
    f.extent = s.areaStart + address;
    f.flags |= kFlagDirectory;
  } else if (e.Imported) {
    f.extent = address;  // the data of an earlier session stays where it is
  } else if (e.CarriesData()) {
    f.extent = s.firstFileLocation + address;
  }  // an empty or sourceless file points at sector 0 and owns no data
  return f;
}

// An identifier's parts as ISO 9660 compares them.
struct IdentifierParts {
  std::u16string name, extension;
  unsigned version = 0;
};

IdentifierParts SplitIdentifier(std::span<const std::uint8_t> id, DirectoryTree tree) {
  std::u16string units;
  if (tree == DirectoryTree::Iso) {
    units.assign(id.begin(), id.end());
  } else {
    for (std::size_t i = 0; i + 1 < id.size(); i += 2) units.push_back(static_cast<char16_t>(id[i] << 8 | id[i + 1]));
  }
  IdentifierParts parts;
  if (const std::size_t semicolon = units.rfind(u';'); semicolon != std::u16string::npos) {
    for (std::size_t i = semicolon + 1; i < units.size(); ++i) {
      if (units[i] >= u'0' && units[i] <= u'9') parts.version = parts.version * 10 + (units[i] - u'0');
    }
    units.resize(semicolon);
  }
  const std::size_t dot = units.rfind(u'.');
  parts.name = units.substr(0, dot);
  if (dot != std::u16string::npos) parts.extension = units.substr(dot + 1);
  return parts;
}

// -1, 0 or 1 as a against b, the shorter padded with blanks.
int ComparePadded(const std::u16string& a, const std::u16string& b) {
  const std::size_t length = std::max(a.size(), b.size());
  for (std::size_t i = 0; i < length; ++i) {
    const char16_t x = i < a.size() ? a[i] : u' ';
    const char16_t y = i < b.size() ? b[i] : u' ';
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

// A directory's records after "." and "..", in the order they are written.
struct OrderedRecord {
  const TFEntry* entry;  // null for the added record
  std::vector<std::uint8_t> identifier;
  std::uint32_t part = 0;  // which extent of a file in several
};

std::vector<OrderedRecord> RecordsInOrder(const TDEntry& dir, DirectoryTree tree, const AddedRecord* added) {
  std::vector<OrderedRecord> records;
  for (const TFEntry* e = dir.FirstEntry; e != nullptr; e = e->Next) {
    records.push_back({e, {}});
    EntryIdentifier(*e, tree, records.back().identifier);
    const std::uint32_t parts = e->IsDirectory() ? 1 : ExtentCount(tree == DirectoryTree::Iso ? e->Size : e->JolietSize);
    for (std::uint32_t part = 1; part < parts; ++part) records.push_back({e, records.back().identifier, part});
  }
  if (added != nullptr) records.push_back({nullptr, added->identifier});
  // Stable: the extents of one file share their identifier and keep their order.
  std::stable_sort(records.begin(), records.end(), [tree](const OrderedRecord& a, const OrderedRecord& b) {
    return IdentifierBefore(a.identifier, b.identifier, tree);
  });
  return records;
}

}  // namespace

std::uint32_t ExtentCount(std::int64_t size) {
  return size <= static_cast<std::int64_t>(kMaxFileSize) ? 1 : static_cast<std::uint32_t>((size + kExtentBytes - 1) / kExtentBytes);
}

bool IdentifierBefore(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, DirectoryTree tree) {
  const IdentifierParts x = SplitIdentifier(a, tree);
  const IdentifierParts y = SplitIdentifier(b, tree);
  if (const int names = ComparePadded(x.name, y.name); names != 0) return names < 0;
  if (const int extensions = ComparePadded(x.extension, y.extension); extensions != 0) return extensions < 0;
  return x.version > y.version;
}

void EntryIdentifier(const TFEntry& entry, DirectoryTree tree, std::vector<std::uint8_t>& out) {
  out.clear();
  const std::string_view suffix = entry.IsDirectory() ? std::string_view() : kVersionSuffix;
  if (tree == DirectoryTree::Iso) {
    out.insert(out.end(), entry.ShortName.begin(), entry.ShortName.end());
    out.insert(out.end(), suffix.begin(), suffix.end());
    return;
  }
  std::u16string units = platform::Utf8ToUtf16(entry.LongName);
  units.append(suffix.begin(), suffix.end());
  out.resize(2 * units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    out[2 * i] = static_cast<std::uint8_t>(units[i] >> 8);
    out[2 * i + 1] = static_cast<std::uint8_t>(units[i] & 0xFF);
  }
}

std::size_t RecordLength(std::size_t identifierLength) {
  return kRecordHeader + identifierLength + (identifierLength % 2 == 0 ? 1 : 0);
}

std::size_t SectorCursor::Place(std::size_t length) {
  if (used_ + length > static_cast<std::size_t>(kSectorSize)) {
    ++sectors_;
    used_ = 0;
  }
  const std::size_t at = used_;
  used_ += length;
  return at;
}

std::int64_t DirectorySize(const TDEntry& dir, DirectoryTree tree, const AddedRecord* added) {
  SectorCursor cursor;
  cursor.Place(kDotRecordLength);
  cursor.Place(kDotRecordLength);
  // Records do not cross sectors: the order decides where each sector's padding falls.
  for (const OrderedRecord& r : RecordsInOrder(dir, tree, added)) cursor.Place(RecordLength(r.identifier.size()));
  return cursor.Sectors() * kSectorSize;
}

void PutDirectoryRecord(std::span<std::uint8_t> out, const RecordFields& fields,
                        std::span<const std::uint8_t> identifier, std::int16_t timeZoneOffset) {
  const std::size_t length = RecordLength(identifier.size());
  std::fill_n(out.begin(), length, std::uint8_t{0});
  out[0] = static_cast<std::uint8_t>(length);
  PutBoth32(out, 2, fields.extent);
  PutBoth32(out, 10, fields.dataLength);
  if (fields.hasDate) WriteRecordingDate(out.subspan<18, 7>(), fields.date, timeZoneOffset);
  out[25] = fields.flags;
  PutBoth16(out, 28, 1);  // volume sequence number
  out[32] = static_cast<std::uint8_t>(identifier.size());
  std::copy(identifier.begin(), identifier.end(), out.begin() + kRecordHeader);
}

void WriteDirectoryRecords(TStreamEx& out, const TDEntry& dir, const DirectoryWriteSettings& s,
                           const AddedRecord* added) {
  std::array<std::uint8_t, kSectorSize> sector{};
  SectorCursor cursor;
  std::int64_t sectorsDone = 0;
  const auto put = [&](const RecordFields& fields, std::span<const std::uint8_t> identifier) {
    const std::size_t at = cursor.Place(RecordLength(identifier.size()));
    if (cursor.Sectors() - 1 > sectorsDone) {  // the record opens a new sector
      out.Write(sector.data(), static_cast<std::int32_t>(sector.size()));
      sector.fill(0);
      ++sectorsDone;
    }
    PutDirectoryRecord(std::span(sector).subspan(at), fields, identifier, fields.hasDate ? s.zones->At(fields.date) : 0);
  };

  RecordFields dot;
  dot.date = s.now;
  dot.flags = kFlagDirectory;
  dot.extent = s.areaStart + DirectoryOffset(dir, s.tree);
  dot.dataLength = Low32(DirectoryBytes(dir, s.tree));
  put(dot, kDotIdentifier);
  RecordFields dotDot = dot;
  dotDot.extent = s.areaStart + DirectoryOffset(*dir.Parent, s.tree);
  dotDot.dataLength = Low32(DirectoryBytes(*dir.Parent, s.tree));
  put(dotDot, kDotDotIdentifier);

  for (const OrderedRecord& r : RecordsInOrder(dir, s.tree, added)) {
    put(r.entry != nullptr ? EntryFields(*r.entry, s, r.part) : added->fields, r.identifier);
  }
  out.Write(sector.data(), static_cast<std::int32_t>(sector.size()));
}

}  // namespace kivo
