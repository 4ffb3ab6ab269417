// Source paths as the add operations read them. On Linux a source path uses "/"; the Windows
// forms "X:\dir\file" and "\\server\share\dir\file" keep their own rules, so that the same
// compilation paths come out on either system.
#pragma once

#include <string>
#include <string_view>

namespace kivo {

// "X:..." or "\\server\...".
bool IsWindowsForm(std::string_view path);

// The directory part of a source file path, up to and including its last separator ("\" in
// the Windows forms, "/" otherwise); empty when there is none.
std::string SourceDirectoryPart(std::string_view fileName);

// The compilation path that keeps a source directory's path: without the drive ("C:\data\"
// gives "\data\"), without server and share ("\\srv\share\data\" gives "\data\"), or the POSIX
// path from the root with "/" turned into "\" ("/home/ana/" gives "\home\ana\"; "." and ".."
// are resolved, and a "\" inside a name becomes "%5C" as names in the tree do). Always starts and
// ends with "\".
std::string KeptPath(std::string_view sourceDirectory);

// Only the last directory of a compilation path: "\a\b\c\" gives "\c\"; "\" stays "\".
std::string LastFolderOnly(std::string_view path);

// Whether a name matches a search mask: "*" any run, "?" any one byte, a-z folded. "*.*"
// matches every name, with or without a dot, as a directory search does.
bool MatchesMask(std::string_view name, std::string_view mask);

}  // namespace kivo
