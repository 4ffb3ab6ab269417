// Each session of the loaded disc in brief: where its file system lies, when its volume was
// made and how many files it holds. The disc window and the info command show the same figures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kivo {

class TZelvoBurner;

struct SessionSummary {
  unsigned number = 0;
  bool found = false;         // the session holds a data track; the figures below need one
  std::uint32_t start = 0;    // the track's first sector
  std::uint32_t size = 0;     // sectors it recorded; 0 when unknown
  std::string created;        // "YYYY-MM-DD HH:MM:SS" of the volume; empty when it names none
  std::int32_t files = -1;    // files of its tree (folders not counted); -1 when no tree was read
};

// Reads every session of the disc. The files are counted by importing each session into the
// burner's compilation, which is reset first and left empty; the import's messages are held
// back, as they would announce an import the user never asked for.
std::vector<SessionSummary> ReadSessionSummaries(TZelvoBurner& burner);

}  // namespace kivo
