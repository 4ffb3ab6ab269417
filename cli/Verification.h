// Comparing a session of the disc with local files, file by file, by their paths on the disc:
// what verify and burn --verify share. Each file that is missing, extra, different or
// unreadable is named on its own line; the summary tells how many were verified.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

// The files of an imported session by their local names' paths ("/" between names).
std::map<std::string, const TFEntry*> DiscFiles(const TZelvoBurner& session);

class Verification {
 public:
  // The disc's entry at path against the local file; a source modified after changedSince
  // (nanoseconds since 1970, 0: never) is said to have changed, not to differ.
  void Compare(TZelvoBurner& session, const std::string& path, const TFEntry& entry, const std::string& local,
               std::int64_t changedSince = 0);
  void Missing(const std::string& path);
  void Extra(const std::string& path);
  // Prints the summary; 0 when every file was the same and whole is true, else 1.
  int Finish(bool whole);

 private:
  int verified_ = 0, differ_ = 0, changed_ = 0, missing_ = 0, extra_ = 0, unreadable_ = 0;
};

// After a recording: the newest session of the disc in the drive read back, and each file of the
// compilation that was recorded from a source compared with that source. Returns the exit
// status of the check.
int VerifyRecording(const TZelvoBurner& compilation, const std::string& device, std::int64_t startedAt);

}  // namespace kivo::cli
