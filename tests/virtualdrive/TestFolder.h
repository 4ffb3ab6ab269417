// A temporary state folder, and the control tool run as a separate process.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "tests/platform/TempDir.h"

namespace kivo::vdrive::test {

// A fresh folder per test, removed afterwards.
using TestFolder = platform::testing::TempDir;

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

// kivo-vrctl DIR args... in a child process; standard output and error captured.
inline ToolRun RunTool(const std::string& folder, const std::string& arguments) {
  ToolRun run;
  const std::string command = std::string(KIVO_VRCTL) + " '" + folder + "' " + arguments + " 2>&1";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, n);
  const int status = ::pclose(pipe);
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace kivo::vdrive::test
