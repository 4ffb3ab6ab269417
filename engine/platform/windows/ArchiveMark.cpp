// The archive attribute is the file system's own on Windows: every volume keeps it.
#include "engine/platform/Files.h"

namespace kivo::platform {

bool ArchiveMarksSupported(const std::string&) { return true; }

}  // namespace kivo::platform
