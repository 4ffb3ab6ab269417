#include "engine/iso/EntryIndex.h"

namespace kivo {

namespace {

constexpr char Fold(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::uint32_t FoldedNameHash(std::uint32_t ownerSerial, std::string_view name) {
  // FNV-1a over the folded bytes, then a finalizer: linear probing reads the low bits, which
  // FNV alone leaves poorly mixed for names that differ only at the end.
  std::uint64_t h = 0xcbf29ce484222325ull ^ (std::uint64_t{ownerSerial} * 0x9E3779B97F4A7C15ull);
  for (char c : name) {
    h ^= static_cast<unsigned char>(Fold(c));
    h *= 0x100000001b3ull;
  }
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  h *= 0xc4ceb9fe1a85ec53ull;
  h ^= h >> 33;
  return static_cast<std::uint32_t>(h);
}

bool FoldedEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

}  // namespace kivo
