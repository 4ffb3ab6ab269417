#include "engine/iso/CompilationTree.h"

#include <fmt/printf.h>

#include <algorithm>
#include <utility>

#include "engine/iso/IsoNames.h"
#include "engine/iso/Strings.h"
#include "engine/platform/Text.h"

namespace kivo {

namespace {

// Drops the records chosen for removal from a list, keeping the order of the others. The scan
// for the first of them starts at the back, so removing what was just appended costs little.
template <typename T, typename IsDoomed>
void RemoveDoomed(std::vector<T*>& list, std::size_t doomedCount, IsDoomed isDoomed) {
  if (doomedCount == 0) return;
  std::size_t first = list.size();
  std::size_t seen = 0;
  for (std::size_t i = list.size(); i-- > 0;) {
    if (isDoomed(list[i])) {
      first = i;
      if (++seen == doomedCount) break;
    }
  }
  list.erase(std::remove_if(list.begin() + static_cast<std::ptrdiff_t>(first), list.end(), isDoomed),
             list.end());
}

std::string FamilyKey(std::uint32_t serial, std::string_view shortName) {
  return std::to_string(serial) + '\\' + ShortNameFamily(shortName);
}

}  // namespace

CompilationTree::CompilationTree(MessageSink sink) : sink_(std::move(sink)) { Reset(0, 1); }

CompilationTree::~CompilationTree() { Clear(); }

void CompilationTree::Clear() {
  for (TFEntry* e : fileList_) delete e;
  for (TDEntry* d : dirList_) delete d;
  fileList_.clear();
  dirList_.clear();
  isoDirOrder_.clear();
  jolietDirOrder_.clear();
  longNames_.Clear();
  shortNames_.Clear();
  paths_.Clear();
  nextNumber_.clear();
}

void CompilationTree::Reset(std::int32_t maxFiles, std::int32_t maxDirectories) {
  Clear();
  maxFiles_ = std::max(maxFiles, 0);
  maxDirectories_ = std::max(maxDirectories, 1);
  nextSerial_ = 0;

  auto* root = new TDEntry;
  root->ShortName = isotext::kRootShortName;
  root->LongName = isotext::kRootLongName;
  root->Path = "\\";
  root->Parent = root;
  root->serial_ = nextSerial_++;
  dirList_.push_back(root);
  isoDirOrder_.push_back(root);
  jolietDirOrder_.push_back(root);
}

void CompilationTree::Report(std::string_view format, std::int32_t capacity) const {
  if (sink_) sink_(fmt::sprintf(format, capacity), 3);
}

bool CompilationTree::HasRoomFor(std::size_t directories, std::size_t files) const {
  if (dirList_.size() + directories > static_cast<std::size_t>(maxDirectories_)) {
    Report(isotext::kMaximumDirectories, maxDirectories_);
    return false;
  }
  if (fileList_.size() + files > static_cast<std::size_t>(maxFiles_)) {
    Report(isotext::kMaximumFiles, maxFiles_);
    return false;
  }
  return true;
}

TDEntry* CompilationTree::FindDirectory(std::string_view path) const {
  if (path.empty() || path == "\\") return Root();
  if (path.back() == '\\') path.remove_suffix(1);
  // Paths are held as the tree names them (see CompilationName).
  const std::string held = CompilationPath(path);
  return paths_.Find(nullptr, held, FoldedNameHash(0, held));
}

TFEntry* CompilationTree::FindFileEntry(const TDEntry* dir, std::string_view longName) const {
  if (dir == nullptr) return nullptr;
  return longNames_.Find(dir, longName, FoldedNameHash(dir->serial_, longName));
}

std::string CompilationTree::UniqueShortName(const TDEntry* dir, std::string wanted) {
  if (shortNames_.Find(dir, wanted, FoldedNameHash(dir->serial_, wanted)) == nullptr) return wanted;
  std::uint32_t& n = nextNumber_[FamilyKey(dir->serial_, wanted)];
  // Every entry holds one name, so a free number turns up within as many tries as there are
  // entries in the directory.
  for (n = std::max<std::uint32_t>(n, 1);; ++n) {
    std::string candidate = NumberedShortName(wanted, n);
    if (shortNames_.Find(dir, candidate, FoldedNameHash(dir->serial_, candidate)) == nullptr) {
      ++n;
      return candidate;
    }
  }
}

void CompilationTree::Link(TDEntry* dir, TFEntry* entry) {
  entry->owner_ = dir;
  entry->prev_ = dir->lastEntry_;
  entry->Next = nullptr;
  if (dir->lastEntry_ != nullptr) {
    dir->lastEntry_->Next = entry;
  } else {
    dir->FirstEntry = entry;
  }
  dir->lastEntry_ = entry;
}

void CompilationTree::Unlink(TFEntry* entry) {
  TDEntry* dir = entry->owner_;
  if (entry->prev_ != nullptr) {
    entry->prev_->Next = entry->Next;
  } else {
    dir->FirstEntry = entry->Next;
  }
  if (entry->Next != nullptr) {
    entry->Next->prev_ = entry->prev_;
  } else {
    dir->lastEntry_ = entry->prev_;
  }
  entry->prev_ = entry->Next = nullptr;
}

TFEntry* CompilationTree::CreateEntry(TDEntry* dir, std::string longName, std::string shortName) {
  auto* e = new TFEntry;
  e->ShortName = UniqueShortName(dir, std::move(shortName));
  e->LongName = std::move(longName);
  Link(dir, e);
  longNames_.Insert(e);
  shortNames_.Insert(e);
  fileList_.push_back(e);
  return e;
}

TFEntry* CompilationTree::NewFile(TDEntry* dir, std::string longName, std::string shortName) {
  if (!HasRoomFor(0, 1)) return nullptr;
  return CreateEntry(dir, std::move(longName), std::move(shortName));
}

TDEntry* CompilationTree::NewDirectory(TDEntry* parent, std::string longName, std::string shortName) {
  if (!HasRoomFor(1, 1)) return nullptr;
  auto* d = new TDEntry;
  d->Parent = parent;
  d->serial_ = nextSerial_++;
  d->Path = platform::UpperAscii((parent == Root() ? "\\" : parent->Path + "\\") + longName);

  TFEntry* e = CreateEntry(parent, std::move(longName), std::move(shortName));
  e->Attr = kEntryAttrDirectory;
  e->DirEntry = d;
  d->ownEntry_ = e;
  d->ShortName = e->ShortName;
  d->LongName = e->LongName;

  paths_.Insert(d);
  dirList_.push_back(d);
  isoDirOrder_.push_back(d);
  jolietDirOrder_.push_back(d);
  return d;
}

void CompilationTree::Rename(TFEntry* entry, std::string longName, std::string shortName) {
  TDEntry* dir = entry->owner_;
  longNames_.Erase(entry);
  shortNames_.Erase(entry);
  entry->ShortName = UniqueShortName(dir, std::move(shortName));
  entry->LongName = std::move(longName);
  longNames_.Insert(entry);
  shortNames_.Insert(entry);
}

void CompilationTree::Doom(TFEntry* entry) {
  entry->doomed_ = true;
  doomedFiles_.push_back(entry);
}

void CompilationTree::DoomSubtree(TFEntry* top) {
  Doom(top);
  if (top->DirEntry == nullptr) return;
  std::vector<TDEntry*> pending{top->DirEntry};
  while (!pending.empty()) {
    TDEntry* d = pending.back();
    pending.pop_back();
    d->doomed_ = true;
    doomedDirs_.push_back(d);
    for (TFEntry* e = d->FirstEntry; e != nullptr; e = e->Next) {
      Doom(e);
      if (e->DirEntry != nullptr) pending.push_back(e->DirEntry);
    }
  }
}

void CompilationTree::Purge() {
  for (TFEntry* e : doomedFiles_) {
    longNames_.Erase(e);
    shortNames_.Erase(e);
    if (!e->owner_->doomed_) Unlink(e);
  }
  for (TDEntry* d : doomedDirs_) paths_.Erase(d);

  const auto fileDoomed = [](const TFEntry* e) { return e->doomed_; };
  const auto dirDoomed = [](const TDEntry* d) { return d->doomed_; };
  RemoveDoomed(fileList_, doomedFiles_.size(), fileDoomed);
  RemoveDoomed(dirList_, doomedDirs_.size(), dirDoomed);
  RemoveDoomed(isoDirOrder_, doomedDirs_.size(), dirDoomed);
  RemoveDoomed(jolietDirOrder_, doomedDirs_.size(), dirDoomed);

  for (TFEntry* e : doomedFiles_) delete e;
  for (TDEntry* d : doomedDirs_) delete d;
  doomedFiles_.clear();
  doomedDirs_.clear();
}

bool CompilationTree::DeleteEntry(TDEntry* dir, TFEntry* entry) {
  if (dir == nullptr || entry == nullptr || entry->owner_ != dir) return false;
  DoomSubtree(entry);
  Purge();
  return true;
}

bool CompilationTree::DeleteDirectory(TDEntry* dir) {
  if (dir == nullptr || dir == Root()) return false;
  return DeleteEntry(dir->Parent, dir->ownEntry_);
}

void CompilationTree::RemoveEmptyDirectories() {
  for (TDEntry* d : dirList_) d->keep_ = false;
  for (TFEntry* e : fileList_) {
    if (e->DirEntry == nullptr) e->owner_->keep_ = true;
  }
  // A directory is always created after its parent and removals keep the order, so walking
  // DirList backwards sees every child before its parent.
  for (std::size_t i = dirList_.size(); i-- > 1;) {
    if (dirList_[i]->keep_) dirList_[i]->Parent->keep_ = true;
  }
  for (std::size_t i = 1; i < dirList_.size(); ++i) {
    TDEntry* d = dirList_[i];
    if (d->keep_) continue;
    d->doomed_ = true;
    doomedDirs_.push_back(d);
    Doom(d->ownEntry_);  // its own list holds only entries of directories doomed here too
  }
  Purge();
}

}  // namespace kivo
