#include "engine/drive/AspiLibraryTransport.h"

#include <cstring>

#include "engine/drive/Strings.h"
#include "engine/platform/Files.h"
#include "engine/platform/ScsiPassThrough.h"
#include "engine/platform/SharedLibrary.h"

namespace kivo {

bool AspiLibraryTransport::Load(const std::string& libraryPath) {
  if (IsLoaded()) return true;
  const std::string file = platform::LibraryFileName(text::kAspiLibraryName);
  const std::string besideExecutable = platform::ExecutableDirectory();
  std::vector<std::string> candidates;
  if (!libraryPath.empty()) candidates.push_back(libraryPath);
  if (!besideExecutable.empty()) candidates.push_back(besideExecutable + "/" + file);
  candidates.push_back(file);
  for (const auto& candidate : candidates) {
    if (LoadFrom(candidate)) return true;
  }
  return false;
}

bool AspiLibraryTransport::LoadFrom(const std::string& nameOrPath) {
  if (!library_.Load(nameOrPath)) return false;
  send_ = reinterpret_cast<SendASPI32CommandFn>(library_.Symbol("SendASPI32Command"));
  supportInfo_ = reinterpret_cast<GetASPI32SupportInfoFn>(library_.Symbol("GetASPI32SupportInfo"));
  if (send_ != nullptr && supportInfo_ != nullptr) return true;
  // Half an ASPI manager is none: a later candidate may be complete.
  send_ = nullptr;
  supportInfo_ = nullptr;
  library_.Unload();
  return false;
}

bool AspiLibraryTransport::Unload() {
  send_ = nullptr;
  supportInfo_ = nullptr;
  if (!library_.IsLoaded()) return true;
  return library_.Unload();
}

std::uint32_t AspiLibraryTransport::SendASPI32Command(void* srb) {
  return send_ != nullptr ? send_(srb) : std::uint32_t{SS_INVALID_CMD};
}

std::uint32_t AspiLibraryTransport::GetASPI32SupportInfo() {
  return supportInfo_ != nullptr ? supportInfo_() : static_cast<std::uint32_t>(SS_NO_ADAPTERS) << 8;
}

std::string AspiLibraryTransport::DriveLabel(std::uint8_t hostAdapter, std::uint8_t target,
                                             std::uint8_t lun) {
  // A manager that drives the system's own drives uses the kernel's addresses (the LUN is not
  // compared, as a drive may answer on several).
  auto& ops = platform::CurrentScsiDeviceOps();
  for (const auto& node : ops.ListDriveNodes()) {
    const int handle = ops.OpenDrive(node.path, nullptr);
    if (handle < 0) continue;
    const auto address = ops.GetAddress(handle);
    ops.CloseDrive(handle);
    if (address && address->host == hostAdapter && address->target == target) return node.label;
  }

  SRB_GetDiskInfo info;
  std::memset(&info, 0, sizeof info);
  info.SRB_Cmd = SC_GET_DISK_INFO;
  info.SRB_HaId = hostAdapter;
  info.SRB_Target = target;
  info.SRB_Lun = lun;
  SendASPI32Command(&info);
  constexpr int kLetters = 26;
  if (info.SRB_Status != SS_COMP || info.SRB_Int13HDriveInfo >= kLetters) return {};
  return std::string(1, static_cast<char>('A' + info.SRB_Int13HDriveInfo));
}

}  // namespace kivo
