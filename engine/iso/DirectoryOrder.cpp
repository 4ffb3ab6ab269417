#include "engine/iso/DirectoryOrder.h"

#include <algorithm>

namespace kivo {

// A breadth-first walk that sorts each parent's children gives the order that repeated sorts
// by (parent's Number, short name) settle into, at the cost of one sort per directory rather
// than several passes over the whole list.
void OrderDirectories(TDEntry* root, std::vector<TDEntry*>& order) {
  const std::size_t count = order.size();
  order.clear();
  order.reserve(count);
  order.push_back(root);
  root->Number = 1;
  // std::string compares its bytes as unsigned characters, a prefix first.
  const auto byShortName = [](const TDEntry* a, const TDEntry* b) { return a->ShortName < b->ShortName; };
  for (std::size_t next = 0; next < order.size(); ++next) {
    const std::size_t firstChild = order.size();
    for (const TFEntry* e = order[next]->FirstEntry; e != nullptr; e = e->Next) {
      if (e->DirEntry != nullptr) order.push_back(e->DirEntry);
    }
    std::sort(order.begin() + static_cast<std::ptrdiff_t>(firstChild), order.end(), byShortName);
    for (std::size_t i = firstChild; i < order.size(); ++i) order[i]->Number = static_cast<std::int32_t>(i + 1);
  }
}

}  // namespace kivo
