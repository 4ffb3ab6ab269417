// The operating system's own words for a failure, in the "<path>: <reason>" form that every
// platform call reports.
#pragma once

#include <string>

namespace kivo::platform {

// The reason for an errno value ("No such file or directory"); safe on any thread.
std::string SystemErrorText(int err);

// "<path>: <reason>".
std::string PathErrorText(const std::string& path, int err);

// Stores "<path>: <reason>" in *error when error is given; returns false, for "return Fail(...)".
bool ReportPathError(std::string* error, const std::string& path, int err);

}  // namespace kivo::platform
