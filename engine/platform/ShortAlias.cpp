#include "engine/platform/ShortAlias.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "engine/platform/Files.h"
#include "engine/platform/Text.h"

namespace kivo::platform {

namespace {

constexpr std::size_t kBaseMax = 8;
constexpr std::size_t kExtMax = 3;
constexpr unsigned kLastTail = 9999999;  // "X~9999999" would no longer fit eight characters

// Characters a short name may hold besides A-Z and 0-9. "+,;=[]" are valid in long names only.
bool IsShortNameChar(char16_t u) {
  constexpr std::u16string_view kSpecials = u"$%'-_@~`!(){}^#&";
  return (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || kSpecials.find(u) != kSpecials.npos;
}

// The basis name before any numeric tail. "lossy" is set when the long name cannot be read back
// from it apart from case: then the alias needs a tail to show that it is only an abbreviation.
struct Basis {
  std::string base;
  std::string ext;
  bool lossy = false;
  std::string Joined() const { return ext.empty() ? base : base + "." + ext; }
};

Basis MakeBasis(const std::string& longName) {
  Basis b;
  std::string cleaned;
  // Working in UTF-16 units as Windows does: a character outside the BMP becomes two "_".
  for (char16_t u : Utf8ToUtf16(longName)) {
    if (u == ' ') {
      b.lossy = true;
    } else if (u >= 'a' && u <= 'z') {
      cleaned.push_back(static_cast<char>(u - 'a' + 'A'));
    } else if (u == '.' || IsShortNameChar(u)) {
      cleaned.push_back(static_cast<char>(u));
    } else {
      cleaned.push_back('_');
      b.lossy = true;
    }
  }

  const std::size_t firstNonDot = cleaned.find_first_not_of('.');
  if (firstNonDot != 0) b.lossy = b.lossy || !cleaned.empty();
  cleaned.erase(0, firstNonDot == std::string::npos ? cleaned.size() : firstNonDot);

  const std::size_t lastDot = cleaned.rfind('.');
  if (lastDot != std::string::npos) {
    b.ext = cleaned.substr(lastDot + 1);
    if (b.ext.empty()) b.lossy = true;  // a trailing dot
    cleaned.resize(lastDot);
  }
  for (char c : cleaned) {
    if (c == '.') {
      b.lossy = true;  // only the last dot survives
    } else {
      b.base.push_back(c);
    }
  }
  if (b.base.empty()) {
    b.base = "_";
    b.lossy = true;
  }
  if (b.base.size() > kBaseMax) {
    b.base.resize(kBaseMax);
    b.lossy = true;
  }
  if (b.ext.size() > kExtMax) {
    b.ext.resize(kExtMax);
    b.lossy = true;
  }
  return b;
}

}  // namespace

bool IsExactShortName(const std::string& name) {
  const Basis b = MakeBasis(name);
  return !b.lossy && b.Joined() == name;
}

void ShortAliasTable::Reserve(const std::string& shortName) { taken_.insert(shortName); }

bool ShortAliasTable::IsTaken(const std::string& shortName) const {
  return taken_.count(shortName) != 0;
}

std::string ShortAliasTable::Make(const std::string& longName) {
  const Basis b = MakeBasis(longName);
  const std::string joined = b.Joined();
  if (!b.lossy && joined == longName) {
    Reserve(joined);
    return {};
  }
  if (!b.lossy && !IsTaken(joined)) {
    Reserve(joined);
    return joined;
  }

  const std::string dotExt = b.ext.empty() ? std::string() : "." + b.ext;
  // Tails of one width share the stem they leave room for, so their counter is kept per
  // (stem, extension, width): names such as file_0000001 ... file_0600000 all draw on
  // "FILE_0~n" and must not probe each other's numbers again one by one.
  unsigned limit = 9;
  for (unsigned n = 1, width = 1; n <= kLastTail; ++width, limit = limit * 10 + 9) {
    const std::string stem = b.base.substr(0, kBaseMax - 1 - width);
    unsigned& next = nextTail_[stem + dotExt + "~" + std::to_string(width)];
    for (n = std::max(n, next); n <= limit && n <= kLastTail; ++n) {
      std::string alias = stem + "~" + std::to_string(n) + dotExt;
      if (!IsTaken(alias)) {
        Reserve(alias);
        next = n + 1;
        return alias;
      }
    }
    next = n;
  }
  return {};  // every tail is in use: the caller falls back to the upper-cased long name
}

std::string MakeShortAlias(const std::string& longName, const std::vector<std::string>& taken) {
  ShortAliasTable table;
  for (const std::string& name : taken) table.Reserve(UpperAscii(name));
  return table.Make(longName);
}

}  // namespace kivo::platform
