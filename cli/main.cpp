#include <CLI/CLI.hpp>

#include <iostream>
#include <string>

#include "cli/Commands.h"
#include "engine/platform/Threads.h"

int main(int argc, char** argv) {
  kivo::platform::SetMainThread();
  if (std::string error; !kivo::platform::TakeWaitScaleFromEnvironment(error)) {
    std::cerr << "kivoardel-cli: " << error << '\n';
    return 1;
  }
  CLI::App app{"Kivo Ardel: data disc recording from the command line", "kivoardel-cli"};
  app.require_subcommand(1);
  int exitStatus = 0;
  kivo::cli::AddDevicesCommand(app, exitStatus);
  kivo::cli::AddCapsCommand(app, exitStatus);
  kivo::cli::AddTrayCommands(app, exitStatus);
  kivo::cli::AddMkisoCommand(app, exitStatus);
  kivo::cli::AddLsCommand(app, exitStatus);
  kivo::cli::AddExtractCommand(app, exitStatus);
  kivo::cli::AddInfoCommand(app, exitStatus);
  kivo::cli::AddBurnCommand(app, exitStatus);
  kivo::cli::AddEraseCommand(app, exitStatus);
  kivo::cli::AddBurnImageCommand(app, exitStatus);
  kivo::cli::AddVerifyCommand(app, exitStatus);
  CLI11_PARSE(app, argc, argv);
  return exitStatus;
}
