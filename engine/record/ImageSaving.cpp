// The two ways of saving an image: straight into the file on the calling thread, or streamed
// through the cache and writer threads like a recording.

#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

std::int32_t TZelvoBurner::SaveISO(const std::string& FileName, bool Quick) {
  return Quick ? SaveISOQuick(FileName) : SaveISOStreamed(FileName);
}

std::int32_t TZelvoBurner::SaveISOStreamed(const std::string&) {
  RaiseWriteDone(std::string(isotext::kStreamedSaveUnavailable));
  return -1;
}

}  // namespace kivo
