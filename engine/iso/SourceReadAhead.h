// What the read-ahead of a session's sources is told: each file's source path and size, in the
// order the session's data takes them.
#pragma once

#include <vector>

#include "engine/iso/Entries.h"
#include "engine/platform/ReadAhead.h"

namespace kivo {

// The entries must outlive the read-ahead: it reads their paths from its own thread.
std::vector<platform::ReadAhead::Source> ReadAheadSources(const std::vector<const TFEntry*>& files);

}  // namespace kivo
