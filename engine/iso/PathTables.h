// The path tables: one record per directory in path-table order, so that a reader can find any
// directory without walking the tree (the way Windows reads a disc).
#pragma once

#include <cstdint>
#include <vector>

#include "engine/iso/DirectoryRecords.h"
#include "engine/iso/Entries.h"
#include "engine/iso/Streams.h"

namespace kivo {

enum class ByteOrder { Little /* type L */, Big /* type M */ };

// Exact bytes of one table (the root's 10-byte record included), before the zero fill.
std::uint32_t PathTableSize(const std::vector<TDEntry*>& order, DirectoryTree tree);

// Appends one table for the directories in path-table order (the root first, every Number set),
// zero-filled to whole sectors.
void WritePathTable(TStreamEx& out, const std::vector<TDEntry*>& order, DirectoryTree tree,
                    std::uint32_t areaStart, ByteOrder byteOrder);

}  // namespace kivo
