// The drive state as the JSON text of the state file.
#pragma once

#include <string>

#include <nlohmann/json_fwd.hpp>

#include "virtualdrive/DriveState.h"

namespace kivo::vdrive {

nlohmann::json StateToJson(const DriveState& state);
// False with a reason when the JSON does not describe a consistent drive state; the state
// passed in is then left as it was.
bool StateFromJson(const nlohmann::json& json, DriveState& state, std::string& error);

}  // namespace kivo::vdrive
