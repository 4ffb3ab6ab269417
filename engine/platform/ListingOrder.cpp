#include "engine/platform/ListingOrder.h"

#include <algorithm>
#include <string>
#include <utility>

#include "engine/platform/Text.h"

namespace kivo::platform {

void SortByUpperName(std::vector<DirEntry>& entries) {
  std::vector<std::pair<std::string, DirEntry>> keyed;
  keyed.reserve(entries.size());
  for (DirEntry& e : entries) keyed.emplace_back(UpperAscii(e.name), std::move(e));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  entries.clear();
  for (auto& [key, e] : keyed) entries.push_back(std::move(e));
}

}  // namespace kivo::platform
