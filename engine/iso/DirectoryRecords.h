// Directory records of the two trees: their lengths, how they fill sectors, and their bytes.
// Sizing and writing share the placement below, so a directory always writes exactly the
// bytes the layout reserved for it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/iso/DateTime.h"
#include "engine/iso/Entries.h"
#include "engine/iso/Streams.h"
#include "engine/iso/ZoneOffsets.h"

namespace kivo {

enum class DirectoryTree { Iso, Joliet };

inline constexpr std::size_t kDotRecordLength = 34;  // "." and "..": a one-byte identifier
inline constexpr std::uint8_t kFlagHidden = 0x01;
inline constexpr std::uint8_t kFlagDirectory = 0x02;
// Set on every record of a file but its last: the file goes on in the next record of the same
// name, whose extent follows this one's.
inline constexpr std::uint8_t kFlagMoreExtents = 0x80;
// A file's data length is a 32-bit field of its directory record: a larger file needs several
// records (the burner's LargeFiles).
inline constexpr std::uint64_t kMaxFileSize = 0xFFFFFFFFull;
// What each record of a file in several extents holds, but the last: whole sectors, as much as
// a 32-bit length allows.
inline constexpr std::int64_t kExtentBytes = 0xFFFFF800;

// Records a file of size bytes takes: one, or one per kExtentBytes begun.
std::uint32_t ExtentCount(std::int64_t size);

// Identifier of an entry in a tree: the short name's bytes (ISO 9660) or the long name in
// UTF-16 with the high byte first (Joliet); a file's carries ";1" besides.
void EntryIdentifier(const TFEntry& entry, DirectoryTree tree, std::vector<std::uint8_t>& out);

// Whether identifier a goes before b in a directory: ISO 9660 compares the names, then the
// extensions, each padded with blanks, then the versions, higher first; Joliet compares its
// UTF-16 units the same way. Readers that search a directory rely on that order.
bool IdentifierBefore(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b, DirectoryTree tree);

// 33 bytes, the identifier, and one zero byte when the identifier's length is even.
std::size_t RecordLength(std::size_t identifierLength);

// Where the next record of a directory goes: a record never crosses the end of a sector, so one
// that does not fit what is left starts the next sector.
class SectorCursor {
 public:
  // Moves on to a new sector first when the record does not fit; returns the offset inside the
  // current sector where it goes.
  std::size_t Place(std::size_t length);
  std::int64_t Sectors() const { return sectors_; }

 private:
  std::int64_t sectors_ = 1;
  std::size_t used_ = 0;
};

struct RecordFields {
  std::uint32_t extent = 0;
  std::uint32_t dataLength = 0;
  TDateTime date = 0;
  bool hasDate = true;  // the root record of a volume descriptor carries a date of zeros
  std::uint8_t flags = 0;
};

// A record that stands for no entry of the tree, written after the directory's own entries.
struct AddedRecord {
  RecordFields fields;
  std::vector<std::uint8_t> identifier;
};

// Bytes of a directory's records in one tree ("." and ".." included): whole sectors.
std::int64_t DirectorySize(const TDEntry& dir, DirectoryTree tree, const AddedRecord* added = nullptr);

// One record at the start of out (which must hold RecordLength(identifier.size()) bytes).
void PutDirectoryRecord(std::span<std::uint8_t> out, const RecordFields& fields,
                        std::span<const std::uint8_t> identifier, std::int16_t timeZoneOffset);

struct DirectoryWriteSettings {
  DirectoryTree tree = DirectoryTree::Iso;
  std::uint32_t areaStart = 0;          // first sector of this tree's directory records
  std::uint32_t firstFileLocation = 0;
  TDateTime now = 0;                    // the date of "." and ".."
  ZoneOffsets* zones = nullptr;         // the offset each record's date carries
};

// Appends the directory's records to out, sector by sector, each sector's tail zero.
void WriteDirectoryRecords(TStreamEx& out, const TDEntry& dir, const DirectoryWriteSettings& settings,
                           const AddedRecord* added = nullptr);

}  // namespace kivo
