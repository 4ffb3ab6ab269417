// Where the session being laid out starts on the loaded disc: the drive component finds it.
#include "engine/iso/TZelvoBurner.h"

namespace kivo {

bool TZelvoBurner::FindSessionStart() { return NextSessionStart(SessionStart); }

}  // namespace kivo
