// The order of a directory listing, the same on every system so that two runs over the same
// tree produce the same image.
#pragma once

#include <vector>

#include "engine/platform/Files.h"

namespace kivo::platform {

// Sorts by upper-cased name; names equal but for their case keep a fixed order too.
void SortByUpperName(std::vector<DirEntry>& entries);

}  // namespace kivo::platform
