// Adding single entries to the compilation: the naming rules, the events and the refusals.

#include "engine/iso/IsoFields.h"
#include "engine/iso/IsoNames.h"
#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"
#include "engine/platform/Text.h"
#include "engine/platform/Time.h"

namespace kivo {

namespace {

std::string ChildPath(const TDEntry* parent, std::string_view name) {
  return (parent->Path == "\\" ? "\\" : parent->Path + "\\") + std::string(name);
}

std::int64_t RoundedBytes(std::int64_t size) { return Sectors(size) * kSectorSize; }

// Whether the entry came from a source file of another name that the compilation names alike:
// a byte that is no text, escaped ("a\xff" as "a%FF"), and the same letters typed ("a%FF"), or
// "README" and "README." (the "." every name without one is given). The same name again is the
// same file, or an older version of it; an imported entry has no source name to tell.
bool FromOtherSourceName(const TFEntry& entry, std::string_view sourceName) {
  if (entry.SourcePath.empty()) return false;
  const std::size_t slash = entry.SourcePath.find_last_of('/');
  const std::string_view existing =
      std::string_view(entry.SourcePath).substr(slash == std::string::npos ? 0 : slash + 1);
  return existing != sourceName;
}

}  // namespace

std::int32_t TZelvoBurner::AddFileEntry(TDEntry* Dir, const platform::DirEntry& SearchRec,
                                        bool ArchiveOnly, std::int32_t ImportedAddress,
                                        const std::string& FullPath) {
  if (Dir == nullptr) return 0;
  // Imported entries have no source: their messages name them by compilation path.
  const std::string shown = FullPath.empty() ? ChildPath(Dir, SearchRec.name) : FullPath;
  // A directory offered as a file would be an entry that claims to be a directory and stands
  // for none.
  if (SearchRec.attributes & platform::kAttrDirectory) {
    Report(isotext::kNotAFile, shown);
    return 0;
  }
  // Neither has content to record: an empty file in their place would pass for the real thing.
  if (SearchRec.kind == platform::SourceKind::Special) {
    Report(isotext::kSpecialFile, shown);
    return 0;
  }
  if (SearchRec.kind == platform::SourceKind::BrokenLink) {
    Report(isotext::kBrokenLink, shown);
    return 0;
  }
  if (SearchRec.size > kMaxFileSize && !LargeFiles && !FullPath.empty()) {
    Report(isotext::kFileTooLarge, shown);
    return 0;
  }

  std::string longName = CompilationName(SearchRec.name);
  if (longName.find('.') == std::string::npos) longName += '.';
  std::string shortName = SearchRec.alias.empty() ? platform::UpperAscii(longName) : SearchRec.alias;
  TDateTime date = UnixToDateTimeOrNow(SearchRec.mtime);
  bool skip = !FitsJolietRecord(longName, false);
  if (OnAddFile) {
    OnAddFile(this, FullPath, longName, shortName, date, static_cast<std::int32_t>(SearchRec.attributes),
              static_cast<std::int64_t>(SearchRec.size), skip);
  }
  if (skip) return 0;

  // The handler's names obey the same rules as the file system's.
  longName = CompilationName(longName);
  shortName = platform::UpperAscii(CompilationName(shortName));
  if (!IsUsableName(longName) || !IsUsableName(shortName)) {
    Report(isotext::kInvalidName, shown);
    return 0;
  }
  if (!FitsDirectoryRecords(longName, shortName, false)) {
    Report(isotext::kNameTooLong, shown);
    return 0;
  }

  // Looked up with the name the entry will have, so that a renaming handler can neither take
  // over the wrong entry nor bring two entries of one name into a directory.
  TFEntry* entry = tree_.FindFileEntry(Dir, longName);
  if (entry != nullptr && entry->IsDirectory()) {
    Report(isotext::kNameUsedByDirectory, shown);
    return 0;
  }
  if (entry != nullptr) {
    if (!ReplaceFile) {
      // The first file of a name wins, without a message: it is the same file again, or an
      // older version of it. A name that differs in case is another file, which readers
      // that ignore case could not tell apart: leaving it out is said.
      if (entry->LongName != longName) {
        Report(isotext::kNameDiffersInCase, shown);
      } else if (FromOtherSourceName(*entry, SearchRec.name)) {
        Report(isotext::kNameTakenByOtherSource, shown);
      }
      return 0;
    }
    // An imported entry's data was never counted, so there is nothing to take back.
    if (!entry->Imported) CompilationBytes -= RoundedBytes(entry->Size);
    tree_.Rename(entry, std::move(longName), std::move(shortName));
  } else {
    entry = tree_.NewFile(Dir, std::move(longName), std::move(shortName));
    if (entry == nullptr) return 0;
  }

  entry->Size = entry->JolietSize = static_cast<std::int64_t>(SearchRec.size);
  entry->Attr = static_cast<std::int32_t>(SearchRec.attributes);
  entry->DateTime = date;
  entry->SourcePath = FullPath;
  entry->ClearArchive = ArchiveOnly;
  if (ArchiveOnly) archiveStamps_[entry] = SearchRec.Stamp();
  if (ImportedAddress != 0) {
    entry->IsoAddress = entry->JolietAddress = ImportedAddress;
    entry->Imported = true;
  } else {
    CompilationBytes += RoundedBytes(entry->Size);
    entry->Imported = false;
  }
  LayoutValid = false;
  return 1;
}

TZelvoBurner::PlacedDirectory TZelvoBurner::PlaceDirectory(TDEntry* parent, const platform::DirEntry& rec) {
  if (parent == nullptr) return {};
  const std::string name = CompilationName(rec.name);
  const std::string path = ChildPath(parent, name);
  if (!IsUsableName(name)) {
    Report(isotext::kInvalidName, path);
    return {};
  }
  // A directory added twice is merged: name, date and attributes stay those of the first.
  if (TDEntry* existing = tree_.FindDirectory(path)) return {existing, false};
  if (tree_.FindFileEntry(parent, name) != nullptr) {
    Report(isotext::kNameUsedByFile, path);
    return {};
  }
  std::string shortName = rec.alias.empty() ? platform::UpperAscii(name) : rec.alias;
  if (!FitsDirectoryRecords(name, shortName, true)) {
    Report(isotext::kNameTooLong, path);
    return {};
  }
  TDEntry* dir = tree_.NewDirectory(parent, name, std::move(shortName));
  if (dir == nullptr) return {nullptr, true};
  TFEntry* entry = dir->OwnEntry();
  // The directory bit is what makes the entry a directory's entry, whatever the record says.
  entry->Attr = static_cast<std::int32_t>(rec.attributes) | kEntryAttrDirectory;
  entry->DateTime = UnixToDateTimeOrNow(rec.mtime);
  LayoutValid = false;
  return {dir, false};
}

TDEntry* TZelvoBurner::AddDirectoryEntry(TDEntry* Parent, const platform::DirEntry& SearchRec) {
  return PlaceDirectory(Parent, SearchRec).dir;
}

TDEntry* TZelvoBurner::NewDirectory(TDEntry* Parent, const std::string& Name, std::int32_t Attr) {
  std::string_view name = Name;
  if (name.starts_with('\\')) name.remove_prefix(1);
  if (name.ends_with('\\')) name.remove_suffix(1);
  platform::DirEntry rec;
  rec.name = std::string(name);
  rec.alias = NameToAlias(CompilationName(name));
  rec.attributes = static_cast<std::uint32_t>(Attr);
  rec.mtime = platform::NowUnix();
  return AddDirectoryEntry(Parent, rec);
}

TDEntry* TZelvoBurner::MakeDirectoryPath(const std::string& Path) {
  if (TDEntry* found = FindDirectory(Path)) return found;
  // Walked from the root rather than by recursion, so a path of any depth is fine.
  TDEntry* dir = RootDirectory();
  std::string prefix;
  std::size_t start = 0;
  while (start < Path.size()) {
    std::size_t end = Path.find('\\', start);
    if (end == std::string::npos) end = Path.size();
    const std::string part = Path.substr(start, end - start);
    start = end + 1;
    if (part.empty()) continue;
    prefix += "\\" + part;
    TDEntry* next = FindDirectory(prefix);
    if (next == nullptr) next = NewDirectory(dir, part, kEntryAttrDirectory);
    if (next == nullptr) return nullptr;
    dir = next;
  }
  return dir;
}

}  // namespace kivo
