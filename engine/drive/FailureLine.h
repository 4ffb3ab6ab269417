// The line that describes a failed command byte by byte in the log, and the operation-code
// names it starts with.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "engine/platform/Aspi.h"

namespace kivo {

// 256 texts by operation code: a named code's name padded to 22 characters, else the code as
// two hexadecimal digits; 0xFF has an empty name.
const std::array<std::string, 256>& CommandNames();

// Commands whose failure is expected often enough (probing, polling for readiness) that a
// failure line would only be noise.
bool IsQuietCommand(std::uint8_t operationCode);

// The failure line for a request as it came back from the transport, ending in errorText.
std::string FailureLine(const SRB_ExecSCSICmd& request, const std::string& errorText);

}  // namespace kivo
