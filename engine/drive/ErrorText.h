// Turns a failed request's statuses and sense data into the readable error text that the
// engine reports (for example "NOT READY (MEDIUM NOT PRESENT - TRAY OPEN)").
#pragma once

#include <cstdint>
#include <string>

#include "engine/platform/Aspi.h"

namespace kivo {

struct ErrorDescription {
  std::string text;
  bool targetBusy = false;
};

// sense points at a whole sense area (kSenseAreaLength bytes).
ErrorDescription DescribeError(std::uint8_t aspiStatus, std::uint8_t hostAdapterStatus,
                               std::uint8_t targetStatus, const std::uint8_t* sense);

// The message for an additional-sense pair; a pair without a message reads as "ASC,ASCQ" in
// decimal.
std::string AdditionalSenseMessage(std::uint8_t asc, std::uint8_t ascq);

}  // namespace kivo
