// The settings file: an INI file read and written one key at a time, the way the program's
// users and their old settings files expect. Section and key names match without regard to
// ASCII case; blanks around names and values are dropped on reading; values are otherwise kept
// byte for byte (no escapes, no lists, no quoting), so "C:\boot\x.img" and "a,b" come back as
// written. A write changes only the lines it has to: comments, blank lines, unknown keys and
// the order of everything stay as the user left them, and so do the line ends (CRLF or LF).
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kivo::platform {

// The settings file's place: $XDG_CONFIG_HOME/KivoArdel.ini when that variable holds an absolute
// path, else ~/.config/KivoArdel.ini; on Windows %APPDATA%\KivoArdel.ini. Empty when no home
// folder can be found.
std::string ConfigFilePath();

// One INI file. Every call reads the file afresh (settings files are tiny, and another program
// may have changed it), so an object holds no cached state beyond the last failure. Not safe to
// share between threads.
class PrivateProfile {
 public:
  using KeyValues = std::vector<std::pair<std::string, std::string>>;

  explicit PrivateProfile(std::string path) : path_(std::move(path)) {}

  // The value of the first matching key in the first matching section. The fallback comes back
  // when the file, the section or the key is missing, and when the file cannot be read (then
  // error() says why; a missing file is no failure).
  std::string ReadString(std::string_view section, std::string_view key, std::string_view fallback) const;
  // A value counts as a number only when it is a whole decimal number with an optional sign
  // ("12abc", "0x10" and "1.5" give the fallback).
  int ReadInt(std::string_view section, std::string_view key, int fallback) const;
  // Any number but 0 is true.
  bool ReadBool(std::string_view section, std::string_view key, bool fallback) const;

  // Sets one key: the first matching key takes the new value in its own line, else the key is
  // added after the section's last key, else a new section is added at the end of the file.
  // The file and its folder are created when missing; a write that changes nothing leaves the
  // file alone. The new content replaces the old file only once it is safely on disk, so a
  // failure leaves the old file whole. False with error() set when a name or value cannot be
  // stored (a line break, a name that would read back as something else; nothing is written
  // then) or the file system refuses (the one failure after the file was replaced is the final
  // flush of its folder).
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteInt(std::string_view section, std::string_view key, int value);
  bool WriteBool(std::string_view section, std::string_view key, bool value);  // "1" or "0"
  // Sets several keys of one section with a single replacement of the file: all are checked
  // first, and either all are written or none.
  bool WriteAll(std::string_view section, const KeyValues& keyValues);

  // Why the last call failed, "<path>: <reason>"; empty when it succeeded.
  const std::string& error() const { return error_; }
  const std::string& path() const { return path_; }

 private:
  bool Load(std::string* content, bool* exists) const;
  bool Save(const std::string& content);

  std::string path_;
  mutable std::string error_;
};

}  // namespace kivo::platform
