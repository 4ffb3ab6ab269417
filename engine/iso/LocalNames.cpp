#include "engine/iso/LocalNames.h"

namespace kivo {

std::string LocalName(const std::string& longName) {
  return longName.size() > 1 && longName.back() == '.' ? longName.substr(0, longName.size() - 1) : longName;
}

bool StaysInside(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace kivo
