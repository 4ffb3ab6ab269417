#include "engine/iso/EntryWalk.h"

#include <utility>
#include <vector>

namespace kivo {

void ForEachEntry(const TDEntry* dir, const std::function<void(const TFEntry& entry, const std::string& path)>& visit) {
  // An explicit stack: a disc's tree may be deeper than is wise to recurse.
  std::vector<std::pair<const TFEntry*, std::string>> pending;  // next entry, its directory's path
  pending.emplace_back(dir->FirstEntry, "");
  while (!pending.empty()) {
    auto& [entry, prefix] = pending.back();
    if (entry == nullptr) {
      pending.pop_back();
      continue;
    }
    const TFEntry& current = *entry;
    entry = entry->Next;
    const std::string path = prefix + current.LongName;
    visit(current, path);
    if (current.DirEntry != nullptr) pending.emplace_back(current.DirEntry->FirstEntry, path + "/");
  }
}

}  // namespace kivo
