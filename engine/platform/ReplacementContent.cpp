// What a replacement file does the same on every system: its failures, and the new content
// made durable before it takes the target's place.
#include <cerrno>

#include "engine/platform/ReplacementFile.h"
#include "engine/platform/SystemError.h"

namespace kivo::platform {

ReplacementFile::~ReplacementFile() { Discard(); }

bool ReplacementFile::Fail(const std::string& path, int err) {
  error_ = PathErrorText(path, err);
  return false;
}

bool ReplacementFile::MakeDurable() {
  if (!file_.IsOpen()) {
    // For writing where it may: Windows flushes only a handle that may write (FlushFileBuffers
    // is refused on a read-only one); Linux fsyncs any, a file without write permission too.
    if (!file_.Open(Path(), File::Mode::ReadWrite) && !file_.Open(Path(), File::Mode::Read)) {
      const int err = errno;
      Discard();
      return Fail(target_, err);
    }
    file_.NameInErrors(target_);
  }
  // A failed close after a good fsync can still mean lost data on network file systems.
  const bool durable = file_.Flush();
  file_.Close();
  if (!durable || !file_.LastError().empty()) {
    error_ = file_.LastError();
    Discard();
    return false;
  }
  return true;
}

}  // namespace kivo::platform
