// Steps that the layout and the image save hand to the recording side: the next writable
// address, importing a session of the disc, and the image save through the writer thread.
// They need the write set-up, the session reader and the writer thread; until those exist
// each one answers that it could not be done, so that callers take their failure paths.

#include "engine/iso/Strings.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

bool TZelvoBurner::FindSessionStart() { return false; }

bool TZelvoBurner::ImportSession(std::int8_t, TDEntry*) { return false; }

}  // namespace kivo
