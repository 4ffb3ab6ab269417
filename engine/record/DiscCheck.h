// The check of a disc after a recording: the session's sectors read back and fingerprinted as
// the recording fingerprinted what it sent, each file's extent on its own and the session as a
// whole. Nothing is read from the sources again; a source is only asked whether its size or
// modification time moved since the recording opened it.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "engine/record/RecordedContent.h"

namespace kivo {

class TSCSIDevice;

enum class FileVerdict {
  Verified,
  Differs,     // the disc gives back other bytes than were recorded
  Unreadable,  // a sector of the file cannot be read from the disc
  Changed,     // the source was written to after the recording opened it
};

struct SectorRange {
  std::uint32_t First = 0;
  std::uint32_t Count = 0;
};

struct DiscCheck {
  std::vector<FileVerdict> Files;  // one for each of the content's files, in its order
  // Sectors of the session outside every file (volume descriptors, path tables, directories)
  // that cannot be read, as absolute sector ranges.
  std::vector<SectorRange> UnreadableStructures;
  // Every file reads back as recorded, yet the session does not: the difference lies in its
  // volume descriptors, path tables or directories.
  bool StructuresDiffer = false;
  bool StreamSame = false;  // the session's sectors as a whole read back as recorded
  bool Aborted = false;

  bool Passed() const;
};

// Reads the content's sectors from the disc in drive. bytesRead counts the session's bytes read
// so far, for a progress display on another thread; a set stop ends the check early (Aborted).
DiscCheck CheckRecordedContent(TSCSIDevice& drive, const RecordedContent& content,
                               std::atomic<std::int64_t>& bytesRead, const std::atomic<bool>& stop);

}  // namespace kivo
