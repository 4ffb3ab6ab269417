// An index of tree records by (owner, name), with names compared with a-z folded to upper case.
// It stores a hash and a pointer per slot and no copy of any name (open addressing, linear
// probing), because a compilation of 600000 files keeps two of these: the name is read from the
// record itself (and hashed again from it on removal, which is rare).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kivo {

// Hash of a name with a-z folded to upper case, mixed with the owner's serial number.
std::uint32_t FoldedNameHash(std::uint32_t ownerSerial, std::string_view name);

// True when the names are equal with a-z folded to upper case.
bool FoldedEquals(std::string_view a, std::string_view b);

// Traits supplies: static std::uint32_t Hash(const T*) (the hash of its owner and name);
// static const void* Owner(const T*); static std::string_view Name(const T*).
template <typename T, typename Traits>
class EntryIndex {
 public:
  T* Find(const void* owner, std::string_view name, std::uint32_t hash) const {
    if (hashes_.empty()) return nullptr;
    const std::uint32_t h = Stored(hash);
    // The hashes sit apart from the pointers, so a probe reads a record only when its hash
    // matches: most lookups of a name that is not there touch no record at all.
    for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
      if (hashes_[i] == kEmpty) return nullptr;
      if (hashes_[i] == h) {
        T* e = records_[i];
        if (Traits::Owner(e) == owner && FoldedEquals(Traits::Name(e), name)) return e;
      }
    }
  }

  // The caller makes sure no equal key is present.
  void Insert(T* e) { Insert(e, Traits::Hash(e)); }
  void Insert(T* e, std::uint32_t hash) {
    if ((size_ + 1) * 4 > hashes_.size() * 3) Grow();
    const std::uint32_t h = Stored(hash);
    std::size_t i = h & mask_;
    while (hashes_[i] != kEmpty) i = (i + 1) & mask_;
    hashes_[i] = h;
    records_[i] = e;
    ++size_;
  }

  void Erase(const T* e) {
    if (hashes_.empty()) return;
    std::size_t i = Stored(Traits::Hash(e)) & mask_;
    while (records_[i] != e) {
      if (hashes_[i] == kEmpty) return;  // not indexed
      i = (i + 1) & mask_;
    }
    // Backward-shift deletion: pull later members of the probe run into the hole, so that
    // lookups never need tombstones.
    for (std::size_t j = (i + 1) & mask_; hashes_[j] != kEmpty; j = (j + 1) & mask_) {
      const std::size_t home = hashes_[j] & mask_;
      const bool homeOutside = i <= j ? (home <= i || home > j) : (home <= i && home > j);
      if (homeOutside) {
        hashes_[i] = hashes_[j];
        records_[i] = records_[j];
        i = j;
      }
    }
    hashes_[i] = kEmpty;
    records_[i] = nullptr;
    --size_;
  }

  void Clear() {
    hashes_.clear();
    hashes_.shrink_to_fit();
    records_.clear();
    records_.shrink_to_fit();
    size_ = 0;
    mask_ = 0;
  }

  std::size_t Size() const { return size_; }

 private:
  static constexpr std::uint32_t kEmpty = 0;
  // 0 marks an empty slot, so no stored hash may be 0.
  static std::uint32_t Stored(std::uint32_t hash) { return hash == kEmpty ? 1 : hash; }

  void Grow() {
    const std::size_t n = hashes_.empty() ? 16 : hashes_.size() * 2;
    std::vector<std::uint32_t> oldHashes(n, kEmpty);
    std::vector<T*> oldRecords(n, nullptr);
    oldHashes.swap(hashes_);
    oldRecords.swap(records_);
    mask_ = n - 1;
    size_ = 0;
    for (std::size_t i = 0; i < oldRecords.size(); ++i) {
      if (oldRecords[i] != nullptr) Insert(oldRecords[i], oldHashes[i]);
    }
  }

  std::vector<std::uint32_t> hashes_;
  std::vector<T*> records_;
  std::size_t size_ = 0;
  std::size_t mask_ = 0;
};

}  // namespace kivo
