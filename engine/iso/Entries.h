// The records of the compilation tree. A TDEntry is a directory; a TFEntry is a file, or the
// entry that stands for a subdirectory inside its parent's list (then DirEntry points to the
// directory and Attr carries 0x10). Both are owned by the compilation tree, which also keeps
// the bookkeeping below the public fields: names are changed only through the burner, so that
// the tree's indexes stay true.
#pragma once

#include <cstdint>
#include <string>

#include "engine/iso/DateTime.h"

namespace kivo {

class CompilationTree;
struct TFEntry;

inline constexpr std::int32_t kEntryAttrDirectory = 0x10;
inline constexpr std::int32_t kEntryAttrArchive = 0x20;

struct TDEntry {
  std::string ShortName;            // ISO 9660 name; the root's is "CD_ROOT"
  std::string LongName;             // Joliet name; the root's is "CD Root Directory"
  std::int64_t IsoDirSize = 0;      // bytes of the ISO records, whole sectors (layout)
  std::int64_t JolietDirSize = 0;   // the same for the Joliet records (layout)
  std::string Path;                 // "\" + long names from the root down, upper-cased
  std::int32_t IsoDirOffset = 0;    // sector offset inside the ISO directory area (layout)
  std::int32_t JolietDirOffset = 0; // the same inside the Joliet directory area (layout)
  std::int32_t Number = 0;          // 1-based position in the path tables (layout)
  TDEntry* Parent = nullptr;        // the root is its own parent
  TFEntry* FirstEntry = nullptr;    // head of the directory's entries, in insertion order

  // This directory's entry in its parent's list; null for the root.
  TFEntry* OwnEntry() const { return ownEntry_; }

 private:
  friend class CompilationTree;
  TFEntry* lastEntry_ = nullptr;  // appends are O(1) in directories of any size
  TFEntry* ownEntry_ = nullptr;
  std::uint32_t serial_ = 0;      // creation number: a key that does not depend on addresses
  bool doomed_ = false;           // chosen for removal by the deletion under way
  bool keep_ = false;             // work flag of RemoveEmptyDirectories
};

struct TFEntry {
  std::string ShortName;         // ISO 9660 name, upper case, unique within its directory
  std::string LongName;          // Joliet name, unique within its directory (a-z folded)
  std::string SourcePath;        // the source file; empty for directories and imported entries
  TDateTime DateTime = 0;        // local date and time recorded for the entry
  std::int64_t Size = 0;         // data length; for a directory's entry the layout's ISO size
  std::int64_t JolietSize = 0;   // Size for files; the Joliet size for a directory's entry
  std::int32_t IsoAddress = 0;   // sector offset from the first file (absolute when Imported)
  std::int32_t JolietAddress = 0;
  std::int32_t Attr = 0;         // 0x01 read-only, 0x02 hidden, 0x04 system, 0x10 dir, 0x20 archive
  bool Imported = false;         // from an earlier session: addresses absolute, no data written
  bool ClearArchive = false;     // added in archive-only mode: clear the source's archive bit later
 private:
  bool doomed_ = false;          // here, not below, so that it takes no room of its own
 public:
  TDEntry* DirEntry = nullptr;   // the directory this entry stands for; null for files
  TFEntry* Next = nullptr;       // next entry of the same directory

  bool IsDirectory() const { return (Attr & kEntryAttrDirectory) != 0; }
  // Whether the entry's bytes belong to this session's data, read from its source. Directories'
  // entries, imported files (their data is on the disc already), sourceless and empty files
  // take no sectors.
  bool CarriesData() const { return !IsDirectory() && !Imported && !SourcePath.empty() && Size > 0; }
  // The directory whose list holds this entry.
  TDEntry* Owner() const { return owner_; }

 private:
  friend class CompilationTree;
  TFEntry* prev_ = nullptr;  // unlinking costs O(1) in directories of any size
  TDEntry* owner_ = nullptr;
};
// 600000 of these make a full compilation; the size decides the allocator's 176-byte class.
static_assert(sizeof(TFEntry) <= 168 || sizeof(void*) != 8, "TFEntry grew: mind the memory per entry");

}  // namespace kivo
