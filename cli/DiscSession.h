// A session of the disc in the drive, read into a fresh compilation as the disc browser reads
// it: what the ls and extract commands share.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <memory>
#include <string>

#include "engine/iso/EntryWalk.h"
#include "engine/iso/LocalNames.h"
#include "engine/iso/TZelvoBurner.h"

namespace kivo::cli {

struct SessionChoice {
  std::string device;
  int session = -1;  // -1: the last
};

// Adds -d and --session to a command.
void AddSessionOptions(CLI::App& command, SessionChoice& choice);

// The burner with the chosen session imported; null (with the reason printed) when the drive
// or the session could not be read, or the disc holds no such session. *incomplete tells
// whether the import left entries out (each named in the engine's messages).
std::unique_ptr<TZelvoBurner> OpenSession(const SessionChoice& choice, bool* incomplete);

// The line that says an import left entries out, and the exit status for it.
int ReportIncompleteSession(const std::string& command);

}  // namespace kivo::cli
