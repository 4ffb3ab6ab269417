// Naming rules of the compilation: what a source name becomes inside the tree, which names a
// directory record can hold, and the short names made up when the file system gives none or
// two entries of one directory would share one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kivo {

// The name a source name takes in the tree. A Linux name may hold any byte but "/" and NUL;
// what a disc name cannot hold is written as "%XX" (its byte in hexadecimal): bytes that are
// not UTF-8, control characters, and "\", the separator of compilation paths (so that no name
// reads as two levels). Distinct source names therefore stay distinct ("f\xFF" and "f\xFE"
// become "f%FF" and "f%FE", where U+FFFD would have made them one).
std::string CompilationName(std::string_view sourceName);
// The same for a whole compilation path: its "\" separators stay.
std::string CompilationPath(std::string_view path);

// Empty, "." and ".." name no entry of their own.
bool IsUsableName(std::string_view name);

// Whether the directory records of both trees stay within 255 bytes: ISO 9660 holds the short
// name's bytes, Joliet the long name in UTF-16; a file's identifiers carry ";1" besides.
bool FitsDirectoryRecords(std::string_view longName, std::string_view shortName, bool isDirectory);
// The Joliet half alone: a file's long name may have at most 108 UTF-16 units.
bool FitsJolietRecord(std::string_view longName, bool isDirectory);

// The alias a directory made by name gets: its first 13 characters, a-z upper-cased, every
// character below "!" or above "z" replaced by "_" ("Program Files" gives "PROGRAM_FILES").
std::string NameToAlias(std::string_view name);

// Text in the characters an ISO 9660 descriptor allows (upper-case letters, digits, the blank
// and "!\"%&'()*+,-./:;<=>?_"): Serbian letters written in Latin ones (č and ć as C, ž as Z,
// š as S, đ as DJ), letters made upper case, every other character one "_".
std::string IsoDescriptorText(std::string_view text);

// The n-th numbered form of a short name that is already taken in its directory: the stem cut
// so that it and "~n" fit eight characters, then the extension (at most three characters).
// A "~digits" tail already on the stem is replaced, not added to.
std::string NumberedShortName(std::string_view shortName, std::uint32_t n);
// The part that numbered forms share ("LONGFI~1.TXT" and "LONGFI~2.TXT" both give "LONGFI.TXT").
std::string ShortNameFamily(std::string_view shortName);

}  // namespace kivo
