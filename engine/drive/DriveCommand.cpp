// The one place where a wrapper's command becomes a request block.
#include "engine/drive/DriveCommand.h"

#include <algorithm>
#include <cstring>

#include "engine/drive/SenseData.h"
#include "engine/drive/TSCSIDevice.h"

namespace kivo {

std::optional<std::uint8_t> TSCSIDevice::Send(const DriveCommand& Command) {
  SRB_ExecSCSICmd request;
  std::memset(&request, 0, sizeof request);
  request.SRB_Flags = Command.flags;
  request.SRB_BufPointer = Command.data;
  request.SRB_BufLen = Command.length;
  request.SRB_CDBLen = Command.cdbLength;
  std::copy_n(Command.cdb.begin(), Command.cdbLength, request.CDBByte);
  if (ExecuteCommand(request, Command.timeoutMs) == kNoTransportOrDevice) return std::nullopt;
  return request.SRB_Status;
}

bool TSCSIDevice::NotReady() const { return LastSense[sensedata::kAsc] == sensedata::kAscNotReady; }

}  // namespace kivo
