#include "engine/record/ContentHash.h"

#include <xxhash.h>
#if (defined(__x86_64__) || defined(__i386__)) && !defined(XXH_INLINE_ALL)
// The library picks the widest vector unit the processor has (AVX2, AVX-512) instead of the
// baseline it was built for: several times the speed, and the same fingerprints. A build that
// takes the library as headers alone (the Windows one) has no dispatcher to link.
#include <xxh_x86dispatch.h>
#endif

#include <new>

namespace kivo {

struct ContentHasher::State {
  State() : xxh(XXH3_createState()) {
    if (xxh == nullptr) throw std::bad_alloc();
    XXH3_128bits_reset(xxh);
  }
  ~State() { XXH3_freeState(xxh); }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  XXH3_state_t* xxh;
};

ContentHasher::ContentHasher() : state_(std::make_unique<State>()) {}
ContentHasher::~ContentHasher() = default;
ContentHasher::ContentHasher(ContentHasher&&) noexcept = default;
ContentHasher& ContentHasher::operator=(ContentHasher&&) noexcept = default;

void ContentHasher::Update(const void* data, std::size_t length) {
  if (length != 0) XXH3_128bits_update(state_->xxh, data, length);
}

void ContentHasher::Reset() { XXH3_128bits_reset(state_->xxh); }

ContentHash ContentHasher::Digest() const {
  const XXH128_hash_t digest = XXH3_128bits_digest(state_->xxh);
  return {digest.low64, digest.high64};
}

}  // namespace kivo
