#include "engine/iso/TZelvoBurner.h"

#include <fmt/printf.h>

#include "engine/iso/Strings.h"
#include "engine/platform/Time.h"

namespace kivo {

TZelvoBurner::TZelvoBurner(void* Owner)
    : TSCSIDevice(Owner),
      tree_([this](const std::string& text, std::uint8_t type) { DebugMessage(text, type); }) {
  ResetCompilation(65535, 8191);
  SetCacheSize(kDefaultCacheSize);
}

TZelvoBurner::~TZelvoBurner() { HeaderStream.Clear(); }

void TZelvoBurner::SetCacheSize(std::int32_t Value) {
  cacheSize_ = Value < kMinimumCacheSize ? kMinimumCacheSize : Value - Value % 2048;
}

std::string TZelvoBurner::Version() const { return std::string(isotext::kVersion); }

void TZelvoBurner::SetVersion(const std::string&) {}

void TZelvoBurner::Report(std::string_view format, const std::string& subject, std::uint8_t type) {
  DebugMessage(fmt::sprintf(format, subject), type);
}

bool TZelvoBurner::ResetCompilation(std::int32_t MaxFiles, std::int32_t MaxDirectories) {
  // The bias without daylight saving; the division truncates toward zero.
  TimeZoneOffset = static_cast<std::int16_t>(-platform::TimeZoneBiasMinutes() / 15);
  HeaderStream.Clear();
  tree_.Reset(MaxFiles, MaxDirectories);
  archiveStamps_.clear();
  CompilationBytes = 0;
  LayoutValid = false;
  archiveNoteGiven_ = false;
  importDir_ = nullptr;  // it was disposed of with the tree
  return true;
}

std::int32_t TZelvoBurner::DirectoryCount() const {
  return static_cast<std::int32_t>(tree_.DirList().size()) - 1;
}

std::int32_t TZelvoBurner::FileCount() const { return static_cast<std::int32_t>(tree_.FileList().size()); }

TDEntry* TZelvoBurner::FindDirectory(const std::string& Path) const { return tree_.FindDirectory(Path); }

TFEntry* TZelvoBurner::FindFileEntry(const TDEntry* Dir, const std::string& LongName) const {
  return tree_.FindFileEntry(Dir, LongName);
}

bool TZelvoBurner::DeleteEntry(TDEntry* Dir, TFEntry* Entry) {
  if (!tree_.DeleteEntry(Dir, Entry)) return false;
  LayoutValid = false;
  return true;
}

bool TZelvoBurner::DeleteEntryByName(const std::string& DirPath, const std::string& LongName) {
  TDEntry* dir = FindDirectory(DirPath);
  return dir != nullptr && DeleteEntry(dir, FindFileEntry(dir, LongName));
}

bool TZelvoBurner::DeleteDirectory(TDEntry*& Dir) {
  if (!tree_.DeleteDirectory(Dir)) return false;
  Dir = nullptr;
  LayoutValid = false;
  return true;
}

bool TZelvoBurner::RemoveEmptyDirectories() {
  const std::size_t before = tree_.DirList().size();
  tree_.RemoveEmptyDirectories();
  if (tree_.DirList().size() != before) LayoutValid = false;
  return true;
}

}  // namespace kivo
