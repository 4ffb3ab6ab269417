// A temporary state folder, and the control tool run as a separate process.
#pragma once

#include <string>

#include "tests/platform/Command.h"
#include "tests/platform/TempDir.h"

namespace kivo::vdrive::test {

// A fresh folder per test, removed afterwards.
using TestFolder = platform::testing::TempDir;

using ToolRun = testing::CommandResult;

// kivo-vrctl DIR args... in a child process; standard output and error captured.
inline ToolRun RunTool(const std::string& folder, const std::string& arguments) {
  return testing::RunCommand(testing::QuotedProgram(KIVO_VRCTL) + " " + testing::Quoted(folder) + " " + arguments);
}

}  // namespace kivo::vdrive::test
