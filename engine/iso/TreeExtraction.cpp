#include "engine/iso/TreeExtraction.h"

#include <vector>

#include "engine/iso/EntryWalk.h"
#include "engine/iso/LocalNames.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Files.h"

namespace kivo {

namespace {

class Extraction {
 public:
  Extraction(TZelvoBurner& burner, const std::string& destFolder, const TreeExtraction& how)
      : burner_(burner), dest_(destFolder.ends_with('/') ? destFolder : destFolder + "/"), how_(how) {}

  // One entry at path (from the extracted directory); false once the caller asked to stop.
  bool Visit(const TFEntry& entry, const std::string& path) {
    if (InMissingFolder(path)) {
      ++count.failed;
      return true;
    }
    // Folders keep their names (only files were given a "." by the writer).
    const std::string name = entry.IsDirectory() ? entry.LongName : LocalName(entry.LongName);
    const std::string target = dest_ + path.substr(0, path.size() - entry.LongName.size()) + name;
    if (!StaysInside(name)) {
      // What a refused folder holds would be placed by its name: it is left out with it.
      if (entry.IsDirectory()) missingFolders_.push_back(path + "/");
      return LeaveOut(entry, LeftOutReason::UnsafeName, name);
    }
    if (entry.IsDirectory()) return MakeFolder(entry, target, path);
    if (how_.stopRequested && how_.stopRequested()) {
      count.stopped = true;
      return false;
    }
    if (platform::PathTaken(target) && !(how_.replaceExisting && how_.replaceExisting(target))) {
      ++count.kept;
      if (how_.leftOut) how_.leftOut(entry, LeftOutReason::ExistingKept, target);
      return true;
    }
    if (how_.starting) how_.starting(entry, target);
    // The copy reads the entry only; the burner's interface takes it as it keeps it.
    auto& file = const_cast<TFEntry&>(entry);
    const bool copied = how_.copy ? how_.copy(file, target) : burner_.ExtractFile(&file, target) == 1;
    if (!copied) return LeaveOut(entry, LeftOutReason::CopyFailed, target);
    ++count.files;
    return true;
  }

  ExtractionCount count;

 private:
  bool InMissingFolder(const std::string& path) const {
    for (const std::string& missing : missingFolders_) {
      if (path.starts_with(missing)) return true;
    }
    return false;
  }

  bool LeaveOut(const TFEntry& entry, LeftOutReason reason, const std::string& detail) {
    ++count.failed;
    if (how_.leftOut) how_.leftOut(entry, reason, detail);
    return true;
  }

  // Each folder is made once, below one made (or checked) just before it: a link found in its
  // place is refused rather than followed out of the destination.
  bool MakeFolder(const TFEntry& entry, const std::string& target, const std::string& path) {
    std::string error;
    if (platform::MakeFolder(target, &error)) return true;
    missingFolders_.push_back(path + "/");
    return LeaveOut(entry, LeftOutReason::FolderNotMade, error);
  }

  TZelvoBurner& burner_;
  const std::string dest_;
  const TreeExtraction& how_;
  std::vector<std::string> missingFolders_;
};

}  // namespace

ExtractionCount ExtractTree(TZelvoBurner& burner, const TDEntry& dir, const std::string& destFolder,
                            const TreeExtraction& how) {
  Extraction extraction(burner, destFolder, how);
  if (how.recursive) {
    bool going = true;
    ForEachEntry(&dir, [&](const TFEntry& entry, const std::string& path) {
      if (going) going = extraction.Visit(entry, path);
    });
  } else {
    for (const TFEntry* entry = dir.FirstEntry; entry != nullptr; entry = entry->Next) {
      if (!entry->IsDirectory() && !extraction.Visit(*entry, entry->LongName)) break;
    }
  }
  return extraction.count;
}

}  // namespace kivo
