// A 128-bit fingerprint of a byte stream, computed piece by piece as the bytes pass by. The
// recording takes one of every file and one of the whole session while it reads them; the
// check after the recording takes the same of what the disc gives back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kivo {

struct ContentHash {
  std::uint64_t Low = 0;
  std::uint64_t High = 0;
  bool operator==(const ContentHash&) const = default;
};

class ContentHasher {
 public:
  ContentHasher();
  ~ContentHasher();
  ContentHasher(ContentHasher&&) noexcept;
  ContentHasher& operator=(ContentHasher&&) noexcept;

  void Update(const void* data, std::size_t length);
  // Starts afresh, as if nothing had been given.
  void Reset();
  // The fingerprint of everything given so far; more may be given afterwards.
  ContentHash Digest() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kivo
