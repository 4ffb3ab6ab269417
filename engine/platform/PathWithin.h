// Whether one resolved path lies in another, as each system spells paths.
#pragma once

#include <string>

namespace kivo::platform {

// Whether a path is the folder or lies below it, both resolved (ResolvedPath). Windows names
// its folders with "\" and without regard to case.
bool PathIsWithin(const std::string& path, const std::string& folder);

}  // namespace kivo::platform
