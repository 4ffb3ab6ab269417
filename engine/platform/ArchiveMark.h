// The archive attribute on Linux. Windows sets it whenever a file is written; here a file
// carries it unless its extended attribute holds the modification time it had when a recording
// cleared the attribute. Writing the file later moves its time on and so brings it back.
#pragma once

#include <sys/stat.h>

#include <string>

namespace kivo::platform {

inline constexpr const char* kArchiveMarkName = "user.kivoardel.archived";

enum class ArchiveState { Set, Cleared, Unsupported };

// Reads the mark of the file at path whose status (followed through links) is st.
ArchiveState ReadArchiveMark(const std::string& path, const struct stat& st);

// The mark's text for a status: the modification time as "seconds.nanoseconds".
std::string ArchiveMarkText(const struct stat& st);

}  // namespace kivo::platform
