// One directory record of a disc as the import sees it: the fields it takes, the name it gives
// the entry and the search record it hands to the compilation. Pure decoding, no drive.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <unordered_map>

#include "engine/iso/DirectoryRecords.h"
#include "engine/platform/Files.h"

namespace kivo {

inline constexpr std::size_t kRecordHeaderLength = 33;  // the fixed part, before the identifier

struct ImportedRecord {
  std::uint32_t extent = 0;
  std::uint32_t dataLength = 0;
  bool directory = false;
  bool moreExtents = false;      // the file goes on in the next record of the same name
  platform::DirEntry searchRec;  // what AddFileEntry / AddDirectoryEntry receive; the size is
                                 // the whole file's once its extents are joined
};

// The name an identifier gives its entry. Joliet: UCS-2 big-endian; ISO 9660: the bytes as
// they are; a file's version (";1" at the end) cut off either way. A "/" (which no disc name may
// hold) becomes "%2F", so that no name can reach outside its directory when it is extracted.
std::string ImportedName(std::span<const std::uint8_t> identifier, DirectoryTree tree, bool directory);

// The identifier shown in the name-length message: the text up to its first zero character.
std::string ShownIdentifier(std::span<const std::uint8_t> identifier, DirectoryTree tree);

// The 7-byte recording date (the time-zone byte ignored) as seconds since 1970 of that local
// time. A day that does not exist becomes 1899-12-30, the zero date; a time of day out of
// range becomes midnight.
std::int64_t ImportedTime(const std::uint8_t* date);

// ImportedTime of the dates met so far. Many records of a disc share a date, and each
// conversion makes the C library look at the time-zone file again: most of an import's time.
class RecordTimes {
 public:
  std::int64_t Of(const std::uint8_t* date);

 private:
  std::unordered_map<std::uint64_t, std::int64_t> known_;
};

// A whole record: record.size() is its length byte, and holds the header and the identifier.
ImportedRecord DecodeRecord(std::span<const std::uint8_t> record, DirectoryTree tree, RecordTimes& times);

}  // namespace kivo
