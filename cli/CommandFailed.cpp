#include <iostream>

#include "cli/Commands.h"

namespace kivo::cli {

int CommandFailed(std::string_view command, const std::string& text) {
  std::cerr << "kivoardel-cli " << command << ": " << text << '\n';
  return 1;
}

}  // namespace kivo::cli
