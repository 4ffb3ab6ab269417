// Every fixed text of the compilation and image subsystem, each once. Engine texts are English
// upper case and reach the user exactly as written here; "%s" and "%d" are filled with
// fmt::sprintf.
#pragma once

#include <string_view>

namespace kivo::isotext {

// Message type 3: a capacity set at reset is exhausted.
inline constexpr std::string_view kMaximumDirectories = " MAXIMUM DIRECTORIES CAN BE %d";
inline constexpr std::string_view kMaximumFiles = "MAXIMUM FILES CAN BE %d";

// Message type 4: something could not be added.
inline constexpr std::string_view kInvalidDestinationPath = "INVALID DESTINATION PATH";
inline constexpr std::string_view kFileTooLarge =
    "FILE OF 4 GB OR MORE NOT ADDED (A DISC RECORD HOLDS 32-BIT SIZES): %s";
inline constexpr std::string_view kNameTooLong =
    "NAME TOO LONG FOR A 255-BYTE DIRECTORY RECORD, NOT ADDED: %s";
inline constexpr std::string_view kInvalidName = "INVALID NAME, NOT ADDED: %s";
inline constexpr std::string_view kNotAFile = "NOT A FILE, NOT ADDED: %s";
inline constexpr std::string_view kNameUsedByDirectory =
    "A DIRECTORY OF THIS NAME EXISTS, FILE NOT ADDED: %s";
inline constexpr std::string_view kNameUsedByFile =
    "A FILE OF THIS NAME EXISTS, DIRECTORY NOT ADDED: %s";
inline constexpr std::string_view kCannotReadDirectory = "CANNOT READ DIRECTORY, SKIPPED: %s";
inline constexpr std::string_view kCannotReadSource = "CANNOT READ SOURCE, SKIPPED: %s";
inline constexpr std::string_view kDirectoryLoop = "DIRECTORY LOOP NOT FOLLOWED: %s";
inline constexpr std::string_view kCannotClearArchive = "CANNOT CLEAR ARCHIVE ATTRIBUTE: %s";

// Message type 1: said once per compilation.
inline constexpr std::string_view kArchiveMarksUnsupported =
    "ARCHIVE MARKS ARE NOT KEPT ON THIS FILE SYSTEM, EVERY FILE COUNTS AS CHANGED: %s";

// Names of the root directory in the two trees.
inline constexpr std::string_view kRootShortName = "CD_ROOT";
inline constexpr std::string_view kRootLongName = "CD Root Directory";

inline constexpr std::string_view kVersion = "1.23";

}  // namespace kivo::isotext
