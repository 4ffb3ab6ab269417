// The drive's folder on disk: an exclusive lock so that processes never interleave, files
// replaced atomically (a new file, then a rename), and notice of files changed by another
// process.
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/FileLock.h"

namespace kivo::vdrive {

// Identity and age of a file, to notice that another process replaced it.
struct FileStamp {
  bool exists = false;
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t mtimeNs = 0;
  bool operator==(const FileStamp&) const = default;
};

class StateFolder {
 public:
  explicit StateFolder(std::string path);
  ~StateFolder();
  StateFolder(const StateFolder&) = delete;
  StateFolder& operator=(const StateFolder&) = delete;

  // Creates the folder and its lock file; false with a reason when that is impossible.
  bool Open(std::string& error);
  const std::string& Path() const { return path_; }
  std::string File(std::string_view name) const;

  // Holds the folder's lock for the scope.
  class Lock {
   public:
    explicit Lock(const StateFolder& folder);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    platform::FileLock* lock_;
  };

  FileStamp Stamp(std::string_view name) const;
  // The whole file; false with a reason (a missing file sets missing).
  bool ReadText(std::string_view name, std::string& text, bool& missing, std::string& error) const;
  // Writes name.tmp and renames it over name.
  bool WriteAtomically(std::string_view name, const std::string& text, std::string& error) const;

  // The drive's reservation: a lock on a file of its own, held for as long as the reservation
  // lasts, so that a process that ends in any way (kill -9 too) loses it with its descriptors.
  // Asked only under the folder's lock: the probe of ReservedElsewhere then never meets another
  // recorder's Reserve half-way and makes it fail.
  bool Reserve();  // true when this recorder holds it (already, or from now on)
  void Release();
  bool Reserved() const { return reserve_.IsOpen(); }
  bool ReservedElsewhere();

 private:
  std::string path_;
  mutable platform::FileLock lock_;
  platform::FileLock reserve_;  // held while this recorder has the reservation
  platform::FileLock probe_;    // kept open to look at the reservation cheaply
};

// KIVO_VIRTUAL_RECORDER, else ~/.local/share/kivo-ardel/virtual-recorder (on Windows
// %LOCALAPPDATA%\kivo-ardel\virtual-recorder); empty with a reason when neither can be found.
std::string DefaultStateFolder(std::string& error);

}  // namespace kivo::vdrive
