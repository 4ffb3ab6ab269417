// Every fixed text of the recording subsystem, each once. Engine texts are English upper case
// and reach the user exactly as written here; "%s" and "%d" are filled with fmt::sprintf.
#pragma once

#include <string_view>

namespace kivo::recordtext {

// Results of a recording (the cache's Status).
inline constexpr std::string_view kCannotOpenFile =
    "CAN'T OPEN FILE \"%s\" OR FILE IS IN USES BY OTHER SOFTWARE";
inline constexpr std::string_view kInternalError0005 = "INTERNAL ERROR 0005";
// A read that failed (not a file that merely ended): recording zeros instead would report
// success over lost data.
inline constexpr std::string_view kCannotReadFile = "CAN'T READ FILE \"%s\" (%s)";
inline constexpr std::string_view kOperationAborted = "OPERATION ABORTED BY USER";

// Log lines of the cache: the recording goes on, but the disc differs from the compilation.
inline constexpr std::string_view kSourceEndedEarly =
    "SOURCE FILE ENDED AFTER %d OF %d BYTES, THE REST IS RECORDED AS ZEROS: %s";
inline constexpr std::string_view kStreamLengthMismatch =
    "INTERNAL ERROR: %d BYTES STREAMED, %d EXPECTED";

}  // namespace kivo::recordtext
