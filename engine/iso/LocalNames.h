// The local file names that entries of a disc's session become when they are copied out: names
// come from the disc, so they are checked before they are joined to a folder.
#pragma once

#include <string>

namespace kivo {

// The local name of a file entry. The compilation gives a name without an extension a "." at
// its end (the writer's rule); a Windows file system drops it again when the file is created,
// so that "README" comes back as "README". Here it is dropped on purpose.
std::string LocalName(const std::string& longName);

// Whether a name stays inside the folder it is joined to: not empty, not "." or "..", and
// without a path separator or a zero byte. The import never gives others; this is the last
// line of defence.
bool StaysInside(const std::string& name);

}  // namespace kivo
