// The files below a directory of an imported session copied to a local folder, its sub-folders
// recreated. Every name from the disc is checked before it becomes a local path, a folder is
// never followed through a link, and a file already there is replaced only when the caller
// says so: what the disc holds can neither leave the folder nor overwrite unasked.
#pragma once

#include <functional>
#include <string>

#include "engine/iso/Entries.h"

namespace kivo {

class TZelvoBurner;

enum class LeftOutReason {
  UnsafeName,      // ".", "..", empty or holding a separator
  FolderNotMade,   // detail: the error; the folder's contents are left out unnamed
  ExistingKept,    // detail: the local path
  CopyFailed,      // the burner has said why
};

struct TreeExtraction {
  bool recursive = true;  // false: the directory's own files only
  // Asked for a file whose local path is taken; true replaces it. Unset: kept.
  std::function<bool(const std::string& target)> replaceExisting;
  // Asked before each file; true ends the extraction before that file.
  std::function<bool()> stopRequested;
  // Told before each file is copied.
  std::function<void(const TFEntry& entry, const std::string& target)> starting;
  // Told of each entry left out, but not of those inside a folder that could not be made.
  std::function<void(const TFEntry& entry, LeftOutReason reason, const std::string& detail)> leftOut;
  // Copies one file whole or not at all; unset: the burner's ExtractFile on this thread.
  std::function<bool(TFEntry& entry, const std::string& target)> copy;
};

struct ExtractionCount {
  int files = 0;    // copied
  int failed = 0;   // refused, not copied, or inside a folder that could not be made
  int kept = 0;     // existing local files left as they were
  bool stopped = false;
};

// Copies what lies below dir into destFolder, which must exist.
ExtractionCount ExtractTree(TZelvoBurner& burner, const TDEntry& dir, const std::string& destFolder,
                            const TreeExtraction& how);

}  // namespace kivo
