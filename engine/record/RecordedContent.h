// What a recording took from its sources, fingerprinted while the cache read them: the check
// after the recording compares the disc with these instead of reading the sources again.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/record/ContentHash.h"

namespace kivo {

struct TFEntry;

struct RecordedFile {
  const TFEntry* Entry = nullptr;
  std::int64_t StreamOffset = 0;  // bytes from the session's first sector; whole sectors
  std::int64_t Length = 0;        // the entry's bytes (its last sector's zero tail not counted)
  ContentHash Hash;
  // The source as it was opened. A source whose size or modification time has moved since
  // changed under the recording: what the disc holds may be neither version of it.
  platform::FileVersion Source;
  bool SourceMatchedEntry = true;  // the size when opened was the entry's Size
};

struct RecordedContent {
  std::uint32_t StartSector = 0;  // the session's (or image's) first sector on the disc
  std::int64_t StreamBytes = 0;   // the session's own sectors x 2048, without a post-gap
  // The session's bytes outside the files' own (descriptors, directories, path tables, padding,
  // the boot image, the zero tails of files' last sectors), in their order. With the files'
  // fingerprints it covers the whole stream, and no byte is hashed twice.
  ContentHash Structures;
  std::vector<RecordedFile> Files;  // in the order of their sectors
};

}  // namespace kivo
