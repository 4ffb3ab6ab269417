// The cache of a laid-out compilation, as the recording start and the streamed save create it.
#pragma once

#include <cstdint>

#include "engine/record/TCacheThread.h"

namespace kivo {

class TZelvoBurner;

// Starts the cache of Burner's last layout and header, with blocks of BlockSize bytes, and
// makes it ActiveCache.
void StartCompilationCache(TZelvoBurner& Burner, std::int32_t BlockSize);

}  // namespace kivo
