// Every command of kivoardel-cli registers itself on the application; its callback leaves the
// process exit status in exitStatus.
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>

namespace kivo::cli {

void AddDevicesCommand(CLI::App& app, int& exitStatus);
void AddCapsCommand(CLI::App& app, int& exitStatus);
// eject, load and ready.
void AddTrayCommands(CLI::App& app, int& exitStatus);
void AddMkisoCommand(CLI::App& app, int& exitStatus);
void AddLsCommand(CLI::App& app, int& exitStatus);
void AddExtractCommand(CLI::App& app, int& exitStatus);
void AddInfoCommand(CLI::App& app, int& exitStatus);
void AddBurnCommand(CLI::App& app, int& exitStatus);
void AddEraseCommand(CLI::App& app, int& exitStatus);
void AddBurnImageCommand(CLI::App& app, int& exitStatus);
void AddVerifyCommand(CLI::App& app, int& exitStatus);

// Writes "kivoardel-cli COMMAND: TEXT" to the error output and returns the exit status of a
// failed command.
int CommandFailed(std::string_view command, const std::string& text);

}  // namespace kivo::cli
