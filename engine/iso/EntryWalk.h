// A walk over the compilation tree below one directory, for those who read a session whole
// (listing, extracting, verifying).
#pragma once

#include <functional>
#include <string>

#include "engine/iso/Entries.h"

namespace kivo {

// Every entry below dir, depth first in list order, with its path from dir ("/" between
// names); a directory's entries come right after it.
void ForEachEntry(const TDEntry* dir, const std::function<void(const TFEntry& entry, const std::string& path)>& visit);

}  // namespace kivo
