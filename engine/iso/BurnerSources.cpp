// Adding from the file system: single files, directory walks, their sizes, and clearing the
// archive attribute after a recording.

#include <algorithm>

#include "engine/iso/SourcePaths.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Text.h"

namespace kivo {

namespace {

// Hidden, system and directory entries are listed only when the attribute mask asks for them,
// as a directory search does.
constexpr std::uint32_t kSpecialAttributes = 0x02 | 0x04 | platform::kAttrDirectory;

bool WantedByAttributes(const platform::DirEntry& rec, std::int32_t attributes) {
  return (rec.attributes & kSpecialAttributes & ~static_cast<std::uint32_t>(attributes)) == 0;
}

std::string WithSlash(std::string dir) {
  if (!dir.ends_with('/')) dir += '/';
  return dir;
}

}  // namespace

std::int32_t TZelvoBurner::AddFile(const std::string& DestPath, const std::string& FileName, bool SavePath) {
  TDEntry* dir = nullptr;
  if (SavePath) {
    std::string path = KeptPath(SourceDirectoryPart(FileName));
    if (KeepLastFolderOnly) path = LastFolderOnly(path);
    MakeDirectoryPath(path);
    dir = FindDirectory(path);
  } else {
    dir = FindDirectory(DestPath);
  }
  if (dir == nullptr) {
    DebugMessage(std::string(isotext::kInvalidDestinationPath), 4);
    return 0;
  }
  const auto rec = platform::StatPath(FileName);
  if (!rec) return -1;
  AddFileEntry(dir, *rec, false, 0, FileName);
  return 1;
}

std::int32_t TZelvoBurner::AddDirectory(TDEntry* DestDir, const std::string& SourceDir, bool ArchiveOnly,
                                        bool SavePath, bool Recursive, std::int32_t Attributes,
                                        const std::string& Mask) {
  if (SavePath) {
    std::string path = KeptPath(SourceDir);
    if (DestDir != nullptr && !DestDir->Path.empty() && DestDir->Path != "\\") path = DestDir->Path + path;
    if (KeepLastFolderOnly) path = LastFolderOnly(path);
    MakeDirectoryPath(path);
    DestDir = FindDirectory(path);
  }
  if (DestDir == nullptr) {
    DebugMessage(std::string(isotext::kInvalidDestinationPath), 4);
    return 0;
  }
  Walk walk;
  walk.options = {ArchiveOnly, Recursive, Attributes, Mask.empty() ? "*.*" : Mask};
  const std::int32_t result = AddDirectoryContents(DestDir, WithSlash(SourceDir), walk);
  LayoutValid = false;
  return walk.stopped ? 0 : result;
}

bool TZelvoBurner::EnterSource(const std::string& sourceDir, std::vector<platform::FileId>& ancestors,
                               platform::DirListing& listing) {
  const auto id = platform::GetFileId(sourceDir);
  // A link back to a directory that is being read would be followed for ever.
  if (id && std::find(ancestors.begin(), ancestors.end(), *id) != ancestors.end()) {
    Report(isotext::kDirectoryLoop, sourceDir);
    return false;
  }
  listing = platform::ListDirectory(sourceDir);
  if (!listing.ok()) {
    Report(isotext::kCannotReadDirectory, listing.error);
    return false;
  }
  if (!listing.archiveMarksSupported && !archiveNoteGiven_) {
    archiveNoteGiven_ = true;
    Report(isotext::kArchiveMarksUnsupported, sourceDir, 1);
  }
  ancestors.push_back(id.value_or(platform::FileId{}));
  return true;
}

std::int32_t TZelvoBurner::AddDirectoryContents(TDEntry* dest, const std::string& sourceDir, Walk& walk) {
  platform::DirListing listing;
  if (!EnterSource(sourceDir, walk.ancestors, listing)) return 0;
  const WalkOptions& opt = walk.options;

  if (opt.recursive) {
    for (const platform::DirEntry& rec : listing.entries) {
      if (!(rec.attributes & platform::kAttrDirectory)) continue;
      std::string longName = rec.name;
      std::string shortName = rec.alias.empty() ? platform::UpperAscii(rec.name) : rec.alias;
      bool skip = false;
      if (OnAddDir) OnAddDir(this, longName, shortName, skip);
      if (skip) continue;
      const PlacedDirectory placed = PlaceDirectory(dest, rec);
      if (placed.full) {
        walk.stopped = true;
        break;
      }
      if (placed.dir == nullptr) continue;  // refused, with its message
      AddDirectoryContents(placed.dir, sourceDir + rec.name + "/", walk);
      if (walk.stopped) break;
      TDEntry* sub = placed.dir;
      if (sub->FirstEntry == nullptr) DeleteDirectory(sub);
    }
  }

  std::int32_t result = 1;
  if (!walk.stopped) {
    for (const platform::DirEntry& rec : listing.entries) {
      if (rec.attributes & platform::kAttrDirectory) continue;
      if (!WantedByAttributes(rec, opt.attributes) || !MatchesMask(rec.name, opt.mask)) continue;
      if (opt.archiveOnly && !(rec.attributes & platform::kAttrArchive)) continue;
      result = AddFileEntry(dest, rec, opt.archiveOnly, 0, sourceDir + rec.name);
    }
  }
  walk.ancestors.pop_back();
  return result;
}

std::int64_t TZelvoBurner::SourceDirectorySize(const std::string& Path) {
  std::vector<platform::FileId> ancestors;
  if (Path.ends_with('/')) return TreeSize(Path, "*.*", ancestors);
  const std::string dir = SourceDirectoryPart(Path);
  const std::string name = Path.substr(dir.size());
  if (name.find_first_of("*?") != std::string::npos) return TreeSize(dir.empty() ? "./" : dir, name, ancestors);
  std::string error;
  const auto rec = platform::StatPath(Path, &error);
  if (!rec) {
    Report(isotext::kCannotReadSource, error);
    return 0;
  }
  if (rec->attributes & platform::kAttrDirectory) return TreeSize(Path + "/", "*.*", ancestors);
  return static_cast<std::int64_t>(rec->size);
}

std::int64_t TZelvoBurner::TreeSize(const std::string& sourceDir, const std::string& mask,
                                    std::vector<platform::FileId>& ancestors) {
  platform::DirListing listing;
  if (!EnterSource(sourceDir, ancestors, listing)) return 0;
  std::int64_t total = 0;
  for (const platform::DirEntry& rec : listing.entries) {
    if (!MatchesMask(rec.name, mask)) continue;
    if (rec.attributes & platform::kAttrDirectory) {
      total += TreeSize(sourceDir + rec.name + "/", "*.*", ancestors);
    } else {
      total += static_cast<std::int64_t>(rec.size);
    }
  }
  ancestors.pop_back();
  return total;
}

bool TZelvoBurner::ClearArchiveAttributes() {
  for (const TFEntry* e : FileList()) {
    if (e->IsDirectory() || !e->ClearArchive || !(e->Attr & kEntryAttrArchive)) continue;
    std::string error;
    // What was recorded is the file as it was when added; one written since must be recorded
    // again, so it keeps the bit.
    const auto now = platform::StatPath(e->SourcePath, &error);
    if (!now) {
      Report(isotext::kCannotClearArchive, error);
      continue;
    }
    const auto seen = archiveStamps_.find(e);
    if (seen == archiveStamps_.end() || static_cast<std::int64_t>(now->size) != e->Size ||
        now->Stamp() != seen->second) {
      continue;
    }
    if (!platform::SetFileAttributes(e->SourcePath, static_cast<std::uint32_t>(e->Attr - kEntryAttrArchive), &error)) {
      Report(isotext::kCannotClearArchive, error);
    }
  }
  return true;
}

}  // namespace kivo
