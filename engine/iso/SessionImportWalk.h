// The walk over one directory tree of a session, from a root record down. It keeps its own
// stack instead of recursing, and every directory's sectors are claimed once: a tree that
// points back at itself or at a sector already read ends there, so that any disc is read in
// time and memory bounded by its size.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/SessionImport.h"
#include "engine/iso/SessionImportRecord.h"

namespace kivo {

class SessionTreeWalk {
 public:
  // bootImage: where the session's boot image starts, if it has one; its hidden record in the
  // root is not imported.
  SessionTreeWalk(TZelvoBurner& burner, const SessionSource& source, DirectoryTree tree,
                  std::optional<std::uint32_t> bootImage);

  // Adds the directory at extent (length bytes) and everything below it to dir.
  void Run(std::uint32_t extent, std::uint32_t length, TDEntry* dir);

 private:
  // A directory being read, a block of its sectors at a time.
  struct Frame {
    TDEntry* dir = nullptr;
    std::uint32_t first = 0, next = 0, end = 0;  // the directory's sectors still to read
    std::vector<std::uint8_t> block;             // room for blockSectors sectors
    std::uint32_t blockSectors = 0;
    std::uint32_t loaded = 0, current = 0;       // sectors in the block, the one being walked
    std::size_t position = kImportSectorSize;    // beyond the last record start: read the next
    int dotsLeft = 0;                            // Joliet "." and ".." still to pass over
    std::optional<ImportedRecord> unfinished;    // a file's extents so far, more to come
    bool unfinishedApart = false;                // and one of them did not follow the one before

    const std::uint8_t* Sector() const { return block.data() + std::size_t{current} * kImportSectorSize; }
  };

  void Enter(std::uint32_t extent, std::uint32_t length, TDEntry* dir);
  void Leave();
  bool LoadNextSector(Frame& frame);
  // Reads the frame's next block; false when not even its first sector could be read.
  bool LoadBlock(Frame& frame);
  // The most sectors a directory can usefully hold: enough for as many of the longest records
  // as the whole compilation takes entries.
  std::uint64_t MaxDirectorySectors() const;
  // The record at the frame's position, the position moved past it; nothing when there is
  // none to import there.
  std::optional<ImportedRecord> NextRecord(Frame& frame);
  // The record as one file: a file in several extents comes back once its last record is met,
  // joined into one entry of its whole size; nothing until then. The extents must follow one
  // another on the disc, as the entry has one address; a file whose extents do not, or that
  // ends without its last record, is named and left out whole.
  std::optional<ImportedRecord> JoinExtents(ImportedRecord record, Frame& frame);
  void LeaveUnfinished(Frame& frame);
  void Import(const ImportedRecord& record, TDEntry* dir);
  // The hidden record of the session's boot image in the root, which a bootable layout writes.
  bool IsBootImageRecord(const ImportedRecord& record, const TDEntry* dir) const;
  // Marks [first, end) as read; false when part of it was read already.
  bool Claim(std::uint32_t first, std::uint32_t end);
  bool CompilationFull() const;
  void Report(std::string_view format, const std::string& subject);

  TZelvoBurner& burner_;
  const SessionSource& source_;
  DirectoryTree tree_;
  std::optional<std::uint32_t> bootImage_;
  const TDEntry* root_ = nullptr;  // where the session's root directory goes
  std::vector<std::unique_ptr<Frame>> stack_;
  std::map<std::uint32_t, std::uint32_t> claimed_;  // first sector -> end, disjoint
  std::uint32_t bufferedSectors_ = 0;                // in the blocks of the stack's frames
  RecordTimes times_;
  bool stopped_ = false;
};

}  // namespace kivo
