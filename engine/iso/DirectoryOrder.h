// The order of the path tables: the root first, then level by level; within a level grouped by
// parent in the parents' order, and within one parent by short name (bytes compared unsigned,
// a prefix first). A directory's Number is its 1-based position in this order.
#pragma once

#include <vector>

#include "engine/iso/Entries.h"

namespace kivo {

// Rebuilds order (which must hold every directory below root) in path-table order and numbers
// the directories.
void OrderDirectories(TDEntry* root, std::vector<TDEntry*>& order);

}  // namespace kivo
