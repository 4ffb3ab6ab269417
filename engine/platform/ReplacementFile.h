// A file that takes the place of another only once it is complete. It is written under a name
// of its own beside the target (a rename replaces only within one file system), made durable,
// and then renamed over the target, so that a failure, a full disk or an interruption at any
// moment leaves the old file as it was and no half-written one behind.
#pragma once

#include <string>

#include "engine/platform/Files.h"

namespace kivo::platform {

class ReplacementFile {
 public:
  // What a symbolic link found at the target means.
  enum class Links {
    // The file it leads to is the one replaced, and the link stays. A target that is not a
    // regular file (a device, a pipe) cannot be replaced by renaming: it is written in place.
    Follow,
    // The link itself is replaced by the new file: nothing is ever written through it.
    Replace,
  };

  ReplacementFile() = default;
  // Removes the temporary file unless Commit succeeded.
  ~ReplacementFile();
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  // Creates the temporary file, open for reading and writing. An existing target keeps its
  // permissions in the new file. Until Commit, the temporary file is also removed when the
  // process is ended by SIGINT, SIGTERM or SIGHUP.
  bool Create(const std::string& target, Links links);

  // The open temporary file; a writer that wants the path instead may close it.
  File& file() { return file_; }
  // Where the new content goes until Commit (the target itself when written in place).
  const std::string& Path() const { return temp_.empty() ? target_ : temp_; }

  // Makes the content durable and puts it in the target's place.
  bool Commit();
  // Drops the new content: the target stays as it was.
  void Discard();

  // "<path>: <reason>" of the last failure.
  const std::string& LastError() const { return error_; }

 private:
  bool Fail(const std::string& path, int err);
  // Flushes and closes the new content; on failure it is discarded and false returned.
  bool MakeDurable();
  std::string target_;
  std::string temp_;  // empty when the target is written in place
  int cleanupSlot_ = -1;
  File file_;
  std::string error_;
};

}  // namespace kivo::platform
