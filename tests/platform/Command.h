// Running a program from a test through the system's command interpreter (sh, or cmd.exe on
// Windows), with its standard output and error captured together.
#pragma once

#include <stdio.h>
#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <filesystem>
#include <string>

namespace kivo::testing {

struct CommandResult {
  int status = -1;     // the exit status; -1 when the command did not end normally
  std::string output;  // standard output and standard error together
};

// One word of a command line, whatever it holds.
inline std::string Quoted(const std::string& text) {
#ifdef _WIN32
  // The program splits its own command line: a quote inside is escaped with a backslash, and
  // backslashes only count before a quote (so a path's trailing one is doubled).
  std::string out = "\"";
  std::size_t backslashes = 0;
  for (char c : text) {
    if (c == '"') out.append(backslashes + 1, '\\');
    backslashes = c == '\\' ? backslashes + 1 : 0;
    out += c;
  }
  out.append(backslashes, '\\');
  return out + "\"";
#else
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
#endif
}

// A program of the build, named by the path the build gave it, as a quoted command word. On
// Windows that path is the build host's: made absolute, it gains the drive it lies on.
inline std::string QuotedProgram(const std::string& path) {
#ifdef _WIN32
  return Quoted(std::filesystem::absolute(path).make_preferred().string());
#else
  return Quoted(path);
#endif
}

inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
#ifdef _WIN32
  // cmd.exe /c drops the first and the last quote of the line when there are more than two:
  // a pair around the whole line keeps those of the program's path.
  FILE* pipe = ::_popen(("\"" + command + " 2>&1\"").c_str(), "r");
#else
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
#endif
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
#ifdef _WIN32
  result.status = ::_pclose(pipe);
#else
  const int status = ::pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
#endif
  return result;
}

}  // namespace kivo::testing
