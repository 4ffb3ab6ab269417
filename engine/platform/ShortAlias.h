// 8.3 alias generation for one directory, the way a Windows file system assigns short names.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

namespace kivo::platform {

// Hands out aliases that are unique within one directory. Names already in use are reserved
// first; Make() then records every alias it gives out.
class ShortAliasTable {
 public:
  // Marks an upper-case short name as in use.
  void Reserve(const std::string& shortName);
  bool IsTaken(const std::string& shortName) const;

  // The alias of longName, or empty when longName is a valid 8.3 name in upper case (then the
  // name itself is reserved). A name that fits 8.3 apart from its case gets its upper-cased
  // form; any other name gets a "~N" tail with the lowest free N.
  std::string Make(const std::string& longName);

 private:
  std::unordered_set<std::string> taken_;
  // Next tail number to try per (stem, extension, tail width): keeps a directory of thousands
  // of names that share their first letters from probing ~1, ~2, ... over and over.
  std::unordered_map<std::string, unsigned> nextTail_;
};

// True when name is a valid 8.3 name in upper case (such a name needs no alias).
bool IsExactShortName(const std::string& name);

}  // namespace kivo::platform
