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
    "FILE OF 4 GB OR MORE NOT ADDED, LARGE FILES ARE OFF (--large-files RECORDS IT IN SEVERAL EXTENTS): %s";
inline constexpr std::string_view kNameTooLong =
    "NAME TOO LONG FOR A 255-BYTE DIRECTORY RECORD, NOT ADDED: %s";
inline constexpr std::string_view kInvalidName = "INVALID NAME, NOT ADDED: %s";
inline constexpr std::string_view kNotAFile = "NOT A FILE, NOT ADDED: %s";
inline constexpr std::string_view kSpecialFile = "SOCKET, PIPE OR DEVICE, NOT ADDED: %s";
inline constexpr std::string_view kBrokenLink = "SYMBOLIC LINK LEADS NOWHERE, NOT ADDED: %s";
inline constexpr std::string_view kNameUsedByDirectory =
    "A DIRECTORY OF THIS NAME EXISTS, FILE NOT ADDED: %s";
inline constexpr std::string_view kNameDiffersInCase =
    "A FILE WHOSE NAME DIFFERS ONLY IN CASE IS ALREADY THERE, NOT ADDED: %s";
inline constexpr std::string_view kNameTakenByOtherSource =
    "ANOTHER FILE IS ALREADY THERE UNDER THE SAME NAME, NOT ADDED: %s";
inline constexpr std::string_view kNameUsedByFile =
    "A FILE OF THIS NAME EXISTS, DIRECTORY NOT ADDED: %s";
inline constexpr std::string_view kCannotReadDirectory = "CANNOT READ DIRECTORY, SKIPPED: %s";
inline constexpr std::string_view kCannotReadSource = "CANNOT READ SOURCE, SKIPPED: %s";
inline constexpr std::string_view kDirectoryLoop = "DIRECTORY LOOP NOT FOLLOWED: %s";
inline constexpr std::string_view kCannotClearArchive = "CANNOT CLEAR ARCHIVE ATTRIBUTE: %s";

// Message type 1: said once per compilation.
inline constexpr std::string_view kArchiveMarksUnsupported =
    "ARCHIVE MARKS ARE NOT KEPT ON THIS FILE SYSTEM, EVERY FILE COUNTS AS CHANGED: %s";

// Message type 0: the layout could not learn where the new session starts.
inline constexpr std::string_view kNoSessionStart = " ERROR GETTING NEXT WRITABLE ADDRESS";

// Message type 4: a file of the image saved quickly is not where the layout put it (source,
// expected sector, actual sector).
inline constexpr std::string_view kMisplacedFile = " INTERNAL ERROR 0004 %s %d<>%d";
// Message type 4: the source changed after it was added; the layout's size is what counts.
inline constexpr std::string_view kSourceShrank = "SOURCE FILE SHRANK SINCE IT WAS ADDED, PADDED WITH ZEROS: %s";
inline constexpr std::string_view kSourceGrew =
    "SOURCE FILE GREW SINCE IT WAS ADDED, ONLY ITS FORMER LENGTH WRITTEN: %s";

// The error that ends an image save (OnWriteDone); %s is "<path>: <reason>".
inline constexpr std::string_view kCannotCreateImage = "CANNOT CREATE IMAGE FILE %s";
inline constexpr std::string_view kCannotWriteImage = "CANNOT WRITE IMAGE FILE %s";
inline constexpr std::string_view kCannotOpenSourceFile = "CANNOT OPEN SOURCE FILE %s";
inline constexpr std::string_view kCannotReadSourceFile = "CANNOT READ SOURCE FILE %s";

// Importing a session of the disc. Type 1: the start; type 4: the failures. The name-length
// text is followed by LF CR and the identifier.
inline constexpr std::string_view kImportingSession = " IMPORTING SESSION # %d";
inline constexpr std::string_view kImportTrackUnreadable = " ERROR IMPORTING SESSION # %d";
inline constexpr std::string_view kImportNoVolume = " ERROR IMPORTING SESSION %d (ISO IMAGE NOT FOUND)";
inline constexpr std::string_view kImportNameTooLong = "ERROR IMPORTING SESSION, FILE NAME LENGTH EXCEEDS 120 CHARS";
// Type 4: what a damaged or hostile directory tree made the import leave out (a compilation
// path). A loop reuses kDirectoryLoop.
inline constexpr std::string_view kImportBeyondDisc =
    "DIRECTORY REACHES BEYOND THE END OF THE DISC, THE REST NOT IMPORTED: %s";
inline constexpr std::string_view kImportDirectoryTooLong =
    "DIRECTORY LONGER THAN THE COMPILATION COULD HOLD, THE REST NOT IMPORTED: %s";
inline constexpr std::string_view kImportPathTooLong = "DIRECTORY PATH TOO LONG, NOT IMPORTED: %s";
inline constexpr std::string_view kImportFileBeyondSession =
    "FILE DATA LIES BEYOND THE RECORDED END OF THE SESSION, NOT IMPORTED: %s";
inline constexpr std::string_view kImportExtentsBroken =
    "FILE IN SEVERAL EXTENTS THAT ARE INCOMPLETE OR APART, NOT IMPORTED: %s";

// Extracting a file from the disc. Type 1: the start (the entry's name, the destination);
// type 0: the failures, after which no destination file is left behind.
// Comparing an imported file with a local one: %s is the entry's name, %d the block.
inline constexpr std::string_view kCompareReadFailed = "CAN'T READ FILE %s FROM THE DISC AT BLOCK %d [%s]";
inline constexpr std::string_view kExtractingFile = " EXTRACTING FILE %s TO %s";
inline constexpr std::string_view kExtractCannotCreate = " ERROR EXTRACTING FILE %s, CANNOT CREATE %s";
inline constexpr std::string_view kExtractReadFailed =
    " ERROR EXTRACTING FILE %s, CANNOT READ SECTOR %d (%s); PARTIAL FILE REMOVED";
inline constexpr std::string_view kExtractWriteFailed = " ERROR EXTRACTING FILE %s, CANNOT WRITE %s; PARTIAL FILE REMOVED";
inline constexpr std::string_view kExtractCannotDate = " EXTRACTED FILE %s KEEPS THE CURRENT DATE: %s";

// Fixed texts of the volume structures.
inline constexpr std::string_view kStandardId = "CD001";
inline constexpr std::string_view kBootSystemId = "EL TORITO SPECIFICATION";
inline constexpr std::string_view kBootCatalogId = "Zantir CD/DVD Ardel";

// Names of the root directory in the two trees.
inline constexpr std::string_view kRootShortName = "CD_ROOT";
inline constexpr std::string_view kRootLongName = "CD Root Directory";

inline constexpr std::string_view kVersion = "1.23";

}  // namespace kivo::isotext
