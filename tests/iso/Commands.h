// Running the command-line program and the external readers from a test, and comparing the
// files a reader extracted with the sources.
#pragma once

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "tests/platform/Command.h"
#include "tests/platform/ScopedEnv.h"

namespace kivo::testing {

// kivoardel-cli with the arguments given (each quoted here). The engine's fixed waits between
// polls are skipped: the virtual recorder in tests finishes every operation at once.
// environment: NAME=value assignments separated by blanks, or on Linux any words the shell
// puts before the program.
inline CommandResult RunCli(const std::vector<std::string>& arguments, const std::string& environment = "") {
  std::string command;
#ifdef _WIN32
  // cmd.exe has no assignments before a command: the program inherits them from this process.
  std::vector<std::string> words;
  std::deque<platform::testing::ScopedEnv> assignments;
  std::string all = "KIVO_WAIT_SCALE=0 " + environment;
  for (std::size_t at = 0; at < all.size();) {
    const std::size_t end = std::min(all.find(' ', at), all.size());
    if (end > at) words.push_back(all.substr(at, end - at));
    at = end + 1;
  }
  for (std::string& word : words) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos) continue;
    word[equals] = '\0';
    assignments.emplace_back(word.c_str(), word.c_str() + equals + 1);
  }
#else
  command = "KIVO_WAIT_SCALE=0 ";
  if (!environment.empty()) command += environment + " ";
#endif
  command += QuotedProgram(KIVO_CLI_PATH);
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
