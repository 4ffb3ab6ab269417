// The compilation tree: the records, the four lists that hold them, their capacities, and the
// indexes that make every lookup cost the same in a directory of ten entries or of 600000.
//
// Results and orders are those of plain scans over the lists (the first directory of DirList
// with a path, the first entry of a directory's list with a name): names and paths are kept
// unique, so an index finds exactly what a scan would. Removals keep the order of what
// remains, and cost what lies behind the first removed record rather than the whole list, so
// that pruning directories just created at the end of the lists stays cheap.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/iso/Entries.h"
#include "engine/iso/EntryIndex.h"

namespace kivo {

class CompilationTree {
 public:
  // Receives the capacity messages (type 3).
  using MessageSink = std::function<void(const std::string& text, std::uint8_t type)>;

  explicit CompilationTree(MessageSink sink = {});
  ~CompilationTree();
  CompilationTree(const CompilationTree&) = delete;
  CompilationTree& operator=(const CompilationTree&) = delete;

  // Disposes of every record and creates the root. The root always exists, so a directory
  // capacity below 1 counts as 1; a negative file capacity counts as 0.
  void Reset(std::int32_t maxFiles, std::int32_t maxDirectories);
  std::int32_t MaxFiles() const { return maxFiles_; }
  std::int32_t MaxDirectories() const { return maxDirectories_; }
  TDEntry* Root() const { return dirList_.front(); }

  // Every directory in creation order, the root first.
  const std::vector<TDEntry*>& DirList() const { return dirList_; }
  // The same directories; the layout re-orders these two (the root stays first).
  std::vector<TDEntry*>& IsoDirOrder() { return isoDirOrder_; }
  std::vector<TDEntry*>& JolietDirOrder() { return jolietDirOrder_; }
  // Every entry in creation order, directories' entries included: the order of file data.
  const std::vector<TFEntry*>& FileList() const { return fileList_; }

  // "" and "\" give the root; otherwise one trailing "\" is dropped and the path is compared
  // with a-z folded. Null when no directory has the path.
  TDEntry* FindDirectory(std::string_view path) const;
  // The entry of dir with the long name (a-z folded), or null.
  TFEntry* FindFileEntry(const TDEntry* dir, std::string_view longName) const;

  // A new entry at the end of dir's list, or null after the capacity message. The long name
  // must be free in dir; the short name is numbered ("~N") when another entry of dir has it.
  TFEntry* NewFile(TDEntry* dir, std::string longName, std::string shortName);
  // A new directory and its entry at the end of parent's list, or null after the capacity
  // message (then neither is kept). Its path and long name must be free.
  TDEntry* NewDirectory(TDEntry* parent, std::string longName, std::string shortName);
  // New names for a file entry that is taken over by another file; it keeps its place.
  void Rename(TFEntry* entry, std::string longName, std::string shortName);

  // Removes an entry of dir; a directory's entry takes its whole subtree along. False when the
  // entry is not in dir's list.
  bool DeleteEntry(TDEntry* dir, TFEntry* entry);
  // Removes a directory with everything below it; false for the root.
  bool DeleteDirectory(TDEntry* dir);
  // Removes every directory below the root whose subtree holds no file, as deleting empty
  // directories until none is left would.
  void RemoveEmptyDirectories();

 private:
  void Clear();
  void Report(std::string_view format, std::int32_t capacity) const;
  bool HasRoomFor(std::size_t directories, std::size_t files) const;
  TFEntry* CreateEntry(TDEntry* dir, std::string longName, std::string shortName);
  std::string UniqueShortName(const TDEntry* dir, std::string wanted);
  void Link(TDEntry* dir, TFEntry* entry);
  void Unlink(TFEntry* entry);
  void DoomSubtree(TFEntry* top);
  void Doom(TFEntry* entry);
  void Purge();

  struct LongNameKey {
    static std::uint32_t Hash(const TFEntry* e) { return FoldedNameHash(e->owner_->serial_, e->LongName); }
    static const void* Owner(const TFEntry* e) { return e->owner_; }
    static std::string_view Name(const TFEntry* e) { return e->LongName; }
  };
  struct ShortNameKey {
    static std::uint32_t Hash(const TFEntry* e) { return FoldedNameHash(e->owner_->serial_, e->ShortName); }
    static const void* Owner(const TFEntry* e) { return e->owner_; }
    static std::string_view Name(const TFEntry* e) { return e->ShortName; }
  };
  struct PathKey {
    static std::uint32_t Hash(const TDEntry* d) { return FoldedNameHash(0, d->Path); }
    static const void* Owner(const TDEntry*) { return nullptr; }
    static std::string_view Name(const TDEntry* d) { return d->Path; }
  };

  MessageSink sink_;
  std::int32_t maxFiles_ = 0;
  std::int32_t maxDirectories_ = 1;
  std::uint32_t nextSerial_ = 0;

  std::vector<TDEntry*> dirList_;
  std::vector<TDEntry*> isoDirOrder_;
  std::vector<TDEntry*> jolietDirOrder_;
  std::vector<TFEntry*> fileList_;

  EntryIndex<TFEntry, LongNameKey> longNames_;
  EntryIndex<TFEntry, ShortNameKey> shortNames_;
  EntryIndex<TDEntry, PathKey> paths_;  // every directory but the root
  // Next number to try per (directory serial, short-name family): a directory where thousands
  // of short names clash does not probe ~1, ~2 ... again for each.
  std::unordered_map<std::string, std::uint32_t> nextNumber_;

  // Records chosen by the deletion under way.
  std::vector<TFEntry*> doomedFiles_;
  std::vector<TDEntry*> doomedDirs_;
};

}  // namespace kivo
