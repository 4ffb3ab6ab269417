// Running the command-line program and the external readers from a test, and comparing the
// files a reader extracted with the sources.
#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace kivo::testing {

struct CommandResult {
  int status = -1;     // the exit status; -1 when the command did not end normally
  std::string output;  // standard output and standard error together
};

inline std::string Quoted(const std::string& text) {
  std::string out = "'";
  for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

inline CommandResult RunCommand(const std::string& command) {
  CommandResult result;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  std::size_t n;
  while ((n = ::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, n);
  const int status = ::pclose(pipe);
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  return result;
}

// kivoardel-cli with the arguments given (each quoted here). The engine's fixed waits between
// polls are skipped: the virtual recorder in tests finishes every operation at once.
inline CommandResult RunCli(const std::vector<std::string>& arguments, const std::string& environment = "") {
  std::string command = "KIVO_WAIT_SCALE=0 ";
  if (!environment.empty()) command += environment + " ";
  command += Quoted(KIVO_CLI_PATH);
  for (const std::string& a : arguments) command += " " + Quoted(a);
  return RunCommand(command);
}

// Every file below a folder, by path relative to it, with its content.
inline std::map<std::string, std::string> FilesBelow(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().lexically_relative(root).string()] =
        std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

}  // namespace kivo::testing
