#include "engine/iso/SourceReadAhead.h"

namespace kivo {

std::vector<platform::ReadAhead::Source> ReadAheadSources(const std::vector<const TFEntry*>& files) {
  std::vector<platform::ReadAhead::Source> out;
  out.reserve(files.size());
  for (const TFEntry* e : files) out.push_back({&e->SourcePath, e->Size});
  return out;
}

}  // namespace kivo
