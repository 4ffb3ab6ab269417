// Comparing a session of the disc with what it should hold, file by file, by their paths on the
// disc: what verify, burn --verify and burn-image --verify share. Each file that is missing,
// extra, different or unreadable is named on its own line; the summary tells how many were
// verified.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/iso/TZelvoBurner.h"
#include "engine/record/DiscCheck.h"

namespace kivo::cli {

// The files of an imported session by their local names' paths ("/" between names).
std::map<std::string, const TFEntry*> DiscFiles(const TZelvoBurner& session);

class Verification {
 public:
  // The disc's entry at path against the local file.
  void Compare(TZelvoBurner& session, const std::string& path, const TFEntry& entry, const std::string& local);
  // The verdict of the check after a recording on the file at path.
  void Count(const std::string& path, FileVerdict verdict);
  void Missing(const std::string& path);
  void Extra(const std::string& path);
  // Prints the summary; 0 when every file was the same and whole is true, else 1.
  int Finish(bool whole);

 private:
  int verified_ = 0, differ_ = 0, changed_ = 0, missing_ = 0, extra_ = 0, unreadable_ = 0;
};

struct RecordingCheck {
  std::shared_ptr<const RecordedContent> content;
  DiscCheck check;
};

// The check of the disc in burner's drive against its last recording, after the heading and
// beside a progress line on a terminal; Ctrl-C stops it. nullopt (with the reason printed) when
// there was nothing to check or the check was stopped.
std::optional<RecordingCheck> CheckLastRecording(TZelvoBurner& burner, std::string_view heading);

// After a recording: the new session read back and each file of the compilation compared with
// what the recording read from its source. Returns the exit status of the check.
int VerifyRecording(TZelvoBurner& compilation);

}  // namespace kivo::cli
